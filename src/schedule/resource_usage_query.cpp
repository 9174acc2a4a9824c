#include "schedule/resource_usage_query.h"

#include "model/entities.h"
#include "model/store.h"

#include <algorithm>
#include <cmath>

namespace mapolt {

ResourceUsageQuery::ResourceUsageQuery(Store& context) : context_(context) {}

// Records are grouped by the resource they belong to, not by its name: two resources of
// the same name each keep their own load.
const std::vector<DayUsage>& ResourceUsageQuery::daysOf(const Resource* resource) {
    const std::uint64_t usage = context_.revision(Entity::AResourceUsage);
    const std::uint64_t resources = context_.revision(Entity::Resource);
    if (usage != usageRevision_ || resources != resourceRevision_) {
        days_.clear();
        usageRevision_ = usage;
        resourceRevision_ = resources;
    }
    auto [it, isNew] = days_.try_emplace(resource);
    if (!isNew)
        return it->second;
    std::vector<DayUsage> records;
    records.reserve(resource->resourceUsage.size());
    for (const AResourceUsage* u : resource->resourceUsage)
        if (!std::isnan(u->daysFromStart()))
            records.push_back(DayUsage{u->daysFromStart(), u->usedHours(), u->hours()});
    // A resource working one task after another has its records in day order already.
    const auto byDay = [](const DayUsage& a, const DayUsage& b) { return a.day < b.day; };
    if (!std::is_sorted(records.begin(), records.end(), byDay))
        std::stable_sort(records.begin(), records.end(), byDay);
    std::vector<DayUsage>& days = it->second;
    for (const DayUsage& r : records) {
        if (!days.empty() && days.back().day == r.day) {
            days.back().usedHours += r.usedHours;
            days.back().hours = r.hours;
        } else {
            days.push_back(r);
        }
    }
    return days;
}

std::vector<DayUsage> ResourceUsageQuery::usageFor(const Resource* resource, float first,
                                                   float last) {
    if (resource == nullptr || resource->isDeleted())
        return {};
    const std::vector<DayUsage>& days = daysOf(resource);
    const auto from = std::lower_bound(days.begin(), days.end(), first,
                                       [](const DayUsage& d, float day) { return d.day < day; });
    const auto to = std::upper_bound(from, days.end(), last,
                                     [](float day, const DayUsage& d) { return day < d.day; });
    return {from, to};
}

} // namespace mapolt
