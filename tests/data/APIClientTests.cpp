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
#include <mutex>
#include <stdexcept>
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

struct DayCase {
    const char* zone;
    const char* locale;
    Instant instant;
    const char* day;
};

class FormatDayTest : public ::testing::TestWithParam<DayCase> {};

TEST_P(FormatDayTest, WritesTheLocalGregorianDayInAsciiDigits) {
    const test::ScopedTimeZone defaults(GetParam().zone, GetParam().locale);
    EXPECT_EQ(APIClient::formatDay(GetParam().instant), GetParam().day);
}

INSTANTIATE_TEST_SUITE_P(
    ZonesAndLocales, FormatDayTest,
    ::testing::Values(
        DayCase{"UTC", "en_GB", k20250816T0000Z + 14 * 3600, "20250816"},
        // 23:59:59 and 00:00:00 in Los Angeles (UTC-7 in summer, UTC-8 in winter).
        DayCase{"America/Los_Angeles", "en_US", k20250816T0000Z + 7 * 3600 - 1, "20250815"},
        DayCase{"America/Los_Angeles", "en_US", k20250816T0000Z + 7 * 3600, "20250816"},
        DayCase{"America/Los_Angeles", "en_US", 1735689600 + 8 * 3600 - 1, "20241231"},
        DayCase{"Pacific/Kiritimati", "en_US", k20250816T0000Z - 14 * 3600, "20250816"},
        // Locales whose own calendar, year or digits differ.
        DayCase{"Asia/Bangkok", "th_TH@calendar=buddhist;numbers=thai", k20250816T0000Z,
                "20250816"},
        DayCase{"Asia/Tehran", "fa_IR@calendar=persian", k20250816T0000Z, "20250816"},
        DayCase{"Africa/Cairo", "ar_EG", k20250816T0000Z, "20250816"},
        DayCase{"Asia/Tokyo", "ja_JP@calendar=japanese", k20250816T0000Z, "20250816"}));

TEST(APIClientRequest, AsksForTheLocalDaysOnceWithAFifteenSecondGet) {
    const test::ScopedTimeZone defaults("America/Los_Angeles");
    auto http = std::make_shared<RecordingHttpClient>();
    const APIClient client(http, "http://backend.test/");

    // 06:00Z on the 16th is still the 15th in Los Angeles; 20:00Z on the 18th is the 18th.
    ASSERT_TRUE(
        fetch(client, k20250816T0000Z + 6 * 3600, k20250816T0000Z + 2 * 86400 + 20 * 3600).ok());
    fetch(client, k20250816T0000Z + 12 * 3600, k20250816T0000Z + 13 * 3600);

    ASSERT_EQ(http->requests.size(), 2u);
    const auto& r = http->requests[0];
    EXPECT_EQ(r.method, "GET");
    EXPECT_EQ(r.url, "http://backend.test/api/epl/scoreboard?dates=20250815-20250818");
    EXPECT_EQ(r.timeoutSeconds, 15);
    EXPECT_TRUE(r.headers.empty());
    EXPECT_TRUE(r.body.empty());
    EXPECT_EQ(http->requests[1].url,
              "http://backend.test/api/epl/scoreboard?dates=20250816-20250816");
}

TEST(APIClientRequest, AnInstantThatIsNoDayFailsWithoutARequest) {
    auto http = std::make_shared<RecordingHttpClient>();
    const APIClient client(http, "http://backend.test");
    const auto result = fetch(client, std::nan(""), k20250816T0000Z);
    ASSERT_FALSE(result.ok());
    EXPECT_EQ(result.error().domain, "APIClient");
    EXPECT_TRUE(http->requests.empty());
}

struct AnswerCase {
    const char* name;
    int status;
    std::function<std::string()> body;
    std::optional<std::size_t> events;  // absent: an error is expected
    std::string domain = "";
    int code = 0;
    std::string description = "";  // the whole text, or "" to check only domain and code
    bool dropConnection = false;   // promise a body, send part of it and close
};

void PrintTo(const AnswerCase& c, std::ostream* os) {
    *os << c.name;
}

