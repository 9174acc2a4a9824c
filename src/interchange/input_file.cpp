#include "interchange/input_file.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace mapolt {

namespace {

std::string notRegular(mode_t mode) {
    if (S_ISDIR(mode))
        return "it is a folder, not a file";
    if (S_ISFIFO(mode))
        return "it is a pipe, not a file";
    if (S_ISCHR(mode) || S_ISBLK(mode))
        return "it is a device, not a file";
    if (S_ISSOCK(mode))
        return "it is a socket, not a file";
    return "it is not a regular file";
}

std::string tooLarge(std::size_t maxBytes) {
    return "it is larger than " + std::to_string(maxBytes >> 20) + " MiB";
}

} // namespace

InputFile::~InputFile() {
    if (fd_ >= 0)
        ::close(fd_);
}

std::string InputFile::open(const std::filesystem::path& path, std::size_t maxBytes) {
    // Non-blocking, so that opening a pipe without a writer returns at once.
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK);
    if (fd < 0)
        return std::strerror(errno);
    struct stat info {};
    std::string reason;
    if (::fstat(fd, &info) != 0)
        reason = std::strerror(errno);
    else if (!S_ISREG(info.st_mode))
        reason = notRegular(info.st_mode);
    else if (static_cast<std::size_t>(std::max<off_t>(info.st_size, 0)) > maxBytes)
        reason = tooLarge(maxBytes);
    if (!reason.empty()) {
        ::close(fd);
        return reason;
    }
    fd_ = fd;
    maxBytes_ = maxBytes;
    size_ = static_cast<std::size_t>(info.st_size);
    modifiedSeconds_ = info.st_mtim.tv_sec;
    modifiedNanoseconds_ = info.st_mtim.tv_nsec;
    return {};
}

std::size_t InputFile::read(char* into, std::size_t size) {
    if (fd_ < 0 || !failure_.empty() || size == 0)
        return 0;
    for (;;) {
        const ssize_t n = ::read(fd_, into, size);
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0) {
            failure_ = std::string("the file could not be read (") + std::strerror(errno) + ")";
            return 0;
        }
        if (n == 0) {
            checkUnchanged();
            return 0;
        }
        read_ += static_cast<std::size_t>(n);
        if (read_ > maxBytes_) {
            failure_ = tooLarge(maxBytes_);
            return 0;
        }
        return static_cast<std::size_t>(n);
    }
}

// The size and the time of the last write, seen through the open file: a file cut short
// or rewritten in place shows in either. Files whose size the system does not know (those
// of /proc say 0) read as they come.
void InputFile::checkUnchanged() {
    if (fd_ < 0 || !failure_.empty())
        return;
    struct stat now {};
    if (::fstat(fd_, &now) != 0) {
        failure_ = std::string("the file could not be read (") + std::strerror(errno) + ")";
        return;
    }
    if (static_cast<std::size_t>(std::max<off_t>(now.st_size, 0)) != size_ ||
        now.st_mtim.tv_sec != modifiedSeconds_ || now.st_mtim.tv_nsec != modifiedNanoseconds_)
        failure_ = "it changed while it was read";
}

std::string readRegularFile(const std::filesystem::path& path, std::string& out,
                            std::size_t maxBytes) {
    out.clear();
    InputFile file;
    if (std::string reason = file.open(path, maxBytes); !reason.empty())
        return reason;
    // A byte to spare shows the end of the file without growing the string, and leaves
    // room for a reader's padding; a file that grows while it is read fails at the bound.
    out.resize(std::max<std::size_t>(file.size() + 64, 4096));
    std::size_t filled = 0;
    for (;;) {
        if (filled == out.size())
            out.resize(std::min(out.size() * 2, maxBytes + 1));
        const std::size_t n = file.read(out.data() + filled, out.size() - filled);
        if (n == 0)
            break;
        filled += n;
    }
    if (!file.failure().empty()) {
        out.clear();
        return file.failure();
    }
    out.resize(filled);
    return {};
}

} // namespace mapolt
