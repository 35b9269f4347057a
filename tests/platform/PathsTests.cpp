// SPDX-License-Identifier: MIT
#include "platform/Paths.hpp"

#include <gtest/gtest.h>

#include <cstdlib>
#include <optional>
#include <string>

using namespace fixtora;

namespace {
// Sets an environment variable for the scope of one test.
class ScopedEnv {
public:
    ScopedEnv(const char* name, const char* value) : m_name(name) {
        if (const char* old = std::getenv(name)) m_old = old;
        if (value) setenv(name, value, 1); else unsetenv(name);
    }
    ~ScopedEnv() {
        if (m_old) setenv(m_name, m_old->c_str(), 1); else unsetenv(m_name);
    }
private:
    const char* m_name;
    std::optional<std::string> m_old;
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
