// SPDX-License-Identifier: MIT
#include "app/SemanticVersion.hpp"

#include <algorithm>
#include <charconv>

namespace fixtora {
namespace {

bool isDigits(std::string_view s) {
    return !s.empty() &&
           std::all_of(s.begin(), s.end(), [](char c) { return c >= '0' && c <= '9'; });
}

std::optional<unsigned long long> number(std::string_view s) {
    // No leading zeros, as in semantic versioning ("01" is not a number).
    if (!isDigits(s) || (s.size() > 1 && s[0] == '0')) return std::nullopt;
    unsigned long long v = 0;
    auto [ptr, ec] = std::from_chars(s.data(), s.data() + s.size(), v);
    if (ec != std::errc() || ptr != s.data() + s.size()) return std::nullopt;
    return v;
}

std::vector<std::string_view> split(std::string_view s, char sep) {
    std::vector<std::string_view> parts;
    std::size_t start = 0;
    while (true) {
        const auto pos = s.find(sep, start);
        parts.push_back(
            s.substr(start, pos == std::string_view::npos ? std::string_view::npos : pos - start));
        if (pos == std::string_view::npos) break;
        start = pos + 1;
    }
    return parts;
}

bool isIdentifier(std::string_view s) {
    return !s.empty() && std::all_of(s.begin(), s.end(), [](char c) {
        return (c >= '0' && c <= '9') || (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') ||
               c == '-';
    });
}

}  // namespace

std::optional<SemanticVersion> SemanticVersion::parse(std::string_view text) {
    if (!text.empty() && (text[0] == 'v' || text[0] == 'V')) text.remove_prefix(1);
    if (auto plus = text.find('+'); plus != std::string_view::npos) {
        const auto build = text.substr(plus + 1);
        for (auto id : split(build, '.'))
            if (!isIdentifier(id)) return std::nullopt;
        text = text.substr(0, plus);
    }
    SemanticVersion v;
    if (auto dash = text.find('-'); dash != std::string_view::npos) {
        for (auto id : split(text.substr(dash + 1), '.')) {
            if (!isIdentifier(id) || (isDigits(id) && !number(id))) return std::nullopt;
            v.prerelease.emplace_back(id);
        }
        text = text.substr(0, dash);
    }
    const auto parts = split(text, '.');
    if (parts.size() > 3) return std::nullopt;
    unsigned long long* fields[] = {&v.major, &v.minor, &v.patch};
    for (std::size_t i = 0; i < parts.size(); ++i) {
        auto n = number(parts[i]);
        if (!n) return std::nullopt;
        *fields[i] = *n;
    }
    return v;
}

std::string SemanticVersion::toString() const {
    std::string s =
        std::to_string(major) + "." + std::to_string(minor) + "." + std::to_string(patch);
    for (std::size_t i = 0; i < prerelease.size(); ++i) s += (i == 0 ? "-" : ".") + prerelease[i];
    return s;
}

std::strong_ordering operator<=>(const SemanticVersion& a, const SemanticVersion& b) {
    if (auto c = a.major <=> b.major; c != 0) return c;
    if (auto c = a.minor <=> b.minor; c != 0) return c;
    if (auto c = a.patch <=> b.patch; c != 0) return c;
    // A release ranks above any of its pre-releases.
    if (a.prerelease.empty() || b.prerelease.empty())
        return a.prerelease.empty() <=> b.prerelease.empty();
    const std::size_t n = std::min(a.prerelease.size(), b.prerelease.size());
    for (std::size_t i = 0; i < n; ++i) {
        const auto& x = a.prerelease[i];
        const auto& y = b.prerelease[i];
        const bool xn = isDigits(x);
        const bool yn = isDigits(y);
        if (xn && yn) {
            // Numeric identifiers have no leading zeros: longer is larger.
            if (auto c = x.size() <=> y.size(); c != 0) return c;
            if (auto c = x <=> y; c != 0) return c;
        } else if (xn != yn) {
            return xn ? std::strong_ordering::less : std::strong_ordering::greater;
        } else if (auto c = x <=> y; c != 0) {
            return c;
        }
    }
    return a.prerelease.size() <=> b.prerelease.size();
}

}  // namespace fixtora
