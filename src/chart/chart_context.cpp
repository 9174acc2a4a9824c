#include "chart/chart_context.h"

#include "document/kestil_planner_document.h"
#include "model/entities.h"

namespace mapolt {

ChartContext::ChartContext(KestilPlannerDocument& document, ChartSchedule& schedule)
    : document_(&document), schedule_(&schedule) {
    refresh();
}

Store& ChartContext::store() const {
    return document_->store();
}

Project* ChartContext::project() const {
    return document_->project();
}

ChartStyle ChartContext::style() const {
    return ChartStyle(document_->styleObject());
}

void ChartContext::refresh() {
    rows_ = ChartRows::of(document_->store());
    geometry_ = ChartGeometry::of(*document_);
}

} // namespace mapolt
