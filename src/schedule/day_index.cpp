#include "schedule/day_index.h"

#include "model/entities.h"
#include "model/store.h"

#include <algorithm>

namespace mapolt {

bool DayIndex::refresh() {
    const std::uint64_t revision = store_.revision(Entity::Day);
    if (built_ && revision == revision_)
        return false;
    built_ = true;
    revision_ = revision;
    byDate_.clear();
    for (Day* d : store_.fetch<Day>())
        if (d->date.optional())
            byDate_.emplace_back(d->date().seconds, d);
    std::stable_sort(byDate_.begin(), byDate_.end(),
                     [](const auto& a, const auto& b) { return a.first < b.first; });
    return true;
}

bool DayIndex::anyInRange(Date from, Date to) const {
    auto it = std::lower_bound(byDate_.begin(), byDate_.end(), from.seconds,
                               [](const auto& entry, double t) { return entry.first < t; });
    return it != byDate_.end() && it->first < to.seconds;
}

void DayIndex::daysInRange(Date from, Date to, std::vector<Day*>& out) {
    refresh();
    auto it = std::lower_bound(byDate_.begin(), byDate_.end(), from.seconds,
                               [](const auto& entry, double t) { return entry.first < t; });
    const std::size_t first = out.size();
    for (; it != byDate_.end() && it->first < to.seconds; ++it)
        out.push_back(it->second);
    // Several dates inside one range come back in the order a fetch gives: the store's.
    std::sort(out.begin() + static_cast<std::ptrdiff_t>(first), out.end(),
              [](const Day* a, const Day* b) { return a->serial() < b->serial(); });
}

} // namespace mapolt
