#pragma once

#include "model/critical_path_service.h"

#include <cstdint>
#include <unordered_set>
#include <vector>

namespace mapolt {

class ATask;
class DepLink;
class Store;

// The tasks that drive the end of the project, or the start of the tasks the user marked:
// traced backwards from the roots along incoming links and through summaries. A task is
// critical when no link with slack lies on the way, float when one does.
//
// The trace is the documented one, call for call and in the same order, with one change:
// a call that has already run to its end is not run again, since running it again would
// change nothing. So each task is traced a few times at most, not once per path, and the
// walk keeps its own stack instead of recursing as deep as the longest chain.
class CriticalPath final : public CriticalPathService {
  public:
    enum Level : int { kNone = 0, kFloat = 1, kCritical = 2, kRoot = 3 };
    using TaskSet = std::unordered_set<const ATask*>;

    explicit CriticalPath(Store& context);
    ~CriticalPath() override;
    CriticalPath(const CriticalPath&) = delete;
    CriticalPath& operator=(const CriticalPath&) = delete;

    void setShowProjCP(bool on) override { projectCP_ = on; }
    void setShowEndCP(bool on) override { projectCPToEnd_ = on; }
    bool projectCP() const { return projectCP_; }
    bool projectCPToEnd() const { return projectCPToEnd_; }

    // Chooses the roots (the tasks that end last, the tasks marked critical) and traces.
    void calcProjectCp() override;
    void recalcCP() override;
    void clearCrit() override;
    bool isCriticalOn() const override { return !rootCptasks_.empty(); }
    int getCriticalityOfTask(const ATask* task) const override;

    void calcCPFromRoots() override;
    void calcCriticalPath(ATask* task, int currentCrit, bool checkSuper, bool checkSub);
    void calcCriticalPath(ATask* task, int currentCrit, bool checkSuper) {
        calcCriticalPath(task, currentCrit, checkSuper, !checkSuper);
    }
    void checkSuperTask(ATask* task, int currentCrit);
    void checkSubTask(ATask* task, int currentCrit);

    // In the order the roots were chosen.
    const std::vector<ATask*>& rootCptasks() const { return rootCptasks_; }
    const TaskSet& cpTasksCrit() const { return cpTasksCrit_; }
    const TaskSet& cpTasksFlaot() const { return cpTasksFlaot_; }
    const TaskSet& tempSubTasks() const { return tempSubTasks_; }
    const TaskSet& tempSubTasksCrit() const { return tempSubTasksCrit_; }

    // A task's end in days: its start plus its stored elapsed time.
    static float endOf(const ATask* task);
    // A lag other than 0 on a link that is not sticky.
    static bool hasSlack(const DepLink* link);
    // The subtasks that end where the summary ends (a later one restarts the search).
    static std::vector<ATask*> drivingSubtasks(const ATask* summary);

  private:
    class Trace;

    void addRoot(ATask* task);
    void resetTemporarySets();

    Store& context_;
    bool projectCP_ = false;
    bool projectCPToEnd_ = false;
    std::vector<ATask*> rootCptasks_;
    TaskSet rootSet_;
    TaskSet cpTasksCrit_;
    TaskSet cpTasksFlaot_;
    TaskSet tempSubTasks_;
    TaskSet tempSubTasksCrit_;
};

} // namespace mapolt
