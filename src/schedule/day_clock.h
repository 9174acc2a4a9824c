#pragma once

#include "model/date.h"

#include <vector>

namespace mapolt {

// One calendar day as the calendar lookups need it: its local midnight, the next midnight
// and its weekday (0 = Sunday).
struct CalendarDay {
    Date date;
    Date end;
    int weekday = 0;
};

// Day numbers counted from a project's start date, turned into calendar days. Each distinct
// day is converted through the time zone once and remembered, because the engine asks for
// the same few thousand days over and over.
class DayClock {
  public:
    CalendarDay day(Date origin, int dayNumber);

  private:
    void reset(Date origin);
    Date midnight(int dayNumber);

    bool hasOrigin_ = false;
    Date origin_;
    Date originMidnight_;
    int originWeekday_ = 0;
    // Midnights of days 0, 1, ... and of days -1, -2, ...; NaN marks a day not yet converted.
    std::vector<double> ahead_;
    std::vector<double> behind_;
};

} // namespace mapolt
