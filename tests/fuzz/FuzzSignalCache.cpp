// SPDX-License-Identifier: MIT
// The analytics signal cache file, read through a real file as at start-up:
// the loaded signals are then posted (encoded as a batch), described for the
// log, and written back at termination, which must read back the same.

#include "FuzzCheck.hpp"

#include "analytics/AnalyticsEncoder.hpp"
#include "analytics/SignalCache.hpp"
#include "analytics/SignalPostBody.hpp"

#include <filesystem>
#include <fstream>

#include <unistd.h>

using namespace analytics;
using fixtora::fuzz::check;

namespace {

// One file per process, in memory where the system offers it. Every run
// ends by loading it, which removes it: nothing is left behind.
const std::filesystem::path& cacheFile() {
    static const auto file = std::filesystem::path(std::filesystem::is_directory("/dev/shm")
                                                       ? "/dev/shm"
                                                       : std::filesystem::temp_directory_path()) /
                             ("fixtora-fuzz-signalcache-" + std::to_string(::getpid()));
    return file;
}

bool sameSignal(const SignalPostBody& a, const SignalPostBody& b) {
    return fixtora::fuzz::sameInstant(a.receivedAt, b.receivedAt) && a.appID == b.appID &&
           a.clientUser == b.clientUser && a.sessionID == b.sessionID && a.type == b.type &&
           a.floatValue.has_value() == b.floatValue.has_value() &&
           (!a.floatValue || *a.floatValue == *b.floatValue) && a.payload == b.payload &&
           a.isTestMode == b.isTestMode;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const auto& file = cacheFile();
    {
        std::ofstream out(file, std::ios::binary | std::ios::trunc);
        out.write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
        if (!out) fixtora::fuzz::fail("cannot write the cache file");
    }

    std::vector<SignalPostBody> loaded;
    {
        SignalCache cache(std::nullopt, file);
        check(!std::filesystem::exists(file), "loading removes the cache file");
        for (auto batch = cache.pop(); !batch.empty(); batch = cache.pop()) {
            check(batch.size() <= SignalCache::maximumNumberOfSignalsToPopAtOnce,
                  "a batch holds at most 100 signals");
            (void)AnalyticsEncoder::encodeBatch(batch);
            for (const auto& signal : batch) (void)signal.description();
            loaded.insert(loaded.end(), batch.begin(), batch.end());
        }
        check(cache.count() == 0, "popping empties the cache");
        if (!loaded.empty()) {
            cache.push(loaded);
            check(cache.backupCache(), "the loaded signals are written back");
        }
    }
    if (loaded.empty()) return 0;

    SignalCache again(std::nullopt, file);
    check(again.count() == loaded.size(), "the written signals read back");
    std::size_t i = 0;
    for (auto batch = again.pop(); !batch.empty(); batch = again.pop())
        for (const auto& signal : batch)
            check(sameSignal(signal, loaded[i++]), "a written signal reads back as itself");
    return 0;
}
