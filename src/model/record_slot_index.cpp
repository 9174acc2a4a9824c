#include "model/record_slot_index.h"

#include <bit>

namespace mapolt {

std::size_t RecordSlotIndex::home(const Record* r) const {
    const auto bits = static_cast<std::uint64_t>(reinterpret_cast<std::uintptr_t>(r));
    return static_cast<std::size_t>((bits * 0x9E3779B97F4A7C15ULL) >> shift_);
}

std::size_t RecordSlotIndex::probe(const Record* r) const {
    const std::size_t mask = entries_.size() - 1;
    std::size_t i = home(r);
    while (entries_[i].key != r && entries_[i].key != nullptr)
        i = (i + 1) & mask;
    return i;
}

std::ptrdiff_t RecordSlotIndex::find(const Record* r) const {
    if (entries_.empty() || r == nullptr)
        return -1;
    const Entry& e = entries_[probe(r)];
    return e.key == r ? static_cast<std::ptrdiff_t>(e.slot) : -1;
}

bool RecordSlotIndex::insert(const Record* r, std::uint32_t slot) {
    if ((size_ + 1) * 2 > entries_.size())
        rehash(entries_.empty() ? 16 : entries_.size() * 2);
    Entry& e = entries_[probe(r)];
    if (e.key == r)
        return false;
    e = Entry{r, slot};
    ++size_;
    return true;
}

std::ptrdiff_t RecordSlotIndex::erase(const Record* r) {
    if (entries_.empty() || r == nullptr)
        return -1;
    const std::size_t i = probe(r);
    if (entries_[i].key != r)
        return -1;
    const auto slot = static_cast<std::ptrdiff_t>(entries_[i].slot);
    // Backward-shift deletion: pull later entries of the probe run into the hole, so lookups
    // never need tombstones.
    const std::size_t mask = entries_.size() - 1;
    std::size_t hole = i;
    for (std::size_t j = (i + 1) & mask; entries_[j].key != nullptr; j = (j + 1) & mask) {
        const std::size_t want = home(entries_[j].key);
        const bool movable = hole <= j ? (want <= hole || want > j) : (want <= hole && want > j);
        if (movable) {
            entries_[hole] = entries_[j];
            hole = j;
        }
    }
    entries_[hole].key = nullptr;
    --size_;
    return slot;
}

void RecordSlotIndex::clear() {
    std::fill(entries_.begin(), entries_.end(), Entry{});
    size_ = 0;
}

void RecordSlotIndex::reserve(std::size_t expected) {
    std::size_t capacity = 16;
    while (capacity < expected * 2)
        capacity *= 2;
    if (capacity > entries_.size())
        rehash(capacity);
}

void RecordSlotIndex::rehash(std::size_t capacity) {
    std::vector<Entry> old(capacity);
    old.swap(entries_);
    shift_ = 64U - static_cast<unsigned>(std::countr_zero(capacity));
    size_ = 0;
    for (const Entry& e : old)
        if (e.key != nullptr)
            insert(e.key, e.slot);
}

} // namespace mapolt
