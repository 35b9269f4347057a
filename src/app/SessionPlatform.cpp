// SPDX-License-Identifier: MIT
#include "app/SessionPlatform.hpp"

#include <QByteArray>
#include <QGuiApplication>
#include <QString>
#include <QtGlobal>

namespace fixtora {
namespace {

std::string variable(const char* name) {
    return qEnvironmentVariable(name).toStdString();
}

}  // namespace

std::optional<std::string> SessionPlatform::choose(const Environment& env) {
    if (!env.qpaPlatform.empty() || env.waylandDisplay.empty() || env.display.empty())
        return std::nullopt;
    return "xcb";
}

void SessionPlatform::applyToProcess() {
    const auto chosen =
        choose({variable("QT_QPA_PLATFORM"), variable("WAYLAND_DISPLAY"), variable("DISPLAY")});
    if (chosen) qputenv("QT_QPA_PLATFORM", QByteArray::fromStdString(*chosen));
}

bool SessionPlatform::isXWayland() {
    return QGuiApplication::platformName() == u"xcb" &&
           !qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY");
}

}  // namespace fixtora
