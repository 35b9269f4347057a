// SPDX-License-Identifier: MIT
#pragma once

#include <memory>
#include <string_view>

namespace fixtora {

/// A decoded picture. The shell's adapter subclasses it to carry its own
/// image type; the core only needs to know it exists and its size.
class Image {
  public:
    virtual ~Image() = default;
    virtual int width() const = 0;
    virtual int height() const = 0;
};

/// Turns downloaded bytes into an image, or nothing when they are not one.
/// Safe to call from any thread.
class ImageDecoder {
  public:
    virtual ~ImageDecoder() = default;
    virtual std::shared_ptr<const Image> decode(std::string_view bytes) const = 0;
};

}  // namespace fixtora
