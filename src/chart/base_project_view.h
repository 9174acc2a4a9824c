#pragma once

#include "chart/chart_context.h"
#include "chart/chart_style.h"
#include "chart/milestone_cell.h"
#include "chart/task_cell.h"

#include <QPointF>
#include <QPolygonF>
#include <QRectF>

#include <vector>

class QPainter;

namespace mapolt {

class ATask;

// The shape of one dependency link in task space: the connector from the predecessor's end
// to above or below the successor's start, the arrow head, and where the warning mark goes
// when the successor starts before the predecessor ends.
struct LinkShape {
    QPolygonF connector;
    QPolygonF arrowHead;
    bool pointsDown = false;
    bool warns = false;
    QPointF warningAt;
};

// The chart drawn onto a painter: day and row positions, the background grid, links, bars
// and milestones. The interactive chart and the printed pages build on it.
class BaseProjectView {
  public:
    explicit BaseProjectView(ChartContext& context);
    virtual ~BaseProjectView() = default;
    BaseProjectView(const BaseProjectView&) = delete;
    BaseProjectView& operator=(const BaseProjectView&) = delete;

    virtual bool isMono() const { return false; }

    ChartContext& context() const { return *context_; }
    TaskCell& getTask() { return tCell_; }
    MilestoneCell& milestoneCell() { return mCell_; }
    const std::vector<ATask*>& getTaskList() const { return context_->rows().tasks(); }
    int totalRows() const { return context_->rows().totalRows(); }

    // The background, in chart coordinates.
    void drawGridLines(QPainter& painter, const QRectF& rect);
    void drawColumnLines(QPainter& painter, const QRectF& rect);
    // Whole days from the project start to the moment, truncated towards zero.
    int daysToToday() const;

    // One link in task space; `temp` marks the link being dragged, which never warns.
    LinkShape relationShape(int fromRow, int toRow, float end, float inEnd, bool temp) const;
    void drawRelation(QPainter& painter, int fromRow, int toRow, float end, float inEnd, bool temp);
    // The links that reach into rows first..last, and the one being dragged, in task space.
    void drawLinks(QPainter& painter, int firstRow, int lastRow);
    void setTempLink(ATask* from, ATask* to);
    ChartShadow setShadow() const;

    // Links, the bars of rows first <= i < last and every milestone, translated into task
    // space and back.
    void drawTasks(QPainter& painter, int firstRow, int lastRow);
    // One drawing pass over a rect of the chart: background, grid, links, bars, milestones.
    void drawChartRect(QPainter& painter, const QRectF& rect);
    // The rows that meet the vertical span of the rect, as first and one past the last.
    std::pair<int, int> rowsIn(const QRectF& rect) const;

  protected:
    ChartContext* context_;
    TaskCell tCell_;
    MilestoneCell mCell_;
    ATask* tempFrom_ = nullptr;
    ATask* tempTo_ = nullptr;
};

} // namespace mapolt
