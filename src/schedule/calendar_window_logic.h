#pragma once

#include "schedule/calandar_controller.h"

namespace mapolt {

class AlertPresenter;
class CalandarAccess;
class Calandar;
class Store;

// What the calendar editor window does, without its widgets: the selected calendar, its
// weekday hours, the month grid, and adding and removing calendars.
class CalendarWindowLogic {
  public:
    CalendarWindowLogic(Store& store, CalandarAccess& service, AlertPresenter& alerts,
                        Date today = civil::now());

    // Points the grid at the calendar and asks for a recalculation.
    void setSelectedCalandar(Calandar* calandar);
    Calandar* selectedCalandar() const { return selected_; }
    CalandarController& grid() { return grid_; }

    float hoursForWeekday(int weekday) const;
    void setHoursForWeekday(int weekday, float hours);
    float hoursForDay() const { return grid_.hoursForDay(); }
    void setHoursForDay(float hours);

    Calandar* addCalandar();
    void removeCalandar();

  private:
    void postRecalc();

    Store& store_;
    CalandarAccess& service_;
    AlertPresenter& alerts_;
    CalandarController grid_;
    Calandar* selected_ = nullptr;
};

} // namespace mapolt
