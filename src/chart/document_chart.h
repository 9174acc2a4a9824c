#pragma once

#include "chart/base_project_view.h"
#include "chart/chart_context.h"
#include "chart/chart_schedule.h"

#include <optional>

namespace mapolt {

class KestilPlannerDocument;

// A document's chart: the schedule it reads through the document's duration engine, the row
// list and the view. The bar renderer measures left labels for the document.
class DocumentChart {
  public:
    explicit DocumentChart(KestilPlannerDocument& document);
    ~DocumentChart();
    DocumentChart(const DocumentChart&) = delete;
    DocumentChart& operator=(const DocumentChart&) = delete;

    // Recomputes the document's view state and the chart's rows and geometry, at the
    // document's zoom or the day width set here.
    void refresh();
    void setDayWidth(std::optional<float> dayWidth) { dayWidth_ = dayWidth; }

    KestilPlannerDocument& document() { return *document_; }
    ChartSchedule& schedule() { return schedule_; }
    ChartContext& context() { return context_; }
    BaseProjectView& view() { return view_; }

  private:
    KestilPlannerDocument* document_;
    ChartSchedule schedule_;
    ChartContext context_;
    BaseProjectView view_;
    std::optional<float> dayWidth_;
};

// The left label margin at `dayWidth`: the widest left label beyond the task's start, at
// least 2 points.
float leftMarginFor(ChartContext& context, TaskCell& cell, float dayWidth);

} // namespace mapolt
