// SPDX-License-Identifier: MIT
#pragma once

#include <QColor>
#include <QFont>
#include <QPalette>
#include <QString>

class QPainter;

namespace fixtora {

/// The popup's text styles and semantic colours, derived from the system
/// font and palette so that the popup follows light and dark themes.
class Theme final {
  public:
    /// Semantic colours; each resolves against a palette.
    enum class Colour { Primary, Secondary, Accent, Red, Yellow };

    /// The colour font used for every emoji, named explicitly because most
    /// system fonts carry monochrome glyphs for signs such as U+26A0.
    static inline const QString kEmojiFamily = QStringLiteral("Noto Color Emoji");

    static QColor colour(Colour colour, const QPalette& palette);
    /// True when the palette's window is darker than its text.
    static bool isDark(const QPalette& palette);
    /// Hairline separators.
    static QColor separator(const QPalette& palette);
    /// The translucent background of pinned day headers.
    static QColor material(const QPalette& palette);
    /// The popup's own background.
    static QColor background(const QPalette& palette);
    /// Overlay of a pressed plain button.
    static QColor pressedOverlay(const QPalette& palette);
    /// Outlines `rect` as the control that has the keyboard focus.
    static void paintFocusRing(QPainter& painter, const QRect& rect, const QPalette& palette);

    /// The system font at `pixelSize` logical pixels.
    static QFont systemFont(int pixelSize, QFont::Weight weight = QFont::Normal);
    /// The system's fixed-pitch font, for scores and times.
    static QFont monospacedFont(int pixelSize, QFont::Weight weight = QFont::Normal);
    /// The colour emoji font at `pixelSize`.
    static QFont emojiFont(int pixelSize);

    static QFont headline();
    static QFont subheadline(QFont::Weight weight = QFont::Normal);
    static QFont callout(QFont::Weight weight = QFont::Normal);
    static QFont caption(QFont::Weight weight = QFont::Normal);

    static constexpr int kHeadlineSize = 14;
    static constexpr int kSubheadlineSize = 12;
    static constexpr int kCalloutSize = 12;
    static constexpr int kCaptionSize = 11;
};

}  // namespace fixtora
