#pragma once

#include "model/date.h"

#include <array>
#include <string>

namespace mapolt {

class CalandarAccess;
class Calandar;
class Resource;

enum class DayCellColour { White, Grey, Green, Red };

struct DayCell {
    std::string title;
    bool enabled = false;
    DayCellColour colour = DayCellColour::White;
};

// The month grid that edits a calendar, or a resource's own calendar, one date at a time.
// The only place where dated exceptions are made.
class CalandarController {
  public:
    // Shows the month of `today` with today's day of the month selected.
    CalandarController(CalandarAccess& service, Date today = civil::now());

    void setCalandar(Calandar* calandar);
    void setResource(Resource* resource);
    Calandar* calandar() const { return calandar_; }
    Resource* resource() const { return resource_; }

    void prevMonth();
    void nextMonth();
    void daySelect(int dayOfMonth);
    // Rebuilds the grid for the shown month and looks up the selected day's hours.
    void setState();
    void refresh() { setState(); }

    // Sets the selected date's hours; false when nothing changed. The one-argument form uses
    // the grid's own service and refreshes the grid.
    bool setHoursForDay(float hours, CalandarAccess& withCal);
    bool setHoursForDay(float hours);
    float hoursForDay() const { return dayHours_; }

    std::string title() const { return title_; }
    const std::array<DayCell, 42>& cells() const { return cells_; }
    int selectedDay() const { return selectedDay_; }
    int shownYear() const { return year_; }
    int shownMonth() const { return month_; }
    Date selectedDate() const;

  private:
    void moveMonth(int delta);
    float hoursShownFor(Date date, int* source);

    CalandarAccess& service_;
    Calandar* calandar_ = nullptr;
    Resource* resource_ = nullptr;
    int year_;
    int month_;
    int selectedDay_;
    float dayHours_ = 0.0f;
    std::string title_;
    std::array<DayCell, 42> cells_{};
};

} // namespace mapolt
