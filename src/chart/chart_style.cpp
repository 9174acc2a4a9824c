#include "chart/chart_style.h"

#include <QFontMetricsF>
#include <QImage>
#include <QPainter>

#include <algorithm>

namespace mapolt {

namespace {

constexpr float kShadowAlpha = 0.3f;
constexpr double kFallbackFontSize = 11.0;
// 72 dots per inch in dots per metre.
constexpr int kPointsPerMetre = 2835;

int channel(float v) {
    return static_cast<int>(std::clamp(v, 0.0f, 1.0f) * 255.0f + 0.5f);
}

} // namespace

QColor qColourOf(const Colour* colour, QColor fallback) {
    if (colour == nullptr)
        return fallback;
    QColor c;
    c.setRgbF(std::clamp(colour->red(), 0.0f, 1.0f), std::clamp(colour->green(), 0.0f, 1.0f),
              std::clamp(colour->blue(), 0.0f, 1.0f),
              colour->alpha.absent() ? 1.0f : std::clamp(colour->alpha(), 0.0f, 1.0f));
    return c;
}

QColor greyColour(float white, float alpha) {
    return QColor(channel(white), channel(white), channel(white), channel(alpha));
}

QColor blendedTowardsWhite(const QColor& colour, float fraction) {
    const auto mix = [fraction](float c) { return c * (1.0f - fraction) + fraction; };
    QColor out;
    out.setRgbF(mix(colour.redF()), mix(colour.greenF()), mix(colour.blueF()),
                mix(colour.alphaF()));
    return out;
}

QString qText(const std::string& text) {
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

QPaintDevice& measuringDevice() {
    static QImage device = [] {
        QImage image(1, 1, QImage::Format_ARGB32_Premultiplied);
        image.setDotsPerMeterX(kPointsPerMetre);
        image.setDotsPerMeterY(kPointsPerMetre);
        return image;
    }();
    return device;
}

float textWidth(const QString& text, const QFont& font) {
    return static_cast<float>(QFontMetricsF(font, &measuringDevice()).horizontalAdvance(text));
}

float fontAscent(const QFont& font) {
    return static_cast<float>(QFontMetricsF(font, &measuringDevice()).ascent());
}

bool ChartStyle::flag(Attribute<bool> Style::*member) const {
    return style_ != nullptr && (style_->*member)();
}

int ChartStyle::resourceCol() const {
    return style_ != nullptr ? style_->resourceCol() : 0;
}

float ChartStyle::coverOpacity() const {
    return style_ != nullptr ? style_->coverOpacity() : 0.0f;
}

QColor ChartStyle::colour(ColourSlot slot, QColor fallback) const {
    if (style_ == nullptr || style_->colours() == nullptr)
        return fallback;
    return qColourOf((style_->colours()->*colourSlot(slot).member)(), fallback);
}

float ChartStyle::marginLeft() const {
    return style_ != nullptr && style_->margins() != nullptr ? style_->margins()->left() : 0.0f;
}

float ChartStyle::marginRight() const {
    return style_ != nullptr && style_->margins() != nullptr ? style_->margins()->right() : 0.0f;
}

const StyleElement* ChartStyle::taskList() const {
    return style_ != nullptr ? style_->taskList() : nullptr;
}
const StyleElement* ChartStyle::taskLabels() const {
    return style_ != nullptr ? style_->taskLabels() : nullptr;
}
const StyleElement* ChartStyle::resourceLabels() const {
    return style_ != nullptr ? style_->resourceLabels() : nullptr;
}
const StyleElement* ChartStyle::milestoneLabels() const {
    return style_ != nullptr ? style_->milestoneLabels() : nullptr;
}

int ChartStyle::positionOf(const StyleElement* element) {
    return element != nullptr ? element->position() : 0;
}

QFont ChartStyle::fontOf(const StyleElement* element, double size) {
    QFont font;
    if (element != nullptr && !element->font().empty())
        font.setFamily(qText(element->font()));
    double points = size;
    if (points <= 0.0)
        points = element != nullptr && element->size() > 0.0 ? element->size() : kFallbackFontSize;
    font.setPointSizeF(points);
    font.setBold(element != nullptr && element->bold());
    return font;
}

ChartShadow ChartStyle::shadow(bool mono) const {
    ChartShadow s;
    const StyleShadow* st = style_ != nullptr ? style_->shadowStyle() : nullptr;
    if (st != nullptr) {
        s.x = st->x();
        s.y = st->y();
        s.blur = st->blur();
    }
    QColor c = mono ? greyColour(0.9f) : qColourOf(st != nullptr ? st->colour() : nullptr);
    c.setAlphaF(kShadowAlpha);
    s.colour = c;
    return s;
}

void ChartStyle::fillBackground(QPainter& painter, const QRectF& rect) const {
    painter.save();
    painter.setCompositionMode(QPainter::CompositionMode_Source);
    painter.fillRect(rect, colour(ColourSlot::Background, QColor(255, 255, 255)));
    painter.restore();
}

} // namespace mapolt
