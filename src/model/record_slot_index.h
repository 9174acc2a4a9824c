#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace mapolt {

class Record;

// Record pointer -> slot number, open addressing with linear probing. Large to-many sets
// look members up on every link and unlink; a node-based map would allocate for each.
// A key and its slot share one entry, so a lookup in a table far larger than the cache
// misses it once, not once per array.
class RecordSlotIndex {
  public:
    explicit RecordSlotIndex(std::size_t expected = 0) { reserve(expected); }

    // The slot of `r`, or -1.
    std::ptrdiff_t find(const Record* r) const;
    // Adds `r` at `slot` unless present; returns whether it was added.
    bool insert(const Record* r, std::uint32_t slot);
    // Removes `r`; returns the slot it had, or -1.
    std::ptrdiff_t erase(const Record* r);
    void clear();
    void reserve(std::size_t expected);
    std::size_t size() const { return size_; }

  private:
    struct Entry {
        const Record* key = nullptr;
        std::uint32_t slot = 0;
    };
    std::size_t home(const Record* r) const;
    // The entry holding `r`, or the empty one where it would go.
    std::size_t probe(const Record* r) const;
    void rehash(std::size_t capacity);

    std::vector<Entry> entries_;
    std::size_t size_ = 0;
    unsigned shift_ = 64;
};

} // namespace mapolt
