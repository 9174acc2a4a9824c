#pragma once

#include <utility>
#include <vector>

namespace mapolt {

// The chart's left label margin as a function of the day width: the greatest of
// label - start * dayWidth over the tasks, at least a floor. Built once per change of the
// tasks, it answers each zoom step in logarithmic time, so an animation tick costs the same
// for ten tasks as for a hundred thousand.
class LeftMarginEnvelope {
  public:
    // Each entry is a task's label width and its start in days.
    void build(std::vector<std::pair<float, float>> labelAndStart);
    float marginAt(float dayWidth, float floor) const;

    // Whether a task with this label and start can change without a rebuild: its line is
    // not one of the envelope's, and for no day width of zero or more rises above it.
    bool hides(float label, float start) const;

  private:
    template <class Number> Number envelopeAt(Number dayWidth) const;

    struct Line {
        float label;
        float start;
    };
    // The lines on the upper envelope, by falling start (rising slope -start).
    std::vector<Line> hull_;
};

} // namespace mapolt
