#pragma once

#include "appearance/colour_slots.h"
#include "model/style.h"

#include <QColor>
#include <QFont>
#include <QString>

class QPainter;
class QRectF;

#include <string>

class QPaintDevice;

namespace mapolt {

// A Colour record as Qt draws it; black when there is none.
QColor qColourOf(const Colour* colour, QColor fallback = QColor(0, 0, 0));
QColor greyColour(float white, float alpha = 1.0f);
// The colour moved `fraction` of the way towards opaque white.
QColor blendedTowardsWhite(const QColor& colour, float fraction);
QString qText(const std::string& text);

// Labels are measured and drawn at 72 dots per inch, so a point of the style is a pixel.
QPaintDevice& measuringDevice();
float textWidth(const QString& text, const QFont& font);
float fontAscent(const QFont& font);

// The drop shadow of links, bars and labels: offset and blur in points, y pointing up as
// in the style, and a colour whose alpha is always 0.3.
struct ChartShadow {
    float x = 0.0f;
    float y = 0.0f;
    float blur = 0.0f;
    QColor colour = QColor(0, 0, 0, 77);
};

// Reads the switches, colours, margins and fonts of a style; a missing style or part reads
// as off, black or 0.
class ChartStyle {
  public:
    explicit ChartStyle(const Style* style) : style_(style) {}

    const Style* style() const { return style_; }
    bool flag(Attribute<bool> Style::*member) const;
    int resourceCol() const;
    float coverOpacity() const;
    QColor colour(ColourSlot slot, QColor fallback = QColor(0, 0, 0)) const;
    float marginLeft() const;
    float marginRight() const;

    const StyleElement* taskList() const;
    const StyleElement* taskLabels() const;
    const StyleElement* resourceLabels() const;
    const StyleElement* milestoneLabels() const;
    static int positionOf(const StyleElement* element);
    // The element's font at its size (or `size` when given), bold when the element is bold.
    static QFont fontOf(const StyleElement* element, double size = 0.0);

    // Replaces what `rect` held with the background colour (white when the style has none).
    void fillBackground(QPainter& painter, const QRectF& rect) const;

    // `mono` greys the colour to 0.9, as the chart's link shadow does in black and white.
    ChartShadow shadow(bool mono) const;

  private:
    const Style* style_;
};

} // namespace mapolt
