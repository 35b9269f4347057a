// SPDX-License-Identifier: MIT
#include "views/TextLabel.hpp"

#include "views/EmojiText.hpp"

#include <QApplication>
#include <QEvent>

namespace fixtora {

TextLabel::TextLabel(const QFont& font, Theme::Colour colour, QWidget* parent)
    : QLabel(parent), m_colour(colour) {
    setFont(font);
    // Inside a button the inherited roles would draw in ButtonText.
    setForegroundRole(QPalette::WindowText);
    setTextFormat(Qt::RichText);
    setTextInteractionFlags(Qt::NoTextInteraction);
    setAttribute(Qt::WA_TransparentForMouseEvents, true);
    applyColour();
}

void TextLabel::setDisplayText(const QString& text) {
    if (m_showsDisplayText && text == m_text) return;
    m_text = text;
    m_showsDisplayText = true;
    setText(EmojiText::toHtml(text));
}

void TextLabel::setRichText(const QString& html) {
    m_text.clear();
    m_showsDisplayText = false;
    setText(html);
}

void TextLabel::setColourRole(Theme::Colour colour) {
    if (m_colour == colour) return;
    m_colour = colour;
    applyColour();
}

void TextLabel::changeEvent(QEvent* event) {
    QLabel::changeEvent(event);
    if (event->type() == QEvent::PaletteChange || event->type() == QEvent::ParentChange) {
        applyColour();
    }
}

void TextLabel::applyColour() {
    if (m_applying) return;
    m_applying = true;
    // Derive from the surroundings' palette, not our own, whose text colour
    // we have overridden.
    const QPalette base = parentWidget() ? parentWidget()->palette() : QApplication::palette();
    QPalette own = palette();
    const QColor colour = Theme::colour(m_colour, base);
    if (own.color(QPalette::WindowText) != colour || own.color(QPalette::Text) != colour) {
        own.setColor(QPalette::WindowText, colour);
        own.setColor(QPalette::Text, colour);
        setPalette(own);
    }
    m_applying = false;
}

}  // namespace fixtora
