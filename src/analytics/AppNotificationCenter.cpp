// SPDX-License-Identifier: MIT
#include "analytics/AppNotificationCenter.hpp"

#include "analytics/Analytics.hpp"

#include <vector>

namespace analytics {

AppNotificationCenter::Token::~Token() {
    if (auto center = m_center.lock()) center->remove(m_id);
}

std::shared_ptr<AppNotificationCenter> AppNotificationCenter::defaultCenter() {
    static const auto center = [] {
        auto c = std::make_shared<AppNotificationCenter>();
        // Kept for the life of the process, like the centre itself.
        static const auto saveOnQuit =
            c->addObserver(Notification::willTerminate, [] { Analytics::applicationWillTerminate(); });
        return c;
    }();
    return center;
}

std::unique_ptr<AppNotificationCenter::Token> AppNotificationCenter::addObserver(Notification notification,
                                                                                 Observer observer) {
    std::lock_guard lock(m_mutex);
    const std::uint64_t id = m_nextID++;
    m_observers.emplace(id, Entry{notification, std::make_shared<Observer>(std::move(observer))});
    return std::make_unique<Token>(weak_from_this(), id);
}

void AppNotificationCenter::remove(std::uint64_t id) {
    std::lock_guard lock(m_mutex);
    m_observers.erase(id);
}

void AppNotificationCenter::post(Notification notification) {
    // Called outside the lock so that observers may add or remove observers.
    std::vector<std::pair<std::uint64_t, std::shared_ptr<Observer>>> toCall;
    {
        std::lock_guard lock(m_mutex);
        for (const auto& [id, entry] : m_observers)
            if (entry.notification == notification) toCall.emplace_back(id, entry.observer);
    }
    for (const auto& [id, observer] : toCall) {
        bool stillObserving = false;
        {
            std::lock_guard lock(m_mutex);
            stillObserving = m_observers.count(id) != 0;
        }
        if (stillObserving) (*observer)();
    }
}

namespace Analytics {

AppLifecycle& appLifecycle() { return *AppNotificationCenter::defaultCenter(); }

}  // namespace Analytics
}  // namespace analytics
