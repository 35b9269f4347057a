// SPDX-License-Identifier: MIT
#include "AnalyticsTestSupport.hpp"

#include "analytics/ExchangeRates.hpp"
#include "analytics/PurchaseSignals.hpp"
#include "analytics/TrialConversionTracker.hpp"

#include <gtest/gtest.h>

namespace analytics::test {
namespace {

using Parameters = std::map<std::string, std::string>;
using T = StoreTransaction;

T subscription(std::optional<double> price, std::optional<std::string> currency) {
    T t;
    t.productID = "fixtora.pro.monthly";
    t.originalID = 2000000123456789ULL;
    t.productType = T::ProductType::autoRenewable;
    t.subscriptionGroupID = "21450000";
    t.price = price;
    t.currencyCode = std::move(currency);
    t.storefrontCountryCode = "DEU";
    return t;
}

T freeTrial() {
    T t = subscription(0.0, "EUR");
    t.offer = T::Offer{T::OfferType::introductory, T::PaymentMode::freeTrial, std::nullopt};
    return t;
}

T renewal(double price) {
    T t = subscription(price, "EUR");
    return t;
}

struct PurchaseCase {
    const char* name;
    T transaction;
    const char* signal;
    std::optional<double> floatValue;
    Parameters parameters;
};

// Names the case in test output; gtest's fallback dumps the raw bytes,
// padding included.
void PrintTo(const PurchaseCase& c, std::ostream* os) {
    *os << c.name;
}

T withOlderIntroOffer(T t) {
    t.offerType = T::OfferType::introductory;
    t.offerPaymentModeStringRepresentation = "FREE_TRIAL";
    return t;
}

T consumable() {
    T t;
    t.productID = "fixtora.tip";
    t.price = 4.99;
    t.currencyCode = "USD";
    t.storefrontCountryCode = "USA";
    t.offer = T::Offer{T::OfferType::introductory, T::PaymentMode::freeTrial, std::nullopt};
    return t;
}

const Parameters kSubscriptionEUR{{"Analytics.Purchase.type", "subscription"},
                                  {"Analytics.Purchase.countryCode", "DEU"},
                                  {"Analytics.Purchase.productID", "fixtora.pro.monthly"},
                                  {"Analytics.Purchase.currencyCode", "EUR"}};

const PurchaseCase kPurchases[] = {
    {"PaidInEuro", subscription(9.99, "EUR"), "Analytics.Purchase.completed", 9.99 / 0.9533,
     kSubscriptionEUR},
    {"IntroOfferWithAPriceIsPaid",
     [] {
         auto t = freeTrial();
         t.price = 2.99;
         return t;
     }(),
     "Analytics.Purchase.completed", 2.99 / 0.9533, kSubscriptionEUR},
    {"FreeTrial", freeTrial(), "Analytics.Purchase.freeTrialStarted", std::nullopt,
     kSubscriptionEUR},
    {"FreeTrialOnAnOlderPlatformWithoutPrice",
     withOlderIntroOffer(subscription(std::nullopt, "EUR")), "Analytics.Purchase.freeTrialStarted",
     std::nullopt, kSubscriptionEUR},
    {"ConsumableIsNeverATrial",
     consumable(),
     "Analytics.Purchase.completed",
     4.99,
     {{"Analytics.Purchase.type", "one-time-purchase"},
      {"Analytics.Purchase.countryCode", "USA"},
      {"Analytics.Purchase.productID", "fixtora.tip"},
      {"Analytics.Purchase.currencyCode", "USD"}}},
    {"UnknownCurrencyIsWorthNothing",
     subscription(9.99, "XYZ"),
     "Analytics.Purchase.completed",
     0.0,
     {{"Analytics.Purchase.type", "subscription"},
      {"Analytics.Purchase.countryCode", "DEU"},
      {"Analytics.Purchase.productID", "fixtora.pro.monthly"},
      {"Analytics.Purchase.currencyCode", "XYZ"}}},
    {"NoCurrencyLeavesTheCodeOut",
     subscription(9.99, std::nullopt),
     "Analytics.Purchase.completed",
     0.0,
     {{"Analytics.Purchase.type", "subscription"},
      {"Analytics.Purchase.countryCode", "DEU"},
      {"Analytics.Purchase.productID", "fixtora.pro.monthly"}}},
};

class PurchaseTest : public ::testing::TestWithParam<PurchaseCase> {};

TEST_P(PurchaseTest, TellsFreeTrialsFromPaidPurchases) {
    RecordingServices r;
    auto updates = std::make_shared<TransactionUpdateStream>();
    auto tracker = TrialConversionTracker::create(r.services(), updates, r.scheduler);
    PurchaseSignals(r.services(), tracker)
        .purchaseCompleted(GetParam().transaction, {{"source", "paywall"}}, "u9");
    r.scheduler->runUntilIdle();

    const auto sent = r.signals();
    ASSERT_EQ(sent.size(), 1u);
    EXPECT_EQ(sent[0].type, GetParam().signal);
    auto expected = GetParam().parameters;
    expected["source"] = "paywall";
    EXPECT_EQ(sent[0].parameters, expected);
    EXPECT_EQ(sent[0].customUserID, "u9");
    if (GetParam().floatValue) {
        ASSERT_TRUE(sent[0].floatValue);
        EXPECT_DOUBLE_EQ(*sent[0].floatValue, *GetParam().floatValue);
    } else {
        EXPECT_FALSE(sent[0].floatValue);
    }
    const bool trial = std::string(GetParam().signal) == "Analytics.Purchase.freeTrialStarted";
    EXPECT_EQ(tracker->currentTrial().has_value(), trial);
    EXPECT_EQ(tracker->isObserving(), trial);
}

INSTANTIATE_TEST_SUITE_P(Purchases, PurchaseTest, ::testing::ValuesIn(kPurchases),
                         [](const auto& caseInfo) { return std::string(caseInfo.param.name); });

TEST(FreeTrialTest, NeedsAnIntroductoryFreeTrialOffer) {
    const std::pair<T, bool> cases[] = {
        {freeTrial(), true},
        {[] {
             auto t = freeTrial();
             t.offer->paymentMode = T::PaymentMode::payAsYouGo;
             return t;
         }(),
         false},
        {[] {
             auto t = freeTrial();
             t.offer->type = T::OfferType::promotional;
             return t;
         }(),
         false},
        {withOlderIntroOffer(subscription(0.0, "EUR")), true},
        {[] {
             auto t = withOlderIntroOffer(subscription(0.0, "EUR"));
             t.offerPaymentModeStringRepresentation = "PAY_UP_FRONT";
             return t;
         }(),
         false},
        // The offer record, where there is one, decides over the older fields.
        {[] {
             auto t = withOlderIntroOffer(subscription(0.0, "EUR"));
             t.offer = T::Offer{};
             return t;
         }(),
         false},
        {subscription(0.0, "EUR"), false},
    };
    for (std::size_t i = 0; i < std::size(cases); ++i)
        EXPECT_EQ(cases[i].first.isFreeTrial(), cases[i].second) << i;
}

TEST(ExchangeTable, QuotedRatesAndNoneForTheDollar) {
    EXPECT_EQ(currencyCodeToOneUSDExchangeRate().size(), 161u);
    const std::pair<const char*, double> quoted[] = {
        {"AED", 3.6725}, {"GBP", 0.7948}, {"ZWL", 26.7512}};
    for (const auto& [code, rate] : quoted) EXPECT_EQ(oneUSDExchangeRate(code), rate) << code;
    EXPECT_FALSE(oneUSDExchangeRate("USD"));
}

class TrialConversionTest : public ::testing::Test {
  protected:
    RecordingServices r;
    std::shared_ptr<TransactionUpdateStream> updates = std::make_shared<TransactionUpdateStream>();
    std::shared_ptr<TrialConversionTracker> tracker =
        TrialConversionTracker::create(r.services(), updates, r.scheduler);

