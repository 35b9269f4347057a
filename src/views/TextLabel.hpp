// SPDX-License-Identifier: MIT
#pragma once

#include "views/Theme.hpp"

#include <QLabel>

namespace fixtora {

/// A label in one semantic colour that follows palette changes (light and
/// dark themes). Text set through `setDisplayText` keeps its spaces and has
/// its emoji drawn in colour.
class TextLabel final : public QLabel {
  public:
    explicit TextLabel(const QFont& font, Theme::Colour colour = Theme::Colour::Primary,
                       QWidget* parent = nullptr);

    /// Shows `text` with spaces kept and emoji in the colour font.
    void setDisplayText(const QString& text);
    /// The text last given to `setDisplayText`.
    const QString& displayText() const { return m_text; }
    /// Shows ready-made rich text; the next `setDisplayText` redraws
    /// whatever it is given.
    void setRichText(const QString& html);

    void setColourRole(Theme::Colour colour);
    Theme::Colour colourRole() const { return m_colour; }

  protected:
    void changeEvent(QEvent* event) override;

  private:
    void applyColour();

    Theme::Colour m_colour;
    QString m_text;
    bool m_showsDisplayText = false;  // false while rich text from elsewhere shows
    bool m_applying = false;
};

}  // namespace fixtora
