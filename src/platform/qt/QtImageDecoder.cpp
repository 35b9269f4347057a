// SPDX-License-Identifier: MIT
#include "platform/qt/QtImageDecoder.hpp"

#include "platform/qt/QtImage.hpp"

#include <QBuffer>
#include <QByteArray>
#include <QImageReader>

namespace fixtora {

std::shared_ptr<const Image> QtImageDecoder::decode(std::string_view bytes) const {
    if (bytes.empty()) return nullptr;
    QByteArray data = QByteArray::fromRawData(bytes.data(), static_cast<qsizetype>(bytes.size()));
    QBuffer buffer(&data);
    buffer.open(QIODevice::ReadOnly);
    QImageReader reader(&buffer);
    const QSize size = reader.size();
    if (size.isValid() && static_cast<long long>(size.width()) * size.height() > kMaxPixels)
        return nullptr;
    if (m_maxEdge > 0 && size.isValid() && (size.width() > m_maxEdge || size.height() > m_maxEdge))
        reader.setScaledSize(size.scaled(m_maxEdge, m_maxEdge, Qt::KeepAspectRatio));
    QImage image;
    if (!reader.read(&image) || image.isNull()) return nullptr;
    // fromRawData does not copy: detach so the image owns its pixels.
    image.detach();
    return std::make_shared<QtImage>(std::move(image));
}

}  // namespace fixtora
