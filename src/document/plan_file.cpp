#include "document/plan_file.h"

#include "interchange/json_import.h"
#include "model/entities.h"
#include "model/filters.h"
#include "model/store.h"
#include "schedule/looping_links.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace mapolt {

namespace {

std::string cannotOpen(const std::filesystem::path& path, std::string_view reason) {
    return "Could not open \"" + path.string() + "\": " + std::string(reason);
}

// The file's bytes in one read into a string of the file's size (a stream copy into a
// growing buffer took a sixth of the time of opening a large plan); the reason when that
// fails, else an empty string.
std::string readWholeFile(const std::filesystem::path& path, std::string& out) {
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return std::strerror(errno);
    struct stat info {};
    if (::fstat(fd, &info) == 0 && info.st_size > 0)
        out.resize(static_cast<std::size_t>(info.st_size));
    std::size_t filled = 0;
    std::string reason;
    for (;;) {
        if (filled == out.size())
            out.resize(std::max<std::size_t>(4096, out.size() * 2));
        const ssize_t n = ::read(fd, out.data() + filled, out.size() - filled);
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0) {
            reason = std::string("the file could not be read (") + std::strerror(errno) + ")";
            break;
        }
        if (n == 0)
            break;
        filled += static_cast<std::size_t>(n);
    }
    ::close(fd);
    out.resize(filled);
    return reason;
}

PlanReadResult refused(std::string message, std::optional<JsonError> codecError = {}) {
    return PlanReadResult{false, std::move(message), std::move(codecError), {}};
}

} // namespace

PlanReadResult readPlanFile(const std::filesystem::path& path, Store& store) {
    std::error_code ec;
    if (std::filesystem::is_directory(path, ec))
        return refused(cannotOpen(path, "it is a folder, not a plan file"));
    std::string text;
    if (const std::string reason = readWholeFile(path, text); !reason.empty())
        return refused(cannotOpen(path, reason));

    UndoRegistrationPause pause(store.undoManager());
    JSONImport import;
    if (!import.createModelFromJSON(text, store)) {
        const JsonError& e = *import.error();
        return refused(cannotOpen(path, "it is not a readable plan file (" + e.message() +
                                            " at byte " + std::to_string(e.offset()) + ")"),
                       e);
    }
    // Every plan file holds its project; a JSON file without one (a style file, say) would
    // otherwise open as an empty plan and be overwritten by it on the next save.
    if (store.count(Entity::Project) == 0)
        return refused(cannotOpen(path, "it is not a plan file (it holds no project)"));
    repairOrphans(store);
    PlanReadResult read{true, {}, std::nullopt, {}};
    for (const RemovedLink& link : removeLoopingLinks(store))
        read.warnings.push_back(link.message());
    store.flushPendingChanges();
    return read;
}

void repairOrphans(Store& store) {
    UndoRegistrationPause pause(store.undoManager());
    for (ATaskResource* a : store.fetch<ATaskResource>(filters::orphanAssignmentFilter))
        store.deleteRecord(a);
    for (AResourceUsage* u : store.fetch<AResourceUsage>(filters::orphanUsageFilter))
        store.deleteRecord(u);
}

} // namespace mapolt
