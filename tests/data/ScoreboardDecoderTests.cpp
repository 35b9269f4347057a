// SPDX-License-Identifier: MIT
#include "data/ScoreboardDecoder.hpp"
#include "support/TempDir.hpp"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <cstdlib>
#include <filesystem>
#include <functional>
#include <map>
#include <set>

using namespace fixtora;
using nlohmann::json;
using Pointer = json::json_pointer;

namespace {

// A small document that uses every field of every record.
json minimalDocument() {
    return json::parse(R"({"leagues": [{"name": "Premier League"}], "events": [{
      "id": "1", "date": "2025-08-16T14:00Z", "week": {"number": 1},
      "competitions": [{
        "competitors": [
          {"homeAway": "home", "score": "2", "winner": true,
           "team": {"id": "10", "abbreviation": "ARS", "shortDisplayName": "Arsenal", "logo": "http://x/a.png"}},
          {"homeAway": "away", "score": "1", "team": {"id": "20", "abbreviation": "CHE", "shortDisplayName": "Chelsea"}}],
        "status": {"type": {"name": "STATUS_FULL_TIME", "completed": true, "shortDetail": "FT"}},
        "details": [{"clock": {"displayValue": "12'"}, "team": {"id": "10"}, "scoringPlay": true,
                     "penaltyKick": false, "ownGoal": false, "athletesInvolved": [{"displayName": "Saka"}]}]}]}]})");
}

std::vector<std::filesystem::path> realDocuments() {
    std::vector<std::filesystem::path> out;
    for (const auto& entry : std::filesystem::directory_iterator(test::testDataPath("espn")))
        if (entry.path().extension() == ".json") out.push_back(entry.path());
    std::sort(out.begin(), out.end());
    return out;
}

const ESPNEvent& firstEvent(const ESPNScoreboard& s) {
    return s.events->front();
}
const ESPNCompetition& firstCompetition(const ESPNScoreboard& s) {
    return firstEvent(s).competitions.front();
}

// Computes every derived value, so that sanitizers see them all run.
std::size_t touchDerivedValues(const ESPNScoreboard& board) {
    std::size_t n = 0;
    for (const auto& e : board.events.value_or(std::vector<ESPNEvent>{})) {
        n += e.localDate().has_value() + e.home().has_value() + e.away().has_value() +
             e.goals().size();
        for (const auto& c : e.competitions) {
            n += c.status.type.isLive() + c.status.type.clockLabel().has_value();
            for (const auto& side : c.competitors) n += e.teamName(side.team.id).size();
        }
    }
    return n;
}

}  // namespace

struct EditCase {
    const char* name;
    const char* pointer;
    std::optional<json> value;  // absent: erase the key
    int errorCode;              // 0: decodes
    const char* inDescription = "";
    std::function<void(const ESPNScoreboard&)> check = {};
};

void PrintTo(const EditCase& c, std::ostream* os) {
    *os << c.name;
}

class DecoderEditTest : public ::testing::TestWithParam<EditCase> {};

TEST_P(DecoderEditTest, DecodesOrFailsTheWholeDocument) {
    const auto& c = GetParam();
    json doc = minimalDocument();
    const Pointer ptr(c.pointer);
    if (c.value) {
        doc[ptr] = *c.value;
    } else {
        doc.at(ptr.parent_pointer()).erase(ptr.back());
    }
    const auto result = decodeScoreboard(doc.dump());
    if (c.errorCode == 0) {
        ASSERT_TRUE(result.ok()) << result.error().description;
        if (c.check) c.check(result.value());
    } else {
        ASSERT_FALSE(result.ok());
        EXPECT_EQ(result.error().domain, "JSON");
        EXPECT_EQ(result.error().code, c.errorCode);
        EXPECT_NE(result.error().description.find(c.inDescription), std::string::npos)
            << result.error().description;
    }
}

constexpr int kMissing = kDecodingErrorMissingKey;
constexpr int kType = kDecodingErrorTypeMismatch;

