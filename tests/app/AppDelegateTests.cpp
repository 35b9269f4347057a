// SPDX-License-Identifier: MIT
#include "analytics/AppLifecycle.hpp"
#include "app/AppDelegate.hpp"
#include "app/ApplicationStateBridge.hpp"
#include "app/UpdateController.hpp"
#include "platform/CurlHttpClient.hpp"
#include "platform/ManualScheduler.hpp"
#include "support/LoopbackServer.hpp"
#include "support/SilentStatusItem.hpp"

#include <QAction>
#include <QApplication>
#include <QLabel>
#include <QMenu>

#include <gtest/gtest.h>


using namespace fixtora;

namespace {

class NullPresenter final : public UpdatePresenter {
public:
    void showUpToDate(const std::string&) override { ++answers; }
    void offerUpdate(const UpdateOffer&, const std::string&) override { ++answers; }
    void showCheckFailed(const std::string&) override { ++answers; }
    int answers = 0;
};

TEST(AppDelegate, StartsTheUpdaterFirstThenLaunchesInOrderOnce) {
    auto main = std::make_shared<ManualScheduler>();
    AppServices services;
    services.main = main;
    services.http = std::make_shared<CurlHttpClient>();
    std::vector<std::string> steps;
    AppDelegate::Launch launch;
    launch.beforeMenuBar = [&](AppServices&) { steps.push_back("analytics"); };
    launch.content = [&](AppServices&) {
        steps.push_back("content");
        AppDelegate::MenuBarContent content;
        content.popup = [] { return std::make_unique<QLabel>(); };
        content.title = [](MenuBarController::TitleCallback cb) {
            cb("Kick-off in 5m");
            return Subscription();
        };
        return content;
    };
    auto presenter = std::make_shared<NullPresenter>();
    AppDelegate::Options options;
    options.version = QStringLiteral("1.0.0");
    // Nobody answers: the background check stays quiet, the user's is told.
    options.updateFeedUrl =
        "http://127.0.0.1:" + std::to_string(test::unusedLoopbackPort()) + "/feed.json";
    options.updatePresenter = presenter;
    options.makeStatusItem = [](MenuSource) { return std::make_unique<test::SilentStatusItem>(); };

    AppDelegate delegate(services, launch, options);
    // The updater runs before launching has finished.
    EXPECT_TRUE(delegate.updaterController().isStarted());
    EXPECT_TRUE(delegate.updaterController().isChecking());
    EXPECT_EQ(delegate.controller(), nullptr);
    EXPECT_TRUE(steps.empty());
    ASSERT_TRUE(main->runUntil([&] { return !delegate.updaterController().isChecking(); }));

    delegate.applicationDidFinishLaunching();
    delegate.applicationDidFinishLaunching();
    EXPECT_EQ(steps, (std::vector<std::string>{"analytics", "content"}));
    ASSERT_NE(delegate.controller(), nullptr);
    EXPECT_EQ(delegate.controller()->statusItem().title(), QStringLiteral("Kick-off in 5m"));

    // The menu's update entry drives the same updater, and it answers.
    delegate.controller()->showContextMenu(QPoint(10, 10));
    for (QAction* a : delegate.controller()->contextMenu()->actions())
        if (a->text() == QString::fromUtf8("Check for Updates\u2026")) a->trigger();
    EXPECT_TRUE(delegate.updaterController().isChecking());
    ASSERT_TRUE(main->runUntil([&] { return !delegate.updaterController().isChecking(); }));
    EXPECT_EQ(presenter->answers, 1);
    delegate.controller()->contextMenu()->close();
}

}  // namespace

namespace {

class RecordingLifecycle final : public analytics::AppLifecycle {
public:
    void applicationDidResignActive() override { events.push_back("resign"); }
    void applicationWillBecomeActive() override { events.push_back("active"); }
    void applicationWillTerminate() override { events.push_back("terminate"); }
    std::vector<std::string> events;
};

TEST(ApplicationStateBridge, ReportsChangesOnceAndNothingAfterQuitting) {
    RecordingLifecycle lifecycle;
    ApplicationStateBridge bridge(lifecycle);
    bridge.applicationStateChanged(Qt::ApplicationInactive);  // whatever it started as
    lifecycle.events.clear();
    for (auto state : {Qt::ApplicationActive, Qt::ApplicationActive, Qt::ApplicationInactive, Qt::ApplicationHidden,
                       Qt::ApplicationActive})
        bridge.applicationStateChanged(state);
    bridge.applicationAboutToQuit();
    bridge.applicationAboutToQuit();
    bridge.applicationStateChanged(Qt::ApplicationInactive);
    EXPECT_EQ(lifecycle.events, (std::vector<std::string>{"active", "resign", "active", "terminate"}));
}

}  // namespace
