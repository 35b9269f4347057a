// SPDX-License-Identifier: MIT
#pragma once

#include <QString>

namespace fixtora {

/// Rich text in which every emoji is set in the colour emoji font, so that
/// signs such as "⚠️" are drawn in colour even where the text font has a
/// monochrome glyph for them. Spaces are kept as written.
class EmojiText final {
  public:
    /// `text` as HTML for a rich-text label: escaped, runs of emoji (with
    /// their variation selectors and joiners) wrapped in the emoji font.
    static QString toHtml(const QString& text);

    /// Whether `codePoint` is drawn as an emoji.
    static bool isEmoji(char32_t codePoint);
};

}  // namespace fixtora
