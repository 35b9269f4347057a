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

struct EmojiCase {
    const char* name;
    QString text;
    int emojiRuns;
};

class EmojiTextTest : public ::testing::TestWithParam<EmojiCase> {};

TEST_P(EmojiTextTest, KeepsTheTextAndMarksEachEmojiRun) {
    const auto& c = GetParam();
    const QString html = EmojiText::toHtml(c.text);
    EXPECT_EQ(plainTextOf(html), c.text);
    EXPECT_EQ(html.count(QStringLiteral("Noto Color Emoji")), c.emojiRuns);
}

INSTANTIATE_TEST_SUITE_P(
    Texts, EmojiTextTest,
    ::testing::Values(
        EmojiCase{"title", QStringLiteral("\u26BD  Premier League"), 1},
        // The warning sign and its variation selector stay together.
        EmojiCase{"warning", QStringLiteral("\u26A0\uFE0F  Server returned HTTP 503"), 1},
        EmojiCase{"markup_is_text", QStringLiteral("\u26A0\uFE0F  <b>bad</b> & \"odd\""), 1},
        EmojiCase{"plain", QStringLiteral("  45'  Name (P)  [Club]"), 0},
        EmojiCase{"astral", QStringLiteral("\U0001F534 live \U0001F550"), 2}),
    [](const auto& p) { return std::string(p.param.name); });

}  // namespace
}  // namespace fixtora
