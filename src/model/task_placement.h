#pragma once

#include "model/value.h"

#include <cstddef>
#include <cstdint>
#include <optional>

namespace mapolt {

class Record;

// A task's start, end, last shown end and length, which placing it writes together: the undo
// history keeps the four in one step the size of one attribute change.
class TaskPlacement {
  public:
    static constexpr std::size_t kCount = 4;

    // Whether the attribute is one of the four (of a task).
    static bool covers(const Record& r, std::size_t attribute);
    // The schema indexes of the four.
    static std::size_t attributeAt(std::size_t k);
    // The task's four values, but `before` for `attribute`, which was just written.
    static TaskPlacement before(const Record& task, std::size_t attribute, const Value& before);
    static TaskPlacement of(const Record& task);

    bool matches(const Record& task) const;
    // Equal to the bit, absent or not alike.
    static bool same(const std::optional<float>& a, const std::optional<float>& b);
    std::optional<float> value(std::size_t k) const;

  private:
    float values_[kCount] = {};
    std::uint8_t present_ = 0;
};

} // namespace mapolt
