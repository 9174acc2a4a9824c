#pragma once

#include "chart/chart_geometry.h"
#include "chart/chart_rows.h"
#include "chart/chart_style.h"
#include "chart/text_width_cache.h"
#include "model/date.h"

#include <cstdint>
#include <optional>
#include <unordered_map>

namespace mapolt {

class ATask;
class ChartSchedule;
class KestilPlannerDocument;
class Project;
class Store;

// What every chart renderer reads in one drawing pass: the document and its schedule, the
// row list, and the geometry taken from the document when the project last changed.
class ChartContext {
  public:
    ChartContext(KestilPlannerDocument& document, ChartSchedule& schedule);

    KestilPlannerDocument& document() const { return *document_; }
    ChartSchedule& schedule() const { return *schedule_; }
    Store& store() const;
    Project* project() const;
    ChartStyle style() const;

    const ChartGeometry& geometry() const { return geometry_; }
    void setGeometry(const ChartGeometry& geometry) { geometry_ = geometry; }
    const ChartRows& rows() const { return rows_; }
    // Takes the geometry from the document again, and rebuilds the row list when the
    // outline or the links changed since it was built.
    void refresh();

    // The widths of a task's labels as the last drawing pass measured them: view state kept
    // here rather than in the store, so drawing never writes to the document. Before the
    // first pass they read as the widths the file brought.
    enum class Label { Left, Right, Milestone };
    float labelWidth(const ATask& task, Label label) const;
    void noteLabelWidth(const ATask& task, Label label, float width) const;
    // The tasks whose noted right or milestone label changed since the last call; none when
    // too many did to keep the list, and the caller must look at every task.
    std::optional<std::vector<const ATask*>> takeWidenedLabels() const;

    // A label's width in its font, measured once while this context lives.
    float textWidth(const QString& text, const QFont& font) const {
        return textWidths_.width(text, font);
    }

    // The moment the today line marks; the clock unless set.
    Date today() const { return today_ ? *today_ : civil::now(); }
    void setToday(Date moment) { today_ = moment; }

  private:
    KestilPlannerDocument* document_;
    ChartSchedule* schedule_;
    ChartGeometry geometry_;
    ChartRows rows_;
    std::optional<Date> today_;
    std::uint64_t rowsRevision_ = ~0ULL;
    struct LabelWidths {
        std::optional<float> left, right, milestone;
    };
    mutable std::unordered_map<const ATask*, LabelWidths> labelWidths_;
    mutable std::vector<const ATask*> widenedLabels_;
    mutable bool tooManyWidened_ = false;
    mutable TextWidthCache textWidths_;
};

} // namespace mapolt
