// SPDX-License-Identifier: MIT
#include "app/ContextMenu.hpp"

#include <QAction>
#include <QMenu>

namespace fixtora {
namespace {

MenuEntry action(QString label, std::function<void()> trigger, QKeySequence shortcut = {}) {
    return MenuEntry{MenuEntry::Kind::Action, std::move(label), true, std::move(shortcut),
                     std::move(trigger)};
}

QUrl pageUrl(const QString& website, const QString& pathAndMore) {
    QUrl url(website + pathAndMore, QUrl::StrictMode);
    const QString scheme = url.scheme().toLower();
    if (!url.isValid() || (scheme != u"http" && scheme != u"https") || url.host().isEmpty())
        return {};
    return url;
}

}  // namespace

MenuEntries ContextMenu::entries(const QString& version, const Commands& commands) {
    MenuEntries out;
    MenuEntry about = action(
        QStringLiteral("Fixtora v") + (version.isEmpty() ? QStringLiteral("?") : version), {});
    about.enabled = false;
    out.push_back(std::move(about));
    out.push_back(MenuEntry::separator());
    out.push_back(action(QStringLiteral("Check for Updates\u2026"), commands.checkForUpdates));
    out.push_back(MenuEntry::separator());
    out.push_back(action(QStringLiteral("Feedback / Report a Bug"), commands.openFeedback));
    out.push_back(action(QStringLiteral("\u2665 Support Me"), commands.openDonate));
    out.push_back(MenuEntry::separator());
    if (!commands.settings.empty()) {
        out.insert(out.end(), commands.settings.begin(), commands.settings.end());
        out.push_back(MenuEntry::separator());
    }
    // Ctrl+Q here, Cmd+Q on macOS: Qt maps the control modifier there.
    out.push_back(
        action(QStringLiteral("Quit Fixtora"), commands.quit, QKeySequence(Qt::CTRL | Qt::Key_Q)));
    return out;
}

std::unique_ptr<QMenu> ContextMenu::build(const MenuEntries& entries, QWidget* parent) {
    auto menu = std::make_unique<QMenu>(parent);
    for (const auto& e : entries) {
        if (e.kind == MenuEntry::Kind::Separator) {
            menu->addSeparator();
            continue;
        }
        QAction* a = menu->addAction(e.label);
        // Labels are shown as they are: no "&" mnemonics.
        a->setText(QString(e.label).replace(u'&', QStringLiteral("&&")));
        a->setEnabled(e.enabled);
        a->setCheckable(e.checkable);
        a->setChecked(e.checked);
        if (!e.shortcut.isEmpty()) {
            a->setShortcut(e.shortcut);
            a->setShortcutVisibleInContextMenu(true);
        }
        if (e.trigger)
            QObject::connect(a, &QAction::triggered, a, [trigger = e.trigger] { trigger(); });
    }
    return menu;
}

QUrl ContextMenu::feedbackUrl(const QString& website) {
    return pageUrl(website, QStringLiteral("/epl/?feedback=1"));
}

QUrl ContextMenu::donateUrl(const QString& website) {
    return pageUrl(website, QStringLiteral("/epl/#donate"));
}

}  // namespace fixtora
