// Thread priorities as niceness: each thread on its own, the class library's levels, and a
// raise that the nice limit refuses (checked in a child process without privileges).
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <initializer_list>
#include <thread>
#include <vector>

#include "TestRunEnd.h"
#include "platform/core/ThreadPriority.h"

namespace {

int OwnNiceness() {
  return getpriority(PRIO_PROCESS, static_cast<id_t>(CurrentThreadId()));
}

/// The niceness a fresh thread has after asking for each of `priorities` in turn.
std::vector<int> NicenessAfterEach(const std::vector<uint8_t>& priorities) {
  std::vector<int> seen;
  std::thread([&] {
    for (const uint8_t priority : priorities) {
      ApplyThreadPriority(CurrentThreadId(), priority);
      seen.push_back(OwnNiceness());
    }
  }).join();
  return seen;
}

TEST(ThreadPriorityTest, LevelsLowerOnlyTheThreadAskedFor) {
  if (OwnNiceness() != 0) GTEST_SKIP() << "the tests run at a niceness other than normal";
  EXPECT_EQ(NicenessAfterEach({tpLower, tpLowest, tpIdle}), (std::vector<int>{5, 10, 19}));
  EXPECT_EQ(OwnNiceness(), 0);
  // Out-of-range levels count as the highest one, never beyond the table.
  EXPECT_EQ(ThreadPriorityNiceness(200), ThreadPriorityNiceness(tpTimeCritical));
  EXPECT_FALSE(ApplyThreadPriority(0, tpNormal));
}

/// In a child process that sets its nice limit to allow niceness `floor` at best and drops
/// its privileges: asks for `priority` and exits with the resulting niceness + 20 (bit 7
/// set when ApplyThreadPriority answered true); 255 when the child could not be set up.
int NicenessInUnprivilegedChild(int floor, uint8_t start, uint8_t priority) {
  const pid_t child = fork();
  if (child == 0) {
    const rlimit limit{static_cast<rlim_t>(20 - floor), static_cast<rlim_t>(20 - floor)};
    if (setrlimit(RLIMIT_NICE, &limit) != 0 || (getuid() == 0 && setuid(65534) != 0)) _exit(255);
    ApplyThreadPriority(CurrentThreadId(), start);
    const bool exact = ApplyThreadPriority(CurrentThreadId(), priority);
    _exit((OwnNiceness() + 20) | (exact ? 0x80 : 0));
  }
  int status = 0;
  if (child < 0 || waitpid(child, &status, 0) != child || !WIFEXITED(status)) return -1;
  return WEXITSTATUS(status);
}

struct LimitCase {
  const char* name;
  int floor;
  uint8_t start, priority;
  int niceness;
  bool exact;
};

/// Runs each case in a child; false when a child could not set its limit.
bool CheckInChildren(std::initializer_list<LimitCase> cases) {
  for (const LimitCase& c : cases) {
    SCOPED_TRACE(c.name);
    const int result = NicenessInUnprivilegedChild(c.floor, c.start, c.priority);
    if (result == 255) return false;
    EXPECT_GE(result, 0);
    EXPECT_EQ((result & 0x7F) - 20, c.niceness);
    EXPECT_EQ((result & 0x80) != 0, c.exact);
  }
  return true;
}

TEST(ThreadPriorityTest, RaiseRefusedWithoutANiceLimitLeavesTheThreadAndSaysSo) {
  if (OwnNiceness() != 0) GTEST_SKIP() << "the tests run at a niceness other than normal";
  ASSERT_TRUE(CheckInChildren({
      {"above normal stays normal", 20, tpNormal, tpHigher, 0, false},
      {"back to normal stays low", 20, tpLower, tpNormal, 5, false},
      {"lowering is always granted", 20, tpNormal, tpIdle, 19, true},
  }));
}

TEST(ThreadPriorityTest, RaiseGoesAsHighAsTheNiceLimitAllows) {
  if (OwnNiceness() != 0) GTEST_SKIP() << "the tests run at a niceness other than normal";
  if (!CheckInChildren({
          {"above normal goes to the limit", 3, tpLowest, tpHighest, 3, false},
          {"within the limit is granted", -10, tpNormal, tpHighest, -10, true},
      }))
    GTEST_SKIP() << zuktest::kWithheldRight << "raising a nice limit (CAP_SYS_RESOURCE)";
}

}  // namespace
