// SPDX-License-Identifier: MIT
#pragma once

#include <array>
#include <cstdint>
#include <map>
#include <mutex>
#include <string>
#include <utility>

namespace fixtora::server {

/// The backend's counters, rendered in the Prometheus text format.
/// Safe to update from any thread.
class Metrics {
  public:
    enum class CacheOutcome { Hit, Miss, Stale };

    void countRequest(const std::string& endpoint, int status);
    void countCache(CacheOutcome outcome);
    /// One upstream request and how long it took (wall time).
    void countUpstream(bool failed, double seconds);
    /// An upstream answer that arrived but could not be used.
    void countUpstreamFailure();
    std::string render() const;

  private:
    static constexpr std::array<double, 8> kBuckets = {0.05, 0.1, 0.25, 0.5, 1, 2.5, 5, 10};

    mutable std::mutex m_mutex;
    std::map<std::pair<std::string, int>, std::uint64_t> m_requests;
    std::array<std::uint64_t, 3> m_cache{};
    std::uint64_t m_upstream = 0;
    std::uint64_t m_upstreamFailures = 0;
    std::array<std::uint64_t, kBuckets.size()> m_latency{};
    std::uint64_t m_latencyCount = 0;
    double m_latencySum = 0;
};

/// The endpoint label of a request path (a few fixed names, never the path
/// itself, so that the label set stays small).
std::string endpointLabel(const std::string& path);

}  // namespace fixtora::server
