// SPDX-License-Identifier: MIT
// Rich text for labels: emoji in the colour font, spaces and markup kept as text.

#include "views/EmojiText.hpp"

#include <QTextDocument>

#include <gtest/gtest.h>

namespace fixtora {
namespace {

QString plainTextOf(const QString& html) {
    QTextDocument document;
    document.setHtml(html);
    return document.toPlainText();
}

TEST(EmojiText, KeepsTheTextAndMarksEachEmojiRun) {
    const std::pair<QString, int> cases[] = {
        {QStringLiteral("\u26BD  Premier League"), 1},
        // The warning sign and its variation selector stay together.
        {QStringLiteral("\u26A0\uFE0F  <b>bad</b> & \"odd\""), 1},  // markup is text
        {QStringLiteral("  45'  Name (P)  [Club]"), 0},
        {QStringLiteral("\U0001F534 live \U0001F550"), 2}};
    for (const auto& [text, emojiRuns] : cases) {
        const QString html = EmojiText::toHtml(text);
        EXPECT_EQ(plainTextOf(html), text);
        EXPECT_EQ(html.count(QStringLiteral("Noto Color Emoji")), emojiRuns) << text.toStdString();
    }
}

}  // namespace
}  // namespace fixtora
