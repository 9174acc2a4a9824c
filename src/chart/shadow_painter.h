#pragma once

#include "chart/chart_style.h"

#include <QFont>
#include <QPainterPath>
#include <QPointF>
#include <QString>

class QPainter;

namespace mapolt {

// Qt's painter casts no shadows, so a shadow is the shape painted once more, offset, in the
// shadow colour; a blur widens it with a fainter rim of the blur radius.
void paintShadowFill(QPainter& painter, const QPainterPath& path, const ChartShadow& shadow);
void paintShadowStroke(QPainter& painter, const QPainterPath& path, qreal lineWidth,
                       const ChartShadow& shadow);
void paintShadowText(QPainter& painter, QPointF baseline, const QString& text, const QFont& font,
                     const ChartShadow& shadow);

} // namespace mapolt
