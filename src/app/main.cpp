// SPDX-License-Identifier: MIT
// Fixtora's entry point and composition root. The objects are built in the
// order they depend on one another and live on main's stack, so they are
// destroyed in the reverse order when the event loop ends: the panel item
// and the popup before the fixtures they show, those before the services.
#include "analytics/Analytics.hpp"
#include "analytics/AnalyticsConfiguration.hpp"
#include "analytics/AppNotificationCenter.hpp"
#include "app/AppServices.hpp"
#include "app/ApplicationStateBridge.hpp"
#include "app/DesktopFeeds.hpp"
#include "app/DesktopSettings.hpp"
#include "app/DialogUpdatePresenter.hpp"
#include "app/FixturesContent.hpp"
#include "app/MenuBarController.hpp"
#include "app/PerfLog.hpp"
#include "app/SessionPlatform.hpp"
#include "app/SingleInstance.hpp"
#include "app/UpdateController.hpp"
#include "platform/Paths.hpp"
#include "platform/Preferences.hpp"
#include "platform/ProcessMemory.hpp"
#include "platform/qt/TerminationSignals.hpp"

#include <fixtora/BuildConfig.hpp>

#include <QApplication>
#include <QDesktopServices>

#include <cstdio>
#include <cstdlib>
#include <exception>
#include <memory>

namespace {

using namespace fixtora;

bool sharingAllowed(Preferences& preferences) {
    return UsageSharing::isEnabled(preferences, std::getenv("DO_NOT_TRACK"));
}

// Configures and starts the analytics client on the shell's services and
// sends the one launch signal.
void startAnalytics(const AppServices& services) {
    analytics::Analytics::setDefaultEnvironment(analyticsEnvironment(services));
    auto config = std::make_shared<analytics::AnalyticsConfiguration>(build::kAnalyticsAppId);
    // A user who said no (or whose environment does) is not even counted.
    config->setAnalyticsDisabled(!sharingAllowed(*services.preferences->standard()));
    analytics::Analytics::initialize(config);
    analytics::Analytics::signal("app.launched");
}

// The context menu's check items: the favourite's notifications, start at
// login and usage statistics.
MenuSource settingsEntries(DesktopFeeds& feeds, std::shared_ptr<Preferences> preferences) {
    auto autostart = std::make_shared<Autostart>(Autostart::defaultEntryPath(),
                                                 QCoreApplication::applicationFilePath());
    return [&feeds, preferences = std::move(preferences), autostart] {
        MenuEntries entries = feeds.settingsEntries();
        const bool login = autostart->isEnabled();
        entries.push_back(
            MenuEntry::check(QStringLiteral("Start at Login"), login, [autostart, login] {
                if (!autostart->setEnabled(!login))
                    std::fprintf(stderr, "fixtora: cannot change %s\n",
                                 autostart->entryPath().c_str());
            }));
        const bool sharing = sharingAllowed(*preferences);
        entries.push_back(MenuEntry::check(QStringLiteral("Share Anonymous Usage Statistics"),
                                           sharing, [preferences, sharing] {
                                               UsageSharing::setEnabled(*preferences, !sharing);
                                               analytics::Analytics::setSharingEnabled(!sharing);
                                           }));
        return entries;
    };
}

int run() {
    // One instance per user: a second start asks the first to open its popup.
    const std::filesystem::path runtime = XdgPaths().runtimeDir() / "fixtora";
    SingleInstance instance(runtime);
    if (!instance.acquire()) {
        if (SingleInstance::askRunningInstanceToActivate(runtime)) return 0;
        std::fprintf(stderr, "Fixtora is already running but does not answer.\n");
        return 1;
    }
    // SIGTERM, SIGINT and SIGHUP quit like the menu's Quit.
    TerminationSignals termination;
    QObject::connect(&termination, &TerminationSignals::terminationRequested, qApp,
                     [](int) { QCoreApplication::quit(); });

    const AppServices services = AppServices::production();
    const auto openUrl = [](const QUrl& url) { QDesktopServices::openUrl(url); };
    const QString version = QString::fromLatin1(build::kVersion);

    // The updater starts first, before the rest of the application.
    DialogUpdatePresenter updatePresenter(openUrl);
    UpdateController updater(*services.main, *services.http, build::kUpdateFeedUrl, build::kVersion,
                             updatePresenter);
    updater.start();

    startAnalytics(services);
    // The client follows the application's activity, and saves its unsent
    // signals when the application quits.
    ApplicationStateBridge activity(analytics::Analytics::appLifecycle());

    FixturesContent content(services, build::kBackendUrl);
    DesktopFeeds feeds(services.preferences->standard());
    feeds.follow(content.viewModel(), services.clock);

    MenuBarController::Options options;
    options.version = version;
    options.websiteUrl = QString::fromUtf8(build::kWebsiteUrl);
    options.checkForUpdates = [&updater] { updater.checkForUpdates(); };
    options.openUrl = openUrl;
    options.settingsEntries = settingsEntries(feeds, services.preferences->standard());
    MenuBarController panel([&content] { return content.makePopup(); }, std::move(options));
    panel.bindTitle([&content](MenuBarController::TitleCallback onTitle) {
        return content.subscribeTitle(std::move(onTitle));
    });
    QObject::connect(&instance, &SingleInstance::activationRequested, &panel,
                     [&panel] { panel.showPopup(); });

    const int status = QApplication::exec();
    // What the quit itself stored (the unsent signals' bookkeeping, the last
    // session's duration) reaches the disk before the process ends.
    services.preferences->flush();
    return status;
}

}  // namespace

int main(int argc, char** argv) {
    // Two arenas serve the main thread and the workers: a worker's burst then
    // lands where a trim reaches it, not in an arena of its own for good.
    configureAllocatorForLongRun(2);
    PerfLog::markProcessStart();
    SessionPlatform::applyToProcess();
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Fixtora"));
    QApplication::setOrganizationName(QStringLiteral("Fixtora"));
    QApplication::setApplicationVersion(QString::fromLatin1(build::kVersion));
    QApplication::setDesktopFileName(QStringLiteral("com.fixtora.Fixtora"));
    // A panel application: the popup closing must not end it.
    QApplication::setQuitOnLastWindowClosed(false);
    try {
        return run();
    } catch (const std::exception& e) {
        std::fprintf(stderr, "Fixtora cannot start: %s\n", e.what());
        return 1;
    }
}
