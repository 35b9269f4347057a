// SPDX-License-Identifier: MIT
#include "app/ApplicationStateBridge.hpp"

#include "analytics/AppLifecycle.hpp"

#include <QGuiApplication>

namespace fixtora {

ApplicationStateBridge::ApplicationStateBridge(analytics::AppLifecycle& lifecycle, QObject* parent)
    : QObject(parent), m_lifecycle(lifecycle) {
    if (auto* app = qobject_cast<QGuiApplication*>(QCoreApplication::instance())) {
        m_active = QGuiApplication::applicationState() == Qt::ApplicationActive;
        connect(app, &QGuiApplication::applicationStateChanged, this,
                &ApplicationStateBridge::applicationStateChanged);
        connect(app, &QCoreApplication::aboutToQuit, this,
                &ApplicationStateBridge::applicationAboutToQuit);
    }
}

void ApplicationStateBridge::applicationStateChanged(Qt::ApplicationState state) {
    if (m_quitting) return;
    const bool active = state == Qt::ApplicationActive;
    if (active == m_active) return;
    m_active = active;
    if (active)
        m_lifecycle.applicationWillBecomeActive();
    else
        m_lifecycle.applicationDidResignActive();
}

void ApplicationStateBridge::applicationAboutToQuit() {
    if (m_quitting) return;
    m_quitting = true;
    m_lifecycle.applicationWillTerminate();
}

}  // namespace fixtora
