// SPDX-License-Identifier: MIT
#include "views/DayHeader.hpp"

#include "views/TextLabel.hpp"
#include "views/Theme.hpp"

#include <QHBoxLayout>
#include <QPainter>

namespace fixtora {

namespace {
constexpr int kHorizontalPadding = 14;
constexpr int kVerticalPadding = 5;
}  // namespace

DayHeader::DayHeader(const QString& label, QWidget* parent) : QWidget(parent) {
    setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Fixed);
    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(kHorizontalPadding, kVerticalPadding, kHorizontalPadding,
                               kVerticalPadding);
    m_label = new TextLabel(Theme::caption(QFont::Medium), Theme::Colour::Secondary, this);
    m_label->setDisplayText(label);
    layout->addWidget(m_label);
    layout->addStretch(1);
}

QString DayHeader::label() const {
    return m_label->displayText();
}

void DayHeader::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.fillRect(rect(), Theme::material(palette()));
    // A faint line under the bar separates it from rows passing beneath.
    QColor line = Theme::separator(palette());
    line.setAlphaF(line.alphaF() * 0.6f);
    painter.fillRect(QRect(0, height() - 1, width(), 1), line);
}

}  // namespace fixtora
