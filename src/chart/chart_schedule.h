#pragma once

#include <functional>

namespace mapolt {

class ATask;
class TaskHelper;
class TaskLengthCalc;

// What the chart reads of the schedule: a task's start and drawn length through the
// duration engine, and its criticality level (0 to 3) when the critical path is shown.
class ChartSchedule {
  public:
    using CriticalityOf = std::function<int(const ATask&)>;
    using CriticalShown = std::function<bool()>;

    explicit ChartSchedule(TaskLengthCalc& engine) : engine_(&engine) {}

    float calcOffset(const ATask* task) const;
    // The stored length: drawing never computes (and so never writes) a duration. The
    // document places invalid tasks when the project changes, before anything is drawn.
    float calcDaysForTask(ATask* task) const;

    // Without a source every task has level 0; the path shows only while `shown` is set.
    void setCriticality(CriticalityOf criticality, bool shown);
    void setCriticalOn(bool shown);
    // Levels and display state as the outline service's critical path has them at each draw.
    void followCriticalPath(const TaskHelper& helper);
    int getCriticalityOfTask(const ATask& task) const;
    bool isCriticalOn() const { return criticalOn_ && criticalOn_(); }

  private:
    TaskLengthCalc* engine_;
    CriticalityOf criticality_;
    CriticalShown criticalOn_;
};

} // namespace mapolt
