#pragma once

#include "model/entities.h"
#include "model/preferences.h"
#include "model/store.h"
#include "model/task_helper.h"
#include "schedule/calandar_access.h"
#include "schedule/dependency_links.h"
#include "schedule/resource_helper.h"
#include "schedule/task_length_calc.h"

#include <string>
#include <vector>

namespace mapolt::testing {

// A project starting on Monday 2 March 2026 (New York's clocks go forward on the 8th) with
// the outline service wired to the engine and the link service, calendars, resources, and
// terse builders for a small plan.
struct PlannerFixture {
    Store store;
    MemoryPreferences preferences;
    Project* project;
    CalandarAccess calendars;
    TaskLengthCalc engine;
    TaskHelper helper;
    DependencyLinks links;
    ResourceHelper resources;

    PlannerFixture();
    // A named top-level task at the end of the outline with stored work, start and length.
    ATask* task(const std::string& name, float hours = 8.0f, float start = 0.0f,
                float elapsed = 1.0f);
    // Indents `tasks` one level, under the row above the first of them.
    void indent(const std::vector<ATask*>& tasks);
    Resource* resource(const std::string& name, float rate = 0.0f, int type = 0);
    ATaskResource* assign(ATask* task, Resource* resource, float perc = 100.0f);
    DepLink* link(ATask* predecessor, ATask* successor, double lag = 0.0, bool sticky = false);
    ATask* named(const std::string& name) const;
    // The outline as "name/depth" in row order, e.g. "P/0 Q/1 R/0".
    std::string shape() const;
};

} // namespace mapolt::testing
