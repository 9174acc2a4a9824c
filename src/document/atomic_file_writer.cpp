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

// Opens a new file beside the target whose name no other file has; -1 on failure.
int openTemporaryBeside(const std::filesystem::path& target, std::filesystem::path& temporary) {
    std::random_device seed;
    std::mt19937_64 random(seed());
    const std::filesystem::path folder =
        target.has_parent_path() ? target.parent_path() : std::filesystem::path(".");
    for (int attempt = 0; attempt < 100; ++attempt) {
        temporary = folder / ("." + target.filename().string() + ".saving-" +
                              std::to_string(random() % 1000000000ULL));
        const int fd = ::open(temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd >= 0 || errno != EEXIST)
            return fd;
    }
    return -1;
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
    const std::filesystem::path target = resolvedTarget(requested);
    std::filesystem::path temporary;
    const int fd = openTemporaryBeside(target, temporary);
    if (fd < 0) {
        error = failure(requested, systemReason());
        return false;
    }
    const auto abandon = [&](std::string reason) {
        ::unlink(temporary.c_str());
        error = failure(requested, reason);
        return false;
    };

    struct stat existing {};
    if (::stat(target.c_str(), &existing) == 0 && S_ISREG(existing.st_mode))
        ::fchmod(fd, existing.st_mode & 07777);
    if (!writeAll(fd, bytes) || ::fsync(fd) != 0) {
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
