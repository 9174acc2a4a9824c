#include "interchange/baseline_tv_controller.h"

#include "model/entities.h"
#include "model/store.h"

namespace mapolt {

Baseline* BaselineTVController::selectedBase() const {
    return selected_ != nullptr && !selected_->isDeleted() ? selected_ : nullptr;
}

void BaselineTVController::calcAll(const Baseline* baseline) {
    times.calcCurrent(context_, baseline);
    costs.calcCurrent(context_, baseline);
    dates.calcCurrent(context_, baseline);
}

Baseline* BaselineTVController::snapBaseline() {
    UndoCommandGroup command(context_.undoManager());
    calcAll(nullptr);
    for (ATask* task : context_.fetch<ATask>()) {
        task->set(&ATask::baseStart, task->daysFromStart.optional());
        task->set(&ATask::baseHours, task->hours.optional());
        task->set(&ATask::baseElapsed, task->elapsedTime.optional());
    }
    auto* baseline = context_.insert<Baseline>();
    baseline->set(&Baseline::project, context_.fetchFirst<Project>({}, {}));
    baseline->set(&Baseline::baselineDate, civil::now());
    baseline->set(&Baseline::startDate, dates.currentStart);
    baseline->set(&Baseline::endDate, dates.currentEnd);
    baseline->setPrimitive(&Baseline::totalElapsedTime, times.currentElapsed);
    baseline->setPrimitive(&Baseline::totalTaskTime, times.currentTask);
    baseline->setPrimitive(&Baseline::totalResourceTime, times.currentResource);
    baseline->setPrimitive(&Baseline::cost, costs.currentCost);
    baseline->setPrimitive(&Baseline::unassignedResource, costs.unassignedResource);
    selected_ = baseline;
    calcAll(baseline);
    return baseline;
}

std::string BaselineTVController::exportReport(bool withCosts, bool withTimes, bool withDates) {
    const Baseline* baseline = selectedBase();
    calcAll(baseline);
    std::string report;
    if (withCosts)
        report += costs.toString(baseline);
    if (withTimes)
        report += times.toString(baseline);
    if (withDates)
        report += dates.toString(baseline);
    return report;
}

} // namespace mapolt
