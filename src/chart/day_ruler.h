#pragma once

#include "model/date.h"

#include <QRectF>
#include <QString>

#include <array>
#include <string>
#include <vector>

class QPainter;

namespace mapolt {

class Style;

// What one tier of the ruler shows.
enum class RulerUnit { Days, Weeks, Months, Years, Quarters };

// One column's mark and label in one tier, in ruler coordinates.
struct RulerMark {
    RulerUnit unit = RulerUnit::Days;
    float tierTop = 0.0f;
    int column = 0;
    float markX = 0.0f;
    QString label;
    float labelX = 0.0f;
    float boxWidth = 0.0f;
};

// The two 15-pixel tiers above the chart that label its day columns, chosen by zoom.
class DayRuler {
  public:
    static constexpr float kThickness = 30.0f;
    static constexpr float kTierHeight = 15.0f;

    DayRuler() = default;

    void setStyle(const Style* style) { style_ = style; }
    void setDayWidth(double dayWidth) { dayWidth_ = static_cast<float>(dayWidth); }
    float dayWidth() const { return dayWidth_; }
    // Whole days from 1 January 1970 to the date of chart column 0.
    void setOriginOffset(int days) { originOffset_ = days; }
    int originOffset() const { return originOffset_; }
    // The origin of a chart whose project starts on `projectStart`, `leftDayMargin` columns in.
    static int originOffsetFor(Date projectStart, float leftDayMargin);

    // Upper and lower tier, and which of them is drawn first.
    struct Tiers {
        RulerUnit upper;
        RulerUnit lower;
        bool lowerFirst;
    };
    static Tiers tiersFor(float dayWidth);

    // The marks of the columns around the visible span, in drawing order.
    std::vector<RulerMark> marksFor(float visibleX, float visibleWidth) const;
    // Draws the ruler over `rect`; the visible span is the rect's unless given.
    void drawHashMarksAndLabelsInRect(QPainter& painter, const QRectF& rect);
    void drawHashMarksAndLabelsInRect(QPainter& painter, const QRectF& rect, float visibleX,
                                      float visibleWidth);

  private:
    const Style* style_ = nullptr;
    float dayWidth_ = 18.0f;
    int originOffset_ = 0;
};

} // namespace mapolt
