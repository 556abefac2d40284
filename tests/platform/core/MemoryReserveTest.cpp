#include <gtest/gtest.h>
#include <sys/resource.h>
#include <unistd.h>

#include <fstream>
#include <memory>
#include <new>
#include <vector>

#include "platform/core/MemoryReserve.h"

namespace {

#if !defined(__SANITIZE_ADDRESS__) && !defined(__SANITIZE_THREAD__)
// The sanitizers' allocators end the program when memory runs out, rather than throw.

bool HasHeadroom(size_t bytes) {
  try {
    CheckMemoryHeadroom(bytes);
    return true;
  } catch (const std::bad_alloc&) {
    return false;
  }
}

/// With the reserve held and an address space that may grow by 64 MB: takes memory a megabyte at
/// a time until it runs out. 0 when the failure left room for a clean-up of a few megabytes but
/// not for much more, else the number of the step that went wrong.
int RunOutOfMemory() {
  long pages = 0;
  std::ifstream("/proc/self/statm") >> pages;
  const auto size = static_cast<rlim_t>(pages * sysconf(_SC_PAGESIZE) + (64 << 20));
  const rlimit limit{size, size};
  std::vector<std::unique_ptr<char[]>> taken;
  taken.reserve(1024);
  if (pages == 0 || !HoldMemoryReserve() || setrlimit(RLIMIT_AS, &limit) != 0) return 10;
  try {
    while (taken.size() < taken.capacity()) taken.push_back(std::make_unique<char[]>(1 << 20));
    return 1;  // never ran out
  } catch (const std::bad_alloc&) {
  }
  // 2: the reserve was not given back; 3: the check found room that is not there.
  return !HasHeadroom(4 << 20) ? 2 : HasHeadroom(32 << 20) ? 3 : 0;
}

TEST(MemoryReserveTest, MemoryThatRunsOutLeavesTheReserveForTheCleanUp) {
  EXPECT_EXIT(_exit(RunOutOfMemory()), testing::ExitedWithCode(0), "");
}
#endif

}  // namespace
