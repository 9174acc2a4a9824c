#include "schedule/calendar_window_logic.h"

#include "model/alert_presenter.h"
#include "model/entities.h"
#include "model/notification_center.h"
#include "model/store.h"
#include "schedule/calandar_access.h"

namespace mapolt {

CalendarWindowLogic::CalendarWindowLogic(Store& store, CalandarAccess& service,
                                         AlertPresenter& alerts, Date today)
    : store_(store), service_(service), alerts_(alerts), grid_(service, today) {}

void CalendarWindowLogic::postRecalc() {
    NotificationCenter::defaultCenter().post(kRecalcProject, this, &store_);
}

void CalendarWindowLogic::setSelectedCalandar(Calandar* calandar) {
    selected_ = calandar;
    grid_.setCalandar(calandar);
    postRecalc();
}

float CalendarWindowLogic::hoursForWeekday(int weekday) const {
    return service_.hoursForWeekday(weekday, selected_).hours;
}

void CalendarWindowLogic::setHoursForWeekday(int weekday, float hours) {
    service_.setHoursForWeekday(weekday, selected_, hours);
    grid_.refresh();
    postRecalc();
}

void CalendarWindowLogic::setHoursForDay(float hours) {
    grid_.setHoursForDay(hours);
    postRecalc();
}

Calandar* CalendarWindowLogic::addCalandar() {
    auto* cal = store_.insert<Calandar>();
    for (int i = 0; i < 7; ++i)
        service_.setHoursForWeekday(i, cal, i == 0 || i == 6 ? 0.0f : 8.0f);
    cal->set(&Calandar::name, std::string("New Calandar"));
    cal->set(&Calandar::isRoot, true);
    postRecalc();
    return cal;
}

void CalendarWindowLogic::removeCalandar() {
    if (selected_ == nullptr)
        return;
    if (selected_->isBase()) {
        alerts_.runAlert(Alert{AlertStyle::Warning, "Unable to remove base calendars", "", {"OK"}});
        return;
    }
    Calandar* doomed = selected_;
    const auto inheriting =
        store_.fetch<Calandar>([doomed](const Calandar& c) { return c.superCalandar() == doomed; });
    if (!inheriting.empty()) {
        const int answer = alerts_.runAlert(
            Alert{AlertStyle::Warning,
                  "You are about to remove a calander which resources use.  These will be moved "
                  "to use the base calander",
                  "Are you sure you want to do this?",
                  {"OK", "Cancel"}});
        if (answer != 0) {
            postRecalc();
            return;
        }
        Calandar* base =
            store_.fetchFirst<Calandar>([](const Calandar& c) { return c.isBase(); }, {});
        for (Calandar* c : inheriting)
            c->set(&Calandar::superCalandar, base);
    }
    selected_ = nullptr;
    grid_.setCalandar(nullptr);
    // Its weekly pattern and exceptions belong to nothing else; leaving them would only
    // carry dead records into the plan file.
    for (Week* w : doomed->weekWork())
        store_.deleteRecord(w);
    for (Day* d : doomed->workingDays())
        store_.deleteRecord(d);
    store_.deleteRecord(doomed);
    postRecalc();
}

} // namespace mapolt
