#pragma once

namespace mapolt {

class ATask;

// Measures what only the drawing layer can: the chart's bar renderer implements it.
class TextMeasurer {
  public:
    virtual ~TextMeasurer() = default;
    // Width in points the task's labels need left of its bar, the style's left margin
    // included; 0 for a task without a name.
    virtual float calcLeftMargin(const ATask& task) = 0;
};

} // namespace mapolt
