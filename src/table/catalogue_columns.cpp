#include "table/catalogue_columns.h"

#include "model/entities.h"
#include "model/notification_center.h"
#include "model/outline_engine.h"
#include "model/task_helper.h"
#include "schedule/resource_helper.h"
#include "schedule/task_editing.h"
#include "table/column_controller.h"
#include "table/number_formats.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <vector>

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

// Whole calendar days from the project start to the day of `v`, when `v` is a date.
std::optional<int> dayNumber(const Project* project, const Value& v) {
    const auto* d = std::get_if<Date>(&v);
    if (d == nullptr || project == nullptr || project->startDate.absent())
        return std::nullopt;
    return civil::daysBetween(project->startDate(), *d);
}

std::string_view trimmed(std::string_view s) {
    const auto blank = [](char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r'; };
    while (!s.empty() && blank(s.front()))
        s.remove_prefix(1);
    while (!s.empty() && blank(s.back()))
        s.remove_suffix(1);
    return s;
}

std::vector<std::string_view> pieces(std::string_view text) {
    std::vector<std::string_view> out;
    std::size_t begin = 0;
    while (begin <= text.size()) {
        const std::size_t end = std::min(text.find(',', begin), text.size());
        out.push_back(trimmed(text.substr(begin, end - begin)));
        begin = end + 1;
    }
    return out;
}

// The integer at the start of the text, as a number field reads it; 0 for none.
int integerValue(std::string_view s) {
    if (!s.empty() && s.front() == '+')
        s.remove_prefix(1);
    int n = 0;
    const auto r = std::from_chars(s.data(), s.data() + s.size(), n);
    return r.ec == std::errc() ? n : 0;
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

void HoursColumn::setValueForItem(ATask* task, const Value& value) {
    ColumnEditing* editing = controller_.editing();
    if (editing == nullptr || isAbsent(value) || std::holds_alternative<std::string>(value))
        return;
    changeWork(editing->engine, task, static_cast<float>(numberOf(value)) * divider_);
}

StartDateColumn::StartDateColumn(ColumnController& controller, std::int32_t viewOrder)
    : TableColumn(controller, "Start Date", "daysFromStart", ColumnFormatter::Date, viewOrder) {}

Value StartDateColumn::valueForItem(ATask* task) const {
    return projectDayDate(controller_.project(), task->daysFromStart());
}

void StartDateColumn::setValueForItem(ATask* task, const Value& value) {
    ColumnEditing* editing = controller_.editing();
    const std::optional<int> day = dayNumber(controller_.project(), value);
    if (editing == nullptr || !day)
        return;
    changeStart(editing->engine, task, static_cast<float>(*day));
}

EndDateColumn::EndDateColumn(ColumnController& controller, std::int32_t viewOrder)
    : TableColumn(controller, "End Date", "elapsedTime", ColumnFormatter::Date, viewOrder) {}

Value EndDateColumn::valueForItem(ATask* task) const {
    return projectDayDate(controller_.project(), task->elapsedTime() + task->daysFromStart());
}

void EndDateColumn::setValueForItem(ATask* task, const Value& value) {
    ColumnEditing* editing = controller_.editing();
    const std::optional<int> day = dayNumber(controller_.project(), value);
    if (editing == nullptr || !day)
        return;
    changeEnd(editing->engine, task, static_cast<float>(*day));
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

void PercentColumn::setValueForItem(ATask* task, const Value& value) {
    ColumnEditing* editing = controller_.editing();
    if (editing == nullptr)
        return;
    std::optional<double> parsed;
    if (const auto* text = std::get_if<std::string>(&value))
        parsed = text->find('%') != std::string::npos ? formats::parsePercent(*text)
                                                      : formats::parseInteger(*text);
    else if (!isAbsent(value))
        parsed = numberOf(value);
    std::optional<float> perc;
    if (parsed)
        perc = static_cast<float>(std::clamp(*parsed, 0.0, 100.0));
    changeCompletion(editing->engine, task, perc);
}

ResourceInitialsColumn::ResourceInitialsColumn(ColumnController& controller, std::int32_t viewOrder)
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

// The earlier assignments are deleted with their usage rather than left without a task: the
// document would drop such orphans when next opened anyway, and until then they would still
// count for their resources. A typed resource gets its full working day, not the one percent
// an assignment without a share counts as.
void ResourceInitialsColumn::setValueForItem(ATask* task, const Value& value) {
    ColumnEditing* editing = controller_.editing();
    const auto* text = std::get_if<std::string>(&value);
    if (editing == nullptr || text == nullptr)
        return;
    Store& store = controller_.context();
    UndoCommandGroup command(store.undoManager());
    for (ATaskResource* a : task->resources()) {
        for (AResourceUsage* u : a->resourceUsage())
            store.deleteRecord(u);
        store.deleteRecord(a);
    }
    for (std::string_view piece : pieces(*text)) {
        if (Resource* r = store.fetchFirst<Resource>(
                [piece](const Resource& res) { return res.initials.optional() == piece; }, {}))
            editing->resources.addResource(r, task);
    }
    editing->resources.recomputeAssignedTask(task);
    controller_.postProjectChanged();
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

void DepNumbersColumns::setValueForItem(ATask* task, const Value& value) {
    ColumnEditing* editing = controller_.editing();
    const auto* text = std::get_if<std::string>(&value);
    if (editing == nullptr || text == nullptr)
        return;
    Store& store = controller_.context();
    UndoCommandGroup command(store.undoManager());
    std::vector<ATask*> kept;
    for (std::string_view piece : pieces(*text)) {
        const int number = integerValue(piece);
        if (number == 0)
            continue;
        ATask* found = editing->helper.getTaskForNumber(number);
        if (found != nullptr && !found->hours.absent() &&
            std::find(kept.begin(), kept.end(), found) == kept.end())
            kept.push_back(found);
    }
    struct Remembered {
        ATask* predecessor;
        std::optional<double> daysBetween;
        std::optional<bool> sticky;
    };
    std::vector<Remembered> before;
    for (DepLink* l : task->dependeeTasks()) {
        before.push_back({l->dependTask(), l->daysBetween.optional(), l->sticky.optional()});
        if (std::find(kept.begin(), kept.end(), l->dependTask()) == kept.end())
            store.deleteRecord(l);
    }
    bool refused = false;
    for (ATask* predecessor : kept)
        if (editing->helper.makeDepenantFrom(predecessor, task) != 0) {
            refused = true;
            break;
        }
    if (refused) {
        for (DepLink* l : task->dependeeTasks())
            store.deleteRecord(l);
        for (const Remembered& r : before) {
            auto* link = store.insert<DepLink>();
            link->set(&DepLink::daysBetween, r.daysBetween);
            link->set(&DepLink::sticky, r.sticky);
            link->set(&DepLink::dependeeTask, task);
            if (r.predecessor != nullptr)
                r.predecessor->addTo(&ATask::dependTasks, link);
        }
    }
    controller_.postProjectChanged();
}

} // namespace mapolt
