#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

namespace mapolt {

// Four-byte words handed out from blocks that double in size, all freed together with the
// pool. An undo group keeps the usage snapshots of a recalculation here: one allocation per
// block instead of one per assignment, on a heap that the previous history left in pieces.
class WordPool {
  public:
    // `count` words, zeroed, valid until the pool is destroyed.
    std::uint32_t* allocate(std::size_t count);
    // Words handed out so far.
    std::size_t size() const { return size_; }

  private:
    std::vector<std::unique_ptr<std::uint32_t[]>> blocks_;
    std::uint32_t* unused_ = nullptr;
    std::size_t unusedCount_ = 0;
    std::size_t nextBlock_ = 256;
    std::size_t size_ = 0;
};

} // namespace mapolt
