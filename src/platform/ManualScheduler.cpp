// SPDX-License-Identifier: MIT
#include "platform/ManualScheduler.hpp"

#include "platform/FlagTimer.hpp"

#include <atomic>

namespace fixtora {

struct ManualScheduler::TimerState {
    Task task;
    double interval = 0;  // 0 for one-shot timers
    std::atomic<bool> valid{true};
};

ManualScheduler::ManualScheduler(std::shared_ptr<SettableClock> clock)
    : m_clock(std::move(clock)), m_owner(std::this_thread::get_id()) {
    if (m_clock) m_now = m_clock->now();
}

ManualScheduler::~ManualScheduler() = default;

void ManualScheduler::post(Task task) {
    {
        std::lock_guard lock(m_mutex);
        m_posted.push_back(std::move(task));
    }
    m_cv.notify_all();
}

std::shared_ptr<Timer> ManualScheduler::scheduleOnce(double delaySeconds, Task task) {
    return addTimer(delaySeconds, 0, std::move(task));
}

std::shared_ptr<Timer> ManualScheduler::scheduleRepeating(double intervalSeconds, Task task) {
    return addTimer(intervalSeconds, intervalSeconds > 0 ? intervalSeconds : 1e-9, std::move(task));
}

std::shared_ptr<Timer> ManualScheduler::addTimer(double delay, double interval, Task task) {
    auto state = std::make_shared<TimerState>();
    state->task = std::move(task);
    state->interval = interval;
    std::lock_guard lock(m_mutex);
    m_timers.emplace(Key{now() + (delay > 0 ? delay : 0), m_seq++}, state);
    // The timer shares the state's flag (and keeps the state alive with it).
    return std::make_shared<FlagTimer>(std::shared_ptr<std::atomic<bool>>(state, &state->valid));
}

bool ManualScheduler::isCurrent() const {
    return std::this_thread::get_id() == m_owner;
}

Instant ManualScheduler::now() const {
    return m_clock ? m_clock->now() : m_now;
}

void ManualScheduler::setNow(double t) {
    m_now = t;
    if (m_clock) m_clock->set(t);
}

bool ManualScheduler::runOnePosted() {
    Task task;
    {
        std::lock_guard lock(m_mutex);
        if (m_posted.empty()) return false;
        task = std::move(m_posted.front());
        m_posted.pop_front();
    }
    task();
    return true;
}

bool ManualScheduler::runOneTimerDueBy(double limit) {
    std::shared_ptr<TimerState> state;
    double due = 0;
    {
        std::lock_guard lock(m_mutex);
        // Drop invalidated timers on the way to the earliest live one.
        while (!m_timers.empty() && !m_timers.begin()->second->valid)
            m_timers.erase(m_timers.begin());
        if (m_timers.empty() || m_timers.begin()->first.first > limit) return false;
        auto it = m_timers.begin();
        due = it->first.first;
        state = it->second;
        m_timers.erase(it);
        if (state->interval > 0) {
            m_timers.emplace(Key{due + state->interval, m_seq++}, state);
        } else {
            state->valid = false;
        }
    }
    if (due > now()) setNow(due);
    state->task();
    return true;
}

std::size_t ManualScheduler::runUntilIdle() {
    std::size_t ran = 0;
    for (;;) {
        if (runOnePosted() || runOneTimerDueBy(now())) {
            ++ran;
            continue;
        }
        return ran;
    }
}

void ManualScheduler::advance(double seconds) {
    const double target = now() + seconds;
    runUntilIdle();
    while (runOneTimerDueBy(target)) runUntilIdle();
    if (target > now()) setNow(target);
    runUntilIdle();
}

bool ManualScheduler::runUntil(const std::function<bool()>& done,
                               std::chrono::milliseconds realTimeout) {
    const auto deadline = std::chrono::steady_clock::now() + realTimeout;
    for (;;) {
        runUntilIdle();
        if (done()) return true;
        std::unique_lock lock(m_mutex);
        if (!m_cv.wait_until(lock, deadline, [this] { return !m_posted.empty(); })) {
            lock.unlock();
            runUntilIdle();
            return done();
        }
    }
}

std::size_t ManualScheduler::timerCount() const {
    std::lock_guard lock(m_mutex);
    std::size_t n = 0;
    for (const auto& [key, state] : m_timers) n += state->valid ? 1 : 0;
    return n;
}

std::optional<double> ManualScheduler::nextTimerDelay() const {
    std::lock_guard lock(m_mutex);
    for (const auto& [key, state] : m_timers) {
        if (state->valid) return key.first - now();
    }
    return std::nullopt;
}

}  // namespace fixtora
