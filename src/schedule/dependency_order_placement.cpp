#include "schedule/dependency_order_placement.h"

#include "model/diagnostic_log.h"
#include "model/entities.h"
#include "model/store.h"
#include "schedule/placement_arrays.h"
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

// Node i places task i; node n + i rolls summary i up. A summary's successors wait for its
// roll-up, its subtasks for its placement.
class PlacementGraph {
  public:
    explicit PlacementGraph(const PlacementArrays& a) : n_(a.size()) {
        const auto finish = [&](Index i) {
            return a.isSummary(i) ? static_cast<Index>(n_ + i) : i;
        };
        // Counted first, then filled in place: no list of edges beside the graph.
        const auto forEachEdge = [&](const auto& edge) {
            for (Index i = 0; i < n_; ++i) {
                if (const Index p = a.super[i]; p != PlacementArrays::kNone) {
                    edge(p, i);
                    edge(finish(i), static_cast<Index>(n_ + p));
                }
                for (Index k = a.firstLinkIn[i]; k < a.firstLinkIn[i + 1]; ++k)
                    if (const Index p = a.linksIn[k].predecessor; p != PlacementArrays::kNone)
                        edge(finish(p), i);
            }
        };
        first_.assign(2 * n_ + 1, 0);
        forEachEdge([this](Index from, Index) { ++first_[from + 1]; });
        for (std::size_t v = 0; v < 2 * n_; ++v)
            first_[v + 1] += first_[v];
        targets_.resize(first_.back());
        std::vector<Index> fill(first_.begin(), first_.end() - 1);
        forEachEdge([&](Index from, Index to) { targets_[fill[from]++] = to; });
        for (Index i = 0; i < n_; ++i)
            if (a.isSummary(i))
                used_.push_back(static_cast<Index>(n_ + i));
    }

    // Every node in an order where each comes after the nodes it waits for. Tasks are taken
    // in store order as far as their links allow, so that placing walks the records the way
    // they lie in memory; a task freed by a later one, and a roll-up, are taken as soon as
    // they are free. Nodes on a loop (which the link check keeps out of documents) follow in
    // node order.
    std::vector<Index> order(bool& looped) const {
        std::vector<Index> waiting(2 * n_, 0);
        for (const Index t : targets_)
            ++waiting[t];
        std::vector<Index> result;
        result.reserve(n_ + used_.size());
        std::vector<bool> taken(2 * n_, false);
        std::size_t scan = 0;
        std::size_t head = 0;
        const auto take = [&](Index v) {
            taken[v] = true;
            result.push_back(v);
        };
        // Takes what the nodes taken so far free, up to the scan's position.
        const auto drain = [&] {
            for (; head < result.size(); ++head) {
                const Index v = result[head];
                for (Index k = first_[v]; k < first_[v + 1]; ++k) {
                    const Index w = targets_[k];
                    if (--waiting[w] == 0 && (w >= n_ || w <= scan))
                        take(w);
                }
            }
        };
        for (; scan < n_; ++scan) {
            if (waiting[scan] == 0 && !taken[scan])
                take(static_cast<Index>(scan));
            drain();
        }
        looped = result.size() < n_ + used_.size();
        if (looped) {
            for (Index v = 0; v < n_; ++v)
                if (!taken[v])
                    take(v);
            for (const Index v : used_)
                if (!taken[v])
                    take(v);
        }
        return result;
    }

  private:
    std::size_t n_;
    std::vector<Index> first_;
    std::vector<Index> targets_;
    std::vector<Index> used_;
};

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
    const auto* bytes = reinterpret_cast<const char*>(a.tasks[v < a.size() ? v : v - a.size()]);
    for (std::size_t line = 0; line < sizeof(ATask); line += 64)
        __builtin_prefetch(bytes + line);
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

void placeInDependencyOrder(Store& context, TaskLengthCalc& durations) {
    PlacementArrays a(context);
    const std::size_t n = a.size();
    bool looped = false;
    const std::vector<Index> order = PlacementGraph(a).order(looped);
    std::vector<Index>().swap(a.super);
    if (looped)
        logDiagnostic("Scheduling: links and summaries form a loop; the tasks on it are placed "
                      "in outline order");
    for (std::size_t k = 0; k < order.size(); ++k) {
        if (k + kPrefetchAhead < order.size())
            prefetchRecord(a, order[k + kPrefetchAhead]);
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
    context.flushPendingChanges();
}

} // namespace mapolt
