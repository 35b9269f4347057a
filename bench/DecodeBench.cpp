// SPDX-License-Identifier: MIT
// Decoding speed of real scoreboard documents: the largest live snapshot
// (32 events, about 360 kB) and a small daily scoreboard.
#include "data/ScoreboardDecoder.hpp"

#include <benchmark/benchmark.h>

#include <fstream>
#include <sstream>
#include <stdexcept>
#include <string>

namespace {

std::string readDocument(const std::string& name) {
    const std::string path = std::string(FIXTORA_BENCH_DATA_DIR) + "/espn/" + name;
    std::ifstream in(path, std::ios::binary);
    if (!in) throw std::runtime_error("cannot read " + path);
    std::ostringstream out;
    out << in.rdbuf();
    return out.str();
}

void decode(benchmark::State& state, const std::string& name) {
    const std::string document = readDocument(name);
    for (auto _ : state) {
        auto result = fixtora::decodeScoreboard(document);
        if (!result) state.SkipWithError(result.error().description.c_str());
        benchmark::DoNotOptimize(result);
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) *
                            static_cast<int64_t>(document.size()));
}

}  // namespace

BENCHMARK_CAPTURE(decode, LiveSnapshot32Events,
                  std::string("wc2026_20260718T2140Z_first-half.json"))
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(decode, DailyScoreboard3Events, std::string("ita1_20191207_scoreboard.json"))
    ->Unit(benchmark::kMicrosecond);
