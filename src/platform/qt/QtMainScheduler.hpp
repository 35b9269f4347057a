// SPDX-License-Identifier: MIT
#pragma once

#include "platform/Scheduler.hpp"

#include <memory>

class QObject;

namespace fixtora {

/// The main `Scheduler` on the Qt event loop of the thread that creates it
/// (the GUI thread). `post` and the timer calls are safe from any thread;
/// tasks and timers always run on the owning thread. Timers are `QTimer`s
/// with millisecond precision; delays beyond what a `QTimer` can hold
/// (about 24 days) are clamped to that. Tasks still queued when the
/// scheduler is destroyed are dropped and its timers stop.
class QtMainScheduler final : public Scheduler {
  public:
    QtMainScheduler();
    ~QtMainScheduler() override;
    QtMainScheduler(const QtMainScheduler&) = delete;
    QtMainScheduler& operator=(const QtMainScheduler&) = delete;

    void post(Task task) override;
    std::shared_ptr<Timer> scheduleOnce(double delaySeconds, Task task) override;
    std::shared_ptr<Timer> scheduleRepeating(double intervalSeconds, Task task) override;
    bool isCurrent() const override;

  private:
    struct TimerState;
    class TimerImpl;

    std::shared_ptr<Timer> addTimer(double delaySeconds, bool repeating, Task task);
    void startTimer(const std::shared_ptr<TimerState>& state);

    std::unique_ptr<QObject> m_context;
};

}  // namespace fixtora
