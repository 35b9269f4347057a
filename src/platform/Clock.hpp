// SPDX-License-Identifier: MIT
#pragma once

#include <atomic>

namespace fixtora {

/// Seconds (with fraction) since 1970-01-01T00:00:00Z.
using Instant = double;

/// Seconds between the Unix epoch and 2001-01-01T00:00:00Z, the reference
/// date of the stored formats that count from 2001.
inline constexpr double kSecondsFrom1970To2001 = 978307200.0;

/// The one source of "now" for the core.
class Clock {
  public:
    virtual ~Clock() = default;
    virtual Instant now() const = 0;
};

/// The system's wall clock.
class SystemClock final : public Clock {
  public:
    Instant now() const override;
};

/// A clock that only moves when told to; safe to read from any thread.
class SettableClock final : public Clock {
  public:
    explicit SettableClock(Instant start = 0) : m_now(start) {}
    Instant now() const override { return m_now.load(); }
    void set(Instant t) { m_now.store(t); }
    void advance(double seconds) { m_now.store(m_now.load() + seconds); }

  private:
    std::atomic<Instant> m_now;
};

}  // namespace fixtora
