// SPDX-License-Identifier: MIT
// The StatusNotifierItem as a panel sees it, on a private session bus (the
// app_tests_dbus test runs this program under dbus-run-session). A stand-in
// watcher plays the panel on a second bus connection.
#include "platform/linux/SniStatusItem.hpp"
#include "platform/linux/SniTypes.hpp"

#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDBusObjectPath>
#include <QDBusVariant>
#include <QSignalSpy>
#include <QTest>

#include <gtest/gtest.h>

using namespace fixtora;

namespace {

const QString kPanel = QStringLiteral("stand-in-panel");
const QString kItemIface = QStringLiteral("org.kde.StatusNotifierItem");

}  // namespace

/// Records registrations, as the panel's watcher would.
class StandInWatcher final : public QObject {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.kde.StatusNotifierWatcher")
    Q_PROPERTY(bool IsStatusNotifierHostRegistered READ isHostRegistered)
    Q_PROPERTY(int ProtocolVersion READ protocolVersion)
public:
    bool isHostRegistered() const { return true; }
    int protocolVersion() const { return 0; }

    QStringList registrations;
    QStringList labels;

public slots:
    void RegisterStatusNotifierItem(const QString& service) { registrations << service; }
    void RegisterStatusNotifierHost(const QString&) {}
    void onNewLabel(const QString& label, const QString&) { labels << label; }
};

namespace {

class SniStatusItemTest : public ::testing::Test {
protected:
    void SetUp() override {
        if (qgetenv("FIXTORA_PRIVATE_BUS") != "1")
            GTEST_SKIP() << "needs a private session bus: run through ctest (app_tests_dbus)";
        if (!QDBusConnection::sessionBus().isConnected()) GTEST_SKIP() << "no D-Bus session bus";
        m_panel = std::make_unique<QDBusConnection>(QDBusConnection::connectToBus(QDBusConnection::SessionBus, kPanel));
        ASSERT_TRUE(m_panel->isConnected());
        startWatcher();
    }
    void TearDown() override {
        m_item.reset();
        if (m_panel) {
            stopWatcher();
            m_panel.reset();
            QDBusConnection::disconnectFromBus(kPanel);
        }
    }

    void startWatcher() {
        ASSERT_TRUE(m_panel->registerObject(SniStatusItem::kWatcherPath, &m_watcher, QDBusConnection::ExportAllContents));
        ASSERT_TRUE(m_panel->registerService(SniStatusItem::kWatcherService));
    }
    void stopWatcher() {
        m_panel->unregisterService(SniStatusItem::kWatcherService);
        m_panel->unregisterObject(SniStatusItem::kWatcherPath);
    }

    void createItem() {
        m_item = std::make_unique<SniStatusItem>([this] {
            ++m_menuBuilds;
            MenuEntries entries;
            entries.push_back(MenuEntry{MenuEntry::Kind::Action, QStringLiteral("Fixtora v1.0"), false, {}, {}});
            entries.push_back(MenuEntry::separator());
            entries.push_back(MenuEntry{MenuEntry::Kind::Action, QStringLiteral("Quit_Fixtora"), true,
                                        QKeySequence(Qt::CTRL | Qt::Key_Q), [this] { ++m_quits; }});
            return entries;
        });
        ASSERT_TRUE(QTest::qWaitFor([&] { return m_watcher.registrations.contains(m_item->serviceName()); }, 5000));
    }

    /// Calls the item like a panel does; the reply comes while our own event
    /// loop serves the item.
    QDBusMessage call(const QString& path, const QString& iface, const QString& method, const QVariantList& args) {
        QDBusMessage msg = QDBusMessage::createMethodCall(m_item->serviceName(), path, iface, method);
        msg.setArguments(args);
        return m_panel->call(msg, QDBus::BlockWithGui, 5000);
    }
    QVariant property(const QString& name) {
        const QDBusMessage reply = call(SniStatusItem::kItemPath, QStringLiteral("org.freedesktop.DBus.Properties"),
                                        QStringLiteral("Get"), {kItemIface, name});
        EXPECT_EQ(reply.type(), QDBusMessage::ReplyMessage) << qPrintable(reply.errorMessage());
        if (reply.arguments().isEmpty()) return {};
        return reply.arguments().at(0).value<QDBusVariant>().variant();
    }

