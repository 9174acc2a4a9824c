#include "app/screenshot.h"

#include "app/app_contol.h"
#include "app/chart_window_controller.h"

#include <QApplication>
#include <QPixmap>

namespace mapolt {

bool writeScreenshot(AppContol& app, const QString& path, QString& error) {
    ChartWindowController* window = app.front();
    if (window == nullptr) {
        error = QStringLiteral("there is no window to show");
        return false;
    }
    window->resize(1400, 900);
    window->show();
    // Layout and the deferred first paint happen in the event loop.
    for (int i = 0; i < 5; ++i)
        QApplication::processEvents();
    const QPixmap picture = window->grab();
    if (!picture.save(path, "PNG")) {
        error = QStringLiteral("cannot write the image \"%1\"").arg(path);
        return false;
    }
    return true;
}

} // namespace mapolt
