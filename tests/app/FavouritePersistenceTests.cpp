// SPDX-License-Identifier: MIT
// The favourite reaches the preferences file whole and at once, while the
// store gathers other writes.
#include "data/MatchWeekSchedule.hpp"
#include "platform/ManualScheduler.hpp"
#include "platform/qt/QtPreferencesStore.hpp"
#include "state/FixturesViewModel.hpp"
#include "state/MatchesFetcher.hpp"
#include "support/TempDir.hpp"

#include <gtest/gtest.h>

#include <array>

namespace fixtora {
namespace {

struct SilentFetcher final : MatchesFetcher {
    void fetchMatches(Instant, Instant, Completion) override {}
};

TEST(FavouritePersistenceTest, ChoosingOrRemovingTheFavouriteIsOneWriteAtOnce) {
    using VM = FixturesViewModel;
    using Stored = std::array<std::optional<std::string>, 4>;
    test::TempDir dir;
    auto clock = std::make_shared<SettableClock>(1.7e9);
    auto main = std::make_shared<ManualScheduler>(clock);
    QtPreferencesStore store(dir.path(), "Fixtora", main, 15);
    // No backend: the schedule fails at once and nothing is fetched.
    auto vm = VM::create(std::make_shared<MatchWeekSchedule>(
                             nullptr, "", std::make_shared<FixedPaths>(dir.path()), clock, main),
                         std::make_shared<SilentFetcher>(), nullptr, store.standard(), clock, main);
    // What another process (or this one after a crash) finds in the file.
    const auto onDisk = [&] {
        const auto p = QtPreferencesStore(dir.path(), "Fixtora").standard();
        return Stored{p->string(VM::kFavouriteIdKey), p->string(VM::kFavouriteAbbreviationKey),
                      p->string(VM::kFavouriteNameKey), p->string(VM::kFavouriteLogoKey)};
    };

    vm->toggleFavourite({"359", "ARS", "Arsenal", "https://h/ars.png"});
    EXPECT_EQ(onDisk(), (Stored{"359", "ARS", "Arsenal", "https://h/ars.png"}));
    vm->toggleFavourite({"363", "CHE", "Chelsea", std::nullopt});
    EXPECT_EQ(onDisk(), (Stored{"363", "CHE", "Chelsea", std::nullopt}));
    vm->toggleFavourite({"363", "CHE", "Chelsea", std::nullopt});
    EXPECT_EQ(onDisk(), Stored{});
}

}  // namespace
}  // namespace fixtora
