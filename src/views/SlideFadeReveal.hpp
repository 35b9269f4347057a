// SPDX-License-Identifier: MIT
#pragma once

#include <QWidget>

class QGraphicsOpacityEffect;
class QVariantAnimation;

namespace fixtora {

/// Shows or hides one content widget by sliding it in from (and out to) its
/// top edge while fading it, over 0.15 s with an ease-in-out curve. While
/// collapsed the container is hidden and takes no room.
class SlideFadeReveal final : public QWidget {
  public:
    static constexpr int kDurationMilliseconds = 150;

    /// Takes `content` as its child; starts collapsed.
    explicit SlideFadeReveal(QWidget* content, QWidget* parent = nullptr);

    /// Expands or collapses; without animation the change is immediate.
    void setExpanded(bool expanded, bool animated);
    /// The state asked for last (the animation may still be running).
    bool isExpanded() const { return m_expanded; }
    bool isAnimating() const;
    /// 0 collapsed, 1 expanded.
    double progress() const { return m_progress; }

    QWidget* content() const { return m_content; }

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

  protected:
    void resizeEvent(QResizeEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    void setProgress(double progress);
    int contentHeight() const;
    void placeContent();

    QWidget* m_content;
    QGraphicsOpacityEffect* m_fade;
    QVariantAnimation* m_animation;
    bool m_expanded = false;
    double m_progress = 0;
};

}  // namespace fixtora
