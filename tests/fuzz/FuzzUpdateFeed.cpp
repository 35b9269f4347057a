// SPDX-License-Identifier: MIT
// The update feed: the parser, the version it names, and a whole check of a
// controller that receives the feed as its HTTP answer.

#include "FuzzCheck.hpp"

#include "app/SemanticVersion.hpp"
#include "app/UpdateController.hpp"
#include "platform/HttpClient.hpp"
#include "platform/ManualScheduler.hpp"

#include <utility>

using namespace fixtora;
using fixtora::fuzz::check;

namespace {

// Answers every request at once with the feed.
class FeedAnswer final : public HttpClient {
  public:
    explicit FeedAnswer(std::string body) : m_body(std::move(body)) {}
    void send(HttpRequest, Completion completion) override {
        HttpResponse response;
        response.status = 200;
        response.body = m_body;
        completion(std::move(response));
    }

  private:
    std::string m_body;
};

class Answers final : public UpdatePresenter {
  public:
    void showUpToDate(const std::string&) override { ++count; }
    void offerUpdate(const UpdateOffer& offer, const std::string&) override {
        check(!offer.version.empty() && !offer.url.empty(), "an offer names a version and a page");
        ++count;
    }
    void showCheckFailed(const std::string& reason) override {
        check(!reason.empty(), "a failed check says why");
        ++count;
    }
    int count = 0;
};

void checkVersion(const std::string& text) {
    const auto version = SemanticVersion::parse(text);
    check(version.has_value(), "an offered version is a version number");
    const auto written = version->toString();
    const auto again = SemanticVersion::parse(written);
    check(again.has_value() && *again == *version && again->toString() == written,
          "a version number writes back as itself");
    (void)(*version < SemanticVersion{});
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string body(fuzz::asText(data, size));
    const auto offer = UpdateController::parseFeed(body);
    if (offer) {
        checkVersion(offer.value().version);
    } else {
        check(offer.error().domain == UpdateController::kErrorDomain &&
                  !offer.error().description.empty(),
              "a feed error says what is wrong");
    }

    ManualScheduler main;
    FeedAnswer http(body);
    Answers answers;
    UpdateController controller(main, http, "http://127.0.0.1/feed.json", "1.4.0-beta.2", answers);
    controller.checkForUpdates();
    main.runUntilIdle();
    check(answers.count == 1 && !controller.isChecking(),
          "a check the user asks for always answers");
    return 0;
}
