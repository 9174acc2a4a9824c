#include "support/random_edits.h"

#include "model/entities.h"
#include "schedule/task_editing.h"

namespace mapolt::testing {

EditedCopy::EditedCopy(const EngineMaker& makeEngine) {
    if (makeEngine)
        own = makeEngine(fx);
    links = std::make_unique<DependencyLinks>(fx.store, preferences, engine());
}

bool linkUnlessLoopOrRepeat(ScheduleFixture& fx, DependencyLinks& links, ATask* from, ATask* to,
                            const std::function<void(DepLink&)>& configure) {
    if (from == to || links.cyclicCheck(from, to))
        return false;
    for (const DepLink* l : from->dependTasks)
        if (l->dependeeTask() == to)
            return false;
    auto* l = fx.store.insert<DepLink>();
    configure(*l);
    l->set(&DepLink::dependeeTask, to);
    l->set(&DepLink::dependTask, from);
    return true;
}

void buildRandomSchedule(EditedCopy& c, std::uint32_t seed, bool summaries) {
    std::mt19937 rng(seed);
    const auto pick = [&rng](int lo, int hi) {
        return std::uniform_int_distribution<int>(lo, hi)(rng);
    };
    const int n = pick(3, 30);
    for (int i = 0; i < n; ++i) {
        ATask* t = c.fx.leaf(static_cast<float>(4 * pick(0, 12)), static_cast<float>(pick(0, 15)));
        if (i > 0 && pick(0, 9) < 3 && summaries)
            t->set(&ATask::superTask, c.tasks[static_cast<std::size_t>(pick(0, i - 1))]);
        if (pick(0, 9) == 0)
            t->set(&ATask::lockedStart, true);
        c.tasks.push_back(t);
    }
    for (ATask* t : c.tasks)
        c.fx.engine.calcDaysForTask(t);
    const int linkCount = pick(0, n + n / 2);
    for (int k = 0; k < linkCount; ++k) {
        ATask* a = c.tasks[static_cast<std::size_t>(pick(0, n - 1))];
        ATask* b = c.tasks[static_cast<std::size_t>(pick(0, n - 1))];
        const bool sticky = pick(0, 2) == 0;
        const double lag = pick(0, 3);
        linkUnlessLoopOrRepeat(c.fx, *c.links, a, b, [&](DepLink& l) {
            l.set(&DepLink::sticky, sticky);
            l.set(&DepLink::daysBetween, lag);
        });
    }
    c.fx.store.flushPendingChanges();
}

RandomEdit randomEdit(std::mt19937& rng, int taskCount) {
    return RandomEdit{std::uniform_int_distribution<int>(0, 4)(rng),
                      std::uniform_int_distribution<int>(0, taskCount - 1)(rng),
                      std::uniform_int_distribution<int>(0, taskCount - 1)(rng),
                      static_cast<float>(std::uniform_int_distribution<int>(0, 12)(rng))};
}

void applyEdit(EditedCopy& c, const RandomEdit& e) {
    ATask* t = c.tasks[static_cast<std::size_t>(e.task)];
    switch (e.kind) {
    case 0:
        changeWork(c.engine(), t, e.value * 4.0f);
        break;
    case 1:
        changeStart(c.engine(), t, e.value);
        break;
    case 2:
        changeEnd(c.engine(), t, t->daysFromStart() + e.value);
        break;
    case 3:
        changeCompletion(c.engine(), t, e.value * 8.0f);
        break;
    default:
        c.links->makeDepenantFrom(t, c.tasks[static_cast<std::size_t>(e.other)]);
        break;
    }
}

std::vector<TaskDates> readDates(EditedCopy& c) {
    std::vector<TaskDates> rows;
    for (ATask* t : c.tasks) {
        c.fx.engine.calcDaysForTask(t);
        rows.push_back(TaskDates{t->daysFromStart(), t->elapsedTime(), t->hours(), t->percComp()});
    }
    return rows;
}

} // namespace mapolt::testing
