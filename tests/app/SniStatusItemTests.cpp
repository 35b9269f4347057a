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
#include <QDBusMessage>
#include <QDBusObjectPath>
#include <QDBusVariant>
#include <QSignalSpy>
#include <QTest>
#include <QWidget>

#include <gtest/gtest.h>

using namespace fixtora;

/// Records registrations, as the panel's watcher would.
class StandInWatcher final : public QObject {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.kde.StatusNotifierWatcher")
    Q_PROPERTY(bool IsStatusNotifierHostRegistered READ isHostRegistered)
  public:
    bool isHostRegistered() const { return ++hostReads, host; }

    bool host = true;
    mutable int hostReads = 0;
    QStringList registrations, labels;

  public slots:
    void RegisterStatusNotifierItem(const QString& service) { registrations << service; }
    void RegisterStatusNotifierHost(const QString&) {}
    void onNewLabel(const QString& label, const QString&) { labels << label; }

  signals:
    void StatusNotifierHostRegistered();
    void StatusNotifierHostUnregistered();
};

namespace {

const QString kPanel = QStringLiteral("stand-in-panel");
constexpr const char* kItemIface = "org.kde.StatusNotifierItem";

class SniStatusItemTest : public ::testing::Test {
  protected:
    void SetUp() override {
        if (qgetenv("FIXTORA_PRIVATE_BUS") != "1")
            GTEST_SKIP() << "needs a private session bus: run through ctest (app_tests_dbus)";
        m_panel = std::make_unique<QDBusConnection>(
            QDBusConnection::connectToBus(QDBusConnection::SessionBus, kPanel));
        ASSERT_TRUE(m_panel->isConnected());
        watch(true);
    }
    void TearDown() override {
        m_item.reset();
        if (!m_panel) return;
        watch(false);
        m_panel.reset();
        QDBusConnection::disconnectFromBus(kPanel);
    }

    /// Starts or stops the stand-in watcher, as a panel (re)starting would.
    void watch(bool on) {
        m_watcher.registrations.clear();
        if (!on) m_panel->unregisterService(SniStatusItem::kWatcherService);
        if (!on) return m_panel->unregisterObject(SniStatusItem::kWatcherPath);
        ASSERT_TRUE(m_panel->registerObject(SniStatusItem::kWatcherPath, &m_watcher,
                                            QDBusConnection::ExportAllContents) &&
                    m_panel->registerService(SniStatusItem::kWatcherService));
    }
    /// Waits for the item's registration and talks to that item from now on.
    void registered() {
        ASSERT_TRUE(QTest::qWaitFor([&] { return !m_watcher.registrations.isEmpty(); }, 5000));
        m_service = m_watcher.registrations.takeFirst();
    }

    /// Calls the item like a panel does; the reply comes while our own event
    /// loop serves the item.
    QDBusMessage call(const char* path, const char* iface, const char* method, QVariantList args) {
        QDBusMessage msg = QDBusMessage::createMethodCall(m_service, path, iface, method);
        msg.setArguments(args);
        return m_panel->call(msg, QDBus::BlockWithGui, 5000);
    }
    QDBusMessage menu(const char* method, QVariantList args) {
        return call(SniStatusItem::kMenuPath, "com.canonical.dbusmenu", method, args);
    }
    void click(const char* method, int x, int y) {
        call(SniStatusItem::kItemPath, kItemIface, method, {x, y});
    }
    QVariant property(const char* name) {
        const QDBusMessage reply = call(SniStatusItem::kItemPath, "org.freedesktop.DBus.Properties",
                                        "Get", {kItemIface, QString::fromLatin1(name)});
        EXPECT_EQ(reply.type(), QDBusMessage::ReplyMessage) << qPrintable(reply.errorMessage());
        return reply.arguments().value(0).value<QDBusVariant>().variant();
    }
    /// The exported menu as a panel reads it before showing it.
    DBusMenuLayoutItem menuLayout() {
        menu("AboutToShow", {0});
        const QDBusMessage reply = menu("GetLayout", {0, -1, QStringList{}});
        EXPECT_EQ(reply.type(), QDBusMessage::ReplyMessage) << qPrintable(reply.errorMessage());
        DBusMenuLayoutItem root;
        if (reply.arguments().size() > 1) reply.arguments().at(1).value<QDBusArgument>() >> root;
        return root;
    }
    QDBusMessage clickMenu(int id) {
        return menu("Event", {id, "clicked", QVariant::fromValue(QDBusVariant(QString())), 0u});
    }

