// SPDX-License-Identifier: MIT
#pragma once

#include "platform/qt/StatusItem.hpp"

#include <QLabel>
#include <QWidget>

#include <memory>

namespace fixtora {

/// The status item where the desktop has no panel to put it in (a bare X11
/// session): a small frameless window that stays on top at the top right of
/// the primary screen and shows the title. Left click is the primary click,
/// right click the secondary one.
class StripStatusItem final : public StatusItem {
    Q_OBJECT
  public:
    explicit StripStatusItem(QObject* parent = nullptr);
    ~StripStatusItem() override;

    void setTitle(const QString& title) override;
    QString title() const override;
    QRect anchorRect() const override;
    QString backendName() const override { return QStringLiteral("strip"); }

    /// The strip window (for tests and screenshots).
    QWidget* window() const { return m_window.get(); }

    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    void placeOnScreen();

    std::unique_ptr<QWidget> m_window;
    QLabel* m_label = nullptr;  // owned by m_window
    QString m_title;
};

}  // namespace fixtora
