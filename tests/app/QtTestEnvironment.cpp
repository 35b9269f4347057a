// SPDX-License-Identifier: MIT
// One QApplication for the whole test program, made before the first test.
#include <QApplication>

#include <gtest/gtest.h>

#include <memory>

namespace {

struct QtTestEnvironment final : ::testing::Environment {
    void SetUp() override {
        static int argc = 1;
        static char name[] = "app_tests";
        static char* argv[] = {name, nullptr};
        app = std::make_unique<QApplication>(argc, argv);
        QApplication::setQuitOnLastWindowClosed(false);
    }
    void TearDown() override { app.reset(); }
    std::unique_ptr<QApplication> app;
};

// gtest takes ownership of the environment.
[[maybe_unused]] ::testing::Environment* const g_environment =
    ::testing::AddGlobalTestEnvironment(new QtTestEnvironment);  // NOLINT

}  // namespace
