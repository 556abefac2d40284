// Running a test on a real X server: the test program starts itself again under xvfb-run
// (with the xcb platform) for the named tests, and that run does the work.
#pragma once

#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <sstream>
#include <string>

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

/// Runs the tests matching `gtest_filter` of this program under xvfb-run and returns its exit
/// status; -1 with `skip_reason` set when xvfb-run is not installed.
inline int RunUnderXServer(const std::string& gtestFilter, std::string& skipReason) {
  const std::string xvfbRun = FindProgram("xvfb-run");
  if (xvfbRun.empty()) {
    skipReason = "xvfb-run is not installed (Debian packages xvfb and xauth)";
    return -1;
  }
  const std::string self = std::filesystem::read_symlink("/proc/self/exe").string();
  const std::string command = xvfbRun +
                              " -a -s '-screen 0 1024x768x24' env ZUK_XCB_CHILD=1 QT_QPA_PLATFORM=xcb '" +
                              self + "' --gtest_filter='" + gtestFilter + "'";
  return std::system(command.c_str());
}

}  // namespace xcbtest

/// Put first in a test that must run on an X server: outside the X server run it starts that
/// run (or skips) and returns.
#define ZUK_RUN_UNDER_XSERVER(filter)                                 \
  if (!xcbtest::UnderXServer()) {                                     \
    std::string skip_reason;                                          \
    const int status = xcbtest::RunUnderXServer(filter, skip_reason); \
    if (status < 0) GTEST_SKIP() << skip_reason;                      \
    EXPECT_EQ(status, 0) << "the run under xvfb-run failed";          \
    return;                                                           \
  }
