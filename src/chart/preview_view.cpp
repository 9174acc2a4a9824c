#include "chart/preview_view.h"

#include "chart/chart_style.h"

#include <QLinearGradient>
#include <QPainter>
#include <QRectF>

#include <array>

namespace mapolt {

namespace {

constexpr std::array<double, 3> kThumbX = {30, 200, 370};
constexpr double kThumbY = 50;

} // namespace

PreviewView::PreviewView(const std::filesystem::path& directory) {
    for (const PresetStyle& preset : presetStyles())
        thumbs_.push_back(std::make_unique<PreviewThumb>(preset.resourceName, directory));
}

bool PreviewView::mouseDown(QPointF at) {
    for (int i = 0; i < 3; ++i) {
        if (QRectF(kThumbX[static_cast<std::size_t>(i)], 76, 125, 110).contains(at)) {
            const bool changed = selected_ != i;
            selected_ = i;
            return changed;
        }
    }
    return false;
}

void PreviewView::draw(QPainter& painter) const {
    painter.save();
    painter.translate(0, kHeight);
    painter.scale(1, -1);
    painter.fillRect(QRectF(0, 0, kWidth, kHeight), QColor(255, 255, 255));
    QLinearGradient header(QPointF(0, 252), QPointF(0, 222));
    header.setColorAt(0.0, QColor(255, 255, 255));
    header.setColorAt(1.0, blendedTowardsWhite(greyColour(0.667f), 0.71f));
    painter.fillRect(QRectF(0, 222, kWidth, 30), header);
    for (std::size_t i = 0; i < thumbs_.size(); ++i) {
        painter.save();
        painter.translate(kThumbX[i], kThumbY);
        thumbs_[i]->draw(painter, QString::fromUtf8(presetStyles()[i].displayName.data(),
                                                    static_cast<qsizetype>(
                                                        presetStyles()[i].displayName.size())));
        painter.restore();
    }
    painter.setRenderHint(QPainter::Antialiasing, true);
    painter.setPen(QPen(QColor(0, 0, 255), 0.5));
    painter.setBrush(Qt::NoBrush);
    painter.drawRect(QRectF(kThumbX[static_cast<std::size_t>(selected_)] - 3, 43, 130, 143));
    painter.restore();
}

} // namespace mapolt
