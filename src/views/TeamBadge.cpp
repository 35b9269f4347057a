// SPDX-License-Identifier: MIT
#include "views/TeamBadge.hpp"

#include "data/ImageCache.hpp"
#include "platform/qt/QtImage.hpp"
#include "views/Theme.hpp"

#include <QPainter>
#include <QPainterPath>
#include <QPointer>
#include <QUrl>

namespace fixtora {

namespace {

constexpr double kCornerRadius = 2;
constexpr double kPlaceholderOpacity = 0.2;

QImage toQImage(const std::shared_ptr<const Image>& image) {
    if (const auto* qt = dynamic_cast<const QtImage*>(image.get())) return qt->image();
    return {};
}

}  // namespace

std::optional<std::string> TeamBadge::crestUrl(const std::optional<std::string>& logo) {
    if (!logo) return std::nullopt;
    const QUrl url(QString::fromStdString(*logo), QUrl::StrictMode);
    if (!url.isValid() || url.isRelative() || url.host().isEmpty()) return std::nullopt;
    return logo;
}

TeamBadge::TeamBadge(std::optional<std::string> url, std::shared_ptr<ImageCache> images,
                     QWidget* parent)
    : QWidget(parent), m_url(std::move(url)), m_images(std::move(images)) {
    setFixedSize(kSize, kSize);
    setAttribute(Qt::WA_TransparentForMouseEvents, true);
}

void TeamBadge::setUrl(std::optional<std::string> url) {
    if (url == m_url) return;
    m_url = std::move(url);
    m_image = QImage();
    m_scaled = QImage();
    m_loadPending = isVisible();
    update();
}

void TeamBadge::load() {
    if (!m_url || !m_images) return;
    if (auto image = toQImage(m_images->image(*m_url)); !image.isNull()) {
        if (image.cacheKey() != m_image.cacheKey()) {
            m_image = std::move(image);
            m_scaled = QImage();
            update();
        }
        return;
    }
    QPointer<TeamBadge> self(this);
    const std::string requested = *m_url;
    m_images->load(requested, [self, requested](std::shared_ptr<const Image> loaded) {
        // The badge may be gone, or show another club by now.
        if (!self || self->m_url != requested) return;
        QImage image = toQImage(loaded);
        if (image.isNull()) return;
        self->m_image = std::move(image);
        self->m_scaled = QImage();
        self->update();
    });
}

void TeamBadge::paintEvent(QPaintEvent*) {
    if (m_loadPending) {
        m_loadPending = false;
        load();
    }
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing, true);
    painter.setRenderHint(QPainter::SmoothPixmapTransform, true);
    const QRectF frame(0, 0, kSize, kSize);
    if (!m_image.isNull()) {
        QSizeF size = m_image.size();
        size.scale(frame.size(), Qt::KeepAspectRatio);
        const QRectF target(frame.center().x() - size.width() / 2,
                            frame.center().y() - size.height() / 2, size.width(), size.height());
        // Crests are usually far larger than the badge: scale them down once
        // with a proper filter rather than sampling on every paint.
        const qreal ratio = devicePixelRatioF();
        const QSize pixels = (size * ratio).toSize();
        if (m_scaled.isNull() || m_scaled.size() != pixels) {
            m_scaled = m_image.scaled(pixels, Qt::KeepAspectRatio, Qt::SmoothTransformation);
        }
        painter.drawImage(target, m_scaled);
        return;
    }
    QColor fill = Theme::colour(Theme::Colour::Secondary, palette());
    fill.setAlphaF(fill.alphaF() * static_cast<float>(kPlaceholderOpacity));
    QPainterPath path;
    path.addRoundedRect(frame, kCornerRadius, kCornerRadius);
    painter.fillPath(path, fill);
}

void TeamBadge::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    // Shown is not yet seen: a row below the fold is shown too.
    m_loadPending = true;
    update();
}

}  // namespace fixtora
