// SPDX-License-Identifier: MIT
#include "platform/Clock.hpp"

#include <chrono>

namespace fixtora {

Instant SystemClock::now() const {
    using namespace std::chrono;
    return duration<double>(system_clock::now().time_since_epoch()).count();
}

}  // namespace fixtora
