// SPDX-License-Identifier: MIT
// The title on the session bus and the favourite's notifications, read and
// received by stand-ins on a private session bus (app_tests_dbus).
#include "app/DesktopFeeds.hpp"
#include "platform/Preferences.hpp"
#include "support/MatchBuilders.hpp"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QProcess>
#include <QTest>

#include <gtest/gtest.h>

using namespace fixtora;

/// Records what a notification server is asked to show.
class StandInNotifications final : public QObject {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.Notifications")
  public:
    QStringList calls;  // "<id replaced> <summary>"

  public slots:
    uint Notify(const QString&, uint replaces, const QString&, const QString& summary,
                const QString&, const QStringList&, const QVariantMap&, int) {
        calls << QString::number(replaces) + " " + summary;
        return 100 + static_cast<uint>(calls.size());
    }
};

namespace {

const QString kServer = QStringLiteral("stand-in-server");

class DesktopBusTest : public ::testing::Test {
  protected:
    void SetUp() override {
        if (qgetenv("FIXTORA_PRIVATE_BUS") != "1")
            GTEST_SKIP() << "needs a private session bus: run through ctest (app_tests_dbus)";
        m_server = std::make_unique<QDBusConnection>(
            QDBusConnection::connectToBus(QDBusConnection::SessionBus, kServer));
        ASSERT_TRUE(m_server->registerObject(DesktopNotifier::kPath, &m_notifications,
                                             QDBusConnection::ExportAllSlots));
        ASSERT_TRUE(m_server->registerService(DesktopNotifier::kService));
    }
    void TearDown() override {
        m_feeds.reset();
        if (!m_server) return;
        m_server->unregisterService(DesktopNotifier::kService);
        m_server.reset();
        QDBusConnection::disconnectFromBus(kServer);
    }

    /// Arsenal against Chelsea at the given status and score.
    void feed(const char* status, const char* home, const char* away) {
        const auto event = test::match("m1", test::at("2026-12-06T15:00:00Z"), status,
                                       {{"1", "ARS", "Arsenal", {}}, home},
                                       {{"2", "CHE", "Chelsea", {}}, away}, "55'");
        m_feeds->update({"\u26BD  title", {}, std::vector<ESPNEvent>{event}, m_favourite, 0});
    }
    std::shared_ptr<InMemoryPreferences> m_preferences = std::make_shared<InMemoryPreferences>();
    std::unique_ptr<QDBusConnection> m_server;
    StandInNotifications m_notifications;
    std::optional<ESPNTeam> m_favourite = ESPNTeam{"1", "ARS", "Arsenal", {}};
    std::unique_ptr<DesktopFeeds> m_feeds = std::make_unique<DesktopFeeds>(m_preferences);
};

TEST_F(DesktopBusTest, OneGoalIsOneNotificationAndTheMatchKeepsOneNotification) {
    feed("STATUS_FIRST_HALF", "0", "0");  // the first look: nothing
    feed("STATUS_FIRST_HALF", "1", "0");
    ASSERT_TRUE(QTest::qWaitFor([&] { return !m_notifications.calls.empty(); }, 5000));
    feed("STATUS_FIRST_HALF", "1", "0");
    // A second call, sent before this ping, would have arrived before its answer.
    const QDBusMessage ping = QDBusMessage::createMethodCall(
        DesktopNotifier::kService, DesktopNotifier::kPath,
        QStringLiteral("org.freedesktop.DBus.Peer"), QStringLiteral("Ping"));
    ASSERT_EQ(QDBusConnection::sessionBus().call(ping, QDBus::BlockWithGui, 5000).type(),
              QDBusMessage::ReplyMessage);
    EXPECT_EQ(m_notifications.calls, QStringList{QString::fromUtf8("0 Goal: ARS 1\u20130 CHE")});

    feed("STATUS_FULL_TIME", "1", "0");
    ASSERT_TRUE(QTest::qWaitFor([&] { return m_notifications.calls.size() == 2; }, 5000));
    EXPECT_TRUE(m_notifications.calls[1].startsWith("101 "));  // the goal's, replaced
}

TEST_F(DesktopBusTest, TheMenuItemSwitchesTheFavouritesNotificationsOff) {
    feed("STATUS_FIRST_HALF", "0", "0");
    MenuEntries entries = m_feeds->settingsEntries();
    ASSERT_EQ(entries.size(), 1u);
    EXPECT_EQ(entries[0].label + (entries[0].checked ? " on" : ""), "Notify me about Arsenal on");
    entries[0].trigger();
    EXPECT_FALSE(m_feeds->settingsEntries()[0].checked);
    feed("STATUS_FIRST_HALF", "1", "0");

    // Another favourite is notified again; no favourite, no item.
    m_favourite = ESPNTeam{"2", "CHE", "Chelsea", {}};
    feed("STATUS_FIRST_HALF", "1", "1");
    ASSERT_TRUE(QTest::qWaitFor([&] { return m_notifications.calls.size() == 1; }, 5000));
    EXPECT_EQ(m_notifications.calls[0], QString::fromUtf8("0 Goal: ARS 1\u20131 CHE"));
    m_favourite.reset();
    feed("STATUS_FIRST_HALF", "1", "1");
    EXPECT_TRUE(m_feeds->settingsEntries().empty());
}

TEST_F(DesktopBusTest, TheTitleToolFollowsTheAppAppearingChangingAndLeaving) {
    m_feeds.reset();
    QProcess tool;
    tool.start(QStringLiteral(FIXTORA_TITLE_TOOL),
               {QStringLiteral("--format"), QStringLiteral("waybar")});
    QStringList lines;
    const auto nextLine = [&] {
        EXPECT_TRUE(
            QTest::qWaitFor([&] { return tool.canReadLine() || tool.waitForReadyRead(10); }, 5000));
        return QString::fromUtf8(tool.readLine()).chopped(1);
    };
    EXPECT_EQ(nextLine(), QString());  // no app yet

    m_feeds = std::make_unique<DesktopFeeds>(m_preferences);
    feed("STATUS_FIRST_HALF", "1", "0");
    QString line = nextLine();
    if (line.contains(QStringLiteral("\"text\":\"\"")))
        line = nextLine();  // seen before the first update
    EXPECT_EQ(line, QString::fromUtf8("{\"class\":\"idle\",\"text\":\"\u26BD  "
                                      "title\",\"tooltip\":\"ARS 1\u20130 CHE  55'\"}"));

    m_feeds.reset();
    EXPECT_EQ(nextLine(), QString());  // the app has gone
    tool.kill();
    tool.waitForFinished();
}

}  // namespace

#include "DesktopBusTests.moc"
