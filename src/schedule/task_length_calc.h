#pragma once

#include "schedule/day_clock.h"

#include <vector>

namespace mapolt {

class AResourceUsage;
class ATask;
class ATaskResource;
class CalandarAccess;
class Project;
class Store;

// Turns a task's work into its elapsed days along the working calendars, and back, and keeps
// the per-day usage records of its assignments. Durations are recomputed lazily: edits mark
// tasks invalid and the first reader recomputes them.
class TaskLengthCalc {
  public:
    // A walk that finds no working hours stops after a hundred years of calendar days.
    static constexpr int kMaxWalkDays = 36'525;

    TaskLengthCalc(Store& context, CalandarAccess& calandarAccess);

    CalandarAccess& calandarAccess() const { return *calandarAccess_; }
    void setCA(CalandarAccess& calandarAccess) { calandarAccess_ = &calandarAccess; }

    float calcOffset(const ATask* task) const;
    float calcDaysForTask(ATask* task);
    float calcDaysForTaskResource(ATask* task);
    float checkHoliday(float day, ATaskResource* res, float fractionOfDay);
    AResourceUsage* checkHolidayResource(float day, ATaskResource* res, float fractionOfDay);
    float invDaysForTaskCalc(ATask* task, float period, float start);
    float invCalcDaysForTaskResource(ATask* task, float period, float start);

    Project* project();

  private:
    struct UsageDay {
        float day;
        float hours;
        float used;
    };
    UsageDay workOn(float day, ATaskResource* res, float fractionOfDay);
    AResourceUsage* recordUsage(ATaskResource* res, const UsageDay& w);
    std::vector<std::vector<UsageDay>>& usageScratch(std::size_t assignments);
    void writeUsage(ATaskResource* res, const std::vector<UsageDay>& days);
    float rollUpSummary(ATask* summary);
    void storeEnd(ATask* task, float end);
    void postValuesChanged();

    Store& context_;
    CalandarAccess* calandarAccess_;
    Project* project_ = nullptr;
    DayClock clock_;
    std::vector<std::vector<UsageDay>> scratch_;
};

} // namespace mapolt
