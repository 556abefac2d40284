// What lets a piece of work end cleanly when memory runs out. A reserve of memory is held
// while the program runs and given back at the first allocation that fails, which then throws
// std::bad_alloc: the clean-up that unwinds the work and the message that says why it ended
// have room. A library that does not survive a failed allocation of its own (the window
// toolkit reads through a null pointer, or waits forever for a thread it could not start) is
// entered only after a check that room is left.
#pragma once

#include <cstddef>

/// Holds the reserve, unless it is held already, and makes every failed `new` give it back
/// and throw. False when the reserve cannot be had now.
bool HoldMemoryReserve();

/// Gives the reserve back, for an ending that must not fail for want of memory.
void ReleaseMemoryReserve();

/// Gives the reserve back and throws std::bad_alloc: what code that allocates without `new`
/// (malloc, a C library) does when it is refused memory.
[[noreturn]] void RaiseOutOfMemory();

/// RaiseOutOfMemory unless `bytes`, and the stacks of `threads` new threads, could be had now.
/// Only where memory is bounded (a limit on the address space or the data of the process, or
/// a system that promises no memory it does not have) can an allocation be refused; elsewhere
/// the check costs nothing.
void CheckMemoryHeadroom(size_t bytes, int threads = 0);
