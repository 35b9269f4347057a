// SPDX-License-Identifier: MIT
#include "app/SemanticVersion.hpp"
#include "app/UpdateController.hpp"
#include "platform/CurlHttpClient.hpp"
#include "platform/ManualScheduler.hpp"
#include "support/LoopbackServer.hpp"

#include <gtest/gtest.h>

#include <atomic>
#include <mutex>
#include <string>
#include <vector>

using namespace fixtora;
using fixtora::test::LoopbackServer;

namespace {

// --- version order ---------------------------------------------------------

struct VersionOrder {
    const char* lower;
    const char* higher;
};

class SemanticVersionOrderTest : public ::testing::TestWithParam<VersionOrder> {};

TEST_P(SemanticVersionOrderTest, Orders) {
    const auto a = SemanticVersion::parse(GetParam().lower);
    const auto b = SemanticVersion::parse(GetParam().higher);
    ASSERT_TRUE(a && b);
    EXPECT_LT(*a, *b);
    EXPECT_GT(*b, *a);
}

INSTANTIATE_TEST_SUITE_P(Precedence, SemanticVersionOrderTest,
                         ::testing::Values(VersionOrder{"0.9.0", "0.10.0"},  // numeric, not textual
                                           VersionOrder{"1.2.9", "1.10.0"},
                                           VersionOrder{"1.9.9", "2.0.0"},
                                           VersionOrder{"1.0.0-rc.1", "1.0.0"},
                                           VersionOrder{"1.0.0-alpha", "1.0.0-alpha.1"},
                                           VersionOrder{"1.0.0-alpha.1", "1.0.0-alpha.beta"},
                                           VersionOrder{"1.0.0-beta.2", "1.0.0-beta.11"},
                                           VersionOrder{"1.0.0-beta.11", "1.0.0-rc.1"},
                                           VersionOrder{"1.2", "1.2.1"}));

TEST(SemanticVersionParse, EqualitiesAndRejects) {
    EXPECT_EQ(*SemanticVersion::parse("v1.2.3"), *SemanticVersion::parse("1.2.3+build.7"));
    EXPECT_EQ(*SemanticVersion::parse("2"), *SemanticVersion::parse("2.0.0"));
    for (const char* bad : {"", "v", "1.2.3.4", "1..2", "01.2.3", "1.2.x", "1.2.3-",
                            "1.2.3-beta..1", "1.2.3-01", " 1.2.3", "1.2.3 ", "-1.2.3", "1.2.3+"})
        EXPECT_FALSE(SemanticVersion::parse(bad)) << bad;
}

// --- the feed --------------------------------------------------------------

struct FeedCase {
    const char* body;
    bool ok;
    const char* mentions;  // part of the error text, when not ok
};

class UpdateFeedTest : public ::testing::TestWithParam<FeedCase> {};

TEST_P(UpdateFeedTest, Parses) {
    const auto result = UpdateController::parseFeed(GetParam().body);
    EXPECT_EQ(result.ok(), GetParam().ok);
    if (!result.ok()) {
        EXPECT_NE(result.error().description.find(GetParam().mentions), std::string::npos)
            << result.error().description;
    }
}

INSTANTIATE_TEST_SUITE_P(
    Feeds, UpdateFeedTest,
    ::testing::Values(
        FeedCase{R"({"version":"1.2.0","url":"https://x.example/dl","notes":"Faster."})", true, ""},
        FeedCase{R"({"version":"1.2.0","url":"http://127.0.0.1/dl"})", true, ""},
        FeedCase{R"({"version":"1.2.0","url":"https://x.example","notes":null})", true, ""},
        FeedCase{"<html>", false, "not JSON"}, FeedCase{"[1]", false, "not a JSON object"},
        FeedCase{R"({"version":"1.2.0","url":"https://x.example","size":1e400})", false,
                 "not JSON"},
        FeedCase{R"({"url":"https://x.example"})", false, "\"version\""},
        FeedCase{R"({"version":"soon","url":"https://x.example"})", false, "soon"},
        FeedCase{R"({"version":"1.2.0"})", false, "\"url\""},
        FeedCase{R"({"version":"1.2.0","url":"file:///bin/sh"})", false, "http or https"},
        FeedCase{R"({"version":"1.2.0","url":"https://x.example","notes":7})", false,
                 "\"notes\""}));

// --- checks against a real server, in virtual time ---------------------------

class RecordingPresenter final : public UpdatePresenter {
  public:
    void showUpToDate(const std::string& v) override { answers.push_back("up to date " + v); }
    void offerUpdate(const UpdateOffer& o, const std::string& v) override {
        answers.push_back("offer " + o.version + " over " + v + " at " + o.url);
    }
    void showCheckFailed(const std::string& reason) override {
        answers.push_back("failed: " + reason);
    }
    std::vector<std::string> answers;
};

class UpdateControllerTest : public ::testing::Test {
  protected:
    void SetUp() override {
        m_server.server().Get("/feed.json",
                              [this](const httplib::Request&, httplib::Response& res) {
                                  std::lock_guard lock(m_mutex);
                                  ++m_requests;
                                  res.status = m_status;
                                  res.set_content(m_body, "application/json");
                              });
        m_server.start();
    }

    void serve(int status, std::string body) {
        std::lock_guard lock(m_mutex);
        m_status = status;
        m_body = std::move(body);
    }
    int requests() {
        std::lock_guard lock(m_mutex);
        return m_requests;
    }
    std::unique_ptr<UpdateController> controller(const std::string& url,
                                                 const std::string& version = "1.0.0") {
        return std::make_unique<UpdateController>(m_main, m_http, url, version, m_presenter);
    }
    /// Runs the main queue until the check under way has come back.
    void waitForIdle(UpdateController& c) {
        ASSERT_TRUE(m_main.runUntil([&] { return !c.isChecking(); }));
    }

    LoopbackServer m_server;
    ManualScheduler m_main;
    RecordingPresenter m_presenter;
    CurlHttpClient m_http;  // before the scheduler it posts to goes
    std::mutex m_mutex;
    int m_requests = 0;
    int m_status = 200;
    std::string m_body;
};

struct AnswerCase {
    const char* name;
    int status;
    const char* body;
    const char* answer;
};

class UpdateControllerAnswerTest : public UpdateControllerTest,
                                   public ::testing::WithParamInterface<AnswerCase> {};

TEST_P(UpdateControllerAnswerTest, UserCheckAlwaysAnswers) {
    serve(GetParam().status, GetParam().body);
    // Status 0: nobody listens at the feed's address.
    const std::string unreachable =
        "http://127.0.0.1:" + std::to_string(fixtora::test::unusedLoopbackPort()) + "/feed.json";
    auto c = controller(GetParam().status ? m_server.url("/feed.json") : unreachable);
    c->checkForUpdates();
    waitForIdle(*c);
    ASSERT_EQ(m_presenter.answers.size(), 1u);
    const auto& answer = m_presenter.answers[0];
    // The transport's own words follow when the server cannot be reached.
    EXPECT_EQ(GetParam().status ? answer : answer.substr(0, answer.find(": ", 8) + 2),
              GetParam().answer);
}

INSTANTIATE_TEST_SUITE_P(
    Answers, UpdateControllerAnswerTest,
    ::testing::Values(
        AnswerCase{"same", 200, R"({"version":"1.0.0","url":"https://x.example/dl"})",
                   "up to date 1.0.0"},
        AnswerCase{"older", 200, R"({"version":"0.9.9","url":"https://x.example/dl"})",
                   "up to date 1.0.0"},
        AnswerCase{"prerelease_of_current", 200,
                   R"({"version":"1.0.0-rc.2","url":"https://x.example/dl"})", "up to date 1.0.0"},
        AnswerCase{"newer", 200, R"({"version":"1.10.0","url":"https://x.example/dl"})",
                   "offer 1.10.0 over 1.0.0 at https://x.example/dl"},
        AnswerCase{"not_found", 404, "{}",
                   "failed: The update server answered with HTTP status 404."},
        AnswerCase{
            "broken_feed", 200, R"({"version":"1.1.0"})",
            "failed: The update information is not valid: \"url\" is missing or not a string."},
        AnswerCase{"unreachable", 0, "", "failed: The update server could not be reached: "}),
    [](const auto& p) { return std::string(p.param.name); });

TEST_F(UpdateControllerTest, BackgroundChecksRunDailyOfferOnceAndStayQuietOnFailure) {
    serve(200, R"({"version":"1.0.0","url":"https://x.example/dl"})");
    auto c = controller(m_server.url("/feed.json"));
    c->start();
    waitForIdle(*c);
    EXPECT_EQ(requests(), 1);
    EXPECT_TRUE(m_presenter.answers.empty());  // up to date: nothing to say

    serve(200, R"({"version":"1.1.0","url":"https://x.example/dl"})");
    m_main.advance(UpdateController::kCheckIntervalSeconds - 1);
    EXPECT_EQ(requests(), 1);
    m_main.advance(1);
    waitForIdle(*c);
    EXPECT_EQ(requests(), 2);
    ASSERT_EQ(m_presenter.answers.size(), 1u);
    EXPECT_EQ(m_presenter.answers[0].rfind("offer 1.1.0", 0), 0u);

    // The next day the same version is not offered again, and a failure is
    // only logged.
    m_main.advance(UpdateController::kCheckIntervalSeconds);
    waitForIdle(*c);
    serve(500, "");
    m_main.advance(UpdateController::kCheckIntervalSeconds);
    waitForIdle(*c);
    EXPECT_EQ(requests(), 4);
    EXPECT_EQ(m_presenter.answers.size(), 1u);

    // Asked by the user, it is offered again.
    serve(200, R"({"version":"1.1.0","url":"https://x.example/dl"})");
    c->checkForUpdates();
    waitForIdle(*c);
    EXPECT_EQ(m_presenter.answers.size(), 2u);
}

TEST_F(UpdateControllerTest, UserCheckDuringABackgroundCheckIsAnsweredByIt) {
    serve(200, R"({"version":"1.0.0","url":"https://x.example/dl"})");
    auto c = controller(m_server.url("/feed.json"));
    c->start();
    c->checkForUpdates();
    waitForIdle(*c);
    EXPECT_EQ(requests(), 1);
    EXPECT_EQ(m_presenter.answers, std::vector<std::string>{"up to date 1.0.0"});
}

TEST_F(UpdateControllerTest, AnswerAfterTheControllerIsGoneIsDropped) {
    serve(200, R"({"version":"2.0.0","url":"https://x.example/dl"})");
    auto c = controller(m_server.url("/feed.json"));
    c->checkForUpdates();
    c.reset();
    // Let the request finish and its completion be posted.
    ASSERT_TRUE(m_main.runUntil([&] { return requests() == 1; }));
    m_main.runUntil([] { return false; }, std::chrono::milliseconds(200));
    EXPECT_TRUE(m_presenter.answers.empty());
}

}  // namespace
