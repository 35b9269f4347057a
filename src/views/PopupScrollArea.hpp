// SPDX-License-Identifier: MIT
#pragma once

#include <QScrollArea>

namespace fixtora {

/// A vertical scroll area for the popup: no frame, the popup's background,
/// and a slim scroll bar in the palette's colours that leaves the rows their
/// width.
class PopupScrollArea : public QScrollArea {
  public:
    explicit PopupScrollArea(QWidget* parent = nullptr);

  protected:
    void changeEvent(QEvent* event) override;

  private:
    void applyStyle();
    bool m_styling = false;
};

}  // namespace fixtora
