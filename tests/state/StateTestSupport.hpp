// SPDX-License-Identifier: MIT
#pragma once

#include "data/ESPNModels.hpp"
#include "state/MatchesFetcher.hpp"
#include "support/MatchBuilders.hpp"

#include <cstddef>
#include <stdexcept>
#include <utility>
#include <vector>

namespace fixtora::test {

/// A matches source that holds every request until the test answers it, so
/// that the order of answers is exact. The view model asks, and the test
/// answers, on the test's own thread.
class ScriptedFetcher final : public MatchesFetcher {
  public:
    struct Request {
        Instant from = 0, to = 0;
        Completion completion;
        bool answered = false;
    };

    void fetchMatches(Instant from, Instant to, Completion completion) override {
        m_requests.push_back({from, to, std::move(completion)});
    }
    std::size_t count() const { return m_requests.size(); }
    const Request& request(std::size_t index) const { return m_requests.at(index); }
    /// Indices of the unanswered requests starting at `from`.
    std::vector<std::size_t> pendingFrom(Instant from) const {
        std::vector<std::size_t> out;
        for (std::size_t i = 0; i < m_requests.size(); ++i)
            if (!m_requests[i].answered && m_requests[i].from == from) out.push_back(i);
        return out;
    }
    /// Answers request `index` now, on the calling thread.
    void answer(std::size_t index, Result<std::vector<ESPNEvent>> result) {
        auto& request = m_requests.at(index);
        if (request.answered) throw std::logic_error("request answered twice");
        request.answered = true;
        const Completion completion = request.completion;  // the answer may add requests
        completion(std::move(result));
    }

  private:
    std::vector<Request> m_requests;
};

}  // namespace fixtora::test
