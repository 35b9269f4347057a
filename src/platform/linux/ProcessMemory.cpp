// SPDX-License-Identifier: MIT
#include "platform/ProcessMemory.hpp"

#include <malloc.h>

namespace fixtora {

void configureAllocatorForLongRun(int arenas) {
    ::mallopt(M_ARENA_MAX, arenas);
    // A fixed threshold: glibc would otherwise raise it to the size of each
    // large block freed, and the next season document or crest would then
    // come from the heap and stay there.
    ::mallopt(M_MMAP_THRESHOLD, 128 * 1024);
}

void releaseFreedMemory() {
    ::malloc_trim(0);
}

}  // namespace fixtora
