// SPDX-License-Identifier: MIT
#pragma once

#include "app/AppDelegate.hpp"

namespace fixtora {

/// The whole life of the application process: the QApplication (no main
/// window, no taskbar entry, not ended by closing windows), one instance
/// per user (a second start asks the first to open its popup and returns
/// 0), SIGTERM / SIGINT / SIGHUP as a normal quit, the production services,
/// the `AppDelegate` with the build's settings, and the event loop. Returns
/// the process's exit code.
int runApplication(int argc, char** argv, AppDelegate::Launch launch);

}  // namespace fixtora
