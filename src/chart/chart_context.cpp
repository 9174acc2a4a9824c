#include "chart/chart_context.h"

#include "document/kestil_planner_document.h"
#include "model/entities.h"
#include "model/store.h"

#include <utility>

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
    std::optional<float>& noted = label == Label::Left    ? widths.left
                                  : label == Label::Right ? widths.right
                                                          : widths.milestone;
    if (label != Label::Left && noted != width && !tooManyWidened_) {
        // A context nobody asks keeps no list longer than a few screens of rows.
        constexpr std::size_t kMostWidened = 4096;
        tooManyWidened_ = widenedLabels_.size() == kMostWidened;
        if (tooManyWidened_)
            widenedLabels_.clear();
        else
            widenedLabels_.push_back(&task);
    }
    noted = width;
}

std::optional<std::vector<const ATask*>> ChartContext::takeWidenedLabels() const {
    if (std::exchange(tooManyWidened_, false))
        return std::nullopt;
    return std::exchange(widenedLabels_, {});
}

void ChartContext::refresh() {
    const Store& store = document_->store();
    // The rows follow the outline and the links, not the dates an edit moves.
    const std::uint64_t rowsRevision =
        store.revision(Entity::ATask, {"superTask", "subTasks", "viewOrder", "isExpanded",
                                       "dependTasks", "dependeeTasks"}) +
        store.revision(Entity::DepLink, {"dependTask", "dependeeTask"});
    if (rowsRevision != rowsRevision_) {
        rows_ = ChartRows::of(store);
        rowsRevision_ = rowsRevision;
    }
    geometry_ = ChartGeometry::of(*document_);
}

} // namespace mapolt
