#include "schedule/placement_rules.h"

#include "model/entities.h"

#include <algorithm>
#include <vector>

namespace mapolt {

namespace {

// The earliest start among the moving tasks of the subtree, the task itself for a leaf.
std::optional<float> anchorOf(const ATask* task) {
    if (task->lockedStart() || !task->dependeeTasks.empty())
        return std::nullopt;
    if (task->subTasks.empty())
        return task->daysFromStart();
    std::optional<float> m;
    for (const ATask* u : task->subTasks)
        if (const std::optional<float> a = anchorOf(u))
            m = std::min(m.value_or(*a), *a);
    return m;
}

} // namespace

bool placesSuccessor(float candidate, float dist) {
    return candidate > dist || (candidate == dist && dist > 0.0f);
}

std::optional<float> subtreeAnchor(const ATask* summary) {
    std::optional<float> m;
    for (const ATask* u : summary->subTasks)
        if (const std::optional<float> a = anchorOf(u))
            m = std::min(m.value_or(*a), *a);
    return m;
}

float movedStart(const ATask* subtask, float m, float s) {
    return anchorOf(subtask).value_or(subtask->daysFromStart()) - m + s;
}

void moveSubtree(ATask* summary) {
    std::vector<ATask*> pending{summary};
    while (!pending.empty()) {
        ATask* t = pending.back();
        pending.pop_back();
        const std::optional<float> m = subtreeAnchor(t);
        if (!m)
            continue;
        const float s = t->daysFromStart();
        for (ATask* u : t->subTasks) {
            if (!u->lockedStart())
                u->set(&ATask::daysFromStart, movedStart(u, *m, s));
            if (!u->subTasks.empty())
                pending.push_back(u);
        }
    }
}

} // namespace mapolt
