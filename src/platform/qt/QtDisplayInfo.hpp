// SPDX-License-Identifier: MIT
#pragma once

#include "platform/SystemInfo.hpp"

#include <QObject>

#include <functional>
#include <optional>

class QPalette;

namespace fixtora {

/// What only the desktop shell knows for `SystemInfo`: the primary screen,
/// the light or dark appearance and the layout direction. Reads them from
/// the running QGuiApplication and reports them again whenever the primary
/// screen, its geometry or scale, or the palette changes. Main thread only.
class QtDisplayInfo final : public QObject {
    Q_OBJECT
  public:
    struct Readings {
        std::optional<ScreenInfo> mainScreen;
        Appearance appearance = Appearance::Light;
        std::optional<LayoutDirection> layoutDirection;

        friend bool operator==(const Readings&, const Readings&) = default;
    };
    using Sink = std::function<void(const Readings&)>;

    /// Calls `sink` with the current readings at once, then after each change.
    explicit QtDisplayInfo(Sink sink, QObject* parent = nullptr);

    /// The readings as they are now.
    static Readings read();
    /// Dark when the palette's window colour is dark, light otherwise.
    static Appearance appearanceOf(const QPalette& palette);

    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    void watchPrimaryScreen();
    void report();

    Sink m_sink;
    std::optional<Readings> m_last;
};

}  // namespace fixtora
