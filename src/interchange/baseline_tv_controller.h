#pragma once

#include "interchange/baseline_controllers.h"

#include <string>

namespace mapolt {

class Baseline;
class Store;

// The baseline inspector's logic for one document: the selected baseline, the three
// comparisons, taking a baseline and the status report.
class BaselineTVController {
  public:
    explicit BaselineTVController(Store& context) : context_(context) {}

    Baseline* selectedBase() const;
    void setSelectedBase(Baseline* baseline) { selected_ = baseline; }
    // Recomputes times, costs and dates against `baseline`.
    void calcAll(const Baseline* baseline);
    // Copies every task's start, work and length into it and records the totals in a new
    // Baseline, which becomes the selected one.
    Baseline* snapBaseline();
    // The status report against the selected baseline: the chosen sections in the order
    // costs, times, dates; empty with none chosen.
    std::string exportReport(bool costs, bool times, bool dates);
    void projectChanged() { calcAll(selectedBase()); }

    BaselineCostController costs;
    BaselineDatesController dates;
    BaselineTimeController times;

  private:
    Store& context_;
    Baseline* selected_ = nullptr;
};

} // namespace mapolt
