// SPDX-License-Identifier: MIT
#pragma once

#include "platform/ImageDecoder.hpp"

namespace fixtora {

/// `ImageDecoder` on QImage: any format the Qt image plugins read (PNG,
/// JPEG, GIF, SVG with Qt SVG, ...). Yields a `QtImage`. Pictures larger
/// than `kMaxPixels` are refused before they are decoded, so a hostile file
/// cannot make the process allocate gigabytes. With a `maxEdge`, larger
/// pictures are scaled down (aspect kept) as they are decoded, so that what
/// is kept in memory matches what is drawn. Safe from any thread.
class QtImageDecoder final : public ImageDecoder {
  public:
    static constexpr long long kMaxPixels = 4096LL * 4096LL;

    /// `maxEdge` in pixels; 0 keeps pictures at their own size.
    explicit QtImageDecoder(int maxEdge = 0) : m_maxEdge(maxEdge) {}

    std::shared_ptr<const Image> decode(std::string_view bytes) const override;

  private:
    int m_maxEdge;
};

}  // namespace fixtora
