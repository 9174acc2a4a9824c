#include "schedule/dependency_order_placement.h"

#include "model/diagnostic_log.h"
#include "model/entities.h"
#include "model/store.h"
#include "schedule/placement_rules.h"
#include "schedule/task_length_calc.h"

#include <algorithm>
#include <cstdint>
#include <limits>
#include <utility>
#include <vector>

namespace mapolt {

namespace {

constexpr std::uint32_t kNone = std::numeric_limits<std::uint32_t>::max();

float endOf(const ATask* t) {
    return t->daysFromStart() + t->elapsedTime();
}

// Node i places task i; node n + i rolls summary i up. A summary's successors wait for its
// roll-up, its subtasks for its placement.
class PlacementGraph {
  public:
    explicit PlacementGraph(const std::vector<ATask*>& tasks) : n_(tasks.size()) {
        // Positions by serial: records are numbered densely, and this is far smaller and
        // quicker than a hash.
        std::uint64_t top = 0;
        for (const ATask* t : tasks)
            top = std::max(top, t->serial());
        std::vector<std::uint32_t> index(top + 1, kNone);
        for (std::size_t i = 0; i < n_; ++i)
            index[tasks[i]->serial()] = static_cast<std::uint32_t>(i);
        const auto indexOf = [&index](const ATask* t) {
            return t == nullptr || t->serial() >= index.size() ? kNone : index[t->serial()];
        };
        const auto finish = [&](std::size_t i) {
            return static_cast<std::uint32_t>(tasks[i]->subTasks.empty() ? i : n_ + i);
        };
        // Counted first, then filled in place: no list of edges beside the graph.
        const auto forEachEdge = [&](const auto& edge) {
            for (std::size_t i = 0; i < n_; ++i) {
                const ATask* t = tasks[i];
                if (const std::uint32_t p = indexOf(t->superTask()); p != kNone) {
                    edge(p, static_cast<std::uint32_t>(i));
                    edge(finish(i), static_cast<std::uint32_t>(n_ + p));
                }
                for (const DepLink* l : t->dependTasks)
                    if (const std::uint32_t s = indexOf(l->dependeeTask()); s != kNone)
                        edge(finish(i), s);
            }
        };
        first_.assign(2 * n_ + 1, 0);
        forEachEdge([this](std::uint32_t from, std::uint32_t) { ++first_[from + 1]; });
        for (std::size_t v = 0; v < 2 * n_; ++v)
            first_[v + 1] += first_[v];
        targets_.resize(first_.back());
        std::vector<std::uint32_t> fill(first_.begin(), first_.end() - 1);
        forEachEdge([&](std::uint32_t from, std::uint32_t to) { targets_[fill[from]++] = to; });
        for (std::size_t i = 0; i < n_; ++i)
            if (!tasks[i]->subTasks.empty())
                used_.push_back(static_cast<std::uint32_t>(n_ + i));
    }

    // Every node in an order where each comes after the nodes it waits for; nodes on a
    // loop (which the link check keeps out of documents) follow in node order.
    std::vector<std::uint32_t> order(bool& looped) const {
        std::vector<std::uint32_t> waiting(2 * n_, 0);
        for (const std::uint32_t t : targets_)
            ++waiting[t];
        std::vector<std::uint32_t> result;
        result.reserve(n_ + used_.size());
        std::vector<bool> taken(2 * n_, false);
        const auto take = [&](std::uint32_t v) {
            taken[v] = true;
            result.push_back(v);
        };
        for (std::uint32_t v = 0; v < n_; ++v)
            if (waiting[v] == 0)
                take(v);
        for (const std::uint32_t v : used_)
            if (waiting[v] == 0)
                take(v);
        for (std::size_t head = 0; head < result.size(); ++head) {
            const std::uint32_t v = result[head];
            for (std::uint32_t k = first_[v]; k < first_[v + 1]; ++k)
                if (--waiting[targets_[k]] == 0)
                    take(targets_[k]);
        }
        looped = result.size() < n_ + used_.size();
        if (looped) {
            for (std::uint32_t v = 0; v < n_; ++v)
                if (!taken[v])
                    take(v);
            for (const std::uint32_t v : used_)
                if (!taken[v])
                    take(v);
        }
        return result;
    }

  private:
    std::size_t n_;
    std::vector<std::uint32_t> first_;
    std::vector<std::uint32_t> targets_;
    std::vector<std::uint32_t> used_;
};

void placeFromLinks(ATask* t) {
    const std::vector<DepLink*> links = t->dependeeTasks();
    // The two latest ends of distinct predecessors give each link its dist: the latest end
    // among the other predecessors.
    const ATask* latest = nullptr;
    float best = 0.0f;
    float second = 0.0f;
    for (const DepLink* l : links) {
        const ATask* p = l->dependTask();
        if (p == nullptr)
            continue;
        const float e = endOf(p);
        if (p == latest) {
            best = std::max(best, e);
        } else if (latest == nullptr || e > best) {
            second = std::max(second, latest != nullptr ? best : 0.0f);
            latest = p;
            best = std::max(e, 0.0f);
        } else {
            second = std::max(second, e);
        }
    }
    for (const DepLink* l : links) {
        const ATask* p = l->dependTask();
        if (p == nullptr)
            continue;
        const float dist = p == latest ? second : best;
        const float end = endOf(p);
        const float candidate = l->sticky() ? end + static_cast<float>(l->daysBetween()) : end;
        if (placesSuccessor(candidate, dist))
            t->set(&ATask::daysFromStart, candidate);
    }
}

void rollUp(ATask* summary) {
    const std::vector<ATask*> subs = summary->subTasks();
    float m = subs.front()->daysFromStart();
    float x = 0.0f;
    float work = 0.0f;
    float comp = 0.0f;
    for (const ATask* u : subs) {
        m = std::min(m, u->daysFromStart());
        x = std::max(x, endOf(u));
        work += u->hours();
        comp += u->percComp();
    }
    summary->set(&ATask::elapsedTime, x - m);
    summary->set(&ATask::daysFromStart, m);
    summary->set(&ATask::hours, work);
    summary->set(&ATask::percComp, comp / static_cast<float>(subs.size()));
    summary->set(&ATask::invalid, false);
}

} // namespace

void placeInDependencyOrder(Store& context, TaskLengthCalc& durations) {
    const std::vector<ATask*> tasks = context.fetch<ATask>();
    const std::size_t n = tasks.size();
    bool looped = false;
    const std::vector<std::uint32_t> order = PlacementGraph(tasks).order(looped);
    if (looped)
        logDiagnostic("Scheduling: links and summaries form a loop; the tasks on it are placed "
                      "in outline order");
    for (const std::uint32_t v : order) {
        if (v >= n) {
            rollUp(tasks[v - n]);
            continue;
        }
        ATask* t = tasks[v];
        if (!t->lockedStart() && !t->dependeeTasks.empty()) {
            placeFromLinks(t);
            if (!t->subTasks.empty())
                moveSubtree(t);
        }
        if (t->subTasks.empty()) {
            t->set(&ATask::invalid, true);
            durations.calcDaysForTask(t);
        }
    }
    context.flushPendingChanges();
}

} // namespace mapolt