    std::unique_ptr<QDBusConnection> m_panel;
    StandInWatcher m_watcher;
    std::unique_ptr<SniStatusItem> m_item;
    QString m_service;  // of the item that call() talks to
    int m_quits = 0;
};

TEST_F(SniStatusItemTest, CarriesTheTitleTurnsPanelActionsIntoClicksAndExportsItsMenu) {
    m_item = std::make_unique<SniStatusItem>([&] {
        return MenuEntries{{MenuEntry::Kind::Action, "Fixtora v1.0", false, {}, {}},
                           MenuEntry::separator(),
                           {MenuEntry::Kind::Action, "Quit_Fixtora", true,
                            QKeySequence(Qt::CTRL | Qt::Key_Q), [this] { ++m_quits; }},
                           MenuEntry::check("Start at Login", true, {})};
    });
    registered();
    EXPECT_TRUE(m_service == m_item->serviceName() &&
                m_service.startsWith(QStringLiteral("org.kde.StatusNotifierItem-")));
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
    const QStringList props{property("XAyatanaLabel").toString(), property("Status").toString(),
                            property("ItemIsMenu").toString(),
                            property("Menu").value<QDBusObjectPath>().path()};
    EXPECT_EQ(props, (QStringList{"", "Active", "false", SniStatusItem::kMenuPath}));
    SniPixmaps pixmaps;
    property("IconPixmap").value<QDBusArgument>() >> pixmaps;
    ASSERT_FALSE(pixmaps.isEmpty());
    for (const auto& p : pixmaps) EXPECT_EQ(p.argb.size(), p.width * p.height * 4);

    SCOPED_TRACE("clicks");
    QSignalSpy primary(m_item.get(), &StatusItem::primaryClicked);
    QSignalSpy secondary(m_item.get(), &StatusItem::secondaryClicked);
    click("Activate", 1500, 12);
    click("ContextMenu", 1500, 12);
    click("SecondaryActivate", 0, 0);  // a middle click: no second, Qt-drawn menu
    click("ContextMenu", 0, 0);
    ASSERT_EQ(primary.count() * 10 + secondary.count(), 12);  // one primary, two secondary
    EXPECT_EQ(primary[0][0].toPoint(), QPoint(1500, 12));
    // (0, 0): the panel did not say where; the item's place is unknown.
    EXPECT_TRUE(secondary[1][0].toPoint().isNull());
    EXPECT_TRUE(m_item->anchorRect().isEmpty());
    click("Activate", 1500, 12);
    EXPECT_TRUE(m_item->anchorRect().contains(QPoint(1500, 12)));

    SCOPED_TRACE("menu");
    const DBusMenuLayoutItem root = menuLayout();
    EXPECT_EQ(root.properties.value(QStringLiteral("children-display")), "submenu");
    ASSERT_EQ(root.children.size(), 4);
    // Underscores are mnemonics in dbusmenu: doubled to show as they are.
    const std::tuple<int, const char*, QVariant> rows[] = {
        {0, "label", "Fixtora v1.0"},  {0, "enabled", false},           {1, "type", "separator"},
        {2, "label", "Quit__Fixtora"}, {3, "toggle-type", "checkmark"}, {3, "toggle-state", 1}};
    for (const auto& [i, name, value] : rows)
        EXPECT_EQ(root.children[i].properties.value(QString::fromLatin1(name)), value) << name;
    // Disabled entries do nothing; the chosen one runs after the call.
    clickMenu(1);
    clickMenu(3);
    EXPECT_TRUE(QTest::qWaitFor([&] { return m_quits == 1; }, 5000));
    EXPECT_EQ(clickMenu(42).type(), QDBusMessage::ErrorMessage);
    EXPECT_EQ(m_quits, 1);
}

TEST_F(SniStatusItemTest, FollowsAWatcherThatComesLateGoesAndReturns) {
    watch(false);
    m_watcher.host = false;
    test::SilentStatusItem* fallback = nullptr;
    MenuBarController::Options options;
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
    EXPECT_EQ(item.backendName(), QStringLiteral("silent"));

    // A watcher without a host to draw items: the item would be invisible.
    watch(true);
    ASSERT_TRUE(QTest::qWaitFor([&] { return m_watcher.hostReads > 0; }, 5000));
    EXPECT_FALSE(
        QTest::qWaitFor([&] { return item.backendName() != QLatin1String("silent"); }, 200));

    m_watcher.host = true;
    emit m_watcher.StatusNotifierHostRegistered();
    ASSERT_TRUE(onBackend("status-notifier"));
    registered();
    EXPECT_EQ(property("XAyatanaLabel").toString(), SniStatusItem::labelOf(title));

    // The panel goes away with the popup open: the popup stays, the fallback
    // takes the title and its clicks.
    controller.showPopup();
    watch(false);
    ASSERT_TRUE(onBackend("silent"));
    EXPECT_TRUE(controller.isPopupShown());
    ASSERT_NE(fallback, nullptr);
    EXPECT_EQ(fallback->title(), title);
    emit fallback->primaryClicked({});
    EXPECT_FALSE(controller.isPopupShown());

    // It comes back: a new item, registered again and clicked like before.
    watch(true);
    ASSERT_TRUE(onBackend("status-notifier"));
    registered();
    click("Activate", 100, 10);
    EXPECT_TRUE(QTest::qWaitFor([&] { return controller.isPopupShown(); }, 5000));
}

}  // namespace

#include "SniStatusItemTests.moc"
