#include "app/app_contol.h"
#include "app/qt_alert_presenter.h"
#include "app/screenshot.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QDir>
#include <QFileInfo>
#include <QIcon>

#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

// Installed, the resources lie in share/mapolt beside the program's bin folder.
void findInstalledResources(const char* argv0) {
    if (std::getenv("MAPOLT_RESOURCES") != nullptr)
        return;
    const QFileInfo program(QString::fromLocal8Bit(argv0));
    const QString installed =
        QDir(program.absolutePath()).absoluteFilePath(QStringLiteral("../share/mapolt"));
    if (QFileInfo(installed + QStringLiteral("/clean.zqstyle")).exists())
        setenv("MAPOLT_RESOURCES", QDir::cleanPath(installed).toLocal8Bit().constData(), 0);
}

bool wantsScreenshot(int argc, char** argv) {
    for (int i = 1; i < argc; ++i)
        if (std::strcmp(argv[i], "--screenshot") == 0)
            return true;
    return false;
}

} // namespace

int main(int argc, char** argv) {
    findInstalledResources(argv[0]);
    // A screenshot is laid out offscreen, display or not.
    if (wantsScreenshot(argc, argv))
        setenv("QT_QPA_PLATFORM", "offscreen", 1);
    QApplication application(argc, argv);
    QApplication::setOrganizationName(QStringLiteral("Mapolt"));
    QApplication::setApplicationName(QStringLiteral("Mapolt"));
    QApplication::setApplicationVersion(QStringLiteral("0.1"));
    QApplication::setDesktopFileName(QStringLiteral("io.github.mapolt.Mapolt"));

    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral("Mapolt, a project planner"));
    parser.addHelpOption();
    parser.addVersionOption();
    const QCommandLineOption screenshot(
        QStringLiteral("screenshot"),
        QStringLiteral("Write the window, laid out at 1400 x 900, to OUT.png and quit."),
        QStringLiteral("OUT.png"));
    parser.addOption(screenshot);
    parser.addPositionalArgument(QStringLiteral("files"), QStringLiteral("Plan files to open."),
                                 QStringLiteral("[FILE...]"));
    parser.process(application);

    mapolt::AppContol app;
    QApplication::setWindowIcon(QIcon::fromTheme(QStringLiteral("io.github.mapolt.Mapolt"),
                                                 QIcon(QStringLiteral(":/icons/mapolt.svg"))));
    if (parser.isSet(screenshot)) {
        // Nobody sees an offscreen dialog: alerts go to standard error, answered "no".
        mapolt::QtAlertPresenter::setScript([](const mapolt::Alert& alert) {
            std::fprintf(stderr, "mapolt: %s\n", alert.message.c_str());
            return static_cast<int>(alert.buttons.size()) - 1;
        });
        const QStringList files = parser.positionalArguments();
        if (files.isEmpty())
            app.newDocument(0);
        for (const QString& f : files)
            app.openDocument(f);
        QString error;
        if (!mapolt::writeScreenshot(app, parser.value(screenshot), error)) {
            std::fprintf(stderr, "mapolt: %s\n", error.toLocal8Bit().constData());
            return 1;
        }
        return 0;
    }
    app.start(parser.positionalArguments());
    return QApplication::exec();
}
