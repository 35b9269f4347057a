// SPDX-License-Identifier: MIT
#include "AnalyticsTestSupport.hpp"

#include "analytics/AnyIdentifiableError.hpp"
#include "analytics/DefaultSignalPayload.hpp"
#include "analytics/DurationSignalTracker.hpp"
#include "analytics/LocalCalendar.hpp"
#include "analytics/NavigationStatus.hpp"
#include "analytics/PresetSignals.hpp"
#include "analytics/PurchaseSignals.hpp"
#include "analytics/SessionManager.hpp"
#include "analytics/StoredSession.hpp"
#include "analytics/TrackNavigationModifier.hpp"
#include "analytics/TrialConversionTracker.hpp"
#include "platform/WorkerScheduler.hpp"
#include "platform/linux/LinuxSystemInfo.hpp"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

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

    // Each report as "source -> destination (user or -)".
    std::vector<std::string> seen;
    for (auto [type, p, value, user] : r.signals())
        seen.push_back(p["Analytics.Navigation.sourcePath"] + " -> " +
                       p["Analytics.Navigation.destinationPath"] + " (" + user.value_or("-") + ")");
    EXPECT_EQ(seen,
              (std::vector<std::string>{
                  " -> settings (-)", "settings -> about (user-1)", "home -> fixtures/week-12 (-)",
                  "fixtures/week-12 -> team-picker (-)", "team-picker -> team-picker (-)"}));
    EXPECT_EQ(status->previousNavigationPath(), "team-picker");
}

// The presets with optional keys, overrides from the caller or limits; the
// ones that only pair a name with a key are left untested.
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

constexpr double kDay = 86400;
// 2026-03-01T09:00:00Z, a Sunday.
constexpr fixtora::Instant kMarch1 = 1772355600;

std::vector<std::int64_t> durations(const std::vector<StoredSession>& sessions) {
    std::vector<std::int64_t> out;
    for (const auto& s : sessions) out.push_back(s.durationInSeconds);
    return out;
}

std::vector<StoredSession> storedSessions(const fixtora::InMemoryPreferences& suite) {
    const auto data = suite.data("recentSessions");
    if (!data) return {};
    return StoredSession::decodeList(std::string(data->begin(), data->end()))
        .value_or(std::vector<StoredSession>{});
}

void storeSessions(fixtora::InMemoryPreferences& suite,
                   const std::vector<StoredSession>& sessions) {
    const auto json = *StoredSession::encodeList(sessions);
    suite.setData("recentSessions", fixtora::Preferences::Bytes(json.begin(), json.end()));
}

class SessionManagerTest : public ::testing::Test {
  protected:
    RecordingServices r{kMarch1};

    /// A process start: a new manager on the same suite, then a session.
    std::shared_ptr<SessionManager> launch() {
        auto manager = SessionManager::create(r.services(), r.scheduler);
        manager->startNewSession();
        r.scheduler->runUntilIdle();
        return manager;
    }
};

TEST_F(SessionManagerTest, AWeekOfUseRemembersSessionsDaysAndTheFirstInstall) {
    const auto installs = [&] {
        return r.signalsNamed("Analytics.Acquisition.newInstallDetected").size();
    };
    // Day 1: first launch ever, a 10-second session.
    auto manager = launch();
    EXPECT_EQ(r.signals().at(0).parameters,
              kv("Analytics.Acquisition.firstSessionDate=2026-03-01"));
    EXPECT_EQ(r.suite->string("firstSessionDate"), "2026-03-01");
    r.scheduler->advance(10);
    manager.reset();
    // Day 1 again, later: no second install signal, no new day of use.
    r.scheduler->advance(3600);
    manager = launch();
    r.scheduler->advance(0.5);  // too short to be remembered
    manager.reset();
    // Day 2: 20 seconds of use around 100 seconds of inactivity.
    r.scheduler->advance(kDay);
    manager = launch();
    r.scheduler->advance(12);
    r.notifications->applicationDidResignActive();
    r.scheduler->advance(100);
    r.scheduler->runUntilIdle();
    EXPECT_EQ(durations(storedSessions(*r.suite)), (std::vector<std::int64_t>{10, 12}));
    r.notifications->applicationWillBecomeActive();
    r.scheduler->advance(8);
    manager.reset();
    // Day 5: the current session lasts 5 seconds.
    r.scheduler->advance(3 * kDay);
    manager = launch();
    r.scheduler->advance(5);

    const auto sessions = manager->recentSessions();
    ASSERT_EQ(durations(sessions), (std::vector<std::int64_t>{10, 20, 5}));
    EXPECT_EQ(std::tuple(manager->averageSessionSeconds(), manager->previousSessionSeconds(),
                         r.suite->integer("deletedSessionsCount"), installs()),
              std::tuple(15, 20, 0, 1u));
    // Stored start times are whole seconds.
    EXPECT_EQ(durations(storedSessions(*r.suite)), durations(sessions));
    EXPECT_EQ(storedSessions(*r.suite)[2].startedAt, std::trunc(sessions[2].startedAt));
    EXPECT_EQ(r.suite->stringList("distinctDaysUsed"),
              (std::vector<std::string>{"2026-03-01", "2026-03-02", "2026-03-05"}));
}

