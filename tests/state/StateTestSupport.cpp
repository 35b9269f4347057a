// SPDX-License-Identifier: MIT
#include "StateTestSupport.hpp"

#include <stdexcept>
#include <utility>

namespace fixtora::test {

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
