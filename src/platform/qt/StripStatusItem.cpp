// SPDX-License-Identifier: MIT
#include "platform/qt/StripStatusItem.hpp"

#include <QEvent>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QMouseEvent>
#include <QScreen>

namespace fixtora {
namespace {

constexpr int kMargin = 4;  // from the screen's edges

bool isEmojiPart(char32_t c) {
    return (c >= 0x2600 && c <= 0x27BF) || (c >= 0x1F000 && c <= 0x1FAFF) || c == 0xFE0F ||
           c == 0x200D || c == 0x20E3;
}

// Text fonts often carry monochrome glyphs for signs such as the ball and
// the warning sign: set every emoji run in the colour emoji font.
QString titleHtml(const QString& title) {
    QString html;
    QString run;
    auto flush = [&] {
        if (run.isEmpty()) return;
        html += QStringLiteral("<span style=\"font-family:'Noto Color Emoji'\">") + run +
                QStringLiteral("</span>");
        run.clear();
    };
    for (char32_t c : title.toUcs4()) {
        const QString part = QString::fromUcs4(&c, 1);
        if (isEmojiPart(c)) {
            run += part;
            continue;
        }
        flush();
        html += c == U' ' ? QStringLiteral("&nbsp;") : part.toHtmlEscaped();
    }
    flush();
    return html;
}

}  // namespace

StripStatusItem::StripStatusItem(QObject* parent)
    : StatusItem(parent),
      // Out of the window manager's hands (an override-redirect window on
      // X11 and XWayland): a tiling or Wayland compositor would otherwise
      // tile or centre it, wherever it was asked to go.
      m_window(std::make_unique<QWidget>(
          nullptr, Qt::Tool | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint |
                       Qt::WindowDoesNotAcceptFocus | Qt::X11BypassWindowManagerHint)) {
    m_window->setObjectName(QStringLiteral("statusStrip"));
    m_window->setAttribute(Qt::WA_ShowWithoutActivating);
    m_window->setWindowTitle(QStringLiteral("Fixtora"));
    m_window->setAutoFillBackground(true);
    m_window->setCursor(Qt::PointingHandCursor);
    auto* layout = new QHBoxLayout(m_window.get());  // NOLINT: Qt parent ownership
    layout->setContentsMargins(10, 3, 10, 3);
    m_label = new QLabel(m_window.get());  // NOLINT: Qt parent ownership
    m_label->setTextFormat(Qt::RichText);
    layout->addWidget(m_label);
    m_window->installEventFilter(this);
    m_label->installEventFilter(this);
    setTitle(QString());
    m_window->show();
    if (QScreen* screen = QGuiApplication::primaryScreen())
        connect(screen, &QScreen::availableGeometryChanged, this, &StripStatusItem::placeOnScreen);
}

StripStatusItem::~StripStatusItem() = default;

void StripStatusItem::setTitle(const QString& title) {
    m_title = title;
    m_label->setText(titleHtml(title));
    m_window->adjustSize();
    placeOnScreen();
}

QString StripStatusItem::title() const {
    return m_title;
}

QRect StripStatusItem::anchorRect() const {
    return m_window->frameGeometry();
}

bool StripStatusItem::eventFilter(QObject* watched, QEvent* event) {
    if ((watched == m_window.get() || watched == m_label) &&
        event->type() == QEvent::MouseButtonRelease) {
        auto* mouse = static_cast<QMouseEvent*>(event);
        const QPoint pos = mouse->globalPosition().toPoint();
        if (mouse->button() == Qt::LeftButton) emit primaryClicked(pos);
        if (mouse->button() == Qt::RightButton) emit secondaryClicked(pos);
        return true;
    }
    return StatusItem::eventFilter(watched, event);
}

void StripStatusItem::placeOnScreen() {
    QScreen* screen = QGuiApplication::primaryScreen();
    if (!screen) return;
    const QRect area = screen->availableGeometry();
    const QSize size = m_window->sizeHint().expandedTo(m_window->minimumSizeHint());
    m_window->resize(size);
    m_window->move(area.right() + 1 - kMargin - size.width(), area.top() + kMargin);
}

}  // namespace fixtora
