#include "schedule/dependency_links.h"

#include "model/entities.h"
#include "model/notification_center.h"
#include "model/preferences.h"
#include "model/store.h"
#include "schedule/meeting_search.h"

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
//
// The steps are searched as a graph with four roles per task: placed by a link, reached,
// reached with the tasks above it, reached with the tasks below it.
bool DependencyLinks::closesPlacementLoop(ATask* predecessor, ATask* successor) const {
    enum Role : std::uint8_t { kLinked, kReached, kAbove, kBelow };
    const auto forward = [](SearchNode n, const auto& visit) {
        ATask* t = n.task;
        switch (n.role) {
        case kLinked:
            visit({t, kReached});
            visit({t, kAbove});
            visit({t, kBelow});
            break;
        case kReached:
            for (DepLink* l : t->dependTasks)
                if (ATask* next = l->dependeeTask(); next != nullptr)
                    visit({next, kLinked});
            break;
        case kAbove:
            if (ATask* parent = t->superTask()) {
                visit({parent, kReached});
                visit({parent, kAbove});
            }
            break;
        case kBelow:
            visit({t, kReached});
            for (ATask* sub : t->subTasks)
                visit({sub, kBelow});
            break;
        }
    };
    const auto backward = [](SearchNode n, const auto& visit) {
        ATask* t = n.task;
        switch (n.role) {
        case kLinked:
            for (DepLink* l : t->dependeeTasks)
                if (ATask* before = l->dependTask(); before != nullptr)
                    visit({before, kReached});
            break;
        case kReached:
            visit({t, kLinked});
            visit({t, kBelow});
            for (ATask* sub : t->subTasks)
                visit({sub, kAbove});
            break;
        case kAbove:
            visit({t, kLinked});
            for (ATask* sub : t->subTasks)
                visit({sub, kAbove});
            break;
        case kBelow:
            visit({t, kLinked});
            if (ATask* parent = t->superTask())
                visit({parent, kBelow});
            break;
        }
    };
    return reachesEitherWay({{successor, kLinked}}, {predecessor, kReached}, forward, backward);
}

// Whether the start lies on a loop of links and summary-to-subtask edges once the extra edge
// to `connectingTask` is added: what Tarjan's search tells by the start's component holding
// more than the start. The start's own edges to itself do not count, as they make no such
// component.
bool DependencyLinks::cyclicCheckTarjan(ATask* start, ATask* connectingTask) {
    std::vector<SearchNode> next;
    const auto add = [&](ATask* t) {
        if (t != nullptr && t != start)
            next.push_back({t, 0});
    };
    add(connectingTask);
    for (ATask* sub : start->subTasks)
        add(sub);
    for (DepLink* l : start->dependTasks)
        add(l->dependeeTask());
    const auto forward = [](SearchNode n, const auto& visit) {
        for (ATask* sub : n.task->subTasks)
            visit({sub, 0});
        for (DepLink* l : n.task->dependTasks)
            if (ATask* t = l->dependeeTask(); t != nullptr)
                visit({t, 0});
    };
    const auto backward = [](SearchNode n, const auto& visit) {
        if (ATask* parent = n.task->superTask())
            visit({parent, 0});
        for (DepLink* l : n.task->dependeeTasks)
            if (ATask* t = l->dependTask(); t != nullptr)
                visit({t, 0});
    };
    return reachesEitherWay(next, {start, 0}, forward, backward);
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
