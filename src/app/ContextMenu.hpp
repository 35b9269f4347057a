// SPDX-License-Identifier: MIT
#pragma once

#include "platform/qt/MenuEntry.hpp"

#include <QString>
#include <QUrl>

#include <functional>
#include <memory>

class QMenu;
class QWidget;

namespace fixtora {

/// The status item's context menu: the version, update check, feedback,
/// support entries, the settings' check items and the quit entry. Built afresh each time it opens.
class ContextMenu final {
  public:
    struct Commands {
        std::function<void()> checkForUpdates;
        std::function<void()> openFeedback;
        std::function<void()> openDonate;
        std::function<void()> quit;
        /// Check items shown in their own group above the quit entry.
        MenuEntries settings;
    };

    /// The entries in menu order; `version` "" reads as "?".
    static MenuEntries entries(const QString& version, const Commands& commands);

    /// A QMenu showing `entries`; each action runs the entry's trigger.
    static std::unique_ptr<QMenu> build(const MenuEntries& entries, QWidget* parent = nullptr);

    /// The feedback and support pages of the web site, or an invalid QUrl
    /// when `website` + the path does not form an http(s) address.
    static QUrl feedbackUrl(const QString& website);
    static QUrl donateUrl(const QString& website);
};

}  // namespace fixtora
