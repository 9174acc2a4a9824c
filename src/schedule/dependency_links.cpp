#include "schedule/dependency_links.h"

#include "model/entities.h"
#include "model/notification_center.h"
#include "model/preferences.h"
#include "model/serial_index.h"
#include "model/store.h"

#include <algorithm>
#include <unordered_set>

namespace mapolt {

DependencyLinks::DependencyLinks(Store& context, const Preferences& preferences,
                                 ScheduleEngine& engine)
    : context_(context), preferences_(preferences), engine_(engine) {}

int DependencyLinks::makeDepenantFrom(ATask* predecessor, ATask* successor) {
    if (successor == nullptr || predecessor == nullptr) {
        context_.flushPendingChanges();
        return kLinked;
    }
    if (predecessor == successor || cyclicCheck(predecessor, successor))
        return kCyclic;
    for (DepLink* l : predecessor->dependTasks())
        if (l->dependeeTask() == successor) {
            context_.flushPendingChanges();
            return kLinked;
        }

    UndoCommandGroup command(context_.undoManager());
    auto* link = context_.insert<DepLink>();
    link->set(&DepLink::sticky, preferences_.boolForKey(kDepsSticky));
    link->set(&DepLink::dependeeTask, successor);
    predecessor->addTo(&ATask::dependTasks, link);

    // Lags are re-based so that every incoming link ends at the latest predecessor's end.
    const auto endOf = [](const ATask* t) { return t->daysFromStart() + t->elapsedTime(); };
    const std::vector<DepLink*> incoming = successor->dependeeTasks();
    float latest = 0.0f;
    bool any = false;
    for (DepLink* l : incoming)
        if (const ATask* p = l->dependTask(); p != nullptr) {
            latest = any ? std::max(latest, endOf(p)) : endOf(p);
            any = true;
        }
    for (DepLink* l : incoming)
        if (const ATask* p = l->dependTask(); p != nullptr && endOf(p) < latest)
            l->set(&DepLink::daysBetween, static_cast<double>(latest - endOf(p)));

    engine_.calcDepsFor(predecessor);
    context_.flushPendingChanges();
    return kLinked;
}

bool DependencyLinks::hasAsParent(const ATask* a, const ATask* to) {
    for (const ATask* t = to != nullptr ? to->superTask() : nullptr; t != nullptr;
         t = t->superTask())
        if (t == a)
            return true;
    return false;
}

bool DependencyLinks::cyclicCheck(ATask* predecessor, ATask* connectingTask) {
    if (hasAsParent(predecessor, connectingTask))
        return true;
    // The summaries above the successor are tried up to the first one that also holds the
    // predecessor. Trying that one too would refuse every link between two groups of one
    // phase as soon as the predecessor sits a level deeper, since the phase holds the
    // predecessor through its subtask edges.
    std::unordered_set<const ATask*> holdingPredecessor;
    for (const ATask* a = predecessor->superTask(); a != nullptr; a = a->superTask())
        if (!holdingPredecessor.insert(a).second)
            break;
    bool r = cyclicCheckTarjan(predecessor, connectingTask);
    for (ATask* a = connectingTask->superTask();
         a != nullptr && !holdingPredecessor.contains(a) && !r; a = a->superTask())
        r = cyclicCheckTarjan(predecessor, a);
    return r || closesPlacementLoop(predecessor, connectingTask);
}

// Placing a link's successor also re-places the summaries above it (they roll up) and
// moves the tasks below it; each of them then places its own successors. The cycle check
// sees only links and summary-to-subtask edges, so it misses loops that close through a
// roll-up, such as a summary linked to a task that leads back into the summary's subtree:
// the placement of such a loop never settles. The link is refused when its successor, or a
// task above or below it, reaches the predecessor along those placement steps.
bool DependencyLinks::closesPlacementLoop(ATask* predecessor, ATask* successor) const {
    constexpr std::uint32_t kReached = 1;
    constexpr std::uint32_t kSubtreeReached = 2;
    SerialIndex marks(0);
    std::vector<ATask*> pending;
    const auto firstTime = [&marks](const ATask* t, std::uint32_t mark) {
        std::uint32_t& m = marks[t];
        const bool first = (m & mark) == 0;
        m |= mark;
        return first;
    };
    const auto reach = [&](ATask* t) {
        if (firstTime(t, kReached))
            pending.push_back(t);
    };
    const auto reachPlacedBy = [&](ATask* target) {
        reach(target);
        for (ATask* a = target->superTask(); a != nullptr; a = a->superTask())
            reach(a);
        std::vector<ATask*> below{target};
        while (!below.empty()) {
            ATask* t = below.back();
            below.pop_back();
            if (!firstTime(t, kSubtreeReached))
                continue;
            reach(t);
            for (ATask* sub : t->subTasks())
                below.push_back(sub);
        }
    };
    reachPlacedBy(successor);
    while (!pending.empty()) {
        ATask* t = pending.back();
        pending.pop_back();
        if (t == predecessor)
            return true;
        for (DepLink* l : t->dependTasks())
            if (ATask* next = l->dependeeTask(); next != nullptr)
                reachPlacedBy(next);
    }
    return false;
}

void DependencyLinks::appendEdgesOf(ATask* task, ATask* extra, std::vector<ATask*>& edges) {
    if (extra != nullptr)
        edges.push_back(extra);
    for (ATask* sub : task->subTasks())
        edges.push_back(sub);
    for (DepLink* l : task->dependTasks())
        if (l->dependeeTask() != nullptr)
            edges.push_back(l->dependeeTask());
}

// Tarjan's search from the start task, with its own stack so a long chain cannot overflow
// the call stack. A task whose component was already popped is not explored again: it cannot
// reach a task still on the stack, so a fresh visit could not lower any lowlink.
bool DependencyLinks::cyclicCheckTarjan(ATask* start, ATask* connectingTask) {
    SerialIndex indexOf;
    // By index.
    std::vector<bool> onStack;
    std::vector<ATask*> cycleStack;
    std::vector<TarjanTask> calls;
    std::vector<ATask*> edges;
    int index = 0;
    const auto visit = [&](ATask* t, ATask* extra) {
        indexOf[t] = static_cast<std::uint32_t>(index);
        const std::size_t first = edges.size();
        appendEdgesOf(t, extra, edges);
        calls.push_back(TarjanTask{t, index, index, first, edges.size()});
        ++index;
        cycleStack.push_back(t);
        onStack.push_back(true);
    };
    visit(start, connectingTask);
    while (true) {
        TarjanTask& v = calls.back();
        if (v.nextEdge < v.endEdge) {
            ATask* w = edges[v.nextEdge++];
            if (const std::uint32_t i = indexOf.find(w); i == SerialIndex::kNone)
                visit(w, nullptr);
            else if (onStack[i])
                v.lowlink = std::min(v.lowlink, static_cast<int>(i));
            continue;
        }
        const TarjanTask done = calls.back();
        calls.pop_back();
        // A call's edges follow its caller's on the stack of edges.
        edges.resize(calls.empty() ? 0 : calls.back().endEdge);
        if (done.lowlink == done.index) {
            std::size_t popped = 0;
            while (!cycleStack.empty()) {
                ATask* t = cycleStack.back();
                cycleStack.pop_back();
                onStack[indexOf.find(t)] = false;
                ++popped;
                if (t == done.task)
                    break;
            }
            if (calls.empty())
                return popped >= 2;
        } else if (calls.empty()) {
            return false;
        }
        calls.back().lowlink = std::min(calls.back().lowlink, done.lowlink);
    }
}

void DependencyLinks::fixDependacies(const std::vector<ATask*>& tasks) {
    const auto related = [](const ATask* a, const ATask* b) {
        return b != nullptr && (hasAsParent(a, b) || hasAsParent(b, a));
    };
    for (ATask* t : tasks) {
        for (DepLink* l : t->dependTasks())
            if (related(t, l->dependeeTask()))
                context_.deleteRecord(l);
        for (DepLink* l : t->dependeeTasks())
            if (related(t, l->dependTask()))
                context_.deleteRecord(l);
    }
}

void DependencyLinks::removeLink(DepLink* link) {
    if (link == nullptr)
        return;
    context_.deleteRecord(link);
    context_.flushPendingChanges();
    NotificationCenter::defaultCenter().post(kProjectChanged, this, &context_);
}

} // namespace mapolt
