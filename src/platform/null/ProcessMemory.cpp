// SPDX-License-Identifier: MIT
#include "platform/ProcessMemory.hpp"

namespace fixtora {

// The system's allocator decides alone.
void configureAllocatorForLongRun(int) {}

void releaseFreedMemory() {}

}  // namespace fixtora
