#pragma once

#include "model/outline_engine.h"
#include "schedule/day_clock.h"

#include <memory>
#include <vector>

namespace mapolt {

class AResourceUsage;
class ATask;
class ATaskResource;
class CalandarAccess;
class Project;
class Propagator;
class Store;

// Turns a task's work into its elapsed days along the working calendars, and back, and keeps
// the per-day usage records of its assignments. Durations are recomputed lazily: edits mark
// tasks invalid and the first reader recomputes them.
class TaskLengthCalc final : public ScheduleEngine {
  public:
    // A walk that finds no working hours stops after a hundred years of calendar days, and
    // sooner when a whole year (and a day) went by without an hour of work.
    static constexpr int kMaxWalkDays = 36'525;
    static constexpr int kMaxIdleDays = 366;

    TaskLengthCalc(Store& context, CalandarAccess& calandarAccess);
    ~TaskLengthCalc() override;

    CalandarAccess& calandarAccess() const { return *calandarAccess_; }
    void setCA(CalandarAccess& calandarAccess) { calandarAccess_ = &calandarAccess; }

    float calcOffset(const ATask* task) const override;
    float calcDaysForTask(ATask* task) override;
    float calcDaysForTaskResource(ATask* task);
    // A leaf's days computed again, marked invalid or not, leaving it valid. A valid leaf's
    // flag is left alone: setting and clearing it would cost the undo group a step per task.
    float recomputeLeaf(ATask* task);
    float checkHoliday(float day, ATaskResource* res, float fractionOfDay);
    AResourceUsage* checkHolidayResource(float day, ATaskResource* res, float fractionOfDay);
    float invDaysForTaskCalc(ATask* task, float period, float start) override;
    float invCalcDaysForTaskResource(ATask* task, float period, float start);

    Project* project();

    // The tasks whose last duration walk stopped before their work was done: their calendars
    // (or their resources' shares) gave no working hour for a year, or cannot give the work
    // within a hundred years at all. In the order found.
    const std::vector<ATask*>& unfinishableTasks() const { return unfinishable_; }
    // Whether the task is unfinishable because its work exceeds what its calendars can give
    // in a hundred years (found without walking), rather than for want of any working hour.
    bool workBeyondReach(const ATask* task) const;

    // Placing dependent tasks after a change; see Propagator.
    void addInvalidTask(InvalidTask record) override;
    void recalcFromInvalids() override;
    void invalidateTask(ATask* task, bool andChildren) override;
    void invalidateProject(Store& context);
    void recalcProject(Store& context);
    void recalcAllSupers(Store& context) override;
    void calcDepsFor(ATask* task) override;
    void calcDepsForSub(ATask* task);
    float dependeeDist(ATask* successor, ATask* exclude) const;
    void moveSubtasksForTask(ATask* task) override;
    void moveSupertaskForTask(ATask* task) override;
    void propagateFrom(ATask* task) override;
    void recalcSuper(ATask* task);
    void bumpSuper(ATask* task, float bumpAmount) override;
    void invalidDeps(const InvalidTask& record, float bumpAmount);
    bool checkSuperTaskDeps(ATask* successor, ATask* doesNotHave) const;
    bool checkSubsOnStack(ATask* task) const;
    bool taskIsOnStack(ATask* task) const;

  private:
    struct UsageDay {
        float day;
        float hours;
        float used;
    };
    UsageDay workOn(float day, ATaskResource* res, float fractionOfDay);
    bool beyondReach(float work, const std::vector<ATaskResource*>& assignments);
    void markUnfinishable(ATask* task, bool beyondReach);
    AResourceUsage* recordUsage(ATaskResource* res, const UsageDay& w);
    std::vector<std::vector<UsageDay>>& usageScratch(std::size_t assignments);
    const std::vector<ATaskResource*>& assignmentsOf(const ATask* task);
    static bool usageIs(const ATaskResource* res, const std::vector<UsageDay>& days);
    void writeUsage(ATaskResource* res, const std::vector<UsageDay>& days);
    float placeDays(ATask* task);
    float rollUpSummary(ATask* summary);
    void storeEnd(ATask* task, float end);
    void postValuesChanged();

    Store& context_;
    CalandarAccess* calandarAccess_;
    Project* project_ = nullptr;
    DayClock clock_;
    std::vector<std::vector<UsageDay>> scratch_;
    std::vector<ATaskResource*> assignments_;
    std::unique_ptr<Propagator> propagator_;
    std::vector<ATask*> unfinishable_;
    std::vector<ATask*> beyondReach_;
};

} // namespace mapolt
