// SPDX-License-Identifier: MIT
// The season document the schedule fetches (380 matches, as the demo backend
// serves it): decoding it and deriving the matchweek table, as the schedule
// does on every fetch, against the floor of parsing the same bytes into a
// tree with nlohmann::json::parse alone; and each step on its own, for both methods of
// the table.
#include "BenchDocuments.hpp"
#include "BenchStatistics.hpp"
#include "data/MatchWeekComputation.hpp"
#include "data/ScoreboardDecoder.hpp"

#include <benchmark/benchmark.h>
#include <nlohmann/json.hpp>

#include <cstdint>

namespace {

using namespace fixtora;
using fixtora::bench::demoEvents;
using fixtora::bench::demoSchedule;

void setBytes(benchmark::State& state, const std::string& body) {
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * body.size()));
    state.counters["bytes"] = static_cast<double>(body.size());
}

void BM_SeasonDecodeAndWeeks(benchmark::State& state) {
    const auto body = demoSchedule(true);
    for (auto _ : state) {
        auto decoded = decodeScoreboard(body);
        if (!decoded || !decoded.value().events) {
            state.SkipWithError("the season does not decode");
            break;
        }
        auto weeks = computeMatchWeeks(*decoded.value().events);
        if (weeks.size() != 38) {
            state.SkipWithError("not a 38-week table");
            break;
        }
        benchmark::DoNotOptimize(weeks);
    }
    setBytes(state, body);
}
BENCHMARK(BM_SeasonDecodeAndWeeks)
    ->Unit(benchmark::kMillisecond)
    ->Apply(fixtora::bench::withSpread);

void BM_SeasonJsonParse(benchmark::State& state) {
    const auto body = demoSchedule(true);
    for (auto _ : state) {
        auto parsed = nlohmann::json::parse(body);
        benchmark::DoNotOptimize(parsed);
    }
    setBytes(state, body);
}
BENCHMARK(BM_SeasonJsonParse)->Unit(benchmark::kMillisecond)->Apply(fixtora::bench::withSpread);

void BM_DecodeDemoSchedule(benchmark::State& state) {
    const auto body = demoSchedule(true);
    for (auto _ : state) {
        auto decoded = decodeScoreboard(body);
        benchmark::DoNotOptimize(decoded);
    }
    setBytes(state, body);
}
BENCHMARK(BM_DecodeDemoSchedule)->Unit(benchmark::kMillisecond)->Apply(fixtora::bench::withSpread);

void BM_ComputeMatchWeeks(benchmark::State& state) {
    const bool weekNumbers = state.range(0) != 0;
    const auto events = demoEvents(weekNumbers);
    if (computeMatchWeeks(events).size() != 38) state.SkipWithError("not a 38-week table");
    for (auto _ : state) {
        auto weeks = computeMatchWeeks(events);
        benchmark::DoNotOptimize(weeks);
    }
    state.SetLabel(weekNumbers ? "weekNumber" : "dateCluster");
}
BENCHMARK(BM_ComputeMatchWeeks)
    ->Arg(1)
    ->Arg(0)
    ->Unit(benchmark::kMicrosecond)
    ->Apply(fixtora::bench::withSpread);

}  // namespace
