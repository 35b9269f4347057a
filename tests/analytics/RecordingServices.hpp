// SPDX-License-Identifier: MIT
#pragma once

#include "analytics/AppNotificationCenter.hpp"
#include "analytics/ClientServices.hpp"
#include "platform/Clock.hpp"
#include "platform/ManualScheduler.hpp"
#include "platform/Preferences.hpp"
#include "platform/SystemInfo.hpp"

#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

namespace analytics::test {

struct RecordedSignal {
    std::string type;
    std::map<std::string, std::string> parameters;
    std::optional<double> floatValue;
    std::optional<std::string> customUserID;
};

/// Client services in virtual time: a settable clock, one manual scheduler,
/// a fixed system, an in-memory suite, and a sender and log that record
/// what they are given.
class RecordingServices {
public:
    explicit RecordingServices(fixtora::Instant start = 1780315200.0 /* 2026-06-01T12:00:00Z */)
        : clock(std::make_shared<fixtora::SettableClock>(start)),
          scheduler(std::make_shared<fixtora::ManualScheduler>(clock)),
          system(std::make_shared<fixtora::FixedSystemInfo>()),
          suite(std::make_shared<fixtora::InMemoryPreferences>()),
          notifications(std::make_shared<AppNotificationCenter>()) {}

    ClientServices services() {
        ClientServices s;
        s.clock = clock;
        s.mainScheduler = scheduler;
        s.systemInfo = system;
        s.customDefaults = [this]() -> std::shared_ptr<fixtora::Preferences> {
            return hasSuite ? suite : nullptr;
        };
        s.internalSignal = [shared = m_shared](const std::string& type, const ClientServices::Parameters& parameters,
                                               std::optional<double> floatValue,
                                               const std::optional<std::string>& customUserID) {
            std::lock_guard lock(shared->mutex);
            shared->signals.push_back({type, parameters, floatValue, customUserID});
        };
        s.log = [shared = m_shared](LogHandler::LogLevel level, const std::string& message) {
            std::lock_guard lock(shared->mutex);
            shared->logs.emplace_back(level, message);
        };
        s.notifications = notifications;
        return s;
    }

    std::vector<RecordedSignal> signals() const {
        std::lock_guard lock(m_shared->mutex);
        return m_shared->signals;
    }
    std::vector<RecordedSignal> signalsNamed(const std::string& type) const {
        std::vector<RecordedSignal> out;
        for (auto& s : signals())
            if (s.type == type) out.push_back(s);
        return out;
    }
    std::vector<std::pair<LogHandler::LogLevel, std::string>> logs() const {
        std::lock_guard lock(m_shared->mutex);
        return m_shared->logs;
    }
    void clear() {
        std::lock_guard lock(m_shared->mutex);
        m_shared->signals.clear();
        m_shared->logs.clear();
    }

    std::shared_ptr<fixtora::SettableClock> clock;
    std::shared_ptr<fixtora::ManualScheduler> scheduler;
    std::shared_ptr<fixtora::FixedSystemInfo> system;
    std::shared_ptr<fixtora::InMemoryPreferences> suite;
    std::shared_ptr<AppNotificationCenter> notifications;
    bool hasSuite = true;

private:
    struct Shared {
        std::mutex mutex;
        std::vector<RecordedSignal> signals;
        std::vector<std::pair<LogHandler::LogLevel, std::string>> logs;
    };
    std::shared_ptr<Shared> m_shared = std::make_shared<Shared>();
};

}  // namespace analytics::test
