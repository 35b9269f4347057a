// SPDX-License-Identifier: MIT
#include "platform/linux/LinuxSystemInfo.hpp"

#include <unicode/timezone.h>
#include <unicode/unistr.h>

#include <sys/utsname.h>

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <fstream>
#include <memory>
#include <sstream>

namespace fixtora {
namespace {

std::string readWholeFile(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) return {};
    std::ostringstream out;
    out << in.rdbuf();
    return out.str();
}

std::string trimmed(std::string_view s) {
    const auto isSpace = [](unsigned char c) { return std::isspace(c) != 0; };
    while (!s.empty() && isSpace(static_cast<unsigned char>(s.front()))) s.remove_prefix(1);
    while (!s.empty() && isSpace(static_cast<unsigned char>(s.back()))) s.remove_suffix(1);
    return std::string(s);
}

std::string envValue(const char* name) {
    const char* v = std::getenv(
        name);  // NOLINT(concurrency-mt-unsafe): the environment is not changed at run time
    return v ? std::string(v) : std::string();
}

bool isAlpha(std::string_view s) {
    return !s.empty() &&
           std::all_of(s.begin(), s.end(), [](unsigned char c) { return std::isalpha(c) != 0; });
}

bool isDigits(std::string_view s) {
    return !s.empty() &&
           std::all_of(s.begin(), s.end(), [](unsigned char c) { return std::isdigit(c) != 0; });
}

std::string asciiLower(std::string s) {
    for (auto& c : s) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return s;
}

std::string upper(std::string s) {
    for (auto& c : s) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return s;
}

}  // namespace

LinuxSystemInfo::LinuxSystemInfo() : LinuxSystemInfo(Sources{}) {}

LinuxSystemInfo::LinuxSystemInfo(const Sources& sources) {
    utsname uts{};
    const bool haveUname = ::uname(&uts) == 0;
    const std::string sysname = haveUname ? std::string(uts.sysname) : std::string("Linux");
    const std::string release = haveUname ? std::string(uts.release) : std::string();
    const std::string machine = haveUname ? std::string(uts.machine) : std::string();

    m_platformName = sysname.empty() ? std::string("Linux") : sysname;
    m_architecture = machine.empty() ? std::string("unknown") : machine;

    std::string osRelease;
    for (const auto& file : sources.osReleaseFiles) {
        osRelease = readWholeFile(file);
        if (!osRelease.empty()) break;
    }
    const auto name = osReleaseValue(osRelease, "NAME");
    const auto versionId = osReleaseValue(osRelease, "VERSION_ID");
    if (name && !name->empty()) {
        m_systemName = *name;
        m_version = parseVersion(versionId.value_or(""));
    } else {
        m_systemName = m_platformName;
        m_version = parseVersion(release);
    }

    const std::string product = trimmed(readWholeFile(sources.dmiProductName));
    m_modelName = product.empty() ? m_architecture : product;
}

std::string LinuxSystemInfo::platformName() const {
    return m_platformName;
}
std::string LinuxSystemInfo::systemName() const {
    return m_systemName;
}
OperatingSystemVersion LinuxSystemInfo::systemVersion() const {
    return m_version;
}
std::string LinuxSystemInfo::architecture() const {
    return m_architecture;
}
std::string LinuxSystemInfo::modelName() const {
    return m_modelName;
}

std::optional<ScreenInfo> LinuxSystemInfo::mainScreen() const {
    std::lock_guard lock(m_mutex);
    return m_screen;
}

Appearance LinuxSystemInfo::appearance() const {
    std::lock_guard lock(m_mutex);
    return m_appearance;
}

std::optional<LayoutDirection> LinuxSystemInfo::layoutDirection() const {
    std::lock_guard lock(m_mutex);
    return m_layoutDirection;
}

void LinuxSystemInfo::setMainScreen(std::optional<ScreenInfo> screen) {
    std::lock_guard lock(m_mutex);
    m_screen = screen;
}

void LinuxSystemInfo::setAppearance(Appearance appearance) {
    std::lock_guard lock(m_mutex);
    m_appearance = appearance;
}

void LinuxSystemInfo::setLayoutDirection(std::optional<LayoutDirection> direction) {
    std::lock_guard lock(m_mutex);
    m_layoutDirection = direction;
}

std::string LinuxSystemInfo::localeIdentifier() const {
    return currentLocale().identifier;
}
std::optional<std::string> LinuxSystemInfo::regionCode() const {
    return currentLocale().region;
}
std::optional<std::string> LinuxSystemInfo::languageCode() const {
    return currentLocale().language;
}

std::vector<std::string> LinuxSystemInfo::preferredLanguages() const {
    return languageTags(envValue("LANGUAGE"), currentLocale());
}

