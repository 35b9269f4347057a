// SPDX-License-Identifier: MIT
#include "analytics/StoreTransaction.hpp"

#include "analytics/ExchangeRates.hpp"

namespace analytics {

std::map<std::string, std::string> StoreTransaction::purchaseParameters() const {
    std::map<std::string, std::string> parameters{
        {"Analytics.Purchase.type", subscriptionGroupID ? "subscription" : "one-time-purchase"},
        {"Analytics.Purchase.countryCode", storefrontCountryCode},
        {"Analytics.Purchase.productID", productID},
    };
    if (currencyCode) parameters["Analytics.Purchase.currencyCode"] = *currencyCode;
    return parameters;
}

double StoreTransaction::priceInUSD() const {
    const double amount = price.value_or(0.0);
    if (currencyCode && *currencyCode == "USD") return amount;
    if (!currencyCode) return 0.0;
    const auto rate = oneUSDExchangeRate(*currencyCode);
    return rate ? amount / *rate : 0.0;
}

bool StoreTransaction::isFreeTrial() const {
    if (offer)
        return offer->type == OfferType::introductory &&
               offer->paymentMode == PaymentMode::freeTrial;
    return offerType == OfferType::introductory &&
           offerPaymentModeStringRepresentation == "FREE_TRIAL";
}

std::optional<StoreTransaction::OfferType> StoreTransaction::effectiveOfferType() const {
    if (offer) return offer->type;
    return offerType;
}

}  // namespace analytics