TEST(SessionHistory, SessionsOlderThanNinetyDaysArePrunedAndCounted) {
    // Days ago of the stored sessions; a history all pruned is a new installation.
    for (const auto& [older, newer] : {std::pair{91, 89}, std::pair{100, 95}}) {
        RecordingServices r{kMarch1};
        storeSessions(*r.suite, {{kMarch1 - older * kDay, 30}, {kMarch1 - newer * kDay, 40}});
        r.suite->setInteger("deletedSessionsCount", 2);
        auto manager = SessionManager::create(r.services(), r.scheduler);
        manager->startNewSession();
        r.scheduler->runUntilIdle();
        const bool kept = newer < 90;
        using D = std::vector<std::int64_t>;
        EXPECT_EQ(std::tuple(durations(manager->recentSessions()),
                             r.suite->integer("deletedSessionsCount"),
                             r.signalsNamed("Analytics.Acquisition.newInstallDetected").size()),
                  std::tuple(kept ? D{40} : D{}, kept ? 3 : 4, kept ? 0u : 1u))
            << older;
    }
}

TEST_F(SessionManagerTest, UnreadableHistoryStartsEmptyAndIsOverwritten) {
    r.suite->setData("recentSessions", {'n', 'o', 't'});
    auto manager = launch();
    EXPECT_EQ(std::pair(manager->averageSessionSeconds(),
                        r.signalsNamed("Analytics.Acquisition.newInstallDetected").size()),
              std::pair(-1l, 1ul));
    r.scheduler->advance(2);
    EXPECT_EQ(storedSessions(*r.suite).size(), 1u);
}

TEST(SessionStatistics, DamagedStoredDurationsAverageWithoutOverflow) {
    constexpr auto kMax = std::numeric_limits<std::int64_t>::max();
    constexpr auto kMin = std::numeric_limits<std::int64_t>::min();
    // The stored durations (the last one is the latest session, left out) and their average.
    const std::pair<std::vector<std::int64_t>, std::int64_t> cases[] = {
        {{kMax, kMax, 1}, kMax},
        {{kMin, kMin, -1, 1}, -6148914691236517205},  // (2 kMin - 1) / 3, rounded towards zero
        {{kMax, kMin, 7, 1}, (kMax + kMin + 7) / 3},
    };
    for (const auto& [stored, average] : cases) {
        RecordingServices r(kMarch1);
        std::vector<StoredSession> sessions;
        for (std::size_t i = 0; i < stored.size(); ++i)
            sessions.push_back({kMarch1 - kDay + static_cast<double>(i) * 60, stored[i]});
        storeSessions(*r.suite, sessions);
        auto manager = SessionManager::create(r.services(), r.scheduler);
        EXPECT_EQ(manager->averageSessionSeconds(), average) << ::testing::PrintToString(stored);
    }
}

TEST(StoredSessionCoding, StartTimesAreWholeSecondsAndUnencodableTimesWriteNothing) {
    EXPECT_EQ(StoredSession::encodeList({{1772355600.9, 12}}), R"([{"dn":12,"st":1772355600}])");
    EXPECT_EQ(StoredSession::decodeList(R"([{"st":1772355600,"dn":12}])"),
              (std::vector<StoredSession>{{1772355600, 12}}));
    EXPECT_FALSE(StoredSession::encodeList({{1e19, 1}}));
    EXPECT_FALSE(StoredSession::decodeList(R"([{"st":"x","dn":1}])"));
    EXPECT_FALSE(StoredSession::decodeList(R"({"st":1,"dn":1})"));
}

TEST(SessionPersistence, WritesOnTheWorkerLandInTheOrderTheyWereIssued) {
    RecordingServices r(kMarch1);
    auto worker = std::make_shared<fixtora::WorkerScheduler>("persistence");
    auto manager = SessionManager::create(r.services(), worker);
    manager->startNewSession();
    for (int i = 0; i < 50; ++i) r.scheduler->advance(1);
    worker->drain();
    EXPECT_EQ(durations(storedSessions(*r.suite)), durations(manager->recentSessions()));
    EXPECT_EQ(storedSessions(*r.suite).back().durationInSeconds, 50);
}

