// SPDX-License-Identifier: MIT
#pragma once

#include <QAbstractButton>

namespace fixtora {

/// What the popup's borderless buttons share: Tab reaches them (a mouse
/// click leaves the focus where it was), Space, Enter or Return press them,
/// and the focus ring shows only for focus the keyboard moved.
class FlatButton : public QAbstractButton {
    Q_OBJECT

  public:
    explicit FlatButton(QWidget* parent = nullptr);

  protected:
    /// Whether to draw the focus ring now.
    bool showsFocusRing() const { return hasFocus() && m_keyboardFocus; }
    void keyPressEvent(QKeyEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;

  private:
    bool m_keyboardFocus = false;
};

}  // namespace fixtora
