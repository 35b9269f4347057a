// SPDX-License-Identifier: MIT
#pragma once

#include <QElapsedTimer>
#include <QFrame>

#include <memory>

namespace fixtora {

/// The transient window that holds the popup's content: no frame, no
/// taskbar entry, closed by a click anywhere outside it or by Escape.
/// On XWayland it is a frameless tool window that the compositor manages
/// (and floats), so that it receives the keyboard focus when it opens and
/// loses it when the user goes elsewhere, which closes it (see
/// MenuBarController); elsewhere a popup window with its own pointer grab.
class PopupWindow final : public QFrame {
    Q_OBJECT
  public:
    /// Takes ownership of `content`, which fills the window.
    explicit PopupWindow(std::unique_ptr<QWidget> content);

    /// The window flags: a managed tool window when `managed`, else a popup.
    static Qt::WindowFlags flags(bool managed);

    QWidget* content() const { return m_content; }

    /// Milliseconds since the window was last hidden; -1 if it never was.
    qint64 msecsSinceHidden() const { return m_hidden.isValid() ? m_hidden.elapsed() : -1; }

  signals:
    void shown();
    void hidden();

  protected:
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

  private:
    QWidget* m_content = nullptr;  // owned through the layout's parent
    QElapsedTimer m_hidden;
    bool m_paintPending = false;
};

}  // namespace fixtora