std::string LinuxSystemInfo::timeZoneIdentifier() const {
    // Detected afresh each time: the user may change the zone while we run.
    const std::unique_ptr<icu::TimeZone> zone(icu::TimeZone::detectHostTimeZone());
    if (!zone) return "UTC";
    icu::UnicodeString id;
    zone->getID(id);
    std::string text;
    id.toUTF8String(text);
    if (text.empty() || text == "Etc/Unknown") return "UTC";
    return text;
}

LinuxSystemInfo::LocaleParts LinuxSystemInfo::currentLocale() {
    for (const char* var : {"LC_ALL", "LC_MESSAGES", "LANG"}) {
        const std::string value = envValue(var);
        if (!value.empty()) return parseLocale(value);
    }
    return parseLocale("C");
}

OperatingSystemVersion LinuxSystemInfo::parseVersion(std::string_view text) {
    int parts[3] = {0, 0, 0};
    std::size_t index = 0;
    std::size_t pos = 0;
    while (index < 3 && pos < text.size()) {
        std::size_t end = pos;
        while (end < text.size() && std::isdigit(static_cast<unsigned char>(text[end])) != 0) ++end;
        if (end == pos) break;  // not a number: the rest reads 0
        int value = 0;
        for (std::size_t i = pos; i < end && value < 100000000; ++i)
            value = value * 10 + (text[i] - '0');
        parts[index++] = value;
        if (end >= text.size() || text[end] != '.') break;
        pos = end + 1;
    }
    return {parts[0], parts[1], parts[2]};
}

std::optional<std::string> LinuxSystemInfo::osReleaseValue(std::string_view text,
                                                           std::string_view key) {
    std::size_t pos = 0;
    while (pos < text.size()) {
        std::size_t eol = text.find('\n', pos);
        if (eol == std::string_view::npos) eol = text.size();
        const std::string line = trimmed(text.substr(pos, eol - pos));
        pos = eol + 1;
        if (line.empty() || line.front() == '#') continue;
        const auto eq = line.find('=');
        if (eq == std::string::npos || std::string_view(line).substr(0, eq) != key) continue;
        std::string value = line.substr(eq + 1);
        if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') &&
            value.back() == value.front()) {
            const char quote = value.front();
            value = value.substr(1, value.size() - 2);
            if (quote == '"') {  // shell-style escapes inside double quotes
                std::string unescaped;
                for (std::size_t i = 0; i < value.size(); ++i) {
                    if (value[i] == '\\' && i + 1 < value.size()) ++i;
                    unescaped += value[i];
                }
                value = unescaped;
            }
        }
        return value;
    }
    return std::nullopt;
}

LinuxSystemInfo::LocaleParts LinuxSystemInfo::parseLocale(std::string_view posixName) {
    // language[_territory][.codeset][@modifier]
    std::string_view name = posixName;
    if (const auto at = name.find('@'); at != std::string_view::npos) name = name.substr(0, at);
    if (const auto dot = name.find('.'); dot != std::string_view::npos) name = name.substr(0, dot);

    if (name.empty() || name == "C" || name == "POSIX") return {"en_US_POSIX", "en", "US"};

    std::string_view language = name;
    std::string_view territory;
    if (const auto sep = name.find_first_of("_-"); sep != std::string_view::npos) {
        language = name.substr(0, sep);
        territory = name.substr(sep + 1);
    }
    if (!isAlpha(language) || language.size() < 2 || language.size() > 3)
        return {"en_US_POSIX", "en", "US"};

    LocaleParts parts;
    parts.language = asciiLower(std::string(language));
    parts.identifier = *parts.language;
    if ((territory.size() == 2 && isAlpha(territory)) ||
        (territory.size() == 3 && isDigits(territory))) {
        parts.region = upper(std::string(territory));
        parts.identifier += "_" + *parts.region;
    }
    return parts;
}

std::vector<std::string> LinuxSystemInfo::languageTags(std::string_view languageList,
                                                       const LocaleParts& locale) {
    std::vector<std::string> tags;
    std::size_t pos = 0;
    while (pos <= languageList.size() && !languageList.empty()) {
        std::size_t end = languageList.find(':', pos);
        if (end == std::string_view::npos) end = languageList.size();
        const auto entry = languageList.substr(pos, end - pos);
        pos = end + 1;
        if (!entry.empty()) {
            const LocaleParts parts = parseLocale(entry);
            // An entry that is not a language name reads as the POSIX locale; skip it.
            if (parts.identifier != "en_US_POSIX" || entry == "C" || entry == "POSIX") {
                std::string tag = parts.language.value_or("en");
                if (parts.region) tag += "-" + *parts.region;
                if (std::find(tags.begin(), tags.end(), tag) == tags.end()) tags.push_back(tag);
            }
        }
        if (end == languageList.size()) break;
    }
    if (tags.empty() && locale.language) {
        std::string tag = *locale.language;
        if (locale.region) tag += "-" + *locale.region;
        tags.push_back(tag);
    }
    return tags;
}

}  // namespace fixtora
