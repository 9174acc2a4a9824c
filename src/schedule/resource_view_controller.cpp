#include "schedule/resource_view_controller.h"

#include "model/entities.h"
#include "model/notification_center.h"
#include "model/store.h"
#include "schedule/calandar_access.h"
#include "schedule/resource_helper.h"

namespace mapolt {

namespace {

void post(std::string_view name, const void* sender, const Store& store) {
    NotificationCenter::defaultCenter().post(name, sender, &store);
}

} // namespace

ResourceViewController::ResourceViewController(ResourceHelper& resources, CalandarAccess& calendars,
                                               Date today)
    : resources_(resources), calendars_(calendars), grid_(calendars, today) {}

void ResourceViewController::setSelection(const std::vector<Resource*>& selection) {
    selected_ = selection.size() == 1 ? selection.front() : nullptr;
    popupChange();
}

void ResourceViewController::popupChange() {
    grid_.setResource(selected_);
    grid_.refresh();
}

Resource* ResourceViewController::addResource() {
    Resource* r = resources_.getNewResource(std::string("Resource Name"));
    grid_.refresh();
    post(kProjectChanged, this, calendars_.context());
    return r;
}

float ResourceViewController::hoursForWeekday(int weekday) const {
    return selected_ != nullptr ? calendars_.hoursForWeekday(weekday, selected_) : 0.0f;
}

void ResourceViewController::setHoursForWeekday(int weekday, float hours) {
    if (selected_ == nullptr)
        return;
    calendars_.setHoursForWeekday(weekday, selected_, hours);
    grid_.refresh();
    post(kProjectChanged, this, calendars_.context());
}

void ResourceViewController::setHoursForDay(float hours) {
    if (selected_ == nullptr)
        return;
    grid_.setHoursForDay(hours, calendars_);
    grid_.refresh();
    post(kRecalcProject, this, calendars_.context());
}

std::optional<ResourceColour> ResourceViewController::resourceColour() const {
    const Colour* c = selected_ != nullptr ? selected_->colour() : nullptr;
    if (c == nullptr)
        return std::nullopt;
    return ResourceColour{c->red(), c->green(), c->blue(), c->alpha()};
}

void ResourceViewController::setResourceColour(const ResourceColour& colour) {
    if (selected_ == nullptr)
        return;
    UndoCommandGroup command(selected_->store().undoManager());
    Colour* c = selected_->colour();
    if (c == nullptr) {
        c = selected_->store().insert<Colour>();
        c->set(&Colour::red, 0.0f);
        c->set(&Colour::green, 0.0f);
        c->set(&Colour::blue, 0.0f);
        c->set(&Colour::alpha, 1.0f);
        selected_->set(&Resource::colour, c);
    }
    c->set(&Colour::red, colour.red);
    c->set(&Colour::green, colour.green);
    c->set(&Colour::blue, colour.blue);
    c->set(&Colour::alpha, colour.alpha);
    post(kProjectChanged, this, calendars_.context());
}

} // namespace mapolt
