// SPDX-License-Identifier: MIT
#pragma once

#include "DemoBackend.hpp"
#include "platform/Clock.hpp"
#include "platform/HttpClient.hpp"
#include "platform/ManualScheduler.hpp"
#include "platform/Paths.hpp"
#include "support/TempDir.hpp"

#include <QString>

class QWidget;

#include <atomic>
#include <chrono>
#include <filesystem>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

namespace fixtora {
class CurlHttpClient;
class FixturesContent;
class MenuBarController;
class UpdateController;
class UpdatePresenter;
class FixturesViewModel;
class ImageCache;
class PreferencesStore;
}  // namespace fixtora

namespace fixtora::test {

/// Real HTTP with every request's time-out divided by `divisor`, so that the
/// application's 15 s and 20 s time-outs run out in about a second. Records
/// the time-out each request asked for and counts the requests in flight;
/// each completion ends with an empty task posted to `wake`, so that a wait
/// on that queue for the count to drop sees it drop.
class TimeoutScalingHttpClient final : public HttpClient {
  public:
    TimeoutScalingHttpClient(double divisor, std::weak_ptr<Scheduler> wake);
    ~TimeoutScalingHttpClient() override;

    void send(HttpRequest request, Completion completion) override;

    /// Requests sent whose completion has not run yet.
    int inFlight() const { return m_inFlight->load(); }
    /// The time-outs that requests to URLs holding `path` asked for.
    std::vector<double> requestedTimeouts(const std::string& path) const;

  private:
    double m_divisor;
    std::weak_ptr<Scheduler> m_wake;
    std::unique_ptr<CurlHttpClient> m_client;
    std::shared_ptr<std::atomic<int>> m_inFlight = std::make_shared<std::atomic<int>>(0);
    mutable std::mutex m_mutex;
    std::vector<std::pair<std::string, double>> m_requested;  // URL, time-out asked for
};

class FaultRig;

/// One run of the application process: the shipped program's objects in the
/// same order (the updater, analytics, then the view model, the popup and
/// the title), on a virtual-time main queue and real HTTP.
class RunningApp {
  public:
    explicit RunningApp(FaultRig& rig);
    /// Quits like the program: the analytics client saves its unsent signals.
    ~RunningApp();
    RunningApp(const RunningApp&) = delete;
    RunningApp& operator=(const RunningApp&) = delete;

    // What the user sees.
    QString title() const;
    QWidget& popup() const;
    /// The popup's centre message ("" when it shows the list or the picker).
    std::string popupMessage() const;
    bool showsMatchList() const;
    /// The popup's current page.
    QWidget* popupPage() const;
    FixturesViewModel& model() const;
    ImageCache& images() const;
    TimeoutScalingHttpClient& http() const { return *m_http; }
    ManualScheduler& main() const { return *m_main; }

    /// Runs what real I/O has delivered until `done()` holds (real time,
    /// virtual time stands still).
    bool settle(const std::function<bool()>& done,
                std::chrono::milliseconds patience = std::chrono::seconds(15));
    /// Waits until no request is in flight and runs what they delivered.
    bool settleIo(std::chrono::milliseconds patience = std::chrono::seconds(15));
    /// Moves virtual time (the main queue's monotonic time, the system
    /// clock and the backend's clock) forward by `seconds`, stopping at every
    /// timer and letting the requests it starts finish before going on.
    void advance(double seconds);

  private:
    FaultRig& m_rig;
    std::shared_ptr<ManualScheduler> m_main;
    std::shared_ptr<TimeoutScalingHttpClient> m_http;
    std::shared_ptr<UpdatePresenter> m_presenter;
    std::unique_ptr<UpdateController> m_updater;
    std::unique_ptr<FixturesContent> m_content;
    std::unique_ptr<MenuBarController> m_controller;
};

/// What outlives one process: the user's folders and preferences, the
/// system clock, and the backend on a fixed loopback port (which may be
/// down).
class FaultRig {
  public:
    /// 15 s become one second.
    static constexpr double kTimeoutDivisor = 15;
    /// The clocks start at the real time; the backend places its season
    /// around each request's time.
    FaultRig();
    ~FaultRig();

    /// The divisor of the time-outs for the next launches (a body of tens of
    /// megabytes takes longer than a second to arrive under a sanitizer).
    void setTimeoutDivisor(double divisor) { m_timeoutDivisor = divisor; }
    double timeoutDivisor() const { return m_timeoutDivisor; }

    RunningApp& launch();
    /// Quits the running application (if any).
    void quit();
    RunningApp& app() { return *m_app; }

    demo::DemoBackend& backend() { return *m_backend; }
    void startBackend();
    void stopBackend();
    std::string url() const;

    /// The user's caches folder and the application's folder inside it.
    std::filesystem::path cachesDir() const { return m_paths->cachesDir(); }
    std::filesystem::path appCacheDir() const { return cachesDir() / "Fixtora"; }
    std::filesystem::path scheduleCacheFile() const { return appCacheDir() / "schedule_v2.json"; }
    std::filesystem::path crestDir() const { return appCacheDir() / "logos"; }
    std::filesystem::path signalCacheFile() const;

    /// The application's system clock and the true time the backend keeps;
    /// both start at the real time, so that files written by the test and
    /// by the application have modification times that agree with them.
    const std::shared_ptr<SettableClock>& wall() const { return m_wall; }
    const std::shared_ptr<SettableClock>& trueTime() const { return m_trueTime; }
    const std::shared_ptr<Paths>& paths() const { return m_paths; }
    const std::shared_ptr<PreferencesStore>& preferences() const { return m_preferences; }

  private:
    TempDir m_dir;
    std::shared_ptr<SettableClock> m_wall;
    std::shared_ptr<SettableClock> m_trueTime;
    std::shared_ptr<Paths> m_paths;
    std::shared_ptr<PreferencesStore> m_preferences;
    double m_timeoutDivisor = kTimeoutDivisor;
    int m_port = 0;
    std::unique_ptr<demo::DemoBackend> m_backend;
    std::unique_ptr<RunningApp> m_app;
};

// What the user sees, in the application's own words.
inline const std::string kWarning = "\u26A0\uFE0F  ";
inline const std::string kBall = "\u26BD";
inline const std::string kBallAndBlanks = "\u26BD  ";

/// Waits for the displayed matchweek's matches to be on screen, with no
/// request left in flight.
void waitUntilShown(RunningApp& app);
/// Checks what a healthy application shows: no error, the current
/// matchweek's list in the popup and a live score in the title (the demo
/// season always has matches live in the current matchweek).
void expectHealthy(RunningApp& app);

/// The way back once a fault is cleared: the Refresh button brings a
/// matchweek back; the season's table is loaded once per start, so after a
/// failed table it comes with the next start.
RunningApp& recoverAfterFault(FaultRig& rig, bool scheduleFailed);

/// Runs the application until the season's 20 crests are in memory.
void waitForCrests(RunningApp& app);
/// How many of the signals the backend received have this type.
std::size_t signalsOfType(const nlohmann::json& received, const std::string& type);

}  // namespace fixtora::test
