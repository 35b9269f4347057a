// SPDX-License-Identifier: MIT
// Fixtora's entry point and composition root: the shell from runApplication,
// the analytics client on the shell's services, and the popup and title on
// the one fixtures view model.
#include "analytics/Analytics.hpp"
#include "analytics/AnalyticsConfiguration.hpp"
#include "analytics/AppNotificationCenter.hpp"
#include "analytics/Environment.hpp"
#include "app/AppDelegate.hpp"
#include "app/AppServices.hpp"
#include "app/ApplicationMain.hpp"
#include "app/ApplicationStateBridge.hpp"
#include "data/APIClient.hpp"
#include "data/ImageCache.hpp"
#include "data/MatchWeekSchedule.hpp"
#include "platform/Preferences.hpp"
#include "platform/WorkerScheduler.hpp"
#include "state/FixturesViewModel.hpp"
#include "state/MatchesFetcher.hpp"
#include "views/FixturesView.hpp"

#include <fixtora/BuildConfig.hpp>

#include <QCoreApplication>

#include <memory>

namespace {

using namespace fixtora;

// Configures and starts the analytics client on the shell's services, sends
// the one launch signal, and lets the client follow the application's
// activity (and save its unsent signals when the application quits).
void startAnalytics(AppServices& services) {
    analytics::Environment environment;
    environment.clock = services.clock;
    environment.mainScheduler = services.main;
    environment.httpClient = services.http;
    environment.preferencesStore = services.preferences;
    environment.paths = services.paths;
    environment.systemInfo = services.systemInfo;
    analytics::Analytics::setDefaultEnvironment(environment);

    auto config = std::make_shared<analytics::AnalyticsConfiguration>(build::kAnalyticsAppId);
    analytics::Analytics::initialize(config);
    analytics::Analytics::signal("app.launched");

    // Parented to the application object: lives as long as the event loop.
    new ApplicationStateBridge(analytics::Analytics::appLifecycle(), QCoreApplication::instance());
}

// Everything the popup and the title need, alive as long as the menu bar.
struct Content {
    std::shared_ptr<WorkerScheduler> crestQueue = std::make_shared<WorkerScheduler>("com.fixtora.crests");
    std::shared_ptr<ImageCache> images;
    std::shared_ptr<FixturesViewModel> viewModel;
};

AppDelegate::MenuBarContent makeContent(AppServices& services) {
    auto content = std::make_shared<Content>();
    content->images = std::make_shared<ImageCache>(services.http, services.paths, services.images, services.main,
                                                   content->crestQueue);
    auto schedule = std::make_shared<MatchWeekSchedule>(services.http, build::kBackendUrl, services.paths,
                                                        services.clock, services.main);
    auto fetcher = MatchesFetcher::fromClient(std::make_shared<APIClient>(services.http, build::kBackendUrl));
    content->viewModel = FixturesViewModel::create(schedule, fetcher, content->images,
                                                   services.preferences->standard(), services.clock, services.main);

    AppDelegate::MenuBarContent menuBar;
    const std::weak_ptr<Content> weak = content;
    menuBar.popup = [weak]() -> std::unique_ptr<QWidget> {
        auto c = weak.lock();
        if (!c) return nullptr;
        return std::make_unique<FixturesView>(c->viewModel, c->images);
    };
    menuBar.title = [weak](MenuBarController::TitleCallback onTitle) {
        auto c = weak.lock();
        return c ? c->viewModel->subscribeTitle(std::move(onTitle)) : Subscription{};
    };
    menuBar.keepAlive = content;
    return menuBar;
}

}  // namespace

int main(int argc, char** argv) {
    AppDelegate::Launch launch;
    launch.beforeMenuBar = startAnalytics;
    launch.content = makeContent;
    return runApplication(argc, argv, std::move(launch));
}
