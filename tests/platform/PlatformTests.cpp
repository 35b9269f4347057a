// SPDX-License-Identifier: MIT
#include "platform/CurlHttpClient.hpp"
#include "platform/ManualScheduler.hpp"
#include "platform/ObserverList.hpp"
#include "platform/Paths.hpp"
#include "platform/PostWhileAlive.hpp"
#include "support/LoopbackServer.hpp"

#include <gtest/gtest.h>

#include <atomic>
#include <cstdlib>
#include <future>
#include <memory>
#include <optional>
#include <string>
#include <thread>
#include <vector>

using namespace fixtora;
using fixtora::test::LoopbackServer;

// Posted tasks run before the next timer, even one due at the same instant.
TEST(ManualScheduler, TimersFireInDueOrderYieldToPostedTasksAndRunUntilWaitsForOtherThreads) {
    auto clock = std::make_shared<SettableClock>(1000);
    ManualScheduler s(clock);
    std::vector<std::string> log;
    const auto note = [&](const char* what) {
        return [&, what] { log.push_back(what + std::to_string(int(clock->now()))); };
    };
    s.scheduleOnce(5, note("a@"));
    auto first = s.scheduleOnce(2, [&] {
        note("b@")();
        s.post(note("posted@"));
        s.scheduleOnce(0, note("now@"));
    });
    s.scheduleOnce(2, note("c@"));
    s.advance(1.9);
    EXPECT_TRUE(log.empty());
    s.advance(3.1);
    EXPECT_EQ(log,
              (std::vector<std::string>{"b@1002", "posted@1002", "c@1002", "now@1002", "a@1005"}));
    EXPECT_TRUE(!first->isValid() && s.timerCount() == 0);

    int ticks = 0;
    auto timer = s.scheduleRepeating(10, [&] { ++ticks; });
    s.advance(35);
    EXPECT_EQ(ticks, 3);
    EXPECT_NEAR(*s.nextTimerDelay(), 5, 1e-9);
    timer->invalidate();
    s.advance(100);
    EXPECT_TRUE(ticks == 3 && !s.nextTimerDelay());

    SCOPED_TRACE("runUntil waits for posts from other threads");
    std::atomic<bool> ran{false};
    std::thread other([&] { s.post([&] { ran = s.isCurrent(); }); });
    EXPECT_TRUE(s.runUntil([&] { return ran.load(); }));
    other.join();
    EXPECT_FALSE(s.runUntil([] { return false; }, std::chrono::milliseconds(10)));
}

TEST(ObserverList, ObserversComeAndGoEvenWhileBeingCalled) {
    ObserverList<const std::string&> list;
    std::vector<std::string> log;
    std::optional<Subscription> first, second, late;
    first = list.add([&](const std::string& s) {
        log.push_back("1" + s);
        first.reset();   // removes itself
        second.reset();  // and the next one, before its turn
        late = list.add([&](const std::string& t) { log.push_back("3" + t); });
    });
    second = list.add([&](const std::string& s) { log.push_back("2" + s); });
    Subscription third = list.add([&](const std::string& s) { log.push_back("4" + s); });
    list.notify("a");
    list.notify("b");
    EXPECT_EQ(log, (std::vector<std::string>{"1a", "4a", "4b", "3b"}));
    EXPECT_EQ(list.size(), 2u);
    third = Subscription{};  // moving over a subscription ends the old one
    EXPECT_EQ(list.size(), 1u);
    auto list2 = std::make_unique<ObserverList<const std::string&>>();
    late = list2->add([](const std::string&) {});
    list2.reset();
    late.reset();  // outlives its list
}

TEST(ObserverList, NotifyAndUnsubscribeFromManyThreads) {
    ObserverList<int> list;
    std::atomic<int> calls{0};
    Subscription steady = list.add([&](int n) { calls += n; });
    std::vector<std::thread> threads;
    for (int t = 0; t < 4; ++t)
        threads.emplace_back([&] {
            for (int i = 0; i < 200; ++i) {
                auto passing = list.add([](int) {});
                list.notify(1);
            }
        });
    for (auto& thread : threads) thread.join();
    EXPECT_EQ(std::pair(calls.load(), list.size()), std::pair(800, std::size_t{1}));
}

TEST(PostWhileAlive, RunsOnlyWhileOwnerAndSchedulerLive) {
    auto scheduler = std::make_shared<ManualScheduler>();
    auto owner = std::make_shared<int>(0);
    const std::weak_ptr<int> weak = owner;
    postWhileAlive(*scheduler, weak, [](int& n) { n += 1; });
    postWhileAlive(std::weak_ptr<Scheduler>(scheduler), weak, [](int& n) { n += 10; });
    EXPECT_EQ(*owner, 0);  // only on the scheduler's turn
    scheduler->runUntilIdle();
    EXPECT_EQ(*owner, 11);
    postWhileAlive(std::weak_ptr<Scheduler>(std::make_shared<ManualScheduler>()), weak,
                   [](int& n) { n = -1; });

    bool ran = false;
    postWhileAlive(*scheduler, weak, [&](int&) { ran = true; });
    owner.reset();  // gone between the post and the run
    EXPECT_EQ(scheduler->runUntilIdle(), 1u);
    postWhileAlive(*scheduler, weak, [&](int&) { ran = true; });
    EXPECT_EQ(scheduler->runUntilIdle(), 0u);  // not even posted
    EXPECT_FALSE(ran);
}

TEST(XdgPaths, UsesAbsoluteXdgVariablesElseHomeFallbacks) {
    // This program's own environment: nothing else in it reads these.
    setenv("HOME", "/home/someone", 1);
    setenv("XDG_CACHE_HOME", "/var/cache-x", 1);
    setenv("XDG_CONFIG_HOME", "relative/ignored", 1);
    EXPECT_EQ(XdgPaths().cachesDir().string() + " " + XdgPaths().configDir().string(),
              "/var/cache-x /home/someone/.config");
    unsetenv("XDG_CACHE_HOME");
    unsetenv("XDG_RUNTIME_DIR");
    EXPECT_EQ(XdgPaths().cachesDir().string() + " " + XdgPaths().runtimeDir().string(),
              "/home/someone/.cache /home/someone/.cache");
}

namespace {

Result<HttpResponse> fetch(HttpClient& client, HttpRequest request) {
    std::promise<Result<HttpResponse>> promise;
    auto future = promise.get_future();
    client.send(std::move(request),
                [&](Result<HttpResponse> r) { promise.set_value(std::move(r)); });
    return future.get();
}

HttpRequest get(const std::string& url, double timeout = 10) {
    return {"GET", url, {}, {}, timeout};
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

TEST_F(CurlHttpClientTest, FollowsOnlySafeRedirectsAndCompletesEachRequestOnce) {
    CurlHttpClient client;
    // Speaks only http, and follows only redirects to it.
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
