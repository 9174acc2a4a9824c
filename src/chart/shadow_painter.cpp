#include "chart/shadow_painter.h"

#include <QPainter>

namespace mapolt {

namespace {

// The style's offsets point up, the chart's y axis down.
QPointF offsetOf(const ChartShadow& shadow) {
    return QPointF(shadow.x, -shadow.y);
}

QColor rimColour(const ChartShadow& shadow) {
    QColor c = shadow.colour;
    c.setAlphaF(c.alphaF() / 2.0f);
    return c;
}

} // namespace

void paintShadowFill(QPainter& painter, const QPainterPath& path, const ChartShadow& shadow) {
    const QPainterPath moved = path.translated(offsetOf(shadow));
    painter.save();
    painter.setCompositionMode(QPainter::CompositionMode_SourceOver);
    if (shadow.blur > 0.0f)
        painter.strokePath(moved, QPen(rimColour(shadow), shadow.blur));
    painter.fillPath(moved, shadow.colour);
    painter.restore();
}

void paintShadowStroke(QPainter& painter, const QPainterPath& path, qreal lineWidth,
                       const ChartShadow& shadow) {
    const QPainterPath moved = path.translated(offsetOf(shadow));
    painter.save();
    painter.setCompositionMode(QPainter::CompositionMode_SourceOver);
    painter.setBrush(Qt::NoBrush);
    if (shadow.blur > 0.0f)
        painter.strokePath(moved, QPen(rimColour(shadow), lineWidth + shadow.blur));
    painter.strokePath(moved, QPen(shadow.colour, lineWidth));
    painter.restore();
}

void paintShadowText(QPainter& painter, QPointF baseline, const QString& text, const QFont& font,
                     const ChartShadow& shadow) {
    painter.save();
    painter.setFont(font);
    painter.setPen(shadow.colour);
    painter.drawText(baseline + offsetOf(shadow), text);
    painter.restore();
}

} // namespace mapolt
