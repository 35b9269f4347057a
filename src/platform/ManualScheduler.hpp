// SPDX-License-Identifier: MIT
#pragma once

#include "platform/Clock.hpp"
#include "platform/Scheduler.hpp"

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <map>
#include <mutex>
#include <optional>
#include <thread>
#include <utility>

namespace fixtora {

/// A scheduler in virtual time for tests and tools: nothing runs until the
/// owner calls `runUntilIdle`, `advance` or `runUntil`. Timers fire in order
/// of due time (then of creation) and, when a `SettableClock` is attached,
/// the clock reads each timer's due time while it runs. `post` is safe from
/// any thread, so real I/O completions can be fed in.
class ManualScheduler final : public Scheduler {
  public:
    explicit ManualScheduler(std::shared_ptr<SettableClock> clock = nullptr);
    ~ManualScheduler() override;
    ManualScheduler(const ManualScheduler&) = delete;
    ManualScheduler& operator=(const ManualScheduler&) = delete;

    void post(Task task) override;
    std::shared_ptr<Timer> scheduleOnce(double delaySeconds, Task task) override;
    std::shared_ptr<Timer> scheduleRepeating(double intervalSeconds, Task task) override;
    bool isCurrent() const override;

    /// Virtual time in seconds (the attached clock's time when there is one).
    Instant now() const;

    /// Runs posted tasks and timers due now until none is left; returns how
    /// many ran.
    std::size_t runUntilIdle();

    /// Moves virtual time forward by `seconds`, running every timer that
    /// falls due on the way (and whatever they post) in order.
    void advance(double seconds);

    /// Runs tasks as they are posted (from any thread) until `done()` holds or
    /// `realTimeout` of real time passes; virtual time does not move. Returns
    /// whether `done()` held.
    bool runUntil(const std::function<bool()>& done,
                  std::chrono::milliseconds realTimeout = std::chrono::seconds(10));

    /// Number of live timers.
    std::size_t timerCount() const;

    /// Delay from now to the earliest live timer, if any.
    std::optional<double> nextTimerDelay() const;

  private:
    struct TimerState;
    using Key = std::pair<double, std::uint64_t>;

    std::shared_ptr<Timer> addTimer(double delay, double interval, Task task);
    bool runOnePosted();
    bool runOneTimerDueBy(double limit);
    void setNow(double t);

    std::shared_ptr<SettableClock> m_clock;
    mutable std::mutex m_mutex;
    std::condition_variable m_cv;
    double m_now = 0;
    std::uint64_t m_seq = 0;
    std::deque<Task> m_posted;
    std::map<Key, std::shared_ptr<TimerState>> m_timers;
    std::thread::id m_owner;
};

}  // namespace fixtora
