// SPDX-License-Identifier: MIT
#include "app/PopupPlacement.hpp"
#include "platform/qt/ScreenPixels.hpp"

#include <gtest/gtest.h>

#include <ostream>
#include <vector>

using fixtora::PopupPlacement;

namespace {

const QSize kPopup(380, 520);
// A 1920 × 1080 screen with a 28-pixel panel at the top or at the bottom.
const QRect kBelowTopPanel(0, 28, 1920, 1052);
const QRect kAboveBottomPanel(0, 0, 1920, 1052);

struct Case {
    const char* name;
    QRect anchor;
    QRect available;
    QRect expected;  // empty: only the general rules are checked
};

void PrintTo(const Case& c, std::ostream* os) { *os << c.name; }

class PopupPlacementTest : public ::testing::TestWithParam<Case> {};

TEST_P(PopupPlacementTest, StaysOnScreenAndClearOfTheItem) {
    const Case& c = GetParam();
    const QRect frame = PopupPlacement::place(kPopup, c.anchor, c.available);
    EXPECT_EQ(frame.size(), kPopup);
    EXPECT_TRUE(c.available.contains(frame)) << frame.x() << "," << frame.y();
    if (!c.anchor.isEmpty()) { EXPECT_FALSE(frame.intersects(c.anchor)); }
    if (!c.expected.isEmpty()) { EXPECT_EQ(frame, c.expected); }
}

INSTANTIATE_TEST_SUITE_P(
    Panels, PopupPlacementTest,
    ::testing::Values(
        // Top panel: under the item, centred on it.
        Case{"top_middle", QRect(950, 2, 24, 24), kBelowTopPanel, QRect(771, 30, 380, 520)},
        // Top right corner: pushed left to stay on screen.
        Case{"top_right_corner", QRect(1890, 2, 24, 24), kBelowTopPanel, QRect(1540, 30, 380, 520)},
        Case{"top_left_corner", QRect(2, 2, 24, 24), kBelowTopPanel, QRect(0, 30, 380, 520)},
        // Bottom panel: above the item.
        Case{"bottom_middle", QRect(950, 1054, 24, 24), kAboveBottomPanel, QRect(771, 530, 380, 520)},
        Case{"bottom_right_corner", QRect(1890, 1054, 24, 24), kAboveBottomPanel, QRect(1540, 530, 380, 520)},
        Case{"bottom_left_corner", QRect(2, 1054, 24, 24), kAboveBottomPanel, QRect(0, 530, 380, 520)},
        // The strip window inside the usable area, at its top right.
        Case{"strip_top_right", QRect(1840, 32, 76, 22), kBelowTopPanel, QRect(1540, 58, 380, 520)},
        // A screen whose origin is not 0,0 (second monitor on the left).
        Case{"left_monitor_top", QRect(-100, 2, 24, 24), QRect(-1280, 28, 1280, 996), QRect(-380, 30, 380, 520)},
        // Left side panel, item low on a short screen: above it.
        Case{"side_panel_low", QRect(2, 600, 24, 24), QRect(28, 0, 1252, 720), {}},
        // Side panel on a screen too short for above or below: beside it.
        Case{"side_panel_short_screen", QRect(2, 300, 24, 24), QRect(28, 0, 1000, 600), QRect(30, 51, 380, 520)},
        // No anchor: the top right corner of the usable area.
        Case{"unanchored", QRect(), kBelowTopPanel, QRect(1536, 32, 380, 520)}),
    [](const ::testing::TestParamInfo<Case>& p) { return std::string(p.param.name); });

TEST(PopupPlacementScreen, TooSmallForTheItemToBeAvoidedStillKeepsThePopupOnScreen) {
    const QRect available(0, 0, 400, 540);
    const QRect frame = PopupPlacement::place(kPopup, QRect(180, 260, 24, 24), available);
    EXPECT_TRUE(available.contains(frame));
}

}  // namespace

// X11 panels that are not Qt programs tell the item's place in device pixels.
namespace {

using fixtora::ScreenPixels;

struct PixelCase {
    const char* name;
    QPoint device;
    QPoint logical;
};

// A 200 % screen (3840 × 2160 pixels) and, right of it, a 100 % one: Qt
// keeps each screen's corner where the device pixels put it.
const std::vector<ScreenPixels::Screen> kScreens = {{QRect(0, 0, 1920, 1080), 2},
                                                    {QRect(3840, 0, 1280, 1024), 1}};

class ScreenPixelsTest : public ::testing::TestWithParam<PixelCase> {};

TEST_P(ScreenPixelsTest, DeviceToLogical) {
    EXPECT_EQ(ScreenPixels::toLogical(GetParam().device, kScreens), GetParam().logical);
}

INSTANTIATE_TEST_SUITE_P(Screens, ScreenPixelsTest,
                         ::testing::Values(PixelCase{"scaled", {3700, 20}, {1850, 10}},
                                           PixelCase{"scaled_right_half", {1930, 500}, {965, 250}},
                                           PixelCase{"unscaled_beside", {3850, 500}, {3850, 500}},
                                           PixelCase{"off_every_screen", {-5, -5}, {-5, -5}}),
                         [](const auto& p) { return std::string(p.param.name); });

}  // namespace
