#pragma once

#include <cstddef>
#include <filesystem>
#include <string>

namespace mapolt {

// The largest file any reader takes in; a plan of a million tasks is far below it.
inline constexpr std::size_t kMaxInputFileBytes = std::size_t{1} << 30;

// Reads a regular file whole into `out`. Folders, pipes and devices are refused without
// waiting on them (a pipe may never be written, a device may never end), and so is a file
// above `maxBytes`. Returns why reading failed, in words that follow "Could not open X: ";
// empty when it succeeded.
std::string readRegularFile(const std::filesystem::path& path, std::string& out,
                            std::size_t maxBytes = kMaxInputFileBytes);

} // namespace mapolt
