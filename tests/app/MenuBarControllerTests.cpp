// SPDX-License-Identifier: MIT
#include "app/ContextMenu.hpp"
#include "app/MenuBarController.hpp"
#include "app/PopupWindow.hpp"
#include "app/SessionPlatform.hpp"

#include <QAction>
#include <QApplication>
#include <QLabel>
#include <QMenu>
#include <QTest>
#include <QWindow>

#include <gtest/gtest.h>

#include <vector>

using namespace fixtora;

namespace {

/// A status item that the test clicks by hand.
class FakeStatusItem final : public StatusItem {
public:
    void setTitle(const QString& title) override { titles.push_back(title); }
    QString title() const override { return titles.empty() ? QString() : titles.back(); }
    QRect anchorRect() const override { return QRect(900, 2, 24, 24); }
    QString backendName() const override { return QStringLiteral("fake"); }
    void primary() { emit primaryClicked(QPoint(912, 14)); }
    void secondary() { emit secondaryClicked(QPoint(912, 14)); }

    std::vector<QString> titles;
};

struct ExpectedEntry {
    const char* label;  // nullptr: a separator
    bool enabled;
};

// The menu, in order, as the user sees it.
const ExpectedEntry kMenu[] = {
    {"Fixtora v1.4.2", false},
    {nullptr, true},
    {"Check for Updates\u2026", true},
    {nullptr, true},
    {"Feedback / Report a Bug", true},
    {"\u2665 Support Me", true},
    {nullptr, true},
    {"Quit Fixtora", true},
};

class MenuBarControllerTest : public ::testing::Test {
protected:
    void SetUp() override {
        MenuBarController::Options options;
        options.version = QStringLiteral("1.4.2");
        options.websiteUrl = QStringLiteral("https://fixtora.example");
        options.checkForUpdates = [this] { ++updateChecks; };
        options.openUrl = [this](const QUrl& url) { opened.push_back(url); };
        options.quit = [this] { ++quits; };
        options.settingsEntries = [this] { return settings; };
        options.makeStatusItem = [this](MenuSource source) {
            menuSource = std::move(source);
            auto item = std::make_unique<FakeStatusItem>();
            item_ = item.get();
            return item;
        };
        controller = std::make_unique<MenuBarController>(
            [] { return std::make_unique<QLabel>(QStringLiteral("fixtures")); }, std::move(options));
    }
    void TearDown() override {
        controller.reset();
        QApplication::processEvents();
    }

    QAction* action(const QString& text) const {
        for (QAction* a : controller->contextMenu()->actions())
            if (a->text() == text) return a;
        return nullptr;
    }

    std::unique_ptr<MenuBarController> controller;
    FakeStatusItem* item_ = nullptr;
    MenuSource menuSource;
    MenuEntries settings;
    int updateChecks = 0;
    int quits = 0;
    std::vector<QUrl> opened;
};

TEST_F(MenuBarControllerTest, SecondaryClickOpensTheEightEntriesInOrder) {
    item_->secondary();
    QMenu* menu = controller->contextMenu();
    ASSERT_NE(menu, nullptr);
    const auto actions = menu->actions();
    ASSERT_EQ(actions.size(), static_cast<qsizetype>(std::size(kMenu)));
    for (qsizetype i = 0; i < actions.size(); ++i) {
        SCOPED_TRACE(i);
        const ExpectedEntry& e = kMenu[i];
        EXPECT_EQ(actions[i]->isSeparator(), e.label == nullptr);
        if (e.label) { EXPECT_EQ(actions[i]->text(), QString::fromUtf8(e.label)); }
        EXPECT_EQ(actions[i]->isEnabled(), e.enabled);
    }
    EXPECT_EQ(actions.back()->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_Q));
    EXPECT_TRUE(menu->isVisible());
}

TEST_F(MenuBarControllerTest, TheExportedEntriesMatchTheMenu) {
    // What a panel draws over D-Bus is the same list.
    const MenuEntries entries = menuSource();
    ASSERT_EQ(entries.size(), std::size(kMenu));
    for (std::size_t i = 0; i < entries.size(); ++i) {
        EXPECT_EQ(entries[i].kind == MenuEntry::Kind::Separator, kMenu[i].label == nullptr);
        if (kMenu[i].label) { EXPECT_EQ(entries[i].label, QString::fromUtf8(kMenu[i].label)); }
    }
}

