// SPDX-License-Identifier: MIT
#include "app/MenuBarController.hpp"

#include "app/ContextMenu.hpp"
#include "app/PerfLog.hpp"
#include "app/PopupPlacement.hpp"
#include "app/PopupWindow.hpp"
#include "app/SessionPlatform.hpp"
#include "app/StatusItemFactory.hpp"

#include <QCoreApplication>
#include <QCursor>
#include <QDesktopServices>
#include <QGuiApplication>
#include <QMenu>
#include <QScreen>
#include <QWindow>

#include <stdexcept>

namespace fixtora {

MenuBarController::MenuBarController(const PopupFactory& popupContent, Options options,
                                     QObject* parent)
    : QObject(parent), m_options(std::move(options)) {
    if (!m_options.openUrl)
        m_options.openUrl = [](const QUrl& url) { QDesktopServices::openUrl(url); };
    if (!m_options.quit) m_options.quit = [] { QCoreApplication::quit(); };
    if (!m_options.makeStatusItem) m_options.makeStatusItem = &StatusItemFactory::create;

    auto content = popupContent ? popupContent() : nullptr;
    if (!content)
        throw std::invalid_argument("MenuBarController: the popup factory gave no content widget");
    m_popup = std::make_unique<PopupWindow>(std::move(content));
    connect(m_popup.get(), &PopupWindow::hidden, this, [this] {
        if (!m_hidingOnPurpose) m_closedByOutsideClick.start();
        m_hidingOnPurpose = false;
    });

    // The user going anywhere else (a click outside, another window, another
    // workspace) takes the focus away: that closes the popup and the menu
    // also where no pointer grab would (Wayland). For the reopen guard it
    // counts as a click outside.
    connect(qGuiApp, &QGuiApplication::focusWindowChanged, this, [this](QWindow* focus) {
        if (m_menu && m_menu->isVisible() && focus != m_menu->windowHandle()) m_menu->close();
        if (isPopupShown() && focus != m_popup->windowHandle()) m_popup->hide();
    });

    m_item = m_options.makeStatusItem([this] { return menuEntries(); });
    if (!m_item) throw std::invalid_argument("MenuBarController: no status item was made");
    m_item->setTitle(QString::fromUtf8(kInitialTitle.data(), kInitialTitle.size()));
    connect(m_item.get(), &StatusItem::primaryClicked, this,
            [this](QPoint pos) { togglePopup(pos); });
    connect(m_item.get(), &StatusItem::secondaryClicked, this,
            [this](QPoint pos) { showContextMenu(pos); });
}

MenuBarController::~MenuBarController() = default;

void MenuBarController::bindTitle(const TitleSubscriber& subscribe) {
    // The previous source (if any) stops first.
    m_titleSubscription.reset();
    m_titleSubscription =
        subscribe([this](const std::string& title) { setTitle(QString::fromStdString(title)); });
}

void MenuBarController::setTitle(const QString& title) {
    m_item->setTitle(title);
    if (!m_realTitleSeen &&
        title != QString::fromUtf8(kInitialTitle.data(), kInitialTitle.size())) {
        m_realTitleSeen = true;
        PerfLog::mark("first real title");
    }
}

bool MenuBarController::isPopupShown() const {
    return m_popup->isVisible();
}

void MenuBarController::togglePopup(QPoint clickPos) {
    if (isPopupShown()) {
        hidePopup();
        return;
    }
    if (m_closedByOutsideClick.isValid() && m_closedByOutsideClick.elapsed() < kReopenGuardMs) {
        m_closedByOutsideClick.invalidate();
        return;
    }
    showPopup(clickPos);
}

void MenuBarController::showPopup(QPoint clickPos) {
    PerfLog::mark("popup requested");
    const QRect anchor = anchorFor(clickPos);
    QScreen* screen = anchor.isEmpty() ? nullptr : QGuiApplication::screenAt(anchor.center());
    if (!screen) screen = QGuiApplication::primaryScreen();
    if (screen) {
        const QRect frame =
            PopupPlacement::place(m_popup->size(), anchor, screen->availableGeometry());
        m_popup->move(frame.topLeft());
    }
    m_popup->show();
    m_popup->raise();
    m_popup->activateWindow();
}

void MenuBarController::hidePopup() {
    if (!isPopupShown()) return;
    m_hidingOnPurpose = true;
    m_popup->hide();
}

QRect MenuBarController::anchorFor(QPoint clickPos) const {
    const QRect anchor = m_item->anchorRect();
    if (!anchor.isEmpty() || clickPos.isNull()) return anchor;
    return QRect(clickPos - QPoint(12, 12), QSize(24, 24));
}

MenuEntries MenuBarController::menuEntries() const {
    ContextMenu::Commands commands;
    commands.checkForUpdates = m_options.checkForUpdates;
    commands.openFeedback = [this] { openFeedback(); };
    commands.openDonate = [this] { openDonate(); };
    commands.quit = m_options.quit;
    if (m_options.settingsEntries) commands.settings = m_options.settingsEntries();
    return ContextMenu::entries(m_options.version, commands);
}

void MenuBarController::showContextMenu(QPoint pos) {
    if (m_menu) m_menu->close();
    m_menu = ContextMenu::build(menuEntries());
    // As the popup: on XWayland only a managed window gets the keyboard and
    // hears of the user going elsewhere.
    if (SessionPlatform::isXWayland()) {
        m_menu->setWindowFlags(PopupWindow::flags(true));
        // A menu that is no popup does not close itself after a choice.
        connect(m_menu.get(), &QMenu::triggered, m_menu.get(), &QMenu::close);
    }
    // Under the item where it is known (Qt keeps the menu on the screen),
    // else where the click was.
    const QRect anchor = anchorFor(pos);
    if (!anchor.isEmpty())
        pos = anchor.bottomLeft() + QPoint(0, 1);
    else if (pos.isNull())
        pos = QCursor::pos();
    m_menu->popup(pos);
}

void MenuBarController::openFeedback() const {
    // An address that does not form a URL opens nothing.
    if (const QUrl url = ContextMenu::feedbackUrl(m_options.websiteUrl); url.isValid())
        m_options.openUrl(url);
}

void MenuBarController::openDonate() const {
    if (const QUrl url = ContextMenu::donateUrl(m_options.websiteUrl); url.isValid())
        m_options.openUrl(url);
}

}  // namespace fixtora
