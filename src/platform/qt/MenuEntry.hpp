// SPDX-License-Identifier: MIT
#pragma once

#include <QKeySequence>
#include <QString>

#include <functional>
#include <vector>

namespace fixtora {

/// One entry of a context menu, independent of how it is shown (a QMenu, or
/// a menu exported over D-Bus for the panel to draw).
struct MenuEntry {
    enum class Kind { Action, Separator };

    Kind kind = Kind::Action;
    QString label;
    bool enabled = true;
    QKeySequence shortcut;
    /// Runs when the entry is chosen; may be empty for disabled entries.
    std::function<void()> trigger;

    static MenuEntry separator() { return MenuEntry{Kind::Separator, {}, true, {}, {}}; }
};

using MenuEntries = std::vector<MenuEntry>;
/// Builds the entries afresh each time the menu is about to open.
using MenuSource = std::function<MenuEntries()>;

}  // namespace fixtora
