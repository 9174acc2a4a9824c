#include <QApplication>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <clocale>
#include <cstdlib>

// The window tests run offscreen with settings and data folders of their own, so they never
// read or change the user's preferences, recent files or recovery copies.
int main(int argc, char** argv) {
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    QTemporaryDir home;
    setenv("XDG_CONFIG_HOME", (home.path() + "/config").toLocal8Bit().constData(), 1);
    setenv("XDG_DATA_HOME", (home.path() + "/data").toLocal8Bit().constData(), 1);
    ::testing::InitGoogleTest(&argc, argv);
    QApplication app(argc, argv);
    QApplication::setOrganizationName(QStringLiteral("Mapolt"));
    QApplication::setApplicationName(QStringLiteral("Mapolt"));
    std::setlocale(LC_ALL, "en_US.UTF-8");
    return RUN_ALL_TESTS();
}
