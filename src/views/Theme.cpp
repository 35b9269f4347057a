// SPDX-License-Identifier: MIT
#include "views/Theme.hpp"

#include <QApplication>
#include <QFontDatabase>
#include <QPainter>

#include <cmath>

namespace fixtora {

namespace {

QColor withAlpha(QColor colour, double alpha) {
    colour.setAlphaF(static_cast<float>(alpha));
    return colour;
}

}  // namespace

bool Theme::isDark(const QPalette& palette) {
    return palette.color(QPalette::Window).lightnessF() <
           palette.color(QPalette::WindowText).lightnessF();
}

QColor Theme::colour(Colour colour, const QPalette& palette) {
    const bool dark = isDark(palette);
    switch (colour) {
        case Colour::Primary:
            return palette.color(QPalette::WindowText);
        case Colour::Secondary:
            return withAlpha(palette.color(QPalette::WindowText), dark ? 0.55 : 0.5);
        case Colour::Accent: {
            const QColor highlight = palette.color(QPalette::Highlight);
            // A highlight too close to the window colour would make accent
            // text unreadable; fall back to the usual blue then.
            const double contrast =
                std::abs(highlight.lightnessF() - palette.color(QPalette::Window).lightnessF());
            if (contrast < 0.2) return dark ? QColor(0x0A, 0x84, 0xFF) : QColor(0x00, 0x7A, 0xFF);
            return highlight;
        }
        case Colour::Red:
            return dark ? QColor(0xFF, 0x45, 0x3A) : QColor(0xFF, 0x3B, 0x30);
        case Colour::Yellow:
            return dark ? QColor(0xFF, 0xD6, 0x0A) : QColor(0xFF, 0xCC, 0x00);
    }
    return palette.color(QPalette::WindowText);
}

QColor Theme::separator(const QPalette& palette) {
    return withAlpha(palette.color(QPalette::WindowText), isDark(palette) ? 0.16 : 0.12);
}

QColor Theme::material(const QPalette& palette) {
    const QColor window = palette.color(QPalette::Window);
    const QColor tinted = isDark(palette) ? window.lighter(118) : window.darker(104);
    return withAlpha(tinted, 0.97);
}

QColor Theme::background(const QPalette& palette) {
    return palette.color(QPalette::Window);
}

QColor Theme::pressedOverlay(const QPalette& palette) {
    return withAlpha(palette.color(QPalette::WindowText), 0.07);
}

QFont Theme::systemFont(int pixelSize, QFont::Weight weight) {
    QFont font = QApplication::font();
    font.setPixelSize(pixelSize);
    font.setWeight(weight);
    // No emoji family here: the emoji font also has digits and spaces, which
    // would then be taken from it. Emoji are set in it explicitly instead.
    return font;
}

QFont Theme::monospacedFont(int pixelSize, QFont::Weight weight) {
    QFont font = QFontDatabase::systemFont(QFontDatabase::FixedFont);
    font.setPixelSize(pixelSize);
    font.setWeight(weight);
    return font;
}

QFont Theme::emojiFont(int pixelSize) {
    QFont font;
    font.setFamilies({kEmojiFamily});
    font.setPixelSize(pixelSize);
    return font;
}

QFont Theme::headline() {
    return systemFont(kHeadlineSize, QFont::Bold);
}
QFont Theme::subheadline(QFont::Weight weight) {
    return systemFont(kSubheadlineSize, weight);
}
QFont Theme::callout(QFont::Weight weight) {
    return systemFont(kCalloutSize, weight);
}
QFont Theme::caption(QFont::Weight weight) {
    return systemFont(kCaptionSize, weight);
}

void Theme::paintFocusRing(QPainter& painter, const QRect& rect, const QPalette& palette) {
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing, true);
    painter.setPen(QPen(palette.color(QPalette::Highlight), 2));
    painter.setBrush(Qt::NoBrush);
    painter.drawRoundedRect(QRectF(rect).adjusted(1, 1, -1, -1), 3, 3);
    painter.restore();
}

}  // namespace fixtora
