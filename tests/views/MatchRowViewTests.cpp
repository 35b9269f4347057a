// SPDX-License-Identifier: MIT
// One match row.

#include "ViewsTestSupport.hpp"

#include "data/InternetDateTime.hpp"
#include "views/MatchRowView.hpp"
#include "views/PlainButton.hpp"
#include "views/SlideFadeReveal.hpp"
#include "views/TeamBadge.hpp"
#include "views/TextLabel.hpp"
#include "views/Theme.hpp"

#include <gtest/gtest.h>

namespace fixtora::test {
namespace {

// 2024-08-17 14:00 UTC, a Saturday.
constexpr Instant kKickOff = 1723903200;
const DateContext kUtc{"en_GB", "UTC"};
const DateContext kNewYork{"en_US", "America/New_York"};
const ESPNTeam kArs = club("ARS", "Arsenal");
const ESPNTeam kChe = club("CHE", "Chelsea");

/// Arsenal against Chelsea at the kick-off, in `status`.
MatchFixture game(const char* status, std::optional<std::string> homeScore = {},
                  std::optional<std::string> awayScore = {},
                  std::optional<std::string> clock = {}) {
    return {"1", kKickOff, status, kArs, kChe, homeScore, awayScore, clock};
}

/// The row's part of that object name.
template <typename T>
T* part(const QWidget& row, const char* name) {
    return row.findChild<T*>(QString::fromLatin1(name));
}

MatchRowView row(const MatchFixture& fixture, std::optional<std::string> favourite = std::nullopt,
                 DateContext dates = kUtc) {
    return MatchRowView(match(fixture), std::move(favourite), nullptr, std::move(dates));
}

// Middle text in the user's zone, marker, and whether a tap expands the row:
// only played matches do. The symbols and texts per phase are the match display's.
TEST(RowTest, DrawsAndTapsByStatus) {
    const QString twoOne = QStringLiteral("2  \u2013  1");
    const std::tuple<MatchFixture, DateContext, QString, bool> cases[] = {
        {game("STATUS_SCHEDULED"), kNewYork, "10:00", false},
        {game("STATUS_FULL_TIME", "2", "1"), kUtc, twoOne, true},
        {game("STATUS_SECOND_HALF", "2", "1", "67'"), kUtc, twoOne, true},
        {game("STATUS_POSTPONED"), kUtc, "Postponed", false}};
    for (const auto& [fixture, dates, centre, expandable] : cases) {
        SCOPED_TRACE(fixture.status + " " + dates.timeZone);
        auto r = row(fixture, std::nullopt, dates);
        EXPECT_EQ(std::tuple(r.centreText(), r.isExpandable(), r.marker()),
                  std::tuple(centre, expandable, expandable ? Symbol::ChevronDown : Symbol::None));
        r.tap();
        auto* scorers = part<SlideFadeReveal>(r, "scorers");
        EXPECT_EQ(std::tuple(r.showScorers(), scorers->isExpanded(), scorers->isAnimating()),
                  std::tuple(expandable, expandable, expandable));
        r.tap();
        EXPECT_FALSE(r.showScorers());
    }
}

TEST(RowTest, LiveScoreIsRedWithTheClockBetween) {
    auto r = row(game("STATUS_SECOND_HALF", "2", "1", "67'"));
    const auto* centre = part<TextLabel>(r, "centre");
    EXPECT_EQ(std::tuple(centre->colourRole(), centre->text().count(QStringLiteral("  67'  "))),
              std::tuple(Theme::Colour::Red, 1));
    // A feed that takes back an early start must not leave the live score on screen.
    r.setEvent(match(game("STATUS_FIRST_HALF", "0", "0", "1'")));
    r.setEvent(match(game("STATUS_SCHEDULED")));
    EXPECT_EQ(std::tuple(centre->displayText(), centre->text().contains(QStringLiteral("14:00")),
                         centre->colourRole()),
              std::tuple(QStringLiteral("14:00"), true, Theme::Colour::Primary));
}

TEST(RowTest, ScreenReadersHearTheScoreAndTheScorers) {
    auto fixture = game("STATUS_SECOND_HALF", "2", "1", "67'");
    fixture.details = {goal("12'", "Saka", kArs.id)};
    auto r = row(fixture, kArs.id);
    EXPECT_EQ(r.accessibleSummary() + "|" + r.accessibleDetails(),
              QStringLiteral("Arsenal 2, Chelsea 1, live, 67'|Your favourite's match. Space or "
                             "Enter shows the goal scorers"));
    r.tap();
    EXPECT_EQ(part<PlainButton>(r, "row")->accessibleDescription(),
              QStringLiteral("Your favourite's match. Goal scorers: 12' Saka [Arsenal]"));
}

TEST(RowTest, MissingSidesAndCompetitionsDrawPlaceholders) {
    auto r = row({.id = "1", .kickOff = kKickOff, .status = "STATUS_FULL_TIME"});
    EXPECT_EQ(std::tuple(part<TextLabel>(r, "homeAbbreviation")->displayText(), r.centreText(),
                         part<TeamBadge>(r, "homeBadge")->url().has_value()),
              std::tuple(QStringLiteral("?"), QStringLiteral("0  \u2013  0"), false));
    ESPNEvent bare{"2", formatInternetDateTime(kKickOff), {}, {}};  // no competition at all
    MatchRowView empty(bare, std::nullopt, nullptr, kUtc);
    EXPECT_EQ(std::tuple(empty.statusIcon(), empty.centreText(), empty.isExpandable()),
              std::tuple(QStringLiteral("\U0001F550"), QStringLiteral("14:00"), false));
}

TEST(RowTest, GoalLinesAndTheScorerList) {
    const std::pair<ESPNDetail, const char*> cases[] = {
        {goal("45'", "Bukayo Saka", "id-ARS", true), "  45'  Bukayo Saka (P)  [Arsenal]"},
        // An own goal beats a penalty.
        {goal("12'", "Levi Colwill", "id-ARS", true, true), "  12'  Levi Colwill (OG)  [Arsenal]"},
        {goal(std::nullopt, std::nullopt, std::nullopt), "  ?'  Unknown  []"},
        {goal("90'+3'", "Cole Palmer", "id-XYZ"), "  90'+3'  Cole Palmer  []"}};  // unknown club
    auto r = row(game("STATUS_FULL_TIME"));
    for (const auto& [detail, line] : cases) EXPECT_EQ(r.goalLine(detail), QString::fromUtf8(line));

    EXPECT_EQ(r.scorerLines(), QStringList{QStringLiteral("   No scorer data available")});
    ESPNDetail card = goal("30'", "Booked", "id-CHE");
    card.scoringPlay = false;
    r.setShowScorers(true, false);
    auto fixture = game("STATUS_FULL_TIME");
    fixture.details = {std::get<0>(cases[0]), card};
    r.setEvent(match(fixture));
    EXPECT_EQ(r.scorerLines(), QStringList{QString::fromUtf8(std::get<1>(cases[0]))});
    EXPECT_TRUE(r.showScorers());  // new data keeps the row open
}

}  // namespace
}  // namespace fixtora::test
