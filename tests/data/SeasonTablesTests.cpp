// SPDX-License-Identifier: MIT
// Real Premier League seasons (fixture lists with their matchdays, times in
// UK local time) turned into scoreboard events.
#include "support/MatchBuilders.hpp"

#include "data/MatchWeekComputation.hpp"
#include "support/TempDir.hpp"

#include <gtest/gtest.h>
#include <unicode/timezone.h>
#include <nlohmann/json.hpp>

#include <map>

namespace fixtora {
namespace {

struct SeasonMatch {
    ESPNEvent event;
    int round = 0;
};

// "2024-08-16" + "20:00" in Europe/London as an ESPN date ("...T19:00Z");
// a match without a time (postponed) keeps only its day.
std::string utcDate(const std::string& day, const std::string& time) {
    if (time.empty()) return day;
    const Instant local = test::at(day + "T" + time + ":00Z");
    const std::unique_ptr<icu::TimeZone> london(icu::TimeZone::createTimeZone("Europe/London"));
    std::int32_t raw = 0, dst = 0;
    UErrorCode status = U_ZERO_ERROR;
    london->getOffset(local * 1000, true, raw, dst, status);
    return formatInternetDateTime(local - (raw + dst) / 1000).substr(0, 16) + "Z";
}

std::vector<SeasonMatch> loadSeason(const std::string& file, bool weekNumbers) {
    const auto doc = nlohmann::json::parse(test::readFile(test::testDataPath("seasons/" + file)));
    std::vector<SeasonMatch> matches;
    for (const auto& m : doc.at("matches")) {
        SeasonMatch s;
        s.round =
            std::stoi(m.at("round").get<std::string>().substr(std::string("Matchday ").size()));
        s.event.id = std::to_string(matches.size());
        s.event.date = utcDate(m.at("date").get<std::string>(), m.value("time", std::string()));
        if (weekNumbers) s.event.week = ESPNWeek{s.round};
        matches.push_back(std::move(s));
    }
    return matches;
}

const char* const kSeasons[] = {"en.1_2023-24.json", "en.1_2024-25.json",
                                "en.1_2025-26_partial_as_of_2026-03-13.json"};

// 38 weeks numbered 1 to 38 in date order, and the same table whatever the
// user's time zone.
TEST(SeasonTables, HaveThirtyEightWeeksInEveryZone) {
    for (int i = 0; i < 6; ++i) {
        const char* const file = kSeasons[i / 2];
        const bool weekNumbers = i % 2 == 0;
        SCOPED_TRACE(std::string(file) + (weekNumbers ? " numbered" : " by date"));
        const auto matches = loadSeason(file, weekNumbers);
        std::vector<ESPNEvent> events;
        for (const auto& m : matches) events.push_back(m.event);
        EXPECT_EQ(matchWeekMethod(events),
                  weekNumbers ? MatchWeekMethod::WeekNumber : MatchWeekMethod::DateCluster);
        std::vector<MatchWeek> london;
        {
            test::ScopedTimeZone zone("Europe/London");
            london = computeMatchWeeks(events);
        }
        ASSERT_EQ(london.size(), 38u);
        for (std::size_t k = 0; k < london.size(); ++k) {
            EXPECT_EQ(london[k].number, static_cast<std::int64_t>(k) + 1);
            EXPECT_LT(london[k].startDate, london[k].endDate);
            // By date, weeks never overlap; by number, a match brought
            // forward may start a week before the previous one ends.
            if (k > 0 && !weekNumbers) {
                EXPECT_LT(london[k - 1].endDate, london[k].startDate);
            }
        }
        for (const char* id : {"America/Los_Angeles", "Asia/Tokyo", "Pacific/Kiritimati"}) {
            test::ScopedTimeZone zone(id);
            EXPECT_EQ(computeMatchWeeks(events), london) << id;
        }
        // Numbered, each week spans its matchday's kick-offs, rescheduled
        // matches included; by date, in a season played
        // round by round, each week holds mostly its own matchday.
        std::map<int, std::pair<Instant, Instant>> span;
        std::map<std::int64_t, std::map<int, int>> roundsPerWeek;
        int dated = 0, inWeeks = 0;  // by date, every kick-off lies in one week
        for (const auto& m : matches) {
            const auto t = m.event.localDate();
            if (!t) continue;
            ++dated;
            auto [it, fresh] = span.try_emplace(m.round, *t, *t);
            it->second = {std::min(it->second.first, *t), std::max(it->second.second, *t)};
            for (const auto& w : london)
                if (w.startDate <= *t && *t <= w.endDate)
                    ++inWeeks, ++roundsPerWeek[w.number][m.round];
        }
        EXPECT_TRUE(weekNumbers ? inWeeks >= dated : inWeeks == dated) << inWeeks;
        for (const auto& w : london) {
            if (weekNumbers) {
                EXPECT_EQ(w.startDate, span.at(static_cast<int>(w.number)).first);
                EXPECT_EQ(w.endDate, span.at(static_cast<int>(w.number)).second + 86399);
                continue;
            }
            if (file != kSeasons[1]) continue;  // the one season played round by round
            const auto& rounds = roundsPerWeek[w.number];
            const auto bulk = std::max_element(
                rounds.begin(), rounds.end(), [](auto& a, auto& b) { return a.second < b.second; });
            ASSERT_NE(bulk, rounds.end());
            EXPECT_EQ(bulk->first, w.number);
        }
    }
}

}  // namespace
}  // namespace fixtora
