#include "schedule/calandar_controller.h"

#include "model/entities.h"
#include "model/store.h"
#include "schedule/calandar_access.h"

#include <chrono>
#include <ctime>

namespace mapolt {

namespace {

int daysInMonth(int year, int month) {
    const std::chrono::year_month_day_last end{std::chrono::year{year} /
                                               std::chrono::month{static_cast<unsigned>(month)} /
                                               std::chrono::last};
    return static_cast<int>(static_cast<unsigned>(end.day()));
}

std::string monthTitle(int year, int month) {
    std::tm parts{};
    parts.tm_year = year - 1900;
    parts.tm_mon = month - 1;
    parts.tm_mday = 1;
    char text[64];
    const std::size_t n = std::strftime(text, sizeof text, "%b %Y", &parts);
    return std::string(text, n);
}

} // namespace

CalandarController::CalandarController(CalandarAccess& service, Date today) : service_(service) {
    const civil::Ymd t = civil::toYmd(today);
    year_ = t.year;
    month_ = t.month;
    selectedDay_ = t.day;
}

void CalandarController::setCalandar(Calandar* calandar) {
    calandar_ = calandar;
    resource_ = nullptr;
    setState();
}

void CalandarController::setResource(Resource* resource) {
    resource_ = resource;
    calandar_ = nullptr;
    setState();
}

void CalandarController::prevMonth() {
    moveMonth(-1);
}

void CalandarController::nextMonth() {
    moveMonth(1);
}

void CalandarController::moveMonth(int delta) {
    const int index = year_ * 12 + (month_ - 1) + delta;
    year_ = index / 12;
    month_ = index % 12 + 1;
    setState();
}

void CalandarController::daySelect(int dayOfMonth) {
    if (dayOfMonth < 1)
        return;
    selectedDay_ = dayOfMonth;
    setState();
}

bool CalandarController::setHoursForDay(float hours) {
    const bool changed = setHoursForDay(hours, service_);
    setState();
    return changed;
}

Date CalandarController::selectedDate() const {
    return civil::fromYmd(year_, month_, selectedDay_);
}

float CalandarController::hoursShownFor(Date date, int* source) {
    CalandarReturnStruct r;
    if (resource_ != nullptr)
        r = service_.hoursForDay(date, resource_);
    else if (calandar_ != nullptr)
        r = service_.timeForCalandar(calandar_, date);
    *source = r.source;
    return r.hours;
}

void CalandarController::setState() {
    title_ = monthTitle(year_, month_);
    const int length = daysInMonth(year_, month_);
    if (selectedDay_ > length)
        selectedDay_ = length;
    const int firstColumn = civil::weekday(civil::fromYmd(year_, month_, 1));
    for (std::size_t i = 0; i < cells_.size(); ++i) {
        DayCell& cell = cells_[i];
        const int day = static_cast<int>(i) - firstColumn + 1;
        if (day < 1 || day > length) {
            cell = DayCell{};
            continue;
        }
        int source = 0;
        const float hours = hoursShownFor(civil::fromYmd(year_, month_, day), &source);
        cell.title = std::to_string(day);
        cell.enabled = true;
        if (source == 2)
            cell.colour = DayCellColour::Green;
        else if (source == 1)
            cell.colour = hours > 0.0f    ? DayCellColour::White
                          : hours == 0.0f ? DayCellColour::Grey
                                          : DayCellColour::Green;
        else
            cell.colour = DayCellColour::White;
        if (day == selectedDay_) {
            dayHours_ = hours;
            cell.colour = DayCellColour::Red;
        }
    }
}

bool CalandarController::setHoursForDay(float hours, CalandarAccess& withCal) {
    if ((resource_ == nullptr && calandar_ == nullptr) || hours == dayHours_)
        return false;
    const Date date = selectedDate();
    Calandar* target = resource_ != nullptr ? resource_->cal() : calandar_;
    if (target == nullptr)
        return false;

    Day* existing = nullptr;
    for (Day* d : target->workingDays)
        if (d->date.optional() && civil::daysBetween(d->date(), date) == 0)
            existing = d;
    if (existing != nullptr)
        target->removeFrom(&Calandar::workingDays, existing);

    Calandar* referenceCal = resource_ != nullptr ? target->superCalandar() : target;
    // Back to what the pattern gives: the date keeps no exception.
    if (withCal.timeForCalandar(referenceCal, date).hours == hours)
        return existing != nullptr;
    auto* day = withCal.context().insert<Day>();
    day->set(&Day::date, date);
    day->set(&Day::hours, hours);
    day->set(&Day::reason, std::string("new"));
    target->addTo(&Calandar::workingDays, day);
    withCal.clearCache();
    return true;
}

} // namespace mapolt
