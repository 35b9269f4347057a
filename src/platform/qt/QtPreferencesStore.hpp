// SPDX-License-Identifier: MIT
#pragma once

#include "platform/Preferences.hpp"
#include "platform/Scheduler.hpp"

#include <filesystem>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <string>

namespace fixtora {

/// `PreferencesStore` on QSettings. The standard suite is the application's
/// own settings; every named suite is a settings file of its own beside it.
/// Each value is stored with its type, so a key reads back only as the type
/// it was written with, whatever the backing format keeps (the INI files of
/// Linux keep only text). Suites are safe to use from any thread, and a
/// value reads back at once after it is set.
///
/// Without a flush scheduler every write reaches the disk before the setter
/// returns. With one, a suite that has not been written for a while writes
/// through at once, while writes that follow it within `flushInterval`
/// seconds are gathered and written together when that interval ends: a
/// value set every second (a session's running duration) then costs one
/// file write per interval instead of one a second. `flush()` and the
/// destruction of a suite write whatever is still pending, and so does
/// `commitStrings` at once, together with its own values.
class QtPreferencesStore final : public PreferencesStore {
  public:
    static constexpr double kDefaultFlushInterval = 15.0;

    /// The platform's native settings of `organization` / `application`
    /// (an INI file under the user's configuration folder on Linux).
    QtPreferencesStore(std::string organization, std::string application,
                       std::shared_ptr<Scheduler> flushScheduler = nullptr,
                       double flushInterval = kDefaultFlushInterval);
    /// INI files in `folder`: "<application>.conf" for the standard suite,
    /// "<suite>.conf" for the others. For tests and portable setups.
    QtPreferencesStore(std::filesystem::path folder, std::string application,
                       std::shared_ptr<Scheduler> flushScheduler = nullptr,
                       double flushInterval = kDefaultFlushInterval);
    ~QtPreferencesStore() override;

    /// Writes the pending values of every suite now.
    void flush() override;

    std::shared_ptr<Preferences> standard() override;
    /// Suite names may not be empty, contain a slash or a backslash or start
    /// with a dot: they become file names.
    std::shared_ptr<Preferences> suite(const std::string& name) override;

    /// The file that backs a suite ("" for the standard one).
    std::filesystem::path fileOf(const std::string& suiteName) const;

  private:
    std::shared_ptr<Preferences> open(const std::string& name);

    std::optional<std::filesystem::path> m_folder;
    std::string m_organization;
    std::string m_application;
    std::shared_ptr<Scheduler> m_flushScheduler;
    double m_flushInterval;
    std::mutex m_mutex;
    std::map<std::string, std::shared_ptr<Preferences>> m_suites;
};

}  // namespace fixtora
