// SPDX-License-Identifier: MIT
// The scoreboard and week-table decoders: every fuzz corpus input and every
// recorded document against the outcome recorded for it
// (files/decoder-outcomes.txt, written when the decoders still parsed a whole
// tree first), then what is no scoreboard at all.
#include "data/MatchWeek.hpp"
#include "data/ScoreboardDecoder.hpp"
#include "support/TempDir.hpp"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>

using namespace fixtora;

namespace {

template <typename T>
void put(std::ostream& out, const std::optional<T>& v) {
    v ? void(out << '<' << *v << '>') : void(out << '-');
}

// Every field of every record, absent ones marked, in a single line.
std::string describe(const ESPNScoreboard& s) {
    std::ostringstream out;
    if (!s.events) return "no events";
    for (const auto& e : *s.events) {
        out << "E<" << e.id << "><" << e.date << ">";
        if (e.week) put(out << 'W', e.week->number);
        for (const auto& c : e.competitions) {
            out << "C<" << c.status.type.name << c.status.type.completed << '>';
            put(out, c.status.type.shortDetail);
            for (const auto& p : c.competitors) {
                out << "P<" << p.homeAway << "><" << p.team.id << "><" << p.team.abbreviation
                    << "><" << p.team.shortDisplayName << '>';
                put(out, p.team.logo);
                put(out, p.score);
                put(out, p.winner);
            }
            if (!c.details) continue;
            for (const auto& d : *c.details) {
                out << 'D';
                if (d.clock) put(out << 'c', d.clock->displayValue);
                if (d.team) put(out << 't', d.team->id);
                put(out, d.scoringPlay);
                put(out, d.penaltyKick);
                put(out, d.ownGoal);
                if (d.athletesInvolved)
                    for (const auto& a : *d.athletesInvolved) out << "A<" << a.displayName << '>';
            }
        }
    }
    return out.str();
}

std::string outcome(const Result<ESPNScoreboard>& r) {
    if (!r)
        return r.error().domain + " " + std::to_string(r.error().code) + " " +
               r.error().description;
    return describe(r.value());
}

std::string outcome(const std::optional<std::vector<MatchWeek>>& weeks) {
    if (!weeks) return "none";
    std::string out;
    char buffer[96];
    for (const auto& w : *weeks) {
        std::snprintf(buffer, sizeof buffer, "%lld %.17g %.17g;", static_cast<long long>(w.number),
                      w.startDate, w.endDate);
        out += buffer;
    }
    return out;
}

// FNV-1a, so that a recorded outcome stays one short word.
std::string digest(const std::string& text) {
    std::uint64_t h = 1469598103934665603ULL;
    for (const unsigned char c : text) h = (h ^ c) * 1099511628211ULL;
    char out[17];
    std::snprintf(out, sizeof out, "%016llx", static_cast<unsigned long long>(h));
    return out;
}

}  // namespace

// Inputs added to the corpora later have no line and are not checked here.
TEST(DecoderReplay, EveryCorpusInputDecodesAsRecorded) {
    const std::filesystem::path corpus = FIXTORA_FUZZ_CORPUS;
    std::ifstream outcomes(test::testDataPath("decoder-outcomes.txt"));
    std::string name, scoreboard, weeks;
    std::size_t checked = 0;
    while (outcomes >> name >> scoreboard >> weeks) {
        const auto folder = name.substr(0, name.find('/'));
        const auto file = folder == "scoreboard" || folder == "schedule" ? corpus / name
                                                                         : test::testDataPath(name);
        if (!std::filesystem::exists(file)) continue;  // merged away
        const std::string text = test::readFile(file);
        const auto board = decodeScoreboard(text);
        const auto table = decodeMatchWeeks(text);
        EXPECT_EQ((board.ok() ? "S" : "E") + digest(outcome(board)), scoreboard) << name;
        EXPECT_EQ((table ? "W" : "N") + digest(outcome(table)), weeks) << name;
        ++checked;
    }
    EXPECT_GT(checked, 500u);
}

// Where reading in document order could part from a walk in field order:
// repeated keys (the last counts), several faults at once (the first in
// field order wins), a fault before a syntax error (the syntax error wins).
TEST(DecoderReplay, RepeatedKeysAndSeveralFaultsDecodeAsFromATree) {
    const std::string prefix = "JSON 3 Cannot decode the scoreboard: ";
    const struct {
        const char* text;
        std::string scoreboard;
        std::string weeks = "none";
    } cases[] = {
        {R"({"events":[{"competitions":[1],"id":5}]})",
         prefix + "events[0].id should be a string but is a number"},
        {R"({"events":[{"id":1,"id":"a","date":"d","competitions":[]}]})", "E<a><d>"},
        {R"({"events":[{"date":"d","competitions":[{"status":1,"competitors":{}}]}]})",
         "JSON 2 Cannot decode the scoreboard: required key \"id\" is missing in events[0]"},
        {R"({"events":[{"id":"a","date":"d","competitions":[{}]}, 3]})",
         "JSON 2 Cannot decode the scoreboard: required key \"competitors\" is missing in "
         "events[0].competitions[0]"},
        {R"({"events":1,"events":null})", "no events"},
        {R"({"events":[{"id":3}],"x":[})",
         "JSON 1 Cannot decode the scoreboard: the data is not valid JSON (parse error at line 1, "
         "column 27: "
         "syntax error while parsing value - unexpected '}'; expected '[', '{', or a literal)"},
        {R"([{"number":"x","number":3,"startDate":1,"endDate":2}])",
         prefix + "the document should be an object but is an array", "3 978307201 978307202;"},
        {R"([{"number":1.0,"startDate":1,"endDate":2}])",
         prefix + "the document should be an object but is an array"},
        {R"([{"number":1,"startDate":[1],"startDate":-1e3,"endDate":2,"x":{"y":[]}}])",
         prefix + "the document should be an object but is an array", "1 978306200 978307202;"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(outcome(decodeScoreboard(c.text)), c.scoreboard) << c.text;
        EXPECT_EQ(outcome(decodeMatchWeeks(c.text)), c.weeks) << c.text;
    }
}

TEST(DecoderEdits, RejectWhatIsNotAScoreboardObject) {
    const std::string valid = R"({"events": [{"id": "1", "date": "d", "competitions": []}]})";
    const std::string deep = std::string(200000, '[') + std::string(200000, ']');
    for (const std::string& text :
         {std::string(), std::string("not json"), valid.substr(0, valid.size() / 2), valid + "x",
          std::string("{\"events\": [], }"), std::string("{\"events\": [{\"id\": \"\xff\"}]}")})
        EXPECT_EQ(decodeScoreboard(text).error().code, kDecodingErrorSyntax) << text;
    // Deep nesting must not exhaust the stack, in parsing or in tearing down.
    for (const std::string& text :
         {std::string("[]"), std::string("null"), "{\"events\": " + deep + "}",
          "{\"unknown\": " + deep + ", \"events\": 1}"}) {
        const auto e = decodeScoreboard(text).error();
        EXPECT_EQ(std::tuple(e.code, e.description.rfind("Cannot decode the scoreboard: ", 0)),
                  std::tuple(kDecodingErrorTypeMismatch, 0u))
            << text.substr(0, 20);
    }
}
