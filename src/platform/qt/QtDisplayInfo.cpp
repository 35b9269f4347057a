// SPDX-License-Identifier: MIT
#include "platform/qt/QtDisplayInfo.hpp"

#include <QEvent>
#include <QGuiApplication>
#include <QPalette>
#include <QScreen>

namespace fixtora {

QtDisplayInfo::QtDisplayInfo(Sink sink, QObject* parent)
    : QObject(parent), m_sink(std::move(sink)) {
    if (auto* app = qobject_cast<QGuiApplication*>(QCoreApplication::instance())) {
        connect(app, &QGuiApplication::primaryScreenChanged, this, [this] {
            watchPrimaryScreen();
            report();
        });
        connect(app, &QGuiApplication::layoutDirectionChanged, this, &QtDisplayInfo::report);
        // Palette changes arrive as an event to the application object.
        app->installEventFilter(this);
        watchPrimaryScreen();
    }
    report();
}

QtDisplayInfo::Readings QtDisplayInfo::read() {
    Readings r;
    auto* app = qobject_cast<QGuiApplication*>(QCoreApplication::instance());
    if (!app) return r;
    if (QScreen* screen = QGuiApplication::primaryScreen()) {
        const QRect g = screen->geometry();
        r.mainScreen = ScreenInfo{static_cast<double>(g.width()), static_cast<double>(g.height()),
                                  screen->devicePixelRatio()};
    }
    r.appearance = appearanceOf(QGuiApplication::palette());
    r.layoutDirection = QGuiApplication::layoutDirection() == Qt::RightToLeft
                            ? LayoutDirection::RightToLeft
                            : LayoutDirection::LeftToRight;
    return r;
}

Appearance QtDisplayInfo::appearanceOf(const QPalette& palette) {
    const QColor window = palette.color(QPalette::Active, QPalette::Window);
    return window.lightness() < 128 ? Appearance::Dark : Appearance::Light;
}

bool QtDisplayInfo::eventFilter(QObject* watched, QEvent* event) {
    if (watched == QCoreApplication::instance() &&
        event->type() == QEvent::ApplicationPaletteChange)
        report();
    return QObject::eventFilter(watched, event);
}

void QtDisplayInfo::watchPrimaryScreen() {
    QScreen* screen = QGuiApplication::primaryScreen();
    if (!screen) return;
    // UniqueConnection: the same screen may become primary more than once.
    connect(screen, &QScreen::geometryChanged, this, &QtDisplayInfo::report, Qt::UniqueConnection);
    connect(screen, &QScreen::logicalDotsPerInchChanged, this, &QtDisplayInfo::report,
            Qt::UniqueConnection);
}

void QtDisplayInfo::report() {
    Readings now = read();
    if (m_last && *m_last == now) return;
    m_last = now;
    if (m_sink) m_sink(now);
}

}  // namespace fixtora
