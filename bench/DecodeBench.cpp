// SPDX-License-Identifier: MIT
// Decoding speed of real scoreboard documents: one day of a Serie A round
// (7 matches, about 80 kB, what a matchweek request brings back), the
// largest live snapshot (32 events, about 360 kB) and a small daily
// scoreboard. Each has a floor: the same bytes through nlohmann::json::parse
// alone, which builds a whole tree; the decoder reads them with the same
// parser's events straight into the records.
#include "BenchDocuments.hpp"
#include "BenchStatistics.hpp"
#include "data/ScoreboardDecoder.hpp"

#include <benchmark/benchmark.h>
#include <nlohmann/json.hpp>

#include <cstdint>
#include <string>

namespace {

using fixtora::bench::readDocument;

void decode(benchmark::State& state, const std::string& name) {
    const std::string document = readDocument(name);
    for (auto _ : state) {
        auto result = fixtora::decodeScoreboard(document);
        if (!result) state.SkipWithError(result.error().description.c_str());
        benchmark::DoNotOptimize(result);
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) *
                            static_cast<std::int64_t>(document.size()));
}

void jsonParse(benchmark::State& state, const std::string& name) {
    const std::string document = readDocument(name);
    for (auto _ : state) {
        auto parsed = nlohmann::json::parse(document);
        benchmark::DoNotOptimize(parsed);
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) *
                            static_cast<std::int64_t>(document.size()));
}

}  // namespace

BENCHMARK_CAPTURE(decode, MatchWeek7Events, std::string("ita1_20191030_scoreboard.json"))
    ->Unit(benchmark::kMicrosecond)
    ->Apply(fixtora::bench::withSpread);
BENCHMARK_CAPTURE(jsonParse, MatchWeek7Events, std::string("ita1_20191030_scoreboard.json"))
    ->Unit(benchmark::kMicrosecond)
    ->Apply(fixtora::bench::withSpread);
BENCHMARK_CAPTURE(decode, LiveSnapshot32Events,
                  std::string("wc2026_20260718T2140Z_first-half.json"))
    ->Unit(benchmark::kMillisecond)
    ->Apply(fixtora::bench::withSpread);
BENCHMARK_CAPTURE(jsonParse, LiveSnapshot32Events,
                  std::string("wc2026_20260718T2140Z_first-half.json"))
    ->Unit(benchmark::kMillisecond)
    ->Apply(fixtora::bench::withSpread);
BENCHMARK_CAPTURE(decode, DailyScoreboard3Events, std::string("ita1_20191207_scoreboard.json"))
    ->Unit(benchmark::kMicrosecond)
    ->Apply(fixtora::bench::withSpread);
BENCHMARK_CAPTURE(jsonParse, DailyScoreboard3Events, std::string("ita1_20191207_scoreboard.json"))
    ->Unit(benchmark::kMicrosecond)
    ->Apply(fixtora::bench::withSpread);
