#include "schedule/calandar_access.h"

#include "model/entities.h"
#include "model/notification_center.h"
#include "model/store.h"

#include <array>
#include <charconv>

namespace mapolt {

namespace {

constexpr std::array<const char*, 7> kWeekdayNames = {"Sunday",   "Monday", "Tuesday", "Wednesday",
                                                      "Thursday", "Friday", "Saturday"};

std::string cacheKey(Date end) {
    std::array<char, 32> text{};
    const auto r = std::to_chars(text.data(), text.data() + text.size(), end.seconds);
    return std::string(text.data(), r.ptr);
}

CalendarDay calendarDayOf(Date date) {
    return CalendarDay{date, civil::addDaysKeepingTime(date, 1), civil::weekday(date)};
}

} // namespace

CalandarAccess::CalandarAccess(Store& context) : context_(context), dayIndex_(context) {
    dayCache_.reserve(100);
}

const char* CalandarAccess::weekdayName(int weekday) {
    return weekday >= 0 && weekday < 7 ? kWeekdayNames[static_cast<std::size_t>(weekday)] : "";
}

Calandar* CalandarAccess::getBaseCalandar() {
    setBase();
    return base_;
}

void CalandarAccess::setBase() {
    clearCache();
    Project* project = context_.fetchFirst<Project>({}, {});
    if (project == nullptr) {
        // Keep the previous base, but only while it is still a live record.
        base_ = context_.fetchFirst<Calandar>(
            [this](const Calandar& c) { return c.serial() == baseSerial_; }, {});
        return;
    }
    if (project->cal() == nullptr)
        project->set(&Project::cal, createBaseCalandar());
    base_ = project->cal();
    baseSerial_ = base_->serial();
}

Calandar* CalandarAccess::createBaseCalandar() {
    clearCache();
    auto* cal = context_.insert<Calandar>();
    for (int i = 0; i < 7; ++i) {
        auto* week = context_.insert<Week>();
        week->set(&Week::viewOrder, i);
        week->set(&Week::day, std::string(kWeekdayNames[static_cast<std::size_t>(i)]));
        week->set(&Week::hours, i == 0 || i == 6 ? 0.0 : 8.0);
        week->set(&Week::cal, cal);
    }
    cal->set(&Calandar::name, std::string("Base"));
    cal->set(&Calandar::isBase, true);
    cal->set(&Calandar::isRoot, true);
    return cal;
}

void CalandarAccess::clearCache() {
    // Emptying a map clears its whole bucket array; most calls find it empty already.
    if (!dayCache_.empty())
        dayCache_.clear();
}

CalandarReturnStruct CalandarAccess::hoursForWeekday(int weekday, Calandar* forCalandar) const {
    CalandarReturnStruct r;
    if (forCalandar == nullptr)
        return r;
    for (Week* w : forCalandar->weekWork)
        if (w->viewOrder() == weekday)
            r = {static_cast<float>(w->hours()), 1};
    return r;
}

float CalandarAccess::hoursForWeekday(int weekday, Resource* forResource) {
    if (forResource == nullptr)
        return hoursForWeekday(weekday, getBaseCalandar()).hours;
    Calandar* own = forResource->cal();
    const CalandarReturnStruct r = hoursForWeekday(weekday, own);
    if (r.source != 0 || own == nullptr)
        return r.hours;
    return hoursForWeekday(weekday, own->superCalandar()).hours;
}

void CalandarAccess::setHoursForWeekday(int weekday, Calandar* forCalandar, float withHours) {
    clearCache();
    if (forCalandar == nullptr)
        return;
    for (Week* w : forCalandar->weekWork) {
        if (w->viewOrder() == weekday) {
            w->set(&Week::hours, static_cast<double>(withHours));
            return;
        }
    }
    auto* week = context_.insert<Week>();
    week->set(&Week::viewOrder, weekday);
    week->set(&Week::day, std::string(weekdayName(weekday)));
    week->set(&Week::hours, static_cast<double>(withHours));
    week->set(&Week::cal, forCalandar);
}

void CalandarAccess::setHoursForWeekday(int weekday, Resource* forResource, float hours) {
    clearCache();
    if (forResource == nullptr) {
        setHoursForWeekday(weekday, getBaseCalandar(), hours);
        return;
    }
    setHoursForWeekday(weekday, forResource->cal(), hours);
    NotificationCenter::defaultCenter().post(kRecalcProject, this, &context_);
}

const std::vector<Day*>& CalandarAccess::daysOn(const CalendarDay& day) {
    // A changed exception anywhere makes every cached list suspect.
    if (dayIndex_.refresh())
        clearCache();
    // A date without exceptions would cache an empty list; answering it directly gives the
    // same result without the map.
    static const std::vector<Day*> none;
    if (!dayIndex_.anyInRange(day.date, day.end))
        return none;
    auto [it, isNew] = dayCache_.try_emplace(cacheKey(day.end));
    if (isNew)
        dayIndex_.daysInRange(day.date, day.end, it->second);
    return it->second;
}

CalandarReturnStruct CalandarAccess::timeForCalandar(Calandar* calandar,
                                                     std::optional<Date> forDate) {
    if (!forDate)
        return {};
    return timeForCalandar(calandar, calendarDayOf(*forDate));
}

CalandarReturnStruct CalandarAccess::timeForCalandar(Calandar* calandar, const CalendarDay& day) {
    // Without a calendar nothing applies, not even exceptions that lost their calendar.
    if (calandar == nullptr)
        return {};
    for (Day* d : daysOn(day))
        if (d->cal() == calandar)
            return {d->hours(), 2};
    return hoursForWeekday(day.weekday, calandar);
}

CalandarReturnStruct CalandarAccess::hoursForDay(std::optional<Date> date, Resource* forResource) {
    if (forResource == nullptr)
        return timeForCalandar(getBaseCalandar(), date);
    if (!date)
        return {};
    return hoursForDay(calendarDayOf(*date), forResource);
}

CalandarReturnStruct CalandarAccess::hoursForDay(const CalendarDay& day, Resource* forResource) {
    if (forResource == nullptr)
        return timeForCalandar(getBaseCalandar(), day);
    Calandar* own = forResource->cal();
    const CalandarReturnStruct r = timeForCalandar(own, day);
    if (r.source != 0 || own == nullptr)
        return r;
    return timeForCalandar(own->superCalandar(), day);
}

} // namespace mapolt
