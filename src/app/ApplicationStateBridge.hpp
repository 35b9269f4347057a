// SPDX-License-Identifier: MIT
#pragma once

#include <QObject>

namespace analytics {
class AppLifecycle;
}

namespace fixtora {

/// Reports the application's activity changes from Qt to whoever follows
/// them (the analytics client's sessions): becoming the active application
/// (the popup gets the focus), ceasing to be, and quitting. Repeated states
/// are reported once; quitting is reported once.
class ApplicationStateBridge final : public QObject {
    Q_OBJECT
  public:
    /// Follows the running QGuiApplication; `lifecycle` must outlive the bridge.
    explicit ApplicationStateBridge(analytics::AppLifecycle& lifecycle, QObject* parent = nullptr);

    /// What Qt reports, also callable directly (tests).
    void applicationStateChanged(Qt::ApplicationState state);
    void applicationAboutToQuit();

  private:
    analytics::AppLifecycle& m_lifecycle;
    bool m_active = false;
    bool m_quitting = false;
};

}  // namespace fixtora
