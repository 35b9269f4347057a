// SPDX-License-Identifier: MIT
#pragma once

#include "platform/AppLook.hpp"
#include "platform/Subscription.hpp"
#include "platform/qt/MenuEntry.hpp"
#include "platform/qt/StatusItem.hpp"

#include <QElapsedTimer>
#include <QObject>
#include <QPoint>
#include <QString>
#include <QUrl>

#include <functional>
#include <memory>
#include <string>
#include <string_view>

class QMenu;
class QWidget;

namespace fixtora {

class PopupWindow;

/// The application's whole visible surface: the status item in the panel,
/// the popup under it and the context menu. A primary click toggles the
/// popup, a secondary click opens the menu (built afresh each time); the
/// status item shows the title source's every value, "⚽" until the first.
///
/// The controller knows nothing of what the popup shows or where the title
/// comes from: the composition root hands it a factory for the popup's
/// content widget and binds a title source with `bindTitle`.
class MenuBarController final : public QObject {
    Q_OBJECT
  public:
    using StatusItemMaker = std::function<std::unique_ptr<StatusItem>(MenuSource)>;
    using PopupFactory = std::function<std::unique_ptr<QWidget>()>;
    using UrlOpener = std::function<void(const QUrl&)>;
    using TitleCallback = std::function<void(const std::string&)>;
    /// Registers a callback with the title source, which calls it with the
    /// current title at once and then with every new one, on the main
    /// thread; the returned subscription keeps it registered.
    using TitleSubscriber = std::function<Subscription(TitleCallback)>;

    struct Options {
        QString version;     // shown as "Fixtora v<version>"; "" reads "?"
        QString websiteUrl;  // prefix of the feedback and support pages
        std::function<void()> checkForUpdates;
        UrlOpener openUrl;               // default: QDesktopServices::openUrl
        std::function<void()> quit;      // default: QCoreApplication::quit
        StatusItemMaker makeStatusItem;  // default: StatusItemFactory::create
        /// The check items above the quit entry, asked for each time the
        /// menu is built; may be empty.
        MenuSource settingsEntries;
    };

    static constexpr std::string_view kInitialTitle = kFootballSign;
    /// A click on the item this soon after the popup closed itself (a click
    /// outside it, which was this very click on the item) does not reopen it.
    static constexpr qint64 kReopenGuardMs = 300;

    /// Creates the popup with the content from `popupContent` (which must
    /// give a widget) and the status item. Throws std::invalid_argument when
    /// there is no content.
    MenuBarController(const PopupFactory& popupContent, Options options, QObject* parent = nullptr);
    ~MenuBarController() override;

    /// Mirrors the source's titles onto the status item from now on.
    void bindTitle(const TitleSubscriber& subscribe);
    void setTitle(const QString& title);

    StatusItem& statusItem() const { return *m_item; }
    PopupWindow& popup() const { return *m_popup; }
    bool isPopupShown() const;

    /// Opens the popup next to the status item, or closes it when open.
    void togglePopup(QPoint clickPos = {});
    void showPopup(QPoint clickPos = {});
    void hidePopup();

    /// Opens the context menu under the item, or at `pos` (the click) when
    /// the item's place is unknown.
    void showContextMenu(QPoint pos = {});
    /// The open context menu, or null.
    QMenu* contextMenu() const { return m_menu.get(); }
    /// The menu's entries as they would be built now.
    MenuEntries menuEntries() const;

    void openFeedback() const;
    void openDonate() const;

  private:
    QRect anchorFor(QPoint clickPos) const;

    Options m_options;
    std::unique_ptr<PopupWindow> m_popup;
    std::unique_ptr<StatusItem> m_item;
    std::unique_ptr<QMenu> m_menu;
    Subscription m_titleSubscription;
    QElapsedTimer m_closedByOutsideClick;
    bool m_hidingOnPurpose = false;
    bool m_realTitleSeen = false;
};

}  // namespace fixtora