TEST_F(MenuBarControllerTest, SettingsAreCheckItemsInTheirOwnGroupAboveQuit) {
    bool on = false;
    settings = {MenuEntry::check(QStringLiteral("Start at Login"), false, [&on] { on = true; }),
                MenuEntry::check(QStringLiteral("Share Anonymous Usage Statistics"), true, {})};
    item_->secondary();
    const auto actions = controller->contextMenu()->actions();
    ASSERT_EQ(actions.size(), static_cast<qsizetype>(std::size(kMenu)) + 3);
    const qsizetype n = actions.size();
    EXPECT_TRUE(actions[n - 5]->isSeparator());
    EXPECT_TRUE(actions[n - 4]->isCheckable());
    EXPECT_FALSE(actions[n - 4]->isChecked());
    EXPECT_TRUE(actions[n - 3]->isChecked());
    EXPECT_EQ(actions[n - 3]->text(), QStringLiteral("Share Anonymous Usage Statistics"));
    EXPECT_TRUE(actions[n - 2]->isSeparator());
    EXPECT_EQ(actions[n - 1]->text(), QStringLiteral("Quit Fixtora"));
    actions[n - 4]->trigger();
    EXPECT_TRUE(on);
}

TEST_F(MenuBarControllerTest, MenuIsRebuiltOnEverySecondaryClickAndClicksStillToggleThePopup) {
    item_->secondary();
    QMenu* first = controller->contextMenu();
    item_->secondary();
    EXPECT_NE(controller->contextMenu(), first);
    EXPECT_EQ(controller->contextMenu()->actions().size(), static_cast<qsizetype>(std::size(kMenu)));
    controller->contextMenu()->close();

    // The menu is not left in the way of the primary click.
    item_->primary();
    EXPECT_TRUE(controller->isPopupShown());
    item_->primary();
    EXPECT_FALSE(controller->isPopupShown());
    item_->primary();
    EXPECT_TRUE(controller->isPopupShown());
}

TEST_F(MenuBarControllerTest, ClickThatClosedThePopupFromOutsideDoesNotReopenIt) {
    item_->primary();
    ASSERT_TRUE(controller->isPopupShown());
    // A click outside (here: on the item) closes a popup window by itself
    // before the item reports the click.
    controller->popup().hide();
    item_->primary();
    EXPECT_FALSE(controller->isPopupShown());
    item_->primary();
    EXPECT_TRUE(controller->isPopupShown());
}

TEST_F(MenuBarControllerTest, CommandsReachTheirTargets) {
    item_->secondary();
    action(QStringLiteral("Feedback / Report a Bug"))->trigger();
    action(QString::fromUtf8("\u2665 Support Me"))->trigger();
    action(QString::fromUtf8("Check for Updates\u2026"))->trigger();
    action(QStringLiteral("Quit Fixtora"))->trigger();
    EXPECT_EQ(opened, (std::vector<QUrl>{QUrl("https://fixtora.example/epl/?feedback=1"),
                                         QUrl("https://fixtora.example/epl/#donate")}));
    EXPECT_EQ(updateChecks, 1);
    EXPECT_EQ(quits, 1);
}

TEST_F(MenuBarControllerTest, PopupOpensUnderTheItemAtItsSize) {
    item_->primary();
    const QRect frame = controller->popup().frameGeometry();
    EXPECT_EQ(controller->popup().size(), QSize(380, 520));
    // The content fills the window exactly: no frame shifts or clips it.
    EXPECT_EQ(controller->popup().content()->geometry(), QRect(0, 0, 380, 520));
    EXPECT_GT(frame.top(), QRect(900, 2, 24, 24).bottom());
}

