// SPDX-License-Identifier: MIT
#include "analytics/SignalManager.hpp"

#include "analytics/AnalyticsConfiguration.hpp"
#include "analytics/AnalyticsEncoder.hpp"
#include "analytics/AppNotificationCenter.hpp"
#include "analytics/CryptoHashing.hpp"
#include "analytics/DefaultSignalPayload.hpp"
#include "analytics/SessionManager.hpp"
#include "platform/Clock.hpp"
#include "platform/PostWhileAlive.hpp"
#include "platform/Preferences.hpp"
#include "platform/Scheduler.hpp"

#include <fixtora/BuildConfig.hpp>

#include <cctype>
#include <cmath>
#include <cstring>

namespace analytics {
namespace {

using Level = LogHandler::LogLevel;

constexpr const char* kDefaultUserIdentifierKey = "defaultUserIdentifier";
constexpr const char* kErrorDomain = "Analytics";

bool isURLCharacter(unsigned char c) {
    if (std::isalnum(c)) return true;
    return c != 0 && std::strchr("-._~:/?#[]@!$&'()*+,;=%", c) != nullptr;
}

// A signal on its way from the caller's thread to the cache.
struct PendingSignal {
    std::string type;
    std::map<std::string, std::string> parameters;
    std::optional<double> floatValue;
    std::optional<std::string> customUserID;
    std::shared_ptr<AnalyticsConfiguration> configuration;
    std::string userIdentifier;
    std::map<std::string, std::string> defaults;
};

// The record: the standard parameters, the enrichers' on top, then the
// signal's own on top of those.
SignalPostBody buildBody(PendingSignal signal, fixtora::Instant now) {
    const auto& configuration = *signal.configuration;
    std::map<std::string, std::string> enriched;
    for (const auto& enricher : configuration.metadataEnrichers()) {
        if (!enricher) continue;
        for (auto& [key, value] :
             enricher->enrich(signal.type, signal.customUserID, signal.floatValue))
            enriched[key] = std::move(value);
    }
    std::map<std::string, std::string> payload = std::move(signal.defaults);
    for (auto& [key, value] : enriched) payload[key] = std::move(value);
    for (auto& [key, value] : signal.parameters) payload[key] = std::move(value);

    SignalPostBody body;
    body.receivedAt = now;
    body.appID = configuration.analyticsAppID();
    body.clientUser = CryptoHashing::sha256(
        signal.customUserID ? *signal.customUserID : signal.userIdentifier, configuration.salt());
    body.sessionID = configuration.sessionID();
    body.type = std::move(signal.type);
    body.floatValue = signal.floatValue;
    body.payload = std::move(payload);
    body.isTestMode = configuration.testMode() ? "true" : "false";
    return body;
}

}  // namespace

std::shared_ptr<SignalManager> SignalManager::create(
    std::shared_ptr<AnalyticsConfiguration> configuration, Environment environment,
    std::optional<std::filesystem::path> cacheFile, std::shared_ptr<fixtora::Preferences> suite,
    AppNotificationCenter* notifications) {
    auto manager =
        std::make_shared<SignalManager>(Passkey{}, std::move(configuration), std::move(environment),
                                        std::move(cacheFile), std::move(suite));
    if (notifications) {
        std::weak_ptr<SignalManager> weak = manager;
        manager->m_willTerminate =
            notifications->addObserver(AppNotificationCenter::Notification::willTerminate, [weak] {
                if (auto self = weak.lock()) self->appWillTerminate();
            });
    }
    manager->sendCachedSignalsRepeatedly();
    return manager;
}

SignalManager::SignalManager(Passkey, std::shared_ptr<AnalyticsConfiguration> configuration,
                             Environment environment,
                             std::optional<std::filesystem::path> cacheFile,
                             std::shared_ptr<fixtora::Preferences> suite)
    : m_configuration(std::move(configuration)),
      m_environment(std::move(environment)),
      m_suite(std::move(suite)),
      m_inFlight(std::make_shared<InFlight>()) {
    std::optional<LogHandler> cacheLog;
    if (!m_configuration->swiftUIPreviewMode()) cacheLog = m_configuration->logHandler();
    m_signalCache = std::make_shared<SignalCache>(std::move(cacheLog), std::move(cacheFile));
}

SignalManager::~SignalManager() {
    std::lock_guard lock(m_timerMutex);
    if (m_sendTimerSource) m_sendTimerSource->invalidate();
}

std::filesystem::path SignalManager::cacheFileIn(const std::filesystem::path& cachesDir) {
    return cachesDir / "Fixtora" / "analyticssignalcache";
}

std::optional<std::string> SignalManager::getServiceUrl(const std::string& baseURL,
                                                        const std::optional<std::string>& ns) {
    std::string url = baseURL;
    if (url.empty() || url.back() != '/') url += '/';
    if (ns && !ns->empty()) {
        url += "v2/namespace/" + *ns + "/";
    } else {
        url += "v2/";
    }
    // Only absolute http(s) URLs with a host, made of URL characters.
    const auto schemeEnd = url.find("://");
    if (schemeEnd == std::string::npos) return std::nullopt;
    std::string scheme = url.substr(0, schemeEnd);
    for (auto& c : scheme) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    if (scheme != "http" && scheme != "https") return std::nullopt;
    const auto hostStart = schemeEnd + 3;
    if (hostStart >= url.size() || url[hostStart] == '/') return std::nullopt;
    for (const char c : url)
        if (!isURLCharacter(static_cast<unsigned char>(c))) return std::nullopt;
    return url;
}

std::optional<AnalyticsError> SignalManager::checkStatus(int status) {
    if (status >= 200 && status <= 299) return std::nullopt;
    switch (status) {
        case 401:
            return AnalyticsError::unauthorised();
        case 403:
            return AnalyticsError::forbidden();
        case 413:
            return AnalyticsError::payloadTooLarge();
        default:
            return AnalyticsError::invalidStatusCode(status);
    }
}

std::string SignalManager::defaultUserIdentifier() {
    if (auto user = m_configuration->defaultUser()) return *user;
    std::lock_guard lock(m_defaultUserMutex);
    if (!m_suite) {
        // Without a suite the identifier cannot outlive the process, but it
        // stays the same for every signal of this manager.
        if (!m_generatedUserIdentifier) m_generatedUserIdentifier = randomUUID();
        return *m_generatedUserIdentifier;
    }
    if (auto stored = m_suite->string(kDefaultUserIdentifierKey)) return *stored;
    const std::string identifier = randomUUID();
    m_suite->setString(kDefaultUserIdentifierKey, identifier);
    return identifier;
}

std::map<std::string, std::string> SignalManager::defaultPayload() const {
    DefaultSignalPayload::Sources sources;
    sources.systemInfo =
        m_environment.systemInfo ? m_environment.systemInfo : Environment::production().systemInfo;
    sources.clock = m_environment.clock;
    sources.sessions = SessionManager::shared();
    sources.customDefaults = [suite = m_suite] { return suite; };
    sources.appVersion = fixtora::build::kVersion;
    return DefaultSignalPayload::parameters(sources);
}

void SignalManager::processSignal(const std::string& signalType,
                                  std::map<std::string, std::string> parameters,
                                  std::optional<double> floatValue,
                                  std::optional<std::string> customUserID,
                                  std::shared_ptr<AnalyticsConfiguration> configuration) {
    if (floatValue && !std::isfinite(*floatValue)) {
        // JSON has no form for it; keeping it would cost the whole batch.
        configuration->log(Level::error, "Dropping the float value of signal '" + signalType +
                                             "': it is not a finite number");
        floatValue.reset();
    }
    PendingSignal pending;
    pending.type = signalType;
    pending.parameters = std::move(parameters);
    pending.floatValue = floatValue;
    pending.customUserID = std::move(customUserID);
    pending.configuration = std::move(configuration);
    fixtora::postWhileAlive(
        *m_environment.mainScheduler, weak_from_this(),
        [pending = std::move(pending)](SignalManager& self) mutable {
            // The standard parameters read what the main thread owns.
            pending.userIdentifier = self.defaultUserIdentifier();
            pending.defaults = self.defaultPayload();
            fixtora::postWhileAlive(
                *self.m_environment.utilityScheduler, self.weak_from_this(),
                [pending = std::move(pending)](SignalManager& manager) mutable {
                    const auto config = pending.configuration;
                    SignalPostBody body =
                        buildBody(std::move(pending), manager.m_environment.clock->now());
                    // Switched off while this signal was on its way: it is not kept.
                    if (config->analyticsDisabled()) return;
                    config->log(Level::debug, "Process signal: " + body.description());
                    manager.m_signalCache->push(std::move(body));
                });
        });
}

void SignalManager::sendCachedSignalsRepeatedly() {
    attemptToSendNextBatchOfCachedSignals();
    std::weak_ptr<SignalManager> weak = weak_from_this();
    auto timer = m_environment.timerScheduler->scheduleRepeating(kSendInterval, [weak] {
        if (auto self = weak.lock()) self->attemptToSendNextBatchOfCachedSignals();
    });
    std::lock_guard lock(m_timerMutex);
    if (m_sendTimerSource) m_sendTimerSource->invalidate();
    m_sendTimerSource = std::move(timer);
}

void SignalManager::attemptToSendNextBatchOfCachedSignals() {
    if (m_configuration->analyticsDisabled()) return;
    m_configuration->log(Level::debug,
                         "Current signal cache count: " + std::to_string(m_signalCache->count()));
    std::vector<SignalPostBody> batch;
    std::uint64_t batchID = 0;
    std::size_t remaining = 0;
    {
        // Taken out of the queue and recorded as in flight in one step, so
        // that termination sees every unsent signal in one place or the other.
        std::lock_guard lock(m_inFlight->mutex);
        batch = m_signalCache->pop();
        if (batch.empty()) return;
        remaining = m_signalCache->count();
        batchID = m_inFlight->nextID++;
        m_inFlight->batches.emplace(batchID, batch);
    }
    m_configuration->log(Level::info, "Sending " + std::to_string(batch.size()) +
                                          " signals leaving a cache of " +
                                          std::to_string(remaining) + " signals");
    send(std::move(batch),
         [configuration = m_configuration, cache = m_signalCache, inFlight = m_inFlight,
          batchID](fixtora::Result<fixtora::HttpResponse> result) {
             finishBatch(configuration, cache, inFlight, batchID, result);
         });
}

void SignalManager::finishBatch(const std::shared_ptr<AnalyticsConfiguration>& configuration,
                                const std::shared_ptr<SignalCache>& cache,
                                const std::shared_ptr<InFlight>& inFlight, std::uint64_t batchID,
                                const fixtora::Result<fixtora::HttpResponse>& result) {
    std::optional<std::string> error;
    if (!result.ok()) {
        error = result.error().description;
    } else if (auto statusError = checkStatus(result.value().status)) {
        error = statusError->description();
    }
    std::lock_guard lock(inFlight->mutex);
    auto node = inFlight->batches.extract(batchID);
    if (error) {
        configuration->log(Level::error, *error);
        // Back at the end of the queue; a batch already saved at termination
        // is no longer in flight and stays where it is.
        if (node && !configuration->analyticsDisabled()) cache->push(std::move(node.mapped()));
    } else if (!result.value().body.empty()) {
        configuration->log(Level::debug, result.value().body);
    }
}

std::size_t SignalManager::batchesInFlight() const {
    std::lock_guard lock(m_inFlight->mutex);
    return m_inFlight->batches.size();
}

void SignalManager::send(std::vector<SignalPostBody> batch, SendCompletion completion) {
    auto environment = m_environment;
    m_environment.utilityScheduler->post([environment, configuration = m_configuration,
                                          batch = std::move(batch),
                                          completion = std::move(completion)]() mutable {
        const auto endpoint = getServiceUrl(configuration->apiBaseURL(), configuration->ns());
        if (!endpoint) {
            configuration->log(Level::error, "Unable to construct signal API URL for namespace " +
                                                 configuration->ns().value_or("nil"));
            environment.mainScheduler->post([completion = std::move(completion)] {
                const auto error = AnalyticsError::invalidEndpointUrl();
                completion(fixtora::Error{kErrorDomain, error.statusCode(), error.description()});
            });
            return;
        }
        fixtora::HttpRequest request;
        request.method = "POST";
        request.url = *endpoint;
        request.timeoutSeconds = kRequestTimeout;
        request.headers.emplace_back("Content-Type", "application/json");
        request.body = AnalyticsEncoder::encodeBatch(batch);
        configuration->log(Level::debug, request.body);
        environment.httpClient->send(std::move(request), std::move(completion));
    });
}

void SignalManager::discardUnsentSignals() {
    std::lock_guard lock(m_inFlight->mutex);
    m_inFlight->batches.clear();
    m_signalCache->discardAll();
}

void SignalManager::appWillTerminate() {
    m_configuration->log(Level::debug, "appWillTerminate()");
    if (m_configuration->analyticsDisabled()) {
        discardUnsentSignals();
        return;
    }
    std::lock_guard lock(m_inFlight->mutex);
    // Batches still in flight were taken from the front of the queue, so
    // they go first; should one of them arrive after all, the next start
    // sends it again (a rare duplicate rather than a loss).
    std::vector<SignalPostBody> inFlight;
    for (const auto& [id, batch] : m_inFlight->batches)
        inFlight.insert(inFlight.end(), batch.begin(), batch.end());
    if (m_signalCache->backupCache(inFlight)) m_inFlight->batches.clear();
}

}  // namespace analytics
