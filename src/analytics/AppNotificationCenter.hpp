// SPDX-License-Identifier: MIT
#pragma once

#include "analytics/AppLifecycle.hpp"
#include "platform/ObserverList.hpp"
#include "platform/Subscription.hpp"

#include <functional>
#include <memory>

namespace analytics {

/// Hands the application's activity changes to whoever observes them (the
/// session manager, the duration tracker, the signal manager). Observers are
/// called on the thread that reports the change, in the order they were
/// added; an observer may add or remove observers while being called.
class AppNotificationCenter final : public AppLifecycle {
  public:
    enum class Notification { didResignActive, willBecomeActive, willTerminate };
    using Observer = std::function<void()>;

    /// The process-wide centre that the shell reports to.
    static std::shared_ptr<AppNotificationCenter> defaultCenter();

    AppNotificationCenter() = default;
    AppNotificationCenter(const AppNotificationCenter&) = delete;
    AppNotificationCenter& operator=(const AppNotificationCenter&) = delete;

    /// `observer` runs for every later `notification` while the
    /// subscription lives.
    [[nodiscard]] fixtora::Subscription addObserver(Notification notification, Observer observer) {
        return observers(notification).add(std::move(observer));
    }

    void post(Notification notification) { observers(notification).notify(); }

    void applicationDidResignActive() override { post(Notification::didResignActive); }
    void applicationWillBecomeActive() override { post(Notification::willBecomeActive); }
    void applicationWillTerminate() override { post(Notification::willTerminate); }

  private:
    fixtora::ObserverList<>& observers(Notification notification);

    fixtora::ObserverList<> m_didResignActive;
    fixtora::ObserverList<> m_willBecomeActive;
    fixtora::ObserverList<> m_willTerminate;
};

}  // namespace analytics

namespace analytics::Analytics {

/// Where the desktop shell reports the application's activity:
/// `AppNotificationCenter::defaultCenter()`, whose will-terminate
/// notification also makes the current manager save its unsent signals.
AppLifecycle& appLifecycle();

}  // namespace analytics::Analytics