    void startTrial() {
        PurchaseSignals(r.services(), tracker).purchaseCompleted(freeTrial());
        r.scheduler->runUntilIdle();
        r.clear();
    }
    void publish(const T& transaction, bool verified = true) {
        updates->publish({verified, transaction});
        r.scheduler->runUntilIdle();
    }
};

TEST_F(TrialConversionTest, AVerifiedPaidRenewalIsReportedOnceAndForgetsTheTrial) {
    startTrial();
    const auto stored = r.suite->data("lastTrial");
    ASSERT_TRUE(stored);
    EXPECT_EQ(std::string(stored->begin(), stored->end()),
              R"({"originalTransactionID":2000000123456789,"productID":"fixtora.pro.monthly"})");

    publish(renewal(9.99), /*verified=*/false);  // unverified: ignored
    auto other = renewal(9.99);
    other.productID = "fixtora.pro.yearly";
    publish(other);  // another product: ignored
    auto otherOriginal = renewal(9.99);
    otherOriginal.originalID = 7;
    publish(otherOriginal);
    publish(freeTrial());  // still in the trial
    EXPECT_TRUE(r.signals().empty());
    EXPECT_TRUE(r.suite->contains("lastTrial"));

    publish(renewal(9.99));
    publish(renewal(9.99));
    const auto sent = r.signals();
    ASSERT_EQ(sent.size(), 1u);
    EXPECT_EQ(sent[0].type, "Analytics.Purchase.convertedFromTrial");
    EXPECT_EQ(sent[0].parameters, kSubscriptionEUR);
    ASSERT_TRUE(sent[0].floatValue);
    EXPECT_DOUBLE_EQ(*sent[0].floatValue, 9.99 / 0.9533);
    EXPECT_FALSE(sent[0].customUserID);
    EXPECT_FALSE(r.suite->contains("lastTrial"));
    EXPECT_FALSE(tracker->isObserving());
    EXPECT_EQ(updates->observerCount(), 0u);
}

TEST_F(TrialConversionTest, ATrialThatEndsWithoutPayingSendsNothing) {
    const std::pair<const char*, std::function<void(T&)>> endings[] = {
        {"revoked", [this](T& t) { t.revocationDate = r.clock->now() - 60; }},
        {"expired", [this](T& t) { t.expirationDate = r.clock->now() - 1; }},
        {"upgraded", [](T& t) { t.isUpgraded = true; }},
    };
    for (const auto& [name, end] : endings) {
        startTrial();
        auto t = renewal(9.99);
        end(t);
        publish(t);
        publish(renewal(9.99));  // no longer watched
        EXPECT_TRUE(r.signals().empty()) << name;
        EXPECT_FALSE(r.suite->contains("lastTrial")) << name;
        EXPECT_FALSE(tracker->isObserving()) << name;
    }
}

TEST_F(TrialConversionTest, AnExpiryStillAheadKeepsWatching) {
    startTrial();
    auto t = freeTrial();
    t.expirationDate = r.clock->now() + 3600;
    publish(t);
    EXPECT_TRUE(tracker->isObserving());
    EXPECT_TRUE(r.suite->contains("lastTrial"));
}

TEST_F(TrialConversionTest, ATrialRememberedFromAnEarlierRunIsWatchedAgain) {
    startTrial();
    tracker.reset();
    EXPECT_EQ(updates->observerCount(), 0u);

    auto restarted = TrialConversionTracker::create(r.services(), updates, r.scheduler);
    EXPECT_TRUE(restarted->isObserving());
    publish(renewal(9.99));
    EXPECT_EQ(r.signalsNamed("Analytics.Purchase.convertedFromTrial").size(), 1u);
}

TEST_F(TrialConversionTest, AnUnreadableStoredTrialCountsAsNone) {
    r.suite->setData("lastTrial", {'{', '}'});
    EXPECT_FALSE(TrialConversionTracker::create(r.services(), updates, r.scheduler)->isObserving());
    r.suite->setData("lastTrial", {'x'});
    EXPECT_FALSE(tracker->currentTrial());
}

}  // namespace
}  // namespace analytics::test
