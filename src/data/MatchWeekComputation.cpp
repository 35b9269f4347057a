// SPDX-License-Identifier: MIT
#include "data/MatchWeekComputation.hpp"

#include <unicode/gregocal.h>

#include <algorithm>
#include <cmath>
#include <iterator>
#include <limits>
#include <list>
#include <map>
#include <string>
#include <unordered_map>
#include <utility>

namespace fixtora {

namespace {

constexpr double kDaySeconds = 86400;

struct KickOff {
    std::int64_t week;
    Instant at;
};

std::vector<KickOff> kickOffPairs(const std::vector<ESPNEvent>& events) {
    std::vector<KickOff> pairs;
    pairs.reserve(events.size());
    for (const auto& event : events) {
        if (!event.week || !event.week->number) continue;
        if (const auto at = event.localDate()) pairs.push_back({*event.week->number, *at});
    }
    return pairs;
}

bool useWeekNumbers(std::size_t pairs, std::size_t events) {
    // At least one pair: with a single event, half of it rounds down to zero
    // and would otherwise pick this method with nothing to build from.
    return pairs > 0 && pairs >= events / 2;
}

std::vector<MatchWeek> byWeekNumber(const std::vector<KickOff>& pairs, icu::Calendar& cal) {
    std::map<std::int64_t, std::pair<Instant, Instant>> range;
    for (const auto& p : pairs) {
        auto [it, inserted] = range.try_emplace(p.week, p.at, p.at);
        if (!inserted) {
            it->second.first = std::min(it->second.first, p.at);
            it->second.second = std::max(it->second.second, p.at);
        }
    }
    std::vector<MatchWeek> weeks;
    weeks.reserve(range.size());
    for (const auto& [number, span] : range) {
        weeks.push_back(
            {number, span.first, addingEndOfDay(cal, span.second).value_or(span.second)});
    }
    return weeks;
}

using Cluster = std::vector<std::string>;

struct Day {
    std::string key;
    Instant start;  // 00:00:00 UTC
};

std::vector<MatchWeek> byDateCluster(const std::vector<ESPNEvent>& events, icu::Calendar& cal) {
    const DayParser parser;

    std::unordered_map<std::string, int> matchCount;
    std::vector<std::string> keys;
    for (const auto& event : events) {
        std::string key(dayKey(event));
        if (matchCount[key]++ == 0) keys.push_back(std::move(key));
    }
    std::sort(keys.begin(), keys.end());

    // Days that are not a readable "yyyy-MM-dd" are left out, together with
    // their matches: they cannot be placed on the calendar.
    std::vector<Day> days;
    days.reserve(keys.size());
    for (auto& key : keys) {
        if (const auto start = parser.parse(key)) days.push_back({std::move(key), *start});
    }
    if (days.empty()) return {};

    // Runs of match days with their number of matches, in a list so that
    // folding one into a neighbour costs the same however many there are.
    struct Run {
        Cluster days;
        int matches = 0;
    };
    std::list<Run> clusters;
    for (std::size_t i = 0; i < days.size(); ++i) {
        const bool joins =
            i > 0 && std::floor((days[i].start - days[i - 1].start) / kDaySeconds) < 2;
        if (!joins) clusters.push_back({});
        clusters.back().days.push_back(days[i].key);
        clusters.back().matches += matchCount[days[i].key];
    }

    // Fold clusters of fewer than 3 matches into a neighbour, rescanning from
    // the first after every fold. A fold changes only the small cluster and
    // its neighbours, and every cluster before it was large enough, so the
    // scan resumes at the left neighbour: a document of thousands of lone
    // match days folds in well under a second rather than in minutes.
    auto resume = clusters.begin();
    while (clusters.size() >= 2) {
        const auto small =
            std::find_if(resume, clusters.end(), [](const Run& run) { return run.matches <= 2; });
        if (small == clusters.end()) break;
        const auto next = std::next(small);
        if (small == clusters.begin()) {
            small->days.insert(small->days.end(), next->days.begin(), next->days.end());
            small->matches += next->matches;
            clusters.erase(next);
            resume = clusters.begin();
            continue;
        }
        const auto previous = std::prev(small);
        const bool intoNext =
            next != clusters.end() && gap(parser, small->days.back(), next->days.front()) <
                                          gap(parser, previous->days.back(), small->days.front());
        if (intoNext) {
            Cluster merged = std::move(small->days);
            merged.insert(merged.end(), next->days.begin(), next->days.end());
            next->days = std::move(merged);
            next->matches += small->matches;
        } else {
            previous->days.insert(previous->days.end(), small->days.begin(), small->days.end());
            previous->matches += small->matches;
        }
        clusters.erase(small);
        resume = previous;
    }

    std::vector<MatchWeek> weeks;
    weeks.reserve(clusters.size());
    std::int64_t k = 0;
    for (const auto& run : clusters) {
        ++k;
        const auto first = parser.parse(run.days.front());
        const auto last = parser.parse(run.days.back());
        if (!first || !last) continue;
        weeks.push_back({k, *first, addingEndOfDay(cal, *last).value_or(*last)});
    }
    return enforcing38(std::move(weeks), cal);
}

}  // namespace

std::string_view dayKey(const ESPNEvent& event) {
    return std::string_view(event.date).substr(0, 10);
}

std::unique_ptr<icu::Calendar> makeSeasonCalendar() {
    UErrorCode status = U_ZERO_ERROR;
    auto cal = std::make_unique<icu::GregorianCalendar>(status);
    if (U_FAILURE(status)) return nullptr;
    return cal;
}

std::optional<Instant> addingEndOfDay(icu::Calendar& cal, Instant t) {
    if (!std::isfinite(t)) return std::nullopt;
    UErrorCode status = U_ZERO_ERROR;
    cal.setTime(t * 1000.0, status);
    cal.add(UCAL_HOUR_OF_DAY, 23, status);
    cal.add(UCAL_MINUTE, 59, status);
    cal.add(UCAL_SECOND, 59, status);
    const UDate ms = cal.getTime(status);
    if (U_FAILURE(status)) return std::nullopt;
    return ms / 1000.0;
}

std::int64_t gap(const DayParser& parser, std::string_view from, std::string_view to) {
    const auto a = parser.parse(from);
    const auto b = parser.parse(to);
    if (!a || !b) return kUnknownGap;
    return static_cast<std::int64_t>(std::floor((*b - *a) / kDaySeconds));
}

MatchWeekMethod matchWeekMethod(const std::vector<ESPNEvent>& events) {
    return useWeekNumbers(kickOffPairs(events).size(), events.size())
               ? MatchWeekMethod::WeekNumber
               : MatchWeekMethod::DateCluster;
}

std::vector<MatchWeek> computeMatchWeeks(const std::vector<ESPNEvent>& events) {
    auto cal = makeSeasonCalendar();
    if (!cal) return {};
    const auto pairs = kickOffPairs(events);
    if (useWeekNumbers(pairs.size(), events.size())) return byWeekNumber(pairs, *cal);
    return byDateCluster(events, *cal);
}

std::vector<MatchWeek> enforcing38(std::vector<MatchWeek> weeks, const icu::Calendar& cal) {
    std::unique_ptr<icu::Calendar> work(cal.clone());
    while (weeks.size() > kMaxMatchWeeks) {
        std::size_t best = 0;
        double bestGap = std::numeric_limits<double>::infinity();
        for (std::size_t i = 0; i + 1 < weeks.size(); ++i) {
            const double g = weeks[i + 1].startDate - weeks[i].endDate;
            if (g < bestGap) {
                bestGap = g;
                best = i;
            }
        }
        const auto& next = weeks[best + 1];
        auto& merged = weeks[best];
        const Instant laterEnd = std::max(merged.endDate, next.endDate);
        std::optional<Instant> end = work ? addingEndOfDay(*work, laterEnd) : std::nullopt;
        merged.startDate = std::min(merged.startDate, next.startDate);
        merged.endDate = end.value_or(next.endDate);
        weeks.erase(weeks.begin() + static_cast<std::ptrdiff_t>(best) + 1);
    }
    for (std::size_t k = 0; k < weeks.size(); ++k)
        weeks[k].number = static_cast<std::int64_t>(k) + 1;
    return weeks;
}

}  // namespace fixtora
