// SPDX-License-Identifier: MIT
#pragma once

#include "views/FlatButton.hpp"
#include "views/Symbol.hpp"
#include "views/Theme.hpp"

namespace fixtora {

/// A borderless button showing a symbol, a text, or both side by side, in
/// one semantic colour. Disabled buttons are drawn faded; a pressed one
/// darkens a little, as borderless buttons do on the desktop.
class SymbolButton final : public FlatButton {
    Q_OBJECT

  public:
    /// Where the symbol sits relative to the text.
    enum class SymbolSide { Leading, Trailing };

    explicit SymbolButton(QWidget* parent = nullptr);

    void setSymbol(Symbol symbol);
    Symbol symbol() const { return m_symbol; }
    /// The font size (pixels) the symbol is drawn beside.
    void setSymbolSize(double pointSize);
    void setSymbolSide(SymbolSide side);
    /// Gap between symbol and text.
    void setSpacing(int spacing);
    void setColourRole(Theme::Colour colour);
    Theme::Colour colourRole() const { return m_colour; }
    /// The colour the content is drawn in now (faded when disabled).
    QColor contentColour() const;

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override { return sizeHint(); }

  protected:
    void paintEvent(QPaintEvent* event) override;
    void changeEvent(QEvent* event) override;

  private:
    QSizeF symbolBox() const;

    Symbol m_symbol = Symbol::None;
    double m_symbolSize = 12;
    SymbolSide m_side = SymbolSide::Leading;
    int m_spacing = 4;
    Theme::Colour m_colour = Theme::Colour::Primary;
};

}  // namespace fixtora
