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
#include "app/FixturesContent.hpp"
#include "platform/ProcessMemory.hpp"

#include <fixtora/BuildConfig.hpp>

#include <QCoreApplication>

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
    analytics::Analytics::initialize(config);
    analytics::Analytics::signal("app.launched");

    // Parented to the application object: lives as long as the event loop.
    new ApplicationStateBridge(analytics::Analytics::appLifecycle(), QCoreApplication::instance());
}

AppDelegate::MenuBarContent makeContent(AppServices& services) {
    return FixturesContent::create(services, build::kBackendUrl)->menuBarContent();
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
