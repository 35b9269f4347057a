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

Result<HttpResponse> fetch(HttpClient& client, HttpRequest request,
                           std::thread::id* callbackThread = nullptr) {
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
        m_server.answer("/ok", {200, "{\"a\":1}"});
        // Answers when the test ends (the promise goes) or after 5 s.
        s.Get("/stall", [released = m_release.get_future().share()](const httplib::Request&,
                                                                    httplib::Response& res) {
            released.wait_for(std::chrono::seconds(5));
            res.set_content("late", "text/plain");
        });
        s.Get("/redirect-to", [](const httplib::Request& req, httplib::Response& res) {
            res.set_redirect(req.get_param_value("u"));
        });
        m_server.start();
    }
    LoopbackServer m_server;
    std::promise<void> m_release;  // after the server: it goes first
};

}  // namespace

TEST_F(CurlHttpClientTest, AnswersOnItsOwnThreadFollowsOnlySafeRedirectsAndCompletesEachOnce) {
    CurlHttpClient client;
    std::thread::id cbThread;
    auto r = fetch(client, get(m_server.url("/ok")), &cbThread);
    ASSERT_TRUE(r.ok()) << r.error().description;
    EXPECT_EQ(std::to_string(r.value().status) + r.value().body, "200{\"a\":1}");
    EXPECT_NE(cbThread, std::this_thread::get_id());

    SCOPED_TRACE("speaks only http and follows only safe redirects");
    EXPECT_FALSE(fetch(client, get("file:///etc/passwd")).ok());
    const auto via = [&](const std::string& target) {
        return fetch(client, get(m_server.url("/redirect-to?u=") +
                                 httplib::detail::encode_query_param(target)));
    };
    auto followed = via(m_server.url("/ok"));  // loopback http targets are followed
    EXPECT_EQ(followed.ok() ? followed.value().body : followed.error().description, "{\"a\":1}");
    for (const char* target :
         {"file:///etc/passwd", "gopher://127.0.0.1/", "http://example.invalid/x"}) {
        auto no = via(target);
        EXPECT_TRUE(!no.ok() &&
                    no.error().description.find("Refused to follow") != std::string::npos)
            << target;
    }

    SCOPED_TRACE("many concurrent requests each complete once");
    constexpr int kCount = 50;
    std::atomic<int> done{0}, ok{0};
    std::promise<void> all;
    for (int i = 0; i < kCount; ++i)
        client.send(get(m_server.url("/ok")), [&](Result<HttpResponse> a) {
            if (a.ok() && a.value().status == 200) ++ok;
            if (++done == kCount) all.set_value();
        });
    ASSERT_EQ(all.get_future().wait_for(std::chrono::seconds(20)), std::future_status::ready);
    EXPECT_EQ(ok, kCount);
}

TEST_F(CurlHttpClientTest, DestructionCancelsRequestsInFlightEvenFromItsOwnCompletion) {
    std::atomic<int> completions{0};
    Error seen;
    {
        CurlHttpClient client;
        client.send(get(m_server.url("/stall"), 30), [&](Result<HttpResponse> r) {
            if (!r.ok()) seen = r.error();
            ++completions;
        });
        // Let the request reach the server.
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    EXPECT_EQ(std::pair(completions.load(), seen.description),
              std::pair(1, std::string("The request was cancelled")));

    SCOPED_TRACE("its own completion may hold the last reference");
    auto client = std::make_shared<CurlHttpClient>();
    const std::weak_ptr<CurlHttpClient> weak = client;
    std::promise<int> status;
    client->send(get(m_server.url("/ok")), [&status, keep = client](Result<HttpResponse> r) {
        status.set_value(r.ok() ? r.value().status : -1);
    });
    client.reset();  // the completion, on the engine's thread, now owns the client
    EXPECT_EQ(status.get_future().get(), 200);
    // Released there without ending the process.
    for (int i = 0; i < 2000 && !weak.expired(); ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    EXPECT_TRUE(weak.expired());
}
