// SPDX-License-Identifier: MIT
// The StatusNotifierItem as a panel sees it, on a private session bus (the
// app_tests_dbus test runs this program under dbus-run-session). A stand-in
// watcher plays the panel on a second bus connection.
#include "app/MenuBarController.hpp"
#include "platform/linux/SniStatusItem.hpp"
#include "platform/linux/SniTypes.hpp"
#include "platform/qt/NativeStatusItem.hpp"
#include "platform/qt/SwitchingStatusItem.hpp"
#include "support/SilentStatusItem.hpp"

#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDBusObjectPath>
#include <QDBusVariant>
#include <QSignalSpy>
#include <QTest>
#include <QWidget>

#include <gtest/gtest.h>

using namespace fixtora;

namespace {

const QString kPanel = QStringLiteral("stand-in-panel");
const QString kItemIface = QStringLiteral("org.kde.StatusNotifierItem");
const QString kMenuIface = QStringLiteral("com.canonical.dbusmenu");

}  // namespace

/// Records registrations, as the panel's watcher would.
class StandInWatcher final : public QObject {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.kde.StatusNotifierWatcher")
    Q_PROPERTY(bool IsStatusNotifierHostRegistered READ isHostRegistered)
    Q_PROPERTY(int ProtocolVersion READ protocolVersion)
  public:
    bool isHostRegistered() const {
        ++hostReads;
        return host;
    }
    int protocolVersion() const { return 0; }

    bool host = true;
    mutable int hostReads = 0;
    QStringList registrations;
    QStringList labels;

  public slots:
    void RegisterStatusNotifierItem(const QString& service) { registrations << service; }
    void RegisterStatusNotifierHost(const QString&) {}
    void onNewLabel(const QString& label, const QString&) { labels << label; }

  signals:
    void StatusNotifierHostRegistered();
    void StatusNotifierHostUnregistered();
};

namespace {

class SniStatusItemTest : public ::testing::Test {
  protected:
    void SetUp() override {
        if (qgetenv("FIXTORA_PRIVATE_BUS") != "1")
            GTEST_SKIP() << "needs a private session bus: run through ctest (app_tests_dbus)";
        if (!QDBusConnection::sessionBus().isConnected()) GTEST_SKIP() << "no D-Bus session bus";
        m_panel = std::make_unique<QDBusConnection>(
            QDBusConnection::connectToBus(QDBusConnection::SessionBus, kPanel));
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
        ASSERT_TRUE(m_panel->registerObject(SniStatusItem::kWatcherPath, &m_watcher,
                                            QDBusConnection::ExportAllContents));
        ASSERT_TRUE(m_panel->registerService(SniStatusItem::kWatcherService));
    }
    void stopWatcher() {
        m_panel->unregisterService(SniStatusItem::kWatcherService);
        m_panel->unregisterObject(SniStatusItem::kWatcherPath);
    }

    void createItem() {
        m_item = std::make_unique<SniStatusItem>([this] {
            ++m_menuBuilds;
            return MenuEntries{{MenuEntry::Kind::Action, "Fixtora v1.0", false, {}, {}},
                               MenuEntry::separator(),
                               {MenuEntry::Kind::Action, "Quit_Fixtora", true,
                                QKeySequence(Qt::CTRL | Qt::Key_Q), [this] { ++m_quits; }},
                               MenuEntry::check("Start at Login", true, {})};
        });
        m_service = m_item->serviceName();
        ASSERT_TRUE(
            QTest::qWaitFor([&] { return m_watcher.registrations.contains(m_service); }, 5000));
    }

