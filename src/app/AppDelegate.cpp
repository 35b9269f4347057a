// SPDX-License-Identifier: MIT
#include "app/AppDelegate.hpp"

#include "app/DialogUpdatePresenter.hpp"
#include "app/UpdateController.hpp"

#include <QDesktopServices>

#include <stdexcept>

namespace fixtora {

AppDelegate::AppDelegate(AppServices services, Launch launch, Options options, QObject* parent)
    : QObject(parent), m_services(std::move(services)), m_launch(std::move(launch)), m_options(std::move(options)) {
    if (!m_launch.content) throw std::invalid_argument("AppDelegate: no menu bar content");
    if (!m_options.openUrl) m_options.openUrl = [](const QUrl& url) { QDesktopServices::openUrl(url); };
    m_presenter = m_options.updatePresenter ? m_options.updatePresenter
                                            : std::make_shared<DialogUpdatePresenter>(m_options.openUrl);
    // The updater starts with the delegate, before launching finishes.
    m_updater = std::make_unique<UpdateController>(*m_services.main, *m_services.http, m_options.updateFeedUrl,
                                                   m_options.version.toStdString(), *m_presenter);
    m_updater->start();
}

AppDelegate::~AppDelegate() {
    // The menu bar (and the view model it shows) goes before the services.
    m_controller.reset();
    m_contentKeepAlive.reset();
}

void AppDelegate::applicationDidFinishLaunching() {
    if (m_controller) return;  // launching finishes once
    if (m_launch.beforeMenuBar) m_launch.beforeMenuBar(m_services);
    MenuBarContent content = m_launch.content(m_services);
    m_contentKeepAlive = std::move(content.keepAlive);

    MenuBarController::Options options;
    options.version = m_options.version;
    options.websiteUrl = m_options.websiteUrl;
    options.checkForUpdates = [this] { m_updater->checkForUpdates(); };
    options.openUrl = m_options.openUrl;
    options.quit = m_options.quit;
    options.makeStatusItem = m_options.makeStatusItem;
    options.settingsEntries = content.settingsEntries;
    m_controller = std::make_unique<MenuBarController>(content.popup, std::move(options));
    if (content.title) m_controller->bindTitle(content.title);
}

}  // namespace fixtora
