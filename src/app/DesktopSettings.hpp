// SPDX-License-Identifier: MIT
#pragma once

#include <QString>

#include <filesystem>

namespace fixtora {

class Preferences;

/// "Start at Login": an XDG autostart entry for the app in
/// $XDG_CONFIG_HOME/autostart (~/.config/autostart when that is unset or
/// not absolute). Off until the user turns it on; the entry's presence is
/// the setting, so removing it by hand turns it off.
class Autostart {
  public:
    static constexpr const char* kEntryName = "com.fixtora.Fixtora.desktop";

    /// The entry for the current environment.
    static std::filesystem::path defaultEntryPath();
    /// The entry's text for starting `program` (an absolute path).
    static QString desktopEntry(const QString& program);

    Autostart(std::filesystem::path entry, QString program);

    bool isEnabled() const;
    /// Writes (atomically) or removes the entry; false when that failed.
    bool setEnabled(bool enabled);

    const std::filesystem::path& entryPath() const { return m_entry; }

  private:
    std::filesystem::path m_entry;
    QString m_program;
};

/// "Share Anonymous Usage Statistics": on unless the user turned it off, or,
/// while the user has not chosen, when the environment asks not to be
/// tracked (DO_NOT_TRACK=1).
class UsageSharing {
  public:
    static constexpr const char* kKey = "share_usage_statistics";

    /// `doNotTrack` is the value of DO_NOT_TRACK (null when unset).
    static bool isEnabled(const Preferences& preferences, const char* doNotTrack);
    static void setEnabled(Preferences& preferences, bool enabled);
};

}  // namespace fixtora
