// The registry manager: which root it settles on, and a second start that changes nothing.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <functional>
#include <string>

#include "common/units/RegistryManager.h"
#include "platform/core/RegistryTestSupport.h"

namespace {

class RegistryManagerTest : public RegistryTest {};

/// Runs `check` in a child process as the unprivileged user 65534 and reports its exit code
/// (-1 when that is impossible here).
int RunAsOtherUser(const std::function<bool()>& check) {
  if (geteuid() != 0) return -1;
  const pid_t pid = fork();
  if (pid < 0) return -1;
  if (pid == 0) {
    if (setgid(65534) != 0 || setuid(65534) != 0) _exit(2);
    _exit(check() ? 0 : 1);
  }
  int status = 0;
  waitpid(pid, &status, 0);
  return WIFEXITED(status) ? WEXITSTATUS(status) : 3;
}

TEST_F(RegistryManagerTest, UsesTheMachineRootWhenItsSoftwareKeyIsWritable) {
  ASSERT_EQ(mkdir((machine.Path() + "/store").c_str(), 0755), 0);
  ASSERT_EQ(mkdir(MachineKey("Software").c_str(), 0755), 0);
  TRegistryManager manager;
  EXPECT_EQ(manager.RootKey(), HKEY_LOCAL_MACHINE);
  EXPECT_TRUE(PathExists(MachineKey("Software/ZUK Converter/Manager")));
  EXPECT_FALSE(PathExists(UserKey("Software")));
}

TEST_F(RegistryManagerTest, FallsBackToTheUserRootWithoutAMachineSoftwareKey) {
  TRegistryManager manager;
  EXPECT_EQ(manager.RootKey(), HKEY_CURRENT_USER);
  EXPECT_TRUE(PathExists(UserKey("Software/ZUK Converter/Manager")));
  EXPECT_FALSE(PathExists(MachineKey("Software")));
}

TEST_F(RegistryManagerTest, FallsBackToTheUserRootWithoutWriteAccessToTheMachine) {
  ASSERT_EQ(mkdir((machine.Path() + "/store").c_str(), 0755), 0);
  ASSERT_EQ(mkdir(MachineKey("Software").c_str(), 0755), 0);
  if (geteuid() != 0) {
    ASSERT_EQ(chmod(MachineKey("Software").c_str(), 0555), 0);
    TRegistryManager manager;
    EXPECT_EQ(manager.RootKey(), HKEY_CURRENT_USER);
    EXPECT_TRUE(PathExists(UserKey("Software/ZUK Converter/Manager")));
    return;
  }
  // Root may write anywhere: check as an unprivileged user whose own store is writable.
  chmod(machine.Path().c_str(), 0755);
  chmod(user.Path().c_str(), 0755);
  ASSERT_EQ(mkdir((user.Path() + "/store").c_str(), 0700), 0);
  ASSERT_EQ(chown((user.Path() + "/store").c_str(), 65534, 65534), 0);
  const int result = RunAsOtherUser([] {
    TRegistryManager manager;
    return manager.RootKey() == HKEY_CURRENT_USER;
  });
  if (result == 2) GTEST_SKIP() << "cannot switch to another user";
  EXPECT_EQ(result, 0);
  EXPECT_TRUE(PathExists(UserKey("Software/ZUK Converter/Manager")));
  EXPECT_FALSE(PathExists(MachineKey("Software/ZUK Converter")));
}

TEST_F(RegistryManagerTest, SecondStartFindsTheKeyAndChangesNothing) {
  { TRegistryManager first; }
  const std::string key = UserKey("Software/ZUK Converter/Manager");
  WriteTextFile(key + "/marker", "x");
  struct stat before;
  ASSERT_EQ(stat(key.c_str(), &before), 0);
  TRegistryManager second;
  struct stat after;
  ASSERT_EQ(stat(key.c_str(), &after), 0);
  EXPECT_EQ(before.st_ino, after.st_ino);
  EXPECT_EQ(before.st_mtim.tv_sec, after.st_mtim.tv_sec);
  EXPECT_EQ(before.st_mtim.tv_nsec, after.st_mtim.tv_nsec);
  EXPECT_TRUE(PathExists(key + "/marker"));
}

}  // namespace
