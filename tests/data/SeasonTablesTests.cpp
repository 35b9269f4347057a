// SPDX-License-Identifier: MIT
// Real Premier League seasons (fixture lists with their matchdays, times in
// UK local time) turned into scoreboard events.
#include "support/MatchBuilders.hpp"

#include "data/MatchWeekComputation.hpp"
#include "support/TempDir.hpp"

#include <gtest/gtest.h>
#include <unicode/gregocal.h>
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
    UErrorCode status = U_ZERO_ERROR;
    std::unique_ptr<icu::TimeZone> london(icu::TimeZone::createTimeZone("Europe/London"));
    icu::GregorianCalendar cal(*london, status);
    cal.clear();
    cal.set(std::stoi(day.substr(0, 4)), std::stoi(day.substr(5, 2)) - 1,
            std::stoi(day.substr(8, 2)), std::stoi(time.substr(0, 2)), std::stoi(time.substr(3, 2)),
            0);
    const UDate ms = cal.getTime(status);
    if (U_FAILURE(status)) throw std::runtime_error("bad local time " + day + " " + time);
    const auto iso = formatInternetDateTime(ms / 1000.0);  // ...T19:00:00Z
    return iso.substr(0, 16) + "Z";
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

std::vector<ESPNEvent> eventsOf(const std::vector<SeasonMatch>& matches) {
    std::vector<ESPNEvent> events;
    for (const auto& m : matches) events.push_back(m.event);
    return events;
}

const char* const kSeasons[] = {"en.1_2023-24.json", "en.1_2024-25.json",
                                "en.1_2025-26_partial_as_of_2026-03-13.json"};

struct SeasonCase {
    const char* file;
    bool weekNumbers;
};

class SeasonTable : public testing::TestWithParam<SeasonCase> {};

// 38 weeks numbered 1 to 38 in date order, and the same table whatever the
// user's time zone.
TEST_P(SeasonTable, HasThirtyEightWeeksInEveryZone) {
    const auto matches = loadSeason(GetParam().file, GetParam().weekNumbers);
    const auto events = eventsOf(matches);
    EXPECT_EQ(matchWeekMethod(events),
              GetParam().weekNumbers ? MatchWeekMethod::WeekNumber : MatchWeekMethod::DateCluster);

    std::vector<MatchWeek> london;
    {
        test::ScopedTimeZone zone("Europe/London");
        london = computeMatchWeeks(events);
    }
    ASSERT_EQ(london.size(), 38u);
    for (std::size_t k = 0; k < london.size(); ++k) {
        EXPECT_EQ(london[k].number, static_cast<std::int64_t>(k) + 1);
        EXPECT_LT(london[k].startDate, london[k].endDate);
        // By date, weeks follow each other; by number, a match brought
        // forward may start a week before the previous one.
        if (k > 0 && !GetParam().weekNumbers) {
            EXPECT_LT(london[k - 1].startDate, london[k].startDate);
        }
    }
    for (const char* id : {"America/Los_Angeles", "Asia/Tokyo", "Pacific/Kiritimati"}) {
        test::ScopedTimeZone zone(id);
        EXPECT_EQ(computeMatchWeeks(events), london) << id;
    }

    if (GetParam().weekNumbers) {
        // Each matchday spans its own kick-offs, rescheduled matches included.
        std::map<int, std::pair<Instant, Instant>> span;
        for (const auto& m : matches) {
            const auto t = m.event.localDate();
            if (!t) continue;
            auto [it, fresh] = span.try_emplace(m.round, *t, *t);
            it->second = {std::min(it->second.first, *t), std::max(it->second.second, *t)};
        }
        for (const auto& w : london) {
            EXPECT_EQ(w.startDate, span.at(static_cast<int>(w.number)).first);
            EXPECT_EQ(w.endDate, span.at(static_cast<int>(w.number)).second + 86399);
        }
    } else {
        // Date clusters never overlap and every match day lies in one of them.
        for (std::size_t k = 1; k < london.size(); ++k)
            EXPECT_LT(london[k - 1].endDate, london[k].startDate);
        for (const auto& m : matches) {
            const Instant day = test::at(m.event.date.substr(0, 10) + "T00:00:00Z");
            const auto holds = [&](const MatchWeek& w) {
                return w.startDate <= day && day <= w.endDate;
            };
            EXPECT_EQ(std::count_if(london.begin(), london.end(), holds), 1) << m.event.date;
        }
    }
}

INSTANTIATE_TEST_SUITE_P(
    Seasons, SeasonTable,
    testing::Values(SeasonCase{kSeasons[0], true}, SeasonCase{kSeasons[0], false},
                    SeasonCase{kSeasons[1], true}, SeasonCase{kSeasons[1], false},
                    SeasonCase{kSeasons[2], true}, SeasonCase{kSeasons[2], false}));

// Without week numbers, a season whose rounds are played in turn gives back
// its own rounds: the k-th week holds matchday k's matches.
TEST(SeasonTables, DateClustersFollowTheRoundsOfARegularSeason) {
    test::ScopedTimeZone zone("Europe/London");
    const auto matches = loadSeason(kSeasons[1], false);
    const auto weeks = computeMatchWeeks(eventsOf(matches));
    ASSERT_EQ(weeks.size(), 38u);
    std::map<std::int64_t, std::map<int, int>> roundsPerWeek;
    for (const auto& m : matches) {
        const Instant t = *m.event.localDate();
        for (const auto& w : weeks) {
            if (w.startDate <= t && t <= w.endDate) roundsPerWeek[w.number][m.round]++;
        }
    }
    for (const auto& w : weeks) {
        const auto& rounds = roundsPerWeek[w.number];
        const auto bulk =
            std::max_element(rounds.begin(), rounds.end(),
                             [](const auto& a, const auto& b) { return a.second < b.second; });
        ASSERT_NE(bulk, rounds.end());
        EXPECT_EQ(bulk->first, w.number);
    }
}

}  // namespace
}  // namespace fixtora
