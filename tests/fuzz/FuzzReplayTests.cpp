// SPDX-License-Identifier: MIT
// Feeds every corpus file to the entry its fuzz target calls; a failed
// expectation inside an entry aborts the run.
#include "support/TempDir.hpp"

#include <gtest/gtest.h>

#include <cstddef>
#include <cstdint>
#include <filesystem>

#define FIXTORA_FUZZ_TARGETS(X) \
    X(scoreboard) X(schedule) X(signal_cache) X(stored_sessions) X(stored_trial) X(update_feed)
#define FIXTORA_FUZZ_ENTRY(name) extern "C" int fuzz_##name(const std::uint8_t*, std::size_t);
FIXTORA_FUZZ_TARGETS(FIXTORA_FUZZ_ENTRY)

namespace {

struct Target {
    const char* name;
    int (*entry)(const std::uint8_t*, std::size_t);
};

class FuzzReplayTest : public ::testing::TestWithParam<Target> {};

TEST_P(FuzzReplayTest, EveryCorpusInputPassesTheTargetsChecks) {
    std::size_t inputs = 0;
    for (const auto& file : std::filesystem::directory_iterator(
             std::filesystem::path(FIXTORA_FUZZ_CORPUS) / GetParam().name)) {
        if (file.path().extension() == ".md") continue;
        const std::string bytes = fixtora::test::readFile(file.path());
        EXPECT_EQ(
            GetParam().entry(reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size()), 0)
            << file.path();
        ++inputs;
    }
    EXPECT_GT(inputs, 100u);
}

#define FIXTORA_FUZZ_TARGET(name) Target{#name, fuzz_##name},
constexpr Target kTargets[] = {FIXTORA_FUZZ_TARGETS(FIXTORA_FUZZ_TARGET)};
INSTANTIATE_TEST_SUITE_P(Targets, FuzzReplayTest, ::testing::ValuesIn(kTargets),
                         [](const auto& caseInfo) { return std::string(caseInfo.param.name); });

}  // namespace
