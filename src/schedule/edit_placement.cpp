#include "schedule/edit_placement.h"

#include "model/diagnostic_log.h"
#include "model/entities.h"
#include "model/prefetch.h"
#include "model/serial_index.h"
#include "schedule/placement_order.h"
#include "schedule/placement_rules.h"
#include "schedule/task_length_calc.h"

#include <algorithm>
#include <cstdint>
#include <limits>
#include <optional>
#include <utility>
#include <vector>

namespace mapolt {

namespace {

constexpr std::uint32_t kNone = SerialIndex::kNone;
constexpr std::size_t kReadAhead = 6;

float endOf(const ATask* t) {
    return t->daysFromStart() + t->elapsedTime();
}

// The tasks edits can reach. A task reached along a link, and an edited task itself,
// carries its subtree; a summary reached only from below is rolled up, not moved. The edited
// tasks come first, in the order given.
class Reach {
  public:
    Reach(const std::vector<ATask*>& edited, std::size_t limit) : limit_(limit) {
        for (ATask* t : edited)
            visit(t, true);
        editedCount_ = tasks_.size();
        for (ATask* t : edited)
            for (ATask* p = t->superTask(); p != nullptr; p = p->superTask())
                visit(p, false);
        while (!pending_.empty() && tasks_.size() <= limit_) {
            const std::uint32_t i = pending_.back();
            pending_.pop_back();
            ATask* t = tasks_[i];
            visit(t->superTask(), false);
            for (const DepLink* l : t->dependTasks)
                visit(l->dependeeTask(), true);
            if (carries_[i])
                for (ATask* u : t->subTasks)
                    visit(u, true);
        }
    }

    std::size_t size() const { return tasks_.size(); }
    std::size_t editedCount() const { return editedCount_; }
    const std::vector<ATask*>& tasks() const { return tasks_; }
    // Positions in the order the store keeps the records, which is the order of serials.
    std::vector<std::uint32_t> inStoreOrder() const {
        std::vector<std::uint32_t> order;
        order.reserve(tasks_.size());
        index_.forEachSet([&order](std::uint32_t i) { order.push_back(i); });
        return order;
    }
    std::uint32_t indexOf(const ATask* t) const { return index_.find(t); }

  private:
    void visit(ATask* t, bool carries) {
        if (t == nullptr)
            return;
        std::uint32_t& i = index_[t];
        if (i == kNone) {
            i = static_cast<std::uint32_t>(tasks_.size());
            tasks_.push_back(t);
            carries_.push_back(carries);
            pending_.push_back(i);
        } else if (carries && !carries_[i]) {
            carries_[i] = true;
            pending_.push_back(i);
        }
    }

    std::size_t limit_;
    std::size_t editedCount_ = 0;
    std::vector<ATask*> tasks_;
    std::vector<bool> carries_;
    std::vector<std::uint32_t> pending_;
    SerialIndex index_;
};

enum class Scope { WholeEdit, SuccessorsOnly };

class EditPlacement {
  public:
    EditPlacement(TaskLengthCalc& durations, const std::vector<ATask*>& edited, Scope scope)
        : durations_(durations), reach_(edited, std::numeric_limits<std::size_t>::max()),
          n_(reach_.size()), tasks_(reach_.tasks()), scope_(scope) {
        rollsUp_.assign(n_, false);
        touched_.assign(n_, false);
        start0_.resize(n_);
        end0_.resize(n_);
        for (std::size_t i = 0; i < n_; ++i) {
            start0_[i] = tasks_[i]->daysFromStart();
            end0_[i] = endOf(tasks_[i]);
        }
        // The edited tasks and the summaries above them place their successors in any case.
        edits_ = static_cast<std::uint32_t>(reach_.editedCount());
        fired_.assign(edits_, true);
        fired_.resize(n_, false);
        if (scope_ == Scope::WholeEdit)
            for (const ATask* e : edited)
                for (const ATask* t = e->superTask(); t != nullptr; t = t->superTask()) {
                    fired_[reach_.indexOf(t)] = true;
                    rollsUp_[reach_.indexOf(t)] = true;
                }
    }

    void run() {
        bool looped = false;
        const std::vector<std::uint32_t> nodes = order(looped);
        for (std::size_t k = 0; k < nodes.size(); ++k) {
            // The record of the task a few nodes on is read from memory while these are placed.
            if (k + kReadAhead < nodes.size())
                prefetchObject(tasks_[nodes[k + kReadAhead] % n_]);
            const std::uint32_t v = nodes[k];
            if (v < n_)
                place(v);
            else
                rollUp(v - static_cast<std::uint32_t>(n_));
        }
        if (looped)
            logDiagnostic("Scheduling: links and summaries form a loop; the tasks on it are "
                          "placed in outline order");
    }

  private:
    // Node i places task i, node n + i rolls summary i up; each waits for what it reads.
    std::vector<std::uint32_t> order(bool& looped) const {
        // The records are read once; the order reads the edges twice.
        std::vector<bool> rollsUp(n_);
        std::vector<std::pair<std::uint32_t, std::uint32_t>> edges;
        edges.reserve(2 * n_);
        for (std::uint32_t i = 0; i < n_; ++i) {
            const ATask* t = tasks_[i];
            rollsUp[i] = !t->subTasks.empty();
            const auto finish = static_cast<std::uint32_t>(rollsUp[i] ? n_ + i : i);
            if (const std::uint32_t p = reach_.indexOf(t->superTask()); p != kNone) {
                edges.emplace_back(p, i);
                edges.emplace_back(finish, static_cast<std::uint32_t>(n_ + p));
            }
            for (const DepLink* l : t->dependTasks)
                if (const std::uint32_t s = reach_.indexOf(l->dependeeTask()); s != kNone)
                    edges.emplace_back(finish, s);
        }
        const auto forEachEdge = [&edges](const auto& edge) {
            for (const auto& [from, to] : edges)
                edge(from, to);
        };
        return PlacementOrder::of(n_, forEachEdge, rollsUp, reach_.inStoreOrder(), looped);
    }

