#pragma once

#include <QPointF>

class QPainter;

namespace mapolt {

class ATask;
class ChartContext;
class MileStone;

// Draws a milestone as a diamond at the end of the latest of its tasks (or at its fixed
// date), on that task's row, with its name.
class MilestoneCell {
  public:
    explicit MilestoneCell(ChartContext& context) : context_(&context) {}

    void setPrintOffset(float offset) { printOffset_ = offset; }
    void drawTaskCell(QPainter& painter, MileStone& milestone, bool mono = false);

    // The task whose end places the milestone: the largest end above 0, the first of equals.
    ATask* latestTaskOf(const MileStone& milestone, float& end) const;
    // Top-left of the last diamond drawn.
    QPointF corner() const { return QPointF(xx_, yy_); }

  private:
    ChartContext* context_;
    float printOffset_ = 0.0f;
    float xx_ = 0.0f;
    float yy_ = 0.0f;
};

} // namespace mapolt
