// SPDX-License-Identifier: MIT
#include "data/APIClient.hpp"
#include "data/ScoreboardDecoder.hpp"
#include "platform/CurlHttpClient.hpp"
#include "support/LoopbackServer.hpp"
#include "support/MatchBuilders.hpp"
#include "support/TempDir.hpp"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <cmath>
#include <future>
#include <memory>
#include <thread>

using namespace fixtora;

namespace {

constexpr Instant k20250816T0000Z = 1755302400;

// Records requests and answers each at once with an empty scoreboard.
class RecordingHttpClient final : public HttpClient {
  public:
    void send(HttpRequest request, Completion completion) override {
        requests.push_back(std::move(request));
        completion(HttpResponse{200, {}, "{}"});
    }
    std::vector<HttpRequest> requests;
};

Result<std::vector<ESPNEvent>> fetch(const APIClient& client, Instant from, Instant to,
                                     std::thread::id* callbackThread = nullptr) {
    std::promise<Result<std::vector<ESPNEvent>>> promise;
    client.fetchMatches(from, to, [&](Result<std::vector<ESPNEvent>> result) {
        if (callbackThread) *callbackThread = std::this_thread::get_id();
        promise.set_value(std::move(result));
    });
    return promise.get_future().get();
}

}  // namespace

TEST(APIClientDays, AreTheLocalGregorianDaysInAsciiDigits) {
    const Instant t = k20250816T0000Z;
    const struct {
        const char* zone;
        const char* locale;
        Instant instant;
        const char* day;
    } cases[] = {{"UTC", "en_GB", t + 14 * 3600, "20250816"},
                 // 23:59:59 and 00:00:00 in Los Angeles (UTC-7 in summer, UTC-8 in winter).
                 {"America/Los_Angeles", "en_US", t + 7 * 3600 - 1, "20250815"},
                 {"America/Los_Angeles", "en_US", t + 7 * 3600, "20250816"},
                 {"America/Los_Angeles", "en_US", 1735689600 + 8 * 3600 - 1, "20241231"},
                 {"Pacific/Kiritimati", "en_US", t - 14 * 3600, "20250816"},
                 // Locales whose own calendar, year or digits differ.
                 {"Asia/Bangkok", "th_TH@calendar=buddhist;numbers=thai", t, "20250816"},
                 {"Asia/Tehran", "fa_IR@calendar=persian", t, "20250816"}};
    for (const auto& c : cases) {
        const test::ScopedTimeZone defaults(c.zone, c.locale);
        EXPECT_EQ(APIClient::formatDay(c.instant), c.day) << c.locale;
    }
}

TEST(APIClientRequest, AsksForTheLocalDaysOnceWithAFifteenSecondGet) {
    const test::ScopedTimeZone defaults("America/Los_Angeles");
    auto http = std::make_shared<RecordingHttpClient>();
    const APIClient client(http, "http://backend.test/");

    // 06:00Z on the 16th is still the 15th in Los Angeles; 20:00Z on the 18th is the 18th.
    ASSERT_TRUE(
        fetch(client, k20250816T0000Z + 6 * 3600, k20250816T0000Z + 2 * 86400 + 20 * 3600).ok());
    // An instant that is no day fails without a request.
    EXPECT_EQ(fetch(client, std::nan(""), k20250816T0000Z).error().domain, "APIClient");

    ASSERT_EQ(http->requests.size(), 1u);
    const auto& r = http->requests[0];
    EXPECT_EQ(std::tuple(r.method, r.url, r.timeoutSeconds, r.headers.size() + r.body.size()),
              std::tuple("GET", "http://backend.test/api/epl/scoreboard?dates=20250815-20250818",
                         15, 0u));
}

// Over 2 MB: the 7 events of a real document, 30 times over (210 events).
std::string twoMegabyteDocument(const std::string& real) {
    const auto doc = nlohmann::json::parse(real);
    std::string events;
    for (int copy = 0; copy < 30; ++copy)
        for (const auto& e : doc["events"]) events += (events.empty() ? "" : ",") + e.dump();
    return "{\"events\": [" + events + "]}";
}

TEST(APIClientAnswers, CompleteOnTheHttpThreadWithEventsOrTheRightError) {
    const test::ScopedTimeZone defaults("UTC");
    const std::string real =
        test::readFile(test::testDataPath("espn/ita1_20191030_scoreboard.json"));
    const std::string large = twoMegabyteDocument(real);
    ASSERT_GT(large.size(), 2u * 1024 * 1024);
    const int kSyntax = kDecodingErrorSyntax;
    const struct {
        int status;
        std::string body;
        int events;  // -1: an error is expected
        std::string domain = "";
        int code = 0;
    } cases[] = {{200, real, 7},
                 {200, large, 210},
                 {200, "<html>gateway</html>", -1, "JSON", kSyntax},
                 {200, "", -1, "APIClient", 200},
                 {404, real, -1, "APIClient", 404}};
    test::LoopbackServer server;
    server.answer("/api/epl/scoreboard", {});
    server.start();
    const APIClient client(std::make_shared<CurlHttpClient>(), server.url());
    for (const auto& c : cases) {
        server.answer("/api/epl/scoreboard", {c.status, c.body});
        std::thread::id thread;
        const auto result = fetch(client, k20250816T0000Z, k20250816T0000Z + 2 * 86400, &thread);
        EXPECT_NE(thread, std::this_thread::get_id());
        if (c.events >= 0) {
            ASSERT_TRUE(result.ok()) << result.error().description;
            EXPECT_EQ(result.value().size(), static_cast<std::size_t>(c.events));
            continue;
        }
        ASSERT_FALSE(result.ok()) << c.status << " " << c.body.substr(0, 20);
        const auto& e = result.error();
        EXPECT_EQ(std::tuple(e.domain, e.code), std::tuple(c.domain, c.code));
        if (c.domain == "APIClient") {
            EXPECT_EQ(e.description, "Server returned HTTP " + std::to_string(c.code));
        }
    }
    EXPECT_EQ(server.hits("/api/epl/scoreboard"), 5);
}