using fixtora::LinuxSystemInfo;

TEST(DefaultPayload, CarriesTheLocalMoment) {
    struct Case {
        fixtora::Instant instant;
        const char *zone, *offset;
        // Local day, then day of week, hour, day of year, week, month, quarter, weekend.
        const char* figures;
    };
    // Weeks start on Sunday and the first week needs one day, whatever the
    // locale: 27 December 2026 (a Sunday) already opens week 1 of 2027.
    const Case cases[] = {
        {1780875000, "UTC", "UTC+0", "2026-06-07 7 24 158 24 6 2 true"},
        {1767414600, "America/New_York", "UTC-5", "2026-01-02 5 24 2 1 1 1 false"},
        {1798747200, "Asia/Kolkata", "UTC+5:30", "2027-01-01 5 2 1 1 1 1 false"},
        {1798372800, "UTC", "UTC+0", "2026-12-27 7 13 361 1 12 4 true"},
        {1768478400, "America/St_Johns", "UTC-3:30", "2026-01-15 4 9 15 3 1 1 false"},
        {1782907200, "Europe/London", "UTC+1", "2026-07-01 3 14 182 27 7 3 false"},
        {1780740000, "Nowhere/Special", "UTC+0", "2026-06-06 6 11 157 23 6 2 true"},
    };
    for (const auto& c : cases) {
        RecordingServices r(c.instant);
        r.system->setTimeZoneIdentifier(c.zone);
        auto p = DefaultSignalPayload::parameters({r.system, r.clock, nullptr, nullptr});
        std::string figures = p["Analytics.Acquisition.firstSessionDate"];  // today, locally
        for (const char* key : {"dayOfWeek", "hourOfDay", "dayOfYear", "weekOfYear", "monthOfYear",
                                "quarterOfYear", "isWeekend"})
            figures += " " + p["Analytics.Calendar." + std::string(key)];
        EXPECT_EQ(figures, c.figures) << c.zone;
        EXPECT_EQ(p["Analytics.Device.timeZone"], c.offset) << c.zone;
        EXPECT_EQ(p["Analytics.Calendar.dayOfMonth"], std::to_string(std::stoi(c.figures + 8)));
    }
    // Less than an hour west of Greenwich.
    EXPECT_EQ(LocalCalendar::offsetText(-1800), "UTC-0:30");
}

TEST(DefaultPayload, RetentionFiguresComeFromTheSuiteAndTheSessionHistory) {
    RecordingServices r;  // 2026-06-01
    storeSessions(*r.suite, {{kStart - 3 * kDay, 10}, {kStart - 2 * kDay, 20}, {kStart - kDay, 5}});
    r.suite->setInteger("deletedSessionsCount", 4);
    r.suite->setString("firstSessionDate", "2026-01-10");
    // The cutoff of the last month is 2026-05-02 (GMT).
    r.suite->setStringList("distinctDaysUsed",
                           {"2026-04-30", "2026-05-01", "2026-05-02", "2026-05-20"});
    auto manager = SessionManager::create(r.services(), r.scheduler);
    r.scheduler->runUntilIdle();

    auto p =
        DefaultSignalPayload::parameters({r.system, r.clock, manager, r.services().customDefaults});
    // Creating the manager recorded today as a day of use.
    const auto expected =
        kv("Acquisition.firstSessionDate=2026-01-10 "
           "Retention.averageSessionSeconds=15 Retention.previousSessionSeconds=20 "
           "Retention.distinctDaysUsed=5 Retention.distinctDaysUsedLastMonth=3 "
           "Retention.totalSessionsCount=7");
    for (const auto& [key, value] : expected) EXPECT_EQ(p["Analytics." + key], value) << key;
}

TEST(LinuxSystemInfo, ParsesVersions) {
    const std::pair<const char*, fixtora::OperatingSystemVersion> cases[] = {
        {"22.04", {22, 4, 0}},  {"39.1.2.7", {39, 1, 2}}, {"6.1.0-18-amd64", {6, 1, 0}},
        {"rolling", {0, 0, 0}}, {"", {0, 0, 0}},
    };
    for (const auto& [text, version] : cases)
        EXPECT_EQ(LinuxSystemInfo::parseVersion(text), version) << text;
}

}  // namespace
}  // namespace analytics::test
