// SPDX-License-Identifier: MIT
#include "analytics/PurchaseSignals.hpp"

#include "analytics/TrialConversionTracker.hpp"

namespace analytics {
namespace {

PurchaseSignals::Parameters merged(PurchaseSignals::Parameters own,
                                   const PurchaseSignals::Parameters& caller) {
    for (const auto& [key, value] : caller) own[key] = value;  // the caller's value wins
    return own;
}

}  // namespace

bool PurchaseSignals::startsFreeTrial(const StoreTransaction& transaction) {
    return transaction.productType == StoreTransaction::ProductType::autoRenewable &&
           transaction.effectiveOfferType() == StoreTransaction::OfferType::introductory &&
           (!transaction.price || *transaction.price == 0.0);
}

void PurchaseSignals::purchaseCompleted(const StoreTransaction& transaction,
                                        const Parameters& parameters,
                                        const std::optional<std::string>& customUserID) const {
    if (startsFreeTrial(transaction))
        reportFreeTrial(transaction, parameters, customUserID);
    else
        reportPaidPurchase(transaction, parameters, customUserID);
}

void PurchaseSignals::reportPaidPurchase(const StoreTransaction& transaction,
                                         const Parameters& parameters,
                                         const std::optional<std::string>& customUserID) const {
    m_services.send("Analytics.Purchase.completed",
                    merged(transaction.purchaseParameters(), parameters), transaction.priceInUSD(),
                    customUserID);
}

void PurchaseSignals::reportFreeTrial(const StoreTransaction& transaction,
                                      const Parameters& parameters,
                                      const std::optional<std::string>& customUserID) const {
    m_services.send("Analytics.Purchase.freeTrialStarted",
                    merged(transaction.purchaseParameters(), parameters), std::nullopt,
                    customUserID);
    if (!m_tracker) return;
    m_tracker->setCurrentTrial(
        TrialConversionTracker::StoredTrial{transaction.productID, transaction.originalID});
    m_tracker->startObservingTransactions();
}

namespace Analytics {

void purchaseCompleted(const StoreTransaction& transaction,
                       const std::map<std::string, std::string>& parameters,
                       const std::optional<std::string>& customUserID) {
    PurchaseSignals(ClientServices::production(), TrialConversionTracker::shared())
        .purchaseCompleted(transaction, parameters, customUserID);
}

}  // namespace Analytics
}  // namespace analytics
