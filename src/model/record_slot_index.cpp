#include "model/record_slot_index.h"

#include <bit>

namespace mapolt {

std::size_t RecordSlotIndex::home(const Record* r) const {
    const auto bits = static_cast<std::uint64_t>(reinterpret_cast<std::uintptr_t>(r));
    return static_cast<std::size_t>((bits * 0x9E3779B97F4A7C15ULL) >> shift_);
}

std::ptrdiff_t RecordSlotIndex::find(const Record* r) const {
    if (keys_.empty() || r == nullptr)
        return -1;
    const std::size_t mask = keys_.size() - 1;
    for (std::size_t i = home(r);; i = (i + 1) & mask) {
        if (keys_[i] == r)
            return static_cast<std::ptrdiff_t>(slots_[i]);
        if (keys_[i] == nullptr)
            return -1;
    }
}

void RecordSlotIndex::insert(const Record* r, std::uint32_t slot) {
    if ((size_ + 1) * 2 > keys_.size())
        rehash(keys_.empty() ? 16 : keys_.size() * 2);
    const std::size_t mask = keys_.size() - 1;
    std::size_t i = home(r);
    while (keys_[i] != nullptr)
        i = (i + 1) & mask;
    keys_[i] = r;
    slots_[i] = slot;
    ++size_;
}

void RecordSlotIndex::erase(const Record* r) {
    if (keys_.empty() || r == nullptr)
        return;
    const std::size_t mask = keys_.size() - 1;
    std::size_t i = home(r);
    while (keys_[i] != r) {
        if (keys_[i] == nullptr)
            return;
        i = (i + 1) & mask;
    }
    // Backward-shift deletion: pull later entries of the probe run into the hole, so lookups
    // never need tombstones.
    std::size_t hole = i;
    for (std::size_t j = (i + 1) & mask; keys_[j] != nullptr; j = (j + 1) & mask) {
        const std::size_t want = home(keys_[j]);
        const bool movable = hole <= j ? (want <= hole || want > j) : (want <= hole && want > j);
        if (movable) {
            keys_[hole] = keys_[j];
            slots_[hole] = slots_[j];
            hole = j;
        }
    }
    keys_[hole] = nullptr;
    --size_;
}

void RecordSlotIndex::clear() {
    std::fill(keys_.begin(), keys_.end(), nullptr);
    size_ = 0;
}

void RecordSlotIndex::reserve(std::size_t expected) {
    std::size_t capacity = 16;
    while (capacity < expected * 2)
        capacity *= 2;
    if (capacity > keys_.size())
        rehash(capacity);
}

void RecordSlotIndex::rehash(std::size_t capacity) {
    std::vector<const Record*> oldKeys(capacity, nullptr);
    std::vector<std::uint32_t> oldSlots(capacity, 0);
    oldKeys.swap(keys_);
    oldSlots.swap(slots_);
    shift_ = 64U - static_cast<unsigned>(std::countr_zero(capacity));
    size_ = 0;
    for (std::size_t i = 0; i < oldKeys.size(); ++i)
        if (oldKeys[i] != nullptr)
            insert(oldKeys[i], oldSlots[i]);
}

} // namespace mapolt
