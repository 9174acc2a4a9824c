#pragma once

#include "model/store.h"

#include <cstdint>
#include <memory>

namespace mapolt::bench {

// A plan the way a planner ends up with one: `tasks` tasks in 100 summary groups, a random
// graph of about 1.5 predecessors per task, one resource per hundred tasks (at least ten),
// each with a calendar under the base calendar, one or two assignments per task with a
// usage record per day, milestones, column states, print settings, a baseline and a full
// style tree. The undo history is empty.
std::unique_ptr<Store> generatePlan(int tasks, std::uint32_t seed = 1);

} // namespace mapolt::bench
