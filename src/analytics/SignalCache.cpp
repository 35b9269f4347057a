// SPDX-License-Identifier: MIT
#include "analytics/SignalCache.hpp"

#include <nlohmann/json.hpp>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <mutex>
#include <sstream>
#include <system_error>

#include <fcntl.h>
#include <unistd.h>

namespace analytics {
namespace {

// A temporary file beside the target, flushed to disk, then renamed over
// it: a crash mid-write leaves the old file or the new one, never half.
bool writeAtomically(const std::filesystem::path& file, const std::string& data) {
    std::error_code ec;
    std::filesystem::create_directories(file.parent_path(), ec);
    const auto temp =
        file.parent_path() / (file.filename().string() + ".tmp" + std::to_string(::getpid()));
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

}  // namespace

SignalCache::SignalCache(std::optional<LogHandler> logHandler,
                         std::optional<std::filesystem::path> file)
    : m_logHandler(std::move(logHandler)), m_file(std::move(file)) {
    std::unique_lock lock(m_mutex);
    load();
}

void SignalCache::push(SignalPostBody element) {
    std::unique_lock lock(m_mutex);
    m_cachedSignals.push_back(std::move(element));
}

void SignalCache::push(std::vector<SignalPostBody> elements) {
    std::unique_lock lock(m_mutex);
    m_cachedSignals.insert(m_cachedSignals.end(), std::make_move_iterator(elements.begin()),
                           std::make_move_iterator(elements.end()));
}

std::vector<SignalPostBody> SignalCache::pop() {
    std::unique_lock lock(m_mutex);
    const auto n = static_cast<std::ptrdiff_t>(
        std::min(m_cachedSignals.size(), maximumNumberOfSignalsToPopAtOnce));
    std::vector<SignalPostBody> batch(std::make_move_iterator(m_cachedSignals.begin()),
                                      std::make_move_iterator(m_cachedSignals.begin() + n));
    m_cachedSignals.erase(m_cachedSignals.begin(), m_cachedSignals.begin() + n);
    return batch;
}

std::size_t SignalCache::count() const {
    std::shared_lock lock(m_mutex);
    return m_cachedSignals.size();
}

bool SignalCache::backupCache(const std::vector<SignalPostBody>& olderSignals) {
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
    log(LogHandler::LogLevel::info,
        "Saved Analytics cache " + std::to_string(data.size()) + " bytes of " +
            std::to_string(olderSignals.size() + m_cachedSignals.size()) + " signals");
    m_cachedSignals.clear();
    return true;
}

void SignalCache::discardAll() {
    std::unique_lock lock(m_mutex);
    m_cachedSignals.clear();
    if (!m_file) return;
    std::error_code ignored;
    std::filesystem::remove(*m_file, ignored);
}

void SignalCache::log(LogHandler::LogLevel level, const std::string& message) const {
    if (m_logHandler) m_logHandler->log(level, message);
}

void SignalCache::load() {
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
    std::vector<SignalPostBody> decoded;
    try {
        const auto json = nlohmann::json::parse(data);
        if (!json.is_array()) return;
        decoded.reserve(json.size());
        for (const auto& element : json) decoded.push_back(element.get<SignalPostBody>());
    } catch (const std::exception&) {
        return;  // unreadable contents are dropped with the file
    }
    log(LogHandler::LogLevel::info, "Loaded " + std::to_string(decoded.size()) + " signals");
    m_cachedSignals.assign(std::make_move_iterator(decoded.begin()),
                           std::make_move_iterator(decoded.end()));
}

}  // namespace analytics
