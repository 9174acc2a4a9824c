#pragma once

#include "model/record.h"

#include <memory>
#include <optional>
#include <type_traits>
#include <utility>

namespace mapolt {

namespace detail {

template <class M> struct MemberTraits;
template <class C, class T> struct MemberTraits<Attribute<T> C::*> { using Value = T; };

// Numbers convert between the numeric attribute types (the codec reads every number as a
// double); any other mismatch gives an absent value.
template <class T> std::optional<T> convertValue(const Value& v) {
    if (const T* exact = std::get_if<T>(&v))
        return *exact;
    if constexpr (std::is_arithmetic_v<T>) {
        if (const auto* d = std::get_if<double>(&v))
            return static_cast<T>(*d);
        if (const auto* f = std::get_if<float>(&v))
            return static_cast<T>(*f);
        if (const auto* i = std::get_if<std::int32_t>(&v))
            return static_cast<T>(*i);
        if (const auto* b = std::get_if<bool>(&v))
            return static_cast<T>(*b);
    }
    return std::nullopt;
}

} // namespace detail

// Builds the schema table of one entity from its member pointers, so names, types, offsets
// and accessors are written down once.
template <class E> class SchemaBuilder {
  public:
    explicit SchemaBuilder(const char* name) {
        schema_.entity = E::kEntity;
        schema_.name = name;
        static_assert(alignof(E) <= 16, "record arenas align records to 16 bytes at most");
        schema_.construct = [](void* place) -> Record* { return new (place) E(); };
        schema_.recordSize = sizeof(E);
    }

    template <auto M> SchemaBuilder& attr(const char* name, bool absentReadsYes = false) {
        using T = typename detail::MemberTraits<decltype(M)>::Value;
        AttributeDesc d;
        d.name = name;
        d.type = AttrTypeOf<T>::value;
        d.absentReadsYes = absentReadsYes;
        d.offset = offsetOf(&(probe_.*M));
        d.read = [](const Record& r) -> Value {
            auto& rec = const_cast<E&>(static_cast<const E&>(r));
            const std::optional<T>& v = FieldAccess::raw(rec.*M);
            return v ? Value{*v} : Value{};
        };
        d.write = [](Record& r, const Value& v) {
            FieldAccess::raw(static_cast<E&>(r).*M) = detail::convertValue<T>(v);
        };
        schema_.attributes.push_back(std::move(d));
        return *this;
    }

    template <auto M> SchemaBuilder& one(const char* name, Entity target, const char* inverse) {
        RelationshipDesc d = relationship(name, false, target, inverse);
        d.offset = offsetOf(&(probe_.*M));
        d.keepsMemberSlot =
            std::is_base_of_v<MemberEndBase, std::remove_reference_t<decltype(probe_.*M)>>;
        d.one = [](Record& r) -> ToOneBase* { return &(static_cast<E&>(r).*M); };
        schema_.relationships.push_back(std::move(d));
        return *this;
    }

    template <auto M> SchemaBuilder& many(const char* name, Entity target, const char* inverse) {
        RelationshipDesc d = relationship(name, true, target, inverse);
        d.offset = offsetOf(&(probe_.*M));
        d.many = [](Record& r) -> RecordSet* { return &(static_cast<E&>(r).*M); };
        schema_.relationships.push_back(std::move(d));
        return *this;
    }

    EntitySchema build() { return std::move(schema_); }

  private:
    static RelationshipDesc relationship(const char* name, bool toMany, Entity target,
                                         const char* inverse) {
        RelationshipDesc d;
        d.name = name;
        d.toMany = toMany;
        d.target = target;
        d.inverseName = inverse;
        return d;
    }
    std::size_t offsetOf(const void* field) const {
        return static_cast<std::size_t>(static_cast<const char*>(field) -
                                        reinterpret_cast<const char*>(&probe_));
    }

    E probe_;
    EntitySchema schema_;
};

} // namespace mapolt
