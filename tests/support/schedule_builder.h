#pragma once

#include "model/entities.h"
#include "model/store.h"
#include "schedule/calandar_access.h"
#include "schedule/task_length_calc.h"

#include <string>

namespace mapolt::testing {

// A project starting on Monday 2 March 2026 (the clocks go forward on Sunday the 8th in New
// York), its calendar service and duration engine, and terse builders for tasks and resources.
struct ScheduleFixture {
    Store store;
    Project* project;
    CalandarAccess calendars;
    TaskLengthCalc engine;

    ScheduleFixture();
    Calandar* base() { return calendars.getBaseCalandar(); }
    // An invalid leaf task whose elapsed time follows its work.
    ATask* leaf(float hours, float start = 0.0f, const std::string& name = "T");
    ATask* summaryOf(std::initializer_list<ATask*> subs, const std::string& name = "S");
    // A resource with a private calendar, empty, inheriting from the base calendar.
    Resource* resource(const std::string& name = "R");
    ATaskResource* assign(ATask* task, Resource* resource, float perc = 100.0f);
    Day* exception(Calandar* cal, Date date, float hours);
    // Midnight of day `n` of the project.
    Date dayDate(int n) const;
};

} // namespace mapolt::testing
