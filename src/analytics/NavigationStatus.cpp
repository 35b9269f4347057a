// SPDX-License-Identifier: MIT
#include "analytics/NavigationStatus.hpp"

#include "analytics/SharedInstance.hpp"

namespace analytics {

NavigationStatus::NavigationStatus(ClientServices services) : m_services(std::move(services)) {}

std::shared_ptr<NavigationStatus> NavigationStatus::shared() {
    return SharedInstance<NavigationStatus>::get(
        [] { return std::make_shared<NavigationStatus>(ClientServices::production()); });
}

void NavigationStatus::setShared(std::shared_ptr<NavigationStatus> status) {
    SharedInstance<NavigationStatus>::set(std::move(status));
}

std::optional<std::string> NavigationStatus::previousNavigationPath() const {
    std::lock_guard lock(m_mutex);
    return m_previousNavigationPath;
}

void NavigationStatus::navigationPathChanged(const std::string& from, const std::string& to,
                                             const std::optional<std::string>& customUserID) {
    {
        std::lock_guard lock(m_mutex);
        m_previousNavigationPath = to;
    }
    m_services.send("Analytics.Navigation.pathChanged",
                    {
                        {"Analytics.Navigation.schemaVersion", "1"},
                        {"Analytics.Navigation.identifier", from + " -> " + to},
                        {"Analytics.Navigation.sourcePath", from},
                        {"Analytics.Navigation.destinationPath", to},
                    },
                    std::nullopt, customUserID);
}

void NavigationStatus::navigationPathChangedTo(const std::string& to,
                                               const std::optional<std::string>& customUserID) {
    navigationPathChanged(previousNavigationPath().value_or(""), to, customUserID);
}

}  // namespace analytics

namespace analytics::Analytics {

void navigationPathChanged(const std::string& from, const std::string& to,
                           const std::optional<std::string>& customUserID) {
    NavigationStatus::shared()->navigationPathChanged(from, to, customUserID);
}

void navigationPathChanged(const std::string& to) {
    NavigationStatus::shared()->navigationPathChanged(to);
}

void navigationPathChangedTo(const std::string& to,
                             const std::optional<std::string>& customUserID) {
    NavigationStatus::shared()->navigationPathChangedTo(to, customUserID);
}

void navigate(const std::string& from, const std::string& to,
              const std::optional<std::string>& customUserID) {
    navigationPathChanged(from, to, customUserID);
}

void navigate(const std::string& to) {
    navigationPathChanged(to);
}

void navigateTo(const std::string& to, const std::optional<std::string>& customUserID) {
    navigationPathChangedTo(to, customUserID);
}

}  // namespace analytics::Analytics
