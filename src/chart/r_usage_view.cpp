#include "chart/r_usage_view.h"

#include "chart/chart_context.h"
#include "chart/chart_style.h"
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

constexpr float kFullLoadHeight = 18.5f;

std::string nameOf(const Resource* r) {
    return r != nullptr ? r->name() : std::string();
}

} // namespace

std::vector<Resource*> RUsageView::resourceRows() const {
    return context_->store().fetch<Resource>(
        {}, [](const Resource& a, const Resource& b) { return a.name() < b.name(); });
}

QSizeF RUsageView::calcSize(const QSizeF& visible) const {
    const ChartGeometry& g = context_->geometry();
    const double height =
        std::max(visible.height(), kRowHeight * static_cast<double>(resourceRows().size()));
    double days = visible.width() / g.dayWidth;
    for (ATask* t : context_->rows().tasks())
        days = std::max(days, static_cast<double>(t->daysFromStart() + t->elapsedTime()));
    return QSizeF(g.dayWidth * days + 100.0, height);
}

void RUsageView::drawGridLines(QPainter& painter, const QRectF& rect) {
    const ChartStyle s = context_->style();
    if (!s.flag(&Style::horizLines))
        return;
    const QColor colour = s.colour(ColourSlot::Horizontal);
    const int step = static_cast<int>(kRowHeight);
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing, false);
    for (double y = rect.y() - (static_cast<int>(rect.y()) % step); y < rect.bottom();
         y += kRowHeight)
        painter.fillRect(QRectF(rect.x(), y, rect.width(), 1.0), colour);
    painter.restore();
}

void RUsageView::drawColumnLines(QPainter& painter, const QRectF& rect) {
    const ChartStyle s = context_->style();
    const ChartGeometry& g = context_->geometry();
    const bool vertLines = s.flag(&Style::vertLines);
    const bool nonWorking = s.flag(&Style::nonWorking);
    const QColor vertical = s.colour(ColourSlot::Vertical);
    const QColor shade = s.colour(ColourSlot::NonWorking);
    const Project* p = context_->project();
    const int ldm = static_cast<int>(g.leftDayMargin);
    const float dw = g.dayWidth;
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing, false);
    const int first = std::max(0, static_cast<int>(std::floor(rect.x() / dw)) - 1);
    for (DayColumnWalk c(p != nullptr ? p->startDate() : Date{}, ldm, first);
         c->column * dw < rect.right(); ++c) {
        const qreal x = c->column * dw;
        if (vertLines || c->relativeDay == 0) {
            const qreal width = c->relativeDay == 0 ? 3.0 : 1.0;
            painter.fillRect(QRectF(x - std::floor(width / 2.0), rect.y(), width, rect.height()),
                             vertical);
        }
        if (nonWorking && (c->weekday == 0 || c->weekday == 6)) {
            painter.setCompositionMode(QPainter::CompositionMode_Source);
            painter.fillRect(QRectF(x, rect.y(), dw, rect.height()), shade);
            painter.setCompositionMode(QPainter::CompositionMode_SourceOver);
        }
    }
    painter.restore();
}

RUsageView::LoadBar RUsageView::loadBar(float day, int row, float p) const {
    float h = kRowHeight * p / 2.0f;
    QColor colour(255, 255, 0);
    if (p == 1.0f) {
        h = kFullLoadHeight;
        colour = QColor(0, 255, 0);
    } else if (p > 1.0f) {
        colour = QColor(255, 0, 0);
        if (p > 2.0f)
            h = kRowHeight;
    }
    const float dw = context_->geometry().dayWidth;
    return {QRectF(day * dw + printOffset_, kRowHeight * static_cast<float>(row) + kRowHeight - h,
                   dw, h),
            colour};
}

void RUsageView::drawResorceUsed(QPainter& painter, float day, int row, float percent) {
    const LoadBar bar = loadBar(day, row, percent);
    QPainterPath path;
    path.addRect(bar.rect);
    painter.save();
    paintShadowFill(painter, path, context_->style().shadow(false));
    painter.fillPath(path, blendedTowardsWhite(bar.colour, 0.5f));
    painter.restore();
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing, false);
    painter.setPen(QPen(bar.colour, 1.0));
    painter.setBrush(Qt::NoBrush);
    painter.drawRect(bar.rect);
    painter.restore();
}

void RUsageView::drawAntihghlight(QPainter& painter, const QRectF& rect, int row) {
    painter.fillRect(
        QRectF(rect.x(), kRowHeight * static_cast<float>(row), rect.width(), kRowHeight),
        QColor(0, 0, 0, 102));
}

void RUsageView::drawRect(QPainter& painter, const QRectF& rect) {
    const ChartStyle s = context_->style();
    const ChartGeometry& g = context_->geometry();
    s.fillBackground(painter, rect);
    drawGridLines(painter, rect);
    drawColumnLines(painter, rect);

    printOffset_ = g.leftDayMargin * g.dayWidth;
    const std::vector<Resource*> rows = resourceRows();
    const float first =
        std::trunc(static_cast<float>(rect.x()) / g.dayWidth - 1.0f - g.leftDayMargin);
    const float last = std::trunc(first + static_cast<float>(rect.width()) / g.dayWidth + 2.0f);
    std::vector<AResourceUsage*> usage = context_->store().fetch<AResourceUsage>(
        [&](const AResourceUsage& u) {
            return u.daysFromStart() >= first && u.daysFromStart() <= last;
        },
        [](const AResourceUsage& a, const AResourceUsage& b) {
            if (a.daysFromStart() != b.daysFromStart())
                return a.daysFromStart() > b.daysFromStart();
            return nameOf(a.resource()) > nameOf(b.resource());
        });

    const auto rowOf = [&](const Resource* r) {
        const auto found = std::find(rows.begin(), rows.end(), r);
        return found == rows.end() ? -1 : static_cast<int>(found - rows.begin());
    };
    const auto flush = [&](const AResourceUsage* head, float used, float available) {
        const int row = rowOf(head->resource());
        if (row >= 0)
            drawResorceUsed(painter, head->daysFromStart(), row,
                            available == 0.0f ? 0.0f : used / available);
    };
    const AResourceUsage* head = nullptr;
    float used = 0.0f;
    float available = 0.0f;
    for (const AResourceUsage* u : usage) {
        if (head != nullptr &&
            (u->daysFromStart() != head->daysFromStart() || u->resource() != head->resource())) {
            flush(head, used, available);
            head = nullptr;
        }
        if (head == nullptr) {
            head = u;
            used = 0.0f;
        }
        used += u->usedHours();
        available = u->hours();
    }
    if (head != nullptr)
        flush(head, used, available);

    if (selected_.empty())
        return;
    for (std::size_t r = 0; r < rows.size(); ++r)
        if (std::find(selected_.begin(), selected_.end(), rows[r]) == selected_.end())
            drawAntihghlight(painter, rect, static_cast<int>(r));
    const int lastRow = static_cast<int>((rect.y() + rect.height()) / kRowHeight);
    for (int r = static_cast<int>(rows.size()); r <= lastRow; ++r)
        drawAntihghlight(painter, rect, r);
}

} // namespace mapolt
