// SPDX-License-Identifier: MIT
#include "views/SymbolButton.hpp"

#include <QEvent>
#include <QFontMetricsF>
#include <QPainter>

#include <algorithm>
#include <cmath>

namespace fixtora {

namespace {
constexpr int kHitMargin = 3;  // extra pixels around the content that still take the click
}

SymbolButton::SymbolButton(QWidget* parent) : FlatButton(parent) {
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
    setAttribute(Qt::WA_Hover, true);
}

void SymbolButton::setSymbol(Symbol symbol) {
    if (m_symbol == symbol) return;
    m_symbol = symbol;
    updateGeometry();
    update();
}

void SymbolButton::setSymbolSize(double pointSize) {
    m_symbolSize = pointSize;
    updateGeometry();
    update();
}

void SymbolButton::setSymbolSide(SymbolSide side) {
    m_side = side;
    update();
}

void SymbolButton::setSpacing(int spacing) {
    m_spacing = spacing;
    updateGeometry();
    update();
}

void SymbolButton::setColourRole(Theme::Colour colour) {
    if (m_colour == colour) return;
    m_colour = colour;
    update();
}

QColor SymbolButton::contentColour() const {
    QColor colour = Theme::colour(m_colour, palette());
    if (!isEnabled()) {
        colour.setAlphaF(colour.alphaF() * 0.65f);
    } else if (isDown()) {
        colour.setAlphaF(colour.alphaF() * 0.6f);
    }
    return colour;
}

QSizeF SymbolButton::symbolBox() const {
    return SymbolPainter::size(m_symbol, m_symbolSize);
}

QSize SymbolButton::sizeHint() const {
    const QFontMetricsF metrics(font());
    const QSizeF box = symbolBox();
    double width = box.width();
    double height = box.height();
    if (!text().isEmpty()) {
        width += metrics.horizontalAdvance(text()) + (m_symbol == Symbol::None ? 0 : m_spacing);
        height = std::max(height, metrics.height());
    }
    return QSize(static_cast<int>(std::ceil(width)) + 2 * kHitMargin,
                 static_cast<int>(std::ceil(height)) + 2 * kHitMargin);
}

void SymbolButton::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing, true);
    painter.setRenderHint(QPainter::TextAntialiasing, true);
    const QColor colour = contentColour();
    const QFontMetricsF metrics(font());
    const QSizeF box = symbolBox();
    const bool hasText = !text().isEmpty();
    const double textWidth = hasText ? metrics.horizontalAdvance(text()) : 0;
    const double gap = (hasText && m_symbol != Symbol::None) ? m_spacing : 0;
    const double total = box.width() + gap + textWidth;
    double x = (width() - total) / 2;
    const double midY = height() / 2.0;

    auto drawSymbol = [&](double left) {
        const QRectF r(left, midY - box.height() / 2, box.width(), box.height());
        SymbolPainter::paint(painter, r, m_symbol, colour,
                             font().weight() >= QFont::Medium ? 1.25 : 1.0);
    };
    auto drawText = [&](double left) {
        painter.setFont(font());
        painter.setPen(colour);
        const QRectF r(left, 0, textWidth + 1, height());
        painter.drawText(r, Qt::AlignLeft | Qt::AlignVCenter, text());
    };

    if (m_side == SymbolSide::Leading) {
        drawSymbol(x);
        x += box.width() + gap;
        if (hasText) drawText(x);
    } else {
        if (hasText) drawText(x);
        x += textWidth + gap;
        drawSymbol(x);
    }
    if (showsFocusRing()) Theme::paintFocusRing(painter, rect(), palette());
}

void SymbolButton::changeEvent(QEvent* event) {
    if (event->type() == QEvent::FontChange) updateGeometry();
    FlatButton::changeEvent(event);
}

}  // namespace fixtora
