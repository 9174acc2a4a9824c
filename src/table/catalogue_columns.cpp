#include "table/catalogue_columns.h"

#include "model/entities.h"
#include "table/column_controller.h"
#include "table/number_formats.h"

#include <cmath>

namespace mapolt {

namespace {

// The project start plus the whole days of `days`, truncated toward zero.
Value projectDayDate(const Project* project, float days) {
    if (project == nullptr || project->startDate.absent() || !std::isfinite(days))
        return {};
    const float whole = std::trunc(std::clamp(days, -4.0e6f, 4.0e6f));
    return civil::addDaysKeepingTime(project->startDate(), static_cast<int>(whole));
}

std::optional<std::string> textOf(const Value& v) {
    if (const auto* s = std::get_if<std::string>(&v))
        return *s;
    return std::nullopt;
}

} // namespace

OrderColumn::OrderColumn(ColumnController& controller, std::int32_t viewOrder)
    : TableColumn(controller, "No", "viewOrder", ColumnFormatter::Integer, viewOrder) {
    setEditable(false);
    setWidth(30.0f);
}

Value OrderColumn::valueForItem(ATask* task) const {
    return static_cast<float>(task->viewOrder() + 1);
}

HoursColumn::HoursColumn(ColumnController& controller, std::string title, float divider,
                         std::int32_t viewOrder)
    : TableColumn(controller, std::move(title), "hours", ColumnFormatter::Number, viewOrder),
      divider_(divider) {}

Value HoursColumn::valueForItem(ATask* task) const {
    return task->hours() / divider_;
}

StartDateColumn::StartDateColumn(ColumnController& controller, std::int32_t viewOrder)
    : TableColumn(controller, "Start Date", "daysFromStart", ColumnFormatter::Date, viewOrder) {}

Value StartDateColumn::valueForItem(ATask* task) const {
    return projectDayDate(controller_.project(), task->daysFromStart());
}

EndDateColumn::EndDateColumn(ColumnController& controller, std::int32_t viewOrder)
    : TableColumn(controller, "End Date", "elapsedTime", ColumnFormatter::Date, viewOrder) {}

Value EndDateColumn::valueForItem(ATask* task) const {
    return projectDayDate(controller_.project(), task->elapsedTime() + task->daysFromStart());
}

PercentColumn::PercentColumn(ColumnController& controller, std::int32_t viewOrder)
    : TableColumn(controller, "%", "percComp", ColumnFormatter::None, viewOrder) {}

Value PercentColumn::valueForItem(ATask* task) const {
    if (task->percComp.absent())
        return {};
    return formats::percent(task->percComp());
}

std::optional<std::string> PercentColumn::stringValueForItem(ATask* task) const {
    return textOf(valueForItem(task));
}

ResourceInitialsColumn::ResourceInitialsColumn(ColumnController& controller,
                                               std::int32_t viewOrder)
    : TableColumn(controller, "Resources", "resources", ColumnFormatter::None, viewOrder) {}

Value ResourceInitialsColumn::valueForItem(ATask* task) const {
    std::string text;
    for (const ATaskResource* a : task->resources) {
        if (!text.empty())
            text += ", ";
        if (a->resource() != nullptr)
            text += a->resource()->initials();
    }
    return text;
}

std::optional<std::string> ResourceInitialsColumn::stringValueForItem(ATask* task) const {
    return textOf(valueForItem(task));
}

DepNumbersColumns::DepNumbersColumns(ColumnController& controller, std::int32_t viewOrder)
    : TableColumn(controller, "DependTasks", "dependTasks", ColumnFormatter::None, viewOrder) {}

Value DepNumbersColumns::valueForItem(ATask* task) const {
    std::string text;
    for (const DepLink* l : task->dependeeTasks) {
        if (l->dependTask() == nullptr)
            continue;
        if (!text.empty())
            text += ", ";
        text += std::to_string(l->dependTask()->viewOrder() + 1);
    }
    return text;
}

std::optional<std::string> DepNumbersColumns::stringValueForItem(ATask* task) const {
    return textOf(valueForItem(task));
}

} // namespace mapolt
