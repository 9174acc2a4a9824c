#pragma once

#include <QImage>

#include <string_view>

namespace mapolt {

// The chart's small pictures ("warnDep", "warnDepMono", "right", "dep", "move", "percicn"),
// read once from the resource folder; a null image when the file is missing.
const QImage& chartImage(std::string_view name);

} // namespace mapolt
