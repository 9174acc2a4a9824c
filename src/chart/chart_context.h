#pragma once

#include "chart/chart_geometry.h"
#include "chart/chart_rows.h"
#include "chart/chart_style.h"
#include "model/date.h"

#include <optional>

namespace mapolt {

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
    void setRows(ChartRows rows) { rows_ = std::move(rows); }
    // Rebuilds the row list and takes the geometry from the document again.
    void refresh();

    // The moment the today line marks; the clock unless set.
    Date today() const { return today_ ? *today_ : civil::now(); }
    void setToday(Date moment) { today_ = moment; }

  private:
    KestilPlannerDocument* document_;
    ChartSchedule* schedule_;
    ChartGeometry geometry_;
    ChartRows rows_;
    std::optional<Date> today_;
};

} // namespace mapolt
