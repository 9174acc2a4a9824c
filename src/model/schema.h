#pragma once

#include "model/fields.h"
#include "model/value.h"

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace mapolt {

enum class Entity : std::uint8_t {
    Project,
    ATask,
    DepLink,
    MileStone,
    Resource,
    ATaskResource,
    AResourceUsage,
    Calandar,
    Week,
    Day,
    Baseline,
    PrintSettings,
    ColumnStates,
    Style,
    StyleElement,
    StyleColours,
    StyleShadow,
    StyleMargin,
    Colour,
};
inline constexpr std::size_t kEntityCount = 19;

struct AttributeDesc {
    std::string name;
    AttrType type;
    // Project.showDivider reads YES when absent.
    bool absentReadsYes = false;
    std::size_t offset = 0;
    Value (*read)(const Record&) = nullptr;
    void (*write)(Record&, const Value&) = nullptr;
};

struct RelationshipDesc {
    std::string name;
    bool toMany = false;
    Entity target;
    std::string inverseName;
    std::size_t inverseIndex = 0;
    std::size_t offset = 0;
    // A to-one end that holds its record's slot in the target's set.
    bool keepsMemberSlot = false;
    ToOneBase* (*one)(Record&) = nullptr;
    RecordSet* (*many)(Record&) = nullptr;
};

// The one table per entity that the codec, the undo manager and key-value access all read.
struct EntitySchema {
    Entity entity;
    std::string name;
    std::vector<AttributeDesc> attributes;
    std::vector<RelationshipDesc> relationships;
    // Builds a record in room the store provides.
    Record* (*construct)(void* place) = nullptr;
    std::size_t recordSize = 0;
    // The one-to-many ends of this entity, whose members keep their slot in their to-one
    // end back (at that end's offset in the member).
    struct MemberSlotEnd {
        std::size_t relationship;
        std::uint16_t memberEndOffset;
    };
    std::vector<MemberSlotEnd> memberSlotEnds;

    const AttributeDesc* attribute(std::string_view name) const;
    const RelationshipDesc* relationship(std::string_view name) const;
    std::ptrdiff_t attributeIndex(std::string_view name) const;
    std::ptrdiff_t relationshipIndex(std::string_view name) const;
    std::size_t attributeIndexAtOffset(std::size_t offset) const;
    std::size_t relationshipIndexAtOffset(std::size_t offset) const;

    // Attribute index + 1 by byte offset in the record, 0 where no attribute starts: every
    // write finds its attribute by offset, silent placement writes included.
    std::vector<std::uint16_t> attributeByOffset;
};

namespace detail {
// The table of every entity, filled on first use; record code reads it on every write.
extern const EntitySchema* schemaTable;
const EntitySchema* loadSchemaTable();
} // namespace detail

inline const EntitySchema& schemaOf(Entity e) {
    const EntitySchema* table = detail::schemaTable;
    if (table == nullptr)
        table = detail::loadSchemaTable();
    return table[static_cast<std::size_t>(e)];
}
const EntitySchema* schemaNamed(std::string_view name);
// The order in which the plan file numbers, creates and links records.
const std::vector<Entity>& fileEntityOrder();

} // namespace mapolt
