// SPDX-License-Identifier: MIT
#pragma once

#include <QWidget>

namespace fixtora {

/// A hairline separator across the full width, optionally starting
/// `leadingInset` pixels from the leading edge.
class Divider final : public QWidget {
  public:
    explicit Divider(int leadingInset = 0, QWidget* parent = nullptr);
    int leadingInset() const { return m_inset; }

  protected:
    void paintEvent(QPaintEvent* event) override;

  private:
    int m_inset;
};

}  // namespace fixtora
