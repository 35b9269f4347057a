// SPDX-License-Identifier: MIT
#pragma once

#include "analytics/AnalyticsError.hpp"
#include "analytics/Environment.hpp"
#include "analytics/SignalCache.hpp"
#include "analytics/SignalManageable.hpp"
#include "analytics/SignalPostBody.hpp"
#include "platform/HttpClient.hpp"
#include "platform/Result.hpp"
#include "platform/Subscription.hpp"

#include <cstdint>
#include <filesystem>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

namespace fixtora {
class Preferences;
class Timer;
}  // namespace fixtora

namespace analytics {

class AnalyticsConfiguration;
class AppNotificationCenter;

/// Turns signals into `SignalPostBody` records, queues them in the signal
/// cache and posts them in batches of at most 100: once when started, then
/// every 10 seconds on the timer queue, and on request. A batch that fails
/// goes back at the end of the queue. Live in a shared_ptr (`create`).
class SignalManager final : public SignalManageable,
                            public std::enable_shared_from_this<SignalManager> {
  public:
    static constexpr double kSendInterval = 10.0;
    static constexpr double kRequestTimeout = 60.0;

    /// The answer to one POST, or why there is none.
    using SendCompletion = std::function<void(fixtora::Result<fixtora::HttpResponse>)>;

    /// Builds the manager, loads the signals saved in `cacheFile` (none:
    /// memory only, the file is neither read nor written), posts a first
    /// batch at once and starts the send timer. Every member of
    /// `environment` but `systemInfo` must be set. `suite` is the client's
    /// preferences suite, where the default user identifier is kept (none:
    /// the identifier lasts as long as this manager). The application's
    /// will-terminate notification from `notifications` saves the unsent
    /// signals.
    static std::shared_ptr<SignalManager> create(
        std::shared_ptr<AnalyticsConfiguration> configuration, Environment environment,
        std::optional<std::filesystem::path> cacheFile,
        std::shared_ptr<fixtora::Preferences> suite = nullptr,
        AppNotificationCenter* notifications = nullptr);

  private:
    struct Passkey {
        explicit Passkey() = default;
    };

  public:
    /// Use `create`.
    SignalManager(Passkey, std::shared_ptr<AnalyticsConfiguration> configuration,
                  Environment environment, std::optional<std::filesystem::path> cacheFile,
                  std::shared_ptr<fixtora::Preferences> suite);
    ~SignalManager() override;
    SignalManager(const SignalManager&) = delete;
    SignalManager& operator=(const SignalManager&) = delete;

    /// The cache file under a caches folder: "Fixtora/analyticssignalcache".
    static std::filesystem::path cacheFileIn(const std::filesystem::path& cachesDir);

    /// The ingest endpoint: base + "/v2/", or base + "/v2/namespace/<ns>/"
    /// when `ns` is present and not empty; none when that is not a URL.
    static std::optional<std::string> getServiceUrl(const std::string& baseURL,
                                                    const std::optional<std::string>& ns);

    /// 2xx gives none; 401, 403, 413 and any other status their error.
    static std::optional<AnalyticsError> checkStatus(int status);

    void processSignal(const std::string& signalType, std::map<std::string, std::string> parameters,
                       std::optional<double> floatValue, std::optional<std::string> customUserID,
                       std::shared_ptr<AnalyticsConfiguration> configuration) override;
    void attemptToSendNextBatchOfCachedSignals() override;
    /// `configuration.defaultUser` when set; else the identifier kept under
    /// "defaultUserIdentifier" in the suite, created (a random UUID) and
    /// stored there on first use.
    std::string defaultUserIdentifier() override;

    /// Posts `batch` on the utility scheduler; `completion` runs on the HTTP
    /// client's thread (on the main scheduler, with the error
    /// "Invalid endpoint URL", when there is no endpoint).
    void send(std::vector<SignalPostBody> batch, SendCompletion completion);

    /// Writes every unsent signal (queued or in a batch still in flight)
    /// to the cache file, synchronously.
    void appWillTerminate();

    /// Drops every unsent signal: the queue, the cache file and the batches
    /// in flight (whose failure no longer puts them back). For a user who
    /// stops sharing usage statistics.
    void discardUnsentSignals();

    const std::shared_ptr<AnalyticsConfiguration>& configuration() const { return m_configuration; }
    const std::shared_ptr<SignalCache>& signalCache() const { return m_signalCache; }
    /// Batches posted whose answer has not arrived yet.
    std::size_t batchesInFlight() const;

  private:
    // Batches taken from the cache and not yet answered, so that termination
    // can save them with the queue.
    struct InFlight {
        std::mutex mutex;
        std::uint64_t nextID = 0;
        std::map<std::uint64_t, std::vector<SignalPostBody>> batches;
    };

    void sendCachedSignalsRepeatedly();
    static void finishBatch(const std::shared_ptr<AnalyticsConfiguration>& configuration,
                            const std::shared_ptr<SignalCache>& cache,
                            const std::shared_ptr<InFlight>& inFlight, std::uint64_t batchID,
                            const fixtora::Result<fixtora::HttpResponse>& result);
    std::map<std::string, std::string> defaultPayload() const;

    std::shared_ptr<SignalCache> m_signalCache;
    const std::shared_ptr<AnalyticsConfiguration> m_configuration;
    const Environment m_environment;
    const std::shared_ptr<fixtora::Preferences> m_suite;
    fixtora::Subscription m_willTerminate;
    std::shared_ptr<InFlight> m_inFlight;
    std::mutex m_timerMutex;
    std::shared_ptr<fixtora::Timer> m_sendTimerSource;
    std::mutex m_defaultUserMutex;
    std::optional<std::string> m_generatedUserIdentifier;  // when there is no suite to keep it in
};

}  // namespace analytics
