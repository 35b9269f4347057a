// SPDX-License-Identifier: MIT
#pragma once

#include <memory>
#include <shared_mutex>

namespace analytics {

class AnalyticsManager;

/// The process-wide holder of the current `AnalyticsManager`.
class AnalyticsManagerStorage final {
  public:
    static AnalyticsManagerStorage& shared();

    std::shared_ptr<AnalyticsManager> manager() const;
    /// Replaces the stored manager; returns the previous one.
    std::shared_ptr<AnalyticsManager> setManager(std::shared_ptr<AnalyticsManager> manager);

  private:
    AnalyticsManagerStorage() = default;
    mutable std::shared_mutex m_queue;
    std::shared_ptr<AnalyticsManager> m_manager;
};

}  // namespace analytics
