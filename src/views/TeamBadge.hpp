// SPDX-License-Identifier: MIT
#pragma once

#include <QImage>
#include <QWidget>

#include <memory>
#include <optional>
#include <string>

namespace fixtora {

class ImageCache;

/// A club crest, 18 × 18: the image from the crest cache scaled to fit, or
/// a faint rounded square until it is there. Each time the badge appears it
/// looks for the crest again, so a crest that failed to load is retried.
/// "Appears" means drawn: a badge of a row outside a scroll area's viewport
/// is shown but never drawn, and its crest is not loaded until it is.
class TeamBadge final : public QWidget {
  public:
    static constexpr int kSize = 18;

    /// `url` is the crest's address (a team's logo), absent when there is
    /// none; `images` may be null (placeholder only).
    TeamBadge(std::optional<std::string> url, std::shared_ptr<ImageCache> images,
              QWidget* parent = nullptr);

    /// A crest address from a club's logo text: absent when there is no logo
    /// or it is not an absolute URL with a host.
    static std::optional<std::string> crestUrl(const std::optional<std::string>& logo);

    /// Points the badge at another crest; the image is looked up again.
    void setUrl(std::optional<std::string> url);
    const std::optional<std::string>& url() const { return m_url; }

    /// The loaded crest; null while the placeholder shows.
    const QImage& image() const { return m_image; }
    bool hasImage() const { return !m_image.isNull(); }

    /// Looks the crest up in memory, or asks the cache to load it.
    void load();

  protected:
    void paintEvent(QPaintEvent* event) override;
    void showEvent(QShowEvent* event) override;

  private:
    std::optional<std::string> m_url;
    std::shared_ptr<ImageCache> m_images;
    QImage m_image;
    QImage m_scaled;             // m_image at the size drawn
    bool m_loadPending = false;  // shown, not drawn since
};

}  // namespace fixtora
