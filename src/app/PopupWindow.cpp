// SPDX-License-Identifier: MIT
#include "app/PopupWindow.hpp"

#include "app/PerfLog.hpp"
#include "app/SessionPlatform.hpp"
#include "platform/AppLook.hpp"

#include <QKeyEvent>
#include <QTimer>
#include <QVBoxLayout>

namespace fixtora {

PopupWindow::PopupWindow(std::unique_ptr<QWidget> content)
    : QFrame(nullptr, flags(SessionPlatform::isXWayland())) {
    setObjectName(QStringLiteral("fixturesPopup"));
    setFixedSize(kPopupWidth, kPopupHeight);
    // A frame would take its width from the content's size.
    setFrameShape(QFrame::NoFrame);
    auto* layout = new QVBoxLayout(this);  // NOLINT: Qt parent ownership
    layout->setContentsMargins(0, 0, 0, 0);
    m_content = content.release();  // reparented by the layout
    layout->addWidget(m_content);
}

Qt::WindowFlags PopupWindow::flags(bool managed) {
    if (!managed) return Qt::Popup | Qt::FramelessWindowHint;
    return Qt::Tool | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint;
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

void PopupWindow::keyPressEvent(QKeyEvent* event) {
    // Whatever kind of window the platform made of it, Escape closes it.
    if (event->key() == Qt::Key_Escape) {
        event->accept();
        hide();
        return;
    }
    QFrame::keyPressEvent(event);
}

void PopupWindow::hideEvent(QHideEvent* event) {
    QFrame::hideEvent(event);
    m_hidden.start();
    PerfLog::mark("popup hidden");
    emit hidden();
}

}  // namespace fixtora
