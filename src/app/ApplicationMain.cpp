// SPDX-License-Identifier: MIT
#include "app/ApplicationMain.hpp"

#include "app/PerfLog.hpp"
#include "app/SingleInstance.hpp"
#include "platform/Paths.hpp"
#include "platform/Preferences.hpp"
#include "platform/qt/TerminationSignals.hpp"

#include "fixtora/BuildConfig.hpp"

#include <QApplication>
#include <QTimer>

#include <cstdio>
#include <exception>

namespace fixtora {

int runApplication(int argc, char** argv, AppDelegate::Launch launch) {
    PerfLog::markProcessStart();
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Fixtora"));
    QApplication::setOrganizationName(QStringLiteral("Fixtora"));
    QApplication::setApplicationVersion(QString::fromLatin1(build::kVersion));
    QApplication::setDesktopFileName(QStringLiteral("com.fixtora.Fixtora"));
    // A panel application: the popup closing must not end it.
    QApplication::setQuitOnLastWindowClosed(false);

    try {
        const std::filesystem::path runtime = XdgPaths().runtimeDir() / "fixtora";
        SingleInstance instance(runtime);
        if (!instance.acquire()) {
            if (SingleInstance::askRunningInstanceToActivate(runtime)) return 0;
            std::fprintf(stderr, "Fixtora is already running but does not answer.\n");
            return 1;
        }

        TerminationSignals termination;
        QObject::connect(&termination, &TerminationSignals::terminationRequested, &app, [](int) {
            QCoreApplication::quit();
        });

        AppDelegate::Options options;
        options.version = QString::fromLatin1(build::kVersion);
        options.websiteUrl = QString::fromUtf8(build::kWebsiteUrl);
        options.updateFeedUrl = build::kUpdateFeedUrl;
        AppServices services = AppServices::production();
        const std::shared_ptr<PreferencesStore> preferences = services.preferences;
        AppDelegate delegate(std::move(services), std::move(launch), std::move(options));
        QObject::connect(&instance, &SingleInstance::activationRequested, &delegate, [&delegate] {
            if (auto* controller = delegate.controller()) controller->showPopup();
        });
        // Launching has finished once the event loop runs.
        QTimer::singleShot(0, &delegate, [&delegate] { delegate.applicationDidFinishLaunching(); });
        const int status = QApplication::exec();
        // What the quit itself stored (the unsent signals' bookkeeping, the
        // last session's duration) reaches the disk before the process ends.
        preferences->flush();
        return status;
    } catch (const std::exception& e) {
        std::fprintf(stderr, "Fixtora cannot start: %s\n", e.what());
        return 1;
    }
}

}  // namespace fixtora
