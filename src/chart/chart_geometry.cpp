#include "chart/chart_geometry.h"

#include "document/kestil_planner_document.h"

#include <algorithm>

namespace mapolt {

ChartGeometry ChartGeometry::of(const KestilPlannerDocument& document) {
    ChartGeometry g;
    // A style without margins has rows of no height; a row is at least a pixel so that
    // every walk over rows and columns moves on.
    g.dayWidth = std::max(kMinimumDayWidth, document.dayWidth());
    g.leftDayMargin = leftDayMarginFor(document.leftMargin(), g.dayWidth);
    g.rowHeight = std::max(1.0f, document.rowHeight());
    g.topMargin = document.topMargin();
    g.taskHeight = document.taskHeight();
    return g;
}

} // namespace mapolt
