// SPDX-License-Identifier: MIT
#pragma once

#include <memory>

namespace fixtora {

class Clock;
class HttpClient;
class ImageDecoder;
class Paths;
class PreferencesStore;
class Scheduler;
class SystemInfo;

/// The production adapters of the ports, made once by the composition root
/// and handed to everything that needs them. Tests fill it with doubles.
struct AppServices {
    std::shared_ptr<Scheduler> main;
    std::shared_ptr<HttpClient> http;
    std::shared_ptr<PreferencesStore> preferences;
    std::shared_ptr<Paths> paths;
    std::shared_ptr<ImageDecoder> images;
    std::shared_ptr<const Clock> clock;
    std::shared_ptr<const SystemInfo> systemInfo;

    /// Qt main scheduler, curl, QSettings, XDG folders, QImage, system
    /// clock, the desktop's system information. Needs the QApplication.
    static AppServices production();
};

}  // namespace fixtora
