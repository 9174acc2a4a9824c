#pragma once

#include <chrono>
#include <filesystem>
#include <functional>
#include <string>
#include <string_view>

namespace mapolt {

// Replaces the file at `target` with `bytes` so that it holds either all of its old content
// or all of the new, whatever happens during the write: the bytes go to a temporary file in
// the same folder, are flushed to disk, and the temporary file is renamed over the target.
// A symbolic link is written through; an existing file keeps its permissions. On failure
// the target is untouched, no temporary file is left, and `error` names the file and the
// reason. `beforeRename` runs once the temporary file is complete; returning false stops
// the write there, as an interrupted save would.
// A temporary file of the target older than this, found at the start of a save, was left by
// a save that was killed, and is removed. The bytes go to a file without a name where the
// file system allows it, which gets its temporary name only for the instant before the rename.
inline constexpr std::chrono::minutes kStaleTemporaryAge{2};

bool writeFileAtomically(const std::filesystem::path& target, std::string_view bytes,
                         std::string& error, const std::function<bool()>& beforeRename = {});

// The same for content made while it is written, so that a large file never has to be held
// whole in memory: `produce` hands its bytes piece by piece to the writer it is given, which
// answers false once a write failed; `produce` returns whether all went in.
using ByteWriter = std::function<bool(std::string_view)>;
bool writeFileAtomically(const std::filesystem::path& target,
                         const std::function<bool(const ByteWriter&)>& produce, std::string& error,
                         const std::function<bool()>& beforeRename = {});

} // namespace mapolt
