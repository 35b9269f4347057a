// SPDX-License-Identifier: MIT
#pragma once

#include <functional>
#include <memory>

namespace fixtora {

/// A scheduled timer. `invalidate()` stops it; a one-shot timer that has
/// fired is no longer valid. Safe to call from any thread.
class Timer {
  public:
    virtual ~Timer() = default;
    virtual void invalidate() = 0;
    virtual bool isValid() const = 0;
};

/// A serial queue with timers: the main thread (Qt event loop), a worker
/// thread, or virtual time in tests. Tasks run one at a time in the order
/// they were posted; `post` is safe from any thread.
class Scheduler {
  public:
    using Task = std::function<void()>;

    virtual ~Scheduler() = default;

    /// Runs `task` on this scheduler's thread, after what is already queued.
    virtual void post(Task task) = 0;

    /// Runs `task` once after `delaySeconds`.
    virtual std::shared_ptr<Timer> scheduleOnce(double delaySeconds, Task task) = 0;

    /// Runs `task` every `intervalSeconds`, first after one interval.
    virtual std::shared_ptr<Timer> scheduleRepeating(double intervalSeconds, Task task) = 0;

    /// True when called from the thread this scheduler runs its tasks on.
    virtual bool isCurrent() const = 0;
};

}  // namespace fixtora
