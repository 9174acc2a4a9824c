#pragma once

#include "chart/preview_thumb.h"

#include <QPointF>
#include <QSizeF>

#include <filesystem>
#include <memory>
#include <vector>

class QPainter;

namespace mapolt {

// The strip of the new-document window that shows the three preset thumbnails and lets
// the user choose one. Its coordinates have the origin at the bottom left.
class PreviewView {
  public:
    static constexpr double kWidth = 555.0;
    static constexpr double kHeight = 252.0;

    explicit PreviewView(const std::filesystem::path& directory = resourceDirectory());

    // 0, 1 or 2: Clean, School, Autumn.
    int getSelect() const { return selected_; }
    // A click at `at`; inside a thumbnail it chooses that one. True when the choice changed.
    bool mouseDown(QPointF at);
    // Draws into a device of kWidth by kHeight whose y axis points down.
    void draw(QPainter& painter) const;

  private:
    std::vector<std::unique_ptr<PreviewThumb>> thumbs_;
    int selected_ = 0;
};

} // namespace mapolt
