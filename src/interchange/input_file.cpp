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

class FileDescriptor {
  public:
    explicit FileDescriptor(int fd) : fd_(fd) {}
    ~FileDescriptor() {
        if (fd_ >= 0)
            ::close(fd_);
    }
    FileDescriptor(const FileDescriptor&) = delete;
    FileDescriptor& operator=(const FileDescriptor&) = delete;
    int get() const { return fd_; }

  private:
    int fd_;
};

} // namespace

std::string readRegularFile(const std::filesystem::path& path, std::string& out,
                            std::size_t maxBytes) {
    out.clear();
    // Non-blocking, so that opening a pipe without a writer returns at once.
    const FileDescriptor fd(::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK));
    if (fd.get() < 0)
        return std::strerror(errno);
    struct stat info {};
    if (::fstat(fd.get(), &info) != 0)
        return std::strerror(errno);
    if (!S_ISREG(info.st_mode))
        return notRegular(info.st_mode);
    const auto size = static_cast<std::size_t>(std::max<off_t>(info.st_size, 0));
    if (size > maxBytes)
        return tooLarge(maxBytes);
    // One read into a string of the file's size; a file that grows while it is read is
    // still taken only up to the bound.
    // A byte to spare shows the end of the file without growing the string, and leaves
    // room for a reader's padding.
    out.resize(std::max<std::size_t>(size + 64, 4096));
    std::size_t filled = 0;
    for (;;) {
        if (filled == out.size()) {
            if (out.size() > maxBytes)
                return tooLarge(maxBytes);
            out.resize(std::min(out.size() * 2, maxBytes + 1));
        }
        const ssize_t n = ::read(fd.get(), out.data() + filled, out.size() - filled);
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0)
            return std::string("the file could not be read (") + std::strerror(errno) + ")";
        if (n == 0)
            break;
        filled += static_cast<std::size_t>(n);
    }
    if (filled > maxBytes)
        return tooLarge(maxBytes);
    out.resize(filled);
    return {};
}

} // namespace mapolt
