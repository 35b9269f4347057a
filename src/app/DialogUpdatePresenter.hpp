// SPDX-License-Identifier: MIT
#pragma once

#include "app/UpdatePresenter.hpp"

#include <QMessageBox>
#include <QPointer>
#include <QUrl>

#include <functional>

namespace fixtora {

/// Shows the update controller's answers as message boxes. One box at a
/// time: a new answer replaces a box still open. "Download" opens the
/// offer's page in the browser.
class DialogUpdatePresenter final : public UpdatePresenter {
  public:
    using UrlOpener = std::function<void(const QUrl&)>;

    explicit DialogUpdatePresenter(UrlOpener openUrl);
    ~DialogUpdatePresenter() override;

    void showUpToDate(const std::string& currentVersion) override;
    void offerUpdate(const UpdateOffer& offer, const std::string& currentVersion) override;
    void showCheckFailed(const std::string& reason) override;

    /// The box on screen, if any (for tests and screenshots).
    QMessageBox* openBox() const { return m_box.data(); }

  private:
    QMessageBox& newBox();

    UrlOpener m_openUrl;
    QPointer<QMessageBox> m_box;
};

}  // namespace fixtora
