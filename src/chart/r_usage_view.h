#pragma once

#include <QColor>
#include <QRectF>
#include <QSizeF>

#include <vector>

class QPainter;

namespace mapolt {

class ChartContext;
class Resource;

// The resource usage chart: one 37-pixel row per resource, sorted by name, on the Gantt
// chart's day columns, with a bar per day whose height and colour tell the load.
class RUsageView {
  public:
    static constexpr float kRowHeight = 37.0f;

    struct LoadBar {
        QRectF rect;
        QColor colour;
    };

    explicit RUsageView(ChartContext& context) : context_(&context) {}

    // Rows of resources other than these are dimmed; none selected dims nothing.
    void setSelectedResources(std::vector<const Resource*> selected) {
        selected_ = std::move(selected);
    }
    std::vector<Resource*> resourceRows() const;
    QSizeF calcSize(const QSizeF& visible) const;

    void drawRect(QPainter& painter, const QRectF& rect);
    void drawGridLines(QPainter& painter, const QRectF& rect);
    void drawColumnLines(QPainter& painter, const QRectF& rect);
    void drawResorceUsed(QPainter& painter, float day, int row, float percent);
    void drawAntihghlight(QPainter& painter, const QRectF& rect, int row);

    // The bar of load `percent` (used over available hours) on `day` in `row`.
    LoadBar loadBar(float day, int row, float percent) const;
    float printOffset() const { return printOffset_; }

  private:
    ChartContext* context_;
    std::vector<const Resource*> selected_;
    float printOffset_ = 0.0f;
};

} // namespace mapolt
