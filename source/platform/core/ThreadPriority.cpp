// Niceness is per thread on Linux: setpriority with a thread's kernel id changes that thread
// alone. A refused raise is not an error for the program, which keeps asking for the
// priority it wants; the thread simply stays as high as the nice limit lets it go.
#include "platform/core/ThreadPriority.h"

#include <sys/resource.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cerrno>

namespace {

constexpr std::array<int, 7> kNiceness = {19, 10, 5, 0, -5, -10, -20};

/// The lowest niceness an unprivileged thread may take (RLIMIT_NICE allows 20 - limit).
int NicenessFloor() {
  rlimit limit{};
  if (getrlimit(RLIMIT_NICE, &limit) != 0) return 0;
  if (limit.rlim_cur == RLIM_INFINITY || limit.rlim_cur >= 40) return -20;
  return 20 - static_cast<int>(limit.rlim_cur);
}

}  // namespace

int CurrentThreadId() {
  return static_cast<int>(syscall(SYS_gettid));
}

int ThreadPriorityNiceness(uint8_t priority) {
  return kNiceness[std::min<size_t>(priority, kNiceness.size() - 1)];
}

bool ApplyThreadPriority(int threadId, uint8_t priority) {
  if (threadId <= 0) return false;
  const int niceness = ThreadPriorityNiceness(priority);
  const auto id = static_cast<id_t>(threadId);
  if (setpriority(PRIO_PROCESS, id, niceness) == 0) return true;
  if (errno != EACCES && errno != EPERM) return false;
  // Not allowed so high: as high as the limit allows, when that is higher than now.
  errno = 0;
  const int current = getpriority(PRIO_PROCESS, id);
  const int allowed = std::max(niceness, NicenessFloor());
  if (errno == 0 && allowed < current) setpriority(PRIO_PROCESS, id, allowed);
  return false;
}
