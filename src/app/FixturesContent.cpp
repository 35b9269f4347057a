// SPDX-License-Identifier: MIT
#include "app/FixturesContent.hpp"

#include "data/APIClient.hpp"
#include "data/ImageCache.hpp"
#include "data/MatchWeekSchedule.hpp"
#include "platform/Preferences.hpp"
#include "platform/WorkerScheduler.hpp"
#include "state/FixturesViewModel.hpp"
#include "state/MatchesFetcher.hpp"
#include "views/FixturesView.hpp"

namespace fixtora {

std::shared_ptr<FixturesContent> FixturesContent::create(AppServices& services,
                                                         const std::string& backendUrl,
                                                         DateContext dates) {
    auto content = std::make_shared<FixturesContent>();
    content->m_dates = dates;
    content->m_crestQueue = std::make_shared<WorkerScheduler>("com.fixtora.crests");
    content->m_images = std::make_shared<ImageCache>(services.http, services.paths, services.images,
                                                     services.main, content->m_crestQueue);
    auto schedule = std::make_shared<MatchWeekSchedule>(services.http, backendUrl, services.paths,
                                                        services.clock, services.main);
    auto fetcher =
        MatchesFetcher::fromClient(std::make_shared<APIClient>(services.http, backendUrl));
    content->m_viewModel = FixturesViewModel::create(
        schedule, fetcher, content->m_images, services.preferences->standard(), services.clock,
        services.main, std::move(dates));
    return content;
}

AppDelegate::MenuBarContent FixturesContent::menuBarContent() {
    AppDelegate::MenuBarContent menuBar;
    const std::weak_ptr<FixturesContent> weak = weak_from_this();
    menuBar.popup = [weak]() -> std::unique_ptr<QWidget> {
        auto c = weak.lock();
        if (!c) return nullptr;
        return std::make_unique<FixturesView>(c->m_viewModel, c->m_images, c->m_dates);
    };
    menuBar.title = [weak](MenuBarController::TitleCallback onTitle) {
        auto c = weak.lock();
        return c ? c->m_viewModel->subscribeTitle(std::move(onTitle)) : Subscription{};
    };
    menuBar.keepAlive = shared_from_this();
    return menuBar;
}

analytics::Environment analyticsEnvironment(const AppServices& services) {
    analytics::Environment environment;
    environment.clock = services.clock;
    environment.mainScheduler = services.main;
    environment.httpClient = services.http;
    environment.preferencesStore = services.preferences;
    environment.paths = services.paths;
    environment.systemInfo = services.systemInfo;
    return environment;
}

}  // namespace fixtora
