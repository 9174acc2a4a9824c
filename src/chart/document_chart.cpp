#include "chart/document_chart.h"

#include "document/kestil_planner_document.h"
#include "model/entities.h"

#include <algorithm>

namespace mapolt {

namespace {

constexpr float kMinimumLeftMargin = 2.0f;

} // namespace

DocumentChart::DocumentChart(KestilPlannerDocument& document)
    : document_(&document), schedule_(document.taskLengthCalc()), context_(document, schedule_),
      view_(context_) {
    schedule_.followCriticalPath(document.taskHelper());
    document.setTextMeasurer(&view_.getTask());
    refresh();
}

DocumentChart::~DocumentChart() {
    document_->setTextMeasurer(nullptr);
}

float leftMarginFor(ChartContext& context, TaskCell& cell, float dayWidth) {
    float widest = kMinimumLeftMargin;
    for (ATask* t : context.rows().tasks())
        widest =
            std::max(widest, cell.calcLeftMargin(*t) - context.schedule().calcOffset(t) * dayWidth);
    return widest;
}

void DocumentChart::refresh() {
    // What is drawn is only read: stale durations are computed before, not while drawing.
    document_->placeInvalidTasks();
    document_->projectChanged();
    context_.refresh();
    if (!dayWidth_)
        return;
    ChartGeometry g = context_.geometry();
    g.dayWidth = *dayWidth_;
    g.leftDayMargin = ChartGeometry::leftDayMarginFor(
        leftMarginFor(context_, view_.getTask(), g.dayWidth), g.dayWidth);
    context_.setGeometry(g);
}

} // namespace mapolt
