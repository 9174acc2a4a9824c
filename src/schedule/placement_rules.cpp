#include "schedule/placement_rules.h"

#include "model/entities.h"
#include "schedule/subtree_move.h"

namespace mapolt {

namespace {

// The records themselves as the outline a summary's move walks.
struct RecordOutline {
    using Node = ATask*;
    template <class F> void forEachSubtask(const ATask* t, const F& f) const {
        for (ATask* u : t->subTasks)
            f(u);
    }
    static bool isLeaf(const ATask* t) { return t->subTasks.empty(); }
    static bool locked(const ATask* t) { return t->lockedStart(); }
    static bool hasLinksIn(const ATask* t) { return !t->dependeeTasks.empty(); }
    static float start(const ATask* t) { return t->daysFromStart(); }
    static void setStart(ATask* t, float days) { t->set(&ATask::daysFromStart, days); }
};

std::optional<float> belowOf(const ATask* task) {
    return SubtreeAnchors<RecordOutline>(RecordOutline{}, const_cast<ATask*>(task)).below[0];
}

std::optional<float> anchorOf(const ATask* task) {
    if (task->lockedStart() || !task->dependeeTasks.empty())
        return std::nullopt;
    if (task->subTasks.empty())
        return task->daysFromStart();
    return belowOf(task);
}

} // namespace

bool placesSuccessor(float candidate, float dist) {
    return candidate > dist || (candidate == dist && dist > 0.0f);
}

std::optional<float> subtreeAnchor(const ATask* summary) {
    return belowOf(summary);
}

float movedStart(const ATask* subtask, float m, float s) {
    return anchorOf(subtask).value_or(subtask->daysFromStart()) - m + s;
}

void moveSubtree(ATask* summary, const std::function<void(ATask*)>& setsOff) {
    RecordOutline outline;
    moveSubtreeOf(outline, summary, [&setsOff](ATask* u) {
        if (setsOff)
            setsOff(u);
    });
}

} // namespace mapolt
