// SPDX-License-Identifier: MIT
#pragma once

#include "platform/Scheduler.hpp"

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <map>
#include <mutex>
#include <string>
#include <thread>
#include <utility>

namespace fixtora {

/// A serial queue on a thread of its own, with timers in real (monotonic)
/// time. The destructor stops the thread after the task that is running;
/// tasks still queued are dropped, timers are cancelled.
class WorkerScheduler final : public Scheduler {
  public:
    explicit WorkerScheduler(std::string name = "worker");
    ~WorkerScheduler() override;
    WorkerScheduler(const WorkerScheduler&) = delete;
    WorkerScheduler& operator=(const WorkerScheduler&) = delete;

    void post(Task task) override;
    std::shared_ptr<Timer> scheduleOnce(double delaySeconds, Task task) override;
    std::shared_ptr<Timer> scheduleRepeating(double intervalSeconds, Task task) override;
    bool isCurrent() const override;

    /// Blocks until every task posted before this call has run. Must not be
    /// called from the worker itself.
    void drain();

    const std::string& name() const { return m_name; }

  private:
    struct TimerState;
    using TimePoint = std::chrono::steady_clock::time_point;
    using Key = std::pair<TimePoint, std::uint64_t>;

    std::shared_ptr<Timer> addTimer(double delay, double interval, Task task);
    void run();

    std::string m_name;
    std::mutex m_mutex;
    std::condition_variable m_cv;
    std::deque<Task> m_posted;
    std::map<Key, std::shared_ptr<TimerState>> m_timers;
    std::uint64_t m_seq = 0;
    bool m_stopping = false;
    std::thread m_thread;
};

}  // namespace fixtora
