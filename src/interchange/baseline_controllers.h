#pragma once

#include "model/date.h"

#include <optional>
#include <string>

namespace mapolt {

class Baseline;
class Store;

// Costs of the current plan against a baseline.
class BaselineCostController {
  public:
    void calcCurrent(const Store& context, const Baseline* baseline);
    std::string toString(const Baseline* baseline) const;

    // Whether summary tasks' own hours and assignments are costed.
    bool costSuperTasks = true;

    float currentCost = 0;
    float baselineCost = 0;
    float diffCost = 0;
    float unassigned = 0;
    float unassignedResource = 0;
};

// Start and end of the current plan against a baseline.
class BaselineDatesController {
  public:
    void calcCurrent(const Store& context, const Baseline* baseline);
    std::string toString(const Baseline* baseline) const;

    std::optional<Date> currentStart;
    std::optional<Date> currentEnd;
    float totalTime = 0;
    std::optional<Date> baselineStart;
    std::optional<Date> baselineEnd;
    std::optional<int> diffStart;
    std::optional<int> diffEnd;
};

// Elapsed, task and resource time of the current plan against a baseline.
class BaselineTimeController {
  public:
    void calcCurrent(const Store& context, const Baseline* baseline);
    std::string toString(const Baseline* baseline) const;

    float currentElapsed = 0;
    float currentTask = 0;
    float currentResource = 0;
    float baselineElapsed = 0;
    float baselineTask = 0;
    float baselineResource = 0;
    float diffElapsed = 0;
    float diffTask = 0;
    float diffResource = 0;
};

// One status-report field: a number in the report's money pattern or a date in the locale's
// medium style, quoted when it holds a comma so the CSV keeps its columns.
std::string reportNumber(float value);
std::string reportDate(const std::optional<Date>& date);

} // namespace mapolt
