// SPDX-License-Identifier: MIT
#pragma once

#include <cstddef>
#include <string>

namespace fixtora::demo {

struct DemoClub;

/// Draws a club's crest: a 64 × 64 shield in its colours, with one of a few
/// patterns chosen by the club's position, as PNG bytes.
class CrestImage {
  public:
    static constexpr int kSize = 64;
    static std::string png(const DemoClub& club, std::size_t pattern);
};

}  // namespace fixtora::demo
