// SPDX-License-Identifier: MIT
#include "views/SymbolView.hpp"

#include <QPainter>

namespace fixtora {

SymbolView::SymbolView(Symbol symbol, double pointSize, QSize frame, Theme::Colour colour,
                       QWidget* parent)
    : QWidget(parent), m_symbol(symbol), m_pointSize(pointSize), m_colour(colour) {
    setFixedSize(frame);
    setAttribute(Qt::WA_TransparentForMouseEvents, true);
}

void SymbolView::setSymbol(Symbol symbol) {
    if (m_symbol == symbol) return;
    m_symbol = symbol;
    update();
}

void SymbolView::setLeadingPadding(int padding) {
    m_leadingPadding = padding;
    update();
}

void SymbolView::setWeight(double weight) {
    m_weight = weight;
    update();
}

void SymbolView::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    const QRectF area(m_leadingPadding, 0, width() - m_leadingPadding, height());
    const QSizeF box = SymbolPainter::size(m_symbol, m_pointSize);
    const QRectF r(area.center().x() - box.width() / 2, area.center().y() - box.height() / 2,
                   box.width(), box.height());
    SymbolPainter::paint(painter, r, m_symbol, Theme::colour(m_colour, palette()), m_weight);
}

}  // namespace fixtora
