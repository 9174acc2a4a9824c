#include "model/schema.h"

#include "model/schema_tables.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <limits>

namespace mapolt {

namespace {

[[noreturn]] void schemaFault(const std::string& what) {
    std::fprintf(stderr, "mapolt: broken object model: %s\n", what.c_str());
    std::abort();
}

// A relationship must name an inverse that names it back, on the entity it targets.
void resolveInverses(std::vector<EntitySchema>& all) {
    for (EntitySchema& s : all) {
        if (static_cast<std::size_t>(s.entity) != static_cast<std::size_t>(&s - all.data()))
            schemaFault(s.name + " is out of order");
        for (RelationshipDesc& r : s.relationships) {
            const EntitySchema& target = all[static_cast<std::size_t>(r.target)];
            const std::ptrdiff_t inv = target.relationshipIndex(r.inverseName);
            if (inv < 0)
                schemaFault(s.name + "." + r.name + " has no inverse " + r.inverseName);
            const RelationshipDesc& back = target.relationships[static_cast<std::size_t>(inv)];
            if (back.inverseName != r.name || back.target != s.entity)
                schemaFault(s.name + "." + r.name + " and its inverse disagree");
            r.inverseIndex = static_cast<std::size_t>(inv);
        }
    }
}

void findMemberSlotEnds(std::vector<EntitySchema>& all) {
    for (EntitySchema& s : all) {
        for (std::size_t i = 0; i < s.relationships.size(); ++i) {
            const RelationshipDesc& r = s.relationships[i];
            const RelationshipDesc& back =
                all[static_cast<std::size_t>(r.target)].relationships[r.inverseIndex];
            // Only a member's end of a one-to-many holds a slot, so no record carries room
            // it never uses and no set writes a slot that is not there.
            if (!r.toMany && r.keepsMemberSlot != back.toMany)
                schemaFault(s.name + "." + r.name + " must be a ToOne exactly when its inverse " +
                            "is a to-many, else a OneToOne");
            if (!r.toMany || back.toMany)
                continue;
            if (back.offset == 0 || back.offset > std::numeric_limits<std::uint16_t>::max())
                schemaFault(s.name + "." + r.name + " has its inverse out of reach");
            s.memberSlotEnds.push_back({i, static_cast<std::uint16_t>(back.offset)});
        }
    }
}

void indexAttributeOffsets(std::vector<EntitySchema>& all) {
    for (EntitySchema& s : all) {
        // Backwards, so that the first of any two attributes at one offset wins.
        for (std::size_t i = s.attributes.size(); i-- > 0;) {
            const std::size_t offset = s.attributes[i].offset;
            if (offset >= s.attributeByOffset.size())
                s.attributeByOffset.resize(offset + 1, 0);
            s.attributeByOffset[offset] = static_cast<std::uint16_t>(i + 1);
        }
    }
}

const std::vector<EntitySchema>& registry() {
    static const std::vector<EntitySchema> all = [] {
        std::vector<EntitySchema> built = buildEntitySchemas();
        if (built.size() != kEntityCount)
            schemaFault("entity count");
        resolveInverses(built);
        findMemberSlotEnds(built);
        indexAttributeOffsets(built);
        return built;
    }();
    return all;
}

} // namespace

const AttributeDesc* EntitySchema::attribute(std::string_view n) const {
    const std::ptrdiff_t i = attributeIndex(n);
    return i < 0 ? nullptr : &attributes[static_cast<std::size_t>(i)];
}

const RelationshipDesc* EntitySchema::relationship(std::string_view n) const {
    const std::ptrdiff_t i = relationshipIndex(n);
    return i < 0 ? nullptr : &relationships[static_cast<std::size_t>(i)];
}

std::ptrdiff_t EntitySchema::attributeIndex(std::string_view n) const {
    const auto it = std::find_if(attributes.begin(), attributes.end(),
                                 [&](const AttributeDesc& a) { return a.name == n; });
    return it == attributes.end() ? -1 : it - attributes.begin();
}

std::ptrdiff_t EntitySchema::relationshipIndex(std::string_view n) const {
    const auto it = std::find_if(relationships.begin(), relationships.end(),
                                 [&](const RelationshipDesc& r) { return r.name == n; });
    return it == relationships.end() ? -1 : it - relationships.begin();
}

std::size_t EntitySchema::attributeIndexAtOffset(std::size_t offset) const {
    if (offset < attributeByOffset.size() && attributeByOffset[offset] != 0)
        return attributeByOffset[offset] - 1u;
    schemaFault(name + ": write to an attribute missing from the table");
}

std::size_t EntitySchema::relationshipIndexAtOffset(std::size_t offset) const {
    for (std::size_t i = 0; i < relationships.size(); ++i)
        if (relationships[i].offset == offset)
            return i;
    schemaFault(name + ": write to a relationship missing from the table");
}

namespace detail {

const EntitySchema* schemaTable = nullptr;

const EntitySchema* loadSchemaTable() {
    schemaTable = registry().data();
    return schemaTable;
}

} // namespace detail

const EntitySchema* schemaNamed(std::string_view n) {
    for (const EntitySchema& s : registry())
        if (s.name == n)
            return &s;
    return nullptr;
}

const std::vector<Entity>& fileEntityOrder() {
    static const std::vector<Entity> order = {
        Entity::ATask,         Entity::Resource,    Entity::DepLink,      Entity::AResourceUsage,
        Entity::ATaskResource, Entity::Project,     Entity::MileStone,    Entity::ColumnStates,
        Entity::Calandar,      Entity::Day,         Entity::Week,         Entity::Colour,
        Entity::PrintSettings, Entity::Baseline,    Entity::Style,        Entity::StyleMargin,
        Entity::StyleElement,  Entity::StyleShadow, Entity::StyleColours,
    };
    return order;
}

} // namespace mapolt
