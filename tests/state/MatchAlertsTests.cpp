// SPDX-License-Identifier: MIT
#include "state/MatchAlerts.hpp"

#include "StateTestSupport.hpp"

#include <gtest/gtest.h>

using namespace fixtora;
using test::match;

namespace {

using Kind = MatchAlert::Kind;
const std::string kArsenal = "id-ARS";

ESPNEvent arsChe(const char* status, const char* home, const char* away, int detailsOfHome = 0) {
    ESPNEvent e = match("m1", 0, status, "ARS", "CHE", home, away, "67'");
    std::vector<ESPNDetail> details;
    for (int i = 1; i <= detailsOfHome; ++i)
        details.push_back(ESPNDetail{ESPNClock{std::to_string(10 * i) + "'"}, ESPNTeamRef{kArsenal},
                                     true, i == 2, false,
                                     std::vector<ESPNAthlete>{{"Scorer " + std::to_string(i)}}});
    e.competitions.front().details = details;
    return e;
}

using Seen = std::vector<std::pair<Kind, std::string>>;

Seen feed(MatchAlerts& alerts, const ESPNEvent& e, const std::string& favourite = kArsenal) {
    Seen out;
    for (auto& a : alerts.observe({e}, favourite))
        out.emplace_back(a.kind, a.summary + " | " + a.body);
    return out;
}

TEST(MatchAlertsTest, AnnouncesKickOffEachGoalAndFullTimeOnceEach) {
    MatchAlerts alerts;
    EXPECT_TRUE(feed(alerts, arsChe("STATUS_SCHEDULED", "0", "0")).empty());
    EXPECT_EQ(feed(alerts, arsChe("STATUS_FIRST_HALF", "0", "0")),
              (Seen{{Kind::kickOff, "Kick-off: ARS vs CHE | Club ARS v Club CHE has started"}}));
    // Two home goals between two answers, the second a penalty.
    EXPECT_EQ(feed(alerts, arsChe("STATUS_FIRST_HALF", "2", "0", 2)),
              (Seen{{Kind::goal, "Goal: ARS 1\u20130 CHE | 10' Scorer 1 (Club ARS)"},
                    {Kind::goal, "Goal: ARS 2\u20130 CHE | 20' Scorer 2 (pen.) (Club ARS)"}}));
    // An older answer after a newer one, then the same again: nothing.
    EXPECT_TRUE(feed(alerts, arsChe("STATUS_FIRST_HALF", "1", "0", 1)).empty());
    EXPECT_TRUE(feed(alerts, arsChe("STATUS_FIRST_HALF", "2", "0", 2)).empty());
    // A goal without details, and full time in the same answer.
    EXPECT_EQ(feed(alerts, arsChe("STATUS_FULL_TIME", "2", "1", 2)),
              (Seen{{Kind::goal, "Goal: ARS 2\u20131 CHE | Goal for Club CHE"},
                    {Kind::fullTime, "Full time: ARS 2\u20131 CHE | Club ARS 2, Club CHE 1"}}));
    EXPECT_TRUE(feed(alerts, arsChe("STATUS_FULL_TIME", "2", "1", 2)).empty());
}

TEST(MatchAlertsTest, WhatHappenedBeforeTheFirstLookIsNeverAnnounced) {
    MatchAlerts alerts;
    EXPECT_TRUE(
        feed(alerts, arsChe("STATUS_SECOND_HALF", "2", "0", 2)).empty());  // no kick-off, no goals
    EXPECT_EQ(feed(alerts, arsChe("STATUS_SECOND_HALF", "2", "1")).size(), 1u);
    // A restart sees the finished match for the first time.
    MatchAlerts restarted;
    EXPECT_TRUE(feed(restarted, arsChe("STATUS_FULL_TIME", "2", "1")).empty());
}

TEST(MatchAlertsTest, OnlyTheFavouritesMatchesAndNoReplayForANewFavourite) {
    MatchAlerts alerts;
    EXPECT_TRUE(feed(alerts, arsChe("STATUS_FIRST_HALF", "0", "0"), "id-LIV").empty());
    EXPECT_TRUE(feed(alerts, arsChe("STATUS_FIRST_HALF", "1", "0", 1), "").empty());
    // Followed all along, so the new favourite hears only what comes next.
    EXPECT_EQ(feed(alerts, arsChe("STATUS_FIRST_HALF", "1", "1", 1), "id-CHE").size(), 1u);
}

}  // namespace