    bool isFired(const ATask* t) const {
        const std::uint32_t i = reach_.indexOf(t);
        return i != kNone && fired_[i];
    }

    bool hasFiredPredecessor(const ATask* t) const {
        for (const DepLink* l : t->dependeeTasks)
            if (isFired(l->dependTask()))
                return true;
        return false;
    }

    // The links of the predecessors placed in this run, in store order, each against the
    // latest end among the task's other predecessors.
    void placeFromFiredLinks(ATask* t) {
        const std::optional<float> start = startFromLinks<const ATask*>([&](const auto& link) {
            for (const DepLink* l : t->dependeeTasks) {
                const ATask* p = l->dependTask();
                if (p == nullptr)
                    continue;
                const float end = endOf(p);
                link(p, end, l->sticky() ? end + static_cast<float>(l->daysBetween()) : end,
                     isFired(p));
            }
        });
        if (start)
            t->set(&ATask::daysFromStart, *start);
    }

    // Moves the subtree to the summary's start; subtasks without predecessors set off
    // their own successors, at every level the move reaches.
    void carrySubtree(ATask* summary) {
        moveSubtree(summary, [this](ATask* u) {
            if (const std::uint32_t k = reach_.indexOf(u); k != kNone)
                fired_[k] = true;
        });
    }

    void markParent(std::vector<bool>& flags, const ATask* t) {
        if (const std::uint32_t p = reach_.indexOf(t->superTask()); p != kNone)
            flags[p] = true;
    }

    bool isEdited(std::uint32_t i) const { return i < edits_; }

    void place(std::uint32_t i) {
        ATask* t = tasks_[i];
        // An edited task keeps the start its edit gave it. Among several, one that another
        // reaches is placed from it, as the other edit's run would place it.
        const bool received = (!isEdited(i) || edits_ > 1) && hasFiredPredecessor(t);
        // A task reached along a link has its summaries rolled up, locked or not.
        if (received)
            markParent(rollsUp_, t);
        if (received && !t->lockedStart()) {
            placeFromFiredLinks(t);
            fired_[i] = true;
            if (!t->subTasks.empty())
                carrySubtree(t);
        } else if (isEdited(i) && !t->subTasks.empty() && scope_ == Scope::WholeEdit) {
            carrySubtree(t);
        }
        if (fired_[i] || t->daysFromStart() != start0_[i])
            markParent(touched_, t);
        if (t->subTasks.empty() && (fired_[i] || t->daysFromStart() != start0_[i])) {
            t->set(&ATask::invalid, true);
            durations_.calcDaysForTask(t);
        }
    }

    // A summary below which a task was reached along a link takes its span, work and
    // completion from its subtasks, and places its successors when its span moved; one
    // placed itself keeps its start and takes the length of its subtasks' span.
    void rollUp(std::uint32_t i) {
        ATask* p = tasks_[i];
        if (rollsUp_[i]) {
            float m = durations_.calcOffset(*p->subTasks.begin());
            float x = 0.0f;
            float work = 0.0f;
            float comp = 0.0f;
            std::size_t count = 0;
            for (ATask* u : p->subTasks) {
                const float o = durations_.calcOffset(u);
                m = std::min(m, o);
                x = std::max(x, o + durations_.calcDaysForTask(u));
                work += u->hours();
                comp += u->percComp();
                ++count;
            }
            p->set(&ATask::elapsedTime, x - m);
            p->set(&ATask::daysFromStart, m);
            p->set(&ATask::hours, work);
            p->set(&ATask::percComp, comp / static_cast<float>(count));
            if (p->daysFromStart() != start0_[i] || endOf(p) != end0_[i])
                fired_[i] = true;
            markParent(rollsUp_, p);
        } else if (fired_[i]) {
            p->set(&ATask::invalid, true);
            durations_.calcDaysForTask(p);
        }
        if (touched_[i] || fired_[i] || p->daysFromStart() != start0_[i]) {
            p->set(&ATask::invalid, true);
            markParent(touched_, p);
        }
    }

    TaskLengthCalc& durations_;
    Reach reach_;
    std::size_t n_;
    const std::vector<ATask*>& tasks_;
    std::vector<bool> fired_;
    // Summaries to roll up, and summaries below which a task moved or was placed.
    std::vector<bool> rollsUp_;
    std::vector<bool> touched_;
    std::vector<float> start0_;
    std::vector<float> end0_;
    Scope scope_;
    // The edited tasks are the first ones reached.
    std::uint32_t edits_ = 0;
};

} // namespace

std::size_t editReach(const std::vector<ATask*>& edited, std::size_t limit) {
    return Reach(edited, limit).size();
}

void placeEditInDependencyOrder(TaskLengthCalc& durations, ATask* edited) {
    EditPlacement(durations, {edited}, Scope::WholeEdit).run();
}

void placeEditsInDependencyOrder(TaskLengthCalc& durations, const std::vector<ATask*>& edited) {
    if (!edited.empty())
        EditPlacement(durations, edited, Scope::WholeEdit).run();
}

void placeSuccessorsInDependencyOrder(TaskLengthCalc& durations, ATask* predecessor) {
    EditPlacement(durations, {predecessor}, Scope::SuccessorsOnly).run();
}

} // namespace mapolt
