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

// 38 weeks numbered 1 to 38, the same whatever the user's time zone.
// Numbered, each week spans its matchday's kick-offs (rescheduled matches
// included); by date, weeks never overlap, every kick-off lies in one, and in
// the season played round by round each week holds mostly its own matchday.
TEST(SeasonTables, HaveThirtyEightWeeksInEveryZone) {
    for (int i = 0; i < 6; ++i) {
        const char* const file = kSeasons[i / 2];
        const bool numbered = i % 2 == 0;
        SCOPED_TRACE(std::string(file) + (numbered ? " numbered" : " by date"));
        const auto matches = loadSeason(file, numbered);
        std::vector<ESPNEvent> events;
        for (const auto& m : matches) events.push_back(m.event);
        const auto inZone = [&](const char* id) {
            const test::ScopedTimeZone zone(id);
            return computeMatchWeeks(events);
        };
        const auto weeks = inZone("Europe/London");
        ASSERT_EQ(std::tuple(matchWeekMethod(events) == MatchWeekMethod::WeekNumber, weeks.size()),
                  std::tuple(numbered, 38u));
        EXPECT_EQ(inZone("Pacific/Kiritimati"), weeks);
        std::map<int, std::pair<Instant, Instant>> span;
        std::map<std::int64_t, std::map<int, int>> roundsPerWeek;
        for (const auto& m : matches) {
            const auto t = m.event.localDate();
            if (!t) continue;
            auto [it, fresh] = span.try_emplace(m.round, *t, *t);
            it->second = {std::min(it->second.first, *t), std::max(it->second.second, *t)};
            int in = 0;
            for (const auto& w : weeks)
                if (w.startDate <= *t && *t <= w.endDate) ++in, ++roundsPerWeek[w.number][m.round];
            EXPECT_TRUE(numbered || in == 1) << m.event.date;
        }
        for (std::size_t k = 0; k < weeks.size(); ++k) {
            const auto& w = weeks[k];
            EXPECT_EQ(w.number, static_cast<std::int64_t>(k) + 1);
            if (numbered) {
                EXPECT_EQ(std::pair(w.startDate, w.endDate - 86399), span.at(int(w.number)));
            } else if (file == kSeasons[1]) {
                const auto& rounds = roundsPerWeek[w.number];
                EXPECT_EQ(std::max_element(rounds.begin(), rounds.end(),
                                           [](auto& a, auto& b) { return a.second < b.second; })
                              ->first,
                          w.number);
            }
        }
    }
}

}  // namespace
}  // namespace fixtora
