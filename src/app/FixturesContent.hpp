// SPDX-License-Identifier: MIT
#pragma once

#include "analytics/Environment.hpp"
#include "app/AppServices.hpp"
#include "app/MenuBarController.hpp"
#include "state/DateText.hpp"

#include <memory>
#include <string>

class QWidget;

namespace fixtora {

class FixturesViewModel;
class ImageCache;
class WorkerScheduler;

/// What the popup and the title show, made on the shell's services: the
/// crest queue and cache, the season's table, the backend client and the one
/// fixtures view model. It must outlive the popups it makes and the title
/// subscriptions it hands out.
class FixturesContent final {
  public:
    FixturesContent(const AppServices& services, const std::string& backendUrl,
                    DateContext dates = {});
    ~FixturesContent();
    FixturesContent(const FixturesContent&) = delete;
    FixturesContent& operator=(const FixturesContent&) = delete;

    /// The popup's content widget: the fixtures view on the view model.
    std::unique_ptr<QWidget> makePopup() const;
    /// The view model's title, now and on every change.
    Subscription subscribeTitle(MenuBarController::TitleCallback onTitle) const;

    const std::shared_ptr<FixturesViewModel>& viewModel() const { return m_viewModel; }
    const std::shared_ptr<ImageCache>& images() const { return m_images; }

  private:
    DateContext m_dates;
    std::shared_ptr<WorkerScheduler> m_crestQueue;
    std::shared_ptr<ImageCache> m_images;
    std::shared_ptr<FixturesViewModel> m_viewModel;
};

/// The analytics client's environment on the shell's services: its clock,
/// main queue, HTTP client, preferences, folders and system information.
analytics::Environment analyticsEnvironment(const AppServices& services);

}  // namespace fixtora
