#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <fstream>
#include <memory>
#include <new>
#include <vector>

#include "platform/core/MemoryReserve.h"

namespace {

#if !defined(__SANITIZE_ADDRESS__) && !defined(__SANITIZE_THREAD__)
// (The sanitizers' allocators end the program when memory runs out rather than throw: this case
// runs in the builds without them.)

/// In a child whose address space may grow by 64 MB, with the reserve held: takes memory a
/// megabyte at a time until it runs out. Exits with 0 when the failure left room for a clean-up
/// of a few megabytes but not for much more, else with the number of the step that went wrong.
int RunOutOfMemoryInChild() {
  const pid_t child = fork();
  if (child == 0) {
    long pages = 0;
    std::ifstream("/proc/self/statm") >> pages;
    const auto size = static_cast<rlim_t>(pages * sysconf(_SC_PAGESIZE) + (64 << 20));
    const rlimit limit{size, size};
    std::vector<std::unique_ptr<char[]>> taken;
    taken.reserve(1024);
    if (pages == 0 || !HoldMemoryReserve() || setrlimit(RLIMIT_AS, &limit) != 0) _exit(10);
    try {
      while (taken.size() < taken.capacity()) taken.push_back(std::make_unique<char[]>(1 << 20));
      _exit(1);  // never ran out
    } catch (const std::bad_alloc&) {
    }
    try {
      CheckMemoryHeadroom(4 << 20);
    } catch (const std::bad_alloc&) {
      _exit(2);  // the reserve was not given back
    }
    try {
      CheckMemoryHeadroom(32 << 20);
      _exit(3);  // the check found room that is not there
    } catch (const std::bad_alloc&) {
    }
    _exit(0);
  }
  int status = 0;
  if (child < 0 || waitpid(child, &status, 0) != child || !WIFEXITED(status)) return -1;
  return WEXITSTATUS(status);
}

TEST(MemoryReserveTest, MemoryThatRunsOutLeavesTheReserveForTheCleanUp) {
  EXPECT_EQ(RunOutOfMemoryInChild(), 0);
}
#endif

}  // namespace
