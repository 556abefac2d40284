// Thread priorities: the class library's seven levels, applied to Linux threads as their
// niceness. Lowering a thread is always allowed; raising one (above normal, or back up after
// it was lowered) needs a privilege or a nice limit that allows it, and without them the
// thread goes as far up as it may.
#pragma once

#include <cstdint>

/// The class library's thread priorities, lowest first.
enum TThreadPriority : uint8_t {
  tpIdle,          // niceness 19
  tpLowest,        // 10
  tpLower,         // 5
  tpNormal,        // 0
  tpHigher,        // -5
  tpHighest,       // -10
  tpTimeCritical,  // -20
};

/// The kernel's id of the calling thread, which ApplyThreadPriority takes.
int CurrentThreadId();

/// The niceness that stands for `priority`; values past tpTimeCritical count as it.
int ThreadPriorityNiceness(uint8_t priority);

/// Gives the thread `threadId` the niceness of `priority`, or the nearest one the process
/// may set when raising it is not allowed; true when it has exactly the asked niceness.
bool ApplyThreadPriority(int threadId, uint8_t priority);
