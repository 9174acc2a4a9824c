#include "chart/chart_context.h"

#include "document/kestil_planner_document.h"
#include "model/entities.h"
#include "model/store.h"

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

float ChartContext::labelWidth(const ATask& task, Label label) const {
    const auto found = labelWidths_.find(&task);
    const LabelWidths* known = found != labelWidths_.end() ? &found->second : nullptr;
    switch (label) {
    case Label::Left:
        return known != nullptr && known->left ? *known->left : task.leftMargin();
    case Label::Right:
        return known != nullptr && known->right ? *known->right : task.rightMargin();
    case Label::Milestone:
        return known != nullptr && known->milestone ? *known->milestone : task.mileText();
    }
    return 0.0f;
}

void ChartContext::noteLabelWidth(const ATask& task, Label label, float width) const {
    LabelWidths& widths = labelWidths_[&task];
    (label == Label::Left    ? widths.left
     : label == Label::Right ? widths.right
                             : widths.milestone) = width;
}

void ChartContext::refresh() {
    const Store& store = document_->store();
    if (store.revision(Entity::ATask) != rowsTaskRevision_ ||
        store.revision(Entity::DepLink) != rowsLinkRevision_) {
        rows_ = ChartRows::of(store);
        rowsTaskRevision_ = store.revision(Entity::ATask);
        rowsLinkRevision_ = store.revision(Entity::DepLink);
    }
    geometry_ = ChartGeometry::of(*document_);
}

} // namespace mapolt
