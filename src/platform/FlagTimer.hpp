// SPDX-License-Identifier: MIT
#pragma once

#include "platform/Scheduler.hpp"

#include <atomic>
#include <memory>
#include <utility>

namespace fixtora {

/// A timer whose whole state is one flag shared with its scheduler: the
/// scheduler skips timers whose flag is cleared and clears it when a one-shot
/// timer fires; `invalidate` clears it from any thread.
class FlagTimer final : public Timer {
  public:
    explicit FlagTimer(std::shared_ptr<std::atomic<bool>> valid) : m_valid(std::move(valid)) {}
    void invalidate() override { *m_valid = false; }
    bool isValid() const override { return *m_valid; }

  private:
    std::shared_ptr<std::atomic<bool>> m_valid;
};

}  // namespace fixtora
