#include "chart/chart_geometry.h"

#include "document/kestil_planner_document.h"

namespace mapolt {

ChartGeometry ChartGeometry::of(const KestilPlannerDocument& document) {
    ChartGeometry g;
    g.dayWidth = document.dayWidth();
    g.leftDayMargin = document.leftDayMargin();
    g.rowHeight = document.rowHeight();
    g.topMargin = document.topMargin();
    g.taskHeight = document.taskHeight();
    return g;
}

} // namespace mapolt