INSTANTIATE_TEST_SUITE_P(
    MissingKeysAndWrongTypesFail, DecoderEditTest,
    ::testing::Values(
        EditCase{"EventId", "/events/0/id", std::nullopt, kMissing,
                 "\"id\" is missing in events[0]"},
        EditCase{"NumericId", "/events/0/id", 1, kType,
                 "events[0].id should be a string but is a number"},
        EditCase{"NullRequired", "/events/0/competitions/0/status/type/name", nullptr, kType,
                 "events[0].competitions[0].status.type.name should be a string but is null"},
        EditCase{"NumericScore", "/events/0/competitions/0/competitors/0/score", 2, kType,
                 "events[0].competitions[0].competitors[0].score"},
        EditCase{"CompletedAsText", "/events/0/competitions/0/status/type/completed", "true", kType,
                 "completed"},
        EditCase{"NoCompleted", "/events/0/competitions/0/status/type/completed", std::nullopt,
                 kMissing, "\"completed\""},
        EditCase{"FractionalWeek", "/events/0/week/number", 1.5, kType, "week.number"},
        EditCase{"WeekAsList", "/events/0/week", json::array(), kType,
                 "events[0].week should be an object"},
        EditCase{"NoScorerName",
                 "/events/0/competitions/0/details/0/athletesInvolved/0/displayName", std::nullopt,
                 kMissing, "details[0].athletesInvolved[0]"},
        EditCase{"ScoringPlayAsNumber", "/events/0/competitions/0/details/0/scoringPlay", 1, kType,
                 "scoringPlay"},
        EditCase{"TeamRefIdAsNumber", "/events/0/competitions/0/details/0/team/id", 10, kType,
                 "team.id"},
        EditCase{"EventsAsObject", "/events", json::object(), kType, "events should be an array"},
        EditCase{"NullListElement", "/events/0/competitions/0/details/0", nullptr, kType,
                 "details[0]"},
        EditCase{"HugeWeek", "/events/0/week/number", 9223372036854775808ULL, kType,
                 "week.number"}));

INSTANTIATE_TEST_SUITE_P(
    OptionalAndUnknownKeysDecode, DecoderEditTest,
    ::testing::Values(
        EditCase{"NoEvents", "/events", std::nullopt, 0, "",
                 [](auto& s) { EXPECT_FALSE(s.events); }},
        EditCase{"NullEvents", "/events", nullptr, 0, "", [](auto& s) { EXPECT_FALSE(s.events); }},
        EditCase{"WeekWithoutNumber", "/events/0/week/number", std::nullopt, 0, "",
                 [](auto& s) {
                     ASSERT_TRUE(firstEvent(s).week);
                     EXPECT_FALSE(firstEvent(s).week->number);
                 }},
        EditCase{"NullWeek", "/events/0/week", nullptr, 0, "",
                 [](auto& s) { EXPECT_FALSE(firstEvent(s).week); }},
        EditCase{"IntegralFloatWeek", "/events/0/week/number", 3.0, 0, "",
                 [](auto& s) { EXPECT_EQ(firstEvent(s).week->number, 3); }},
        EditCase{"ClockWithoutValue", "/events/0/competitions/0/details/0/clock/displayValue",
                 std::nullopt, 0, "",
                 [](auto& s) {
                     ASSERT_TRUE(firstCompetition(s).details->front().clock);
                     EXPECT_FALSE(firstCompetition(s).details->front().clock->displayValue);
                 }},
        EditCase{"NoScore", "/events/0/competitions/0/competitors/0/score", std::nullopt, 0, "",
                 [](auto& s) { EXPECT_FALSE(firstEvent(s).home()->score); }},
        EditCase{
            "UnknownKeys", "/events/0/competitions/0/status/type/extra",
            json{{"any", {1, "two", nullptr}}}, 0, "",
            [](auto& s) { EXPECT_EQ(firstCompetition(s).status.type.name, "STATUS_FULL_TIME"); }},
        EditCase{"UnparseableDate", "/events/0/date", "16/08/2025", 0, "",
                 [](auto& s) { EXPECT_FALSE(firstEvent(s).localDate()); }}));

TEST(DecoderTest, DecodesEveryFieldOfTheMinimalDocument) {
    const auto result = decodeScoreboard(minimalDocument().dump());
    ASSERT_TRUE(result.ok()) << result.error().description;
    const auto& e = firstEvent(result.value());
    EXPECT_EQ(e.id, "1");
    EXPECT_EQ(e.week->number, 1);
    EXPECT_EQ(e.home()->team.logo, "http://x/a.png");
    EXPECT_EQ(e.home()->winner, true);
    EXPECT_FALSE(e.away()->winner);
    const auto goals = e.goals();
    ASSERT_EQ(goals.size(), 1u);
    EXPECT_EQ(goals[0].clock->displayValue, "12'");
    EXPECT_EQ(goals[0].athletesInvolved->front().displayName, "Saka");
    EXPECT_EQ(e.teamName(*goals[0].team->id), "Arsenal");
}

