// SPDX-License-Identifier: MIT
#include "platform/linux/LinuxSystemInfo.hpp"
#include "support/TempDir.hpp"

#include <gtest/gtest.h>

namespace fixtora {
namespace {

TEST(LinuxSystemInfo, ReadsTheSystemFromOsReleaseAndTheModelFromDmiOrFallsBackToUname) {
    test::TempDir dir;
    test::writeFile(dir.path() / "os-release",
                    "# comment\nNAME=\"Ubuntu\"\nVERSION=\"22.04.4 LTS\"\nVERSION_ID=\"22.04\"\n");
    test::writeFile(dir.path() / "product_name", "ThinkPad X1 Carbon Gen 9\n");
    LinuxSystemInfo info(
        {{dir.path() / "none", dir.path() / "os-release"}, dir.path() / "product_name"});
    EXPECT_EQ(info.systemName(), "Ubuntu");
    EXPECT_EQ(info.systemVersion(), (OperatingSystemVersion{22, 4, 0}));
    EXPECT_EQ(info.modelName(), "ThinkPad X1 Carbon Gen 9");
    LinuxSystemInfo bare({{dir.path() / "none"}, dir.path() / "none"});
    EXPECT_EQ(bare.systemName(), bare.platformName());
    EXPECT_EQ(bare.modelName(), bare.architecture());
}

TEST(LinuxSystemInfo, ParsesVersions) {
    const std::pair<const char*, OperatingSystemVersion> cases[] = {
        {"12", {12, 0, 0}},       {"22.04", {22, 4, 0}},  {"6.1.0-18-amd64", {6, 1, 0}},
        {"39.1.2.7", {39, 1, 2}}, {"rolling", {0, 0, 0}}, {"", {0, 0, 0}},
    };
    for (const auto& [text, version] : cases)
        EXPECT_EQ(LinuxSystemInfo::parseVersion(text), version) << text;
}

TEST(LinuxSystemInfo, SplitsPosixLocaleNames) {
    struct Case {
        const char* name;
        const char* identifier;
        std::optional<std::string> language, region;
    };
    const Case cases[] = {
        {"en_GB.UTF-8", "en_GB", "en", "GB"},     {"de_AT.utf8@euro", "de_AT", "de", "AT"},
        {"fr", "fr", "fr", std::nullopt},         {"es_419", "es_419", "es", "419"},
        {"C.UTF-8", "en_US_POSIX", "en", "US"},   {"POSIX", "en_US_POSIX", "en", "US"},
        {"../../etc", "en_US_POSIX", "en", "US"},
    };
    for (const auto& c : cases) {
        const auto parts = LinuxSystemInfo::parseLocale(c.name);
        EXPECT_EQ(parts.identifier, c.identifier) << c.name;
        EXPECT_EQ(parts.language, c.language) << c.name;
        EXPECT_EQ(parts.region, c.region) << c.name;
    }
    const auto locale = LinuxSystemInfo::parseLocale("pt_BR.UTF-8");
    EXPECT_EQ(LinuxSystemInfo::languageTags("de_AT:de::fr_CH.UTF-8:de", locale),
              (std::vector<std::string>{"de-AT", "de", "fr-CH"}));
    EXPECT_EQ(LinuxSystemInfo::languageTags("", locale), (std::vector<std::string>{"pt-BR"}));
}

}  // namespace
}  // namespace fixtora
