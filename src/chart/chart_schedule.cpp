#include "chart/chart_schedule.h"

#include "schedule/task_length_calc.h"

#include <utility>

namespace mapolt {

float ChartSchedule::calcOffset(const ATask* task) const {
    return engine_->calcOffset(task);
}

float ChartSchedule::calcDaysForTask(ATask* task) const {
    return engine_->calcDaysForTask(task);
}

void ChartSchedule::setCriticality(CriticalityOf criticality, bool shown) {
    criticality_ = std::move(criticality);
    criticalOn_ = shown;
}

int ChartSchedule::getCriticalityOfTask(const ATask& task) const {
    return criticality_ ? criticality_(task) : 0;
}

} // namespace mapolt
