#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>

namespace mapolt {

class ATaskResource;
class Store;

// The usage records of one assignment at one moment: which records, in order, with their
// three values and their resource, packed in one block of four-byte words. A recalculation
// that moves every task keeps one of these per assignment instead of a step for every value,
// link and record it rewrote.
class UsageSnapshot {
  public:
    UsageSnapshot() = default;
    static UsageSnapshot of(const ATaskResource& assignment);

    // Whether the assignment's usage is exactly what the snapshot holds.
    bool matches(const ATaskResource& assignment) const;
    // Brings the assignment's usage back to the snapshot: records it gained since are deleted,
    // records it lost come back, values, resources and order are those of the snapshot. The
    // writes notify like any other; the caller keeps them out of the undo history.
    void restore(Store& store, ATaskResource& assignment) const;

    std::size_t size() const { return words_ ? words_[0] : 0; }

  private:
    explicit UsageSnapshot(std::unique_ptr<std::uint32_t[]> words) : words_(std::move(words)) {}

    std::unique_ptr<std::uint32_t[]> words_;
};

} // namespace mapolt
