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

FixturesContent::FixturesContent(const AppServices& services, const std::string& backendUrl,
                                 DateContext dates)
    : m_dates(std::move(dates)),
      m_crestQueue(std::make_shared<WorkerScheduler>("com.fixtora.crests")),
      m_images(std::make_shared<ImageCache>(services.http, services.paths, services.images,
                                            services.main, m_crestQueue)) {
    auto schedule = std::make_shared<MatchWeekSchedule>(services.http, backendUrl, services.paths,
                                                        services.clock, services.main);
    auto fetcher =
        MatchesFetcher::fromClient(std::make_shared<APIClient>(services.http, backendUrl));
    m_viewModel =
        FixturesViewModel::create(schedule, fetcher, m_images, services.preferences->standard(),
                                  services.clock, services.main, m_dates);
}

FixturesContent::~FixturesContent() = default;

std::unique_ptr<QWidget> FixturesContent::makePopup() const {
    return std::make_unique<FixturesView>(m_viewModel, m_images, m_dates);
}

Subscription FixturesContent::subscribeTitle(MenuBarController::TitleCallback onTitle) const {
    return m_viewModel->subscribeTitle(std::move(onTitle));
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
