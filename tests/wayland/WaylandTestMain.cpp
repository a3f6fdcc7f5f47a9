// The Wayland tests' entry point: one QApplication on the Wayland compositor that
// tests/wayland/under-weston.sh started, the settings in a folder of their own, then
// GoogleTest. Anywhere else it refuses to run, so that a test never passes on X11 or
// offscreen in Wayland's name.
#include <gtest/gtest.h>

#include <QApplication>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <cstdio>

int main(int argc, char** argv) {
    QTemporaryDir config;
    qputenv("XDG_CONFIG_HOME", config.path().toLocal8Bit());
    QStandardPaths::setTestModeEnabled(true);
    QApplication app(argc, argv);
    if (!QGuiApplication::platformName().startsWith(QLatin1String("wayland"))) {
        std::fprintf(stderr,
                     "these tests need a Wayland compositor (QT_QPA_PLATFORM=wayland), "
                     "not the platform \"%s\"\n",
                     qPrintable(QGuiApplication::platformName()));
        return 1;
    }
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
