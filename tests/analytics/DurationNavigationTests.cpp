// SPDX-License-Identifier: MIT
#include "AnalyticsTestSupport.hpp"

#include "analytics/AnyIdentifiableError.hpp"
#include "analytics/DurationSignalTracker.hpp"
#include "analytics/ErrorCategory.hpp"
#include "analytics/NavigationStatus.hpp"
#include "analytics/PresetSignals.hpp"
#include "analytics/TrackNavigationModifier.hpp"

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
        EXPECT_EQ(std::tuple(s.type, p.size(), p[key + "schemaVersion"], s.floatValue),
                  std::tuple(key + "pathChanged", 4u, "1", std::nullopt));
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
        EXPECT_EQ(std::tuple(all[0].type, all[0].parameters, all[0].floatValue, all[0].customUserID),
                  std::tuple("Analytics." + type, kv("Analytics." + parameters, ';'), value, user));
        r.clear();
    };
    p.referralSent(12000, "email");
    sent("Referral.sent", "Referral.receiversCount=12000;Analytics.Referral.kind=email");
    p.errorOccurred("E1", std::nullopt, std::nullopt, {}, 2.5);
    sent("Error.occurred", "Error.id=E1", 2.5);
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
    EXPECT_TRUE(r.signals().empty());
    EXPECT_EQ(r.logs(), (std::vector<RecordingLog::Entry>(
                            2, {LogHandler::LogLevel::error, "Rating must be between 0 and 10"})));
}

}  // namespace
}  // namespace analytics::test
