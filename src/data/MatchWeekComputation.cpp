// SPDX-License-Identifier: MIT
#include "data/MatchWeekComputation.hpp"

#include <unicode/gregocal.h>

#include <algorithm>
#include <cmath>
#include <limits>
#include <map>
#include <string>
#include <unordered_map>
#include <utility>

namespace fixtora {

namespace {

constexpr double kSecondsPerDay = 86400;

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

    std::vector<Cluster> clusters{{days.front().key}};
    for (std::size_t i = 1; i < days.size(); ++i) {
        const double apart = std::floor((days[i].start - days[i - 1].start) / kSecondsPerDay);
        if (apart < 2) {
            clusters.back().push_back(days[i].key);
        } else {
            clusters.push_back({days[i].key});
        }
    }

    const auto matches = [&](const Cluster& c) {
        int n = 0;
        for (const auto& key : c) n += matchCount[key];
        return n;
    };
    const auto append = [](Cluster& to, const Cluster& from) {
        to.insert(to.end(), from.begin(), from.end());
    };

    // Fold clusters of fewer than 3 matches into a neighbour, rescanning from
    // the first after every fold.
    while (clusters.size() >= 2) {
        auto small = std::find_if(clusters.begin(), clusters.end(),
                                  [&](const Cluster& c) { return matches(c) <= 2; });
        if (small == clusters.end()) break;
        const auto i = static_cast<std::size_t>(small - clusters.begin());
        if (i == 0) {
            append(clusters[0], clusters[1]);
            clusters.erase(clusters.begin() + 1);
        } else if (i == clusters.size() - 1) {
            append(clusters[i - 1], clusters[i]);
            clusters.erase(clusters.begin() + static_cast<std::ptrdiff_t>(i));
        } else {
            const auto before = gap(parser, clusters[i - 1].back(), clusters[i].front());
            const auto after = gap(parser, clusters[i].back(), clusters[i + 1].front());
            if (after < before) {
                Cluster merged = std::move(clusters[i]);
                append(merged, clusters[i + 1]);
                clusters[i + 1] = std::move(merged);
            } else {
                append(clusters[i - 1], clusters[i]);
            }
            clusters.erase(clusters.begin() + static_cast<std::ptrdiff_t>(i));
        }
    }

    std::vector<MatchWeek> weeks;
    weeks.reserve(clusters.size());
    for (std::size_t k = 0; k < clusters.size(); ++k) {
        const auto first = parser.parse(clusters[k].front());
        const auto last = parser.parse(clusters[k].back());
        if (!first || !last) continue;
        weeks.push_back(
            {static_cast<std::int64_t>(k) + 1, *first, addingEndOfDay(cal, *last).value_or(*last)});
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
    return static_cast<std::int64_t>(std::floor((*b - *a) / kSecondsPerDay));
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
