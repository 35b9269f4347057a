// SPDX-License-Identifier: MIT
#pragma once

#include "platform/ImageDecoder.hpp"

#include <QImage>

namespace fixtora {

/// A decoded picture as Qt holds it; what the views draw.
class QtImage final : public Image {
  public:
    explicit QtImage(QImage image) : m_image(std::move(image)) {}

    int width() const override { return m_image.width(); }
    int height() const override { return m_image.height(); }
    const QImage& image() const { return m_image; }

  private:
    QImage m_image;
};

}  // namespace fixtora
