#pragma once

#include "model/date.h"
#include "schedule/day_clock.h"
#include "schedule/day_index.h"

#include <cstdint>
#include <optional>
#include <string>
#include <unordered_map>
#include <vector>

namespace mapolt {

class Calandar;
class Day;
class Resource;
class Store;

// One calendar's answer for a date or weekday.
struct CalandarReturnStruct {
    float hours = 0.0f;
    // 0 nothing found, 1 the weekly pattern, 2 a dated exception.
    std::int32_t source = 0;
};

// Working hours per date and weekday, for the project's base calendar and for resources,
// whose private calendars inherit one level from a stand-alone calendar.
class CalandarAccess {
  public:
    explicit CalandarAccess(Store& context);
    Store& context() const { return context_; }

    Calandar* getBaseCalandar();
    void setBase();
    Calandar* createBaseCalandar();
    void clearCache();

    CalandarReturnStruct hoursForWeekday(int weekday, Calandar* forCalandar) const;
    float hoursForWeekday(int weekday, Resource* forResource);
    void setHoursForWeekday(int weekday, Calandar* forCalandar, float withHours);
    void setHoursForWeekday(int weekday, Resource* forResource, float hours);

    CalandarReturnStruct timeForCalandar(Calandar* calandar, std::optional<Date> forDate);
    CalandarReturnStruct hoursForDay(std::optional<Date> date, Resource* forResource);
    // The same lookups for a day whose bounds and weekday the caller already knows.
    CalandarReturnStruct timeForCalandar(Calandar* calandar, const CalendarDay& day);
    CalandarReturnStruct hoursForDay(const CalendarDay& day, Resource* forResource);

    static const char* weekdayName(int weekday);
    // Dates whose exceptions are held in the cache right now.
    std::size_t cachedDates() const { return dayCache_.size(); }

  private:
    const std::vector<Day*>& daysOn(const CalendarDay& day);

    Store& context_;
    Calandar* base_ = nullptr;
    std::uint64_t baseSerial_ = 0;
    // Every calendar's exceptions on one date, keyed by the text of the next midnight's
    // seconds since 1970.
    std::unordered_map<std::string, std::vector<Day*>> dayCache_;
    DayIndex dayIndex_;
};

} // namespace mapolt
