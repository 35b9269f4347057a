// SPDX-License-Identifier: MIT
#pragma once

#include "analytics/StoreTransaction.hpp"
#include "platform/ObserverList.hpp"

#include <atomic>
#include <functional>
#include <memory>
#include <mutex>

namespace analytics {

/// The store's endless stream of transaction updates.
class TransactionUpdates {
  public:
    using Handler = std::function<void(const TransactionUpdate&)>;

    /// A running observation; cancelling it (or destroying the last handle)
    /// stops delivery, also from inside the handler.
    class Task {
      public:
        virtual ~Task() = default;
        virtual void cancel() = 0;
        virtual bool isCancelled() const = 0;
    };

    virtual ~TransactionUpdates() = default;

    /// Delivers every later update to `handler`, one at a time and in order,
    /// until the task is cancelled or the stream ends.
    virtual std::shared_ptr<Task> observe(Handler handler) = 0;
};

/// A stream that its owner feeds: the platform store adapter in the
/// application, a test elsewhere. Updates are handed to the observers on the
/// thread that publishes them.
class TransactionUpdateStream final : public TransactionUpdates {
  public:
    TransactionUpdateStream() = default;
    TransactionUpdateStream(const TransactionUpdateStream&) = delete;
    TransactionUpdateStream& operator=(const TransactionUpdateStream&) = delete;

    /// The stream the platform store adapter feeds in the application.
    static std::shared_ptr<TransactionUpdateStream> defaultStream();

    std::shared_ptr<Task> observe(Handler handler) override;

    void publish(const TransactionUpdate& update);
    /// Ends the stream: every observation ends, later ones get nothing.
    void finish();

    std::size_t observerCount() const;

  private:
    class Observation;
    using Observers = fixtora::ObserverList<const TransactionUpdate&>;

    std::mutex m_deliveryMutex;
    mutable std::mutex m_mutex;
    // Null once the stream has finished; shared with deliveries under way.
    std::shared_ptr<Observers> m_observers = std::make_shared<Observers>();
    // Read by every observation, which may outlive the stream.
    const std::shared_ptr<std::atomic<bool>> m_finished =
        std::make_shared<std::atomic<bool>>(false);
};

}  // namespace analytics