    /// Calls the item like a panel does; the reply comes while our own event
    /// loop serves the item.
    QDBusMessage call(const QString& path, const QString& iface, const QString& method,
                      const QVariantList& args) {
        QDBusMessage msg = QDBusMessage::createMethodCall(m_service, path, iface, method);
        msg.setArguments(args);
        return m_panel->call(msg, QDBus::BlockWithGui, 5000);
    }
    QDBusMessage itemCall(const char* method, int x, int y) {
        return call(SniStatusItem::kItemPath, kItemIface, QString::fromLatin1(method), {x, y});
    }
    QVariant property(const char* name) {
        const QDBusMessage reply =
            call(SniStatusItem::kItemPath, QStringLiteral("org.freedesktop.DBus.Properties"),
                 QStringLiteral("Get"), {kItemIface, QString::fromLatin1(name)});
        EXPECT_EQ(reply.type(), QDBusMessage::ReplyMessage) << qPrintable(reply.errorMessage());
        if (reply.arguments().isEmpty()) return {};
        return reply.arguments().at(0).value<QDBusVariant>().variant();
    }
    /// The exported menu as a panel reads it before showing it.
    DBusMenuLayoutItem menuLayout() {
        call(SniStatusItem::kMenuPath, kMenuIface, QStringLiteral("AboutToShow"), {0});
        const QDBusMessage reply = call(SniStatusItem::kMenuPath, kMenuIface,
                                        QStringLiteral("GetLayout"), {0, -1, QStringList{}});
        EXPECT_EQ(reply.type(), QDBusMessage::ReplyMessage) << qPrintable(reply.errorMessage());
        DBusMenuLayoutItem root;
        if (reply.arguments().size() > 1) reply.arguments().at(1).value<QDBusArgument>() >> root;
        return root;
    }
    QDBusMessage clickMenu(int id) {
        return call(
            SniStatusItem::kMenuPath, kMenuIface, QStringLiteral("Event"),
            {id, QStringLiteral("clicked"), QVariant::fromValue(QDBusVariant(QString())), 0u});
    }

