#include "model/date.h"

#include <chrono>
#include <cmath>
#include <ctime>

namespace mapolt::civil {

namespace {

std::tm localParts(Date d) {
    const auto t = static_cast<std::time_t>(std::floor(d.seconds));
    std::tm parts{};
    localtime_r(&t, &parts);
    return parts;
}

Date fromLocalParts(std::tm parts) {
    parts.tm_isdst = -1;
    return Date{static_cast<double>(std::mktime(&parts))};
}

std::chrono::sys_days civilDay(Date d) {
    const std::tm p = localParts(d);
    return std::chrono::sys_days{std::chrono::year{p.tm_year + 1900} /
                                 std::chrono::month{static_cast<unsigned>(p.tm_mon + 1)} /
                                 std::chrono::day{static_cast<unsigned>(p.tm_mday)}};
}

} // namespace

Date now() {
    using namespace std::chrono;
    return Date{duration<double>(system_clock::now().time_since_epoch()).count()};
}

Date localMidnight(Date d) {
    std::tm p = localParts(d);
    p.tm_hour = 0;
    p.tm_min = 0;
    p.tm_sec = 0;
    return fromLocalParts(p);
}

Date addDays(Date d, int days) {
    std::tm p = localParts(d);
    p.tm_mday += days;
    p.tm_hour = 0;
    p.tm_min = 0;
    p.tm_sec = 0;
    return fromLocalParts(p);
}

Date addDaysKeepingTime(Date d, int days) {
    std::tm p = localParts(d);
    p.tm_mday += days;
    return Date{fromLocalParts(p).seconds + (d.seconds - std::floor(d.seconds))};
}

int daysBetween(Date from, Date to) {
    return static_cast<int>((civilDay(to) - civilDay(from)).count());
}

int weekday(Date d) {
    return localParts(d).tm_wday;
}

Date fromYmd(int year, int month, int day, int hour, int minute) {
    std::tm p{};
    p.tm_year = year - 1900;
    p.tm_mon = month - 1;
    p.tm_mday = day;
    p.tm_hour = hour;
    p.tm_min = minute;
    return fromLocalParts(p);
}

Ymd toYmd(Date d) {
    const std::tm p = localParts(d);
    return Ymd{p.tm_year + 1900, p.tm_mon + 1, p.tm_mday};
}

} // namespace mapolt::civil
