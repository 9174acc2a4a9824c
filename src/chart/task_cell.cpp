#include "chart/task_cell.h"

#include "chart/chart_context.h"
#include "chart/chart_schedule.h"
#include "chart/shadow_painter.h"
#include "document/kestil_planner_document.h"
#include "model/entities.h"

#include <QLinearGradient>
#include <QPainter>

#include <cmath>
#include <cstdio>

namespace mapolt {

namespace {

constexpr int kLeftPosition = 1;
constexpr int kCentrePosition = 2;
constexpr int kRightPosition = 3;
constexpr int kCriticalRoot = 3;
constexpr float kLegSize = 7.0f;
constexpr float kMaxCornerRadius = 5.0f;

QString percentText(float perc) {
    char buffer[32];
    std::snprintf(buffer, sizeof buffer, "%.0f%%", static_cast<double>(perc < 1.0f ? 1.0f : perc));
    return QString::fromLatin1(buffer);
}

} // namespace

ChartStyle TaskCell::style() const {
    return context_->style();
}

float TaskCell::cornerRadius(float width) {
    if (width != 0.0f && width < kMaxCornerRadius)
        return std::trunc(width / 2.0f);
    return kMaxCornerRadius;
}

QPainterPath TaskCell::taskPath(const QRectF& r, bool rounded) {
    QPainterPath path;
    if (!rounded) {
        path.addRect(r);
        return path;
    }
    const qreal radius = cornerRadius(static_cast<float>(r.width()));
    path.addRoundedRect(r, radius, radius);
    return path;
}

QPainterPath TaskCell::superTaskPath(const QRectF& r, bool rounded) {
    const qreal x = r.x(), y = r.y(), w = r.width(), h = r.height();
    QPainterPath path;
    if (!rounded) {
        path.moveTo(x, y);
        path.lineTo(x + w, y);
    } else {
        const qreal radius = cornerRadius(static_cast<float>(w));
        path.moveTo(x + radius, y);
        path.arcTo(QRectF(x + w - 2 * radius, y, 2 * radius, 2 * radius), 90, -90);
    }
    path.lineTo(x + w, y + h);
    path.lineTo(x + w - kLegSize, y + h - kLegSize);
    path.lineTo(x + kLegSize, y + h - kLegSize);
    path.lineTo(x, y + h);
    if (rounded) {
        const qreal radius = cornerRadius(static_cast<float>(w));
        path.lineTo(x, y + radius);
        path.arcTo(QRectF(x, y, 2 * radius, 2 * radius), 180, -90);
    }
    path.closeSubpath();
    return path;
}

QPainterPath TaskCell::pointedPath(const QRectF& r) {
    const qreal x = r.x(), y = r.y(), w = r.width(), h = r.height();
    QPainterPath path;
    path.moveTo(x, y);
    path.lineTo(x + w - h / 2, y);
    path.lineTo(x + w, y + h / 2);
    path.lineTo(x + w - h / 2, y + h);
    path.lineTo(x, y + h);
    path.lineTo(x + h / 2, y + h / 2);
    path.closeSubpath();
    return path;
}

QColor TaskCell::getColour(const ATask& task, bool isSuper, bool mono) {
    const ChartStyle s = style();
    QColor c = s.colour(isSuper ? ColourSlot::SuperTask : ColourSlot::Task);
    if (task.colour() != nullptr)
        c = qColourOf(task.colour());
    if (s.flag(&Style::barsAsResource)) {
        if (task.resources.empty()) {
            c = greyColour(0.5f);
        } else if (task.resources.size() == 1) {
            const ATaskResource* only = *task.resources.begin();
            if (only->resource() != nullptr && only->resource()->colour() != nullptr)
                c = qColourOf(only->resource()->colour());
        }
    }
    if (mono)
        c = QColor(0, 0, 0);
    crit_ = context_->schedule().getCriticalityOfTask(task);
    if (context_->schedule().isCriticalOn()) {
        if (crit_ == 1)
            c = mono ? QColor(0, 0, 0) : QColor(255, 128, 0);
        else if (crit_ > 1)
            c = mono ? QColor(0, 0, 0) : QColor(255, 0, 0);
        else
            c = greyColour(0.5f);
    }
    return c;
}

void TaskCell::setUpResourceName(const ATask& task) {
    resName_.clear();
    resNameAtt_.clear();
    const int mode = style().resourceCol();
    std::size_t k = 0;
    const std::size_t n = task.resources.size();
    for (const ATaskResource* assignment : task.resources) {
        const Resource* r = assignment->resource();
        QString entry = r != nullptr ? qText(r->name()) : QString();
        if (assignment->perc() != 100.0f)
            entry += QStringLiteral(" (") + percentText(assignment->perc()) + QStringLiteral(" )");
        if (++k < n)
            entry += QStringLiteral(", ");
        QColor c(0, 0, 0);
        if (mode == 1 && r != nullptr)
            c = qColourOf(r->colour());
        else if (mode == 2)
            c = colour_;
        resName_ += entry;
        resNameAtt_.push_back({entry, c});
    }
}

std::optional<TaskCell::LabelAttributes>
TaskCell::getAttribute(const StyleElement* element, int position, bool measuring) const {
    if (element == nullptr)
        return std::nullopt;
    if (drawAsPoint_) {
        if (position != kCentrePosition)
            return std::nullopt;
    } else if (element->position() != position) {
        return std::nullopt;
    }
    LabelAttributes a{ChartStyle::fontOf(element), std::nullopt};
    if (!measuring && element->colourAsElem())
        a.colour = colour_;
    return a;
}

const ChartShadow& TaskCell::cellShadow() {
    if (!shadow_)
        shadow_ = style().shadow(false);
    return *shadow_;
}

void TaskCell::drawTaskCell(QPainter& painter, ATask* task, int row, bool mono) {
    if (task == nullptr)
        return;
    if (!task->subTasks.empty() && task->superGrouped()) {
        drawAsPoint_ = true;
        for (ATask* sub : task->subTasks)
            drawTaskCellActual(painter, sub, row, mono);
        drawAsPoint_ = false;
        return;
    }
    drawAsPoint_ = false;
    drawTaskCellActual(painter, task, row, mono);
}

void TaskCell::drawTaskCellActual(QPainter& painter, ATask* task, int row, bool mono) {
    if (task->name.absent())
        return;
    ChartSchedule& schedule = context_->schedule();
    const float d = schedule.calcDaysForTask(task);
    if (d == 0.0f)
        return;
    const ChartGeometry& g = context_->geometry();
    const float o = schedule.calcOffset(task);
    const float top = g.barTop(row);
    const float th = g.taskHeight;
    taskRect_ = QRectF(o * g.dayWidth + printOffset_, top, d * g.dayWidth, th);
    baseRect_ = QRectF(task->baseStart() * g.dayWidth + printOffset_, top + th,
                       task->baseElapsed() * g.dayWidth, th);
    percRec_ = QRectF(o * g.dayWidth + printOffset_, top + 2,
                      g.dayWidth * d * (task->percComp() / 100.0f), th - 4);

    const bool summary = !task->subTasks.empty() || drawAsPoint_;
    colour_ = getColour(*task, summary, mono);
    setUpResourceName(*task);
    if (task->isCritical())
        crit_ = kCriticalRoot;

    const ChartStyle s = style();
    const bool rounded = s.flag(&Style::barRounded);
    const bool baseline = context_->document().showingBase() && task->baseStart() != -1.0f;
    if (summary) {
        const bool gradient = s.flag(&Style::superTaskGradient);
        const auto shape = [&](const QRectF& r) {
            return drawAsPoint_ ? pointedPath(r) : superTaskPath(r, rounded);
        };
        drawBar(painter, shape(taskRect_), gradient, true);
        if (baseline)
            drawBar(painter, shape(baseRect_), gradient, true);
    } else {
        const bool gradient = s.flag(&Style::taskGradient);
        drawBar(painter, taskPath(taskRect_, rounded), gradient, false);
        if (baseline)
            drawBar(painter, taskPath(baseRect_, rounded), gradient, false);
    }
    drawProgress(painter, summary);

    if (!drawAsPoint_) {
        drawRightLabel(painter, *task);
        drawLeftLabel(painter, *task);
    }
    drawCentreLabel(painter, *task);
    showCover(painter, *task, row, mono);
}

void TaskCell::drawBar(QPainter& painter, const QPainterPath& path, bool gradient, bool summary) {
    const ChartStyle s = style();
    const qreal lineWidth = crit_ == kCriticalRoot ? 2.0 : 1.0;
    painter.save();
    if (s.flag(&Style::barShadow))
        paintShadowFill(painter, path, cellShadow());
    if (gradient) {
        // The under-fill only shows through translucent gradients; a summary takes its
        // half-white tint, a leaf its own colour.
        painter.fillPath(path, summary ? blendedTowardsWhite(colour_, 0.5f) : colour_);
        const QRectF box = path.boundingRect();
        QLinearGradient fill(box.topLeft(), box.bottomLeft());
        fill.setColorAt(0.0, blendedTowardsWhite(colour_, 0.7f));
        fill.setColorAt(1.0, blendedTowardsWhite(colour_, 0.2f));
        painter.setClipPath(path, Qt::IntersectClip);
        painter.fillPath(path, fill);
    } else {
        painter.fillPath(path, blendedTowardsWhite(colour_, 0.5f));
    }
    painter.restore();
    if (s.flag(&Style::barOutline))
        painter.strokePath(path, QPen(colour_, lineWidth, Qt::SolidLine, Qt::FlatCap,
                                      s.flag(&Style::barRounded) ? Qt::RoundJoin : Qt::MiterJoin));
}

void TaskCell::drawProgress(QPainter& painter, bool summary) {
    const float th = context_->geometry().taskHeight;
    QRectF r = percRec_;
    if (drawAsPoint_) {
        const qreal h = taskRect_.height();
        r = QRectF(percRec_.x() + h / 2, percRec_.y(), percRec_.width() - h, th - 4);
        if (taskRect_.x() + taskRect_.width() < r.x() + r.width())
            return;
    } else if (summary) {
        r.setHeight(th - 10);
    }
    if (r.width() <= 0 || r.height() <= 0)
        return;
    painter.save();
    painter.setCompositionMode(QPainter::CompositionMode_Source);
    painter.fillRect(r, colour_);
    painter.restore();
}

float TaskCell::resourceRunsWidth(const QFont& font) const {
    return context_->textWidth(resName_, font);
}

float TaskCell::drawResourceRuns(QPainter& painter, QPointF baseline, const QFont& font,
                                 const ChartShadow* shadow) {
    float x = static_cast<float>(baseline.x());
    for (const ResourceRun& run : resNameAtt_) {
        const QPointF at(x, baseline.y());
        if (shadow != nullptr)
            paintShadowText(painter, at, run.text, font, *shadow);
        painter.setFont(font);
        painter.setPen(run.colour);
        painter.drawText(at, run.text);
        x += context_->textWidth(run.text, font);
    }
    return x - static_cast<float>(baseline.x());
}

void TaskCell::drawText(QPainter& painter, QPointF baseline, const QString& text,
                        const LabelAttributes& attributes, const ChartShadow* shadow) {
    if (shadow != nullptr)
        paintShadowText(painter, baseline, text, attributes.font, *shadow);
    painter.setFont(attributes.font);
    painter.setPen(attributes.colour.value_or(QColor(0, 0, 0)));
    painter.drawText(baseline, text);
}

void TaskCell::drawRightLabel(QPainter& painter, ATask& task) {
    const ChartStyle s = style();
    const ChartShadow* shadow = s.flag(&Style::labelShadow) ? &cellShadow() : nullptr;
    std::optional<LabelAttributes> res;
    if (!resName_.isEmpty())
        res = getAttribute(s.resourceLabels(), kRightPosition, false);
    const std::optional<LabelAttributes> name = getAttribute(s.taskLabels(), kRightPosition, false);
    const float x = static_cast<float>(taskRect_.x() + taskRect_.width()) + s.marginRight();
    // The label's box starts 4 points below the bar top; its first line sits on the ascent.
    const QFont& lineFont = name ? name->font : (res ? res->font : QFont());
    const float baseline = static_cast<float>(taskRect_.y()) + 4.0f + fontAscent(lineFont);
    float width = 0.0f;
    const QString text = qText(task.name());
    if (!text.isEmpty() && name) {
        const QString shown = res ? text + QStringLiteral(" / ") : text;
        drawText(painter, QPointF(x, baseline), shown, *name, shadow);
        width += context_->textWidth(shown, name->font);
    }
    if (res)
        width += drawResourceRuns(painter, QPointF(x + width, baseline), res->font, shadow);
    context_->noteLabelWidth(task, ChartContext::Label::Right, width);
}

void TaskCell::drawLeftLabel(QPainter& painter, ATask& task) {
    const ChartStyle s = style();
    const ChartShadow* shadow = s.flag(&Style::labelShadow) ? &cellShadow() : nullptr;
    std::optional<LabelAttributes> res;
    if (!resName_.isEmpty())
        res = getAttribute(s.resourceLabels(), kLeftPosition, false);
    const std::optional<LabelAttributes> name = getAttribute(s.taskLabels(), kLeftPosition, false);
    const float right = static_cast<float>(taskRect_.x()) - s.marginLeft();
    const float baseline = static_cast<float>(taskRect_.y()) + 11.0f;
    float rw = 0.0f;
    if (res) {
        rw = resourceRunsWidth(res->font);
        drawResourceRuns(painter, QPointF(right - rw, baseline), res->font, shadow);
    }
    const QString text = qText(task.name());
    if (!text.isEmpty() && name) {
        const QString shown = res ? text + QStringLiteral(" / ") : text;
        const float nw = context_->textWidth(shown, name->font);
        drawText(painter, QPointF(right - 5.0f - nw - rw, baseline), shown, *name, shadow);
        context_->noteLabelWidth(task, ChartContext::Label::Left, rw + nw + 5.0f);
    } else {
        context_->noteLabelWidth(task, ChartContext::Label::Left, rw);
    }
}

void TaskCell::drawCentreLabel(QPainter& painter, const ATask& task) {
    const ChartStyle s = style();
    std::optional<LabelAttributes> res;
    if (!resName_.isEmpty())
        res = getAttribute(s.resourceLabels(), kCentrePosition, false);
    const std::optional<LabelAttributes> name =
        getAttribute(s.taskLabels(), kCentrePosition, false);
    const QString text = qText(task.name());
    QString shown;
    float nw = 0.0f;
    if (!text.isEmpty() && name) {
        shown = res && !drawAsPoint_ ? text + QStringLiteral(" / ") : text;
        nw = context_->textWidth(shown, name->font);
    }
    const float rw = res ? context_->textWidth(resName_, res->font) : 0.0f;
    if (nw == 0.0f && rw == 0.0f)
        return;
    const float x = static_cast<float>(taskRect_.x() + taskRect_.width() / 2.0) - (rw + nw) / 2.0f;
    const float baseline = static_cast<float>(taskRect_.y()) + 10.0f;
    if (nw > 0.0f)
        drawText(painter, QPointF(x, baseline), shown, *name, nullptr);
    if (res && !drawAsPoint_)
        drawText(painter, QPointF(x + nw, baseline), resName_, *res, nullptr);
}

void TaskCell::showCover(QPainter& painter, ATask& task, int row, bool mono) {
    const ChartGeometry& g = context_->geometry();
    ChartSchedule& schedule = context_->schedule();
    const QColor current = colour_;
    const int crit = crit_;
    const float opacity = style().coverOpacity();
    for (ATask* s = &task; s != nullptr; s = s->superTask()) {
        if (s == &task && task.subTasks.empty())
            continue;
        if (!s->showCover())
            continue;
        const float k = s == &task ? g.topMargin + 3.0f : 0.0f;
        QColor c = getColour(*s, !s->subTasks.empty(), mono);
        c.setAlphaF(opacity);
        painter.fillRect(QRectF(schedule.calcOffset(s) * g.dayWidth + printOffset_,
                                g.rowTop(row) + k, schedule.calcDaysForTask(s) * g.dayWidth,
                                g.rowHeight - k),
                         c);
    }
    colour_ = current;
    crit_ = crit;
}

float TaskCell::calcLeftMargin(const ATask& task) {
    if (task.name.absent() || task.name().empty())
        return 0.0f;
    drawAsPoint_ = false;
    setUpResourceName(task);
    const ChartStyle s = style();
    const bool resLeft =
        !resName_.isEmpty() && ChartStyle::positionOf(s.resourceLabels()) == kLeftPosition;
    const bool nameLeft = ChartStyle::positionOf(s.taskLabels()) == kLeftPosition;
    float width = 0.0f;
    if (resLeft)
        width += context_->textWidth(resName_,
                                     getAttribute(s.resourceLabels(), kLeftPosition, true)->font);
    if (nameLeft) {
        const QString text = qText(task.name());
        const QString shown = resLeft ? text + QStringLiteral(" / ") : text;
        width +=
            context_->textWidth(shown, getAttribute(s.taskLabels(), kLeftPosition, true)->font) +
            5.0f;
    }
    width += s.marginLeft();
    context_->noteLabelWidth(task, ChartContext::Label::Left, width);
    return width;
}

} // namespace mapolt
