// SPDX-License-Identifier: MIT
#pragma once

#include <compare>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace fixtora {

/// A version number "MAJOR.MINOR.PATCH[-PRERELEASE][+BUILD]", ordered by
/// semantic-versioning precedence: numbers compare numerically, a
/// pre-release comes before its release, build metadata is ignored.
struct SemanticVersion {
    unsigned long long major = 0;
    unsigned long long minor = 0;
    unsigned long long patch = 0;
    std::vector<std::string> prerelease;  // dot-separated identifiers

    /// Reads a version; a leading "v" and missing minor or patch numbers
    /// ("2", "2.1") are accepted. Nothing for anything else.
    static std::optional<SemanticVersion> parse(std::string_view text);

    std::string toString() const;

    friend std::strong_ordering operator<=>(const SemanticVersion& a, const SemanticVersion& b);
    friend bool operator==(const SemanticVersion& a, const SemanticVersion& b) {
        return (a <=> b) == std::strong_ordering::equal;
    }
};

}  // namespace fixtora
