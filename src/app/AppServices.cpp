// SPDX-License-Identifier: MIT
#include "app/AppServices.hpp"

#include "platform/Clock.hpp"
#include "platform/CurlHttpClient.hpp"
#include "platform/Paths.hpp"
#include "platform/qt/DesktopSystemInfo.hpp"
#include "platform/qt/QtImageDecoder.hpp"
#include "platform/qt/QtMainScheduler.hpp"
#include "platform/qt/QtPreferencesStore.hpp"

namespace fixtora {

AppServices AppServices::production() {
    AppServices s;
    s.main = std::make_shared<QtMainScheduler>();
    s.http = std::make_shared<CurlHttpClient>();
    // Writes that follow one another closely are gathered on the main loop.
    s.preferences = std::make_shared<QtPreferencesStore>(std::string("Fixtora"),
                                                         std::string("Fixtora"), s.main);
    s.paths = std::make_shared<XdgPaths>();
    // Crests are drawn at most 24 points wide: keep them at up to four device
    // pixels a point rather than at the 500-pixel size the backend serves.
    s.images = std::make_shared<QtImageDecoder>(96);
    s.clock = std::make_shared<SystemClock>();
    s.systemInfo = createDesktopSystemInfo();
    return s;
}

}  // namespace fixtora
