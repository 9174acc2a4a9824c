#pragma once

#include <cstddef>
#include <cstdint>

namespace mapolt {

class ATaskResource;
class Store;
class WordPool;

// The usage records of one assignment at one moment: which records, in order, with their
// three values and their resource, packed in four-byte words from the pool of the undo group
// that keeps it. A recalculation that moves every task keeps one of these per assignment
// instead of a step for every value, link and record it rewrote.
class UsageSnapshot {
  public:
    UsageSnapshot() = default;
    static UsageSnapshot of(const ATaskResource& assignment, WordPool& pool);

    // Whether the assignment's usage is exactly what the snapshot holds.
    bool matches(const ATaskResource& assignment) const;
    // Brings the assignment's usage back to the snapshot: records it gained since are deleted,
    // records it lost come back, values, resources and order are those of the snapshot. The
    // writes notify like any other; the caller keeps them out of the undo history.
    void restore(Store& store, ATaskResource& assignment) const;
    // Restores the snapshot and keeps the usage it replaced instead, in the words it holds
    // when they are enough: undoing and redoing a group again and again takes no more room.
    void exchange(Store& store, ATaskResource& assignment, WordPool& pool);

    std::size_t size() const { return words_ ? words_[0] : 0; }

  private:
    UsageSnapshot(std::uint32_t* words, std::size_t capacity)
        : words_(words), capacity_(capacity) {}

    std::uint32_t* words_ = nullptr;
    std::size_t capacity_ = 0;
};

} // namespace mapolt
