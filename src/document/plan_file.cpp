#include "document/plan_file.h"

#include "interchange/input_file.h"
#include "interchange/json_import.h"
#include "model/entities.h"
#include "model/filters.h"
#include "model/outline_check.h"
#include "model/store.h"
#include "schedule/looping_links.h"

#include <algorithm>

namespace mapolt {

namespace {

std::string cannotOpen(const std::filesystem::path& path, std::string_view reason) {
    return "Could not open \"" + path.string() + "\": " + std::string(reason);
}

PlanReadResult refused(std::string message, std::optional<JsonError> codecError = {}) {
    return PlanReadResult{false, std::move(message), std::move(codecError), {}, {}};
}

} // namespace

PlanReadResult readPlanFile(const std::filesystem::path& path, Store& store) {
    InputFile file;
    if (const std::string reason = file.open(path); !reason.empty())
        return refused(cannotOpen(path, reason));

    UndoRegistrationPause pause(store.undoManager());
    JSONImport import;
    // The file is read a piece at a time as the records are made: the text of the whole
    // file is never held.
    const bool read = import.createModelFromJSON(file, store);
    // A file changed under the reader can look damaged; the change is the reason to give.
    if (!read)
        file.checkUnchanged();
    if (!file.failure().empty())
        return refused(cannotOpen(path, file.failure()));
    if (!read) {
        if (import.problem())
            return refused(
                cannotOpen(path, "it is not a readable plan file (" + *import.problem() + ")"));
        const JsonError& e = *import.error();
        return refused(cannotOpen(path, "it is not a readable plan file (" + e.message() +
                                            " at byte " + std::to_string(e.offset()) + ", line " +
                                            std::to_string(import.errorLine()) + ")"),
                       e);
    }
    // Every plan file holds its project; a JSON file without one (a style file, say) would
    // otherwise open as an empty plan and be overwritten by it on the next save.
    if (store.count(Entity::Project) == 0)
        return refused(cannotOpen(path, "it is not a plan file (it holds no project)"));
    repairOrphans(store);
    PlanReadResult result{true, {}, std::nullopt, {}, {}};
    // The outline is a tree before the link check walks it.
    result.repairs = checkOutlineStructure(store);
    for (const RemovedLink& link : removeLoopingLinks(store))
        result.warnings.push_back(link.message());
    store.flushPendingChanges();
    return result;
}

void repairOrphans(Store& store) {
    UndoRegistrationPause pause(store.undoManager());
    for (ATaskResource* a : store.fetch<ATaskResource>(filters::orphanAssignmentFilter))
        store.deleteRecord(a);
    for (AResourceUsage* u : store.fetch<AResourceUsage>(filters::orphanUsageFilter))
        store.deleteRecord(u);
}

} // namespace mapolt
