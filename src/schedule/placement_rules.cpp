#include "schedule/placement_rules.h"

#include "model/entities.h"

#include <algorithm>
#include <cstdint>
#include <vector>

namespace mapolt {

namespace {

bool stays(const ATask* task) {
    return task->lockedStart() || !task->dependeeTasks.empty();
}

std::optional<float> earlier(std::optional<float> a, std::optional<float> b) {
    if (!a)
        return b;
    if (!b)
        return a;
    return std::min(*a, *b);
}

// A subtree in pre-order, each task with its parent's position, and from the leaves up the
// earliest start among the moving tasks below each task (`below`) and of the task itself
// counted as a subtask (`anchor`: none for one that stays, its start for a leaf).
struct SubtreeAnchors {
    std::vector<ATask*> tasks;
    std::vector<std::uint32_t> parent;
    std::vector<std::optional<float>> below;
    std::vector<std::optional<float>> anchor;

    explicit SubtreeAnchors(const ATask* root) {
        std::vector<std::pair<ATask*, std::uint32_t>> pending{{const_cast<ATask*>(root), 0}};
        while (!pending.empty()) {
            const auto [t, p] = pending.back();
            pending.pop_back();
            const auto index = static_cast<std::uint32_t>(tasks.size());
            tasks.push_back(t);
            parent.push_back(p);
            // Pushed in reverse so that subtasks come out in store order.
            const std::vector<ATask*> subs = t->subTasks();
            for (auto it = subs.rbegin(); it != subs.rend(); ++it)
                pending.emplace_back(*it, index);
        }
        below.assign(tasks.size(), std::nullopt);
        anchor.assign(tasks.size(), std::nullopt);
        for (std::size_t i = tasks.size(); i-- > 0;) {
            const ATask* t = tasks[i];
            if (!stays(t))
                anchor[i] =
                    t->subTasks.empty() ? std::optional<float>(t->daysFromStart()) : below[i];
            if (i > 0)
                below[parent[i]] = earlier(below[parent[i]], anchor[i]);
        }
    }
};

std::optional<float> anchorOf(const ATask* task) {
    if (stays(task))
        return std::nullopt;
    if (task->subTasks.empty())
        return task->daysFromStart();
    return SubtreeAnchors(task).below[0];
}

} // namespace

bool placesSuccessor(float candidate, float dist) {
    return candidate > dist || (candidate == dist && dist > 0.0f);
}

std::optional<float> subtreeAnchor(const ATask* summary) {
    return SubtreeAnchors(summary).below[0];
}

float movedStart(const ATask* subtask, float m, float s) {
    return anchorOf(subtask).value_or(subtask->daysFromStart()) - m + s;
}

void moveSubtree(ATask* summary, const std::function<void(ATask*)>& setsOff) {
    const SubtreeAnchors a(summary);
    // Which summaries the move reaches: the summary itself, and below a summary with a
    // moving subtask each of its subtasks that has subtasks of its own.
    std::vector<bool> reached(a.tasks.size(), false);
    reached[0] = true;
    for (std::size_t i = 1; i < a.tasks.size(); ++i) {
        const std::uint32_t p = a.parent[i];
        if (!reached[p])
            continue;
        ATask* u = a.tasks[i];
        if (setsOff && u->dependeeTasks.empty())
            setsOff(u);
        if (!a.below[p])
            continue;
        // The parent has already moved: its start is final here.
        const float s = a.tasks[p]->daysFromStart();
        if (!u->lockedStart())
            u->set(&ATask::daysFromStart,
                   a.anchor[i].value_or(u->daysFromStart()) - *a.below[p] + s);
        reached[i] = !u->subTasks.empty();
    }
}

} // namespace mapolt
