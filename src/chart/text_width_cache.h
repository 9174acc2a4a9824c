#pragma once

#include "chart/font_keyed_cache.h"

namespace mapolt {

// Label widths measured once per font and text. Shaping a label costs far more than drawing
// it, and a scroll or a zoom step draws the same labels again.
class TextWidthCache {
  public:
    float width(const QString& text, const QFont& font);

  private:
    FontKeyedCache<float> widths_;
};

} // namespace mapolt
