#include "chart/text_width_cache.h"

#include "chart/chart_style.h"

namespace mapolt {

float TextWidthCache::width(const QString& text, const QFont& font) {
    return widths_.get(text, font,
                       [](const QString& t, const QFont& f) { return textWidth(t, f); });
}

} // namespace mapolt
