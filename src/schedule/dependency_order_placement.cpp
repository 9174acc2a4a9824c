#include "schedule/dependency_order_placement.h"

#include "model/diagnostic_log.h"
#include "model/entities.h"
#include "model/prefetch.h"
#include "model/store.h"
#include "schedule/placement_arrays.h"
#include "schedule/placement_memo.h"
#include "schedule/placement_rules.h"
#include "schedule/subtree_move.h"
#include "schedule/task_length_calc.h"

#include <algorithm>
#include <cstdint>
#include <optional>
#include <vector>

namespace mapolt {

namespace {

using Index = std::uint32_t;

// The arrays as the outline a summary's move walks; a move writes the record as well.
struct ArrayOutline {
    using Node = Index;
    PlacementArrays& a;
    template <class F> void forEachSubtask(Index t, const F& f) const {
        for (Index k = a.firstSub[t]; k < a.firstSub[t + 1]; ++k)
            f(a.subs[k]);
    }
    bool isLeaf(Index t) const { return !a.isSummary(t); }
    bool locked(Index t) const { return a.locked[t]; }
    bool hasLinksIn(Index t) const { return a.hasLinksIn(t); }
    float start(Index t) const { return a.start[t]; }
    void setStart(Index t, float days) const {
        a.start[t] = days;
        a.tasks[t]->set(&ATask::daysFromStart, days);
    }
};

// How many nodes ahead the placement asks for a task's record, so that reading it from memory
// overlaps with placing the ones before.
constexpr std::size_t kPrefetchAhead = 6;

void prefetchRecord(const PlacementArrays& a, Index v) {
    prefetchObject(a.tasks[v < a.size() ? v : v - a.size()]);
}

// A leaf's walk reads its assignments' usage through four pointers: the task's set of
// assignments, each assignment, its set of usage and the usage records, which the walk asks
// for itself. Each hop is asked for one node earlier than the next, the first three nodes
// ahead, by which time the task's record (asked for further ahead) has arrived.
constexpr std::size_t kAssignmentHops = 3;

void prefetchAssignmentHop(const PlacementArrays& a, Index v, std::size_t hop) {
    if (v >= a.size() || a.isSummary(v))
        return;
    const ATask* t = a.tasks[v];
    if (hop == 2) {
        if (const void* slots = t->resources.storage())
            prefetchLine(slots);
        return;
    }
    for (const ATaskResource* res : t->resources) {
        if (hop == 1)
            prefetchLine(&res->resourceUsage);
        else if (const void* slots = res->resourceUsage.storage())
            prefetchLine(slots);
    }
}

void placeFromLinks(PlacementArrays& a, Index i) {
    const std::optional<float> start = startFromLinks<Index>([&](const auto& link) {
        for (Index k = a.firstLinkIn[i]; k < a.firstLinkIn[i + 1]; ++k)
            if (const Index p = a.linksIn[k].predecessor; p != PlacementArrays::kNone)
                link(p, a.end(p), a.candidate(k), true);
    });
    if (start) {
        a.start[i] = *start;
        a.tasks[i]->set(&ATask::daysFromStart, *start);
    }
}

void rollUp(PlacementArrays& a, Index s) {
    const Index first = a.firstSub[s];
    const Index last = a.firstSub[s + 1];
    float m = a.start[a.subs[first]];
    float x = 0.0f;
    float work = 0.0f;
    float comp = 0.0f;
    for (Index k = first; k < last; ++k) {
        if (k + kPrefetchAhead < last)
            prefetchRecord(a, a.subs[k + kPrefetchAhead]);
        const Index u = a.subs[k];
        m = std::min(m, a.start[u]);
        x = std::max(x, a.end(u));
        work += a.tasks[u]->hours();
        comp += a.tasks[u]->percComp();
    }
    ATask* summary = a.tasks[s];
    summary->set(&ATask::elapsedTime, x - m);
    summary->set(&ATask::daysFromStart, m);
    summary->set(&ATask::hours, work);
    summary->set(&ATask::percComp, comp / static_cast<float>(last - first));
    summary->set(&ATask::invalid, false);
    a.reread(s);
}

} // namespace

void placeInDependencyOrder(Store& context, TaskLengthCalc& durations, PlacementMemo& memo) {
    bool looped = false;
    PlacementArrays& a = memo.arrays(context, looped);
    const std::vector<Index>& order = memo.order();
    const std::size_t n = a.size();
    if (looped)
        logDiagnostic("Scheduling: links and summaries form a loop; the tasks on it are placed "
                      "in outline order");
    for (std::size_t k = 0; k < order.size(); ++k) {
        if (k + kPrefetchAhead < order.size())
            prefetchRecord(a, order[k + kPrefetchAhead]);
        for (std::size_t hop = 0; hop < kAssignmentHops; ++hop)
            if (k + hop + 1 < order.size())
                prefetchAssignmentHop(a, order[k + hop + 1], hop);
        const Index v = order[k];
        if (v >= n) {
            rollUp(a, static_cast<Index>(v - n));
            continue;
        }
        if (!a.locked[v] && a.hasLinksIn(v)) {
            placeFromLinks(a, v);
            if (a.isSummary(v)) {
                ArrayOutline outline{a};
                moveSubtreeOf(outline, v, [](Index) {});
            }
        }
        if (!a.isSummary(v)) {
            durations.recomputeLeaf(a.tasks[v]);
            a.reread(v);
        }
    }
    memo.placed(context);
    context.flushPendingChanges();
}

} // namespace mapolt
