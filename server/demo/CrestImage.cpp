// SPDX-License-Identifier: MIT
#include "CrestImage.hpp"

#include "DemoClubs.hpp"
#include "PngEncoder.hpp"

#include <array>
#include <cmath>
#include <cstdint>
#include <vector>

namespace fixtora::demo {

namespace {

struct Rgb {
    std::uint8_t r, g, b;
};

Rgb parseHex(const std::string& hex) {
    const unsigned long v = std::stoul(hex, nullptr, 16);
    return {static_cast<std::uint8_t>((v >> 16) & 0xFF), static_cast<std::uint8_t>((v >> 8) & 0xFF),
            static_cast<std::uint8_t>(v & 0xFF)};
}

Rgb darker(Rgb c) {
    return {static_cast<std::uint8_t>(c.r * 0.55), static_cast<std::uint8_t>(c.g * 0.55),
            static_cast<std::uint8_t>(c.b * 0.55)};
}

// A shield: straight sides from the top down to y = 34, then an elliptic
// curve to a point at the bottom.
bool insideShield(int x, int y) {
    const double px = x + 0.5;
    const double py = y + 0.5;
    constexpr double kCentre = 32.0;
    constexpr double kHalfWidth = 23.0;
    if (py < 5.0 || py > 60.0) return false;
    double half = kHalfWidth;
    if (py > 34.0) {
        const double t = (py - 34.0) / (60.0 - 34.0);
        half = kHalfWidth * std::sqrt(std::max(0.0, 1.0 - t * t));
    }
    return std::abs(px - kCentre) <= half;
}

}  // namespace

std::string CrestImage::png(const DemoClub& club, std::size_t pattern) {
    const Rgb primary = parseHex(club.color);
    const Rgb secondary = parseHex(club.alternateColor);
    const Rgb outline = darker(primary);
    std::vector<std::uint8_t> pixels(static_cast<std::size_t>(kSize * kSize * 4), 0);
    for (int y = 0; y < kSize; ++y) {
        for (int x = 0; x < kSize; ++x) {
            if (!insideShield(x, y)) continue;
            const bool edge = !insideShield(x - 2, y) || !insideShield(x + 2, y) ||
                              !insideShield(x, y - 2) || !insideShield(x, y + 2);
            bool second = false;
            switch (pattern % 4) {
                case 0:
                    second = x >= 26 && x < 38;
                    break;  // centre stripe
                case 1:
                    second = y >= 20 && y < 32;
                    break;  // band
                case 2:
                    second = x > y;
                    break;  // diagonal halves
                default:
                    second = std::abs(x - 32) + 14 > y - 10 && std::abs(x - 32) + 4 < y - 10;
                    break;  // chevron
            }
            const Rgb c = edge ? outline : second ? secondary : primary;
            const auto i = static_cast<std::size_t>((y * kSize + x) * 4);
            pixels[i] = c.r;
            pixels[i + 1] = c.g;
            pixels[i + 2] = c.b;
            pixels[i + 3] = 255;
        }
    }
    return PngEncoder::encodeRgba(kSize, kSize, pixels);
}

}  // namespace fixtora::demo
