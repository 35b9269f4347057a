// SPDX-License-Identifier: MIT
#pragma once

#include "app/AppServices.hpp"
#include "app/MenuBarController.hpp"

#include <functional>
#include <memory>

namespace fixtora {

class UpdateController;
class UpdatePresenter;

/// The application's start-up. Created when the process starts, it creates
/// the update controller and starts it at once; when the event loop runs,
/// `applicationDidFinishLaunching` runs the launch steps (analytics set-up
/// and the launch signal) and then creates the one `MenuBarController`,
/// which runs the application from there on.
class AppDelegate final : public QObject {
    Q_OBJECT
public:
    /// What the popup shows and where the title comes from.
    struct MenuBarContent {
        MenuBarController::PopupFactory popup;
        MenuBarController::TitleSubscriber title;  // may be empty: the title stays "⚽"
        /// The context menu's check items (may be empty).
        MenuSource settingsEntries;
        /// Whatever must live as long as the menu bar (the view model).
        std::shared_ptr<void> keepAlive;
    };

    /// The parts of launching that belong to other subsystems.
    struct Launch {
        /// Runs first when launching has finished: configure analytics and
        /// send the launch signal.
        std::function<void(AppServices&)> beforeMenuBar;
        /// Makes the menu bar's content (required).
        std::function<MenuBarContent(AppServices&)> content;
    };

    struct Options {
        QString version;
        QString websiteUrl;
        std::string updateFeedUrl;
        /// Default: dialogs.
        std::shared_ptr<UpdatePresenter> updatePresenter;
        /// Default: the first backend that this desktop supports.
        MenuBarController::StatusItemMaker makeStatusItem;
        MenuBarController::UrlOpener openUrl;
        std::function<void()> quit;
    };

    AppDelegate(AppServices services, Launch launch, Options options, QObject* parent = nullptr);
    ~AppDelegate() override;

    void applicationDidFinishLaunching();

    /// Null until launching has finished.
    MenuBarController* controller() const { return m_controller.get(); }
    UpdateController& updaterController() const { return *m_updater; }
    AppServices& services() { return m_services; }

private:
    AppServices m_services;
    Launch m_launch;
    Options m_options;
    std::shared_ptr<UpdatePresenter> m_presenter;
    std::unique_ptr<UpdateController> m_updater;
    std::shared_ptr<void> m_contentKeepAlive;
    std::unique_ptr<MenuBarController> m_controller;
};

}  // namespace fixtora
