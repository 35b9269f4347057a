// SPDX-License-Identifier: MIT
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace fixtora::demo {

/// Writes 8-bit RGBA pixels as a PNG file (zlib-compressed, no filtering).
class PngEncoder {
  public:
    /// `rgba` holds width × height × 4 bytes, row by row from the top.
    /// Throws std::invalid_argument when the sizes disagree.
    static std::string encodeRgba(int width, int height, const std::vector<std::uint8_t>& rgba);
};

}  // namespace fixtora::demo
