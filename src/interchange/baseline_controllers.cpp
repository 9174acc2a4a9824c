#include "interchange/baseline_controllers.h"

#include "interchange/text_file_exporter.h"
#include "model/entities.h"
#include "model/store.h"
#include "table/number_formats.h"

#include <algorithm>
#include <cmath>
#include <unordered_set>

namespace mapolt {

namespace {

std::optional<Date> dateOf(const Attribute<Date>& a) {
    return a.optional();
}

} // namespace

std::string reportNumber(float value) {
    return TextFileExporter::csvField(formats::money(value), ",");
}

std::string reportDate(const std::optional<Date>& date) {
    return date ? TextFileExporter::csvField(formats::mediumDate(*date), ",") : std::string();
}

void BaselineCostController::calcCurrent(const Store& context, const Baseline* baseline) {
    float resourceCost = 0, taskCost = 0, unassignedHours = 0, uncostedHours = 0;
    std::vector<const Resource*> fixed;
    std::unordered_set<const Resource*> fixedSeen;
    for (const ATask* task : context.fetch<ATask>()) {
        taskCost += task->cost();
        const bool summary = task->subTasks.size() > 0;
        if (!costSuperTasks && summary)
            continue;
        const float h = task->hours();
        if (task->resources.size() == 0)
            unassignedHours += h;
        for (const ATaskResource* a : task->resources) {
            const Resource* r = a->resource();
            if (r == nullptr)
                continue;
            const float share = summary ? std::max(a->perc() / 100.0f, 0.01f) : 1.0f;
            const float rate = r->hourlyRate();
            switch (r->type()) {
            case 0:
                if (rate != 0)
                    resourceCost += share * rate * h;
                else
                    uncostedHours += share * h;
                break;
            case 1:
                if (fixedSeen.insert(r).second)
                    fixed.push_back(r);
                break;
            case 2:
                if (rate != 0)
                    resourceCost += rate;
                else
                    uncostedHours += share * h;
                break;
            default:
                break;
            }
        }
    }
    for (const Resource* r : fixed)
        resourceCost += r->hourlyRate();
    currentCost = resourceCost + taskCost;
    unassigned = unassignedHours;
    unassignedResource = uncostedHours;
    baselineCost = baseline != nullptr ? baseline->cost() : 0.0f;
    diffCost = currentCost - baselineCost;
}

std::string BaselineCostController::toString(const Baseline* baseline) const {
    const float base = baseline != nullptr ? baseline->cost() : 0.0f;
    return "Costings\n,Cost\nCurrent," + reportNumber(currentCost) + "\nBaseline," +
           reportNumber(base) + "\n\nUncosted Time\nResource," + reportNumber(unassigned) +
           "\nUnassigned," + reportNumber(unassignedResource) + "\n\n";
}

void BaselineDatesController::calcCurrent(const Store& context, const Baseline* baseline) {
    const Project* project = context.fetchFirst<Project>({}, {});
    currentStart = project != nullptr ? project->startDate.optional() : std::nullopt;
    totalTime = 0;
    for (const ATask* task : context.fetch<ATask>())
        totalTime = std::max(totalTime, task->daysFromStart() + task->elapsedTime());
    currentEnd = std::nullopt;
    if (currentStart && std::isfinite(totalTime))
        currentEnd = civil::addDaysKeepingTime(
            *currentStart, static_cast<int>(std::trunc(std::min(totalTime, 4.0e6f))));
    baselineStart = baseline != nullptr ? dateOf(baseline->startDate) : std::nullopt;
    baselineEnd = baseline != nullptr ? dateOf(baseline->endDate) : std::nullopt;
    diffStart = baselineStart && currentStart
                    ? std::optional<int>(civil::daysBetween(*baselineStart, *currentStart))
                    : std::nullopt;
    diffEnd = baselineEnd && currentEnd
                  ? std::optional<int>(civil::daysBetween(*baselineEnd, *currentEnd))
                  : std::nullopt;
}

std::string BaselineDatesController::toString(const Baseline* baseline) const {
    const std::optional<Date> baseStart =
        baseline != nullptr ? dateOf(baseline->startDate) : std::nullopt;
    const std::optional<Date> baseEnd =
        baseline != nullptr ? dateOf(baseline->endDate) : std::nullopt;
    return "Dates\nStart Date," + reportDate(currentStart) + "\nBase Start Date," +
           reportDate(baseStart) + "\nEnd Date," + reportDate(currentEnd) + "\nBase End Date," +
           reportDate(baseEnd) + "\n\n";
}

void BaselineTimeController::calcCurrent(const Store& context, const Baseline* baseline) {
    float elapsed = 0, taskTime = 0, resourceTime = 0;
    bool negative = false;
    for (const ATask* task : context.fetch<ATask>()) {
        negative = negative || task->elapsedTime() < 0;
        elapsed += task->elapsedTime();
        taskTime += task->hours();
        const auto n = static_cast<float>(task->resources.size());
        for (std::size_t i = 0; i < task->resources.size(); ++i)
            resourceTime += task->hours() / n;
    }
    if (!negative)
        currentElapsed = elapsed;
    currentTask = taskTime;
    currentResource = resourceTime;
    baselineElapsed = baseline != nullptr ? baseline->totalElapsedTime() : 0.0f;
    baselineTask = baseline != nullptr ? baseline->totalTaskTime() : 0.0f;
    baselineResource = baseline != nullptr ? baseline->totalResourceTime() : 0.0f;
    diffElapsed = currentElapsed - baselineElapsed;
    diffTask = currentTask - baselineTask;
    diffResource = currentResource - baselineResource;
}

std::string BaselineTimeController::toString(const Baseline* baseline) const {
    const auto base = [baseline](float (*read)(const Baseline&)) {
        return reportNumber(baseline != nullptr ? read(*baseline) : 0.0f);
    };
    return "Elapsed Times\n,Hours\nCurrent," + reportNumber(currentElapsed) + "\nBaseline," +
           base([](const Baseline& b) { return b.totalElapsedTime(); }) +
           "\n\nTask Time\nCurrent," + reportNumber(currentTask) + "\nBaseline," +
           base([](const Baseline& b) { return b.totalTaskTime(); }) +
           "\n\nResource Time\nCurrent," + reportNumber(currentResource) + "\nBaseline," +
           base([](const Baseline& b) { return b.totalResourceTime(); }) + "\n\n";
}

} // namespace mapolt
