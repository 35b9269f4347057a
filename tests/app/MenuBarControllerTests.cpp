// SPDX-License-Identifier: MIT
#include "app/ContextMenu.hpp"
#include "app/MenuBarController.hpp"
#include "app/PopupWindow.hpp"
#include "app/SessionPlatform.hpp"
#include "support/SilentStatusItem.hpp"

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

class MenuBarControllerTest : public ::testing::Test {
  protected:
    void SetUp() override {
        MenuBarController::Options options;
        options.version = QStringLiteral("1.4.2");
        options.websiteUrl = QStringLiteral("https://fixtora.example");
        options.checkForUpdates = [this] { done.push_back("update"); };
        options.openUrl = [this](const QUrl& url) { done.push_back(url.toString()); };
        options.quit = [this] { done.push_back("quit"); };
        options.settingsEntries = [this] { return settings; };
        options.makeStatusItem = [this](MenuSource source) {
            menuSource = std::move(source);
            auto item = std::make_unique<test::SilentStatusItem>();
            item_ = item.get();
            return item;
        };
        controller = std::make_unique<MenuBarController>(
            [] { return std::make_unique<QLabel>(QStringLiteral("fixtures")); },
            std::move(options));
    }
    void TearDown() override {
        controller.reset();
        QApplication::processEvents();
    }

    void trigger(const QString& text) const {
        for (QAction* a : controller->contextMenu()->actions())
            if (a->text() == text) return a->trigger();
        ADD_FAILURE() << "no entry " << text.toStdString();
    }

    std::unique_ptr<MenuBarController> controller;
    test::SilentStatusItem* item_ = nullptr;
    MenuSource menuSource;
    MenuEntries settings;
    std::vector<QString> done;  // what the entries did, in order
};

// The Qt menu and the list a panel draws over D-Bus are the same entries,
// built afresh on every click, with the settings grouped above Quit.
TEST_F(MenuBarControllerTest, EachSecondaryClickBuildsTheExportedEntriesAfresh) {
    settings = {MenuEntry::check("Start at Login", false, [this] { done.push_back("login"); }),
                MenuEntry::check(QStringLiteral("Share Anonymous Usage Statistics"), true, {})};
    emit item_->secondaryClicked({});
    QMenu* first = controller->contextMenu();
    ASSERT_TRUE(first && first->isVisible());
    emit item_->secondaryClicked({});  // a new menu, with the entries as they are now
    EXPECT_NE(controller->contextMenu(), first);
    const auto actions = controller->contextMenu()->actions();
    const MenuEntries entries = menuSource();
    ASSERT_EQ(actions.size(), static_cast<qsizetype>(entries.size()));
    for (qsizetype i = 0; const auto& e : entries) {
        const QAction* a = actions[i++];
        EXPECT_EQ(std::tuple(a->isSeparator(), a->text(), a->isEnabled(), a->isChecked()),
                  std::tuple(e.kind == MenuEntry::Kind::Separator, e.label, e.enabled, e.checked));
        EXPECT_EQ(a->shortcut(), e.shortcut) << i;
    }
    for (const char* text : {"Start at Login", "Feedback / Report a Bug", "\u2665 Support Me",
                             "Check for Updates\u2026", "Quit Fixtora"})
        trigger(QString::fromUtf8(text));
    EXPECT_EQ(done,
              (std::vector<QString>{"login", "https://fixtora.example/epl/?feedback=1",
                                    "https://fixtora.example/epl/#donate", "update", "quit"}));
    controller->contextMenu()->close();

    // The menu is not left in the way of the primary click.
    emit item_->primaryClicked({});
    EXPECT_TRUE(controller->isPopupShown());
    emit item_->primaryClicked({});
    EXPECT_FALSE(controller->isPopupShown());
}

TEST_F(MenuBarControllerTest, PopupOpensUnderTheItemClosesWithoutReopeningAndTitleFollows) {
    emit item_->primaryClicked({});
    ASSERT_TRUE(controller->isPopupShown());
    // A click outside (here: on the item) closes a popup window by itself
    // before the item reports the click.
    controller->popup().hide();
    emit item_->primaryClicked({});
    EXPECT_FALSE(controller->isPopupShown());
    emit item_->primaryClicked({});
    EXPECT_TRUE(controller->isPopupShown());
    controller->popup().hide();

    SCOPED_TRACE("Escape or going elsewhere closes popup and menu");
    auto& popup = controller->popup();
    controller->showPopup();
    QTest::keyClick(&popup, Qt::Key_Escape);
    EXPECT_FALSE(controller->isPopupShown());

    // Another window taking the focus closes both: on Wayland nothing else
    // would tell.
    controller->showPopup();
    ASSERT_TRUE(
        QTest::qWaitFor([&] { return QGuiApplication::focusWindow() == popup.windowHandle(); }));
    emit item_->secondaryClicked({});
    QWidget other;
    other.show();
    other.activateWindow();
    EXPECT_TRUE(QTest::qWaitFor([&] { return !controller->isPopupShown(); }));
    EXPECT_FALSE(controller->contextMenu()->isVisible());
    emit item_->primaryClicked({});  // the very click that took the focus away
    EXPECT_FALSE(controller->isPopupShown());

    SCOPED_TRACE("the title starts as the ball; its binding ends with the controller");
    EXPECT_EQ(item_->title(), QString::fromUtf8("\u26BD"));
    bool cancelled = false;
    controller->bindTitle([&](MenuBarController::TitleCallback cb) {
        cb("ARS 1\u20130 CHE");  // the current value, delivered at once
        return Subscription([&] { cancelled = true; });
    });
    EXPECT_EQ(item_->title(), "ARS 1\u20130 CHE");
    controller.reset();
    EXPECT_TRUE(cancelled);
}

TEST(MenuBarControllerSetup, WaylandSessionsRunOnXWayland) {
    // Only a Wayland session with XWayland and no platform chosen by the user.
    const std::pair<SessionPlatform::Environment, const char*> cases[] = {
        {{"", "wayland-0", ":0"}, "xcb"},
        {{"wayland", "wayland-0", ":0"}, ""},
        {{"", "wayland-0", ""}, ""},
        {{"", "", ":0"}, ""}};
    for (const auto& [env, xcb] : cases)
        EXPECT_EQ(SessionPlatform::choose(env).value_or(""), xcb) << env.qpaPlatform << env.display;
}

TEST(ContextMenuUrls, PagesOfTheWebSiteOrNothingForAnAddressThatIsNotHttp) {
    for (const char* bad : {"", "not a web address", "javascript:alert(1)", "file:///etc"})
        EXPECT_EQ(ContextMenu::feedbackUrl(bad).toString() + ContextMenu::donateUrl(bad).toString(),
                  "")
            << bad;
    const QString site = QStringLiteral("http://127.0.0.1:8765/site");
    EXPECT_EQ(ContextMenu::donateUrl(site).toString(), site + "/epl/#donate");
}

}  // namespace
