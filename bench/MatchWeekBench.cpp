// SPDX-License-Identifier: MIT
// The matchweek table of a whole 380-match season (both methods) and the
// decoding of the schedule document it comes from, as the demo backend
// serves it.
#include "DemoBackend.hpp"
#include "data/MatchWeekComputation.hpp"
#include "data/ScoreboardDecoder.hpp"

#include <benchmark/benchmark.h>

#include <stdexcept>

namespace {

using namespace fixtora;

std::string demoSchedule(bool weekNumbers) {
    // A fixed "now" keeps the document the same from run to run.
    auto clock = std::make_shared<SettableClock>(1791032400.0);  // 2026-10-03T13:00:00Z
    demo::DemoBackend backend({.weekNumbers = weekNumbers}, clock);
    return backend.scheduleDocument().dump();
}

std::vector<ESPNEvent> demoEvents(bool weekNumbers) {
    auto decoded = decodeScoreboard(demoSchedule(weekNumbers));
    if (!decoded || !decoded.value().events || decoded.value().events->size() != 380)
        throw std::runtime_error("the demo schedule does not decode to 380 events");
    return *decoded.value().events;
}

void BM_DecodeDemoSchedule(benchmark::State& state) {
    const auto body = demoSchedule(true);
    for (auto _ : state) {
        auto decoded = decodeScoreboard(body);
        benchmark::DoNotOptimize(decoded);
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * body.size()));
    state.counters["bytes"] = static_cast<double>(body.size());
}
BENCHMARK(BM_DecodeDemoSchedule)->Unit(benchmark::kMillisecond);

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
BENCHMARK(BM_ComputeMatchWeeks)->Arg(1)->Arg(0)->Unit(benchmark::kMicrosecond);

}  // namespace
