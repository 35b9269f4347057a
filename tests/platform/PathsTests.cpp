// SPDX-License-Identifier: MIT
#include "platform/Paths.hpp"

#include <gtest/gtest.h>

#include <cstdlib>
#include <optional>
#include <string>

using namespace fixtora;

namespace {
// Sets (or, given null, unsets) an environment variable for one test.
struct ScopedEnv {
    ScopedEnv(const char* key, const char* value) : name(key) {
        if (const char* was = std::getenv(name)) old = was;
        value ? setenv(name, value, 1) : unsetenv(name);
    }
    ~ScopedEnv() { old ? setenv(name, old->c_str(), 1) : unsetenv(name); }
    const char* name;
    std::optional<std::string> old;
};
}  // namespace

TEST(XdgPaths, UsesAbsoluteXdgVariablesElseHomeFallbacks) {
    ScopedEnv home("HOME", "/home/someone");
    {
        ScopedEnv cache("XDG_CACHE_HOME", "/var/cache-x");
        ScopedEnv config("XDG_CONFIG_HOME", "relative/ignored");
        XdgPaths p;
        EXPECT_EQ(p.cachesDir(), "/var/cache-x");
        EXPECT_EQ(p.configDir(), "/home/someone/.config");
    }
    ScopedEnv cache("XDG_CACHE_HOME", nullptr);
    ScopedEnv runtime("XDG_RUNTIME_DIR", nullptr);
    XdgPaths p;
    EXPECT_EQ(p.cachesDir(), "/home/someone/.cache");
    EXPECT_EQ(p.runtimeDir(), "/home/someone/.cache");
}
