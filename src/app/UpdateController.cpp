// SPDX-License-Identifier: MIT
#include "app/UpdateController.hpp"

#include "app/SemanticVersion.hpp"
#include "platform/HttpClient.hpp"
#include "platform/PostWhileAlive.hpp"
#include "platform/Scheduler.hpp"

#include <nlohmann/json.hpp>

#include <cstdio>

namespace fixtora {
namespace {

Error feedError(int code, std::string description) {
    return Error{UpdateController::kErrorDomain, code, std::move(description)};
}

bool isWebAddress(const std::string& url) {
    return url.rfind("https://", 0) == 0 || url.rfind("http://", 0) == 0;
}

}  // namespace

UpdateController::UpdateController(Scheduler& main, HttpClient& http, std::string feedUrl,
                                   std::string currentVersion, UpdatePresenter& presenter)
    : m_main(main),
      m_http(http),
      m_feedUrl(std::move(feedUrl)),
      m_currentVersion(std::move(currentVersion)),
      m_presenter(presenter) {}

UpdateController::~UpdateController() {
    if (m_timer) m_timer->invalidate();
}

void UpdateController::start() {
    if (m_timer) return;
    m_timer = m_main.scheduleRepeating(kCheckIntervalSeconds, [this] { runCheck(); });
    runCheck();
}

void UpdateController::checkForUpdates() {
    m_userWaiting = true;
    runCheck();
}

Result<UpdateOffer> UpdateController::parseFeed(std::string_view body) {
    nlohmann::json doc;
    try {
        doc = nlohmann::json::parse(body);
    } catch (const nlohmann::json::exception& e) {  // a syntax error, or a number beyond a double
        return feedError(1, std::string("it is not JSON (") + e.what() + ")");
    }
    if (!doc.is_object()) return feedError(1, "it is not a JSON object");
    const auto version = doc.find("version");
    if (version == doc.end() || !version->is_string())
        return feedError(2, "\"version\" is missing or not a string");
    if (!SemanticVersion::parse(version->get<std::string>()))
        return feedError(2, "\"version\" is not a version number: " + version->get<std::string>());
    const auto url = doc.find("url");
    if (url == doc.end() || !url->is_string())
        return feedError(3, "\"url\" is missing or not a string");
    // The address is opened in the browser: only web pages.
    if (!isWebAddress(url->get<std::string>()))
        return feedError(3, "\"url\" is not an http or https address: " + url->get<std::string>());
    UpdateOffer offer{version->get<std::string>(), url->get<std::string>(), {}};
    if (const auto notes = doc.find("notes"); notes != doc.end() && !notes->is_null()) {
        if (!notes->is_string()) return feedError(4, "\"notes\" is not a string");
        offer.notes = notes->get<std::string>();
    }
    return offer;
}

void UpdateController::runCheck() {
    if (m_checking) return;  // the answer of the running check serves
    m_checking = true;
    HttpRequest request;
    request.url = m_feedUrl;
    request.timeoutSeconds = kRequestTimeoutSeconds;
    request.headers.emplace_back("Accept", "application/json");
    // The main scheduler outlives this controller; the controller itself may
    // be gone by the time the answer comes.
    Scheduler* main = &m_main;
    m_http.send(std::move(request), [main,
                                     self = std::weak_ptr(m_self)](Result<HttpResponse> response) {
        // Parsing is cheap; do it here and hand only the outcome over.
        Result<UpdateOffer> result = feedError(0, "");
        if (!response.ok()) {
            result = feedError(
                10, "The update server could not be reached: " + response.error().description);
        } else if (response.value().status < 200 || response.value().status > 299) {
            result = feedError(11, "The update server answered with HTTP status " +
                                       std::to_string(response.value().status) + ".");
        } else {
            auto parsed = parseFeed(response.value().body);
            result = parsed.ok()
                         ? parsed
                         : feedError(parsed.error().code, "The update information is not valid: " +
                                                              parsed.error().description + ".");
        }
        postWhileAlive(*main, self,
                       [result = std::move(result)](UpdateController& c) { c.finish(result); });
    });
}

void UpdateController::finish(const Result<UpdateOffer>& result) {
    m_checking = false;
    const bool user = std::exchange(m_userWaiting, false);
    if (!result.ok()) {
        if (user)
            m_presenter.showCheckFailed(result.error().description);
        else
            std::fprintf(stderr, "fixtora: update check failed: %s\n",
                         result.error().description.c_str());
        return;
    }
    const auto current = SemanticVersion::parse(m_currentVersion);
    const auto latest = SemanticVersion::parse(result.value().version);
    if (!current) {
        if (user)
            m_presenter.showCheckFailed("This build's version \"" + m_currentVersion +
                                        "\" is not a version number.");
        return;
    }
    if (!(*latest > *current)) {
        if (user) m_presenter.showUpToDate(m_currentVersion);
        return;
    }
    // Quiet checks offer a version once; the user's own check always answers.
    if (!user && m_lastOffered == result.value().version) return;
    m_lastOffered = result.value().version;
    m_presenter.offerUpdate(result.value(), m_currentVersion);
}

}  // namespace fixtora
