#pragma once

#include "model/record_slot_index.h"

#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

namespace mapolt {

class Record;

// The members of a to-many relationship end: a set that iterates in insertion order.
// Removal leaves a hole that is compacted later, and large sets keep a hash index, so
// adding, finding and removing stay O(1) even on a parent with 100,000 children.
class RecordSet {
  public:
    RecordSet() = default;
    RecordSet(const RecordSet&) = delete;
    RecordSet& operator=(const RecordSet&) = delete;

    std::size_t size() const { return count_; }
    bool empty() const { return count_ == 0; }
    bool contains(const Record* r) const;
    // Both return whether the set changed.
    bool insert(Record* r);
    bool erase(Record* r);
    // Members in insertion order.
    std::vector<Record*> members() const;
    // Where the members' slots lie (null when there are none), for passes that ask for
    // them before iterating.
    const void* storage() const { return slots_.data(); }

    class Iterator {
      public:
        Iterator(Record* const* pos, Record* const* end) : pos_(pos), end_(end) { skipHoles(); }
        Record* operator*() const { return *pos_; }
        Iterator& operator++() {
            ++pos_;
            skipHoles();
            return *this;
        }
        bool operator==(const Iterator& o) const { return pos_ == o.pos_; }

      private:
        void skipHoles() {
            while (pos_ != end_ && *pos_ == nullptr)
                ++pos_;
        }
        Record* const* pos_;
        Record* const* end_;
    };
    Iterator begin() const { return {slots_.data(), slots_.data() + slots_.size()}; }
    Iterator end() const { return {slots_.data() + slots_.size(), slots_.data() + slots_.size()}; }

  private:
    static constexpr std::size_t kIndexThreshold = 16;
    std::ptrdiff_t slotOf(const Record* r) const;
    void compact();
    void rebuildIndex();

    std::vector<Record*> slots_;
    std::unique_ptr<RecordSlotIndex> index_;
    std::uint32_t count_ = 0;
};

} // namespace mapolt
