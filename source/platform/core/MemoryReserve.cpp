#include "platform/core/MemoryReserve.h"

#include <pthread.h>
#include <sys/mman.h>
#include <sys/resource.h>

#include <atomic>
#include <cstring>
#include <fstream>
#include <new>

namespace {

// Enough for the unwinding of a conversion (files removed, the tree's window items taken
// away) and its message.
constexpr size_t kReserveBytes = 8 << 20;

// Mapped directly rather than taken from malloc, so that holding and giving it back leaves the
// allocator's own thresholds as they were, and giving it back returns its pages at once.
std::atomic<void*> g_reserve{nullptr};

void* MapBlock(size_t bytes) {
  void* block = mmap(nullptr, bytes, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
  return block == MAP_FAILED ? nullptr : block;
}

bool Unlimited(int resource) {
  struct rlimit limit;
  return getrlimit(resource, &limit) != 0 || limit.rlim_cur == RLIM_INFINITY;
}

/// Whether an allocation can be refused: under a limit of the process, or where the system
/// counts every promise of memory (overcommit mode 2). Otherwise memory that runs out ends the
/// process from outside, whatever it checks.
bool MemoryIsBounded() {
  static const bool bounded = [] {
    if (!Unlimited(RLIMIT_AS) || !Unlimited(RLIMIT_DATA)) return true;
    std::ifstream mode("/proc/sys/vm/overcommit_memory");
    int value = 0;
    return mode >> value && value == 2;
  }();
  return bounded;
}

size_t DefaultThreadStack() {
  size_t size = 8 << 20;
  pthread_attr_t attr;
  if (pthread_getattr_default_np(&attr) == 0) {
    pthread_attr_getstacksize(&attr, &size);
    pthread_attr_destroy(&attr);
  }
  return size;
}

}  // namespace

bool HoldMemoryReserve() {
  std::set_new_handler(RaiseOutOfMemory);
  if (g_reserve.load() != nullptr) return true;
  void* block = MapBlock(kReserveBytes);
  if (block == nullptr) return false;
  // Touched, so that the pages it gives back are real ones, also where memory is promised
  // beyond what there is.
  std::memset(block, 0, kReserveBytes);
  if (void* old = g_reserve.exchange(block)) munmap(old, kReserveBytes);
  return true;
}

void ReleaseMemoryReserve() {
  if (void* block = g_reserve.exchange(nullptr)) munmap(block, kReserveBytes);
}

void RaiseOutOfMemory() {
  ReleaseMemoryReserve();
  throw std::bad_alloc();
}

void CheckMemoryHeadroom(size_t bytes, int threads) {
  if (!MemoryIsBounded()) return;
  static const size_t threadStack = DefaultThreadStack();
  const size_t total = bytes + static_cast<size_t>(threads) * threadStack;
  void* probe = MapBlock(total);
  if (probe == nullptr) RaiseOutOfMemory();
  munmap(probe, total);
}
