// SPDX-License-Identifier: MIT
#pragma once

// Whole-file helpers for the caches. Both are best effort and never throw.

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

namespace fixtora {

/// The bytes of a regular file, or nothing when it is missing or unreadable.
std::optional<std::string> readCacheFile(const std::filesystem::path& file);

/// Replaces `file` with `bytes` through a temporary file in the same folder
/// and a rename, so that readers see the old or the new contents, never a
/// half-written file. Returns false (leaving no temporary file behind) when
/// anything fails.
bool writeCacheFileAtomically(const std::filesystem::path& file, std::string_view bytes);

}  // namespace fixtora
