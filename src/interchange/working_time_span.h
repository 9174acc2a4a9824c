#pragma once

#include "model/date.h"

#include <unordered_map>

namespace mapolt {

class CalandarAccess;

// Working hours along day numbers counted from `origin` (local midnight) on the base
// calendar. A day's fraction is a share of its working day, as the engine counts it, so work
// measured here and given to the engine ends where the measurement ended.
class WorkingTimeSpan {
  public:
    WorkingTimeSpan(CalandarAccess& calendars, Date origin)
        : calendars_(calendars), origin_(origin) {}

    // Working hours from day number `from` to `to`; 0 when `to` is not after `from`.
    double hoursBetween(double from, double to);
    // The day number from which `hours` of work end at `to`.
    double startBefore(double to, double hours);

    // The date and time of a day number, reading the working day as 08:00-12:00 and
    // 13:00-17:00: a start at a day's beginning is 08:00, an end at its close 17:00.
    Date dateOf(double day, bool isEnd) const;

  private:
    double hoursOn(long day);

    // A calendar without working hours never finishes a walk: it stops after a century.
    static constexpr long kMaxDays = 36600;
    CalandarAccess& calendars_;
    Date origin_;
    std::unordered_map<long, double> hours_;
};

} // namespace mapolt
