// SPDX-License-Identifier: MIT
#include "analytics/TrialConversionTracker.hpp"

#include "analytics/Environment.hpp"
#include "analytics/SharedInstance.hpp"
#include "platform/Clock.hpp"
#include "platform/Preferences.hpp"
#include "platform/Scheduler.hpp"

#include <nlohmann/json.hpp>

namespace analytics {
namespace {

constexpr const char* kLastTrialKey = "lastTrial";

}  // namespace

TrialConversionTracker::TrialConversionTracker(Key, ClientServices services,
                                               std::shared_ptr<TransactionUpdates> updates,
                                               std::shared_ptr<fixtora::Scheduler> persistenceQueue)
    : m_services(std::move(services)),
      m_updates(std::move(updates)),
      m_persistenceQueue(std::move(persistenceQueue)) {}

std::shared_ptr<TrialConversionTracker> TrialConversionTracker::create(
    ClientServices services, std::shared_ptr<TransactionUpdates> updates,
    std::shared_ptr<fixtora::Scheduler> persistenceQueue) {
    if (!persistenceQueue) persistenceQueue = sharedSerialQueue();
    auto tracker = std::make_shared<TrialConversionTracker>(
        Key{}, std::move(services), std::move(updates), std::move(persistenceQueue));
    // A trial remembered from an earlier run is watched again.
    if (tracker->currentTrial()) tracker->startObservingTransactions();
    return tracker;
}

TrialConversionTracker::~TrialConversionTracker() {
    std::lock_guard lock(m_mutex);
    if (m_transactionUpdateTask) m_transactionUpdateTask->cancel();
}

std::shared_ptr<TrialConversionTracker> TrialConversionTracker::shared() {
    return SharedInstance<TrialConversionTracker>::get([] {
        return create(ClientServices::production(), TransactionUpdateStream::defaultStream());
    });
}

void TrialConversionTracker::setShared(std::shared_ptr<TrialConversionTracker> tracker) {
    SharedInstance<TrialConversionTracker>::set(std::move(tracker));
}

std::optional<std::string> TrialConversionTracker::encode(const StoredTrial& trial) {
    try {
        return nlohmann::json{{"productID", trial.productID},
                              {"originalTransactionID", trial.originalTransactionID}}
            .dump();
    } catch (const nlohmann::json::type_error&) {
        // Invalid UTF-8. Replacing it would store another product, one that
        // no transaction ever matches.
        return std::nullopt;
    }
}

std::optional<TrialConversionTracker::StoredTrial> TrialConversionTracker::decode(
    const std::string& json) {
    const auto value = nlohmann::json::parse(json, nullptr, false);
    if (!value.is_object()) return std::nullopt;
    const auto product = value.find("productID");
    const auto original = value.find("originalTransactionID");
    if (product == value.end() || !product->is_string()) return std::nullopt;
    if (original == value.end() || !original->is_number_unsigned()) return std::nullopt;
    return StoredTrial{product->get<std::string>(), original->get<std::uint64_t>()};
}

std::optional<TrialConversionTracker::StoredTrial> TrialConversionTracker::currentTrial() const {
    const auto suite = m_services.suite();
    if (!suite) return std::nullopt;
    const auto data = suite->data(kLastTrialKey);
    if (!data) return std::nullopt;
    return decode(std::string(data->begin(), data->end()));
}

void TrialConversionTracker::setCurrentTrial(const std::optional<StoredTrial>& trial) {
    auto suite = m_services.suite();
    if (!suite) return;
    m_persistenceQueue->post([suite = std::move(suite), trial] {
        const auto json = trial ? encode(*trial) : std::nullopt;
        if (json) {
            suite->setData(kLastTrialKey, fixtora::Preferences::Bytes(json->begin(), json->end()));
        } else {
            suite->remove(kLastTrialKey);
        }
    });
}

void TrialConversionTracker::startObservingTransactions() {
    std::shared_ptr<TransactionUpdates::Task> previous;
    {
        std::lock_guard lock(m_mutex);
        previous = std::move(m_transactionUpdateTask);
    }
    if (previous) previous->cancel();
    if (!m_updates) return;

    // The task is only known once `observe` returns; updates that arrive
    // before that find it through this holder. It is held weakly: the task
    // owns this handler, and the tracker owns the task.
    auto holder = std::make_shared<std::weak_ptr<TransactionUpdates::Task>>();
    auto holderMutex = std::make_shared<std::mutex>();
    std::weak_ptr<TrialConversionTracker> weak = weak_from_this();
    auto task = m_updates->observe([weak, holder, holderMutex](const TransactionUpdate& update) {
        auto self = weak.lock();
        if (!self) return;
        std::shared_ptr<TransactionUpdates::Task> current;
        {
            std::lock_guard lock(*holderMutex);
            current = holder->lock();
        }
        self->handle(update, current);
    });
    {
        std::lock_guard lock(*holderMutex);
        *holder = task;
    }
    std::lock_guard lock(m_mutex);
    m_transactionUpdateTask = std::move(task);
}

bool TrialConversionTracker::isObserving() const {
    std::lock_guard lock(m_mutex);
    return m_transactionUpdateTask && !m_transactionUpdateTask->isCancelled();
}

void TrialConversionTracker::stopObserving(const std::shared_ptr<TransactionUpdates::Task>& task) {
    if (task) task->cancel();
    std::lock_guard lock(m_mutex);
    if (m_transactionUpdateTask == task) m_transactionUpdateTask.reset();
}

void TrialConversionTracker::handle(const TransactionUpdate& update,
                                    const std::shared_ptr<TransactionUpdates::Task>& task) {
    if (task && task->isCancelled()) return;
    if (!update.verified) return;
    const auto trial = currentTrial();
    if (!trial) return;
    const StoreTransaction& transaction = update.transaction;
    if (transaction.productID != trial->productID ||
        transaction.originalID != trial->originalTransactionID)
        return;

    const bool expired =
        transaction.expirationDate && *transaction.expirationDate < m_services.clock->now();
    if (transaction.revocationDate || expired || transaction.isUpgraded) {
        // The trial ended without converting.
        setCurrentTrial(std::nullopt);
        stopObserving(task);
        return;
    }
    if (!transaction.isFreeTrial()) {
        m_services.send("Analytics.Purchase.convertedFromTrial", transaction.purchaseParameters(),
                        transaction.priceInUSD(), std::nullopt);
        setCurrentTrial(std::nullopt);
        stopObserving(task);
    }
    // Otherwise the trial is still running: keep waiting.
}

}  // namespace analytics
