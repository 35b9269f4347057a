// SPDX-License-Identifier: MIT
#pragma once

// What the fuzz targets share: a failed expectation about a decoder's output
// ends the run like a sanitizer report, with the reason on stderr.

// The standard headers every target needs come with it.
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>

namespace fixtora::fuzz {

[[noreturn]] inline void fail(const char* what) {
    std::fprintf(stderr, "fuzz expectation failed: %s\n", what);
    std::abort();
}

inline void check(bool condition, const char* what) {
    if (!condition) fail(what);
}

/// Whether two stored instants agree: the stored forms keep seconds since
/// 2001, so a value read back may differ from the original by the rounding
/// of that shift.
inline bool sameInstant(double a, double b) {
    if (a == b) return true;
    return std::fabs(a - b) <= 1e-6 * std::fmax(1.0, std::fmax(std::fabs(a), std::fabs(b)));
}

inline std::string_view asText(const unsigned char* data, std::size_t size) {
    return {reinterpret_cast<const char*>(data), size};
}

}  // namespace fixtora::fuzz
