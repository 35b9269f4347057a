// SPDX-License-Identifier: MIT
// Every fuzz corpus input and every recorded document through the streaming
// decoders and the tree decoders: the same records or the same error text.
#include "TreeDecoders.hpp"
#include "data/MatchWeek.hpp"
#include "data/ScoreboardDecoder.hpp"
#include "support/TempDir.hpp"

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <sstream>

using namespace fixtora;

namespace {

template <typename T>
void put(std::ostream& out, const std::optional<T>& v) {
    if (v) {
        out << '<' << *v << '>';
    } else {
        out << '-';
    }
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

}  // namespace

TEST(DecoderReplay, StreamingAndTreeDecodersAgreeOnEveryCorpusInput) {
    const std::filesystem::path corpus = FIXTORA_FUZZ_CORPUS;
    std::size_t files = 0;
    for (const auto& dir : {corpus / "scoreboard", corpus / "schedule", test::testDataPath("espn"),
                            test::testDataPath("seasons")}) {
        for (const auto& entry : std::filesystem::directory_iterator(dir)) {
            if (entry.path().extension() == ".md" || entry.path().extension() == ".gz") continue;
            const std::string text = test::readFile(entry.path());
            ++files;
            EXPECT_EQ(outcome(decodeScoreboard(text)), outcome(tree::decodeScoreboardTree(text)))
                << entry.path();
            EXPECT_EQ(outcome(decodeMatchWeeks(text)), outcome(tree::decodeMatchWeeksTree(text)))
                << entry.path();
        }
    }
    EXPECT_GT(files, 500u);
}

// Where reading order could part from a tree walk: repeated keys, several
// faults at once, a fault before a syntax error; and random splices.
TEST(DecoderReplay, StreamingAndTreeDecodersAgreeOnTrickyAndMutatedInputs) {
    std::vector<std::string> inputs = {
        R"({"events":[{"competitions":[1],"id":5}]})",
        R"({"events":[{"id":1,"id":"a","date":"d","competitions":[]}]})",
        R"({"events":[{"id":"a","date":"d","competitions":[],"id":null}]})",
        R"({"events":[{"id":"a","date":"d","competitions":[],"week":{"number":1.5},"week":null}]})",
        R"({"events":[{"date":"d","competitions":[{"status":1,"competitors":{}}]}]})",
        R"({"events":[{"id":"a","date":"d","competitions":[{}]}, 3]})",
        R"({"events":1,"events":null})",
        R"({"events":[{"id":3}],"x":[})",
        R"({"events":[{"id":"a","date":"d","competitions":[],"week":{"number":18446744073709551615}}]})",
        R"([{"number":"x","number":3,"startDate":1,"endDate":2}])",
        R"([{"number":1.0,"startDate":1,"endDate":2}])",
        R"([{"number":1,"startDate":[1],"startDate":-1e3,"endDate":2,"x":{"y":[]}}])",
        R"([{"number":-9223372036854775808,"startDate":1,"endDate":18446744073709551615}])",
        R"([{"number":9223372036854775808,"startDate":1,"endDate":2}])",
        "[]",
        "{}",
        "[[]]",
        "[1]",
        "1e999",
        "",
    };
    const std::filesystem::path corpus = FIXTORA_FUZZ_CORPUS;
    std::vector<std::string> seeds;
    for (const auto& dir : {corpus / "scoreboard", corpus / "schedule"})
        for (const auto& entry : std::filesystem::directory_iterator(dir))
            if (std::filesystem::file_size(entry.path()) < 20000)
                seeds.push_back(test::readFile(entry.path()));
    std::sort(seeds.begin(), seeds.end());
    std::uint64_t state = 20250816;
    auto pick = [&state](std::size_t n) {
        state = state * 6364136223846793005ULL + 1442695040888963407ULL;
        return static_cast<std::size_t>((state >> 33) % n);
    };
    for (int round = 0; round < 20000; ++round) {
        std::string text = seeds[pick(seeds.size())];
        if (text.empty()) continue;
        const std::string donor = seeds[pick(seeds.size())];
        if (round % 3 == 0) {  // a slice of the same text again: repeated keys and values
            const auto from = pick(text.size()), len = 1 + pick(80);
            text.insert(pick(text.size()), text.substr(from, len));
        } else if (round % 3 == 1 && !donor.empty()) {  // a slice of another input
            text.insert(pick(text.size()), donor.substr(pick(donor.size()), 1 + pick(80)));
        } else {
            text[pick(text.size())] = "{}[],:\"0-.e1tnx "[pick(16)];
        }
        inputs.push_back(std::move(text));
    }
    std::size_t decoded = 0;
    for (const auto& text : inputs) {
        const auto streamed = decodeScoreboard(text);
        decoded += streamed.ok();
        ASSERT_EQ(outcome(streamed), outcome(tree::decodeScoreboardTree(text))) << text;
        ASSERT_EQ(outcome(decodeMatchWeeks(text)), outcome(tree::decodeMatchWeeksTree(text)))
            << text;
    }
    EXPECT_GT(decoded, 100u);
}
