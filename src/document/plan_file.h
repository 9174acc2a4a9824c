#pragma once

#include "interchange/json_error.h"

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace mapolt {

class Store;

struct PlanReadResult {
    bool ok = false;
    // When reading failed: the file's name and the reason, ready for an alert.
    std::string message;
    // The codec's error when the text is no JSON: its outermost message, the messages it
    // wraps, and the byte offset where reading stopped.
    std::optional<JsonError> codecError;
    // When reading succeeded: what was repaired in the file's damaged structure, one message
    // each, for the user to see.
    std::vector<std::string> repairs;
    // Links that closed a loop and were left out, one message each. Like the repairs, the
    // file on disk keeps them until the document is saved.
    std::vector<std::string> warnings;

    explicit operator bool() const { return ok; }
};

// Reads the plan file at `path` into `store`, without undo. A file that cannot be read, is
// no JSON, or defines no project is refused; what was read into the store then is not to be
// used (the caller discards the store). Links that close a loop are removed, each with a
// warning. The file itself is never changed.
PlanReadResult readPlanFile(const std::filesystem::path& path, Store& store);

// Deletes the assignments that lack a task or a resource, then the usage records that lack
// a resource or an assignment.
void repairOrphans(Store& store);

} // namespace mapolt
