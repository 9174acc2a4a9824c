#include "document/atomic_file_writer.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <random>
#include <sys/stat.h>
#include <unistd.h>

namespace mapolt {

namespace {

std::string failure(const std::filesystem::path& target, std::string_view reason) {
    return "Could not save \"" + target.string() + "\": " + std::string(reason);
}

std::string systemReason() {
    return std::strerror(errno);
}

std::filesystem::path resolvedTarget(const std::filesystem::path& target) {
    std::error_code ec;
    if (std::filesystem::is_symlink(target, ec)) {
        const std::filesystem::path real = std::filesystem::canonical(target, ec);
        if (!ec)
            return real;
    }
    return target;
}

std::filesystem::path folderOf(const std::filesystem::path& target) {
    return target.has_parent_path() ? target.parent_path() : std::filesystem::path(".");
}

std::string temporaryPrefix(const std::filesystem::path& target) {
    return "." + target.filename().string() + ".saving-";
}

// Tries fresh temporary names beside the target until `make` does not find one taken.
template <class Make>
int withFreshName(const std::filesystem::path& target, std::filesystem::path& temporary,
                  Make make) {
    std::random_device seed;
    std::mt19937_64 random(seed());
    for (int attempt = 0; attempt < 100; ++attempt) {
        temporary =
            folderOf(target) / (temporaryPrefix(target) + std::to_string(random() % 1000000000ULL));
        const int result = make(temporary);
        if (result >= 0 || errno != EEXIST)
            return result;
    }
    return -1;
}

// Opens a new file beside the target whose name no other file has; -1 on failure.
int openTemporaryBeside(const std::filesystem::path& target, std::filesystem::path& temporary) {
    return withFreshName(target, temporary, [](const std::filesystem::path& name) {
        return ::open(name.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    });
}

// A file without a name in the target's folder, where the file system has them: a save
// killed while writing it leaves nothing behind. -1 where there are none.
int openUnnamedBeside(const std::filesystem::path& target) {
    return ::open(folderOf(target).c_str(), O_TMPFILE | O_WRONLY | O_CLOEXEC, 0666);
}

// Gives the unnamed file a temporary name just before the rename.
bool nameUnnamed(int fd, const std::filesystem::path& target, std::filesystem::path& temporary) {
    const std::string self = "/proc/self/fd/" + std::to_string(fd);
    return withFreshName(target, temporary, [&](const std::filesystem::path& name) {
               return ::linkat(AT_FDCWD, self.c_str(), AT_FDCWD, name.c_str(), AT_SYMLINK_FOLLOW);
           }) == 0;
}

// Temporary files of this target that a killed save left behind (saves before unnamed
// files, or on file systems without them). Only old ones go: a younger one may belong to a
// save running at this moment.
void removeStaleTemporaries(const std::filesystem::path& target) {
    const std::string prefix = temporaryPrefix(target);
    const auto now = std::filesystem::file_time_type::clock::now();
    std::error_code ec;
    for (const auto& entry : std::filesystem::directory_iterator(folderOf(target), ec)) {
        const std::string name = entry.path().filename().string();
        if (!name.starts_with(prefix) || !entry.is_regular_file(ec))
            continue;
        const auto written = entry.last_write_time(ec);
        if (!ec && now - written > kStaleTemporaryAge)
            std::filesystem::remove(entry.path(), ec);
    }
}

bool writeAll(int fd, std::string_view bytes) {
    while (!bytes.empty()) {
        const ssize_t n = ::write(fd, bytes.data(), bytes.size());
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return false;
        }
        bytes.remove_prefix(static_cast<std::size_t>(n));
    }
    return true;
}

// The rename itself reaches the disk only when the folder is flushed; folders that cannot
// be flushed are not an error.
void syncFolderOf(const std::filesystem::path& target) {
    const std::filesystem::path folder =
        target.has_parent_path() ? target.parent_path() : std::filesystem::path(".");
    const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0)
        return;
    ::fsync(fd);
    ::close(fd);
}

} // namespace

bool writeFileAtomically(const std::filesystem::path& requested, std::string_view bytes,
                         std::string& error, const std::function<bool()>& beforeRename) {
    return writeFileAtomically(
        requested, [bytes](const ByteWriter& write) { return write(bytes); }, error, beforeRename);
}

bool writeFileAtomically(const std::filesystem::path& requested,
                         const std::function<bool(const ByteWriter&)>& produce, std::string& error,
                         const std::function<bool()>& beforeRename) {
    const std::filesystem::path target = resolvedTarget(requested);
    removeStaleTemporaries(target);
    std::filesystem::path temporary;
    int fd = openUnnamedBeside(target);
    const bool unnamed = fd >= 0;
    if (!unnamed)
        fd = openTemporaryBeside(target, temporary);
    if (fd < 0) {
        error = failure(requested, systemReason());
        return false;
    }
    const auto abandon = [&](std::string reason) {
        if (!temporary.empty())
            ::unlink(temporary.c_str());
        error = failure(requested, reason);
        return false;
    };

    struct stat existing {};
    if (::stat(target.c_str(), &existing) == 0 && S_ISREG(existing.st_mode))
        ::fchmod(fd, existing.st_mode & 07777);
    bool writeFailed = false;
    const ByteWriter write = [fd, &writeFailed](std::string_view bytes) {
        writeFailed = writeFailed || !writeAll(fd, bytes);
        return !writeFailed;
    };
    const bool produced = produce(write);
    if (!produced && !writeFailed) {
        ::close(fd);
        return abandon("its content could not be made");
    }
    if (!produced || ::fsync(fd) != 0 || (unnamed && !nameUnnamed(fd, target, temporary))) {
        std::string reason = systemReason();
        ::close(fd);
        return abandon(std::move(reason));
    }
    if (::close(fd) != 0)
        return abandon(systemReason());
    if (beforeRename && !beforeRename())
        return abandon("the save was interrupted");
    if (::rename(temporary.c_str(), target.c_str()) != 0)
        return abandon(systemReason());
    syncFolderOf(target);
    return true;
}

} // namespace mapolt
