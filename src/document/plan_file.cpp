#include "document/plan_file.h"

#include "interchange/json_import.h"
#include "model/entities.h"
#include "model/filters.h"
#include "model/store.h"

#include <cerrno>
#include <cstring>
#include <fstream>
#include <sstream>

namespace mapolt {

namespace {

std::string cannotOpen(const std::filesystem::path& path, std::string_view reason) {
    return "Could not open \"" + path.string() + "\": " + std::string(reason);
}

PlanReadResult refused(std::string message, std::optional<JsonError> codecError = {}) {
    return PlanReadResult{false, std::move(message), std::move(codecError)};
}

} // namespace

PlanReadResult readPlanFile(const std::filesystem::path& path, Store& store) {
    std::error_code ec;
    if (std::filesystem::is_directory(path, ec))
        return refused(cannotOpen(path, "it is a folder, not a plan file"));
    std::ifstream in(path, std::ios::binary);
    if (!in)
        return refused(cannotOpen(path, std::strerror(errno)));
    std::ostringstream buffer;
    buffer << in.rdbuf();
    if (in.bad())
        return refused(cannotOpen(path, "the file could not be read"));
    const std::string text = std::move(buffer).str();

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
    store.flushPendingChanges();
    return PlanReadResult{true, {}, std::nullopt};
}

void repairOrphans(Store& store) {
    UndoRegistrationPause pause(store.undoManager());
    for (ATaskResource* a : store.fetch<ATaskResource>(filters::orphanAssignmentFilter))
        store.deleteRecord(a);
    for (AResourceUsage* u : store.fetch<AResourceUsage>(filters::orphanUsageFilter))
        store.deleteRecord(u);
}

} // namespace mapolt
