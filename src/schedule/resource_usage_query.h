#pragma once

#include <cstdint>
#include <unordered_map>
#include <vector>

namespace mapolt {

class Resource;
class Store;

// One resource's work on one day: the summed usedHours of its usage records that day
// against the hours its calendar gives it (those of the last record of the day).
struct DayUsage {
    float day = 0.0f;
    float usedHours = 0.0f;
    float hours = 0.0f;

    // Used over available; 0 on a day without working hours.
    float load() const { return hours == 0.0f ? 0.0f : usedHours / hours; }
    friend bool operator==(const DayUsage&, const DayUsage&) = default;
};

// The daily load the usage chart draws. Each resource's records are grouped by day once
// and kept until a usage record or a resource changes, so a redraw costs a search and the
// days it shows.
class ResourceUsageQuery {
  public:
    explicit ResourceUsageQuery(Store& context);

    // The days from `first` to `last` (inclusive) on which the resource has usage records,
    // in ascending order.
    std::vector<DayUsage> usageFor(const Resource* resource, float first, float last);

  private:
    const std::vector<DayUsage>& daysOf(const Resource* resource);

    Store& context_;
    std::uint64_t usageRevision_ = 0;
    std::uint64_t resourceRevision_ = 0;
    std::unordered_map<const Resource*, std::vector<DayUsage>> days_;
};

} // namespace mapolt
