// SPDX-License-Identifier: MIT
#pragma once

#include <QLoggingCategory>

namespace fixtora {

/// Start-up and popup timings for bench/app-perf. Off by default; enabled
/// with QT_LOGGING_RULES="fixtora.perf.debug=true". Each line carries the
/// milliseconds since main() started and the monotonic clock in
/// milliseconds (the clock QElapsedTimer and Python's time.monotonic() read),
/// so a script that starts the process can also measure from its own start.
Q_DECLARE_LOGGING_CATEGORY(lcPerf)

namespace PerfLog {

/// Sets the origin of the "since start" times; called first in main().
void markProcessStart();

/// Logs `event` with both timestamps (only when the category is enabled).
void mark(const char* event);

}  // namespace PerfLog

}  // namespace fixtora
