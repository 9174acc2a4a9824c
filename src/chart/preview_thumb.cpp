#include "chart/preview_thumb.h"

#include "chart/chart_style.h"
#include "chart/shadow_painter.h"
#include "model/diagnostic_log.h"
#include "model/entities.h"

#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>

#include <array>

namespace mapolt {

namespace {

struct ThumbBar {
    float x, y, width;
    bool summary;
};

constexpr std::array<ThumbBar, 8> kBars = {{{45, 114, 45, true},
                                            {45, 98, 38, false},
                                            {73, 86, 19, false},
                                            {77, 78, 35, true},
                                            {77, 62, 16, false},
                                            {93, 50, 19, false},
                                            {45, 38, 12, false},
                                            {57, 26, 16, false}}};
constexpr float kBarHeight = 7.0f;

// Text stays upright although the thumbnail's y axis points up.
void drawUprightText(QPainter& painter, QPointF at, const QString& text, const QFont& font) {
    painter.save();
    painter.translate(at);
    painter.scale(1, -1);
    painter.setFont(font);
    painter.drawText(QPointF(0, 0), text);
    painter.restore();
}

void line(QPainter& painter, qreal x1, qreal y1, qreal x2, qreal y2) {
    painter.drawLine(QPointF(x1, y1), QPointF(x2, y2));
}

} // namespace

PreviewThumb::PreviewThumb(std::string_view resourceName, const std::filesystem::path& directory)
    : project_(store_.insert<Project>()) {
    const PresetStyle* preset = presetForResource(resourceName);
    loaded_ = preset != nullptr && applyPresetStyle(*project_, *preset, directory);
    if (!loaded_)
        logDiagnostic("JSON root is null");
}

const Style* PreviewThumb::style() const {
    return loaded_ ? project_->style() : nullptr;
}

void PreviewThumb::draw(QPainter& painter, const QString& displayName) const {
    const ChartStyle s(style());
    const QColor none(0, 0, 0, 0);
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing, true);

    QPainterPath background;
    background.addRect(QRectF(0.5, 25.5, 120, 106));
    paintShadowFill(painter, background, ChartShadow{4, 4, 6, greyColour(0.5f, 0.1f)});
    painter.fillPath(background, s.colour(ColourSlot::Background, none));

    painter.setPen(QPen(s.colour(ColourSlot::Grid, none), 0.5));
    painter.setBrush(Qt::NoBrush);
    painter.drawPath(background);
    line(painter, 0.5, 118.5, 120.5, 118.5);
    line(painter, 43.5, 25.5, 43.5, 130.5);

    painter.setPen(QPen(s.colour(ColourSlot::Vertical, none), 1.0));
    for (int k = 0; k <= 6; ++k)
        line(painter, 0.5, 106.5 - 12 * k, 43.5, 106.5 - 12 * k);

    painter.setPen(QPen(QColor(0, 0, 0), 1.0));
    for (int k = 0; k <= 7; ++k)
        line(painter, 5.5, 112 - 12 * k, 30.5, 112 - 12 * k);
    line(painter, 5.5, 124, 35.5, 124);
    for (int k = 0; k <= 14; ++k)
        line(painter, 46.5 + 5 * k, 124, 48.5 + 5 * k, 124);

    const bool rounded = s.flag(&Style::barRounded);
    const bool gradient = s.flag(&Style::taskGradient);
    for (const ThumbBar& bar : kBars) {
        const QColor colour =
            s.colour(bar.summary ? ColourSlot::SuperTask : ColourSlot::Task, none);
        const QRectF r(bar.x, bar.y, bar.width, kBarHeight);
        QPainterPath path;
        if (rounded)
            path.addRoundedRect(r, 2, 2);
        else
            path.addRect(r);
        if (s.flag(&Style::barShadow))
            paintShadowFill(painter, path, ChartShadow{2, 2, 2, QColor(0, 0, 0, 77)});
        if (gradient) {
            // y points up here: the top of the bar is its larger y.
            QLinearGradient fill(r.bottomLeft(), r.topLeft());
            fill.setColorAt(0.0, blendedTowardsWhite(colour, 0.7f));
            fill.setColorAt(1.0, blendedTowardsWhite(colour, 0.2f));
            painter.fillPath(path, fill);
        } else {
            painter.fillPath(path, blendedTowardsWhite(colour, 0.5f));
        }
        if (s.flag(&Style::barOutline))
            painter.strokePath(path, QPen(colour, 1.0));
    }

    const StyleElement* labels = s.taskLabels();
    painter.setPen(QColor(0, 0, 0));
    drawUprightText(painter, QPointF(40, 0), displayName, ChartStyle::fontOf(labels, 15.0));
    painter.restore();
}

} // namespace mapolt
