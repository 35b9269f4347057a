// SPDX-License-Identifier: MIT
#include "views/EmojiText.hpp"

#include "views/Theme.hpp"

namespace fixtora {

namespace {

constexpr char32_t kVariationSelector16 = 0xFE0F;
constexpr char32_t kZeroWidthJoiner = 0x200D;
constexpr char32_t kKeycap = 0x20E3;

bool joinsEmoji(char32_t cp) {
    return cp == kVariationSelector16 || cp == kZeroWidthJoiner || cp == kKeycap ||
           (cp >= 0x1F3FB && cp <= 0x1F3FF);  // skin tone modifiers
}

}  // namespace

bool EmojiText::isEmoji(char32_t cp) {
    return (cp >= 0x2600 && cp <= 0x27BF)       // miscellaneous symbols, dingbats
           || (cp >= 0x2B00 && cp <= 0x2BFF)    // arrows and stars such as U+2B50
           || (cp >= 0x1F000 && cp <= 0x1FAFF)  // pictographs, emoticons, transport...
           || cp == 0x231A || cp == 0x231B || cp == 0x23F0 || cp == 0x23F3;
}

QString EmojiText::toHtml(const QString& text) {
    const QString open =
        QStringLiteral("<span style=\"font-family:'%1';\">").arg(Theme::kEmojiFamily);
    QString html = QStringLiteral("<span style=\"white-space:pre-wrap;\">");
    bool inEmoji = false;
    const QList<uint> codePoints = text.toUcs4();
    for (const uint value : codePoints) {
        const auto cp = static_cast<char32_t>(value);
        const bool emoji = isEmoji(cp) || (inEmoji && joinsEmoji(cp));
        if (emoji != inEmoji) {
            html += emoji ? open : QStringLiteral("</span>");
            inEmoji = emoji;
        }
        const QString piece = QString::fromUcs4(&cp, 1);
        html += emoji ? piece : piece.toHtmlEscaped();
    }
    if (inEmoji) html += QStringLiteral("</span>");
    html += QStringLiteral("</span>");
    return html;
}

}  // namespace fixtora
