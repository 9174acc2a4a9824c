#include "app/chart_view.h"

#include "app/document_bridge.h"
#include "chart/day_ruler.h"
#include "chart/document_chart.h"
#include "document/kestil_planner_document.h"
#include "model/entities.h"

#include <QPaintEvent>
#include <QPainter>
#include <QScrollBar>
#include <QWheelEvent>

#include <algorithm>
#include <cmath>
#include <utility>

namespace mapolt {

namespace {

// Room right of the latest bar for its label, as the chart's size allows.
constexpr int kSpareWidth = 100;
const QColor kSelectionBand(0, 0, 255, 26);

} // namespace

class ChartView::Ruler final : public QWidget {
  public:
    Ruler(ChartView& view) : QWidget(&view), view_(view) {}

  protected:
    void paintEvent(QPaintEvent*) override {
        QPainter painter(this);
        const float x = static_cast<float>(view_.horizontalScrollBar()->value());
        painter.translate(-x, 0);
        view_.dayRuler_->drawHashMarksAndLabelsInRect(
            painter, QRectF(x, 0, width(), DayRuler::kThickness), x, static_cast<float>(width()));
    }

  private:
    ChartView& view_;
};

ChartView::ChartView(DocumentBridge& bridge, QWidget* parent)
    : QAbstractScrollArea(parent), bridge_(bridge),
      chart_(std::make_unique<DocumentChart>(bridge.document())),
      dayRuler_(std::make_unique<DayRuler>()), ruler_(new Ruler(*this)) {
    setViewportMargins(0, static_cast<int>(DayRuler::kThickness), 0, 0);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    setFrameShape(QFrame::NoFrame);
    viewport()->setAttribute(Qt::WA_OpaquePaintEvent);
    horizontalScrollBar()->setSingleStep(20);
    refresh();
}

ChartView::~ChartView() = default;

void ChartView::refresh() {
    chart_->refresh();
    const ChartGeometry& g = chart_->context().geometry();
    Project* project = chart_->context().project();
    dayRuler_->setStyle(bridge_.document().styleObject());
    dayRuler_->setDayWidth(g.dayWidth);
    dayRuler_->setOriginOffset(DayRuler::originOffsetFor(
        project != nullptr ? project->startDate() : Date{}, g.leftDayMargin));
    const ChartRows& rows = chart_->context().rows();
    selectedRows_.clear();
    for (ATask* t : selectedTasks_)
        if (const int row = rows.rowOf(t); row >= 0)
            selectedRows_.push_back(row);
    calcSize();
    viewport()->update();
    ruler_->update();
}

void ChartView::setSelectedTasks(const std::vector<ATask*>& tasks) {
    selectedTasks_ = tasks;
    const ChartRows& rows = chart_->context().rows();
    selectedRows_.clear();
    for (ATask* t : tasks)
        if (const int row = rows.rowOf(t); row >= 0)
            selectedRows_.push_back(row);
    viewport()->update();
}

// The extent needs every bar's end: measured once per change of the project, never per
// zoom step or scroll, and after an edit only over the tasks it wrote, unless one of them
// held the extent.
void ChartView::measureExtent() {
    Store& store = bridge_.store();
    // Ends follow the tasks; the label widths ride along with them.
    const std::uint64_t revision = store.revision(Entity::ATask);
    if (revision == extentRevision_)
        return;
    extentRevision_ = revision;
    const auto changes = store.changesSince(extentChanges_);
    auto widened = chart_->context().takeWidenedLabels();
    // Tasks come and go through the journal; a subtree moved, folded or unfolded shows or
    // hides tasks that were not written.
    const std::uint64_t shown = store.revision(Entity::ATask, {"superTask", "isExpanded"});
    if (!changes || !widened || shown != extentShown_) {
        extentShown_ = shown;
        measureWholeExtent();
        return;
    }
    std::vector<const ATask*> tasks = std::move(*widened);
    for (Record* r : *changes)
        if (r->entity() == Entity::ATask)
            tasks.push_back(static_cast<const ATask*>(r));
    for (const ATask* t : tasks)
        if (!widenExtentFor(t)) {
            measureWholeExtent();
            return;
        }
}

void ChartView::measureWholeExtent() {
    latestEnd_ = 0.0f;
    widestRightLabel_ = 0.0f;
    latestTask_ = nullptr;
    widestTask_ = nullptr;
    for (ATask* t : chart_->context().rows().tasks())
        widenExtentFor(t);
}

bool ChartView::widenExtentFor(const ATask* task) {
    if (task == latestTask_ || task == widestTask_)
        return false;
    ChartContext& context = chart_->context();
    if (context.rows().rowOf(task) < 0)
        return true;
    const float end = context.schedule().calcOffset(task) + task->elapsedTime();
    if (end > latestEnd_ || latestTask_ == nullptr) {
        latestEnd_ = std::max(latestEnd_, end);
        latestTask_ = task;
    }
    const float label = std::max(context.labelWidth(*task, ChartContext::Label::Right),
                                 context.labelWidth(*task, ChartContext::Label::Milestone));
    if (label > widestRightLabel_ || widestTask_ == nullptr) {
        widestRightLabel_ = std::max(widestRightLabel_, label);
        widestTask_ = task;
    }
    return true;
}

void ChartView::calcSize() {
    measureExtent();
    const ChartGeometry& g = chart_->context().geometry();
    const QSize visible = viewport()->size();
    const double days = std::max(static_cast<double>(visible.width()) / g.dayWidth,
                                 static_cast<double>(latestEnd_) + widestRightLabel_ / g.dayWidth);
    const double width = g.dayWidth * days + kSpareWidth + g.taskSpaceOrigin();
    const int rows = chart_->context().rows().totalRows() + extraRows_;
    content_ = QSize(static_cast<int>(std::ceil(std::min(width, 1.0e9))),
                     static_cast<int>(std::ceil(rows * static_cast<double>(g.rowHeight))));
    updateScrollBars();
}

void ChartView::updateScrollBars() {
    const QSize visible = viewport()->size();
    horizontalScrollBar()->setPageStep(visible.width());
    horizontalScrollBar()->setRange(0, std::max(0, content_.width() - visible.width()));
    const int rowHeight = std::max(1, static_cast<int>(chart_->context().geometry().rowHeight));
    verticalScrollBar()->setSingleStep(rowHeight);
    verticalScrollBar()->setPageStep(visible.height());
    verticalScrollBar()->setRange(0, std::max(0, content_.height() - visible.height()));
}

void ChartView::scrollToTask(const ATask* task) {
    calcSize();
    const int row = chart_->context().rows().rowOf(task);
    if (row < 0)
        return;
    const double rh = chart_->context().geometry().rowHeight;
    const double bottom = row * rh + rh;
    const int visibleBottom = verticalScrollBar()->value() + viewport()->height();
    if (bottom > visibleBottom)
        verticalScrollBar()->setValue(static_cast<int>(std::ceil(bottom)) - viewport()->height());
}

void ChartView::paintEvent(QPaintEvent* event) {
    QPainter painter(viewport());
    const int x = horizontalScrollBar()->value();
    const int y = verticalScrollBar()->value();
    painter.translate(-x, -y);
    const QRectF area = QRectF(event->rect()).translated(x, y);
    chart_->view().drawChartRect(painter, area);
    const float rh = chart_->context().geometry().rowHeight;
    for (int row : selectedRows_) {
        const QRectF band(area.x(), row * rh, area.width(), rh);
        if (band.intersects(area))
            painter.fillRect(band, kSelectionBand);
    }
}

void ChartView::resizeEvent(QResizeEvent* event) {
    QAbstractScrollArea::resizeEvent(event);
    const QRect vp = viewport()->geometry();
    ruler_->setGeometry(vp.x(), vp.y() - static_cast<int>(DayRuler::kThickness), vp.width(),
                        static_cast<int>(DayRuler::kThickness));
    calcSize();
}

void ChartView::scrollContentsBy(int dx, int dy) {
    viewport()->scroll(dx, dy);
    if (dx != 0)
        ruler_->update();
}

void ChartView::wheelEvent(QWheelEvent* event) {
    if (event->modifiers() & Qt::ControlModifier) {
        const int dy = event->angleDelta().y();
        if (dy != 0)
            emit zoomRequested(dy > 0 ? 1 : -1);
        event->accept();
        return;
    }
    QAbstractScrollArea::wheelEvent(event);
}

} // namespace mapolt
