#pragma once

#include <compare>
#include <cstdint>

namespace mapolt {

// A point in time, seconds since 1970 UTC. Day-valued dates hold local midnight.
struct Date {
    double seconds = 0.0;

    friend auto operator<=>(const Date&, const Date&) = default;
};

// Civil-calendar arithmetic in the process time zone. Days are never +/- 86,400 s:
// a day across a daylight-saving switch is 23 or 25 hours long.
namespace civil {

Date now();
Date localMidnight(Date d);
// Local midnight of the day `days` calendar days after the day of `d`.
Date addDays(Date d, int days);
// The same clock time `days` calendar days later (a date at midnight stays at midnight).
Date addDaysKeepingTime(Date d, int days);
// Whole calendar days from the day of `from` to the day of `to` (negative when `to` is earlier).
int daysBetween(Date from, Date to);
// 0 = Sunday ... 6 = Saturday.
int weekday(Date d);
Date fromYmd(int year, int month, int day, int hour = 0, int minute = 0);

struct Ymd {
    int year;
    int month;
    int day;
};
Ymd toYmd(Date d);

} // namespace civil
} // namespace mapolt
