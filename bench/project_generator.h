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

// The outline shapes below are placed as a recalculation would leave them: each task starts
// when its latest predecessor (plus lag) ends, each summary spans its subtasks, durations
// are computed (`hours` is eight per day of `elapsedTime`) and no task is invalid. Tasks are
// in outline order in `tasks`, summaries before their subtasks.

// One chain of `n` one-day tasks, each linked to the one before.
std::unique_ptr<GeneratedProject> chainProject(int n);
// `n` top-level tasks of 1 to 5 days, each with one or two predecessors among the hundred
// before it (about 1.5 on average), one link in five with a day of lag.
std::unique_ptr<GeneratedProject> randomDagProject(int n, std::uint32_t seed = 7);
// The same links among `n` tasks of which 100 are summaries, each over an equal run of the
// others.
std::unique_ptr<GeneratedProject> summaryGroupsProject(int n, std::uint32_t seed = 11);

// Adds `people` resources, each with a calendar of their own under the base calendar, and
// assigns one of them in turn, full time, to every task without subtasks, marking it
// invalid: its duration now follows that person's calendar. Appends them to `resources`.
// The caller pauses undo and recalculates.
void assignPeople(GeneratedProject& g, int people = 50);

} // namespace mapolt::bench
