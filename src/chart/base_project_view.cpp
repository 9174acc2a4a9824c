#include "chart/base_project_view.h"

#include "chart/chart_images.h"
#include "chart/chart_schedule.h"
#include "chart/day_columns.h"
#include "chart/shadow_painter.h"
#include "model/entities.h"
#include "model/store.h"

#include <QPainter>
#include <QPainterPath>

#include <algorithm>
#include <cmath>

namespace mapolt {

namespace {

constexpr float kShadingMinimumDayWidth = 5.0f;
constexpr float kArrowInset = 7.0f;

// One-pixel lines cover the pixel right of or below their coordinate.
void verticalLine(QPainter& painter, qreal x, const QRectF& rect, const QColor& colour,
                  qreal width = 1.0) {
    painter.fillRect(QRectF(x - std::floor(width / 2.0), rect.y(), width, rect.height()), colour);
}

} // namespace

BaseProjectView::BaseProjectView(ChartContext& context)
    : context_(&context), tCell_(context), mCell_(context) {}

void BaseProjectView::drawGridLines(QPainter& painter, const QRectF& rect) {
    const ChartStyle s = context_->style();
    if (!s.flag(&Style::horizLines))
        return;
    const QColor colour = isMono() ? greyColour(0.9f) : s.colour(ColourSlot::Horizontal);
    const float rh = context_->geometry().rowHeight;
    const int step = std::max(1, static_cast<int>(rh));
    double y = rect.y() - (static_cast<int>(rect.y()) % step);
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing, false);
    for (; y < rect.y() + rect.height(); y += rh)
        painter.fillRect(QRectF(rect.x(), y, rect.width(), 1.0), colour);
    painter.restore();
}

int BaseProjectView::daysToToday() const {
    const Project* p = context_->project();
    const Date start = p != nullptr ? p->startDate() : Date{};
    const Date now = context_->today();
    int n = civil::daysBetween(start, now);
    // Before the start a part of a day does not count as a whole day.
    if (n < 0 && civil::localMidnight(now) != now)
        ++n;
    return n;
}

void BaseProjectView::drawColumnLines(QPainter& painter, const QRectF& rect) {
    const ChartStyle s = context_->style();
    const ChartGeometry& g = context_->geometry();
    const bool mono = isMono();
    const bool vertLines = s.flag(&Style::vertLines);
    const bool nonWorking = s.flag(&Style::nonWorking);
    const QColor vertical = mono ? greyColour(0.93f) : s.colour(ColourSlot::Vertical);
    const QColor shade = mono ? greyColour(0.9f) : s.colour(ColourSlot::NonWorking);
    const Project* p = context_->project();
    const Date start = p != nullptr ? p->startDate() : Date{};
    const int ldm = static_cast<int>(g.leftDayMargin);
    const float dw = g.dayWidth;

    painter.save();
    painter.setRenderHint(QPainter::Antialiasing, false);
    // Columns left of the rect draw nothing inside it, so the walk starts at the rect.
    const int first = std::max(0, static_cast<int>(std::floor(rect.x() / dw)) - 1);
    for (DayColumnWalk c(start, ldm, first); c->column * dw < rect.x() + rect.width(); ++c) {
        const qreal x = c->column * dw;
        if (vertLines || c->relativeDay == 0)
            verticalLine(painter, x, rect, vertical);
        if ((c->weekday == 0 || c->weekday == 6) && nonWorking && dw > kShadingMinimumDayWidth) {
            painter.setCompositionMode(QPainter::CompositionMode_Source);
            painter.fillRect(QRectF(x, rect.y(), dw, rect.height()), shade);
            painter.setCompositionMode(QPainter::CompositionMode_SourceOver);
        }
        if (nonWorking && dw <= kShadingMinimumDayWidth && c->dayOfMonth() == 2)
            verticalLine(painter, x, rect, shade);
    }
    if (s.flag(&Style::startLine))
        verticalLine(painter, ldm * dw, rect,
                     mono ? greyColour(0.9f) : s.colour(ColourSlot::StartLine), 3.0);
    verticalLine(painter, (ldm + daysToToday()) * dw, rect,
                 mono ? greyColour(0.9f) : s.colour(ColourSlot::TodayLine), 3.0);
    painter.restore();
}

ChartShadow BaseProjectView::setShadow() const {
    return context_->style().shadow(isMono());
}