    std::unique_ptr<QDBusConnection> m_panel;
    StandInWatcher m_watcher;
    std::unique_ptr<SniStatusItem> m_item;
    int m_menuBuilds = 0;
    int m_quits = 0;
};

TEST_F(SniStatusItemTest, RegistersAndCarriesTheTitleInLabelAndTooltip) {
    createItem();
    EXPECT_TRUE(m_item->serviceName().startsWith(QStringLiteral("org.kde.StatusNotifierItem-")));
    ASSERT_TRUE(m_panel->connect(m_item->serviceName(), SniStatusItem::kItemPath, kItemIface,
                                 QStringLiteral("XAyatanaNewLabel"), &m_watcher,
                                 SLOT(onNewLabel(QString, QString))));

    const QString title = QString::fromUtf8("ARS 2\u20131 CHE  67'");
    m_item->setTitle(title);
    EXPECT_EQ(property(QStringLiteral("XAyatanaLabel")).toString(), title);
    SniToolTip tip;
    property(QStringLiteral("ToolTip")).value<QDBusArgument>() >> tip;
    EXPECT_EQ(tip.title, QStringLiteral("Fixtora"));
    EXPECT_EQ(tip.description, title);
    EXPECT_TRUE(QTest::qWaitFor([&] { return m_watcher.labels.contains(title); }, 5000));

    EXPECT_EQ(property(QStringLiteral("Status")).toString(), QStringLiteral("Active"));
    EXPECT_FALSE(property(QStringLiteral("ItemIsMenu")).toBool());
    EXPECT_EQ(property(QStringLiteral("Menu")).value<QDBusObjectPath>().path(), QString(SniStatusItem::kMenuPath));
    SniPixmaps pixmaps;
    property(QStringLiteral("IconPixmap")).value<QDBusArgument>() >> pixmaps;
    ASSERT_FALSE(pixmaps.isEmpty());
    for (const auto& p : pixmaps) EXPECT_EQ(p.argb.size(), p.width * p.height * 4);
}

TEST_F(SniStatusItemTest, PanelActionsBecomeClicksAtThePanelsPosition) {
    createItem();
    QSignalSpy primary(m_item.get(), &StatusItem::primaryClicked);
    QSignalSpy secondary(m_item.get(), &StatusItem::secondaryClicked);
    call(SniStatusItem::kItemPath, kItemIface, QStringLiteral("Activate"), {1500, 12});
    call(SniStatusItem::kItemPath, kItemIface, QStringLiteral("ContextMenu"), {1500, 12});
    call(SniStatusItem::kItemPath, kItemIface, QStringLiteral("SecondaryActivate"), {0, 0});
    ASSERT_EQ(primary.count(), 1);
    EXPECT_EQ(primary[0][0].toPoint(), QPoint(1500, 12));
    // A middle click does nothing: no second, Qt-drawn menu.
    ASSERT_EQ(secondary.count(), 1);
    call(SniStatusItem::kItemPath, kItemIface, QStringLiteral("ContextMenu"), {0, 0});
    ASSERT_EQ(secondary.count(), 2);
    // (0, 0): the panel did not say where; the item's place is unknown.
    EXPECT_TRUE(secondary[1][0].toPoint().isNull());
    EXPECT_TRUE(m_item->anchorRect().isEmpty());
    call(SniStatusItem::kItemPath, kItemIface, QStringLiteral("Activate"), {1500, 12});
    EXPECT_TRUE(m_item->anchorRect().contains(QPoint(1500, 12)));
}

TEST_F(SniStatusItemTest, RegistersAgainWhenThePanelRestarts) {
    createItem();
    stopWatcher();
    m_watcher.registrations.clear();
    startWatcher();
    EXPECT_TRUE(QTest::qWaitFor([&] { return m_watcher.registrations.contains(m_item->serviceName()); }, 5000));
}

TEST_F(SniStatusItemTest, ExportedMenuIsRebuiltWhenShownAndRunsTheChosenEntry) {
    createItem();
    const QString menuIface = QStringLiteral("com.canonical.dbusmenu");
    const int buildsBefore = m_menuBuilds;
    call(SniStatusItem::kMenuPath, menuIface, QStringLiteral("AboutToShow"), {0});
    EXPECT_EQ(m_menuBuilds, buildsBefore + 1);

    const QDBusMessage reply =
        call(SniStatusItem::kMenuPath, menuIface, QStringLiteral("GetLayout"), {0, -1, QStringList{}});
    ASSERT_EQ(reply.type(), QDBusMessage::ReplyMessage) << qPrintable(reply.errorMessage());
    DBusMenuLayoutItem root;
    reply.arguments().at(1).value<QDBusArgument>() >> root;
    EXPECT_EQ(root.properties.value(QStringLiteral("children-display")).toString(), QStringLiteral("submenu"));
    ASSERT_EQ(root.children.size(), 3);
    EXPECT_EQ(root.children[0].properties.value(QStringLiteral("label")).toString(), QStringLiteral("Fixtora v1.0"));
    EXPECT_FALSE(root.children[0].properties.value(QStringLiteral("enabled")).toBool());
    EXPECT_EQ(root.children[1].properties.value(QStringLiteral("type")).toString(), QStringLiteral("separator"));
    // Underscores are mnemonics in dbusmenu: doubled to show as they are.
    EXPECT_EQ(root.children[2].properties.value(QStringLiteral("label")).toString(), QStringLiteral("Quit__Fixtora"));

    // Disabled entries do nothing; the chosen one runs after the call.
    call(SniStatusItem::kMenuPath, menuIface, QStringLiteral("Event"),
         {1, QStringLiteral("clicked"), QVariant::fromValue(QDBusVariant(QString())), 0u});
    call(SniStatusItem::kMenuPath, menuIface, QStringLiteral("Event"),
         {3, QStringLiteral("clicked"), QVariant::fromValue(QDBusVariant(QString())), 0u});
    EXPECT_TRUE(QTest::qWaitFor([&] { return m_quits == 1; }, 5000));
    const QDBusMessage bad = call(SniStatusItem::kMenuPath, menuIface, QStringLiteral("Event"),
                                  {42, QStringLiteral("clicked"), QVariant::fromValue(QDBusVariant(QString())), 0u});
    EXPECT_EQ(bad.type(), QDBusMessage::ErrorMessage);
    EXPECT_EQ(m_quits, 1);
}

}  // namespace

#include "SniStatusItemTests.moc"
