#pragma once

#include "model/critical_path_service.h"

#include <cstdint>
#include <memory>
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
    // The sets as they stand; each call collects its set afresh.
    TaskSet cpTasksCrit() const { return collect(kInCrit); }
    TaskSet cpTasksFlaot() const { return collect(kInFlaot); }
    TaskSet tempSubTasks() const { return collect(kInTempSub); }
    TaskSet tempSubTasksCrit() const { return collect(kInTempSubCrit); }

    // A task's end in days: its start plus its stored elapsed time.
    static float endOf(const ATask* task);
    // A lag other than 0 on a link that is not sticky.
    static bool hasSlack(const DepLink* link);

  private:
    class Trace;
    struct Scratch;
    // Membership of the sets, per task.
    enum Flag : std::uint8_t {
        kInCrit = 1,
        kInFlaot = 2,
        kInTempSub = 4,
        kInTempSubCrit = 8,
        kInRoots = 16,
    };
    static constexpr std::uint32_t kUnknown = UINT32_MAX;

    // Numbers the store's tasks afresh, keeping the flags of the tasks numbered before.
    void renumber();
    std::uint32_t slotOf(const ATask* task) const;
    void clearFlags(std::uint8_t flags);
    TaskSet collect(Flag flag) const;
    void addRoot(ATask* task);

    Store& context_;
    bool projectCP_ = false;
    bool projectCPToEnd_ = false;
    std::vector<ATask*> rootCptasks_;
    // Dense task numbers: tasks_[n] is task n, slotOfSerial_ maps record serials to them.
    std::vector<ATask*> tasks_;
    std::vector<std::uint32_t> slotOfSerial_;
    std::vector<std::uint8_t> flags_;
    // The trace's working memory, kept from run to run.
    std::unique_ptr<Scratch> scratch_;
};

} // namespace mapolt
