#pragma once

#include "model/entities.h"
#include "model/store.h"
#include "schedule/calandar_access.h"
#include "schedule/task_length_calc.h"

#include <cstdint>
#include <memory>
#include <vector>

namespace mapolt::bench {

// A generated project with its calendar service and duration engine. The undo history is
// empty when a generator returns it.
struct GeneratedProject {
    Store store;
    Project* project;
    CalandarAccess calendars;
    TaskLengthCalc engine;
    std::vector<ATask*> tasks;
    std::vector<Resource*> resources;

    GeneratedProject();
    void markAllInvalid();
};

// `n` top-level tasks of 1 to 20 working days, half of them with one or two of ten
// resources; the base calendar has 30 holidays, the resources 50 exceptions between them.
std::unique_ptr<GeneratedProject> durationProject(int n, std::uint32_t seed = 1);

} // namespace mapolt::bench
