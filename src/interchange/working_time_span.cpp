#include "interchange/working_time_span.h"

#include "schedule/calandar_access.h"

#include <algorithm>
#include <cmath>

namespace mapolt {

namespace {

// Day numbers far outside any plan are clamped so that walks and date arithmetic stay bounded.
constexpr double kDayLimit = 4.0e6;

double clampDay(double day) {
    return std::isfinite(day) ? std::clamp(day, -kDayLimit, kDayLimit) : 0.0;
}

} // namespace

double WorkingTimeSpan::hoursOn(long day) {
    const auto found = hours_.find(day);
    if (found != hours_.end())
        return found->second;
    const Date date = civil::addDays(origin_, static_cast<int>(day));
    const double hours = std::max(0.0f, calendars_.hoursForDay(date, nullptr).hours);
    hours_.emplace(day, hours);
    return hours;
}

double WorkingTimeSpan::hoursBetween(double from, double to) {
    from = clampDay(from);
    to = clampDay(to);
    double total = 0.0;
    long steps = 0;
    for (double day = std::floor(from); day < to && steps < kMaxDays; day += 1.0, ++steps) {
        const double portion = std::min(to, day + 1.0) - std::max(from, day);
        total += hoursOn(static_cast<long>(day)) * portion;
    }
    return total;
}

double WorkingTimeSpan::startBefore(double to, double hours) {
    double cursor = clampDay(to);
    double remaining = std::isfinite(hours) ? hours : 0.0;
    for (long steps = 0; remaining > 0.0 && steps < kMaxDays; ++steps) {
        const double day = std::ceil(cursor) - 1.0;
        const double perDay = hoursOn(static_cast<long>(day));
        const double available = perDay * (cursor - day);
        if (available >= remaining)
            return cursor - remaining / perDay;
        remaining -= available;
        cursor = day;
    }
    return cursor;
}

Date WorkingTimeSpan::dateOf(double day, bool isEnd) const {
    day = clampDay(day);
    double whole = std::floor(day);
    double fraction = day - whole;
    if (isEnd && fraction == 0.0) {
        whole -= 1.0;
        fraction = 1.0;
    }
    // Whole minutes of the working day; the lunch hour lies between its halves.
    const auto minutes = static_cast<long>(std::lround(fraction * 8.0 * 60.0));
    const long clock =
        minutes < 240 || (isEnd && minutes == 240) ? 8 * 60 + minutes : 9 * 60 + minutes;
    const Date midnight = civil::addDays(origin_, static_cast<int>(whole));
    const civil::Ymd ymd = civil::toYmd(midnight);
    return civil::fromYmd(ymd.year, ymd.month, ymd.day, static_cast<int>(clock / 60),
                          static_cast<int>(clock % 60));
}

} // namespace mapolt
