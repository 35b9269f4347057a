// SPDX-License-Identifier: MIT
#pragma once

#include "views/FlatButton.hpp"
#include "views/Theme.hpp"

#include <optional>

namespace fixtora {

/// A button without bezel whose content is whatever widgets its layout
/// holds; the whole rectangle, empty parts included, takes the click. It may
/// carry a tinted background, and darkens slightly while pressed.
class PlainButton final : public FlatButton {
    Q_OBJECT

  public:
    explicit PlainButton(QWidget* parent = nullptr);

    /// Fills the background with `colour` at `opacity`; nothing clears it.
    void setTint(std::optional<Theme::Colour> colour, double opacity = 0);
    std::optional<Theme::Colour> tint() const { return m_tint; }
    double tintOpacity() const { return m_tintOpacity; }

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

  protected:
    void paintEvent(QPaintEvent* event) override;

  private:
    std::optional<Theme::Colour> m_tint;
    double m_tintOpacity = 0;
};

}  // namespace fixtora
