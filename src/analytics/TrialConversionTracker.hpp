// SPDX-License-Identifier: MIT
#pragma once

#include "analytics/ClientServices.hpp"
#include "analytics/TransactionUpdates.hpp"

#include <cstdint>
#include <memory>
#include <mutex>
#include <optional>
#include <string>

namespace fixtora {
class Scheduler;
}

namespace analytics {

/// Remembers the last free trial (under "lastTrial" in the client's
/// preferences suite, so it survives restarts) and watches the store's
/// transaction updates until that trial converts into a paid subscription,
/// reported once as "Analytics.Purchase.convertedFromTrial", or ends
/// without converting (revoked, expired or upgraded: nothing is sent).
class TrialConversionTracker final : public std::enable_shared_from_this<TrialConversionTracker> {
  public:
    struct StoredTrial {
        std::string productID;
        std::uint64_t originalTransactionID = 0;

        friend bool operator==(const StoredTrial&, const StoredTrial&) = default;
    };

    /// Starts watching at once when a trial is remembered. Writes of the
    /// trial go to `persistenceQueue`, or to the client's `sharedSerialQueue()` when null.
    static std::shared_ptr<TrialConversionTracker> create(
        ClientServices services, std::shared_ptr<TransactionUpdates> updates,
        std::shared_ptr<fixtora::Scheduler> persistenceQueue = nullptr);
    ~TrialConversionTracker();
    TrialConversionTracker(const TrialConversionTracker&) = delete;
    TrialConversionTracker& operator=(const TrialConversionTracker&) = delete;

    /// The installed tracker, else one built on first use with
    /// `ClientServices::production()` on `TransactionUpdateStream::defaultStream()`.
    static std::shared_ptr<TrialConversionTracker> shared();
    static void setShared(std::shared_ptr<TrialConversionTracker> tracker);

    /// Read from the suite on the calling thread; nothing when absent or
    /// unreadable.
    std::optional<StoredTrial> currentTrial() const;
    /// Written (or removed, for nothing or a trial that cannot be encoded)
    /// asynchronously on the persistence queue; without a suite nothing happens.
    void setCurrentTrial(const std::optional<StoredTrial>& trial);

    /// Replaces the running watcher by a new one.
    void startObservingTransactions();
    /// Whether a watcher is running.
    bool isObserving() const;

    /// "lastTrial" JSON: {"productID": text, "originalTransactionID": number};
    /// nothing when the product identifier is not UTF-8.
    static std::optional<std::string> encode(const StoredTrial& trial);
    static std::optional<StoredTrial> decode(const std::string& json);

  private:
    struct Key {
        explicit Key() = default;
    };

  public:
    TrialConversionTracker(Key, ClientServices services,
                           std::shared_ptr<TransactionUpdates> updates,
                           std::shared_ptr<fixtora::Scheduler> persistenceQueue);

  private:
    void handle(const TransactionUpdate& update,
                const std::shared_ptr<TransactionUpdates::Task>& task);
    void stopObserving(const std::shared_ptr<TransactionUpdates::Task>& task);

    const ClientServices m_services;
    const std::shared_ptr<TransactionUpdates> m_updates;
    const std::shared_ptr<fixtora::Scheduler> m_persistenceQueue;
    mutable std::mutex m_mutex;
    std::shared_ptr<TransactionUpdates::Task> m_transactionUpdateTask;
};

}  // namespace analytics
