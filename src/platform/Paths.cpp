// SPDX-License-Identifier: MIT
#include "platform/Paths.hpp"

#include <pwd.h>
#include <unistd.h>
#include <cstdlib>

namespace fixtora {
namespace {

std::filesystem::path homeDir() {
    if (const char* home = std::getenv("HOME"); home && *home) return home;
    if (const passwd* pw = getpwuid(getuid()); pw && pw->pw_dir && *pw->pw_dir) return pw->pw_dir;
    return {};
}

// XDG says relative paths in these variables are invalid and must be ignored.
std::filesystem::path fromEnv(const char* name, const char* homeRelative) {
    if (const char* v = std::getenv(name); v && *v == '/') return v;
    if (auto home = homeDir(); !home.empty()) return home / homeRelative;
    return std::filesystem::temp_directory_path() / ("fixtora-" + std::to_string(getuid()));
}

}  // namespace

std::filesystem::path XdgPaths::cachesDir() const {
    return fromEnv("XDG_CACHE_HOME", ".cache");
}

std::filesystem::path XdgPaths::configDir() const {
    return fromEnv("XDG_CONFIG_HOME", ".config");
}

std::filesystem::path XdgPaths::runtimeDir() const {
    if (const char* v = std::getenv("XDG_RUNTIME_DIR"); v && *v == '/') return v;
    return cachesDir();
}

}  // namespace fixtora
