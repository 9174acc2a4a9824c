#pragma once

#include <algorithm>
#include <cstddef>
#include <cstring>
#include <string>
#include <string_view>

namespace mapolt {

// Bytes handed over a piece at a time, so that a reader never needs a whole file at once.
class ByteSource {
  public:
    virtual ~ByteSource() = default;
    // Copies up to `size` of the next bytes to `into` and says how many; 0 only at the end or
    // when reading failed.
    virtual std::size_t read(char* into, std::size_t size) = 0;
    // Why reading stopped before the end; empty when it did not.
    virtual const std::string& failure() const = 0;
};

// A text already in memory, handed over as it lies.
class TextSource final : public ByteSource {
  public:
    explicit TextSource(std::string_view text) : rest_(text) {}

    std::size_t read(char* into, std::size_t size) override {
        const std::size_t n = std::min(size, rest_.size());
        if (n != 0)
            std::memcpy(into, rest_.data(), n);
        rest_.remove_prefix(n);
        return n;
    }
    const std::string& failure() const override { return failure_; }

  private:
    std::string_view rest_;
    std::string failure_;
};

} // namespace mapolt
