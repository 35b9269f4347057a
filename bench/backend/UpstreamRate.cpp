// SPDX-License-Identifier: MIT
// backend_upstream_rate: how many upstream requests the espn source makes
// while 1,000 clients poll one matchweek every 60 s, in virtual time. The
// upstream is an in-process fake answering at once with a recorded document
// (a live match: the shortest freshness), so only the cache's rules count.
#include "EspnSource.hpp"
#include "platform/Clock.hpp"

#include <atomic>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <memory>
#include <random>
#include <string>
#include <vector>

namespace {

class RecordedUpstream final : public fixtora::HttpClient {
  public:
    explicit RecordedUpstream(std::string body) : m_body(std::move(body)) {}
    void send(fixtora::HttpRequest, Completion completion) override {
        ++requests;
        completion(fixtora::HttpResponse{200, {}, m_body});
    }
    std::atomic<std::size_t> requests{0};

  private:
    std::string m_body;
};

}  // namespace

int main(int argc, char** argv) {
    const std::string file =
        argc > 1 ? argv[1] : FIXTORA_BENCH_DATA_DIR "/espn/wc2026_20260704T1756Z_halftime.json";
    std::ifstream in(file, std::ios::binary);
    const std::string body((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    if (body.empty()) {
        std::fprintf(stderr, "cannot read %s\n", file.c_str());
        return 1;
    }
    constexpr int kClients = 1000;
    constexpr int kMinutes = 30;
    auto upstream = std::make_shared<RecordedUpstream>(body);
    auto clock = std::make_shared<fixtora::SettableClock>(
        1783187760.0);  // 2026-07-04T17:56Z, a match at half-time
    auto source = std::make_shared<fixtora::server::EspnSource>(
        fixtora::server::EspnSource::Options{}, upstream, clock, nullptr);
    // Each client polls at its own second of the minute.
    std::mt19937 random(42);
    std::vector<int> offset(kClients);
    for (auto& o : offset) o = static_cast<int>(random() % 60);
    std::size_t answers = 0;
    const double start = clock->now();
    for (int second = 0; second < kMinutes * 60; ++second) {
        clock->set(start + second);
        for (int c = 0; c < kClients; ++c)
            if (second % 60 == offset[c])
                answers += source->scoreboard("20260628-20260719").status == 200;
    }
    std::printf("clients %d, minutes %d, answers %zu, upstream requests %zu, per minute %.2f\n",
                kClients, kMinutes, answers, upstream->requests.load(),
                static_cast<double>(upstream->requests.load()) / kMinutes);
    return 0;
}
