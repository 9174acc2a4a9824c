#include "chart/chart_image.h"

#include "chart/base_project_view.h"
#include "chart/chart_schedule.h"
#include "chart/day_ruler.h"
#include "document/kestil_planner_document.h"
#include "model/entities.h"

#include <QPainter>

#include <algorithm>
#include <cmath>

namespace mapolt {

namespace {

constexpr int kPointsPerMetre = 2835;
constexpr float kSpareWidth = 100.0f;

} // namespace

QImage makeChartImage(int width, int height) {
    QImage image(std::max(1, width), std::max(1, height), QImage::Format_ARGB32_Premultiplied);
    image.setDotsPerMeterX(kPointsPerMetre);
    image.setDotsPerMeterY(kPointsPerMetre);
    image.fill(Qt::white);
    return image;
}

float chartWidth(BaseProjectView& view) {
    ChartContext& context = view.context();
    const ChartGeometry& g = context.geometry();
    float days = 0.0f;
    for (ATask* t : view.getTaskList())
        days = std::max(days, context.schedule().calcOffset(t) + t->elapsedTime() +
                                  std::max(context.labelWidth(*t, ChartContext::Label::Right),
                                           context.labelWidth(*t, ChartContext::Label::Milestone)) /
                                      g.dayWidth);
    return g.dayWidth * days + kSpareWidth + g.taskSpaceOrigin();
}

float chartImageHeight(int rows, float rowHeight) {
    return DayRuler::kThickness + static_cast<float>(rows) * std::max(1.0f, rowHeight);
}

QImage renderChartImage(BaseProjectView& view, int firstRow, int lastRow) {
    ChartContext& context = view.context();
    const ChartGeometry& g = context.geometry();
    const int width = static_cast<int>(std::ceil(chartWidth(view)));
    const float rowsHeight = static_cast<float>(lastRow - firstRow) * g.rowHeight;
    QImage image = makeChartImage(
        width, static_cast<int>(std::ceil(chartImageHeight(lastRow - firstRow, g.rowHeight))));
    QPainter painter(&image);

    DayRuler ruler;
    ruler.setStyle(context.document().styleObject());
    ruler.setDayWidth(g.dayWidth);
    const Project* p = context.project();
    ruler.setOriginOffset(
        DayRuler::originOffsetFor(p != nullptr ? p->startDate() : Date{}, g.leftDayMargin));
    ruler.drawHashMarksAndLabelsInRect(painter, QRectF(0, 0, width, DayRuler::kThickness));

    const QRectF rows(0, g.rowTop(firstRow), width, rowsHeight);
    painter.translate(0, DayRuler::kThickness - rows.y());
    painter.setClipRect(rows);
    view.drawChartRect(painter, rows);
    painter.end();
    return image;
}

} // namespace mapolt