    std::unique_ptr<QDBusConnection> m_panel;
    StandInWatcher m_watcher;
    std::unique_ptr<SniStatusItem> m_item;
    QString m_service;  // of the item that call() talks to
    int m_menuBuilds = 0;
    int m_quits = 0;
};

TEST_F(SniStatusItemTest, CarriesTheTitleAndTurnsPanelActionsIntoClicksAtThePanelsPosition) {
    createItem();
    EXPECT_TRUE(m_service.startsWith(QStringLiteral("org.kde.StatusNotifierItem-")));
    ASSERT_TRUE(m_panel->connect(m_service, SniStatusItem::kItemPath, kItemIface,
                                 QStringLiteral("XAyatanaNewLabel"), &m_watcher,
                                 SLOT(onNewLabel(QString, QString))));
    // The panel draws the ball icon: the label drops the title's own.
    const QString label = QString::fromUtf8("ARS 2\u20131 CHE  67'");
    const QString title = QString::fromUtf8("\u26BD  ") + label;
    m_item->setTitle(title);
    EXPECT_EQ(property("XAyatanaLabel").toString(), label);
    SniToolTip tip;
    property("ToolTip").value<QDBusArgument>() >> tip;
    EXPECT_EQ(tip.title + "|" + tip.description, "Fixtora|" + title);
    EXPECT_TRUE(QTest::qWaitFor([&] { return m_watcher.labels.contains(label); }, 5000));
    m_item->setTitle(QString::fromUtf8("\u26BD"));
    EXPECT_EQ(property("XAyatanaLabel").toString(), QString());
    EXPECT_EQ(property("Status").toString(), QStringLiteral("Active"));
    EXPECT_FALSE(property("ItemIsMenu").toBool());
    EXPECT_EQ(property("Menu").value<QDBusObjectPath>().path(), SniStatusItem::kMenuPath);
    SniPixmaps pixmaps;
    property("IconPixmap").value<QDBusArgument>() >> pixmaps;
    ASSERT_FALSE(pixmaps.isEmpty());
    for (const auto& p : pixmaps) EXPECT_EQ(p.argb.size(), p.width * p.height * 4);

    QSignalSpy primary(m_item.get(), &StatusItem::primaryClicked);
    QSignalSpy secondary(m_item.get(), &StatusItem::secondaryClicked);
    itemCall("Activate", 1500, 12);
    itemCall("ContextMenu", 1500, 12);
    itemCall("SecondaryActivate", 0, 0);  // a middle click: no second, Qt-drawn menu
    itemCall("ContextMenu", 0, 0);
    ASSERT_EQ(primary.count(), 1);
    EXPECT_EQ(primary[0][0].toPoint(), QPoint(1500, 12));
    ASSERT_EQ(secondary.count(), 2);
    // (0, 0): the panel did not say where; the item's place is unknown.
    EXPECT_TRUE(secondary[1][0].toPoint().isNull());
    EXPECT_TRUE(m_item->anchorRect().isEmpty());
    itemCall("Activate", 1500, 12);
    EXPECT_TRUE(m_item->anchorRect().contains(QPoint(1500, 12)));
}

TEST_F(SniStatusItemTest, ExportedMenuIsRebuiltWhenShownAndRunsTheChosenEntry) {
    createItem();
    const int buildsBefore = m_menuBuilds;
    const DBusMenuLayoutItem root = menuLayout();
    EXPECT_EQ(m_menuBuilds, buildsBefore + 1);
    EXPECT_EQ(root.properties.value(QStringLiteral("children-display")), "submenu");
    ASSERT_EQ(root.children.size(), 4);
    const auto has = [&](int i, const char* name, const QVariant& value) {
        return root.children[i].properties.value(QString::fromLatin1(name)) == value;
    };
    EXPECT_TRUE(has(0, "label", "Fixtora v1.0") && has(0, "enabled", false));
    EXPECT_TRUE(has(1, "type", "separator"));
    // Underscores are mnemonics in dbusmenu: doubled to show as they are.
    EXPECT_TRUE(has(2, "label", "Quit__Fixtora"));
    EXPECT_TRUE(has(3, "toggle-type", "checkmark") && has(3, "toggle-state", 1));
    // Disabled entries do nothing; the chosen one runs after the call.
    clickMenu(1);
    clickMenu(3);
    EXPECT_TRUE(QTest::qWaitFor([&] { return m_quits == 1; }, 5000));
    EXPECT_EQ(clickMenu(42).type(), QDBusMessage::ErrorMessage);
    EXPECT_EQ(m_quits, 1);

    // A panel that restarts is registered with again.
    stopWatcher();
    m_watcher.registrations.clear();
    startWatcher();
    EXPECT_TRUE(QTest::qWaitFor(
        [&] { return m_watcher.registrations.contains(m_item->serviceName()); }, 5000));
}

TEST_F(SniStatusItemTest, FollowsAWatcherThatComesLateGoesAndReturns) {
    stopWatcher();
    m_watcher.host = false;
    test::SilentStatusItem* fallback = nullptr;
    MenuBarController::Options options;
    options.quit = [this] { ++m_quits; };
    options.makeStatusItem = [&fallback](MenuSource menu) {
        return createPanelStatusItem(std::move(menu), [&fallback]() -> std::unique_ptr<StatusItem> {
            auto item = std::make_unique<test::SilentStatusItem>();
            fallback = item.get();
            return item;
        });
    };
    MenuBarController controller([] { return std::make_unique<QWidget>(); }, options);
    auto& item = dynamic_cast<SwitchingStatusItem&>(controller.statusItem());
    const QString title = QString::fromUtf8("\u26BD  ARS 2\u20131 CHE  67'");
    controller.setTitle(title);
    const auto onBackend = [&](const char* name) {
        return QTest::qWaitFor([&] { return item.backendName() == QLatin1String(name); }, 5000);
    };
    const auto registeredItem = [&] {
        EXPECT_TRUE(QTest::qWaitFor([&] { return !m_watcher.registrations.isEmpty(); }, 5000));
        m_service = m_watcher.registrations.value(0);
        m_watcher.registrations.clear();
    };
    EXPECT_EQ(item.backendName(), QStringLiteral("silent"));

    // A watcher without a host to draw items: the item would be invisible.
    startWatcher();
    ASSERT_TRUE(QTest::qWaitFor([&] { return m_watcher.hostReads > 0; }, 5000));
    EXPECT_FALSE(
        QTest::qWaitFor([&] { return item.backendName() != QLatin1String("silent"); }, 200));

    m_watcher.host = true;
    emit m_watcher.StatusNotifierHostRegistered();
    ASSERT_TRUE(onBackend("status-notifier"));
    registeredItem();
    EXPECT_EQ(property("XAyatanaLabel").toString(), SniStatusItem::labelOf(title));

    // The panel goes away with the popup open: the popup stays, the fallback
    // takes the title and its clicks.
    controller.showPopup();
    stopWatcher();
    ASSERT_TRUE(onBackend("silent"));
    EXPECT_TRUE(controller.isPopupShown());
    ASSERT_NE(fallback, nullptr);
    EXPECT_EQ(fallback->title(), title);
    emit fallback->primaryClicked({});
    EXPECT_FALSE(controller.isPopupShown());

    // It comes back: a new item, clicked and its menu used like before.
    startWatcher();
    ASSERT_TRUE(onBackend("status-notifier"));
    registeredItem();
    itemCall("Activate", 100, 10);
    EXPECT_TRUE(QTest::qWaitFor([&] { return controller.isPopupShown(); }, 5000));
    const DBusMenuLayoutItem root = menuLayout();
    ASSERT_FALSE(root.children.isEmpty());
    clickMenu(root.children.back().id);
    EXPECT_TRUE(QTest::qWaitFor([&] { return m_quits == 1; }, 5000));
}

}  // namespace

#include "SniStatusItemTests.moc"
