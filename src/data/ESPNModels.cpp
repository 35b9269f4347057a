// SPDX-License-Identifier: MIT
#include "data/ESPNModels.hpp"

#include "data/InternetDateTime.hpp"

#include <algorithm>
#include <array>
#include <cctype>

namespace fixtora {

namespace {

constexpr std::array<std::string_view, 6> kLiveCodes = {
    "STATUS_IN_PROGRESS", "STATUS_HALFTIME",   "STATUS_FIRST_HALF",
    "STATUS_SECOND_HALF", "STATUS_EXTRA_TIME", "STATUS_SHOOTOUT",
};

std::string asciiLower(std::string text) {
    for (char& c : text) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return text;
}

// A kick-off written as "...THH:mmZ" gains ":00" seconds; anything else is
// passed on unchanged (the replacement of "T(\d{2}:\d{2})Z$" by "T$1:00Z").
std::string withSeconds(const std::string& date) {
    const auto n = date.size();
    auto digit = [&](std::size_t i) { return date[i] >= '0' && date[i] <= '9'; };
    if (n >= 7 && date[n - 7] == 'T' && digit(n - 6) && digit(n - 5) && date[n - 4] == ':' &&
        digit(n - 3) && digit(n - 2) && date[n - 1] == 'Z') {
        return date.substr(0, n - 1) + ":00Z";
    }
    return date;
}

std::optional<ESPNCompetitor> side(const ESPNEvent& event, std::string_view homeAway) {
    if (event.competitions.empty()) return std::nullopt;
    const auto& competitors = event.competitions.front().competitors;
    const auto it = std::find_if(competitors.begin(), competitors.end(),
                                 [&](const ESPNCompetitor& c) { return c.homeAway == homeAway; });
    if (it == competitors.end()) return std::nullopt;
    return *it;
}

}  // namespace

MatchPhase matchPhase(std::string_view statusName) {
    if (std::find(kLiveCodes.begin(), kLiveCodes.end(), statusName) != kLiveCodes.end())
        return MatchPhase::live;
    if (statusName == "STATUS_FULL_TIME" || statusName == "STATUS_FINAL")
        return MatchPhase::finished;
    if (statusName == "STATUS_POSTPONED") return MatchPhase::postponed;
    if (statusName == "STATUS_CANCELLED") return MatchPhase::cancelled;
    if (statusName == "STATUS_SUSPENDED") return MatchPhase::suspended;
    return MatchPhase::scheduled;
}

std::optional<std::string> ESPNStatusType::clockLabel() const {
    if (!isLive()) return std::nullopt;
    if (!shortDetail || shortDetail->empty()) return std::nullopt;
    const std::string lowered = asciiLower(*shortDetail);
    if (lowered == "in progress" || lowered == "halftime") return std::string("HT");
    return *shortDetail;
}

std::optional<Instant> ESPNEvent::localDate() const {
    return parseInternetDateTime(withSeconds(date));
}

std::optional<ESPNCompetitor> ESPNEvent::home() const {
    return side(*this, "home");
}

std::optional<ESPNCompetitor> ESPNEvent::away() const {
    return side(*this, "away");
}

std::vector<ESPNDetail> ESPNEvent::goals() const {
    std::vector<ESPNDetail> result;
    if (competitions.empty() || !competitions.front().details) return result;
    for (const auto& detail : *competitions.front().details) {
        if (detail.scoringPlay.value_or(false)) result.push_back(detail);
    }
    return result;
}

std::string ESPNEvent::teamName(std::string_view teamId) const {
    if (competitions.empty()) return {};
    for (const auto& competitor : competitions.front().competitors) {
        if (competitor.team.id == teamId) return competitor.team.shortDisplayName;
    }
    return {};
}

}  // namespace fixtora
