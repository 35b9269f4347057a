// SPDX-License-Identifier: MIT
#pragma once

#include "views/Symbol.hpp"
#include "views/Theme.hpp"

#include <QWidget>

namespace fixtora {

/// A symbol drawn in a fixed frame, not interactive (clicks go to the parent).
class SymbolView final : public QWidget {
  public:
    /// `frame` is the widget's fixed size; the symbol is drawn for text of
    /// `pointSize` pixels, centred in the frame minus `leadingPadding`.
    SymbolView(Symbol symbol, double pointSize, QSize frame, Theme::Colour colour,
               QWidget* parent = nullptr);

    void setSymbol(Symbol symbol);
    Symbol symbol() const { return m_symbol; }
    void setLeadingPadding(int padding);
    void setWeight(double weight);

  protected:
    void paintEvent(QPaintEvent* event) override;

  private:
    Symbol m_symbol;
    double m_pointSize;
    Theme::Colour m_colour;
    int m_leadingPadding = 0;
    double m_weight = 1.0;
};

}  // namespace fixtora
