// SPDX-License-Identifier: MIT
#include "Metrics.hpp"

#include <sstream>

namespace fixtora::server {

void Metrics::countRequest(const std::string& endpoint, int status) {
    std::lock_guard lock(m_mutex);
    ++m_requests[{endpoint, status}];
}

void Metrics::countCache(CacheOutcome outcome) {
    std::lock_guard lock(m_mutex);
    ++m_cache[static_cast<std::size_t>(outcome)];
}

void Metrics::countUpstream(bool failed, double seconds) {
    std::lock_guard lock(m_mutex);
    ++m_upstream;
    if (failed) ++m_upstreamFailures;
    for (std::size_t i = 0; i < kBuckets.size(); ++i)
        if (seconds <= kBuckets[i]) ++m_latency[i];
    ++m_latencyCount;
    m_latencySum += seconds;
}

void Metrics::countUpstreamFailure() {
    std::lock_guard lock(m_mutex);
    ++m_upstreamFailures;
}

std::string Metrics::render() const {
    std::lock_guard lock(m_mutex);
    std::ostringstream out;
    out << "# HELP fixtora_http_requests_total Requests answered, by endpoint and status.\n"
           "# TYPE fixtora_http_requests_total counter\n";
    for (const auto& [key, n] : m_requests)
        out << "fixtora_http_requests_total{endpoint=\"" << key.first << "\",status=\""
            << key.second << "\"} " << n << "\n";
    out << "# HELP fixtora_cache_answers_total Data answers by how the cache served them.\n"
           "# TYPE fixtora_cache_answers_total counter\n";
    const char* names[] = {"hit", "miss", "stale"};
    for (std::size_t i = 0; i < 3; ++i)
        out << "fixtora_cache_answers_total{outcome=\"" << names[i] << "\"} " << m_cache[i] << "\n";
    out << "# HELP fixtora_upstream_requests_total Requests sent upstream.\n"
           "# TYPE fixtora_upstream_requests_total counter\n"
           "fixtora_upstream_requests_total "
        << m_upstream
        << "\n# HELP fixtora_upstream_failures_total Upstream requests that gave no usable "
           "answer.\n"
           "# TYPE fixtora_upstream_failures_total counter\n"
           "fixtora_upstream_failures_total "
        << m_upstreamFailures
        << "\n# HELP fixtora_upstream_duration_seconds Time upstream took to answer.\n"
           "# TYPE fixtora_upstream_duration_seconds histogram\n";
    for (std::size_t i = 0; i < kBuckets.size(); ++i)
        out << "fixtora_upstream_duration_seconds_bucket{le=\"" << kBuckets[i] << "\"} "
            << m_latency[i] << "\n";
    out << "fixtora_upstream_duration_seconds_bucket{le=\"+Inf\"} " << m_latencyCount << "\n"
        << "fixtora_upstream_duration_seconds_sum " << m_latencySum << "\n"
        << "fixtora_upstream_duration_seconds_count " << m_latencyCount << "\n";
    return out.str();
}

std::string endpointLabel(const std::string& path) {
    if (path == "/api/epl/scoreboard") return "scoreboard";
    if (path == "/api/epl/schedule") return "schedule";
    if (path == "/healthz") return "healthz";
    if (path == "/metrics") return "metrics";
    if (path.rfind("/v2/", 0) == 0) return "ingest";
    if (path == "/updates/feed.json") return "feed";
    if (path.rfind("/crests/", 0) == 0) return "crest";
    return "other";
}

}  // namespace fixtora::server
