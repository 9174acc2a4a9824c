#include "support/literal_propagation.h"

#include "model/entities.h"
#include "model/store.h"
#include "schedule/task_length_calc.h"

#include <algorithm>
#include <limits>

namespace mapolt::testing {

LiteralPropagation::LiteralPropagation(Store& context, TaskLengthCalc& durations, WalkOrder order)
    : context_(context), durations_(durations), order_(order) {}

std::vector<DepLink*> LiteralPropagation::outgoing(ATask* task) const {
    std::vector<DepLink*> links = task->dependTasks();
    if (order_ == WalkOrder::Reversed)
        std::reverse(links.begin(), links.end());
    return links;
}

std::vector<ATask*> LiteralPropagation::subtasks(ATask* task) const {
    std::vector<ATask*> subs = task->subTasks();
    if (order_ == WalkOrder::Reversed)
        std::reverse(subs.begin(), subs.end());
    return subs;
}

float LiteralPropagation::calcDaysForTask(ATask* task) {
    return durations_.calcDaysForTask(task);
}

float LiteralPropagation::calcOffset(const ATask* task) const {
    return durations_.calcOffset(task);
}

float LiteralPropagation::invDaysForTaskCalc(ATask* task, float period, float start) {
    return durations_.invDaysForTaskCalc(task, period, start);
}

void LiteralPropagation::invalidateTask(ATask* task, bool andChildren) {
    for (ATask* t = task; t != nullptr; t = t->superTask())
        t->set(&ATask::invalid, true);
    if (andChildren)
        for (DepLink* l : task->dependTasks())
            if (l->dependeeTask() != nullptr)
                invalidateTask(l->dependeeTask(), false);
}

void LiteralPropagation::addInvalidTask(InvalidTask record) {
    record.task->set(&ATask::invalid, true);
    invalidTasks_.push_back(record);
}

void LiteralPropagation::recalcFromInvalids() {
    while (!invalidTasks_.empty()) {
        propagateFrom(invalidTasks_.front().task);
        invalidTasks_.pop_front();
    }
}

void LiteralPropagation::propagateFrom(ATask* task) {
    moveSubtasksForTask(task);
    calcDepsFor(task);
    moveSupertaskForTask(task);
}

void LiteralPropagation::recalcAllSupers(Store& context) {
    for (ATask* t : context.fetch<ATask>())
        if (!t->subTasks.empty())
            addInvalidTask(InvalidTask{.task = t});
    recalcFromInvalids();
}

void LiteralPropagation::calcDepsFor(ATask* task) {
    calcDepsForSub(task);
}

void LiteralPropagation::calcDepsForSub(ATask* task) {
    invalidateTask(task, false);
    const float end = calcDaysForTask(task) + calcOffset(task);
    for (DepLink* link : outgoing(task)) {
        ATask* s = link->dependeeTask();
        if (s == nullptr)
            continue;
        if (!s->lockedStart()) {
            const float dist = dependeeDist(s, task);
            const float candidate =
                link->sticky() ? end + static_cast<float>(link->daysBetween()) : end;
            // Equal ends place the successor too (it follows its latest predecessor), but
            // a candidate of 0 or less moves nothing.
            if (candidate > dist || (candidate == dist && dist > 0.0f))
                s->set(&ATask::daysFromStart, candidate);
            moveSubtasksForTask(s);
            calcDepsForSub(s);
            context_.flushPendingChanges();
        }
        recalcSuper(s);
    }
}

float LiteralPropagation::dependeeDist(ATask* successor, ATask* exclude) {
    float dist = 0.0f;
    for (DepLink* l : successor->dependeeTasks()) {
        ATask* p = l->dependTask();
        if (p == nullptr || p == exclude)
            continue;
        dist = std::max(dist, p->daysFromStart() + p->elapsedTime());
    }
    return dist;
}

float LiteralPropagation::earliestMoving(ATask* task) const {
    const float none = std::numeric_limits<float>::max();
    if (task->lockedStart() || !task->dependeeTasks.empty())
        return none;
    if (task->subTasks.empty())
        return task->daysFromStart();
    float m = none;
    for (ATask* u : task->subTasks())
        m = std::min(m, earliestMoving(u));
    return m;
}

void LiteralPropagation::moveSubtasksForTask(ATask* task) {
    const float s = task->daysFromStart();
    if (task->subTasks.empty())
        return;
    const std::vector<ATask*> subs = subtasks(task);
    // m is taken over the subtasks that move with the summary: not the locked ones, not
    // those whose predecessors place them, and not summaries none of whose subtasks moves;
    // a nested summary counts by its earliest moving subtask. When none moves, the subtree
    // stays.
    float m = std::numeric_limits<float>::max();
    for (ATask* u : subs)
        m = std::min(m, earliestMoving(u));
    const bool anyMoves = m != std::numeric_limits<float>::max();
    for (ATask* u : anyMoves ? subs : std::vector<ATask*>{}) {
        const float from = earliestMoving(u) != std::numeric_limits<float>::max()
                               ? earliestMoving(u)
                               : u->daysFromStart();
        const float moved = from - m + s;
        invalidateTask(u, false);
        if (!u->lockedStart())
            u->set(&ATask::daysFromStart, moved);
        if (!u->subTasks.empty())
            moveSubtasksForTask(u);
    }
    for (ATask* u : subs)
        if (u->dependeeTasks.empty())
            calcDepsFor(u);
}

void LiteralPropagation::moveSupertaskForTask(ATask* task) {
    if (ATask* p = task->superTask(); p != nullptr && !p->subTasks.empty()) {
        float m = std::numeric_limits<float>::max();
        for (ATask* u : p->subTasks())
            m = std::min(m, u->daysFromStart());
        p->set(&ATask::daysFromStart, m);
        moveSupertaskForTask(p);
    }
    calcDepsForSub(task);
}

void LiteralPropagation::recalcSuper(ATask* task) {
    ATask* p = task->superTask();
    if (p == nullptr)
        return;
    const float oldStart = p->daysFromStart();
    const float oldEnd = oldStart + p->elapsedTime();
    const std::vector<ATask*> subs = p->subTasks();
    float m = calcOffset(subs.front());
    float x = 0.0f;
    float work = 0.0f;
    float comp = 0.0f;
    for (ATask* u : subs) {
        const float o = calcOffset(u);
        m = std::min(m, o);
        x = std::max(x, o + calcDaysForTask(u));
        work += u->hours();
        comp += u->percComp();
    }
    p->set(&ATask::elapsedTime, x - m);
    p->set(&ATask::daysFromStart, m);
    p->set(&ATask::hours, work);
    p->set(&ATask::percComp, comp / static_cast<float>(subs.size()));
    if (p->daysFromStart() != oldStart || p->daysFromStart() + p->elapsedTime() != oldEnd)
        calcDepsForSub(p);
    recalcSuper(p);
}

void LiteralPropagation::bumpSuper(ATask* task, float) {
    if (checkSubsOnStack(task))
        return;
    for (ATask* p = task->superTask(); p != nullptr; p = p->superTask()) {
        const float oldEnd = p->daysFromStart() + p->elapsedTime();
        float m = 1.0e9f;
        for (ATask* u : p->subTasks())
            m = std::min(m, u->daysFromStart());
        p->set(&ATask::daysFromStart, m);
        p->set(&ATask::invalid, true);
        calcDaysForTask(p);
        invalidDeps(InvalidTask{.task = p}, p->daysFromStart() + p->elapsedTime() - oldEnd);
    }
}

void LiteralPropagation::invalidDeps(const InvalidTask& record, float bumpAmount) {
    for (DepLink* l : outgoing(record.task)) {
        ATask* s = l->dependeeTask();
        if (s != nullptr && checkSuperTaskDeps(s, record.task))
            addInvalidTask(InvalidTask{.task = s, .dep = l, .bumpAmountStart = bumpAmount});
    }
}

bool LiteralPropagation::checkSuperTaskDeps(ATask* successor, ATask* doesNotHave) {
    ATask* summary = successor->superTask();
    if (summary == nullptr)
        return true;
    for (DepLink* l : doesNotHave->dependTasks())
        if (l->dependeeTask() == summary)
            return false;
    return true;
}

bool LiteralPropagation::checkSubsOnStack(ATask* task) {
    ATask* summary = task->superTask();
    if (summary == nullptr)
        return false;
    for (ATask* u : summary->subTasks())
        if (u != task && taskIsOnStack(u))
            return true;
    return false;
}

bool LiteralPropagation::taskIsOnStack(ATask* task) {
    return std::any_of(invalidTasks_.begin(), invalidTasks_.end(),
                       [task](const InvalidTask& r) { return r.task == task; });
}

} // namespace mapolt::testing
