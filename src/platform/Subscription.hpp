// SPDX-License-Identifier: MIT
#pragma once

#include <functional>
#include <utility>

namespace fixtora {

/// Keeps an observer registered: destroying (or resetting) the subscription
/// unregisters it. Move-only. Safe to outlive the object observed.
class Subscription {
  public:
    Subscription() = default;
    explicit Subscription(std::function<void()> cancel) : m_cancel(std::move(cancel)) {}
    ~Subscription() { reset(); }

    Subscription(Subscription&& other) noexcept
        : m_cancel(std::exchange(other.m_cancel, nullptr)) {}
    Subscription& operator=(Subscription&& other) noexcept {
        if (this != &other) {
            reset();
            m_cancel = std::exchange(other.m_cancel, nullptr);
        }
        return *this;
    }
    Subscription(const Subscription&) = delete;
    Subscription& operator=(const Subscription&) = delete;

    /// Unregisters now; does nothing when already unregistered.
    void reset() {
        if (auto cancel = std::exchange(m_cancel, nullptr)) cancel();
    }

    bool active() const { return static_cast<bool>(m_cancel); }

  private:
    std::function<void()> m_cancel;
};

}  // namespace fixtora
