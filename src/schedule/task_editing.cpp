#include "schedule/task_editing.h"

#include "model/entities.h"
#include "model/notification_center.h"
#include "model/outline_engine.h"
#include "model/store.h"

namespace mapolt {

namespace {

float endOf(const ATask* t) {
    return t->daysFromStart() + t->elapsedTime();
}

void queueAndRun(ScheduleEngine& engine, ATask* task, float startShift, float endShift) {
    engine.addInvalidTask(InvalidTask{
        .task = task, .bumpAmountStart = startShift, .bumpAmountEnd = endShift, .root = true});
    engine.recalcFromInvalids();
    NotificationCenter::defaultCenter().post(kProjectChanged, task, &task->store());
}

} // namespace

void changeWork(ScheduleEngine& engine, ATask* task, float hours) {
    UndoCommandGroup command(task->store().undoManager());
    const float s0 = task->daysFromStart();
    const float e0 = endOf(task);
    task->set(&ATask::hours, hours);
    engine.invalidateTask(task, false);
    engine.calcDaysForTask(task);
    queueAndRun(engine, task, task->daysFromStart() - s0, endOf(task) - e0);
}

void changeStart(ScheduleEngine& engine, ATask* task, float daysFromStart) {
    UndoCommandGroup command(task->store().undoManager());
    const float s0 = task->daysFromStart();
    task->set(&ATask::daysFromStart, daysFromStart);
    for (DepLink* l : task->dependeeTasks())
        if (const ATask* p = l->dependTask(); p != nullptr)
            l->set(&DepLink::daysBetween,
                   static_cast<double>(daysFromStart - (engine.calcOffset(p) + p->elapsedTime())));
    queueAndRun(engine, task, daysFromStart - s0, daysFromStart - s0);
}

void changeEnd(ScheduleEngine& engine, ATask* task, float endDay) {
    UndoCommandGroup command(task->store().undoManager());
    const float e0 = endOf(task);
    const float elapsed = endDay - task->daysFromStart();
    task->set(&ATask::elapsedTime, elapsed);
    const float hours = engine.invDaysForTaskCalc(task, elapsed * 8.0f, task->daysFromStart());
    engine.invalidateTask(task, false);
    task->set(&ATask::hours, hours);
    queueAndRun(engine, task, 0.0f, endOf(task) - e0);
}

void changeCompletion(ScheduleEngine& engine, ATask* task, std::optional<float> percComp) {
    UndoCommandGroup command(task->store().undoManager());
    task->set(&ATask::percComp, percComp);
    queueAndRun(engine, task, 0.0f, 0.0f);
}

} // namespace mapolt
