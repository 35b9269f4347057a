// SPDX-License-Identifier: MIT
#pragma once

// The allocator's side of a process that runs all day: what a burst of work
// (a season decoded, a batch of crests) leaves free goes back to the system
// rather than staying resident until the process ends. Where the system's
// allocator offers no such control these do nothing.

namespace fixtora {

/// Sets the allocator up for a long run with a few worker threads: at most
/// `arenas` allocation arenas (a thread's peak then lands in a shared arena
/// that can be trimmed, not in one of its own that stays resident), and
/// large blocks mapped from the system and returned to it when freed. Call
/// first thing in `main`, before any thread starts.
void configureAllocatorForLongRun(int arenas);

/// Returns the memory that is free in every arena to the system. Costs a
/// walk over the heaps: call after a burst of work, not in a loop.
void releaseFreedMemory();

}  // namespace fixtora
