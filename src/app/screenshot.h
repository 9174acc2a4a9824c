#pragma once

#include <QString>

namespace mapolt {

class AppContol;

// Lays the front window out at 1400 x 900, lets it draw, and writes it to `path` as a PNG;
// false with `error` when there is no window or the image cannot be written.
bool writeScreenshot(AppContol& app, const QString& path, QString& error);

} // namespace mapolt
