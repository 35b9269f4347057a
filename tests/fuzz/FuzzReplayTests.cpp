// SPDX-License-Identifier: MIT
// Feeds every corpus file to the entry its fuzz target calls; a failed
// expectation inside an entry aborts the run.
#include "support/TempDir.hpp"

#include <gtest/gtest.h>

#include <cstddef>
#include <cstdint>
#include <filesystem>

#define FIXTORA_FUZZ_ENTRY(name) extern "C" int fuzz_##name(const std::uint8_t*, std::size_t);
FIXTORA_FUZZ_ENTRY(scoreboard)
FIXTORA_FUZZ_ENTRY(schedule)
FIXTORA_FUZZ_ENTRY(signal_cache)
FIXTORA_FUZZ_ENTRY(stored_sessions)
FIXTORA_FUZZ_ENTRY(stored_trial)
FIXTORA_FUZZ_ENTRY(update_feed)

namespace {

using Entry = int (*)(const std::uint8_t*, std::size_t);
struct Target {
    const char* name;
    Entry entry;
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

INSTANTIATE_TEST_SUITE_P(Targets, FuzzReplayTest,
                         ::testing::Values(Target{"scoreboard", fuzz_scoreboard},
                                           Target{"schedule", fuzz_schedule},
                                           Target{"signal_cache", fuzz_signal_cache},
                                           Target{"stored_sessions", fuzz_stored_sessions},
                                           Target{"stored_trial", fuzz_stored_trial},
                                           Target{"update_feed", fuzz_update_feed}),
                         [](const auto& caseInfo) { return std::string(caseInfo.param.name); });

}  // namespace
