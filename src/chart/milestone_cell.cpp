#include "chart/milestone_cell.h"

#include "chart/chart_context.h"
#include "chart/chart_schedule.h"
#include "chart/shadow_painter.h"
#include "model/entities.h"

#include <QPainter>
#include <QPainterPath>

namespace mapolt {

namespace {

// The diamond sits at a fixed offset from the row top, whatever the bar margins are.
constexpr float kDiamondTop = 11.0f;

} // namespace

ATask* MilestoneCell::latestTaskOf(const MileStone& milestone, float& end) const {
    ChartSchedule& schedule = context_->schedule();
    ATask* latest = nullptr;
    end = 0.0f;
    for (ATask* t : milestone.tasks) {
        const float e = schedule.calcOffset(t) + schedule.calcDaysForTask(t);
        if (e > 0.0f && (latest == nullptr || e > end)) {
            latest = t;
            end = e;
        }
    }
    return latest;
}

void MilestoneCell::drawTaskCell(QPainter& painter, MileStone& milestone, bool mono) {
    float end = 0.0f;
    ATask* latest = latestTaskOf(milestone, end);
    if (latest == nullptr)
        return;
    const int row = context_->rows().rowOf(latest);
    if (row < 0)
        return;
    const ChartGeometry& g = context_->geometry();
    const ChartStyle s = context_->style();
    const QColor own = qColourOf(milestone.colour(), QColor(0, 255, 0));
    const QColor colour = mono ? QColor(0, 0, 0) : own;

    float p = end;
    if (milestone.useFixedDate()) {
        const Project* project = context_->project();
        p = static_cast<float>(civil::daysBetween(
            project != nullptr ? project->startDate() : Date{}, milestone.fixedDate()));
    }
    xx_ = p * g.dayWidth - 4.0f + printOffset_;
    yy_ = g.rowTop(row) + kDiamondTop;

    const bool shadowed = s.flag(&Style::labelShadow);
    QPainterPath diamond;
    diamond.moveTo(xx_ + 5, yy_);
    diamond.lineTo(xx_ + 10, yy_ + 5);
    diamond.lineTo(xx_ + 5, yy_ + 10);
    diamond.lineTo(xx_, yy_ + 5);
    diamond.closeSubpath();
    if (shadowed)
        paintShadowFill(painter, diamond, s.shadow(false));
    painter.fillPath(diamond, colour);

    const StyleElement* element = s.milestoneLabels();
    if (ChartStyle::positionOf(element) != 0 || milestone.name().empty())
        return;
    const QFont font = ChartStyle::fontOf(element);
    const QString text = qText(milestone.name());
    const QPointF baseline(xx_ + 8, yy_ - 3 + fontAscent(font));
    if (shadowed)
        paintShadowText(painter, baseline, text, font, s.shadow(false));
    painter.setFont(font);
    painter.setPen(element != nullptr && element->colourAsElem() ? own : QColor(0, 0, 0));
    painter.drawText(baseline, text);
    context_->noteLabelWidth(*latest, ChartContext::Label::Milestone,
                             context_->textWidth(text, font));
}

} // namespace mapolt
