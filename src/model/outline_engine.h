#pragma once

#include "model/invalid_task.h"

#include <vector>

namespace mapolt {

class ATask;
class Store;

// The scheduling engine's operations that outline edits trigger; the engine implements it.
class OutlineEngine {
  public:
    virtual ~OutlineEngine() = default;
    // Elapsed days of the task, recomputed when it is marked invalid.
    virtual float calcDaysForTask(ATask* task) = 0;
    // After an indent: re-places the summaries above the task.
    virtual void bumpSuper(ATask* task, float bumpAmount) = 0;
    virtual void moveSubtasksForTask(ATask* task) = 0;
    virtual void calcDepsFor(ATask* task) = 0;
    virtual void moveSupertaskForTask(ATask* task) = 0;
    // The three above in that order, as the run of one queued edit places them.
    virtual void propagateFrom(ATask* task) = 0;
};

// Everything an editing command asks of the engine: durations both ways, invalidation, and
// the queue of changes whose run places the dependent tasks.
class ScheduleEngine : public OutlineEngine {
  public:
    virtual float calcOffset(const ATask* task) const = 0;
    virtual float invDaysForTaskCalc(ATask* task, float period, float start) = 0;
    virtual void invalidateTask(ATask* task, bool andChildren) = 0;
    virtual void addInvalidTask(InvalidTask record) = 0;
    virtual void recalcFromInvalids() = 0;
    virtual void recalcAllSupers(Store& context) = 0;
};

// Dependency-link edits that outline operations need; the link service implements it.
class DependencyLinker {
  public:
    virtual ~DependencyLinker() = default;
    // Removes links that now join a task with one of its ancestors or descendants.
    virtual void fixDependacies(const std::vector<ATask*>& tasks) = 0;
    // 0 when linked (or nothing to do), 2 when refused because it would close a cycle.
    virtual int makeDepenantFrom(ATask* predecessor, ATask* successor) = 0;
};

} // namespace mapolt
