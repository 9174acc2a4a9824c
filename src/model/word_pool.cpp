#include "model/word_pool.h"

#include <algorithm>

namespace mapolt {

namespace {

// 256 KiB: a recalculation of a large plan takes a few hundred blocks.
constexpr std::size_t kLargestBlock = 64 * 1024;

} // namespace

std::uint32_t* WordPool::allocate(std::size_t count) {
    if (count > unusedCount_) {
        // A snapshot larger than the next block gets a block of its own size.
        const std::size_t size = std::max(count, nextBlock_);
        blocks_.push_back(std::make_unique<std::uint32_t[]>(size));
        unused_ = blocks_.back().get();
        unusedCount_ = size;
        nextBlock_ = std::min(kLargestBlock, 2 * nextBlock_);
    } else {
        std::fill_n(unused_, count, 0u);
    }
    std::uint32_t* words = unused_;
    unused_ += count;
    unusedCount_ -= count;
    size_ += count;
    return words;
}

} // namespace mapolt
