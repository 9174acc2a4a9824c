#pragma once

#include "model/fields.h"
#include "model/schema.h"

#include <cstdint>
#include <optional>
#include <string_view>
#include <type_traits>

namespace mapolt {

class Store;

// Base of every model record. Writes name their kind at the call site:
// set/addTo/removeFrom notify observers and are recorded for undo, setPrimitive does neither.
class Record {
  public:
    virtual ~Record() = default;
    Record(const Record&) = delete;
    Record& operator=(const Record&) = delete;

    Entity entity() const { return entity_; }
    const EntitySchema& schema() const { return schemaOf(entity_); }
    Store& store() const { return *store_; }
    bool isDeleted() const { return deleted_; }
    std::uint64_t serial() const { return serial_; }

    template <class R, class T>
    void set(Attribute<T> R::*member, std::type_identity_t<std::optional<T>> v);
    template <class R, class T>
    void setPrimitive(Attribute<T> R::*member, std::type_identity_t<std::optional<T>> v) {
        FieldAccess::raw(static_cast<R*>(this)->*member) = std::move(v);
        notePrimitiveWrite(schema().attributeIndexAtOffset(offsetOf(member)));
    }
    template <class R, class T> void set(ToOne<T> R::*member, std::type_identity_t<T*> target);
    template <class R, class T> void set(OneToOne<T> R::*member, std::type_identity_t<T*> target);
    template <class R, class T> void addTo(ToMany<T> R::*member, std::type_identity_t<T*> item);
    template <class R, class T>
    void removeFrom(ToMany<T> R::*member, std::type_identity_t<T*> item);

    // Key-value access by attribute name; an absent value is monostate. A name that is no
    // attribute of the entity reads as absent and is ignored on write.
    Value value(std::string_view key) const;
    void setValue(std::string_view key, const Value& v);
    void setPrimitiveValue(std::string_view key, const Value& v);
    // Follows to-one relationships along a dotted path ("style.colours.task"); the last
    // step may name an attribute (returned as a value) or a to-one relationship.
    Record* recordAtPath(std::string_view path) const;
    Value valueAtPath(std::string_view path) const;

    // Relationship writes by index into the schema table, for code driven by that table;
    // like the typed writes they notify and keep the inverse end. A write to an index of the
    // other kind (to-one against to-many) is ignored.
    void setRelationship(std::size_t relIndex, Record* target);
    void addToRelationship(std::size_t relIndex, Record* item);

  protected:
    explicit Record(Entity e) : entity_(e) {}
    // For custom setters that write several values silently and announce one change last.
    template <class R, class T> void didChange(Attribute<T> R::*member, Value before) {
        const std::optional<T>& now = FieldAccess::raw(static_cast<R*>(this)->*member);
        if ((now ? Value{*now} : Value{}) != before)
            notifyAttributeWrite(schema().attributeIndexAtOffset(offsetOf(member)),
                                 std::move(before));
    }

  private:
    friend class Store;
    friend class UndoManager;
    // Which attributes of this record the open undo group already holds (bit i: attribute
    // i), valid while `group` is the open group's number.
    struct UndoMark {
        std::uint64_t group = 0;
        std::uint64_t attributes = 0;
    };
    template <class R, class M> std::size_t offsetOf(M R::*member) {
        auto* self = static_cast<R*>(this);
        return static_cast<std::size_t>(reinterpret_cast<char*>(&(self->*member)) -
                                        reinterpret_cast<char*>(self));
    }
    void notifyAttributeWrite(std::size_t attrIndex, Value before);
    // Silent writes still count as changes for the store's revision counters.
    void notePrimitiveWrite(std::size_t attrIndex);
    void setToOne(std::size_t relIndex, Record* target);
    void changeToMany(std::size_t relIndex, Record* item, bool add);

    Store* store_ = nullptr;
    std::uint64_t serial_ = 0;
    Entity entity_;
    bool deleted_ = false;
    UndoMark undoMark_;
    // Position + 1 of this record's latest entry in the store's change journal, 0 for none.
    std::uint64_t journalEntry_ = 0;
};

template <class R, class T>
void Record::set(Attribute<T> R::*member, std::type_identity_t<std::optional<T>> v) {
    std::optional<T>& slot = FieldAccess::raw(static_cast<R*>(this)->*member);
    if (slot == v)
        return;
    Value before = slot ? Value{*slot} : Value{};
    slot = std::move(v);
    notifyAttributeWrite(schema().attributeIndexAtOffset(offsetOf(member)), std::move(before));
}

template <class R, class T> void Record::set(ToOne<T> R::*member, std::type_identity_t<T*> target) {
    setToOne(schema().relationshipIndexAtOffset(offsetOf(member)), target);
}

template <class R, class T>
void Record::set(OneToOne<T> R::*member, std::type_identity_t<T*> target) {
    setToOne(schema().relationshipIndexAtOffset(offsetOf(member)), target);
}

template <class R, class T>
void Record::addTo(ToMany<T> R::*member, std::type_identity_t<T*> item) {
    changeToMany(schema().relationshipIndexAtOffset(offsetOf(member)), item, true);
}

template <class R, class T>
void Record::removeFrom(ToMany<T> R::*member, std::type_identity_t<T*> item) {
    changeToMany(schema().relationshipIndexAtOffset(offsetOf(member)), item, false);
}

} // namespace mapolt
