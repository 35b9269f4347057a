// SPDX-License-Identifier: MIT
#include "platform/WorkerScheduler.hpp"

#include "platform/FlagTimer.hpp"

#include <atomic>
#include <future>

namespace fixtora {

struct WorkerScheduler::TimerState {
    Task task;
    std::chrono::nanoseconds interval{0};
    std::atomic<bool> valid{true};
};

WorkerScheduler::WorkerScheduler(std::string name) : m_name(std::move(name)) {
    m_thread = std::thread([this] { run(); });
}

WorkerScheduler::~WorkerScheduler() {
    {
        std::lock_guard lock(m_mutex);
        m_stopping = true;
    }
    m_cv.notify_all();
    if (m_thread.joinable()) {
        if (std::this_thread::get_id() == m_thread.get_id()) {
            m_thread.detach();  // destroyed from its own task: let it unwind by itself
        } else {
            m_thread.join();
        }
    }
}

void WorkerScheduler::post(Task task) {
    {
        std::lock_guard lock(m_mutex);
        if (m_stopping) return;
        m_posted.push_back(std::move(task));
    }
    m_cv.notify_all();
}

std::shared_ptr<Timer> WorkerScheduler::scheduleOnce(double delaySeconds, Task task) {
    return addTimer(delaySeconds, 0, std::move(task));
}

std::shared_ptr<Timer> WorkerScheduler::scheduleRepeating(double intervalSeconds, Task task) {
    return addTimer(intervalSeconds, intervalSeconds > 0 ? intervalSeconds : 0.001,
                    std::move(task));
}

std::shared_ptr<Timer> WorkerScheduler::addTimer(double delay, double interval, Task task) {
    auto state = std::make_shared<TimerState>();
    state->task = std::move(task);
    state->interval = std::chrono::duration_cast<std::chrono::nanoseconds>(
        std::chrono::duration<double>(interval));
    const auto due = std::chrono::steady_clock::now() +
                     std::chrono::duration_cast<std::chrono::nanoseconds>(
                         std::chrono::duration<double>(delay > 0 ? delay : 0));
    {
        std::lock_guard lock(m_mutex);
        m_timers.emplace(Key{due, m_seq++}, state);
    }
    m_cv.notify_all();
    // The timer shares the state's flag (and keeps the state alive with it).
    return std::make_shared<FlagTimer>(std::shared_ptr<std::atomic<bool>>(state, &state->valid));
}

bool WorkerScheduler::isCurrent() const {
    return std::this_thread::get_id() == m_thread.get_id();
}

void WorkerScheduler::drain() {
    std::promise<void> done;
    auto future = done.get_future();
    post([&done] { done.set_value(); });
    {
        std::lock_guard lock(m_mutex);
        if (m_stopping) return;
    }
    future.wait();
}

void WorkerScheduler::run() {
    std::unique_lock lock(m_mutex);
    while (!m_stopping) {
        while (!m_timers.empty() && !m_timers.begin()->second->valid)
            m_timers.erase(m_timers.begin());
        const auto now = std::chrono::steady_clock::now();
        if (!m_posted.empty()) {
            Task task = std::move(m_posted.front());
            m_posted.pop_front();
            lock.unlock();
            task();
            lock.lock();
            continue;
        }
        if (!m_timers.empty() && m_timers.begin()->first.first <= now) {
            auto it = m_timers.begin();
            auto state = it->second;
            const auto due = it->first.first;
            m_timers.erase(it);
            if (state->interval.count() > 0) {
                // Skip missed ticks rather than firing a burst after a stall.
                auto next = due + state->interval;
                while (next <= now) next += state->interval;
                m_timers.emplace(Key{next, m_seq++}, state);
            } else {
                state->valid = false;
            }
            lock.unlock();
            state->task();
            lock.lock();
            continue;
        }
        if (m_timers.empty()) {
            m_cv.wait(lock);
        } else {
            m_cv.wait_until(lock, m_timers.begin()->first.first);
        }
    }
}

}  // namespace fixtora
