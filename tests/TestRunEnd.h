// How a test program ends: the framework's result, except that a run in which cases were
// skipped (an oracle program missing, a right the machine withholds) ends with kSkippedStatus
// so that CTest reports the test as skipped rather than passed. Under CI (CI=true), where
// every oracle is installed, a skipped case is a lost check and the program fails instead;
// only a skip whose reason starts with kWithheldRight (a right no installation can give, such
// as raising a resource limit inside a container) is let through there, still reported.
#pragma once

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <iostream>
#include <string>
#include <vector>

namespace zuktest {

inline constexpr int kSkippedStatus = 77;
inline constexpr const char* kWithheldRight = "this machine withholds a right the case needs: ";

/// Whether every skip of the case says it lacks a right rather than an oracle.
inline bool SkippedForAWithheldRight(const ::testing::TestResult& result) {
  for (int i = 0; i < result.total_part_count(); ++i) {
    const ::testing::TestPartResult& part = result.GetTestPartResult(i);
    if (part.skipped() && std::strncmp(part.message(), kWithheldRight, std::strlen(kWithheldRight)) != 0)
      return false;
  }
  return true;
}

inline int FinishTestRun(int result) {
  const ::testing::UnitTest& unit = *::testing::UnitTest::GetInstance();
  if (result != 0 || unit.skipped_test_count() == 0) return result;
  const char* ci = std::getenv("CI");
  if (ci == nullptr || std::strcmp(ci, "true") != 0) return kSkippedStatus;
  std::vector<std::string> lost;
  for (int s = 0; s < unit.total_test_suite_count(); ++s) {
    const ::testing::TestSuite& suite = *unit.GetTestSuite(s);
    for (int t = 0; t < suite.total_test_count(); ++t) {
      const ::testing::TestInfo& info = *suite.GetTestInfo(t);
      if (info.result()->Skipped() && !SkippedForAWithheldRight(*info.result()))
        lost.push_back(std::string(suite.name()) + "." + info.name());
    }
  }
  if (lost.empty()) return kSkippedStatus;
  std::cout << "\n"
            << lost.size()
            << " case(s) skipped under CI, where every oracle is installed (the reasons stand above):\n";
  for (const std::string& name : lost) std::cout << "  " << name << "\n";
  return 1;
}

}  // namespace zuktest
