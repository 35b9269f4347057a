// SPDX-License-Identifier: MIT
#pragma once

#include "analytics/LogHandler.hpp"
#include "analytics/SignalPostBody.hpp"

#include <deque>
#include <filesystem>
#include <optional>
#include <shared_mutex>
#include <vector>

namespace analytics {

/// The queue of signals not yet posted, oldest first. Loaded from (and the
/// file deleted) at construction; written back by `backupCache()` at
/// termination. A cache built without a file keeps signals in memory only.
/// Every member is safe from any thread: mutations take the writer lock,
/// `count()` the reader lock.
class SignalCache final {
  public:
    static constexpr std::size_t maximumNumberOfSignalsToPopAtOnce = 100;

    SignalCache(std::optional<LogHandler> logHandler, std::optional<std::filesystem::path> file);
    SignalCache(const SignalCache&) = delete;
    SignalCache& operator=(const SignalCache&) = delete;

    const std::optional<std::filesystem::path>& fileURL() const { return m_file; }

    void push(SignalPostBody element);
    void push(std::vector<SignalPostBody> elements);

    /// Removes and returns the oldest `maximumNumberOfSignalsToPopAtOnce`
    /// elements (fewer when fewer are queued).
    std::vector<SignalPostBody> pop();

    std::size_t count() const;

    /// Writes the queue to the file (replacing it atomically) and empties
    /// it. On failure the queue is left as it was. Returns whether the file
    /// was written.
    bool backupCache() { return backupCache({}); }

    /// Same, writing `olderSignals` (signals taken out of the queue but not
    /// yet known to be delivered) in front of the queued ones.
    bool backupCache(const std::vector<SignalPostBody>& olderSignals);

    /// Drops every queued signal and the cache file, if any.
    void discardAll();

  private:
    void log(LogHandler::LogLevel level, const std::string& message) const;
    void load();

    const std::optional<LogHandler> m_logHandler;
    const std::optional<std::filesystem::path> m_file;
    mutable std::shared_mutex m_mutex;
    std::deque<SignalPostBody> m_cachedSignals;
};

}  // namespace analytics
