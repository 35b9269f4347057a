// SPDX-License-Identifier: MIT
#include "state/MatchesFetcher.hpp"

#include <stdexcept>
#include <utility>

namespace fixtora {

namespace {

class ClientFetcher final : public MatchesFetcher {
  public:
    explicit ClientFetcher(std::shared_ptr<const APIClient> client) : m_client(std::move(client)) {}
    void fetchMatches(Instant from, Instant to, Completion completion) override {
        m_client->fetchMatches(from, to, std::move(completion));
    }

  private:
    std::shared_ptr<const APIClient> m_client;
};

}  // namespace

std::shared_ptr<MatchesFetcher> MatchesFetcher::fromClient(
    std::shared_ptr<const APIClient> client) {
    if (!client) throw std::invalid_argument("MatchesFetcher::fromClient needs a backend client");
    return std::make_shared<ClientFetcher>(std::move(client));
}

}  // namespace fixtora
