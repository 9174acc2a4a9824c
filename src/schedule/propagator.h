#pragma once

#include "model/invalid_task.h"
#include "schedule/placement_memo.h"

#include <cstdint>
#include <deque>
#include <unordered_map>
#include <vector>

namespace mapolt {

class ATask;
class DepLink;
class Store;
class TaskLengthCalc;

// Places the tasks that depend on a changed one: successors along links, the subtrees of
// moved summaries and the summaries around moved tasks. The walk is the documented recursive
// one, run on an explicit stack so a long chain cannot overflow the call stack. A visit of a
// task whose previous visit changed nothing, with nothing changed anywhere since, would do
// exactly what that visit did, so it is skipped: this removes the repeated visits of tasks
// reached along many paths without changing any result. Links and subtasks are walked in
// store order.
//
// While changes keep happening somewhere, that skip rarely applies, and the walk still
// revisits a task once per path on a lattice of links. Past a budget of steps in proportion
// to the project's size, a revisit is also skipped when the task's end is the same as at its
// last completed visit; from there the result may differ from the full walk's, but the walk
// ends in time on any project.
//
// An edit that can reach more than a couple of thousand tasks is not walked at all: its tasks
// are placed once each in dependency order (see edit_placement.h), which gives the walk's
// result wherever no summary is involved and stays linear on any project. That holds for a
// queued edit, for the successors of a new link and for a run of tasks made into a tree.
class Propagator {
  public:
    Propagator(Store& context, TaskLengthCalc& durations);

    void addInvalidTask(InvalidTask record);
    void recalcFromInvalids();
    void invalidateTask(ATask* task, bool andChildren);
    void invalidateProject(Store& context);
    // Every duration read again from the calendars and every task placed once, after its
    // predecessors, so a calendar change or a plan never placed is settled at once.
    void recalcProject(Store& context);
    void recalcAllSupers(Store& context);
    // Moves the task's subtree, places its successors and moves the summaries above it.
    void propagateFrom(ATask* task);
    void calcDepsForSub(ATask* task);
    float dependeeDist(ATask* successor, ATask* exclude) const;
    void moveSubtasksForTask(ATask* task);
    void moveSupertaskForTask(ATask* task);
    void recalcSuper(ATask* task);
    void bumpSuper(ATask* task, float bumpAmount);
    void invalidDeps(const InvalidTask& record, float bumpAmount);
    bool checkSuperTaskDeps(ATask* successor, ATask* doesNotHave) const;
    bool checkSubsOnStack(ATask* task) const;
    bool taskIsOnStack(ATask* task) const;
    std::size_t queuedCount() const { return invalidTasks_.size(); }

  private:
    enum class Step { DepsForSub, MoveSubtasks, MoveSupertask, RecalcSuper };
    struct Frame {
        Step step = Step::DepsForSub;
        ATask* task = nullptr;
        int phase = 0;
        std::size_t next = 0;
        float end = 0.0f;
        float m = 0.0f;
        std::uint64_t revisionAtStart = 0;
        std::vector<DepLink*> links;
        std::vector<ATask*> subs;
    };
    struct Visit {
        std::uint64_t start;
        std::uint64_t end;
        float taskEnd;
    };
    static constexpr std::size_t kFramesPerRecord = 4;
    static constexpr std::size_t kFramesBase = 4096;
    // An edit that reaches more tasks than this is placed in dependency order instead.
    static constexpr std::size_t kExactWalkReach = 2'000;

    // Places in dependency order what an edit of the task reaches, or only its successors,
    // when that is too much to walk; false when the walk is to run.
    bool placedInDependencyOrder(ATask* task, bool successorsOnly);
    void placeOrWalkFrom(ATask* task);
    void run();
    void endWalk();
    bool overBudget() const { return framesRun_ > budget_; }
    void push(Step step, ATask* task);
    void stepDepsForSub(Frame& f);
    void stepMoveSubtasks(Frame& f);
    void stepRecalcSuper(Frame& f);
    void startMoveSupertask(ATask* task);
    bool rollUpSummary(ATask* summary);

    Store& context_;
    TaskLengthCalc& durations_;
    std::deque<InvalidTask> invalidTasks_;
    std::vector<Frame> stack_;
    std::unordered_map<const ATask*, Visit> visits_;
    std::size_t framesRun_ = 0;
    std::size_t budget_ = 0;
    PlacementMemo placementMemo_;
};

} // namespace mapolt
