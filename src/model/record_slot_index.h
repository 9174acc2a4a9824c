#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace mapolt {

class Record;

// Record pointer -> slot number, open addressing with linear probing. Large to-many sets
// look members up on every link and unlink; a node-based map would allocate for each.
class RecordSlotIndex {
  public:
    explicit RecordSlotIndex(std::size_t expected = 0) { reserve(expected); }

    // The slot of `r`, or -1.
    std::ptrdiff_t find(const Record* r) const;
    // `r` must not be present yet.
    void insert(const Record* r, std::uint32_t slot);
    void erase(const Record* r);
    void clear();
    void reserve(std::size_t expected);
    std::size_t size() const { return size_; }

  private:
    std::size_t home(const Record* r) const;
    void rehash(std::size_t capacity);

    std::vector<const Record*> keys_;
    std::vector<std::uint32_t> slots_;
    std::size_t size_ = 0;
    unsigned shift_ = 64;
};

} // namespace mapolt
