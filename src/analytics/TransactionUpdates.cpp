// SPDX-License-Identifier: MIT
#include "analytics/TransactionUpdates.hpp"

#include <vector>

namespace analytics {

class TransactionUpdateStream::Observation final : public TransactionUpdates::Task {
public:
    Observation(std::weak_ptr<TransactionUpdateStream> stream, std::uint64_t id, Handler handler)
        : m_stream(std::move(stream)), m_id(id), m_handler(std::move(handler)) {}

    void cancel() override {
        if (m_cancelled.exchange(true)) return;
        if (auto stream = m_stream.lock()) stream->remove(m_id);
    }
    bool isCancelled() const override { return m_cancelled; }
    void markEnded() { m_cancelled = true; }

    void deliver(const TransactionUpdate& update) const {
        if (!m_cancelled) m_handler(update);
    }

private:
    std::weak_ptr<TransactionUpdateStream> m_stream;
    std::uint64_t m_id;
    Handler m_handler;
    std::atomic<bool> m_cancelled{false};
};

std::shared_ptr<TransactionUpdateStream> TransactionUpdateStream::defaultStream() {
    static const auto stream = std::make_shared<TransactionUpdateStream>();
    return stream;
}

std::shared_ptr<TransactionUpdates::Task> TransactionUpdateStream::observe(Handler handler) {
    std::lock_guard lock(m_mutex);
    auto observation = std::make_shared<Observation>(weak_from_this(), m_nextID, std::move(handler));
    if (m_finished)
        observation->markEnded();
    else
        m_observations.emplace(m_nextID, observation);
    ++m_nextID;
    return observation;
}

void TransactionUpdateStream::publish(const TransactionUpdate& update) {
    // One update at a time, in the order published.
    std::lock_guard delivery(m_deliveryMutex);
    std::vector<std::shared_ptr<Observation>> observers;
    {
        std::lock_guard lock(m_mutex);
        for (const auto& [id, observation] : m_observations) observers.push_back(observation);
    }
    for (const auto& observation : observers) observation->deliver(update);
}

void TransactionUpdateStream::finish() {
    std::lock_guard lock(m_mutex);
    m_finished = true;
    for (const auto& [id, observation] : m_observations) observation->markEnded();
    m_observations.clear();
}

void TransactionUpdateStream::remove(std::uint64_t id) {
    std::lock_guard lock(m_mutex);
    m_observations.erase(id);
}

std::size_t TransactionUpdateStream::observerCount() const {
    std::lock_guard lock(m_mutex);
    return m_observations.size();
}

}  // namespace analytics
