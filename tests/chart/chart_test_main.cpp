#include <QGuiApplication>

#include <gtest/gtest.h>

#include <clocale>
#include <cstdlib>

// Qt draws text only with an application object; without a display it uses its offscreen
// platform, also when the test list is read at build time.
int main(int argc, char** argv) {
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    ::testing::InitGoogleTest(&argc, argv);
    QGuiApplication app(argc, argv);
    std::setlocale(LC_ALL, "en_US.UTF-8");
    return RUN_ALL_TESTS();
}
