#pragma once

#include "model/record_slot_index.h"

#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

namespace mapolt {

class Record;
enum class Entity : std::uint8_t;

// The members of a to-many relationship end: a set that iterates in insertion order.
// Removal leaves a hole that is compacted later. Adding, finding and removing stay O(1)
// even on a parent with 100,000 children: the members of a one-to-many end keep their
// own slot in their to-one end back to the owner, and other large sets keep a hash index.
class RecordSet {
  public:
    RecordSet() = default;
    RecordSet(const RecordSet&) = delete;
    RecordSet& operator=(const RecordSet&) = delete;

    // Members, all of entity `member`, keep their slot in their to-one end `offset` bytes
    // into the record. Set once, while the set is empty.
    void keepSlotsInMembers(Entity member, std::uint16_t offset);

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
    std::uint32_t& slotKeptBy(const Record* r) const;
    bool membersKeepSlots() const { return slotKeeperOffset_ != 0; }
    void compact();
    void rebuildIndex();

    std::vector<Record*> slots_;
    std::unique_ptr<RecordSlotIndex> index_;
    std::uint32_t count_ = 0;
    // 0 when members keep no slot: a record's fields never start at its first byte.
    std::uint16_t slotKeeperOffset_ = 0;
    Entity memberEntity_{};
};

} // namespace mapolt
