#include "chart/chart_schedule.h"

#include "model/entities.h"
#include "model/task_helper.h"
#include "schedule/task_length_calc.h"

#include <utility>

namespace mapolt {

float ChartSchedule::calcOffset(const ATask* task) const {
    return engine_->calcOffset(task);
}

float ChartSchedule::calcDaysForTask(ATask* task) const {
    return task != nullptr ? task->elapsedTime() : 0.0f;
}

void ChartSchedule::setCriticality(CriticalityOf criticality, bool shown) {
    criticality_ = std::move(criticality);
    setCriticalOn(shown);
}

void ChartSchedule::setCriticalOn(bool shown) {
    criticalOn_ = [shown] { return shown; };
}

void ChartSchedule::followCriticalPath(const TaskHelper& helper) {
    criticality_ = [&helper](const ATask& task) { return helper.getCriticalityOfTask(&task); };
    criticalOn_ = [&helper] { return helper.isCriticalOn(); };
}

int ChartSchedule::getCriticalityOfTask(const ATask& task) const {
    return criticality_ ? criticality_(task) : 0;
}

} // namespace mapolt
