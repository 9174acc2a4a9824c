#include "model/record.h"

#include "model/store.h"

namespace mapolt {

Value Record::value(std::string_view key) const {
    const AttributeDesc* a = schema().attribute(key);
    if (a == nullptr)
        return {};
    Value v = a->read(*this);
    if (isAbsent(v) && a->absentReadsYes)
        return true;
    return v;
}

void Record::setValue(std::string_view key, const Value& v) {
    const std::ptrdiff_t index = schema().attributeIndex(key);
    if (index < 0)
        return;
    const AttributeDesc& a = schema().attributes[static_cast<std::size_t>(index)];
    Value before = a.read(*this);
    a.write(*this, v);
    if (a.read(*this) != before)
        notifyAttributeWrite(static_cast<std::size_t>(index), std::move(before));
}

void Record::setPrimitiveValue(std::string_view key, const Value& v) {
    if (const std::ptrdiff_t index = schema().attributeIndex(key); index >= 0) {
        schema().attributes[static_cast<std::size_t>(index)].write(*this, v);
        notePrimitiveWrite(static_cast<std::size_t>(index));
    }
}

void Record::setRelationship(std::size_t relIndex, Record* target) {
    const auto& rels = schema().relationships;
    if (relIndex < rels.size() && !rels[relIndex].toMany)
        setToOne(relIndex, target);
}

void Record::addToRelationship(std::size_t relIndex, Record* item) {
    const auto& rels = schema().relationships;
    if (relIndex < rels.size() && rels[relIndex].toMany)
        changeToMany(relIndex, item, true);
}

Record* Record::recordAtPath(std::string_view path) const {
    auto* current = const_cast<Record*>(this);
    while (current != nullptr && !path.empty()) {
        const std::size_t dot = path.find('.');
        const std::string_view step = path.substr(0, dot);
        const RelationshipDesc* r = current->schema().relationship(step);
        if (r == nullptr || r->toMany)
            return nullptr;
        current = r->one(*current)->target();
        path = dot == std::string_view::npos ? std::string_view{} : path.substr(dot + 1);
    }
    return current;
}

Value Record::valueAtPath(std::string_view path) const {
    const std::size_t dot = path.rfind('.');
    if (dot == std::string_view::npos)
        return value(path);
    const Record* owner = recordAtPath(path.substr(0, dot));
    return owner == nullptr ? Value{} : owner->value(path.substr(dot + 1));
}

} // namespace mapolt
