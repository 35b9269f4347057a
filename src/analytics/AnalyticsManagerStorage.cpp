// SPDX-License-Identifier: MIT
#include "analytics/AnalyticsManagerStorage.hpp"

#include "analytics/AnalyticsManager.hpp"

#include <mutex>

namespace analytics {

AnalyticsManagerStorage& AnalyticsManagerStorage::shared() {
    static AnalyticsManagerStorage storage;
    return storage;
}

std::shared_ptr<AnalyticsManager> AnalyticsManagerStorage::manager() const {
    std::shared_lock lock(m_queue);
    return m_manager;
}

std::shared_ptr<AnalyticsManager> AnalyticsManagerStorage::setManager(
    std::shared_ptr<AnalyticsManager> manager) {
    std::unique_lock lock(m_queue);
    std::swap(m_manager, manager);
    return manager;
}

}  // namespace analytics
