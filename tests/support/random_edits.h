#pragma once

#include "support/schedule_builder.h"

#include "model/outline_engine.h"
#include "model/preferences.h"
#include "schedule/dependency_links.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <ostream>
#include <random>
#include <vector>

namespace mapolt::testing {

// One copy of a small random project, edited through the engine it was given (the duration
// engine's own when none).
struct EditedCopy {
    using EngineMaker = std::function<std::unique_ptr<ScheduleEngine>(ScheduleFixture&)>;

    ScheduleFixture fx;
    MemoryPreferences preferences;
    std::unique_ptr<ScheduleEngine> own;
    std::unique_ptr<DependencyLinks> links;
    std::vector<ATask*> tasks;

    explicit EditedCopy(const EngineMaker& makeEngine = {});
    ScheduleEngine& engine() { return own ? *own : fx.engine; }
};

// Links `from` to `to` unless the link would close a loop or repeat one; `configure` sets the
// new link's values before it joins the tasks. Returns whether it linked.
bool linkUnlessLoopOrRepeat(ScheduleFixture& fx, DependencyLinks& links, ATask* from, ATask* to,
                            const std::function<void(DepLink&)>& configure);

// Builds the same project into a copy for the same seed: up to 30 tasks, plain and sticky
// links with lags, locked starts, and nested summaries unless left out.
void buildRandomSchedule(EditedCopy& c, std::uint32_t seed, bool summaries = true);

// A change of work, start, end or completion, or a new link, as the window makes them.
struct RandomEdit {
    int kind;
    int task;
    int other;
    float value;
};
RandomEdit randomEdit(std::mt19937& rng, int taskCount);
void applyEdit(EditedCopy& c, const RandomEdit& e);

struct TaskDates {
    float start, elapsed, hours, perc;
    bool operator==(const TaskDates&) const = default;
};
inline void PrintTo(const TaskDates& d, std::ostream* out) {
    *out << "{start " << d.start << ", elapsed " << d.elapsed << ", hours " << d.hours << ", done "
         << d.perc << "}";
}
// Every task's dates as a reader sees them, durations brought up to date first.
std::vector<TaskDates> readDates(EditedCopy& c);

} // namespace mapolt::testing
