// SPDX-License-Identifier: MIT
#include "AnalyticsTestSupport.hpp"

#include "analytics/AnyIdentifiableError.hpp"
#include "analytics/DurationSignalTracker.hpp"
#include "analytics/ErrorCategory.hpp"
#include "analytics/NavigationStatus.hpp"
#include "analytics/PresetSignals.hpp"
#include "analytics/PurchaseSignals.hpp"
#include "analytics/TrackNavigationModifier.hpp"
#include "analytics/TrialConversionTracker.hpp"

#include <gtest/gtest.h>

namespace analytics::test {
namespace {

using Parameters = std::map<std::string, std::string>;

class DurationTest : public ::testing::Test {
  protected:
    RecordingServices r;
    std::shared_ptr<DurationSignalTracker> tracker = DurationSignalTracker::create(r.services());

    // Stops and sends `name`; the duration of the last signal sent.
    std::string stop(const std::string& name) {
        tracker->stopAndSend(name, {}, std::nullopt, std::nullopt);
        const auto sent = r.signals();
        return sent.empty() ? std::string("(nothing sent)")
                            : sent.back().parameters.at("Analytics.Signal.durationInSeconds");
    }
};

TEST_F(DurationTest, ElapsedTimeIsFlooredToTheMillisecondAndWrittenShortest) {
    const std::pair<double, const char*> cases[] = {
        {2.5034, "2.503"}, {3.0, "3.0"},           {12.3459, "12.345"},
        {0.0004, "0.0"},   {86400.25, "86400.25"},
    };
    for (const auto& [elapsed, text] : cases) {
        tracker->startTracking("load", {}, false);
        r.clock->advance(elapsed);
        EXPECT_EQ(stop("load"), text) << elapsed;
    }
}

TEST_F(DurationTest, InactivePeriodsAreLeftOutUnlessAskedFor) {
    tracker->startTracking("excluded", {}, false);
    tracker->startTracking("included", {}, true);
    r.clock->advance(4);
    // Two resign-actives before one become-active: only the later one counts.
    r.notifications->applicationDidResignActive();
    r.clock->advance(50);
    r.notifications->applicationDidResignActive();
    r.clock->advance(30);
    r.notifications->applicationWillBecomeActive();
    r.clock->advance(2);

    EXPECT_EQ(stop("excluded"), "56.0");
    EXPECT_EQ(stop("included"), "86.0");
}

TEST_F(DurationTest, ATimerStartedWhileInactiveIsShiftedByTheWholeInactivePeriod) {
    r.notifications->applicationDidResignActive();
    r.clock->advance(10);
    tracker->startTracking("late", {}, false);
    r.clock->advance(5);
    r.notifications->applicationWillBecomeActive();
    r.clock->advance(20);
    EXPECT_EQ(stop("late"), "10.0");
}

TEST_F(DurationTest, ParametersLayerStartThenStopAndRestartsDropTheFirstStart) {
    tracker->startTracking("checkout", {{"step", "one"}, {"dropped", "x"}}, false);
    r.clock->advance(3);
    tracker->startTracking("checkout", {{"step", "two"}, {"plan", "pro"}}, false);
    r.clock->advance(1);
    tracker->stopAndSend("checkout", {{"plan", "team"}}, 4.5, "user-7");

    const auto sent = r.signals();
    ASSERT_EQ(sent.size(), 1u);
    EXPECT_EQ(
        std::tuple(sent[0].type, sent[0].parameters, sent[0].floatValue, sent[0].customUserID),
        std::tuple("checkout", kv("Analytics.Signal.durationInSeconds=1.0 step=two plan=team"), 4.5,
                   "user-7"));
}

TEST_F(DurationTest, StopAfterCancelOrWithoutStartSendsNothing) {
    tracker->startTracking("gone", {}, false);
    EXPECT_TRUE(tracker->stopTracking("gone"));
    EXPECT_EQ(stop("gone") + stop("never"), "(nothing sent)(nothing sent)");
    EXPECT_TRUE(r.logs().empty());
}

TEST(Navigation, ReportsCarrySourceAndDestinationAndRememberTheLastDestination) {
    RecordingServices r;
    auto status = std::make_shared<NavigationStatus>(r.services());
    status->navigationPathChanged("settings");
    status->navigationPathChangedTo("about", "user-1");
    status->navigationPathChanged("home", "fixtures/week-12");
    TrackNavigationModifier modifier("team-picker", status);
    modifier.onAppear();
    modifier.onAppear();

    // Each report as "identifier (user or -)"; its paths are the identifier's two sides.
    std::vector<std::string> seen;
    for (const auto& s : r.signals()) {
        auto p = s.parameters;
        const std::string key = "Analytics.Navigation.", id = p[key + "identifier"];
        EXPECT_EQ(p[key + "sourcePath"] + " -> " + p[key + "destinationPath"], id);
        seen.push_back(id + " (" + s.customUserID.value_or("-") + ")");
    }
    EXPECT_EQ(seen,
              (std::vector<std::string>{
                  " -> settings (-)", "settings -> about (user-1)", "home -> fixtures/week-12 (-)",
                  "fixtures/week-12 -> team-picker (-)", "team-picker -> team-picker (-)"}));
    EXPECT_EQ(status->previousNavigationPath(), "team-picker");
}

// Presets that only pair a name with a key are left to the whole-app tests;
// these pin the optional keys, the caller's overrides and the limits.
TEST(PresetSignals, SendTheirKeysAndTheCallersOverridesWithinTheLimits) {
    RecordingServices r;
    PresetSignals p(r.services());
    const auto sent = [&](const std::string& type, const std::string& parameters,
                          std::optional<double> value = {}, std::optional<std::string> user = {}) {
        const auto all = r.signals();
        ASSERT_EQ(all.size(), 1u) << type;
        EXPECT_EQ(
            std::tuple(all[0].type, all[0].parameters, all[0].floatValue, all[0].customUserID),
            std::tuple("Analytics." + type, kv("Analytics." + parameters, ';'), value, user));
        r.clear();
    };
    p.referralSent(12000, "email");
    sent("Referral.sent", "Referral.receiversCount=12000;Analytics.Referral.kind=email");
    // An identifiable error gives its message unless the caller gives one, even none.
    const auto timeout = with(fixtora::Error{"APIClient", 504, "No answer."}, "E-504");
    p.errorOccurred(timeout, ErrorCategory::thrownException, {}, 1.0, "u");
    sent("Error.occurred",
         "Error.id=E-504;Analytics.Error.category=thrown-exception;"
         "Analytics.Error.message=No answer.",
         1.0, "u");
    p.errorOccurred(timeout, ErrorCategory::appState, std::optional<std::string>{});
    sent("Error.occurred", "Error.id=E-504;Analytics.Error.category=app-state");
    for (const int rating : {-1, 11}) p.userRatingSubmitted(rating, "x");
    EXPECT_EQ(std::pair(r.signals().size(), r.logs().size()), std::pair(0ul, 2ul));
}

using T = StoreTransaction;

T subscription(std::optional<double> price = 9.99, std::optional<std::string> currency = "EUR") {
    T t;
    t.productID = "fixtora.pro.monthly", t.originalID = 2000000123456789ULL, t.price = price;
    t.productType = T::ProductType::autoRenewable, t.subscriptionGroupID = "21450000";
    t.currencyCode = std::move(currency), t.storefrontCountryCode = "DEU";
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

const std::string kPurchase = "Analytics.Purchase.";
// "key=value ..." under the purchase prefix.
std::map<std::string, std::string> purchase(const std::string& text) {
    std::map<std::string, std::string> out;
    for (const auto& [k, v] : kv(text)) out[kPurchase + k] = v;
    return out;
}
const auto kEUR = purchase(
    "type=subscription countryCode=DEU "
    "productID=fixtora.pro.monthly currencyCode=EUR");

TEST(PurchaseSignals, TellFreeTrialsFromPaidPurchases) {
    T tip = freeTrial(4.99);
    tip.productType = T::ProductType::consumable, tip.subscriptionGroupID.reset();
    tip.productID = "fixtora.tip", tip.currencyCode = "USD", tip.storefrontCountryCode = "USA";
    const std::tuple<T, std::optional<double>, std::map<std::string, std::string>> cases[] = {
        // USD: none for a trial
        {subscription(), 9.99 / 0.9533, kEUR},
        {freeTrial(2.99), 2.99 / 0.9533, kEUR},
        {freeTrial(), std::nullopt, kEUR},
        {olderIntroOffer("FREE_TRIAL", std::nullopt), std::nullopt, kEUR},
        {tip, 4.99,
         purchase("type=one-time-purchase countryCode=USA productID=fixtora.tip currencyCode=USD")},
        {subscription(9.99, std::nullopt), 0.0,
         purchase("type=subscription countryCode=DEU productID=fixtora.pro.monthly")},
    };
    for (const auto& [transaction, usd, parameters] : cases) {
        SCOPED_TRACE(::testing::PrintToString(parameters));
        RecordingServices r;
        auto tracker = TrialConversionTracker::create(
            r.services(), std::make_shared<TransactionUpdateStream>(), r.scheduler);
        PurchaseSignals(r.services(), tracker).purchaseCompleted(transaction, {{"k", "v"}}, "u9");
        r.scheduler->runUntilIdle();
        auto sent = r.signals();
        ASSERT_EQ(sent.size(), 1u);
        EXPECT_EQ(
            std::tuple(sent[0].type, sent[0].customUserID, tracker->currentTrial().has_value(),
                       tracker->isObserving()),
            std::tuple(kPurchase + (usd ? "completed" : "freeTrialStarted"), "u9", !usd, !usd));
        EXPECT_DOUBLE_EQ(sent[0].floatValue.value_or(-1), usd.value_or(-1));
        EXPECT_EQ(sent[0].parameters.extract("k").mapped(), "v");
        EXPECT_EQ(sent[0].parameters, parameters);
    }
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
    publish(subscription(), /*verified=*/false);  // unverified: ignored
    auto otherProduct = subscription(), otherOriginal = subscription();
    otherProduct.productID = "fixtora.pro.yearly";
    otherOriginal.originalID = 7;
    publish(otherProduct);
    publish(otherOriginal);
    publish(freeTrial());  // still in the trial
    EXPECT_EQ(std::pair(r.signals().size(), r.suite->contains("lastTrial")), std::pair(0ul, true));

    publish(subscription());
    publish(subscription());
    const auto sent = r.signals();
    ASSERT_EQ(sent.size(), 1u);
    EXPECT_EQ(std::tuple(sent[0].type, sent[0].parameters, sent[0].customUserID),
              std::tuple(kPurchase + "convertedFromTrial", kEUR, std::nullopt));
    EXPECT_DOUBLE_EQ(sent[0].floatValue.value_or(0), 9.99 / 0.9533);
    EXPECT_EQ(std::tuple(r.suite->contains("lastTrial"), tracker->isObserving(),
                         updates->observerCount()),
              std::tuple(false, false, 0u));
}

TEST_F(TrialConversionTest, ATrialEndsWithoutPayingOnlyOnceItIsOver) {
    const std::pair<const char*, std::function<void(T&)>> endings[] = {
        {"revoked", [this](T& t) { t.revocationDate = r.clock->now() - 60; }},
        {"expired", [this](T& t) { t.expirationDate = r.clock->now() - 1; }},
        {"upgraded", [](T& t) { t.isUpgraded = true; }},
        {"", [this](T& t) { t = freeTrial(), t.expirationDate = r.clock->now() + 1; }},
    };
    for (const auto& [name, end] : endings) {
        startTrial();
        auto t = subscription();
        end(t);
        publish(t);
        const bool over = *name;  // the last still runs
        EXPECT_EQ(std::pair(r.suite->contains("lastTrial"), tracker->isObserving()),
                  std::pair(!over, !over))
            << name;
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

TEST(TrialEncodingTest, ATrialThatCannotBeEncodedIsForgottenNotFatal) {
    RecordingServices r;
    auto tracker = TrialConversionTracker::create(r.services(), nullptr, r.scheduler);
    tracker->setCurrentTrial(TrialConversionTracker::StoredTrial{"fixtora.pro", 7});
    r.scheduler->runUntilIdle();
    ASSERT_TRUE(tracker->currentTrial());
    // Not UTF-8: a trial stored under another identifier would never convert.
    tracker->setCurrentTrial(TrialConversionTracker::StoredTrial{"fixtora.pro\xff", 8});
    r.scheduler->runUntilIdle();
    EXPECT_FALSE(r.suite->contains("lastTrial"));
}

}  // namespace
}  // namespace analytics::test
