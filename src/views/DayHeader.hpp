// SPDX-License-Identifier: MIT
#pragma once

#include <QString>
#include <QWidget>

namespace fixtora {

class TextLabel;

/// The heading of one day's matches, on a translucent bar; the match list
/// pins it to the top while that day's rows scroll under it.
class DayHeader final : public QWidget {
  public:
    explicit DayHeader(const QString& label, QWidget* parent = nullptr);

    QString label() const;

  protected:
    void paintEvent(QPaintEvent* event) override;

  private:
    TextLabel* m_label;
};

}  // namespace fixtora
