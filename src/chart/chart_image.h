#pragma once

#include <QImage>

namespace mapolt {

class BaseProjectView;

// The width of the whole chart: the latest end with its right label, 100 pixels to spare,
// and the columns left of the project start.
float chartWidth(BaseProjectView& view);

// Rows first <= i < last of the chart under its ruler, as an image at 72 dots per inch.
QImage renderChartImage(BaseProjectView& view, int firstRow, int lastRow);

// The largest picture Qt's raster engine draws reliably, in pixels per side.
inline constexpr int kMaxImageSide = 32767;

// The height of `rows` rows of `rowHeight` under the ruler. It needs only the outline and the
// style, so a chart too tall for one image is known before anything is scheduled.
float chartImageHeight(int rows, float rowHeight);

// A blank image at 72 dots per inch, so that a point of the style is a pixel.
QImage makeChartImage(int width, int height);

} // namespace mapolt
