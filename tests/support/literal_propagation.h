#pragma once

#include "model/outline_engine.h"

#include <deque>
#include <vector>

namespace mapolt {
class ATask;
class DepLink;
class Store;
class TaskLengthCalc;
} // namespace mapolt

namespace mapolt::testing {

// The propagation exactly as the scheduling rules state it, recursion and all: every path
// to a successor visits it again. The reference the fast engine is checked against. Link and
// subtask sets are walked in store order or in its reverse, since the rules leave that order
// open and sticky lags can make the answer depend on it.
class LiteralPropagation final : public ScheduleEngine {
  public:
    enum class WalkOrder { Stored, Reversed };

    LiteralPropagation(Store& context, TaskLengthCalc& durations, WalkOrder order);

    float calcDaysForTask(ATask* task) override;
    float calcOffset(const ATask* task) const override;
    float invDaysForTaskCalc(ATask* task, float period, float start) override;
    void invalidateTask(ATask* task, bool andChildren) override;
    void addInvalidTask(InvalidTask record) override;
    void recalcFromInvalids() override;
    void recalcAllSupers(Store& context) override;
    void bumpSuper(ATask* task, float bumpAmount) override;
    void moveSubtasksForTask(ATask* task) override;
    void calcDepsFor(ATask* task) override;
    void moveSupertaskForTask(ATask* task) override;
    void propagateFrom(ATask* task) override;

    void calcDepsForSub(ATask* task);
    float dependeeDist(ATask* successor, ATask* exclude);
    void recalcSuper(ATask* task);
    void invalidDeps(const InvalidTask& record, float bumpAmount);
    bool checkSuperTaskDeps(ATask* successor, ATask* doesNotHave);
    bool checkSubsOnStack(ATask* task);
    bool taskIsOnStack(ATask* task);

  private:
    std::vector<DepLink*> outgoing(ATask* task) const;
    std::vector<ATask*> subtasks(ATask* task) const;
    // The earliest start among the tasks of the subtree that move with a summary (the task
    // itself for a leaf); the float maximum when none does.
    float earliestMoving(ATask* task) const;

    Store& context_;
    TaskLengthCalc& durations_;
    WalkOrder order_;
    std::deque<InvalidTask> invalidTasks_;
};

} // namespace mapolt::testing
