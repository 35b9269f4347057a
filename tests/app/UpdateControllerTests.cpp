// SPDX-License-Identifier: MIT
#include "app/SemanticVersion.hpp"
#include "app/UpdateController.hpp"
#include "platform/CurlHttpClient.hpp"
#include "platform/ManualScheduler.hpp"
#include "support/LoopbackServer.hpp"

#include <gtest/gtest.h>

#include <cstring>

using namespace fixtora;

namespace {

TEST(SemanticVersion, PrecedenceEqualitiesAndRejects) {
    // Each one precedes the next; numbers compare as numbers, not text.
    const char* const ascending[] = {
        "0.9.0",        "0.10.0",        "1.0.0-alpha", "1.0.0-alpha.1", "1.0.0-alpha.beta",
        "1.0.0-beta.2", "1.0.0-beta.11", "1.0.0-rc.1",  "1.0.0",         "1.2",
        "1.2.1",        "1.2.9",         "1.10.0",      "2.0.0"};
    for (std::size_t i = 1; i < std::size(ascending); ++i) {
        const auto a = SemanticVersion::parse(ascending[i - 1]);
        const auto b = SemanticVersion::parse(ascending[i]);
        EXPECT_TRUE(a && b && (*a < *b) && (*b > *a)) << ascending[i];
    }
    EXPECT_EQ(*SemanticVersion::parse("v1.2.3"), *SemanticVersion::parse("1.2.3+build.7"));
    EXPECT_EQ(*SemanticVersion::parse("2"), *SemanticVersion::parse("2.0.0"));
    for (const char* bad : {"", "v", "1.2.3.4", "1..2", "01.2.3", "1.2.x", "1.2.3-",
                            "1.2.3-beta..1", "1.2.3-01", " 1.2.3", "1.2.3 ", "-1.2.3", "1.2.3+"})
        EXPECT_FALSE(SemanticVersion::parse(bad)) << bad;
}

TEST(UpdateFeed, ParsesOrSaysWhatIsWrong) {
    constexpr auto npos = std::string::npos;
    // Feeds that parse say nothing; the others name what is wrong.
    const char* const cases[][2] = {
        {R"({"version":"1.2.0","url":"https://x.example/dl","notes":"Faster."})", ""},
        {R"({"version":"1.2.0","url":"http://127.0.0.1/dl"})", ""},
        {"<html>", "not JSON"},
        {"[1]", "not a JSON object"},
        {R"({"version":"1.2.0","url":"https://x.example","size":1e400})", "not JSON"},
        {R"({"url":"https://x.example"})", "\"version\""},
        {R"({"version":"soon","url":"https://x.example"})", "soon"},
        {R"({"version":"1.2.0","url":"file:///bin/sh"})", "http or https"},
        {R"({"version":"1.2.0","url":"https://x.example","notes":7})", "\"notes\""}};
    for (const auto& [body, mentions] : cases) {
        const auto result = UpdateController::parseFeed(body);
        EXPECT_TRUE(result.ok() ? !*mentions
                                : *mentions && result.error().description.find(mentions) != npos)
            << body;
    }
}

class RecordingPresenter final : public UpdatePresenter {
  public:
    void showUpToDate(const std::string& v) override { answers.push_back("up to date " + v); }
    void offerUpdate(const UpdateOffer& o, const std::string& v) override {
        answers.push_back("offer " + o.version + " over " + v + " at " + o.url);
    }
    void showCheckFailed(const std::string& why) override { answers.push_back("failed: " + why); }
    std::vector<std::string> answers;
};

// Checks against a real server, in virtual time.
class UpdateControllerTest : public ::testing::Test {
  protected:
    void SetUp() override { m_server.start(); }
    static std::string feed(const char* version) {
        return std::string(R"({"url":"https://x.example/dl","version":")") + version + "\"}";
    }
    void serve(int status, std::string body) { m_server.answer("/feed.json", {status, body}); }
    int requests() const { return m_server.hits("/feed.json"); }
    std::unique_ptr<UpdateController> controller(std::string url = {}) {
        if (url.empty()) url = m_server.url("/feed.json");
        return std::make_unique<UpdateController>(m_main, m_http, url, "1.0.0", m_presenter);
    }
    /// Runs the main queue until the check under way has come back.
    void waitForIdle(UpdateController& c) {
        ASSERT_TRUE(m_main.runUntil([&] { return !c.isChecking(); }));
    }

    test::LoopbackServer m_server;
    ManualScheduler m_main;
    RecordingPresenter m_presenter;
    CurlHttpClient m_http;  // before the scheduler it posts to goes
};

TEST_F(UpdateControllerTest, UserCheckAlwaysAnswers) {
    // Status 0: nobody listens at the feed's address.
    const std::tuple<int, std::string, const char*> cases[] = {
        {200, feed("1.0.0"), "up to date 1.0.0"},
        {200, feed("1.10.0"), "offer 1.10.0 over 1.0.0 at https://x.example/dl"},
        {404, "{}", "failed: The update server answered with HTTP status 404."},
        {200, R"({"version":"1.1.0"})",
         "failed: The update information is not valid: \"url\" is missing or not a string."},
        {0, "", "failed: The update server could not be reached: "}};
    for (const auto& [status, served, answer] : cases) {
        serve(status, served);
        auto c = controller(
            status ? "" : "http://127.0.0.1:" + std::to_string(test::unusedLoopbackPort()));
        m_presenter.answers.clear();
        c->checkForUpdates();
        waitForIdle(*c);
        ASSERT_EQ(m_presenter.answers.size(), 1u) << answer;
        // The transport's own words follow when the server cannot be reached.
        EXPECT_EQ(m_presenter.answers[0].substr(0, status ? std::string::npos : strlen(answer)),
                  answer);
    }
}

TEST_F(UpdateControllerTest, BackgroundChecksRunDailyOfferOnceAndStayQuietOnFailure) {
    using Seen = std::pair<int, std::size_t>;  // requests, answers
    constexpr double kDay = UpdateController::kCheckIntervalSeconds;
    serve(200, feed("1.0.0"));
    auto c = controller();
    const auto after = [&](double seconds) {
        m_main.advance(seconds);
        waitForIdle(*c);
        return Seen(requests(), m_presenter.answers.size());
    };
    c->start();
    EXPECT_EQ(after(0), Seen(1, 0));  // up to date: nothing to say
    EXPECT_EQ(after(kDay - 1), Seen(1, 0));
    m_main.advance(1);
    c->checkForUpdates();  // during the background check: answered by it
    EXPECT_EQ(after(0), Seen(2, 1));
    EXPECT_EQ(m_presenter.answers[0], "up to date 1.0.0");

    serve(200, feed("1.1.0"));
    EXPECT_EQ(after(kDay), Seen(3, 2));
    EXPECT_EQ(m_presenter.answers[1].rfind("offer 1.1.0", 0), 0u);
    // The next day the same version is not offered again, and a failure is
    // only logged.
    EXPECT_EQ(after(kDay), Seen(4, 2));
    serve(500, "");
    EXPECT_EQ(after(kDay), Seen(5, 2));
    // Asked by the user, it is offered again.
    serve(200, feed("1.1.0"));
    c->checkForUpdates();
    EXPECT_EQ(after(0), Seen(6, 3));
}

TEST_F(UpdateControllerTest, AnswerAfterTheControllerIsGoneIsDropped) {
    serve(200, feed("2.0.0"));
    auto c = controller();
    c->checkForUpdates();
    c.reset();
    // Let the request reach the server and its completion come back. Only
    // a post wakes the main queue, and none comes: poll in short turns.
    for (int turn = 0; turn < 500 && requests() == 0; ++turn)
        m_main.runUntil([] { return false; }, std::chrono::milliseconds(10));
    ASSERT_EQ(requests(), 1);
    m_main.runUntil([] { return false; }, std::chrono::milliseconds(200));
    EXPECT_TRUE(m_presenter.answers.empty());
}

}  // namespace
