// SPDX-License-Identifier: MIT
#pragma once

#include "platform/Subscription.hpp"

#include <atomic>
#include <cstddef>
#include <functional>
#include <memory>
#include <mutex>
#include <utility>
#include <vector>

namespace fixtora {

/// The observers of one kind of event, each kept while its `Subscription`
/// lives.
///
/// Threads: every member and every `Subscription` may be used from any
/// thread. `notify` calls the observers on the calling thread, outside the
/// list's lock, in the order they were added, so an observer may add or
/// remove observers (itself included) while being called. An observer added
/// during a notification hears from the next one; one removed during it is
/// not called any more. A call already running on another thread when a
/// subscription is reset is not waited for: owners that need that order
/// notify and unsubscribe on one thread.
template <class... Args>
class ObserverList final {
  public:
    using Observer = std::function<void(Args...)>;

    ObserverList() : m_state(std::make_shared<State>()) {}
    ObserverList(const ObserverList&) = delete;
    ObserverList& operator=(const ObserverList&) = delete;

    /// Calls `observer` at each later `notify` until the subscription ends.
    /// The subscription may outlive the list.
    [[nodiscard]] Subscription add(Observer observer) {
        auto slot = std::make_shared<Slot>(std::move(observer));
        {
            std::lock_guard lock(m_state->mutex);
            m_state->entries.push_back(slot);
        }
        std::weak_ptr<State> weakState = m_state;
        std::weak_ptr<Slot> weakSlot = slot;
        return Subscription([weakState, weakSlot] {
            auto s = weakSlot.lock();
            if (!s) return;
            s->active = false;
            if (auto state = weakState.lock()) {
                std::lock_guard lock(state->mutex);
                std::erase(state->entries, s);
            }
        });
    }

    /// Calls every observer with `args`.
    void notify(Args... args) const {
        std::vector<std::shared_ptr<Slot>> snapshot;
        {
            std::lock_guard lock(m_state->mutex);
            snapshot = m_state->entries;
        }
        for (const auto& slot : snapshot)
            if (slot->active) slot->observer(args...);
    }

    std::size_t size() const {
        std::lock_guard lock(m_state->mutex);
        return m_state->entries.size();
    }
    bool empty() const { return size() == 0; }

  private:
    struct Slot {
        explicit Slot(Observer o) : observer(std::move(o)) {}
        const Observer observer;
        std::atomic<bool> active{true};
    };
    struct State {
        std::mutex mutex;
        std::vector<std::shared_ptr<Slot>> entries;
    };

    // Shared with the subscriptions, which hold it weakly.
    std::shared_ptr<State> m_state;
};

}  // namespace fixtora
