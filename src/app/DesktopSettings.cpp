// SPDX-License-Identifier: MIT
#include "app/DesktopSettings.hpp"

#include "platform/Preferences.hpp"

#include <QDir>
#include <QFile>
#include <QSaveFile>

#include <cstdlib>

namespace fixtora {
namespace {

// Quoting of the Exec key: the argument in double quotes with the quote,
// backtick, dollar and backslash escaped; then the string escapes of the file
// format (backslash doubled) and the field code escape (% doubled).
QString execArgument(const QString& program) {
    QString quoted;
    for (const QChar c : program) {
        if (c == u'"' || c == u'`' || c == u'$' || c == u'\\') quoted += u'\\';
        quoted += c;
    }
    quoted.replace(u'\\', QStringLiteral("\\\\"));
    quoted.replace(u'%', QStringLiteral("%%"));
    return u'"' + quoted + u'"';
}

}  // namespace

std::filesystem::path Autostart::defaultEntryPath() {
    std::filesystem::path config;
    if (const char* xdg = std::getenv("XDG_CONFIG_HOME");
        xdg && std::filesystem::path(xdg).is_absolute())
        config = xdg;
    else
        config = std::filesystem::path(QDir::homePath().toStdString()) / ".config";
    return config / "autostart" / kEntryName;
}

QString Autostart::desktopEntry(const QString& program) {
    return QStringLiteral(
               "[Desktop Entry]\n"
               "Type=Application\n"
               "Name=Fixtora\n"
               "Comment=Premier League fixtures and live scores in the panel\n"
               "Exec=%1\n"
               "Icon=com.fixtora.Fixtora\n"
               "Terminal=false\n"
               "X-GNOME-Autostart-enabled=true\n")
        .arg(execArgument(program));
}

Autostart::Autostart(std::filesystem::path entry, QString program)
    : m_entry(std::move(entry)), m_program(std::move(program)) {}

bool Autostart::isEnabled() const {
    std::error_code ignored;
    return std::filesystem::is_regular_file(m_entry, ignored);
}

bool Autostart::setEnabled(bool enabled) {
    std::error_code error;
    if (!enabled) {
        std::filesystem::remove(m_entry, error);
        return !error;
    }
    std::filesystem::create_directories(m_entry.parent_path(), error);
    if (error) return false;
    QSaveFile file(QString::fromStdString(m_entry.string()));
    if (!file.open(QIODevice::WriteOnly)) return false;
    file.write(desktopEntry(m_program).toUtf8());
    return file.commit();
}

bool UsageSharing::isEnabled(const Preferences& preferences, const char* doNotTrack) {
    if (const auto chosen = preferences.boolean(kKey)) return *chosen;
    return !(doNotTrack && QByteArray(doNotTrack).trimmed() == "1");
}

void UsageSharing::setEnabled(Preferences& preferences, bool enabled) {
    preferences.setBoolean(kKey, enabled);
}

}  // namespace fixtora
