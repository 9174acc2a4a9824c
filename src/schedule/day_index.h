#pragma once

#include "model/date.h"

#include <cstdint>
#include <utility>
#include <vector>

namespace mapolt {

class Day;
class Store;

// The store's dated calendar exceptions sorted by date, rebuilt whenever any `Day` record
// changed, so a date lookup is a binary search instead of a scan of every exception.
class DayIndex {
  public:
    explicit DayIndex(const Store& store) : store_(store) {}

    // Appends the days dated in [from, to) to `out`, in store order.
    void daysInRange(Date from, Date to, std::vector<Day*>& out);
    bool anyInRange(Date from, Date to) const;
    // True when the index was rebuilt since the last call (the day records changed).
    bool refresh();

  private:
    const Store& store_;
    bool built_ = false;
    std::uint64_t revision_ = 0;
    std::vector<std::pair<double, Day*>> byDate_;
};

} // namespace mapolt
