// SPDX-License-Identifier: MIT
#pragma once

#include <mutex>
#include <optional>
#include <string>
#include <vector>

namespace fixtora {

/// The running operating system's version, as three numbers (missing parts
/// read 0).
struct OperatingSystemVersion {
    int major = 0;
    int minor = 0;
    int patch = 0;

    friend bool operator==(const OperatingSystemVersion&, const OperatingSystemVersion&) = default;
};

/// The primary screen: frame size in device-independent pixels and the
/// backing scale factor.
struct ScreenInfo {
    double width = 0;
    double height = 0;
    double scale = 1;

    friend bool operator==(const ScreenInfo&, const ScreenInfo&) = default;
};

/// The user's colour appearance. `Other` is any appearance that is neither
/// the standard light nor the standard dark one.
enum class Appearance { Light, Dark, Other };

enum class LayoutDirection { LeftToRight, RightToLeft };

/// What the platform tells about the device, the system and the user's
/// preferences. Read on the main thread; adapters may cache what cannot
/// change while the process runs.
class SystemInfo {
  public:
    virtual ~SystemInfo() = default;

    /// The platform family, e.g. "Linux", "macOS", "Windows".
    virtual std::string platformName() const = 0;
    /// The operating system's own name, e.g. "Debian GNU/Linux", "macOS".
    virtual std::string systemName() const = 0;
    virtual OperatingSystemVersion systemVersion() const = 0;
    /// The CPU architecture as the system names it, e.g. "x86_64", "arm64".
    virtual std::string architecture() const = 0;
    /// The hardware model, e.g. "MacBookPro18,3" or "ThinkPad X1 Carbon".
    virtual std::string modelName() const = 0;

    /// Nothing when there is no screen (headless).
    virtual std::optional<ScreenInfo> mainScreen() const = 0;
    virtual Appearance appearance() const = 0;
    /// Nothing when there is no application object to ask.
    virtual std::optional<LayoutDirection> layoutDirection() const = 0;

    /// The current locale's identifier, e.g. "en_GB".
    virtual std::string localeIdentifier() const = 0;
    /// The locale's region, e.g. "GB"; nothing when the locale has none.
    virtual std::optional<std::string> regionCode() const = 0;
    /// The locale's language, e.g. "en"; nothing when the locale has none.
    virtual std::optional<std::string> languageCode() const = 0;
    /// The user's preferred languages, most preferred first, as language
    /// tags ("en-GB", "de"); may be empty.
    virtual std::vector<std::string> preferredLanguages() const = 0;
    /// The current time zone's identifier ("Europe/London", "UTC", "GMT+05:30").
    virtual std::string timeZoneIdentifier() const = 0;
};

/// A `SystemInfo` that reports the values it is given: for tests and tools.
/// Setters and getters are safe from any thread.
class FixedSystemInfo final : public SystemInfo {
  public:
    struct Values {
        std::string platformName = "Linux";
        std::string systemName = "Debian GNU/Linux";
        OperatingSystemVersion systemVersion{12, 0, 0};
        std::string architecture = "x86_64";
        std::string modelName = "Test Machine";
        std::optional<ScreenInfo> mainScreen;
        Appearance appearance = Appearance::Light;
        std::optional<LayoutDirection> layoutDirection = LayoutDirection::LeftToRight;
        std::string localeIdentifier = "en_GB";
        std::optional<std::string> regionCode = "GB";
        std::optional<std::string> languageCode = "en";
        std::vector<std::string> preferredLanguages{"en-GB"};
        std::string timeZoneIdentifier = "UTC";
    };

    FixedSystemInfo() = default;
    explicit FixedSystemInfo(Values values) : m_values(std::move(values)) {}

    Values values() const {
        std::lock_guard lock(m_mutex);
        return m_values;
    }
    void setValues(Values values) {
        std::lock_guard lock(m_mutex);
        m_values = std::move(values);
    }
    void setTimeZoneIdentifier(std::string id) {
        std::lock_guard lock(m_mutex);
        m_values.timeZoneIdentifier = std::move(id);
    }

    std::string platformName() const override { return values().platformName; }
    std::string systemName() const override { return values().systemName; }
    OperatingSystemVersion systemVersion() const override { return values().systemVersion; }
    std::string architecture() const override { return values().architecture; }
    std::string modelName() const override { return values().modelName; }
    std::optional<ScreenInfo> mainScreen() const override { return values().mainScreen; }
    Appearance appearance() const override { return values().appearance; }
    std::optional<LayoutDirection> layoutDirection() const override {
        return values().layoutDirection;
    }
    std::string localeIdentifier() const override { return values().localeIdentifier; }
    std::optional<std::string> regionCode() const override { return values().regionCode; }
    std::optional<std::string> languageCode() const override { return values().languageCode; }
    std::vector<std::string> preferredLanguages() const override {
        return values().preferredLanguages;
    }
    std::string timeZoneIdentifier() const override { return values().timeZoneIdentifier; }

  private:
    mutable std::mutex m_mutex;
    Values m_values;
};

}  // namespace fixtora
