// Running a test on a real X server: the test program starts itself again under xvfb-run
// (with the xcb platform) for the named tests, and that run does the work.
#pragma once

#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <sstream>
#include <string>

#include "TestRunEnd.h"

namespace xcbtest {

/// True inside the run under the X server.
inline bool UnderXServer() {
  return std::getenv("ZUK_XCB_CHILD") != nullptr;
}

inline std::string FindProgram(const std::string& name) {
  const char* path = std::getenv("PATH");
  std::stringstream dirs(path != nullptr ? path : "/usr/bin:/bin");
  for (std::string dir; std::getline(dirs, dir, ':');) {
    const std::string candidate = dir + "/" + name;
    if (access(candidate.c_str(), X_OK) == 0) return candidate;
  }
  return std::string();
}

/// What the run under the X server came to: a failure, a skip with its reasons, or neither.
struct XServerRun {
  std::string failure;
  std::string skipReason;
};

/// Reads the run's exit status (as `system` gives it) and its GoogleTest output: a run in which
/// a test skipped skips with the reasons; one that passed no test fails.
inline XServerRun ReadXServerRun(int status, const std::string& output, const std::string& gtestFilter) {
  XServerRun run;
  if (status != 0 && !(WIFEXITED(status) && WEXITSTATUS(status) == zuktest::kSkippedStatus)) {
    run.failure = "the run under xvfb-run failed (" +
                  (WIFEXITED(status) ? "exit status " + std::to_string(WEXITSTATUS(status))
                                     : "signal " + std::to_string(WTERMSIG(status))) +
                  ")";
    return run;
  }
  int passed = 0;
  bool skipped = false, inReason = false;
  std::string reasons;
  std::istringstream lines(output);
  for (std::string line; std::getline(lines, line);) {
    if (line.starts_with("[  PASSED  ] ")) passed = std::atoi(line.c_str() + 13);
    if (line.starts_with("[")) inReason = false;
    if (inReason && !line.empty()) reasons += (reasons.empty() ? ": " : "; ") + line;
    if (line.ends_with(": Skipped")) skipped = inReason = true;
  }
  if (skipped)
    run.skipReason = "the run under xvfb-run skipped" + reasons;
  else if (passed == 0)
    run.failure = "the run under xvfb-run passed no test matching " + gtestFilter;
  return run;
}

/// Runs the tests matching `gtest_filter` of this program under xvfb-run, passing its output
/// on; skips when xvfb-run is not installed.
inline XServerRun RunUnderXServer(const std::string& gtestFilter) {
  const std::string xvfbRun = FindProgram("xvfb-run");
  if (xvfbRun.empty()) return XServerRun{"", "xvfb-run is not installed (Debian packages xvfb and xauth)"};
  const std::string self = std::filesystem::read_symlink("/proc/self/exe").string();
  // The run writes no report of its own over this program's, and its output reads as plain lines.
  const std::string command = xvfbRun +
                              " -a -s '-screen 0 1024x768x24' env -u GTEST_OUTPUT ZUK_XCB_CHILD=1 "
                              "QT_QPA_PLATFORM=xcb '" +
                              self + "' --gtest_color=no --gtest_brief=0 --gtest_filter='" + gtestFilter +
                              "' 2>&1";
  std::fflush(stdout);
  FILE* pipe = popen(command.c_str(), "r");
  if (pipe == nullptr) return XServerRun{"xvfb-run could not be started", ""};
  std::string output;
  char buffer[4096];
  for (size_t n; (n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0;) {
    std::fwrite(buffer, 1, n, stdout);
    output.append(buffer, n);
  }
  std::fflush(stdout);
  return ReadXServerRun(pclose(pipe), output, gtestFilter);
}

}  // namespace xcbtest

/// Put first in a test that must run on an X server: outside the X server run it starts that
/// run (or skips) and returns.
#define ZUK_RUN_UNDER_XSERVER(filter)                                          \
  if (!xcbtest::UnderXServer()) {                                              \
    const xcbtest::XServerRun xserverRun = xcbtest::RunUnderXServer(filter);   \
    if (!xserverRun.skipReason.empty()) GTEST_SKIP() << xserverRun.skipReason; \
    if (!xserverRun.failure.empty()) ADD_FAILURE() << xserverRun.failure;      \
    return;                                                                    \
  }
