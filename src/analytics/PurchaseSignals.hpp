// SPDX-License-Identifier: MIT
#pragma once

#include "analytics/ClientServices.hpp"
#include "analytics/StoreTransaction.hpp"

#include <map>
#include <memory>
#include <optional>
#include <string>

namespace analytics {

class TrialConversionTracker;

/// Reports store purchases: a paid purchase as "Analytics.Purchase.completed"
/// with its US-dollar price as the float value; a free trial as
/// "Analytics.Purchase.freeTrialStarted", remembered and watched by the
/// trial tracker until it converts.
class PurchaseSignals final {
  public:
    using Parameters = std::map<std::string, std::string>;

    PurchaseSignals(ClientServices services, std::shared_ptr<TrialConversionTracker> tracker)
        : m_services(std::move(services)), m_tracker(std::move(tracker)) {}

    /// A free trial is an auto-renewable subscription bought with an
    /// introductory offer at no price (absent or zero).
    static bool startsFreeTrial(const StoreTransaction& transaction);

    void purchaseCompleted(const StoreTransaction& transaction, const Parameters& parameters = {},
                           const std::optional<std::string>& customUserID = std::nullopt) const;

  private:
    void reportFreeTrial(const StoreTransaction& transaction, const Parameters& parameters,
                         const std::optional<std::string>& customUserID) const;
    void reportPaidPurchase(const StoreTransaction& transaction, const Parameters& parameters,
                            const std::optional<std::string>& customUserID) const;

    ClientServices m_services;
    std::shared_ptr<TrialConversionTracker> m_tracker;
};

namespace Analytics {

/// Reports `transaction` on the client's current configuration (see
/// `PurchaseSignals`), with `TrialConversionTracker::shared()`.
void purchaseCompleted(const StoreTransaction& transaction,
                       const std::map<std::string, std::string>& parameters = {},
                       const std::optional<std::string>& customUserID = std::nullopt);

}  // namespace Analytics
}  // namespace analytics