LinkShape BaseProjectView::relationShape(int fromRow, int toRow, float end, float inEnd,
                                         bool temp) const {
    const ChartGeometry& g = context_->geometry();
    LinkShape shape;
    const qreal x = inEnd * g.dayWidth + kArrowInset;
    const qreal ym = g.rowTop(fromRow) + g.topMargin + g.taskHeight * 0.5f;
    shape.connector << QPointF(end * g.dayWidth + 1, ym) << QPointF(x, ym);
    if (fromRow < toRow) {
        const qreal yt = g.barTop(toRow);
        shape.connector << QPointF(x, yt);
        shape.arrowHead << QPointF(x, yt) << QPointF(x - 3, yt - 4) << QPointF(x + 3, yt - 4);
        shape.pointsDown = true;
    } else {
        const qreal yb = g.rowTop(toRow + 1);
        shape.connector << QPointF(x, yb);
        shape.arrowHead << QPointF(x, yb) << QPointF(x - 3, yb + 4) << QPointF(x + 3, yb + 4);
    }
    shape.warns = end > inEnd && !temp;
    shape.warningAt = QPointF(end * g.dayWidth, g.barTop(fromRow) + 1);
    return shape;
}

void BaseProjectView::drawRelation(QPainter& painter, int fromRow, int toRow, float end,
                                   float inEnd, bool temp) {
    const ChartStyle s = context_->style();
    const bool mono = isMono();
    const QColor colour = mono ? QColor(0, 0, 0) : s.colour(ColourSlot::Links);
    const LinkShape shape = relationShape(fromRow, toRow, end, inEnd, temp);
    QPainterPath connector;
    connector.addPolygon(shape.connector);
    QPainterPath head;
    head.addPolygon(shape.arrowHead);
    head.closeSubpath();

    painter.save();
    if (s.flag(&Style::barShadow)) {
        const ChartShadow shadow = setShadow();
        paintShadowStroke(painter, connector, 1.0, shadow);
        paintShadowFill(painter, head, shadow);
    }
    painter.setBrush(Qt::NoBrush);
    painter.strokePath(connector, QPen(colour, 1.0));
    painter.fillPath(head, colour);
    painter.restore();
    if (shape.warns) {
        const QImage& mark = chartImage(mono ? "warnDepMono" : "warnDep");
        if (!mark.isNull())
            painter.drawImage(QRectF(shape.warningAt, QSizeF(12, 12)), mark);
    }
}

void BaseProjectView::drawLinks(QPainter& painter, int firstRow, int lastRow) {
    const ChartRows& rows = context_->rows();
    ChartSchedule& schedule = context_->schedule();
    for (int k : rows.linksTouchingRows(firstRow - 1, lastRow + 1)) {
        const ChartLink& l = rows.links()[static_cast<std::size_t>(k)];
        const float end =
            schedule.calcOffset(l.predecessor) + schedule.calcDaysForTask(l.predecessor);
        drawRelation(painter, l.fromRow, l.toRow, end, schedule.calcOffset(l.successor), false);
    }
    if (tempFrom_ != nullptr && tempTo_ != nullptr) {
        const int from = rows.rowOf(tempFrom_);
        const int to = rows.rowOf(tempTo_);
        if (from >= 0 && to >= 0)
            drawRelation(painter, from, to,
                         schedule.calcOffset(tempFrom_) + schedule.calcDaysForTask(tempFrom_),
                         schedule.calcOffset(tempTo_), true);
    }
}

void BaseProjectView::setTempLink(ATask* from, ATask* to) {
    tempFrom_ = from;
    tempTo_ = to;
}

void BaseProjectView::drawTasks(QPainter& painter, int firstRow, int lastRow) {
    const ChartGeometry& g = context_->geometry();
    const bool mono = isMono();
    painter.save();
    painter.translate(g.taskSpaceOrigin(), 0);
    painter.setRenderHint(QPainter::Antialiasing, true);
    drawLinks(painter, firstRow, lastRow - 1);
    const ChartRows& rows = context_->rows();
    for (int i = std::max(0, firstRow); i < std::min(lastRow, rows.totalRows()); ++i)
        tCell_.drawTaskCell(painter, rows.task(i), i, mono);
    for (MileStone* m : context_->store().fetch<MileStone>())
        mCell_.drawTaskCell(painter, *m, mono);
    painter.restore();
}

std::pair<int, int> BaseProjectView::rowsIn(const QRectF& rect) const {
    const float rh = std::max(1.0f, context_->geometry().rowHeight);
    const int first = std::max(0, static_cast<int>(std::floor(rect.y() / rh)));
    const int last = std::min(totalRows(), static_cast<int>(std::ceil((rect.bottom()) / rh)) + 1);
    return {first, std::max(first, last)};
}

void BaseProjectView::drawChartRect(QPainter& painter, const QRectF& rect) {
    tCell_.reset();
    const ChartStyle s = context_->style();
    s.fillBackground(painter, rect);
    drawGridLines(painter, rect);
    drawColumnLines(painter, rect);
    const auto [first, last] = rowsIn(rect);
    drawTasks(painter, first, last);
}

} // namespace mapolt
