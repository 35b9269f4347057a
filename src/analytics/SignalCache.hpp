// SPDX-License-Identifier: MIT
#pragma once

#include "analytics/LogHandler.hpp"

#include <nlohmann/json.hpp>

#include <algorithm>
#include <cerrno>
#include <deque>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <mutex>
#include <optional>
#include <shared_mutex>
#include <sstream>
#include <string>
#include <system_error>
#include <utility>
#include <vector>

#include <fcntl.h>
#include <unistd.h>

namespace analytics {

/// The queue of signals not yet posted, oldest first. Loaded from (and the
/// file deleted) at construction; written back by `backupCache()` at
/// termination. A cache built without a file keeps signals in memory only.
/// Every member is safe from any thread: mutations take the writer lock,
/// `count()` the reader lock.
template <typename T>
class SignalCache {
public:
    static constexpr std::size_t maximumNumberOfSignalsToPopAtOnce = 100;

    SignalCache(std::optional<LogHandler> logHandler, std::optional<std::filesystem::path> file)
        : m_logHandler(std::move(logHandler)), m_file(std::move(file)) {
        std::unique_lock lock(m_mutex);
        load();
    }
    SignalCache(const SignalCache&) = delete;
    SignalCache& operator=(const SignalCache&) = delete;

    const std::optional<std::filesystem::path>& fileURL() const { return m_file; }

    void push(T element) {
        std::unique_lock lock(m_mutex);
        m_cachedSignals.push_back(std::move(element));
    }

    void push(std::vector<T> elements) {
        std::unique_lock lock(m_mutex);
        m_cachedSignals.insert(m_cachedSignals.end(), std::make_move_iterator(elements.begin()),
                               std::make_move_iterator(elements.end()));
    }

    /// Removes and returns the oldest `maximumNumberOfSignalsToPopAtOnce`
    /// elements (fewer when fewer are queued).
    std::vector<T> pop() {
        std::unique_lock lock(m_mutex);
        const auto n = std::min(m_cachedSignals.size(), maximumNumberOfSignalsToPopAtOnce);
        std::vector<T> batch(std::make_move_iterator(m_cachedSignals.begin()),
                             std::make_move_iterator(m_cachedSignals.begin() + static_cast<std::ptrdiff_t>(n)));
        m_cachedSignals.erase(m_cachedSignals.begin(), m_cachedSignals.begin() + static_cast<std::ptrdiff_t>(n));
        return batch;
    }

    std::size_t count() const {
        std::shared_lock lock(m_mutex);
        return m_cachedSignals.size();
    }

    /// Writes the queue to the file (replacing it atomically) and empties
    /// it. On failure the queue is left as it was. Returns whether the file
    /// was written.
    bool backupCache() { return backupCache({}); }

    /// Same, writing `olderSignals` (signals taken out of the queue but not
    /// yet known to be delivered) in front of the queued ones.
    bool backupCache(const std::vector<T>& olderSignals) {
        std::unique_lock lock(m_mutex);
        if (!m_file) return false;
        std::string data;
        try {
            nlohmann::json array = nlohmann::json::array();
            for (const auto& e : olderSignals) array.push_back(e);
            for (const auto& e : m_cachedSignals) array.push_back(e);
            data = array.dump(-1, ' ', false, nlohmann::json::error_handler_t::replace);
        } catch (const std::exception&) {
            return false;
        }
        if (!writeAtomically(*m_file, data)) {
            log(LogHandler::LogLevel::error, "Error saving Analytics cache");
            return false;
        }
        log(LogHandler::LogLevel::info, "Saved Analytics cache " + std::to_string(data.size()) + " bytes of " +
                                            std::to_string(olderSignals.size() + m_cachedSignals.size()) +
                                            " signals");
        m_cachedSignals.clear();
        return true;
    }

    /// Drops every queued signal and the cache file, if any.
    void discardAll() {
        std::unique_lock lock(m_mutex);
        m_cachedSignals.clear();
        if (!m_file) return;
        std::error_code ignored;
        std::filesystem::remove(*m_file, ignored);
    }

private:
    void log(LogHandler::LogLevel level, const std::string& message) const {
        if (m_logHandler) m_logHandler->log(level, message);
    }

    void load() {
        if (!m_file) return;
        log(LogHandler::LogLevel::info, "Loading Analytics cache from: " + m_file->string());
        std::string data;
        {
            std::ifstream in(*m_file, std::ios::binary);
            if (!in) return;
            std::ostringstream ss;
            ss << in.rdbuf();
            if (in.bad()) return;
            data = std::move(ss).str();
        }
        std::error_code ignored;
        std::filesystem::remove(*m_file, ignored);
        std::vector<T> decoded;
        try {
            const auto json = nlohmann::json::parse(data);
            if (!json.is_array()) return;
            decoded.reserve(json.size());
            for (const auto& element : json) decoded.push_back(element.template get<T>());
        } catch (const std::exception&) {
            return;  // unreadable contents are dropped with the file
        }
        log(LogHandler::LogLevel::info, "Loaded " + std::to_string(decoded.size()) + " signals");
        m_cachedSignals.assign(std::make_move_iterator(decoded.begin()), std::make_move_iterator(decoded.end()));
    }

    // A temporary file beside the target, flushed to disk, then renamed over
    // it: a crash mid-write leaves the old file or the new one, never half.
    static bool writeAtomically(const std::filesystem::path& file, const std::string& data) {
        std::error_code ec;
        std::filesystem::create_directories(file.parent_path(), ec);
        const auto temp = file.parent_path() / (file.filename().string() + ".tmp" + std::to_string(::getpid()));
        const int fd = ::open(temp.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
        if (fd < 0) return false;
        std::size_t written = 0;
        bool ok = true;
        while (written < data.size()) {
            const auto n = ::write(fd, data.data() + written, data.size() - written);
            if (n < 0) {
                if (errno == EINTR) continue;
                ok = false;
                break;
            }
            written += static_cast<std::size_t>(n);
        }
        ok = ok && ::fsync(fd) == 0;
        ok = (::close(fd) == 0) && ok;
        if (ok) ok = std::rename(temp.c_str(), file.c_str()) == 0;
        if (!ok) std::filesystem::remove(temp, ec);
        return ok;
    }

    const std::optional<LogHandler> m_logHandler;
    const std::optional<std::filesystem::path> m_file;
    mutable std::shared_mutex m_mutex;
    std::deque<T> m_cachedSignals;
};

}  // namespace analytics
