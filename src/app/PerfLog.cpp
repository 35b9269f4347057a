// SPDX-License-Identifier: MIT
#include "app/PerfLog.hpp"

#include <QElapsedTimer>

namespace fixtora {

Q_LOGGING_CATEGORY(lcPerf, "fixtora.perf", QtWarningMsg)

namespace {

QElapsedTimer& sinceStart() {
    static QElapsedTimer timer;
    return timer;
}

}  // namespace

namespace PerfLog {

void markProcessStart() {
    sinceStart().start();
}

void mark(const char* event) {
    if (!lcPerf().isDebugEnabled()) return;
    const QElapsedTimer& timer = sinceStart();
    QElapsedTimer now;
    now.start();
    qCDebug(lcPerf, "%s at %lld ms since start, monotonic %lld ms", event,
            timer.isValid() ? static_cast<long long>(timer.elapsed()) : -1LL,
            static_cast<long long>(now.msecsSinceReference()));
}

}  // namespace PerfLog

}  // namespace fixtora
