// SPDX-License-Identifier: MIT
#pragma once

#include "analytics/Environment.hpp"
#include "app/AppDelegate.hpp"
#include "state/DateText.hpp"

#include <memory>
#include <string>

namespace fixtora {

class FixturesViewModel;
class ImageCache;
class WorkerScheduler;

/// Everything the popup and the title need, made on the shell's services:
/// the crest queue and cache, the season's table, the backend client and the
/// one fixtures view model. It lives as long as the menu bar that shows it.
class FixturesContent final : public std::enable_shared_from_this<FixturesContent> {
  public:
    static std::shared_ptr<FixturesContent> create(AppServices& services,
                                                   const std::string& backendUrl,
                                                   DateContext dates = {});

    /// The popup, the title and what keeps them alive, for the menu bar.
    AppDelegate::MenuBarContent menuBarContent();

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
