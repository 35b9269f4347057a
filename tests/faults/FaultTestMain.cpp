// SPDX-License-Identifier: MIT
// The application's widgets need one QApplication, made before any test runs.
#include <QApplication>

#include <gtest/gtest.h>

#include <ctime>

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    // The demo season and the application read calendar days in the
    // process's time zone: the simulated days are UTC days.
    qputenv("TZ", "UTC");
    tzset();
    QApplication app(argc, argv);
    QApplication::setQuitOnLastWindowClosed(false);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
