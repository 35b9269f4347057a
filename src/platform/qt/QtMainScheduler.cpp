// SPDX-License-Identifier: MIT
#include "platform/qt/QtMainScheduler.hpp"

#include <QMetaObject>
#include <QObject>
#include <QPointer>
#include <QThread>
#include <QTimer>

#include <atomic>
#include <climits>
#include <cmath>

namespace fixtora {
namespace {

int toMilliseconds(double seconds) {
    if (!(seconds > 0)) return 0;  // also catches NaN
    const double ms = std::ceil(seconds * 1000.0);
    return ms >= static_cast<double>(INT_MAX) ? INT_MAX : static_cast<int>(ms);
}

}  // namespace

struct QtMainScheduler::TimerState {
    Task task;
    int intervalMs = 0;
    bool repeating = false;
    std::atomic<bool> valid{true};
    // Touched only on the owning thread.
    QPointer<QTimer> timer;
};

class QtMainScheduler::TimerImpl final : public Timer {
  public:
    TimerImpl(std::shared_ptr<TimerState> state, QObject* context)
        : m_state(std::move(state)), m_context(context) {}

    void invalidate() override {
        if (!m_state->valid.exchange(false)) return;
        auto state = m_state;
        auto stop = [state] {
            if (state->timer) {
                state->timer->stop();
                state->timer->deleteLater();
            }
            state->task = nullptr;  // releases the captures on the owning thread
        };
        if (!m_context) return;  // the scheduler is gone and its timers with it
        if (QThread::currentThread() == m_context->thread())
            stop();
        else
            QMetaObject::invokeMethod(m_context.data(), stop, Qt::QueuedConnection);
    }

    bool isValid() const override { return m_state->valid; }

  private:
    std::shared_ptr<TimerState> m_state;
    QPointer<QObject> m_context;
};

QtMainScheduler::QtMainScheduler() : m_context(std::make_unique<QObject>()) {}

QtMainScheduler::~QtMainScheduler() = default;

void QtMainScheduler::post(Task task) {
    // invokeMethod with a functor is thread-safe; the call is dropped with
    // the context object if the scheduler goes first.
    QMetaObject::invokeMethod(
        m_context.get(), [task = std::move(task)] { task(); }, Qt::QueuedConnection);
}

std::shared_ptr<Timer> QtMainScheduler::scheduleOnce(double delaySeconds, Task task) {
    return addTimer(delaySeconds, false, std::move(task));
}

std::shared_ptr<Timer> QtMainScheduler::scheduleRepeating(double intervalSeconds, Task task) {
    return addTimer(intervalSeconds, true, std::move(task));
}

bool QtMainScheduler::isCurrent() const {
    return QThread::currentThread() == m_context->thread();
}

std::shared_ptr<Timer> QtMainScheduler::addTimer(double delaySeconds, bool repeating, Task task) {
    auto state = std::make_shared<TimerState>();
    state->task = std::move(task);
    state->intervalMs = toMilliseconds(delaySeconds);
    // A repeating timer of zero interval would spin the event loop.
    if (repeating && state->intervalMs == 0) state->intervalMs = 1;
    state->repeating = repeating;
    if (isCurrent()) {
        startTimer(state);
    } else {
        QMetaObject::invokeMethod(
            m_context.get(), [this, state] { startTimer(state); }, Qt::QueuedConnection);
    }
    return std::make_shared<TimerImpl>(state, m_context.get());
}

void QtMainScheduler::startTimer(const std::shared_ptr<TimerState>& state) {
    if (!state->valid) {
        state->task = nullptr;
        return;
    }
    // Parented to the context: deleted with the scheduler at the latest.
    auto* timer = new QTimer(m_context.get());  // NOLINT: Qt parent ownership
    timer->setSingleShot(!state->repeating);
    timer->setTimerType(state->intervalMs < 2000 ? Qt::PreciseTimer : Qt::CoarseTimer);
    state->timer = timer;
    // The connection owns the state: a timer keeps running when its handle
    // is dropped, like every other scheduler's timers.
    QObject::connect(timer, &QTimer::timeout, timer, [s = state, timer] {
        if (!s->valid) {
            timer->stop();
            timer->deleteLater();
            return;
        }
        if (!s->repeating) {
            s->valid = false;
            timer->deleteLater();
            s->timer = nullptr;
            auto task = std::move(s->task);
            s->task = nullptr;
            if (task) task();
            return;
        }
        // Copy: the task may invalidate its own timer while it runs.
        auto task = s->task;
        if (task) task();
    });
    timer->start(state->intervalMs);
}

}  // namespace fixtora
