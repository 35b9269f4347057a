// SPDX-License-Identifier: MIT
#pragma once

#include "app/UpdatePresenter.hpp"
#include "platform/Result.hpp"

#include <memory>
#include <optional>
#include <string>
#include <string_view>

namespace fixtora {

class HttpClient;
class Scheduler;
class Timer;

/// Looks for newer versions of the application in a JSON feed:
/// {"version": "1.2.0", "url": "https://…/download", "notes": "…"}.
/// Once started it checks at once and then once a day, quietly: it offers a
/// newer version once per run and keeps failures to the log. A check the
/// user asks for always answers: up to date, the offer, or why it failed.
/// Lives on the main scheduler; HTTP completions are handed to it.
class UpdateController final {
  public:
    static constexpr double kCheckIntervalSeconds = 24 * 60 * 60;
    static constexpr double kRequestTimeoutSeconds = 30;
    static constexpr const char* kErrorDomain = "Updates";

    UpdateController(Scheduler& main, HttpClient& http, std::string feedUrl,
                     std::string currentVersion, UpdatePresenter& presenter);
    ~UpdateController();
    UpdateController(const UpdateController&) = delete;
    UpdateController& operator=(const UpdateController&) = delete;

    /// Starts the daily background checks, the first one at once. Calling it
    /// again does nothing.
    void start();

    /// A check on the user's behalf; joins a check already under way.
    void checkForUpdates();

    bool isChecking() const { return m_checking; }
    bool isStarted() const { return static_cast<bool>(m_timer); }

    /// Reads the feed; errors say what is wrong with it.
    static Result<UpdateOffer> parseFeed(std::string_view body);

  private:
    void runCheck();
    void finish(const Result<UpdateOffer>& result);

    Scheduler& m_main;
    HttpClient& m_http;
    std::string m_feedUrl;
    std::string m_currentVersion;
    UpdatePresenter& m_presenter;
    std::shared_ptr<Timer> m_timer;
    /// Does not own: expires with the controller, so that answers arriving
    /// after it are dropped.
    std::shared_ptr<UpdateController> m_self{this, [](UpdateController*) {}};
    bool m_checking = false;
    bool m_userWaiting = false;
    std::optional<std::string> m_lastOffered;
};

}  // namespace fixtora