class APIClientAnswerTest : public ::testing::TestWithParam<AnswerCase> {
  protected:
    void SetUp() override {
        m_server.server().Get(
            "/api/epl/scoreboard", [this](const httplib::Request& req, httplib::Response& res) {
                {
                    std::lock_guard lock(m_mutex);
                    m_params = req.params;
                }
                const auto& c = GetParam();
                res.status = c.status;
                if (c.dropConnection) {
                    res.set_content_provider(1000, "application/json",
                                             [](size_t, size_t, httplib::DataSink& sink) {
                                                 sink.write("{\"events\": [", 12);
                                                 return false;
                                             });
                } else if (c.body) {
                    res.set_content(c.body(), "application/json");
                }
            });
        m_server.start();
    }

    test::LoopbackServer m_server;
    std::mutex m_mutex;
    httplib::Params m_params;
};

TEST_P(APIClientAnswerTest, CompletesOnTheHttpThreadWithEventsOrTheRightError) {
    const auto& c = GetParam();
    const test::ScopedTimeZone defaults("UTC");
    const APIClient client(std::make_shared<CurlHttpClient>(), m_server.url());
    std::thread::id callbackThread;
    const auto result =
        fetch(client, k20250816T0000Z, k20250816T0000Z + 2 * 86400, &callbackThread);

    EXPECT_NE(callbackThread, std::this_thread::get_id());
    {
        std::lock_guard lock(m_mutex);
        ASSERT_EQ(m_params.size(), 1u);
        EXPECT_EQ(m_params.count("dates"), 1u);
        EXPECT_EQ(m_params.begin()->second, "20250816-20250818");
    }
    if (c.events) {
        ASSERT_TRUE(result.ok()) << result.error().description;
        EXPECT_EQ(result.value().size(), *c.events);
    } else {
        ASSERT_FALSE(result.ok());
        EXPECT_EQ(result.error().domain, c.domain);
        if (c.code != 0) {
            EXPECT_EQ(result.error().code, c.code);
        }
        if (!c.description.empty()) {
            EXPECT_EQ(result.error().description, c.description);
        }
    }
}

namespace {

std::string realDocument() {
    return test::readFile(test::testDataPath("espn/ita1_20191030_scoreboard.json"));
}

// Over 2 MB: the 7 events of a real document, 30 times over (210 events).
std::string twoMegabyteDocument() {
    const auto doc = nlohmann::json::parse(realDocument());
    std::string events;
    for (int copy = 0; copy < 30; ++copy)
        for (const auto& e : doc["events"]) events += (events.empty() ? "" : ",") + e.dump();
    std::string body = "{\"events\": [" + events + "]}";
    if (body.size() < 2u * 1024 * 1024) throw std::logic_error("the large body is too small");
    return body;
}

}  // namespace

INSTANTIATE_TEST_SUITE_P(
    Answers, APIClientAnswerTest,
    ::testing::Values(
        AnswerCase{"RealDocument", 200, realDocument, 7},
        AnswerCase{"EmptyObject", 200, [] { return std::string("{}"); }, 0},
        AnswerCase{"TwoMegabytes", 200, twoMegabyteDocument, 210},
        AnswerCase{"NotJson", 200, [] { return std::string("<html>gateway</html>"); }, std::nullopt,
                   "JSON", kDecodingErrorSyntax},
        AnswerCase{"TruncatedJson", 200, [] { return realDocument().substr(0, 5000); },
                   std::nullopt, "JSON", kDecodingErrorSyntax},
        AnswerCase{"EmptyBody", 200, [] { return std::string(); }, std::nullopt, "APIClient", 200,
                   "Server returned HTTP 200"},
        AnswerCase{
            "NoContent", 204, {}, std::nullopt, "APIClient", 204, "Server returned HTTP 204"},
        AnswerCase{"NotFound", 404, [] { return std::string("{}"); }, std::nullopt, "APIClient",
                   404, "Server returned HTTP 404"},
        AnswerCase{"Unavailable", 503, realDocument, std::nullopt, "APIClient", 503,
                   "Server returned HTTP 503"},
        AnswerCase{"ClosedMidBody", 200, {}, std::nullopt, kHttpErrorDomain, 0, "", true}));

TEST(APIClientTransport, ConnectionRefusedPassesTheTransportErrorThrough) {
    const APIClient client(std::make_shared<CurlHttpClient>(),
                           "http://127.0.0.1:" + std::to_string(test::unusedLoopbackPort()));
    const auto result = fetch(client, k20250816T0000Z, k20250816T0000Z);
    ASSERT_FALSE(result.ok());
    EXPECT_EQ(result.error().domain, kHttpErrorDomain);
    EXPECT_FALSE(result.error().description.empty());
}
