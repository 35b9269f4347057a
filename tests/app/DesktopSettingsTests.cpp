// SPDX-License-Identifier: MIT
#include "app/DesktopSettings.hpp"
#include "platform/Preferences.hpp"

#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <cstdlib>

using namespace fixtora;

namespace {

/// Sets an environment variable for one test.
class ScopedEnv {
  public:
    ScopedEnv(const char* name, const QByteArray& value)
        : m_name(name), m_old(qgetenv(name)), m_had(qEnvironmentVariableIsSet(name)) {
        qputenv(name, value);
    }
    ~ScopedEnv() {
        if (m_had)
            qputenv(m_name, m_old);
        else
            qunsetenv(m_name);
    }

  private:
    const char* m_name;
    QByteArray m_old;
    bool m_had;
};

TEST(AutostartTest, WritesAndRemovesTheEntryWhereXdgSays) {
    QTemporaryDir dir;
    ScopedEnv home("HOME", dir.path().toUtf8());
    {
        // A relative XDG_CONFIG_HOME is ignored, as the base-directory rules say.
        ScopedEnv xdg("XDG_CONFIG_HOME", "relative/config");
        EXPECT_EQ(Autostart::defaultEntryPath(),
                  std::filesystem::path(dir.path().toStdString()) /
                      ".config/autostart/com.fixtora.Fixtora.desktop");
    }
    ScopedEnv xdg("XDG_CONFIG_HOME", (dir.path() + "/cfg").toUtf8());
    Autostart autostart(Autostart::defaultEntryPath(),
                        QStringLiteral("/opt/my apps/fix$tora 100%"));
    EXPECT_EQ(autostart.entryPath().parent_path(),
              std::filesystem::path(dir.path().toStdString()) / "cfg/autostart");
    EXPECT_FALSE(autostart.isEnabled());
    ASSERT_TRUE(autostart.setEnabled(true));
    ASSERT_TRUE(autostart.isEnabled());
    QFile file(QString::fromStdString(autostart.entryPath().string()));
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QString text = QString::fromUtf8(file.readAll());
    EXPECT_TRUE(text.startsWith(QStringLiteral("[Desktop Entry]\nType=Application\n")));
    EXPECT_TRUE(text.contains(QStringLiteral("\nExec=\"/opt/my apps/fix\\\\$tora 100%%\"\n")))
        << qPrintable(text);
    ASSERT_TRUE(autostart.setEnabled(false));
    EXPECT_FALSE(autostart.isEnabled());
    EXPECT_TRUE(autostart.setEnabled(false));  // already off
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
