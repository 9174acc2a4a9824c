#include "schedule/day_clock.h"

#include <cmath>
#include <cstdlib>
#include <limits>

namespace mapolt {

namespace {
// Beyond this many days from the start the conversion is not remembered; only damaged
// files put tasks there.
constexpr int kRememberedDays = 200'000;
constexpr double kUnknown = std::numeric_limits<double>::quiet_NaN();
} // namespace

CalendarDay DayClock::day(Date origin, int dayNumber) {
    if (!hasOrigin_ || origin != origin_)
        reset(origin);
    const int weekday = ((originWeekday_ + dayNumber % 7) % 7 + 7) % 7;
    return CalendarDay{midnight(dayNumber), midnight(dayNumber + 1), weekday};
}

void DayClock::reset(Date origin) {
    hasOrigin_ = true;
    origin_ = origin;
    originMidnight_ = civil::localMidnight(origin);
    originWeekday_ = civil::weekday(originMidnight_);
    ahead_.clear();
    behind_.clear();
}

Date DayClock::midnight(int dayNumber) {
    if (dayNumber >= kRememberedDays || dayNumber < -kRememberedDays)
        return civil::addDays(originMidnight_, dayNumber);
    std::vector<double>& slots = dayNumber >= 0 ? ahead_ : behind_;
    const auto index = static_cast<std::size_t>(dayNumber >= 0 ? dayNumber : -dayNumber - 1);
    if (index >= slots.size())
        slots.resize(index + 1 + slots.size() / 2, kUnknown);
    if (std::isnan(slots[index]))
        slots[index] = civil::addDays(originMidnight_, dayNumber).seconds;
    return Date{slots[index]};
}

} // namespace mapolt
