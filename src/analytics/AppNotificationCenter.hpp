// SPDX-License-Identifier: MIT
#pragma once

#include "analytics/AppLifecycle.hpp"

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <mutex>

namespace analytics {

/// Hands the application's activity changes to whoever observes them (the
/// session manager, the duration tracker, the signal manager). Observers are
/// called on the thread that reports the change, in the order they were
/// added; an observer may add or remove observers while being called.
class AppNotificationCenter final : public AppLifecycle, public std::enable_shared_from_this<AppNotificationCenter> {
public:
    enum class Notification { didResignActive, willBecomeActive, willTerminate };
    using Observer = std::function<void()>;

    /// Removes its observer when destroyed.
    class Token {
    public:
        Token(std::weak_ptr<AppNotificationCenter> center, std::uint64_t id) : m_center(std::move(center)), m_id(id) {}
        ~Token();
        Token(const Token&) = delete;
        Token& operator=(const Token&) = delete;

    private:
        std::weak_ptr<AppNotificationCenter> m_center;
        std::uint64_t m_id;
    };

    /// The process-wide centre that the shell reports to.
    static std::shared_ptr<AppNotificationCenter> defaultCenter();

    /// Live in a shared_ptr (tokens hold the centre weakly).
    AppNotificationCenter() = default;
    AppNotificationCenter(const AppNotificationCenter&) = delete;
    AppNotificationCenter& operator=(const AppNotificationCenter&) = delete;

    /// `observer` runs for every later `notification` until the token is
    /// destroyed.
    [[nodiscard]] std::unique_ptr<Token> addObserver(Notification notification, Observer observer);

    void post(Notification notification);

    void applicationDidResignActive() override { post(Notification::didResignActive); }
    void applicationWillBecomeActive() override { post(Notification::willBecomeActive); }
    void applicationWillTerminate() override { post(Notification::willTerminate); }

private:
    struct Entry {
        Notification notification;
        std::shared_ptr<Observer> observer;
    };

    void remove(std::uint64_t id);

    std::mutex m_mutex;
    std::uint64_t m_nextID = 0;
    std::map<std::uint64_t, Entry> m_observers;
};

}  // namespace analytics

namespace analytics::Analytics {

/// Where the desktop shell reports the application's activity:
/// `AppNotificationCenter::defaultCenter()`, whose will-terminate
/// notification also saves the unsent signals
/// (`Analytics::applicationWillTerminate`).
AppLifecycle& appLifecycle();

}  // namespace analytics::Analytics
