// SPDX-License-Identifier: MIT
#include "AnalyticsTestSupport.hpp"

#include "analytics/PurchaseSignals.hpp"
#include "analytics/TrialConversionTracker.hpp"

#include <gtest/gtest.h>

namespace analytics::test {
namespace {

using Parameters = std::map<std::string, std::string>;
using T = StoreTransaction;

T subscription(std::optional<double> price = 9.99, std::optional<std::string> currency = "EUR") {
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

T freeTrial(std::optional<double> price = 0.0) {
    T t = subscription(price);
    t.offer = T::Offer{T::OfferType::introductory, T::PaymentMode::freeTrial, std::nullopt};
    return t;
}

// Platforms without an offer record describe the offer in two older fields.
T olderIntroOffer(std::string paymentMode = "FREE_TRIAL", std::optional<double> price = 0.0) {
    T t = subscription(price);
    t.offerType = T::OfferType::introductory;
    t.offerPaymentModeStringRepresentation = std::move(paymentMode);
    return t;
}

T consumable() {
    T t = freeTrial(4.99);
    t.productType = T::ProductType::consumable;
    t.productID = "fixtora.tip";
    t.subscriptionGroupID.reset();
    t.currencyCode = "USD";
    t.storefrontCountryCode = "USA";
    return t;
}

const std::string kPurchase = "Analytics.Purchase.";
const Parameters kSubscriptionEUR{{kPurchase + "type", "subscription"},
                                  {kPurchase + "countryCode", "DEU"},
                                  {kPurchase + "productID", "fixtora.pro.monthly"},
                                  {kPurchase + "currencyCode", "EUR"}};

TEST(PurchaseSignals, TellFreeTrialsFromPaidPurchases) {
    struct Case {
        const char* name;
        T transaction;
        std::optional<double> usd;  // none for a trial
    };
    const Case cases[] = {
        {"paid in euro", subscription(), 9.99 / 0.9533},
        {"intro offer with a price", freeTrial(2.99), 2.99 / 0.9533},
        {"free trial", freeTrial(), std::nullopt},
        {"older platform, no price", olderIntroOffer("FREE_TRIAL", std::nullopt), std::nullopt},
        {"consumable", consumable(), 4.99},
        {"unknown currency", subscription(9.99, "XYZ"), 0.0},
        {"no currency", subscription(9.99, std::nullopt), 0.0},
    };
    std::vector<Parameters> parameters;
    for (const auto& c : cases) {
        RecordingServices r;
        auto tracker = TrialConversionTracker::create(
            r.services(), std::make_shared<TransactionUpdateStream>(), r.scheduler);
        PurchaseSignals(r.services(), tracker).purchaseCompleted(c.transaction, {{"k", "v"}}, "u9");
        r.scheduler->runUntilIdle();
        const auto sent = r.signals();
        ASSERT_EQ(sent.size(), 1u) << c.name;
        EXPECT_EQ(sent[0].type, kPurchase + (c.usd ? "completed" : "freeTrialStarted")) << c.name;
        EXPECT_EQ(sent[0].customUserID, "u9");
        EXPECT_DOUBLE_EQ(sent[0].floatValue.value_or(-1), c.usd.value_or(-1)) << c.name;
        EXPECT_EQ(tracker->currentTrial().has_value(), !c.usd) << c.name;
        EXPECT_EQ(tracker->isObserving(), !c.usd) << c.name;
        parameters.push_back(sent[0].parameters);
        EXPECT_EQ(parameters.back().at("k"), "v");
        parameters.back().erase("k");
    }
    EXPECT_EQ(parameters[0], kSubscriptionEUR);
    EXPECT_EQ(parameters[4], (Parameters{{kPurchase + "type", "one-time-purchase"},
                                         {kPurchase + "countryCode", "USA"},
                                         {kPurchase + "productID", "fixtora.tip"},
                                         {kPurchase + "currencyCode", "USD"}}));
    EXPECT_EQ(parameters[5].at(kPurchase + "currencyCode"), "XYZ");
    EXPECT_EQ(parameters[6].count(kPurchase + "currencyCode"), 0u);
}

TEST(FreeTrial, NeedsAnIntroductoryFreeTrialOffer) {
    T payAsYouGo = freeTrial(), promotional = freeTrial(), emptyOffer = olderIntroOffer();
    payAsYouGo.offer->paymentMode = T::PaymentMode::payAsYouGo;
    promotional.offer->type = T::OfferType::promotional;
    emptyOffer.offer = T::Offer{};  // the offer record decides over the older fields
    const std::pair<T, bool> cases[] = {
        {freeTrial(), true},        {payAsYouGo, false}, {promotional, false},
        {olderIntroOffer(), true},  {emptyOffer, false}, {olderIntroOffer("PAY_UP_FRONT"), false},
        {subscription(0.0), false},
    };
    for (std::size_t i = 0; i < std::size(cases); ++i)
        EXPECT_EQ(cases[i].first.isFreeTrial(), cases[i].second) << i;
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

    publish(subscription(), /*verified=*/false);  // unverified: ignored
    auto otherProduct = subscription(), otherOriginal = subscription();
    otherProduct.productID = "fixtora.pro.yearly";
    otherOriginal.originalID = 7;
    publish(otherProduct);
    publish(otherOriginal);
    publish(freeTrial());  // still in the trial
    EXPECT_TRUE(r.signals().empty());
    EXPECT_TRUE(r.suite->contains("lastTrial"));

    publish(subscription());
    publish(subscription());
    const auto sent = r.signals();
    ASSERT_EQ(sent.size(), 1u);
    EXPECT_EQ(sent[0].type, kPurchase + "convertedFromTrial");
    EXPECT_EQ(sent[0].parameters, kSubscriptionEUR);
    EXPECT_DOUBLE_EQ(sent[0].floatValue.value_or(0), 9.99 / 0.9533);
    EXPECT_FALSE(sent[0].customUserID);
    EXPECT_FALSE(r.suite->contains("lastTrial"));
    EXPECT_FALSE(tracker->isObserving());
    EXPECT_EQ(updates->observerCount(), 0u);
}

TEST_F(TrialConversionTest, ATrialEndsWithoutPayingOnlyOnceItIsOver) {
    const std::pair<const char*, std::function<void(T&)>> endings[] = {
        {"revoked", [this](T& t) { t.revocationDate = r.clock->now() - 60; }},
        {"expired", [this](T& t) { t.expirationDate = r.clock->now() - 1; }},
        {"upgraded", [](T& t) { t.isUpgraded = true; }},
        {"expiry still ahead",
         [this](T& t) { t = freeTrial(), t.expirationDate = r.clock->now() + 1; }},
    };
    for (const auto& [name, end] : endings) {
        startTrial();
        auto t = subscription();
        end(t);
        publish(t);
        const bool over = std::string(name) != "expiry still ahead";
        EXPECT_EQ(r.suite->contains("lastTrial"), !over) << name;
        EXPECT_EQ(tracker->isObserving(), !over) << name;
        publish(subscription());  // no longer watched once over
        EXPECT_EQ(r.signals().size(), over ? 0u : 1u) << name;
    }
}

TEST_F(TrialConversionTest, ATrialRememberedFromAnEarlierRunIsWatchedAgain) {
    startTrial();
    tracker.reset();
    EXPECT_EQ(updates->observerCount(), 0u);
    auto restarted = TrialConversionTracker::create(r.services(), updates, r.scheduler);
    EXPECT_TRUE(restarted->isObserving());
    publish(subscription());
    EXPECT_EQ(r.signalsNamed(kPurchase + "convertedFromTrial").size(), 1u);

    // An unreadable stored trial counts as none.
    r.suite->setData("lastTrial", {'{', '}'});
    EXPECT_FALSE(TrialConversionTracker::create(r.services(), updates, r.scheduler)->isObserving());
    r.suite->setData("lastTrial", {'x'});
    EXPECT_FALSE(restarted->currentTrial());
}

TEST(TransactionUpdateStream, DeliversInOrderUntilTheHandleGoesOrTheStreamEnds) {
    auto stream = std::make_shared<TransactionUpdateStream>();
    std::vector<std::uint64_t> first, second;
    const auto update = [](std::uint64_t id) {
        TransactionUpdate u;
        u.transaction.originalID = id;
        return u;
    };
    auto dropped = stream->observe(
        [&](const TransactionUpdate& u) { first.push_back(u.transaction.originalID); });
    auto kept = stream->observe(
        [&](const TransactionUpdate& u) { second.push_back(u.transaction.originalID); });
    stream->publish(update(1));
    dropped.reset();
    stream->publish(update(2));
    EXPECT_EQ(stream->observerCount(), 1u);

    stream->finish();
    EXPECT_TRUE(kept->isCancelled());
    stream->publish(update(3));
    const auto late = stream->observe([&](const TransactionUpdate&) { first.push_back(0); });
    stream->publish(update(4));
    EXPECT_TRUE(late->isCancelled());
    EXPECT_EQ(second, (std::vector<std::uint64_t>{1, 2}));
    EXPECT_EQ(first, (std::vector<std::uint64_t>{1}));
    EXPECT_EQ(stream->observerCount(), 0u);
}

}  // namespace
}  // namespace analytics::test
