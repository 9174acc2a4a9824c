#include "model/packed_value.h"

#include <type_traits>
#include <utility>

namespace mapolt {

namespace {

template <std::size_t I> using Alternative = std::variant_alternative_t<I, Value>;
static_assert(std::is_same_v<Alternative<1>, std::string>);
static_assert(std::is_same_v<Alternative<2>, std::int32_t>);
static_assert(std::is_same_v<Alternative<3>, bool>);
static_assert(std::is_same_v<Alternative<4>, float>);
static_assert(std::is_same_v<Alternative<5>, double>);
static_assert(std::is_same_v<Alternative<6>, Date>);

} // namespace

PackedValue::PackedValue(const Value& v) : index_(static_cast<std::uint8_t>(v.index())) {
    std::visit(
        [this](const auto& x) {
            using T = std::decay_t<decltype(x)>;
            if constexpr (std::is_same_v<T, std::string>)
                slot_.s = new std::string(x);
            else if constexpr (std::is_same_v<T, std::int32_t>)
                slot_.i = x;
            else if constexpr (std::is_same_v<T, bool>)
                slot_.b = x;
            else if constexpr (std::is_same_v<T, float>)
                slot_.f = x;
            else if constexpr (std::is_same_v<T, double>)
                slot_.d = x;
            else if constexpr (std::is_same_v<T, Date>)
                slot_.d = x.seconds;
        },
        v);
}

PackedValue::PackedValue(const PackedValue& other) : slot_(other.slot_), index_(other.index_) {
    if (index_ == kString)
        slot_.s = new std::string(*other.slot_.s);
}

PackedValue::PackedValue(PackedValue&& other) noexcept
    : slot_(other.slot_), index_(std::exchange(other.index_, 0)) {}

PackedValue& PackedValue::operator=(PackedValue other) noexcept {
    std::swap(slot_, other.slot_);
    std::swap(index_, other.index_);
    return *this;
}

PackedValue::~PackedValue() {
    if (index_ == kString)
        delete slot_.s;
}

Value PackedValue::value() const {
    switch (index_) {
    case kString:
        return Value{*slot_.s};
    case 2:
        return Value{slot_.i};
    case 3:
        return Value{slot_.b};
    case 4:
        return Value{slot_.f};
    case 5:
        return Value{slot_.d};
    case 6:
        return Value{Date{slot_.d}};
    default:
        return Value{};
    }
}

bool PackedValue::operator==(const Value& v) const {
    if (v.index() != index_)
        return false;
    return value() == v;
}

} // namespace mapolt
