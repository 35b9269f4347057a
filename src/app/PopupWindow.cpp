// SPDX-License-Identifier: MIT
#include "app/PopupWindow.hpp"

#include <QVBoxLayout>

namespace fixtora {

PopupWindow::PopupWindow(std::unique_ptr<QWidget> content) : QFrame(nullptr, Qt::Popup | Qt::FramelessWindowHint) {
    setObjectName(QStringLiteral("fixturesPopup"));
    setFixedSize(kWidth, kHeight);
    setFrameShape(QFrame::StyledPanel);
    auto* layout = new QVBoxLayout(this);  // NOLINT: Qt parent ownership
    layout->setContentsMargins(0, 0, 0, 0);
    m_content = content.release();  // reparented by the layout
    layout->addWidget(m_content);
}

void PopupWindow::showEvent(QShowEvent* event) {
    QFrame::showEvent(event);
    emit shown();
}

void PopupWindow::hideEvent(QHideEvent* event) {
    QFrame::hideEvent(event);
    m_hidden.start();
    emit hidden();
}

}  // namespace fixtora
