#pragma once

#include "model/critical_path_service.h"
#include "model/entities.h"
#include "model/outline_engine.h"
#include "model/preferences.h"
#include "model/store.h"

#include <cstdint>
#include <vector>

namespace mapolt {

// Owns every structural change of the task outline: creating tasks, sibling chains,
// indent and outdent, moves, subtree deletion, linking runs, and the row numbering.
class TaskHelper {
  public:
    TaskHelper(Store& context, Project* project, const Preferences& preferences);

    void setTaskLengthCalc(OutlineEngine* engine) { taskLengthCalc_ = engine; }
    void setDependencyLinker(DependencyLinker* linker) { linker_ = linker; }
    void setCriticalPath(CriticalPathService* criticalPath) { criticalPath_ = criticalPath; }

    // Queries.
    ATask* getRootTask() const;
    ATask* getLastTask() const;
    static ATask* getFirstSubSibling(const ATask* task);
    static ATask* getLastSubSibling(const ATask* task);
    static int depthOf(const ATask* task);
    static bool isTask(const ATask* a, const ATask* parentOf);
    static bool doesTask(const ATask* a, const ATask* haveSameParentAs);
    ATask* getTaskForNumber(int number) const;
    // Every task reachable from the root, in depth-first pre-order (the outline's rows).
    std::vector<ATask*> outlineOrder() const;

    // Numbering and identity.
    void reIndexProject();
    // While one lives, reIndexProject only notes that the rows need numbers; the last to end
    // numbers them once. Adding many tasks in a row then costs one renumbering, not one each.
    class ReIndexBatch {
      public:
        explicit ReIndexBatch(TaskHelper& helper);
        ~ReIndexBatch();
        ReIndexBatch(const ReIndexBatch&) = delete;
        ReIndexBatch& operator=(const ReIndexBatch&) = delete;

      private:
        TaskHelper& helper_;
    };
    int orderNode(ATask* task, int taskNo);
    std::uint32_t getUID();
    void setDefaults(ATask* task);
    float defaultDays() const { return defaultDays_; }
    void setDefaultDays(float days) { defaultDays_ = days; }

    // Creating and inserting.
    ATask* createTaskRefTask(ATask* reference, bool isBlank);
    void insertTaskBefore(ATask* task);
    ATask* insertTaskAfter(ATask* task, bool reIndex = true);
    void insertBlankTaskBefore(ATask* task);
    void insertBlankTaskAfter(ATask* task);
    void addBlankTask();
    // A start day of exactly -1 means today.
    ATask* addEndTask(float startDay, bool useLast = true);
    // addEndTask when the caller knows the last top-level task (none for an empty outline).
    ATask* addEndTaskAfter(ATask* last, float startDay);
    ATask* addTaskSuperTask(ATask* superTask, int view, bool blank);
    ATask* addTaskSuperTask2(ATask* superTask);
    // addTaskSuperTask2 when the caller knows the parent's last subtask (none when it has none).
    ATask* addTaskSuperTask2(ATask* superTask, ATask* lastChild);

    // Structure.
    std::vector<ATask*> expandSelectionToIncludeBlanks(const std::vector<ATask*>& tasks) const;
    void makeSubTask(const std::vector<ATask*>& tasks, bool reIndex = true);
    void makeSuperTask(const std::vector<ATask*>& tasks);
    int moveTaskUp(ATask* task);
    int moveTaskDown(ATask* task);
    void deleteChildTask(ATask* task);
    void deleteChildTaskFromTree(ATask* task);
    void makeTree(const std::vector<ATask*>& tasks, bool firstTaskIsSuper);

    // Link operations, carried out by the attached link service.
    void fixDependacies(const std::vector<ATask*>& tasks);
    int makeDepenantFrom(ATask* predecessor, ATask* successor);

    // Critical path, computed by the attached service; without one the display stays off.
    void setShowProjCP(bool on) { forwardCP(&CriticalPathService::setShowProjCP, on); }
    void setShowEndCP(bool on) { forwardCP(&CriticalPathService::setShowEndCP, on); }
    void calcProjectCp() { forwardCP(&CriticalPathService::calcProjectCp); }
    void recalcCP() { forwardCP(&CriticalPathService::recalcCP); }
    void clearCrit() { forwardCP(&CriticalPathService::clearCrit); }
    void calcCPFromRoots() { forwardCP(&CriticalPathService::calcCPFromRoots); }
    bool isCriticalOn() const { return criticalPath_ != nullptr && criticalPath_->isCriticalOn(); }
    int getCriticalityOfTask(const ATask* task) const {
        return criticalPath_ != nullptr ? criticalPath_->getCriticalityOfTask(task) : 0;
    }

    Store& context() const { return context_; }
    Project* project() const { return project_; }

  private:
    std::vector<ATask*> sortedByViewOrder(std::vector<ATask*> tasks) const;
    void linkNewTaskBefore(ATask* task, ATask* x);
    void linkNewTaskAfter(ATask* task, ATask* x);
    void calcDays(ATask* task);
    void postProjectChanged(const void* sender) const;
    template <class... A> void forwardCP(void (CriticalPathService::*op)(A...), A... args) {
        if (criticalPath_ != nullptr)
            (criticalPath_->*op)(args...);
    }

    Store& context_;
    Project* project_;
    const Preferences& preferences_;
    OutlineEngine* taskLengthCalc_ = nullptr;
    DependencyLinker* linker_ = nullptr;
    CriticalPathService* criticalPath_ = nullptr;
    std::uint32_t uid_ = 0;
    float defaultDays_ = 1.0f;
    int reIndexDeferrals_ = 0;
    bool reIndexPending_ = false;
};

} // namespace mapolt
