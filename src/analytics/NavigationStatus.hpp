// SPDX-License-Identifier: MIT
#pragma once

#include "analytics/ClientServices.hpp"

#include <memory>
#include <mutex>
#include <optional>
#include <string>

namespace analytics {

/// Reports moves between screen paths as "Analytics.Navigation.pathChanged"
/// and remembers the last destination, so that a report may leave out its
/// source. Safe from any thread.
class NavigationStatus final {
  public:
    explicit NavigationStatus(ClientServices services);
    NavigationStatus(const NavigationStatus&) = delete;
    NavigationStatus& operator=(const NavigationStatus&) = delete;

    /// The installed instance, else one built on first use with
    /// `ClientServices::production()`.
    static std::shared_ptr<NavigationStatus> shared();
    static void setShared(std::shared_ptr<NavigationStatus> status);

    /// The destination of the last report; nothing before the first one.
    std::optional<std::string> previousNavigationPath() const;

    void navigationPathChanged(const std::string& from, const std::string& to,
                               const std::optional<std::string>& customUserID = std::nullopt);
    /// The source is the last destination, or "" before the first report.
    void navigationPathChanged(const std::string& to) { navigationPathChangedTo(to, std::nullopt); }
    /// As `navigationPathChanged(to)`, for a given user (a separate name, as
    /// two texts already mean source and destination).
    void navigationPathChangedTo(const std::string& to,
                                 const std::optional<std::string>& customUserID);

  private:
    const ClientServices m_services;
    mutable std::mutex m_mutex;
    std::optional<std::string> m_previousNavigationPath;
};

}  // namespace analytics

namespace analytics::Analytics {

/// Navigation reports on `NavigationStatus::shared()`; `navigate` is the same.
void navigationPathChanged(const std::string& from, const std::string& to,
                           const std::optional<std::string>& customUserID = std::nullopt);
void navigationPathChanged(const std::string& to);
void navigationPathChangedTo(const std::string& to, const std::optional<std::string>& customUserID);
void navigate(const std::string& from, const std::string& to,
              const std::optional<std::string>& customUserID = std::nullopt);
void navigate(const std::string& to);
void navigateTo(const std::string& to, const std::optional<std::string>& customUserID);

}  // namespace analytics::Analytics
