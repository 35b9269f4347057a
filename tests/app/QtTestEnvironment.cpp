// SPDX-License-Identifier: MIT
// One QApplication for the whole test program, made before the first test.
#include <QApplication>

#include <gtest/gtest.h>

#include <memory>

namespace {

class QtTestEnvironment final : public ::testing::Environment {
public:
    void SetUp() override {
        static int argc = 1;
        static char name[] = "app_tests";
        static char* argv[] = {name, nullptr};
        m_app = std::make_unique<QApplication>(argc, argv);
        QApplication::setQuitOnLastWindowClosed(false);
    }
    void TearDown() override { m_app.reset(); }

private:
    std::unique_ptr<QApplication> m_app;
};

// gtest takes ownership of the environment.
[[maybe_unused]] ::testing::Environment* const g_environment =
    ::testing::AddGlobalTestEnvironment(new QtTestEnvironment);  // NOLINT

}  // namespace
