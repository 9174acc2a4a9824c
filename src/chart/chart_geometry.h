#pragma once

#include <cmath>

namespace mapolt {

class KestilPlannerDocument;

// Where days and rows lie. Chart column k covers x from k * dayWidth; the project start is
// column leftDayMargin. Bars, milestones and links are drawn in task space, the chart
// translated right by leftDayMargin columns, where day d lies at d * dayWidth.
struct ChartGeometry {
    static constexpr float kMinimumDayWidth = 0.01f;

    float dayWidth = 18.0f;
    float leftDayMargin = 0.0f;
    float rowHeight = 19.0f;
    float topMargin = 0.0f;
    float taskHeight = 0.0f;

    static ChartGeometry of(const KestilPlannerDocument& document);
    static float leftDayMarginFor(float leftMargin, float dayWidth) {
        return std::ceil(leftMargin / dayWidth);
    }

    float columnX(int column) const { return static_cast<float>(column) * dayWidth; }
    float taskSpaceOrigin() const { return leftDayMargin * dayWidth; }
    float dayX(float day) const { return day * dayWidth; }
    float chartX(float day) const { return taskSpaceOrigin() + dayX(day); }
    float rowTop(int row) const { return static_cast<float>(row) * rowHeight; }
    float barTop(int row) const { return rowTop(row) + topMargin; }
    float barCentre(int row) const { return barTop(row) + taskHeight / 2.0f; }
};

} // namespace mapolt
