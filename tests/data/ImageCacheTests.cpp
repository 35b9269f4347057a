// SPDX-License-Identifier: MIT
#include "data/ImageCache.hpp"
#include "platform/CurlHttpClient.hpp"
#include "platform/ManualScheduler.hpp"
#include "platform/WorkerScheduler.hpp"
#include "support/FakeImageDecoder.hpp"
#include "support/LoopbackServer.hpp"
#include "support/TempDir.hpp"

#include <gtest/gtest.h>

#include <filesystem>

namespace fixtora {
namespace {

using test::FakeImageDecoder;

class ImageCacheTest : public testing::Test {
  protected:
    void SetUp() override {
        m_server.answer("/crests/new.png", {200, FakeImageDecoder::png("new"), "image/png"});
        m_server.start();
        m_cache = std::make_shared<ImageCache>(m_http, m_paths, m_decoder, m_main, m_io);
    }

    // Declared first so that it stops last, after the client has closed its
    // kept-alive connections.
    test::LoopbackServer m_server;
    test::TempDir m_dir;
    std::shared_ptr<const Paths> m_paths = std::make_shared<FixedPaths>(m_dir.path());
    std::shared_ptr<ManualScheduler> m_main = std::make_shared<ManualScheduler>();
    std::shared_ptr<WorkerScheduler> m_io = std::make_shared<WorkerScheduler>("crests");
    std::shared_ptr<HttpClient> m_http = std::make_shared<CurlHttpClient>();
    std::shared_ptr<FakeImageDecoder> m_decoder = std::make_shared<FakeImageDecoder>();
    std::shared_ptr<ImageCache> m_cache;
};

// Keys come from the network: none may name a file outside the crest folder.
TEST(ImageCacheKey, IsTheLastPathComponent) {
    const std::pair<const char*, const char*> keys[] = {
        {"https://a.example/i/teams/500/359.png", "359.png"},
        {"HTTP://a.example/x/359.png?w=40#top", "359.png"},
        {"https://a.example/x/dir/", "dir"},
        {"https://a.example/a%20b.png", "a b.png"}};
    for (const auto& [url, key] : keys) EXPECT_EQ(ImageCache::key(url), key) << url;
    for (const char* url :
         {"https://a.example/", "https://a.example", "https://a.example/x/..",
          "https://a.example/x/%2e%2E", "https://a.example/x/.",
          "https://a.example/x/..%2Fetc%2Fpasswd", "https://a.example/x/a%00.png",
          "https://a.example/x/bad%zz.png", "file:///etc/passwd", "ftp://a.example/x.png",
          "https:///x.png", "https://a.example/a b.png", ""})
        EXPECT_FALSE(ImageCache::key(url)) << url;
}

TEST_F(ImageCacheTest, UnusableUrlsCompleteAtOnceWithoutRequests) {
    bool done = false;
    m_cache->prefetch({"file:///etc/passwd", m_server.url("/crests/%2e%2e"), ""},
                      [&] { done = true; });
    bool none = false;
    m_cache->prefetch({}, [&] { none = true; });
    EXPECT_EQ(std::tuple(done, none, m_server.totalHits()), std::tuple(true, true, 0));
}

TEST_F(ImageCacheTest, CompletionRunsWhenTheCacheIsGone) {
    bool done = false;
    m_cache->prefetch({m_server.url("/crests/new.png")}, [&] { done = true; });
    m_cache.reset();
    EXPECT_TRUE(m_main->runUntil([&] { return done; }));
}

}  // namespace
}  // namespace fixtora
