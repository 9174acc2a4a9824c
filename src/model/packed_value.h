#pragma once

#include "model/value.h"

#include <cstdint>
#include <string>

namespace mapolt {

// A value as the undo history keeps it: eight bytes and the alternative, text out of line.
// A recalculation records millions of numbers, and a Value spends forty bytes on each.
class PackedValue {
  public:
    PackedValue() = default;
    explicit PackedValue(const Value& v);
    PackedValue(const PackedValue& other);
    PackedValue(PackedValue&& other) noexcept;
    PackedValue& operator=(PackedValue other) noexcept;
    ~PackedValue();

    Value value() const;
    bool operator==(const Value& v) const;

  private:
    union Slot {
        std::int32_t i;
        bool b;
        float f;
        double d;
        std::string* s;
    };
    static constexpr std::uint8_t kString = 1;

    Slot slot_{.d = 0.0};
    // The alternative's index in Value.
    std::uint8_t index_ = 0;
};

} // namespace mapolt
