// SPDX-License-Identifier: MIT
#include "app/DialogUpdatePresenter.hpp"

#include <QMessageBox>
#include <QPushButton>

namespace fixtora {
namespace {

QString qs(const std::string& s) {
    return QString::fromStdString(s);
}

}  // namespace

DialogUpdatePresenter::DialogUpdatePresenter(UrlOpener openUrl) : m_openUrl(std::move(openUrl)) {}

DialogUpdatePresenter::~DialogUpdatePresenter() {
    if (m_box) m_box->deleteLater();
}

QMessageBox& DialogUpdatePresenter::newBox() {
    if (m_box) m_box->close();      // deletes itself
    auto* box = new QMessageBox();  // NOLINT: deletes itself on close
    box->setAttribute(Qt::WA_DeleteOnClose);
    box->setWindowTitle(QStringLiteral("Software Update"));
    box->setWindowFlag(Qt::WindowStaysOnTopHint);
    m_box = box;
    return *box;
}

void DialogUpdatePresenter::showUpToDate(const std::string& currentVersion) {
    QMessageBox& box = newBox();
    box.setIcon(QMessageBox::Information);
    box.setText(QStringLiteral("You're up to date"));
    box.setInformativeText(QStringLiteral("Fixtora %1 is currently the newest version available.")
                               .arg(qs(currentVersion)));
    box.setStandardButtons(QMessageBox::Ok);
    box.show();
}

void DialogUpdatePresenter::offerUpdate(const UpdateOffer& offer,
                                        const std::string& currentVersion) {
    QMessageBox& box = newBox();
    box.setIcon(QMessageBox::Information);
    box.setText(QStringLiteral("A new version of Fixtora is available!"));
    box.setInformativeText(
        QStringLiteral(
            "Fixtora %1 is now available \u2014 you have %2. Would you like to download it now?")
            .arg(qs(offer.version), qs(currentVersion)));
    if (!offer.notes.empty()) box.setDetailedText(qs(offer.notes));
    QPushButton* download = box.addButton(QStringLiteral("Download"), QMessageBox::AcceptRole);
    box.addButton(QStringLiteral("Later"), QMessageBox::RejectRole);
    box.setDefaultButton(download);
    const QUrl url(qs(offer.url));
    QObject::connect(download, &QPushButton::clicked, &box, [open = m_openUrl, url] {
        if (open) open(url);
    });
    box.show();
}

void DialogUpdatePresenter::showCheckFailed(const std::string& reason) {
    QMessageBox& box = newBox();
    box.setIcon(QMessageBox::Warning);
    box.setText(QStringLiteral("Update Error!"));
    box.setInformativeText(qs(reason));
    box.setStandardButtons(QMessageBox::Ok);
    box.show();
}

}  // namespace fixtora
