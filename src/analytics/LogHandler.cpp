// SPDX-License-Identifier: MIT
#include "analytics/LogHandler.hpp"

#include <cstdio>
#include <mutex>

namespace analytics {

LogHandler LogHandler::standard(LogLevel level) {
    return LogHandler(level, [](LogLevel messageLevel, const std::string& message) {
        // One write per line so that lines from several threads never mix.
        static std::mutex mutex;
        const std::string line = "[Analytics: " + levelText(messageLevel) + "] " + message + "\n";
        std::lock_guard lock(mutex);
        std::fwrite(line.data(), 1, line.size(), stdout);
        std::fflush(stdout);
    });
}

std::optional<LogHandler::LogLevel> LogHandler::levelFromRawValue(int raw) {
    if (raw < 0 || raw > 2) return std::nullopt;
    return static_cast<LogLevel>(raw);
}

std::string LogHandler::levelText(LogLevel level) {
    switch (level) {
        case LogLevel::debug:
            return "DEBUG";
        case LogLevel::info:
            return "INFO";
        case LogLevel::error:
            return "ERROR";
    }
    return "INFO";
}

void LogHandler::log(LogLevel level, const std::string& message) const {
    if (handler && static_cast<int>(level) >= static_cast<int>(logLevel)) handler(level, message);
}

}  // namespace analytics
