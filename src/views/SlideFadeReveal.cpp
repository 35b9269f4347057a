// SPDX-License-Identifier: MIT
#include "views/SlideFadeReveal.hpp"

#include <QEasingCurve>
#include <QEvent>
#include <QGraphicsOpacityEffect>
#include <QVariantAnimation>

#include <algorithm>
#include <cmath>

namespace fixtora {

namespace {

// The usual ease-in-out timing curve, (0.42, 0) – (0.58, 1).
QEasingCurve easeInOut() {
    QEasingCurve curve(QEasingCurve::BezierSpline);
    curve.addCubicBezierSegment(QPointF(0.42, 0), QPointF(0.58, 1), QPointF(1, 1));
    return curve;
}

}  // namespace

SlideFadeReveal::SlideFadeReveal(QWidget* content, QWidget* parent)
    : QWidget(parent),
      m_content(content),
      m_fade(new QGraphicsOpacityEffect(this)),
      m_animation(new QVariantAnimation(this)) {
    setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Fixed);
    m_content->setParent(this);
    m_content->installEventFilter(this);
    m_fade->setOpacity(0);
    m_fade->setEnabled(false);
    m_content->setGraphicsEffect(m_fade);
    m_animation->setDuration(kDurationMilliseconds);
    m_animation->setEasingCurve(easeInOut());
    connect(m_animation, &QVariantAnimation::valueChanged, this,
            [this](const QVariant& value) { setProgress(value.toDouble()); });
    connect(m_animation, &QVariantAnimation::finished, this,
            [this] { setProgress(m_expanded ? 1.0 : 0.0); });
    setVisible(false);
}

void SlideFadeReveal::setExpanded(bool expanded, bool animated) {
    m_expanded = expanded;
    m_animation->stop();
    const double target = expanded ? 1.0 : 0.0;
    if (!animated) {
        setProgress(target);
        return;
    }
    m_animation->setStartValue(m_progress);
    m_animation->setEndValue(target);
    // A reversal part-way takes only the remaining share of the time.
    m_animation->setDuration(std::max(
        1, static_cast<int>(std::lround(kDurationMilliseconds * std::abs(target - m_progress)))));
    if (expanded) setVisible(true);
    m_animation->start();
}

bool SlideFadeReveal::isAnimating() const {
    return m_animation->state() == QAbstractAnimation::Running;
}

void SlideFadeReveal::setProgress(double progress) {
    m_progress = progress;
    // Full opacity draws directly, without the effect's offscreen pass.
    m_fade->setEnabled(progress < 1.0);
    m_fade->setOpacity(progress);
    setVisible(progress > 0.0);
    placeContent();
    updateGeometry();
}

int SlideFadeReveal::contentHeight() const {
    const int w = width() > 0 ? width() : m_content->sizeHint().width();
    const int forWidth = m_content->hasHeightForWidth() ? m_content->heightForWidth(w) : -1;
    return forWidth >= 0 ? forWidth : m_content->sizeHint().height();
}

void SlideFadeReveal::placeContent() {
    const int h = contentHeight();
    // The content slides down from above the top edge as it grows.
    const int y = static_cast<int>(std::lround((m_progress - 1.0) * h));
    m_content->setGeometry(0, y, width(), h);
}

QSize SlideFadeReveal::sizeHint() const {
    return QSize(m_content->sizeHint().width(),
                 static_cast<int>(std::lround(m_progress * contentHeight())));
}

QSize SlideFadeReveal::minimumSizeHint() const {
    return QSize(0, sizeHint().height());
}

void SlideFadeReveal::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    placeContent();
}

bool SlideFadeReveal::eventFilter(QObject* watched, QEvent* event) {
    if (watched == m_content && event->type() == QEvent::LayoutRequest) {
        placeContent();
        updateGeometry();
    }
    return QWidget::eventFilter(watched, event);
}

}  // namespace fixtora
