// SPDX-License-Identifier: MIT
#include "app/PopupWindow.hpp"

#include "app/PerfLog.hpp"

#include <QTimer>
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
    m_paintPending = true;
    emit shown();
}

void PopupWindow::paintEvent(QPaintEvent* event) {
    QFrame::paintEvent(event);
    if (!m_paintPending) return;
    m_paintPending = false;
    // The children paint and the window is flushed within this same repaint;
    // the zero timer fires once all of it is done.
    QTimer::singleShot(0, this, [] { PerfLog::mark("popup painted"); });
}

void PopupWindow::hideEvent(QHideEvent* event) {
    QFrame::hideEvent(event);
    m_hidden.start();
    PerfLog::mark("popup hidden");
    emit hidden();
}

}  // namespace fixtora
