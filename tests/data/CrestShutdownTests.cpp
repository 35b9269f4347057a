// SPDX-License-Identifier: MIT
// Quitting while a crest is being downloaded.
#include "data/ImageCache.hpp"
#include "platform/CurlHttpClient.hpp"
#include "platform/ManualScheduler.hpp"
#include "platform/WorkerScheduler.hpp"
#include "support/FakeImageDecoder.hpp"
#include "support/LoopbackServer.hpp"
#include "support/TempDir.hpp"

#include <gtest/gtest.h>

#include <chrono>
#include <condition_variable>
#include <mutex>

namespace fixtora {
namespace {

TEST(CrestShutdownTest, DestroyingTheCacheDoesNotWaitForADownload) {
    std::mutex mutex;
    std::condition_variable changed;
    bool asked = false, released = false;
    test::LoopbackServer server;  // answers only once the test is over
    server.server().Get("/crests/slow.png", [&](const httplib::Request&, httplib::Response& res) {
        std::unique_lock lock(mutex);
        asked = true;
        changed.notify_all();
        changed.wait(lock, [&] { return released; });
        res.status = 503;
    });
    server.start();
    const auto release = [&] {
        std::lock_guard lock(mutex);
        released = true;
        changed.notify_all();
    };

    test::TempDir dir;
    auto io = std::make_shared<WorkerScheduler>("crests");
    auto cache = std::make_shared<ImageCache>(
        std::make_shared<CurlHttpClient>(), std::make_shared<FixedPaths>(dir.path()),
        std::make_shared<test::FakeImageDecoder>(), std::make_shared<ManualScheduler>(), io);
    cache->prefetch({server.url("/crests/slow.png")});
    {
        std::unique_lock lock(mutex);
        ASSERT_TRUE(changed.wait_for(lock, std::chrono::seconds(10), [&] { return asked; }));
    }

    const auto start = std::chrono::steady_clock::now();
    cache.reset();
    io.reset();  // joins the queue's thread
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(5));
    release();
}

}  // namespace
}  // namespace fixtora
