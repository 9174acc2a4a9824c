#pragma once

#include "schedule/calandar_controller.h"

#include <optional>
#include <vector>

namespace mapolt {

class CalandarAccess;
class Resource;
class ResourceHelper;

// A resource's colour as the colour well shows it; components from 0 to 1.
struct ResourceColour {
    float red = 0.0f;
    float green = 0.0f;
    float blue = 0.0f;
    float alpha = 1.0f;

    friend bool operator==(const ResourceColour&, const ResourceColour&) = default;
};

// What the resource list window does, without its widgets: the one selected resource, its
// weekday hours, the hours of a date in its month grid, and its colour.
class ResourceViewController {
  public:
    ResourceViewController(ResourceHelper& resources, CalandarAccess& calendars,
                           Date today = civil::now());

    // The list's selection; exactly one resource selects it, anything else selects none.
    void setSelection(const std::vector<Resource*>& selection);
    Resource* selectedResource() const { return selected_; }
    // Hands the selected resource to the month grid and refreshes it.
    void popupChange();
    CalandarController& grid() { return grid_; }

    // A resource named "Resource Name"; posts ProjectChanged.
    Resource* addResource();

    // Weekday 0 is Sunday. Without a selection: 0, and setting does nothing.
    float hoursForWeekday(int weekday) const;
    void setHoursForWeekday(int weekday, float hours);
    float hoursForSunday() const { return hoursForWeekday(0); }
    float hoursForMonday() const { return hoursForWeekday(1); }
    float hoursForTuesday() const { return hoursForWeekday(2); }
    float hoursForWednesday() const { return hoursForWeekday(3); }
    float hoursForThursday() const { return hoursForWeekday(4); }
    float hoursForFriday() const { return hoursForWeekday(5); }
    float hoursForSaturday() const { return hoursForWeekday(6); }
    void setHoursForSunday(float hours) { setHoursForWeekday(0, hours); }
    void setHoursForMonday(float hours) { setHoursForWeekday(1, hours); }
    void setHoursForTuesday(float hours) { setHoursForWeekday(2, hours); }
    void setHoursForWednesday(float hours) { setHoursForWeekday(3, hours); }
    void setHoursForThursday(float hours) { setHoursForWeekday(4, hours); }
    void setHoursForFriday(float hours) { setHoursForWeekday(5, hours); }
    void setHoursForSaturday(float hours) { setHoursForWeekday(6, hours); }

    // The date selected in the grid; setting it posts RecalcProject.
    float hoursForDay() const { return grid_.hoursForDay(); }
    void setHoursForDay(float hours);

    // None while the resource has no Colour; setting makes one. Posts ProjectChanged.
    std::optional<ResourceColour> resourceColour() const;
    void setResourceColour(const ResourceColour& colour);

  private:
    ResourceHelper& resources_;
    CalandarAccess& calendars_;
    CalandarController grid_;
    Resource* selected_ = nullptr;
};

} // namespace mapolt
