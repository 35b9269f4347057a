// SPDX-License-Identifier: MIT
#pragma once

#include "platform/ImageDecoder.hpp"

namespace fixtora {

/// `ImageDecoder` on QImage: any format the Qt image plugins read (PNG,
/// JPEG, GIF, SVG with Qt SVG, ...). Yields a `QtImage`. Pictures larger
/// than `kMaxPixels` are refused before they are decoded, so a hostile file
/// cannot make the process allocate gigabytes. Safe from any thread.
class QtImageDecoder final : public ImageDecoder {
public:
    static constexpr long long kMaxPixels = 4096LL * 4096LL;

    std::shared_ptr<const Image> decode(std::string_view bytes) const override;
};

}  // namespace fixtora
