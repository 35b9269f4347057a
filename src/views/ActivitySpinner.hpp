// SPDX-License-Identifier: MIT
#pragma once

#include <QBasicTimer>
#include <QWidget>

namespace fixtora {

/// An indeterminate circular progress indicator: twelve spokes fading
/// round, as desktop spinners do. It animates only while shown.
class ActivitySpinner final : public QWidget {
  public:
    /// The spinner's natural diameter, before scaling.
    static constexpr int kBaseSize = 20;

    /// `scale` shrinks or grows the spinner about its centre.
    explicit ActivitySpinner(double scale = 1.0, QWidget* parent = nullptr);

    double scale() const { return m_scale; }
    bool isAnimating() const { return m_timer.isActive(); }

  protected:
    void paintEvent(QPaintEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;
    void timerEvent(QTimerEvent* event) override;

  private:
    double m_scale;
    int m_step = 0;
    QBasicTimer m_timer;
};

}  // namespace fixtora
