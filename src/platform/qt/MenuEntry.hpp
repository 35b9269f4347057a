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
    /// A check item shows a check mark while `checked`; choosing it runs
    /// the trigger, which flips the setting behind it.
    bool checkable = false;
    bool checked = false;

    static MenuEntry separator() { return MenuEntry{Kind::Separator, {}, true, {}, {}}; }
    static MenuEntry check(QString label, bool checked, std::function<void()> trigger) {
        MenuEntry e{Kind::Action, std::move(label), true, {}, std::move(trigger)};
        e.checkable = true;
        e.checked = checked;
        return e;
    }
};

using MenuEntries = std::vector<MenuEntry>;
/// Builds the entries afresh each time the menu is about to open.
using MenuSource = std::function<MenuEntries()>;

}  // namespace fixtora
