#pragma once

#include "model/entities.h"
#include "model/preferences.h"
#include "model/store.h"
#include "model/task_helper.h"

#include <string>
#include <vector>

namespace mapolt::testing {

// A store with a project and an outline service, and a way to write outlines tersely.
struct OutlineFixture {
    Store store;
    MemoryPreferences preferences;
    Project* project;
    TaskHelper helper;

    OutlineFixture();
    // Appends named top-level tasks in order.
    std::vector<ATask*> addTasks(const std::vector<std::string>& names);
    ATask* task(const std::string& name) const;
    // The outline as "name/depth" in row order, e.g. "P/0 Q/1 R/0".
    std::string shape() const;
    // Every outline invariant; an empty string when all hold, else the first broken one.
    std::string brokenInvariant() const;
};

} // namespace mapolt::testing
