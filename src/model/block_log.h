#pragma once

#include <algorithm>
#include <cstddef>
#include <utility>
#include <vector>

namespace mapolt {

// A sequence appended at its end and kept in blocks whose sizes double up to a bound. A short
// log costs one small block; a log of millions never holds a doubled array and its copy at
// once; and appending allocates once per block, not once per few elements as a deque of
// large elements does, which on a fragmented heap costs more than the appends themselves.
template <class T> class BlockLog {
  public:
    bool empty() const { return size_ == 0; }
    std::size_t size() const { return size_; }

    void push_back(T value) {
        if (blocks_.empty() || blocks_.back().size() == blocks_.back().capacity()) {
            const std::size_t capacity =
                blocks_.empty() ? kFirstBlock
                                : std::min(kLargestBlock, 2 * blocks_.back().capacity());
            blocks_.emplace_back().reserve(capacity);
        }
        blocks_.back().push_back(std::move(value));
        ++size_;
    }

    // Removes the elements the predicate holds for; the others keep their order.
    template <class Pred> void eraseIf(Pred pred) {
        std::size_t toBlock = 0;
        std::size_t toIndex = 0;
        for (std::vector<T>& block : blocks_)
            for (T& x : block) {
                if (pred(std::as_const(x)))
                    continue;
                T& slot = blocks_[toBlock][toIndex];
                if (&slot != &x)
                    slot = std::move(x);
                if (++toIndex == blocks_[toBlock].size()) {
                    ++toBlock;
                    toIndex = 0;
                }
            }
        if (toBlock < blocks_.size()) {
            std::vector<T>& last = blocks_[toBlock];
            last.erase(last.begin() + static_cast<std::ptrdiff_t>(toIndex), last.end());
            blocks_.erase(blocks_.begin() + static_cast<std::ptrdiff_t>(toBlock) + (toIndex > 0),
                          blocks_.end());
        }
        size_ = 0;
        for (const std::vector<T>& block : blocks_)
            size_ += block.size();
    }

    // Frees the room no element uses; the log is not appended to afterwards without
    // starting a new block.
    void shrinkToFit() {
        if (!blocks_.empty())
            blocks_.back().shrink_to_fit();
        blocks_.shrink_to_fit();
    }

    template <class F> void forEach(F&& f) {
        for (std::vector<T>& block : blocks_)
            for (T& x : block)
                f(x);
    }
    template <class F> void forEach(F&& f) const {
        for (const std::vector<T>& block : blocks_)
            for (const T& x : block)
                f(x);
    }
    template <class F> void forEachReversed(F&& f) {
        for (auto block = blocks_.rbegin(); block != blocks_.rend(); ++block)
            for (auto x = block->rbegin(); x != block->rend(); ++x)
                f(*x);
    }

  private:
    static constexpr std::size_t kFirstBlock = 8;
    // Below the size at which the allocator maps fresh pages for each block.
    static constexpr std::size_t kLargestBlock = std::max<std::size_t>(1, 64 * 1024 / sizeof(T));

    std::vector<std::vector<T>> blocks_;
    std::size_t size_ = 0;
};

} // namespace mapolt