TEST(DecoderTest, RejectsWhatIsNotAScoreboardObject) {
    const std::string valid = minimalDocument().dump();
    const std::string deep = std::string(200000, '[') + std::string(200000, ']');
    const struct {
        std::string text;
        int code;
    } cases[] = {
        {"", kDecodingErrorSyntax},
        {"not json", kDecodingErrorSyntax},
        {valid.substr(0, valid.size() / 2), kDecodingErrorSyntax},
        {valid + "x", kDecodingErrorSyntax},
        {"{\"events\": [], }", kDecodingErrorSyntax},
        {"{\"events\": [{\"id\": \"\xff\"}]}", kDecodingErrorSyntax},
        {"[]", kDecodingErrorTypeMismatch},
        {"null", kDecodingErrorTypeMismatch},
        // Deep nesting must not exhaust the stack, in parsing or in tearing down.
        {"{\"events\": " + deep + "}", kDecodingErrorTypeMismatch},
        {"{\"unknown\": " + deep + ", \"events\": 1}", kDecodingErrorTypeMismatch},
    };
    for (const auto& c : cases) {
        const auto result = decodeScoreboard(c.text);
        ASSERT_FALSE(result.ok()) << c.text;
        EXPECT_EQ(result.error().code, c.code) << c.text;
        EXPECT_EQ(result.error().description.rfind("Cannot decode the scoreboard: ", 0), 0u);
    }
    EXPECT_EQ(decodeScoreboard("[]").error().description,
              "Cannot decode the scoreboard: the document should be an object but is an array");
}

TEST(RealDocuments, EveryRecordedScoreboardDecodesWithItsLiveMatch) {
    // The one live match of each live snapshot and its clock label.
    const std::map<std::string, std::pair<std::string, std::string>> live = {
        {"wc2026_20260701T2157Z_second-half-stoppage.json", {"760493", "90'+4'"}},
        {"wc2026_20260704T1756Z_halftime.json", {"760502", "HT"}},
        {"wc2026_20260712T0147Z_status-in-progress.json", {"760513", "45'+1'"}},
        {"wc2026_20260718T2140Z_first-half.json", {"760516", "39'"}},
    };
    const auto files = realDocuments();
    ASSERT_GE(files.size(), 9u);
    for (const auto& file : files) {
        const auto result = decodeScoreboard(test::readFile(file));
        ASSERT_TRUE(result.ok()) << file << ": " << result.error().description;
        ASSERT_FALSE(result.value().events->empty()) << file;
        touchDerivedValues(result.value());

        const auto expected = live.find(file.filename().string());
        for (const auto& e : *result.value().events) {
            const auto& type = e.competitions.front().status.type;
            const bool isTheLiveOne = expected != live.end() && e.id == expected->second.first;
            EXPECT_EQ(type.isLive(), isTheLiveOne) << file << " " << e.id;
            if (isTheLiveOne) {
                EXPECT_EQ(type.clockLabel(), expected->second.second);
            }
        }
    }
}

TEST(RealDocuments, AWholeSeasonOfDailyScoreboardsDecodes) {
    test::TempDir dir;
    const auto archive = test::testDataPath("espn/ita1_2019-20_season_daily_scoreboards.tar.gz");
    const std::string command =
        "tar -xzf '" + archive.string() + "' -C '" + dir.path().string() + "'";
    ASSERT_EQ(std::system(command.c_str()), 0) << command;

    std::set<std::string> ids;
    std::size_t goals = 0, ownGoals = 0, files = 0;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(dir.path())) {
        if (entry.path().extension() != ".json") continue;
        ++files;
        const auto result = decodeScoreboard(test::readFile(entry.path()));
        ASSERT_TRUE(result.ok()) << entry.path() << ": " << result.error().description;
        for (const auto& e : *result.value().events) {
            if (!ids.insert(e.id).second) continue;
            EXPECT_TRUE(e.localDate() && e.home() && e.away()) << e.id;
            for (const auto& g : e.goals()) {
                ++goals;
                ownGoals += g.ownGoal.value_or(false);
                EXPECT_FALSE(e.teamName(g.team->id.value()).empty()) << e.id;
            }
        }
    }
    EXPECT_EQ(files, 114u);
    EXPECT_EQ(ids.size(), 380u);
    EXPECT_EQ(goals, 1154u);
    EXPECT_EQ(ownGoals, 34u);
}
