// SPDX-License-Identifier: MIT
#include "analytics/AppNotificationCenter.hpp"

namespace analytics {

std::shared_ptr<AppNotificationCenter> AppNotificationCenter::defaultCenter() {
    static const auto center = std::make_shared<AppNotificationCenter>();
    return center;
}

fixtora::ObserverList<>& AppNotificationCenter::observers(Notification notification) {
    switch (notification) {
        case Notification::didResignActive:
            return m_didResignActive;
        case Notification::willBecomeActive:
            return m_willBecomeActive;
        case Notification::willTerminate:
            break;
    }
    return m_willTerminate;
}

namespace Analytics {

AppLifecycle& appLifecycle() {
    return *AppNotificationCenter::defaultCenter();
}

}  // namespace Analytics
}  // namespace analytics
