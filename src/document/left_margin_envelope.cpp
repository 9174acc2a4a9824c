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

template <class Number> Number LeftMarginEnvelope::envelopeAt(Number dayWidth) const {
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
    return value(hull_[lo]);
}

// The envelope minus the line is convex and bends only where two envelope lines cross, so it
// stays above zero for every day width from zero on when it does at zero, at each crossing
// past zero, and when the line falls at least as fast as the envelope's last. A line that
// comes within a thousandth of a point of the envelope counts as rising above it, so that
// rounding cannot make a rebuilt envelope differ from the kept one.
bool LeftMarginEnvelope::hides(float label, float start) const {
    if (hull_.empty() || start < hull_.back().start)
        return false;
    constexpr double kSlack = 1e-3;
    const auto line = [&](double w) { return label - start * w + kSlack; };
    if (line(0.0) >= envelopeAt(0.0))
        return false;
    for (std::size_t k = 0; k + 1 < hull_.size(); ++k) {
        const Line& a = hull_[k];
        const Line& b = hull_[k + 1];
        if (a.label == label && a.start == start)
            return false;
        // Neighbours on the envelope meet on it.
        const double crossing = (double{a.label} - b.label) / (double{a.start} - b.start);
        if (crossing > 0.0 && line(crossing) >= a.label - a.start * crossing)
            return false;
    }
    return !(hull_.back().label == label && hull_.back().start == start);
}

float LeftMarginEnvelope::marginAt(float dayWidth, float floor) const {
    if (hull_.empty())
        return floor;
    return std::max(floor, envelopeAt(dayWidth));
}

} // namespace mapolt
