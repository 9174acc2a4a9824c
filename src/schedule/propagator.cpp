#include "schedule/propagator.h"

#include "model/diagnostic_log.h"
#include "model/entities.h"
#include "model/store.h"
#include "schedule/dependency_order_placement.h"
#include "schedule/edit_placement.h"
#include "schedule/placement_rules.h"
#include "schedule/task_length_calc.h"

#include <algorithm>
#include <limits>
#include <optional>
#include <utility>

namespace mapolt {

Propagator::Propagator(Store& context, TaskLengthCalc& durations)
    : context_(context), durations_(durations) {}

void Propagator::endWalk() {
    visits_.clear();
    framesRun_ = 0;
    budget_ = 0;
}

void Propagator::addInvalidTask(InvalidTask record) {
    if (record.task == nullptr)
        return;
    record.taskSerial = record.task->serial();
    record.task->set(&ATask::invalid, true);
    invalidTasks_.push_back(record);
}

void Propagator::recalcFromInvalids() {
    while (!invalidTasks_.empty()) {
        const InvalidTask& front = invalidTasks_.front();
        if (auto* t = static_cast<ATask*>(context_.liveRecord(Entity::ATask, front.taskSerial)))
            placeOrWalkFrom(t);
        invalidTasks_.pop_front();
    }
    endWalk();
    context_.flushPendingChanges();
}

void Propagator::propagateFrom(ATask* task) {
    placeOrWalkFrom(task);
    endWalk();
}

// The queue's walk keeps what it learnt of earlier records' visits for the later ones.
void Propagator::placeOrWalkFrom(ATask* task) {
    if (placedInDependencyOrder(task, false))
        return;
    push(Step::MoveSupertask, task);
    push(Step::DepsForSub, task);
    push(Step::MoveSubtasks, task);
    run();
}

bool Propagator::placedInDependencyOrder(ATask* task, bool successorsOnly) {
    if (editReach({task}, kExactWalkReach) <= kExactWalkReach)
        return false;
    if (successorsOnly)
        placeSuccessorsInDependencyOrder(durations_, task);
    else
        placeEditInDependencyOrder(durations_, task);
    return true;
}

void Propagator::invalidateTask(ATask* task, bool andChildren) {
    for (ATask* t = task; t != nullptr; t = t->superTask())
        t->set(&ATask::invalid, true);
    if (andChildren)
        for (DepLink* l : task->dependTasks())
            if (ATask* s = l->dependeeTask(); s != nullptr)
                invalidateTask(s, false);
}

void Propagator::invalidateProject(Store& context) {
    for (ATask* t : context.fetch<ATask>())
        t->set(&ATask::invalid, true);
}

void Propagator::recalcProject(Store& context) {
    placeInDependencyOrder(context, durations_, placementMemo_);
}

// Queued one by one, every summary of a large plan would place most of the plan again.
void Propagator::recalcAllSupers(Store& context) {
    std::vector<ATask*> summaries;
    for (ATask* t : context.fetch<ATask>())
        if (!t->subTasks.empty())
            summaries.push_back(t);
    if (editReach(summaries, kExactWalkReach) > kExactWalkReach) {
        // The edits queued before run first, as they would ahead of the summaries.
        recalcFromInvalids();
        for (ATask* s : summaries)
            s->set(&ATask::invalid, true);
        placeEditsInDependencyOrder(durations_, summaries);
        context_.flushPendingChanges();
        return;
    }
    for (ATask* s : summaries)
        addInvalidTask(InvalidTask{.task = s});
    recalcFromInvalids();
}

void Propagator::calcDepsForSub(ATask* task) {
    if (placedInDependencyOrder(task, true))
        return;
    push(Step::DepsForSub, task);
    run();
    endWalk();
}

void Propagator::moveSubtasksForTask(ATask* task) {
    push(Step::MoveSubtasks, task);
    run();
    endWalk();
}

void Propagator::moveSupertaskForTask(ATask* task) {
    push(Step::MoveSupertask, task);
    run();
    endWalk();
}

void Propagator::recalcSuper(ATask* task) {
    push(Step::RecalcSuper, task);
    run();
    endWalk();
}

void Propagator::push(Step step, ATask* task) {
    Frame f;
    f.step = step;
    f.task = task;
    stack_.push_back(std::move(f));
}

// Runs the frames pushed since the caller's entry point until the stack is empty again.
// A walk without a loop nests at most three frames per task (placing, rolling up, moving the
// subtasks), so a deeper stack can only come from a loop of links and summaries that never
// settles. Such a loop cannot be made through the link service, but an outline edit or a
// foreign file can bring one; the walk then stops where it is instead of exhausting memory.
void Propagator::run() {
    const std::size_t limit = 4 * context_.count(Entity::ATask) + 64;
    if (budget_ == 0)
        budget_ =
            kFramesPerRecord * (context_.count(Entity::ATask) + context_.count(Entity::DepLink)) +
            kFramesBase;
    while (!stack_.empty()) {
        ++framesRun_;
        if (stack_.size() > limit) {
            const ATask* looping = stack_.back().task;
            logDiagnostic("Scheduling stopped: the links and summaries around \"" +
                          (looping != nullptr ? looping->name() : std::string()) +
                          "\" form a loop whose placement never settles");
            stack_.clear();
            return;
        }
        Frame& f = stack_.back();
        switch (f.step) {
        case Step::DepsForSub:
            stepDepsForSub(f);
            break;
        case Step::MoveSubtasks:
            stepMoveSubtasks(f);
            break;
        case Step::RecalcSuper:
            stepRecalcSuper(f);
            break;
        case Step::MoveSupertask: {
            ATask* t = f.task;
            stack_.pop_back();
            startMoveSupertask(t);
            break;
        }
        }
    }
}

float Propagator::dependeeDist(ATask* successor, ATask* exclude) const {
    float dist = 0.0f;
    for (DepLink* l : successor->dependeeTasks()) {
        const ATask* p = l->dependTask();
        if (p != nullptr && p != exclude)
            dist = std::max(dist, p->daysFromStart() + p->elapsedTime());
    }
    return dist;
}

void Propagator::stepDepsForSub(Frame& f) {
    if (f.phase == 0) {
        const std::uint64_t now = context_.valueRevision();
        const auto it = visits_.find(f.task);
        const bool visited = it != visits_.end();
        if (visited && it->second.start == it->second.end && it->second.start == now) {
            stack_.pop_back();
            return;
        }
        f.revisionAtStart = now;
        invalidateTask(f.task, false);
        f.end = durations_.calcDaysForTask(f.task) + durations_.calcOffset(f.task);
        if (visited && overBudget() && it->second.taskEnd == f.end) {
            stack_.pop_back();
            return;
        }
        f.links = f.task->dependTasks();
        f.phase = 1;
    }
    while (f.next < f.links.size()) {
        DepLink* link = f.links[f.next++];
        ATask* s = link->dependeeTask();
        if (s == nullptr)
            continue;
        if (s->lockedStart()) {
            push(Step::RecalcSuper, s);
            return;
        }
        const float dist = dependeeDist(s, f.task);
        const float candidate =
            link->sticky() ? f.end + static_cast<float>(link->daysBetween()) : f.end;
        if (placesSuccessor(candidate, dist))
            s->set(&ATask::daysFromStart, candidate);
        push(Step::RecalcSuper, s);
        push(Step::DepsForSub, s);
        push(Step::MoveSubtasks, s);
        return;
    }
    visits_[f.task] = Visit{f.revisionAtStart, context_.valueRevision(), f.end};
    stack_.pop_back();
}

void Propagator::stepMoveSubtasks(Frame& f) {
    if (f.phase == 0) {
        if (f.task->subTasks.empty()) {
            stack_.pop_back();
            return;
        }
        f.subs = f.task->subTasks();
        const std::optional<float> m = subtreeAnchor(f.task);
        f.m = m.value_or(0.0f);
        f.end = f.task->daysFromStart();
        f.phase = m ? 1 : 2;
    }
    if (f.phase == 1) {
        while (f.next < f.subs.size()) {
            ATask* u = f.subs[f.next++];
            const float moved = movedStart(u, f.m, f.end);
            invalidateTask(u, false);
            if (!u->lockedStart())
                u->set(&ATask::daysFromStart, moved);
            if (!u->subTasks.empty()) {
                push(Step::MoveSubtasks, u);
                return;
            }
        }
        f.phase = 2;
        f.next = 0;
    }
    while (f.next < f.subs.size()) {
        ATask* u = f.subs[f.next++];
        if (u->dependeeTasks.empty()) {
            push(Step::DepsForSub, u);
            return;
        }
    }
    stack_.pop_back();
}

// The summaries above the task take their subtasks' earliest start, innermost first; then
// their links are placed, outermost first, and the task's own last.
void Propagator::startMoveSupertask(ATask* task) {
    std::vector<ATask*> chain{task};
    for (ATask* p = task->superTask(); p != nullptr && !p->subTasks.empty(); p = p->superTask()) {
        float m = std::numeric_limits<float>::max();
        for (const ATask* u : p->subTasks())
            m = std::min(m, u->daysFromStart());
        p->set(&ATask::daysFromStart, m);
        chain.push_back(p);
    }
    for (ATask* t : chain)
        push(Step::DepsForSub, t);
}

// Rolls the summary up from its subtasks; true when its start or end moved.
bool Propagator::rollUpSummary(ATask* p) {
    const float oldStart = p->daysFromStart();
    const float oldEnd = oldStart + p->elapsedTime();
    const std::vector<ATask*> subs = p->subTasks();
    float m = durations_.calcOffset(subs.front());
    float x = 0.0f;
    float work = 0.0f;
    float comp = 0.0f;
    for (ATask* u : subs) {
        const float o = durations_.calcOffset(u);
        m = std::min(m, o);
        x = std::max(x, o + durations_.calcDaysForTask(u));
        work += u->hours();
        comp += u->percComp();
    }
    p->set(&ATask::elapsedTime, x - m);
    p->set(&ATask::daysFromStart, m);
    p->set(&ATask::hours, work);
    p->set(&ATask::percComp, comp / static_cast<float>(subs.size()));
    return p->daysFromStart() != oldStart || p->daysFromStart() + p->elapsedTime() != oldEnd;
}

void Propagator::stepRecalcSuper(Frame& f) {
    ATask* p = f.task->superTask();
    if (p == nullptr) {
        stack_.pop_back();
        return;
    }
    f.task = p;
    if (rollUpSummary(p))
        push(Step::DepsForSub, p);
}

void Propagator::bumpSuper(ATask* task, float) {
    if (checkSubsOnStack(task))
        return;
    for (ATask* p = task->superTask(); p != nullptr; p = p->superTask()) {
        const float oldEnd = p->daysFromStart() + p->elapsedTime();
        float m = 1.0e9f;
        for (const ATask* u : p->subTasks())
            m = std::min(m, u->daysFromStart());
        p->set(&ATask::daysFromStart, m);
        p->set(&ATask::invalid, true);
        durations_.calcDaysForTask(p);
        invalidDeps(InvalidTask{.task = p}, p->daysFromStart() + p->elapsedTime() - oldEnd);
    }
}

void Propagator::invalidDeps(const InvalidTask& record, float bumpAmount) {
    for (DepLink* l : record.task->dependTasks()) {
        ATask* s = l->dependeeTask();
        if (s != nullptr && checkSuperTaskDeps(s, record.task))
            addInvalidTask(InvalidTask{.task = s, .dep = l, .bumpAmountStart = bumpAmount});
    }
}

bool Propagator::checkSuperTaskDeps(ATask* successor, ATask* doesNotHave) const {
    const ATask* summary = successor->superTask();
    if (summary == nullptr)
        return true;
    for (DepLink* l : doesNotHave->dependTasks())
        if (l->dependeeTask() == summary)
            return false;
    return true;
}

bool Propagator::checkSubsOnStack(ATask* task) const {
    const ATask* summary = task->superTask();
    if (summary == nullptr)
        return false;
    for (ATask* u : summary->subTasks())
        if (u != task && taskIsOnStack(u))
            return true;
    return false;
}

bool Propagator::taskIsOnStack(ATask* task) const {
    return std::any_of(invalidTasks_.begin(), invalidTasks_.end(),
                       [task](const InvalidTask& r) { return r.task == task; });
}

} // namespace mapolt
