// SPDX-License-Identifier: MIT
#include "AnalyticsTestSupport.hpp"

#include "analytics/DurationSignalTracker.hpp"
#include "analytics/NavigationStatus.hpp"
#include "analytics/TrackNavigationModifier.hpp"

#include <gtest/gtest.h>

namespace analytics::test {
namespace {

using Parameters = std::map<std::string, std::string>;

class DurationTest : public ::testing::Test {
  protected:
    RecordingServices r;
    std::shared_ptr<DurationSignalTracker> tracker = DurationSignalTracker::create(r.services());

    std::string sentDuration() const {
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
        tracker->stopAndSend("load", {}, std::nullopt, std::nullopt);
        EXPECT_EQ(sentDuration(), text) << elapsed;
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

    tracker->stopAndSend("excluded", {}, std::nullopt, std::nullopt);
    EXPECT_EQ(sentDuration(), "56.0");
    tracker->stopAndSend("included", {}, std::nullopt, std::nullopt);
    EXPECT_EQ(sentDuration(), "86.0");
}

TEST_F(DurationTest, ATimerStartedWhileInactiveIsShiftedByTheWholeInactivePeriod) {
    r.notifications->applicationDidResignActive();
    r.clock->advance(10);
    tracker->startTracking("late", {}, false);
    r.clock->advance(5);
    r.notifications->applicationWillBecomeActive();
    r.clock->advance(20);
    tracker->stopAndSend("late", {}, std::nullopt, std::nullopt);
    EXPECT_EQ(sentDuration(), "10.0");
}

TEST_F(DurationTest, ParametersLayerStartThenStopAndRestartsDropTheFirstStart) {
    tracker->startTracking("checkout", {{"step", "one"}, {"dropped", "x"}}, false);
    r.clock->advance(3);
    tracker->startTracking("checkout", {{"step", "two"}, {"plan", "pro"}}, false);
    r.clock->advance(1);
    tracker->stopAndSend("checkout", {{"plan", "team"}}, 4.5, "user-7");

    const auto sent = r.signals();
    ASSERT_EQ(sent.size(), 1u);
    EXPECT_EQ(sent[0].type, "checkout");
    EXPECT_EQ(sent[0].parameters, (Parameters{{"Analytics.Signal.durationInSeconds", "1.0"},
                                              {"step", "two"},
                                              {"plan", "team"}}));
    EXPECT_EQ(sent[0].floatValue, 4.5);
    EXPECT_EQ(sent[0].customUserID, "user-7");
}

TEST_F(DurationTest, StopAfterCancelOrWithoutStartSendsNothing) {
    tracker->startTracking("gone", {}, false);
    EXPECT_TRUE(tracker->stopTracking("gone"));
    tracker->stopAndSend("gone", {}, std::nullopt, std::nullopt);
    tracker->stopAndSend("never", {}, std::nullopt, std::nullopt);
    EXPECT_TRUE(r.signals().empty());
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

    const std::pair<std::string, std::optional<std::string>> expected[] = {
        {" -> settings", {}},
        {"settings -> about", "user-1"},
        {"home -> fixtures/week-12", {}},
        {"fixtures/week-12 -> team-picker", {}},
        {"team-picker -> team-picker", {}},
    };
    const auto sent = r.signals();
    ASSERT_EQ(sent.size(), std::size(expected));
    const std::string key = "Analytics.Navigation.";
    for (std::size_t i = 0; i < sent.size(); ++i) {
        const auto& [identifier, user] = expected[i];
        const auto arrow = identifier.find(" -> ");
        EXPECT_EQ(sent[i].type, key + "pathChanged");
        EXPECT_EQ(sent[i].parameters,
                  (Parameters{{key + "schemaVersion", "1"},
                              {key + "identifier", identifier},
                              {key + "sourcePath", identifier.substr(0, arrow)},
                              {key + "destinationPath", identifier.substr(arrow + 4)}}))
            << i;
        EXPECT_EQ(sent[i].customUserID, user) << i;
        EXPECT_FALSE(sent[i].floatValue);
    }
    EXPECT_EQ(status->previousNavigationPath(), "team-picker");
}

}  // namespace
}  // namespace analytics::test
