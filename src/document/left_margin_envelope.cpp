#include "document/left_margin_envelope.h"

#include <algorithm>

namespace mapolt {

namespace {

// Whether `b` is nowhere above the envelope of `a` and `c`, with a.start > b.start > c.start:
// where a and c cross, b is not above them.
bool isHidden(double aL, double aS, double bL, double bS, double cL, double cS) {
    return (bL - aL) * (aS - cS) <= (cL - aL) * (aS - bS);
}

} // namespace

void LeftMarginEnvelope::build(std::vector<std::pair<float, float>> labelAndStart) {
    hull_.clear();
    // Only day widths above zero are asked for; sort by falling start, and for equal starts
    // keep the widest label.
    std::sort(labelAndStart.begin(), labelAndStart.end(), [](const auto& x, const auto& y) {
        return x.second != y.second ? x.second > y.second : x.first > y.first;
    });
    for (const auto& [label, start] : labelAndStart) {
        if (!hull_.empty() && hull_.back().start == start)
            continue;
        while (hull_.size() >= 2) {
            const Line& a = hull_[hull_.size() - 2];
            const Line& b = hull_.back();
            if (!isHidden(a.label, a.start, b.label, b.start, label, start))
                break;
            hull_.pop_back();
        }
        hull_.push_back({label, start});
    }
}

float LeftMarginEnvelope::marginAt(float dayWidth, float floor) const {
    if (hull_.empty())
        return floor;
    const auto value = [dayWidth](const Line& l) { return l.label - l.start * dayWidth; };
    // Along the hull the best line moves from the latest starts (narrow days) to the
    // earliest (wide days); the values are unimodal, so a binary search finds the peak.
    std::size_t lo = 0;
    std::size_t hi = hull_.size() - 1;
    while (lo < hi) {
        const std::size_t mid = (lo + hi) / 2;
        if (value(hull_[mid]) <= value(hull_[mid + 1]))
            lo = mid + 1;
        else
            hi = mid;
    }
    return std::max(floor, value(hull_[lo]));
}

} // namespace mapolt