TEST_F(MenuBarControllerTest, EscapeOrGoingElsewhereClosesPopupAndMenu) {
    auto& popup = controller->popup();
    controller->showPopup();
    QTest::keyClick(&popup, Qt::Key_Escape);
    EXPECT_FALSE(controller->isPopupShown());

    // Another window taking the focus closes both: on Wayland nothing else
    // would tell.
    controller->showPopup();
    ASSERT_TRUE(
        QTest::qWaitFor([&] { return QGuiApplication::focusWindow() == popup.windowHandle(); }));
    item_->secondary();
    QWidget other;
    other.show();
    other.activateWindow();
    EXPECT_TRUE(QTest::qWaitFor([&] { return !controller->isPopupShown(); }));
    EXPECT_FALSE(controller->contextMenu()->isVisible());
    item_->primary();  // the very click that took the focus away
    EXPECT_FALSE(controller->isPopupShown());
}

TEST(SessionPlatformTest, WaylandSessionsRunOnXWaylandUnlessTheUserChose) {
    struct Case {
        SessionPlatform::Environment env;
        std::optional<std::string> chosen;
    };
    const Case cases[] = {
        {{"", "wayland-0", ":0"}, "xcb"},
        {{"wayland", "wayland-0", ":0"}, std::nullopt},  // the user's choice
        {{"", "wayland-0", ""}, std::nullopt},           // no XWayland
        {{"", "", ":0"}, std::nullopt},                  // an X11 session
    };
    for (const auto& c : cases)
        EXPECT_EQ(SessionPlatform::choose(c.env), c.chosen) << c.env.qpaPlatform;
}

TEST_F(MenuBarControllerTest, TitleStartsAsTheBallAndMirrorsEverySourceValue) {
    ASSERT_FALSE(item_->titles.empty());
    EXPECT_EQ(item_->titles.front(), QString::fromUtf8("\u26BD"));

    MenuBarController::TitleCallback publish;
    bool cancelled = false;
    controller->bindTitle([&](MenuBarController::TitleCallback cb) {
        publish = cb;
        cb("ARS 1\u20130 CHE");  // the current value, delivered at once
        return Subscription([&] { cancelled = true; });
    });
    EXPECT_EQ(item_->title(), QString::fromUtf8("ARS 1\u20130 CHE"));
    publish("ARS 2\u20130 CHE");
    EXPECT_EQ(item_->title(), QString::fromUtf8("ARS 2\u20130 CHE"));
    controller.reset();
    EXPECT_TRUE(cancelled);
}

struct UrlCase {
    const char* website;
    const char* feedback;  // "" when nothing may open
    const char* donate;
};

class ContextMenuUrlTest : public ::testing::TestWithParam<UrlCase> {};

TEST_P(ContextMenuUrlTest, PagesOfTheWebSite) {
    const UrlCase& c = GetParam();
    EXPECT_EQ(ContextMenu::feedbackUrl(QString::fromUtf8(c.website)).toString(), QString::fromUtf8(c.feedback));
    EXPECT_EQ(ContextMenu::donateUrl(QString::fromUtf8(c.website)).toString(), QString::fromUtf8(c.donate));
}

INSTANTIATE_TEST_SUITE_P(
    Websites, ContextMenuUrlTest,
    ::testing::Values(UrlCase{"https://fixtora.example", "https://fixtora.example/epl/?feedback=1",
                              "https://fixtora.example/epl/#donate"},
                      UrlCase{"http://127.0.0.1:8765/site", "http://127.0.0.1:8765/site/epl/?feedback=1",
                              "http://127.0.0.1:8765/site/epl/#donate"},
                      UrlCase{"", "", ""}, UrlCase{"not a web address", "", ""},
                      UrlCase{"javascript:alert(1)", "", ""}, UrlCase{"file:///etc", "", ""}));

TEST(ContextMenuVersion, MissingVersionReadsAsQuestionMark) {
    const MenuEntries entries = ContextMenu::entries(QString(), {});
    EXPECT_EQ(entries.front().label, QStringLiteral("Fixtora v?"));
    EXPECT_FALSE(entries.front().enabled);
}

TEST(MenuBarControllerSetup, RefusesAPopupWithoutContent) {
    EXPECT_THROW(MenuBarController([] { return std::unique_ptr<QWidget>(); }, {}), std::invalid_argument);
}

}  // namespace
