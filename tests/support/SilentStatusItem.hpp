// SPDX-License-Identifier: MIT
#pragma once

#include "platform/qt/StatusItem.hpp"

#include <QRect>
#include <QString>

namespace fixtora::test {

/// A status item that shows nothing anywhere and only remembers its title:
/// for tests that run the whole shell without a panel or a strip window.
class SilentStatusItem final : public StatusItem {
  public:
    void setTitle(const QString& t) override { m_title = t; }
    QString title() const override { return m_title; }
    QRect anchorRect() const override { return {}; }
    QString backendName() const override { return QStringLiteral("silent"); }

  private:
    QString m_title;
};

}  // namespace fixtora::test
