// SPDX-License-Identifier: MIT
#pragma once

#include <memory>
#include <string>

namespace analytics {

class NavigationStatus;

/// Lets a view report its path each time it appears: the view keeps one and
/// calls `onAppear()` from its show handler. Nothing is sent when it
/// disappears.
class TrackNavigationModifier final {
  public:
    /// Reports to `status`, or to `NavigationStatus::shared()` when null.
    explicit TrackNavigationModifier(std::string path,
                                     std::shared_ptr<NavigationStatus> status = nullptr);

    const std::string& path() const { return m_path; }

    /// Sends one "Analytics.Navigation.pathChanged" to this path, with the
    /// last destination as its source.
    void onAppear() const;

  private:
    std::string m_path;
    std::shared_ptr<NavigationStatus> m_status;
};

}  // namespace analytics
