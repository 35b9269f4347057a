// SPDX-License-Identifier: MIT
#include "StateTestSupport.hpp"

#include "data/InternetDateTime.hpp"

#include <stdexcept>
#include <utility>

namespace fixtora::test {

ESPNTeam club(const std::string& abbreviation, std::optional<std::string> logo) {
    return ESPNTeam{"id-" + abbreviation, abbreviation, "Club " + abbreviation, std::move(logo)};
}

ESPNEvent match(const std::string& id, Instant kickOff, const std::string& status, Side home, Side away,
                std::optional<std::string> shortDetail) {
    ESPNCompetition competition;
    competition.status.type.name = status;
    competition.status.type.completed = status == "STATUS_FULL_TIME" || status == "STATUS_FINAL";
    competition.status.type.shortDetail = std::move(shortDetail);
    competition.competitors.push_back(ESPNCompetitor{"home", std::move(home.team), std::move(home.score), {}});
    competition.competitors.push_back(ESPNCompetitor{"away", std::move(away.team), std::move(away.score), {}});
    ESPNEvent event;
    event.id = id;
    event.date = formatInternetDateTime(kickOff);
    event.competitions.push_back(std::move(competition));
    return event;
}

ESPNEvent match(const std::string& id, Instant kickOff, const std::string& status, const std::string& home,
                const std::string& away, std::optional<std::string> homeScore, std::optional<std::string> awayScore,
                std::optional<std::string> shortDetail) {
    return match(id, kickOff, status, Side{club(home), std::move(homeScore)}, Side{club(away), std::move(awayScore)},
                 std::move(shortDetail));
}

void ScriptedFetcher::fetchMatches(Instant from, Instant to, Completion completion) {
    std::lock_guard lock(m_mutex);
    m_requests.push_back(Request{from, to, std::move(completion), false});
}

std::size_t ScriptedFetcher::count() const {
    std::lock_guard lock(m_mutex);
    return m_requests.size();
}

ScriptedFetcher::Request ScriptedFetcher::request(std::size_t index) const {
    std::lock_guard lock(m_mutex);
    return m_requests.at(index);
}

std::vector<std::size_t> ScriptedFetcher::pendingFrom(Instant from) const {
    std::lock_guard lock(m_mutex);
    std::vector<std::size_t> out;
    for (std::size_t i = 0; i < m_requests.size(); ++i)
        if (!m_requests[i].answered && m_requests[i].from == from) out.push_back(i);
    return out;
}

void ScriptedFetcher::answer(std::size_t index, Result<std::vector<ESPNEvent>> result) {
    Completion completion;
    {
        std::lock_guard lock(m_mutex);
        auto& request = m_requests.at(index);
        if (request.answered) throw std::logic_error("request answered twice");
        request.answered = true;
        completion = request.completion;
    }
    completion(std::move(result));
}

}  // namespace fixtora::test
