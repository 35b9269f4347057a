// SPDX-License-Identifier: MIT
#pragma once

#include <functional>
#include <optional>
#include <string>

namespace analytics {

/// Where the analytics client's messages go. A message is delivered when its
/// level is at or above the handler's level.
struct LogHandler {
    enum class LogLevel : int { debug = 0, info = 1, error = 2 };

    /// Called from any thread; must be thread-safe.
    using Handler = std::function<void(LogLevel, const std::string&)>;

    LogLevel logLevel = LogLevel::info;
    Handler handler;

    LogHandler(LogLevel level, Handler h) : logLevel(level), handler(std::move(h)) {}

    /// The standard sink: one line on standard output per message,
    /// "[Analytics: INFO] message".
    static LogHandler standard(LogLevel level = LogLevel::info);

    /// The level of a raw value 0 to 2; none outside that range.
    static std::optional<LogLevel> levelFromRawValue(int raw);

    /// "DEBUG", "INFO" or "ERROR".
    static std::string levelText(LogLevel level);

    /// Delivers `message` when `level` is at or above `logLevel`.
    void log(LogLevel level, const std::string& message) const;
};

}  // namespace analytics
