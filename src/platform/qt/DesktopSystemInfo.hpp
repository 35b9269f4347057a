// SPDX-License-Identifier: MIT
#pragma once

#include "platform/SystemInfo.hpp"

#include <memory>

namespace fixtora {

/// The running desktop's `SystemInfo`: the system's own adapter (Linux:
/// os-release, DMI, POSIX locale) with the primary screen, the appearance
/// and the layout direction kept up to date from Qt. Needs the
/// QGuiApplication; the Qt side stops with it.
std::shared_ptr<SystemInfo> createDesktopSystemInfo();

}  // namespace fixtora
