// SPDX-License-Identifier: MIT
#pragma once

#include "data/ESPNModels.hpp"
#include "state/MatchesFetcher.hpp"
#include "support/MatchBuilders.hpp"

#include <cstddef>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

namespace fixtora::test {

/// A matches source that holds every request until the test answers it, so
/// that the order of answers is exact.
class ScriptedFetcher final : public MatchesFetcher {
  public:
    struct Request {
        Instant from = 0;
        Instant to = 0;
        Completion completion;
        bool answered = false;
    };

    void fetchMatches(Instant from, Instant to, Completion completion) override;

    std::size_t count() const;
    Request request(std::size_t index) const;
    /// Indices of the unanswered requests starting at `from`.
    std::vector<std::size_t> pendingFrom(Instant from) const;
    /// Answers request `index` now, on the calling thread.
    void answer(std::size_t index, Result<std::vector<ESPNEvent>> result);

  private:
    mutable std::mutex m_mutex;
    std::vector<Request> m_requests;
};

}  // namespace fixtora::test
