// SPDX-License-Identifier: MIT
// Fixtora's entry point and composition root: the shell from runApplication,
// the analytics client on the shell's services, and the popup and title on
// the one fixtures view model.
#include "analytics/Analytics.hpp"
#include "analytics/AnalyticsConfiguration.hpp"
#include "analytics/AppNotificationCenter.hpp"
#include "app/AppDelegate.hpp"
#include "app/AppServices.hpp"
#include "app/ApplicationMain.hpp"
#include "app/ApplicationStateBridge.hpp"
#include "app/DesktopFeeds.hpp"
#include "app/DesktopSettings.hpp"
#include "app/FixturesContent.hpp"
#include "platform/Preferences.hpp"
#include "platform/ProcessMemory.hpp"

#include <fixtora/BuildConfig.hpp>

#include <QCoreApplication>

#include <cstdio>
#include <cstdlib>
#include <memory>

namespace {

using namespace fixtora;

// Configures and starts the analytics client on the shell's services, sends
// the one launch signal, and lets the client follow the application's
// activity (and save its unsent signals when the application quits).
void startAnalytics(AppServices& services) {
    const analytics::Environment environment = analyticsEnvironment(services);
    analytics::Analytics::setDefaultEnvironment(environment);

    auto config = std::make_shared<analytics::AnalyticsConfiguration>(build::kAnalyticsAppId);
    // A user who said no (or whose environment does) is not even counted.
    config->setAnalyticsDisabled(
        !UsageSharing::isEnabled(*services.preferences->standard(), std::getenv("DO_NOT_TRACK")));
    analytics::Analytics::initialize(config);
    analytics::Analytics::signal("app.launched");

    // Parented to the application object: lives as long as the event loop.
    new ApplicationStateBridge(analytics::Analytics::appLifecycle(), QCoreApplication::instance());
}

// The context menu's check items: the favourite's notifications, start at
// login and usage statistics.
MenuSource settingsEntries(std::shared_ptr<DesktopFeeds> feeds,
                           std::shared_ptr<Preferences> preferences) {
    auto autostart = std::make_shared<Autostart>(Autostart::defaultEntryPath(),
                                                 QCoreApplication::applicationFilePath());
    return [feeds = std::move(feeds), preferences = std::move(preferences), autostart] {
        MenuEntries entries = feeds->settingsEntries();
        const bool login = autostart->isEnabled();
        entries.push_back(
            MenuEntry::check(QStringLiteral("Start at Login"), login, [autostart, login] {
                if (!autostart->setEnabled(!login))
                    std::fprintf(stderr, "fixtora: cannot change %s\n",
                                 autostart->entryPath().c_str());
            }));
        const bool sharing = UsageSharing::isEnabled(*preferences, std::getenv("DO_NOT_TRACK"));
        entries.push_back(MenuEntry::check(QStringLiteral("Share Anonymous Usage Statistics"),
                                           sharing, [preferences, sharing] {
                                               UsageSharing::setEnabled(*preferences, !sharing);
                                               analytics::Analytics::setSharingEnabled(!sharing);
                                           }));
        return entries;
    };
}

AppDelegate::MenuBarContent makeContent(AppServices& services) {
    auto content = FixturesContent::create(services, build::kBackendUrl);
    auto feeds = std::make_shared<DesktopFeeds>(services.preferences->standard());
    feeds->follow(content->viewModel(), services.clock);
    AppDelegate::MenuBarContent menuBar = content->menuBarContent();
    menuBar.settingsEntries = settingsEntries(feeds, services.preferences->standard());
    // The feeds go first: they follow the view model that the content keeps.
    struct KeepAlive {
        std::shared_ptr<void> content;
        std::shared_ptr<DesktopFeeds> feeds;
    };
    menuBar.keepAlive =
        std::make_shared<KeepAlive>(KeepAlive{std::move(menuBar.keepAlive), std::move(feeds)});
    return menuBar;
}

}  // namespace

int main(int argc, char** argv) {
    // Two arenas serve the main thread and the workers: a worker's burst then
    // lands where a trim reaches it, not in an arena of its own for good.
    fixtora::configureAllocatorForLongRun(2);
    AppDelegate::Launch launch;
    launch.beforeMenuBar = startAnalytics;
    launch.content = makeContent;
    return runApplication(argc, argv, std::move(launch));
}
