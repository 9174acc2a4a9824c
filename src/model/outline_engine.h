#pragma once

#include <vector>

namespace mapolt {

class ATask;

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
