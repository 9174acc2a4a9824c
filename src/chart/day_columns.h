#pragma once

#include "model/date.h"

#include <chrono>

namespace mapolt {

// One day column of the chart: its number, weekday (0 = Sunday), day relative to the
// project start and civil date.
struct DayColumn {
    int column = 0;
    int weekday = 0;
    int relativeDay = 0;
    std::chrono::year_month_day date;

    int dayOfMonth() const { return static_cast<int>(static_cast<unsigned>(date.day())); }
    int month() const { return static_cast<int>(static_cast<unsigned>(date.month())); }
    int year() const { return static_cast<int>(date.year()); }
};

// Walks columns forward from `first`; column k is the project start plus (k - startColumn)
// days. The walk is civil-date arithmetic, so it needs no clock per column.
class DayColumnWalk {
  public:
    DayColumnWalk(Date projectStart, int startColumn, int first);

    const DayColumn& operator*() const { return current_; }
    const DayColumn* operator->() const { return &current_; }
    DayColumnWalk& operator++();

  private:
    std::chrono::sys_days day_;
    DayColumn current_;
};

} // namespace mapolt
