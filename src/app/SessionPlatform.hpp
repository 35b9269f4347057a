// SPDX-License-Identifier: MIT
#pragma once

#include <optional>
#include <string>

namespace fixtora {

/// Which of Qt's platform plugins the shell runs on. On a Wayland session
/// the shell prefers XWayland: Wayland lets no client place a window of its
/// own, so a popup there opens wherever the compositor likes (or tiled), and
/// a panel application's popup has no parent window to hang from. Under
/// XWayland the popup goes where the item is and grabs like on X11. A
/// platform that the user chose (QT_QPA_PLATFORM) is always kept.
class SessionPlatform final {
  public:
    struct Environment {
        std::string qpaPlatform;     // QT_QPA_PLATFORM
        std::string waylandDisplay;  // WAYLAND_DISPLAY
        std::string display;         // DISPLAY (XWayland's, on a Wayland session)
    };

    /// The plugin to ask for, or none to leave Qt's own choice.
    static std::optional<std::string> choose(const Environment& env);

    /// Sets QT_QPA_PLATFORM from the process's environment when `choose`
    /// says so; call before the application object exists.
    static void applyToProcess();

    /// Whether the running application is an X11 client of a Wayland
    /// compositor. There, a window that the compositor does not manage gets
    /// no keyboard focus and hears nothing of the user going elsewhere.
    static bool isXWayland();
};

}  // namespace fixtora
