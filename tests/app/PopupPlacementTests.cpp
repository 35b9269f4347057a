// SPDX-License-Identifier: MIT
#include "app/PopupPlacement.hpp"
#include "platform/qt/ScreenPixels.hpp"

#include <gtest/gtest.h>

#include <optional>
#include <vector>

using namespace fixtora;

namespace {

const QSize kPopup(380, 520);
// A 1920 × 1080 screen with a 28-pixel panel at the top or at the bottom.
const QRect kBelowTop(0, 28, 1920, 1052);
const QRect kAboveBottom(0, 0, 1920, 1052);

// Without an expected corner only the general rules are checked.
struct Case {
    const char* name;
    QRect anchor, available;
    std::optional<QPoint> expected;
};

class PopupPlacementTest : public ::testing::TestWithParam<Case> {};

TEST_P(PopupPlacementTest, StaysOnScreenAndClearOfTheItem) {
    const Case& c = GetParam();
    const QRect frame = PopupPlacement::place(kPopup, c.anchor, c.available);
    EXPECT_TRUE(frame.size() == kPopup && c.available.contains(frame) &&
                !frame.intersects(c.anchor))
        << frame.x() << "," << frame.y();
    EXPECT_EQ(frame.topLeft(), c.expected.value_or(frame.topLeft()));
}

INSTANTIATE_TEST_SUITE_P(
    Panels, PopupPlacementTest,
    ::testing::Values(
        // Under a top panel's item, pushed to stay on screen; above a bottom one, centred.
        Case{"top_right_corner", {1890, 2, 24, 24}, kBelowTop, QPoint(1540, 30)},
        Case{"top_left_corner", {2, 2, 24, 24}, kBelowTop, QPoint(0, 30)},
        Case{"bottom_middle", {950, 1054, 24, 24}, kAboveBottom, QPoint(771, 530)},
        // A screen whose origin is not 0,0 (second monitor on the left).
        Case{"left_monitor", {-100, 2, 24, 24}, {-1280, 28, 1280, 996}, QPoint(-380, 30)},
        // Side panel on a screen too short for above or below: beside it.
        Case{"side_panel_short_screen", {2, 300, 24, 24}, {28, 0, 1000, 600}, QPoint(30, 51)},
        // No anchor: the top right corner of the usable area.
        Case{"unanchored", {}, kBelowTop, QPoint(1536, 32)}),
    [](const auto& p) { return std::string(p.param.name); });

TEST(PopupPlacementScreen, TooSmallForTheItemToBeAvoidedStillKeepsThePopupOnScreen) {
    const QRect available(0, 0, 400, 540);
    EXPECT_TRUE(available.contains(PopupPlacement::place(kPopup, {180, 260, 24, 24}, available)));
}

// X11 panels that are not Qt programs tell the item's place in device pixels:
// here a 200 % screen (3840 × 2160 pixels) and, right of it, a 100 % one. Qt
// keeps each screen's corner where the device pixels put it.
TEST(ScreenPixels, DeviceToLogical) {
    const std::vector<ScreenPixels::Screen> screens = {{QRect(0, 0, 1920, 1080), 2},
                                                       {QRect(3840, 0, 1280, 1024), 1}};
    // Two on the scaled screen, one on the unscaled one, one off every screen.
    const QPoint deviceLogical[][2] = {{{3700, 20}, {1850, 10}},
                                       {{1930, 500}, {965, 250}},
                                       {{3850, 500}, {3850, 500}},
                                       {{-5, -5}, {-5, -5}}};
    for (const auto& [device, logical] : deviceLogical)
        EXPECT_EQ(ScreenPixels::toLogical(device, screens), logical) << device.x();
}

}  // namespace
