// SPDX-License-Identifier: MIT
#include "platform/CurlHttpClient.hpp"
#include "support/LoopbackServer.hpp"

#include <gtest/gtest.h>

#include <atomic>
#include <future>
#include <thread>

using namespace fixtora;
using fixtora::test::LoopbackServer;

namespace {

Result<HttpResponse> fetch(HttpClient& client, HttpRequest request, std::thread::id* callbackThread = nullptr) {
    std::promise<Result<HttpResponse>> promise;
    auto future = promise.get_future();
    client.send(std::move(request), [&](Result<HttpResponse> r) {
        if (callbackThread) *callbackThread = std::this_thread::get_id();
        promise.set_value(std::move(r));
    });
    return future.get();
}

HttpRequest get(const std::string& url, double timeout = 10) {
    HttpRequest r;
    r.url = url;
    r.timeoutSeconds = timeout;
    return r;
}

class CurlHttpClientTest : public ::testing::Test {
protected:
    void SetUp() override {
        auto& s = m_server.server();
        s.Get("/ok", [](const httplib::Request&, httplib::Response& res) {
            res.set_header("X-Thing", "yes");
            res.set_content("{\"a\":1}", "application/json");
        });
        s.Get("/status/(\\d+)", [](const httplib::Request& req, httplib::Response& res) {
            res.status = std::stoi(req.matches[1]);
            // A 204 has no body; sending one would corrupt the next response
            // on the same kept-alive connection.
            if (res.status != 204) res.set_content("nope", "text/plain");
        });
        s.Post("/echo", [](const httplib::Request& req, httplib::Response& res) {
            res.set_content(req.get_header_value("Content-Type") + "|" + req.body, "text/plain");
        });
        s.Get("/stall", [this](const httplib::Request&, httplib::Response& res) {
            std::unique_lock lock(m_stallMutex);
            m_stallCv.wait_for(lock, std::chrono::seconds(5), [this] { return m_release; });
            res.set_content("late", "text/plain");
        });
        s.Get("/big/(\\d+)", [](const httplib::Request& req, httplib::Response& res) {
            res.set_content(std::string(std::stoul(req.matches[1]), 'x'), "application/octet-stream");
        });
        s.Get("/redirect-to", [](const httplib::Request& req, httplib::Response& res) {
            res.set_redirect(req.get_param_value("u"));
        });
        m_server.start();
    }
    void TearDown() override {
        {
            std::lock_guard lock(m_stallMutex);
            m_release = true;
        }
        m_stallCv.notify_all();
        m_server.stop();
    }

    LoopbackServer m_server;
    std::mutex m_stallMutex;
    std::condition_variable m_stallCv;
    bool m_release = false;
};

}  // namespace

TEST_F(CurlHttpClientTest, ReturnsStatusHeadersAndBodyOnItsOwnThread) {
    CurlHttpClient client;
    std::thread::id cbThread;
    auto r = fetch(client, get(m_server.url("/ok")), &cbThread);
    ASSERT_TRUE(r.ok()) << r.error().description;
    EXPECT_EQ(r.value().status, 200);
    EXPECT_EQ(r.value().body, "{\"a\":1}");
    EXPECT_EQ(r.value().header("x-thing"), "yes");
    EXPECT_NE(cbThread, std::this_thread::get_id());
}

TEST_F(CurlHttpClientTest, NonSuccessStatusesAreResponsesNotErrors) {
    CurlHttpClient client;
    for (int status : {204, 401, 404, 500, 503}) {
        auto r = fetch(client, get(m_server.url("/status/" + std::to_string(status))));
        ASSERT_TRUE(r.ok()) << status << ": " << r.error().description;
        EXPECT_EQ(r.value().status, status);
    }
}

TEST_F(CurlHttpClientTest, PostsBodyAndHeaders) {
    CurlHttpClient client;
    HttpRequest req = get(m_server.url("/echo"));
    req.method = "POST";
    req.body = "[{\"x\":\"é\"}]";
    req.headers = {{"Content-Type", "application/json"}};
    auto r = fetch(client, req);
    ASSERT_TRUE(r.ok());
    EXPECT_EQ(r.value().body, "application/json|[{\"x\":\"é\"}]");
}

