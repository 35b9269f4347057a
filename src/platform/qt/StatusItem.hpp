// SPDX-License-Identifier: MIT
#pragma once

#include <QObject>
#include <QPoint>
#include <QRect>
#include <QString>

namespace fixtora {

/// The application's item in the desktop panel: a title in, clicks out.
/// Backends differ in how the panel shows the title; all of them report a
/// primary click (left button, or the panel's "activate") and a secondary
/// click (right button, or the panel's "context menu") at a global screen
/// position, which is a null point when the panel did not tell one.
/// Main thread only.
class StatusItem : public QObject {
    Q_OBJECT
  public:
    using QObject::QObject;
    ~StatusItem() override = default;

    /// The text that the panel shows (or, where it cannot show text, the
    /// item's tooltip).
    virtual void setTitle(const QString& title) = 0;
    virtual QString title() const = 0;

    /// Where the item is on the screen, in global coordinates, for placing
    /// the popup next to it; an empty rectangle when the panel does not say.
    virtual QRect anchorRect() const = 0;

    /// A short name of the backend, for logs ("status-notifier", "tray", "strip").
    virtual QString backendName() const = 0;

  signals:
    void primaryClicked(QPoint globalPos);
    void secondaryClicked(QPoint globalPos);
};

}  // namespace fixtora
