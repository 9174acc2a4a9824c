#pragma once

#include "interchange/byte_source.h"

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <string>

namespace mapolt {

// The largest file any reader takes in; a plan of a million tasks is far below it.
inline constexpr std::size_t kMaxInputFileBytes = std::size_t{1} << 30;

// A regular file read a piece at a time. Folders, pipes and devices are refused without
// waiting on them (a pipe may never be written, a device may never end), and so is a file
// above the bound. Reading fails when the file grows past the bound, or when it is cut
// short, grows or is rewritten while it is read: what was read would be a mix of two files.
class InputFile final : public ByteSource {
  public:
    InputFile() = default;
    ~InputFile() override;
    InputFile(const InputFile&) = delete;
    InputFile& operator=(const InputFile&) = delete;

    // Why the file cannot be read, in words that follow "Could not open X: "; empty when it
    // is open.
    std::string open(const std::filesystem::path& path, std::size_t maxBytes = kMaxInputFileBytes);
    // The size the file had when it was opened.
    std::size_t size() const { return size_; }

    std::size_t read(char* into, std::size_t size) override;
    const std::string& failure() const override { return failure_; }
    // Records a failure when the file differs from the one opened; a reader that stopped
    // early calls it to tell a damaged file from one changed under it.
    void checkUnchanged();

  private:
    int fd_ = -1;
    std::size_t maxBytes_ = kMaxInputFileBytes;
    std::size_t size_ = 0;
    std::size_t read_ = 0;
    std::int64_t modifiedSeconds_ = 0;
    std::int64_t modifiedNanoseconds_ = 0;
    std::string failure_;
};

// Reads a regular file whole into `out`, by the rules of InputFile. Returns why reading
// failed, in words that follow "Could not open X: "; empty when it succeeded.
std::string readRegularFile(const std::filesystem::path& path, std::string& out,
                            std::size_t maxBytes = kMaxInputFileBytes);

} // namespace mapolt
