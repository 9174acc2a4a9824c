#include "table/column_controller.h"

#include "model/entities.h"
#include "model/filters.h"
#include "model/notification_center.h"
#include "table/catalogue_columns.h"

#include <algorithm>

namespace mapolt {

ColumnController::ColumnController(Store& context, Project* project, ColumnEditing* editing)
    : context_(context), project_(project), editing_(editing) {
    createColumns();
}

ColumnController::~ColumnController() {
    for (ObservationToken token : observations_)
        context_.stopObserving(token);
}

void ColumnController::createColumns() {
    catalogue_.clear();
    active_.clear();
    byTitle_.clear();
    built_ = false;
    auto& c = catalogue_;
    ColumnController& self = *this;
    c.push_back(std::make_unique<OrderColumn>(self, 0));
    c.push_back(std::make_unique<TableColumn>(self, "Task Name", "name", ColumnFormatter::None, 1));
    // Names are the longest texts of the table; their column starts wide enough to read them.
    c.back()->setWidth(TableColumn::kNameColumnWidth);
    c.push_back(std::make_unique<HoursColumn>(self, "Hours", 1.0f, 2));
    c.push_back(std::make_unique<HoursColumn>(self, "Days", 8.0f, 3));
    c.push_back(
        std::make_unique<TableColumn>(self, "Elapsed", "elapsedTime", ColumnFormatter::Number, 4));
    c.push_back(std::make_unique<PercentColumn>(self, 5));
    c.push_back(std::make_unique<StartDateColumn>(self, 6));
    c.push_back(std::make_unique<EndDateColumn>(self, 7));
    c.push_back(std::make_unique<ResourceInitialsColumn>(self, 8));
    c.push_back(std::make_unique<DepNumbersColumns>(self, 9));
    const std::pair<const char*, const char*> checkBoxes[] = {{"Locked Start", "lockedStart"},
                                                              {"Adjust Elapsed", "adjustElapsed"},
                                                              {"Adjust Hours", "adjustHours"}};
    std::int32_t order = 10;
    for (const auto& [title, key] : checkBoxes) {
        auto column =
            std::make_unique<TableColumn>(self, title, key, ColumnFormatter::None, order++);
        column->setCheckBox(true);
        c.push_back(std::move(column));
    }
    for (const auto& column : catalogue_)
        byTitle_[column->description()] = column.get();
}

const std::vector<TableColumn*>& ColumnController::getActiveColumns() {
    if (!built_) {
        active_.clear();
        for (const auto& column : catalogue_)
            if (column->active())
                active_.push_back(column.get());
        built_ = true;
    }
    return active_;
}

TableColumn* ColumnController::getColumn(const std::string& title) const {
    const auto found = byTitle_.find(title);
    return found == byTitle_.end() ? nullptr : found->second;
}

ColumnStates* ColumnController::createIfNeededColumnWithName(const std::string& title,
                                                             std::int32_t order, bool active) {
    if (ColumnStates* found =
            context_.fetchFirst<ColumnStates>(filters::nameFilter<ColumnStates>(title), {}))
        return found;
    auto* state = context_.insert<ColumnStates>();
    state->set(&ColumnStates::name, title);
    state->set(&ColumnStates::viewOrder, order);
    state->set(&ColumnStates::active, active);
    state->set(&ColumnStates::width, 0.0f);
    state->set(&ColumnStates::project, project_);
    return state;
}

void ColumnController::observeStates() {
    if (!observations_.empty())
        return;
    const auto rebuild = [this](Record&, std::string_view) {
        if (!rebuilding_)
            rebuildActiveColumns();
    };
    observations_.push_back(context_.observe(Entity::ColumnStates, "active", rebuild));
    observations_.push_back(context_.observe(Entity::ColumnStates, "viewOrder", rebuild));
}

void ColumnController::rebuildActiveColumns() {
    rebuilding_ = true;
    active_.clear();
    for (const auto& column : catalogue_) {
        ColumnStates* state =
            createIfNeededColumnWithName(column->description(), 0, column->active());
        column->setActive(state->active());
        column->setViewOrder(state->viewOrder());
        if (state->width() != 0.0f)
            column->setWidth(state->width());
        if (column->active())
            active_.push_back(column.get());
    }
    observeStates();
    built_ = true;
    rebuiltOnce_ = true;
    std::stable_sort(
        active_.begin(), active_.end(),
        [](const TableColumn* a, const TableColumn* b) { return a->viewOrder() < b->viewOrder(); });
    rebuilding_ = false;
    NotificationCenter::defaultCenter().post(kProjectChanged, this, &context_);
}

void ColumnController::setColumnWidths() {
    if (!rebuiltOnce_)
        return;
    for (const auto& column : catalogue_)
        createIfNeededColumnWithName(column->description(), 0, column->active())
            ->set(&ColumnStates::width, column->width());
}

float ColumnController::totalWidth() {
    float total = 0.0f;
    for (const TableColumn* column : getActiveColumns())
        total += column->width();
    return total;
}

float ColumnController::taskWidth() const {
    for (const auto& column : catalogue_)
        if (column->coreDataKey() == "name")
            return column->width();
    return 0.0f;
}

void ColumnController::postProjectChanged() const {
    NotificationCenter::defaultCenter().post(kProjectChanged, this, &context_);
}

} // namespace mapolt
