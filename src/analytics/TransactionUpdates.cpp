// SPDX-License-Identifier: MIT
#include "analytics/TransactionUpdates.hpp"

namespace analytics {

// One observation: the stream's observer list holds its handler while the
// observation holds the subscription, so cancelling it, destroying it or
// finishing the stream stops delivery.
class TransactionUpdateStream::Observation final : public TransactionUpdates::Task {
  public:
    explicit Observation(std::shared_ptr<const std::atomic<bool>> streamFinished)
        : m_streamFinished(std::move(streamFinished)) {}

    void cancel() override {
        m_cancelled = true;
        std::lock_guard lock(m_mutex);
        m_subscription.reset();
    }
    bool isCancelled() const override { return m_cancelled || *m_streamFinished; }

    void attach(fixtora::Subscription subscription) {
        std::lock_guard lock(m_mutex);
        // Cancelled from its own handler before `observe` returned.
        if (m_cancelled) return;
        m_subscription = std::move(subscription);
    }

  private:
    std::mutex m_mutex;
    fixtora::Subscription m_subscription;
    std::atomic<bool> m_cancelled{false};
    const std::shared_ptr<const std::atomic<bool>> m_streamFinished;
};

std::shared_ptr<TransactionUpdateStream> TransactionUpdateStream::defaultStream() {
    static const auto stream = std::make_shared<TransactionUpdateStream>();
    return stream;
}

std::shared_ptr<TransactionUpdates::Task> TransactionUpdateStream::observe(Handler handler) {
    auto observation = std::make_shared<Observation>(m_finished);
    std::lock_guard lock(m_mutex);
    if (!m_observers) return observation;
    std::weak_ptr<Observation> weak = observation;
    observation->attach(
        m_observers->add([weak, handler = std::move(handler)](const TransactionUpdate& update) {
            const auto self = weak.lock();
            if (self && !self->isCancelled()) handler(update);
        }));
    return observation;
}

void TransactionUpdateStream::publish(const TransactionUpdate& update) {
    // One update at a time, in the order published.
    std::lock_guard delivery(m_deliveryMutex);
    std::shared_ptr<Observers> observers;
    {
        std::lock_guard lock(m_mutex);
        observers = m_observers;
    }
    if (observers) observers->notify(update);
}

void TransactionUpdateStream::finish() {
    std::lock_guard lock(m_mutex);
    *m_finished = true;
    m_observers.reset();
}

std::size_t TransactionUpdateStream::observerCount() const {
    std::lock_guard lock(m_mutex);
    return m_observers ? m_observers->size() : 0;
}

}  // namespace analytics
