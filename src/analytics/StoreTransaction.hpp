// SPDX-License-Identifier: MIT
#pragma once

#include "platform/Clock.hpp"

#include <cstdint>
#include <map>
#include <optional>
#include <string>

namespace analytics {

/// A store purchase as a platform store adapter (or a test) reports it: the
/// fields the purchase signals read. Platforms that give an offer record set
/// `offer`; older ones set `offerType` and
/// `offerPaymentModeStringRepresentation` instead.
struct StoreTransaction {
    enum class ProductType { consumable, nonConsumable, nonRenewable, autoRenewable };
    enum class OfferType { introductory, promotional, code, winBack };
    enum class PaymentMode { freeTrial, payAsYouGo, payUpFront };

    struct Offer {
        std::optional<OfferType> type;
        std::optional<PaymentMode> paymentMode;
        std::optional<std::string> id;
    };

    std::string productID;
    /// The first transaction's identifier: the same across renewals.
    std::uint64_t originalID = 0;
    ProductType productType = ProductType::consumable;
    /// Present for subscriptions.
    std::optional<std::string> subscriptionGroupID;
    std::optional<Offer> offer;
    std::optional<OfferType> offerType;
    /// "FREE_TRIAL", "PAY_AS_YOU_GO" or "PAY_UP_FRONT".
    std::optional<std::string> offerPaymentModeStringRepresentation;
    std::optional<double> price;
    /// ISO 4217 code of the price's currency.
    std::optional<std::string> currencyCode;
    std::string storefrontCountryCode;
    std::optional<fixtora::Instant> revocationDate;
    std::optional<fixtora::Instant> expirationDate;
    bool isUpgraded = false;

    /// "Analytics.Purchase.type", ".countryCode", ".productID" and, when the
    /// currency is known, ".currencyCode".
    std::map<std::string, std::string> purchaseParameters() const;
    /// The price in US dollars from the fixed exchange table; 0 without a
    /// price or for a currency missing from the table.
    double priceInUSD() const;
    /// An introductory offer paid as a free trial.
    bool isFreeTrial() const;
    /// The introductory offer's type, from the offer record when there is one.
    std::optional<OfferType> effectiveOfferType() const;
};

/// One element of the store's stream of transaction updates.
struct TransactionUpdate {
    bool verified = false;
    StoreTransaction transaction;
};

}  // namespace analytics
