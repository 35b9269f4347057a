// SPDX-License-Identifier: MIT
// The status title computed over a full cache: all 38 matchweeks of the demo
// season (380 matches) loaded, as after the user has browsed the whole
// season. The title is recomputed on every answer, every minute and every
// cycling tick, and each time it looks through every cached match.
#include "BenchDocuments.hpp"
#include "BenchStatistics.hpp"
#include "state/MatchStatus.hpp"
#include "state/StatusTitle.hpp"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

namespace {

using namespace fixtora;

enum TitleCase : int {
    kFavourite = 0,      // the favourite's live score or next kick-off, from the whole cache
    kNextKickOff = 1,    // no favourite, nothing live on screen: next kick-off of the cache
    kDisplayedLive = 2,  // no favourite, live matches on screen
};

MatchCache fullCache() {
    MatchCache cache;
    for (auto& event : bench::demoEvents(true)) {
        if (!event.week || !event.week->number)
            throw std::runtime_error("a demo event without its matchweek number");
        cache[*event.week->number].push_back(std::move(event));
    }
    if (cache.size() != 38) throw std::runtime_error("the demo season does not fill 38 matchweeks");
    return cache;
}

void BM_StatusTitleFullCache(benchmark::State& state) {
    const auto titleCase = static_cast<TitleCase>(state.range(0));
    const auto cache = fullCache();
    const auto hasLive = [](const auto& entry) {
        return std::any_of(entry.second.begin(), entry.second.end(), isLiveEvent);
    };
    const auto liveWeek = std::find_if(cache.begin(), cache.end(), hasLive);
    const auto quietWeek = std::find_if_not(cache.begin(), cache.end(), hasLive);
    if (liveWeek == cache.end() || quietWeek == cache.end()) {
        state.SkipWithError("the demo season has no live matchweek at its fixed time");
        return;
    }
    std::optional<ESPNTeam> favourite;
    if (titleCase == kFavourite) favourite = liveWeek->second.front().home()->team;
    const auto& displayed = titleCase == kNextKickOff ? quietWeek->second : liveWeek->second;
    const DateContext dates{"en_GB", "Europe/London"};
    const TitleInput input{displayed, cache, favourite, 0, bench::kDemoNow, dates};

    const std::string title = computeStatusBarTitle(input);
    if (title.size() <= std::string("\u26BD").size()) state.SkipWithError("the title is empty");
    for (auto _ : state) {
        auto text = computeStatusBarTitle(input);
        benchmark::DoNotOptimize(text);
    }
    state.SetLabel(title);
}
BENCHMARK(BM_StatusTitleFullCache)
    ->ArgName("case")
    ->Arg(kFavourite)
    ->Arg(kNextKickOff)
    ->Arg(kDisplayedLive)
    ->Unit(benchmark::kMicrosecond)
    ->Apply(fixtora::bench::withSpread);

}  // namespace