TEST_F(CurlHttpClientTest, TransportFailuresCarryCurlsDescription) {
    CurlHttpClient client;
    auto refused = fetch(client, get("http://127.0.0.1:" + std::to_string(test::unusedLoopbackPort()) + "/"));
    ASSERT_FALSE(refused.ok());
    EXPECT_EQ(refused.error().domain, kHttpErrorDomain);
    EXPECT_NE(refused.error().description.find("Couldn't connect"), std::string::npos) << refused.error().description;

    auto timedOut = fetch(client, get(m_server.url("/stall"), 0.3));
    ASSERT_FALSE(timedOut.ok());
    EXPECT_NE(timedOut.error().description.find("imeout"), std::string::npos) << timedOut.error().description;
}

TEST_F(CurlHttpClientTest, LargeBodiesArriveWholeAndOversizedOnesAreRefused) {
    CurlHttpClient client(4 * 1024 * 1024);
    auto big = fetch(client, get(m_server.url("/big/3000000")));
    ASSERT_TRUE(big.ok());
    EXPECT_EQ(big.value().body.size(), 3000000u);

    auto tooBig = fetch(client, get(m_server.url("/big/5000000")));
    ASSERT_FALSE(tooBig.ok());
    EXPECT_NE(tooBig.error().description.find("limit"), std::string::npos) << tooBig.error().description;
}

TEST_F(CurlHttpClientTest, SpeaksOnlyHttpAndFollowsOnlySafeRedirects) {
    CurlHttpClient client;
    auto file = fetch(client, get("file:///etc/passwd"));
    ASSERT_FALSE(file.ok());

    // Loopback http targets are followed.
    auto followed = fetch(client, get(m_server.url("/redirect-to?u=") + httplib::detail::encode_query_param(m_server.url("/ok"))));
    ASSERT_TRUE(followed.ok()) << followed.error().description;
    EXPECT_EQ(followed.value().status, 200);
    EXPECT_EQ(followed.value().body, "{\"a\":1}");

    for (const char* target : {"file:///etc/passwd", "gopher://127.0.0.1/", "http://example.invalid/x"}) {
        auto r = fetch(client, get(m_server.url("/redirect-to?u=") + httplib::detail::encode_query_param(target)));
        ASSERT_FALSE(r.ok()) << target;
        EXPECT_NE(r.error().description.find("Refused to follow"), std::string::npos) << r.error().description;
    }
}

TEST_F(CurlHttpClientTest, ManyConcurrentRequestsEachCompleteOnce) {
    CurlHttpClient client;
    constexpr int kCount = 50;
    std::atomic<int> done{0}, ok{0};
    std::promise<void> all;
    for (int i = 0; i < kCount; ++i) {
        client.send(get(m_server.url("/ok")), [&](Result<HttpResponse> r) {
            if (r.ok() && r.value().status == 200) ++ok;
            if (++done == kCount) all.set_value();
        });
    }
    ASSERT_EQ(all.get_future().wait_for(std::chrono::seconds(20)), std::future_status::ready);
    EXPECT_EQ(ok, kCount);
}

TEST_F(CurlHttpClientTest, DestructionCancelsRequestsInFlight) {
    std::atomic<int> completions{0};
    Error seen;
    {
        CurlHttpClient client;
        client.send(get(m_server.url("/stall"), 30), [&](Result<HttpResponse> r) {
            if (!r.ok()) seen = r.error();
            ++completions;
        });
        std::this_thread::sleep_for(std::chrono::milliseconds(50));  // let the request reach the server
    }
    EXPECT_EQ(completions, 1);
    EXPECT_EQ(seen.description, "The request was cancelled");
}

TEST_F(CurlHttpClientTest, ItsOwnCompletionMayHoldTheLastReference) {
    auto client = std::make_shared<CurlHttpClient>();
    const std::weak_ptr<CurlHttpClient> weak = client;
    std::promise<int> status;
    client->send(get(m_server.url("/ok")), [&status, keep = client](Result<HttpResponse> r) {
        status.set_value(r.ok() ? r.value().status : -1);
    });
    client.reset();  // the completion, on the engine's thread, now owns the client
    EXPECT_EQ(status.get_future().get(), 200);
    // Released there without ending the process.
    for (int i = 0; i < 2000 && !weak.expired(); ++i) std::this_thread::sleep_for(std::chrono::milliseconds(1));
    EXPECT_TRUE(weak.expired());
}
