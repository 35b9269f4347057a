// SPDX-License-Identifier: MIT
#pragma once

#include "data/APIClient.hpp"

#include <memory>

namespace fixtora {

/// Loads the matches of a date range: the backend client in the application,
/// a scripted source in tests. The completion may run on any thread.
class MatchesFetcher {
  public:
    using Completion = APIClient::Completion;

    virtual ~MatchesFetcher() = default;
    virtual void fetchMatches(Instant from, Instant to, Completion completion) = 0;

    /// A fetcher that asks the backend through `client`.
    static std::shared_ptr<MatchesFetcher> fromClient(std::shared_ptr<const APIClient> client);
};

}  // namespace fixtora
