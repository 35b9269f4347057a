// SPDX-License-Identifier: MIT
#pragma once

#include "platform/SystemInfo.hpp"

#include <filesystem>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace fixtora {

/// `SystemInfo` for Linux without any toolkit: the system from os-release
/// (uname when there is none), the model from the DMI product name, the
/// locale from the POSIX locale variables and the time zone from the host's
/// zone as ICU detects it. Screen, appearance and layout direction are only
/// known to the desktop shell, which sets them; until then there is no
/// screen, the appearance is light and there is no layout direction.
class LinuxSystemInfo final : public SystemInfo {
  public:
    /// Where the static readings come from; tests point these at files of
    /// their own.
    struct Sources {
        std::vector<std::filesystem::path> osReleaseFiles{"/etc/os-release", "/usr/lib/os-release"};
        std::filesystem::path dmiProductName = "/sys/class/dmi/id/product_name";
    };

    /// The parts of a POSIX locale name such as "en_GB.UTF-8@euro".
    struct LocaleParts {
        std::string identifier;  // "en_GB"
        std::optional<std::string> language;
        std::optional<std::string> region;
    };

    LinuxSystemInfo();
    explicit LinuxSystemInfo(const Sources& sources);

    std::string platformName() const override;
    std::string systemName() const override;
    OperatingSystemVersion systemVersion() const override;
    std::string architecture() const override;
    std::string modelName() const override;

    std::optional<ScreenInfo> mainScreen() const override;
    Appearance appearance() const override;
    std::optional<LayoutDirection> layoutDirection() const override;

    std::string localeIdentifier() const override;
    std::optional<std::string> regionCode() const override;
    std::optional<std::string> languageCode() const override;
    std::vector<std::string> preferredLanguages() const override;
    std::string timeZoneIdentifier() const override;

    void setMainScreen(std::optional<ScreenInfo> screen);
    void setAppearance(Appearance appearance);
    void setLayoutDirection(std::optional<LayoutDirection> direction);

    /// Reads "1.2.3", "22.04", "12" or "rolling" into numbers; what is not a
    /// number reads 0.
    static OperatingSystemVersion parseVersion(std::string_view text);
    /// The value of `key` in os-release text (quotes removed), if present.
    static std::optional<std::string> osReleaseValue(std::string_view text, std::string_view key);
    /// Splits a POSIX locale name; "C" and "POSIX" (with any codeset) read as
    /// "en_US_POSIX".
    static LocaleParts parseLocale(std::string_view posixName);
    /// The user's preferred languages from a GNU LANGUAGE list ("de_AT:de")
    /// or, when that is empty, the locale itself, as language tags.
    static std::vector<std::string> languageTags(std::string_view languageList,
                                                 const LocaleParts& locale);

  private:
    /// The effective locale for messages: LC_ALL, LC_MESSAGES, then LANG.
    static LocaleParts currentLocale();

    std::string m_platformName;
    std::string m_systemName;
    OperatingSystemVersion m_version;
    std::string m_architecture;
    std::string m_modelName;

    mutable std::mutex m_mutex;
    std::optional<ScreenInfo> m_screen;
    Appearance m_appearance = Appearance::Light;
    std::optional<LayoutDirection> m_layoutDirection;
};

}  // namespace fixtora
