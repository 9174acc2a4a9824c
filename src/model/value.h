#pragma once

#include "model/date.h"

#include <cstdint>
#include <string>
#include <variant>

namespace mapolt {

// Attribute types of the object model. Decimal values are kept as double.
enum class AttrType : std::uint8_t { String, Int, Bool, Float, Decimal, Date };

// A type-erased attribute value; monostate is an absent value.
using Value = std::variant<std::monostate, std::string, std::int32_t, bool, float, double, Date>;

inline bool isAbsent(const Value& v) {
    return std::holds_alternative<std::monostate>(v);
}

template <class T> struct AttrTypeOf;
template <> struct AttrTypeOf<std::string> { static constexpr AttrType value = AttrType::String; };
template <> struct AttrTypeOf<std::int32_t> { static constexpr AttrType value = AttrType::Int; };
template <> struct AttrTypeOf<bool> { static constexpr AttrType value = AttrType::Bool; };
template <> struct AttrTypeOf<float> { static constexpr AttrType value = AttrType::Float; };
template <> struct AttrTypeOf<double> { static constexpr AttrType value = AttrType::Decimal; };
template <> struct AttrTypeOf<Date> { static constexpr AttrType value = AttrType::Date; };

} // namespace mapolt
