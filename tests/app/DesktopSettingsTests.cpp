// SPDX-License-Identifier: MIT
#include "app/DesktopSettings.hpp"
#include "platform/Preferences.hpp"
#include "support/TempDir.hpp"

#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace fixtora;

namespace {

/// Sets an environment variable for one test.
struct ScopedEnv {
    ScopedEnv(const char* key, const QByteArray& value) : name(key), old(qgetenv(key)) {
        qputenv(name, value);
    }
    ~ScopedEnv() { had ? qputenv(name, old) : qunsetenv(name); }
    const char* name;
    QByteArray old;
    bool had = qEnvironmentVariableIsSet(name);
};

TEST(AutostartTest, WritesAndRemovesTheEntryWhereXdgSays) {
    QTemporaryDir dir;
    ScopedEnv home("HOME", dir.path().toUtf8());
    const std::filesystem::path root(dir.path().toStdString());
    {
        // A relative XDG_CONFIG_HOME is ignored, as the base-directory rules say.
        ScopedEnv xdg("XDG_CONFIG_HOME", "relative/config");
        EXPECT_EQ(Autostart::defaultEntryPath(),
                  root / ".config/autostart/com.fixtora.Fixtora.desktop");
    }
    ScopedEnv xdg("XDG_CONFIG_HOME", (dir.path() + "/cfg").toUtf8());
    Autostart autostart(Autostart::defaultEntryPath(),
                        QStringLiteral("/opt/my apps/fix$tora 100%"));
    EXPECT_EQ(autostart.entryPath().parent_path(), root / "cfg/autostart");
    ASSERT_TRUE(!autostart.isEnabled() && autostart.setEnabled(true) && autostart.isEnabled());
    const QString text = QString::fromStdString(test::readFile(autostart.entryPath()));
    EXPECT_TRUE(text.startsWith(QStringLiteral("[Desktop Entry]\nType=Application\n")) &&
                text.contains(QStringLiteral("\nExec=\"/opt/my apps/fix\\\\$tora 100%%\"\n")))
        << qPrintable(text);
    // Off, and off again when already off.
    EXPECT_TRUE(autostart.setEnabled(false) && !autostart.isEnabled() &&
                autostart.setEnabled(false));
}

TEST(UsageSharingTest, OnUnlessChosenOffOrTheEnvironmentAsksNotToBeTracked) {
    InMemoryPreferences preferences;
    EXPECT_TRUE(UsageSharing::isEnabled(preferences, nullptr));
    EXPECT_TRUE(UsageSharing::isEnabled(preferences, "0"));
    EXPECT_FALSE(UsageSharing::isEnabled(preferences, "1"));
    UsageSharing::setEnabled(preferences, true);  // the user's choice wins
    EXPECT_TRUE(UsageSharing::isEnabled(preferences, "1"));
    UsageSharing::setEnabled(preferences, false);
    EXPECT_FALSE(UsageSharing::isEnabled(preferences, nullptr));
}

}  // namespace
