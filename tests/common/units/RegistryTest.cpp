#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <functional>
#include <string>

#include "TestFolders.h"
#include "common/units/RegistryManager.h"
#include "platform/core/Exceptions.h"
#include "platform/core/Registry.h"

namespace {

// Each test keeps both roots in scratch folders of its own.
class RegistryTest : public ::testing::Test {
 protected:
  void SetUp() override {
    SetRegistryRootFolder(HKEY_CURRENT_USER, user.Path() + "/store");
    SetRegistryRootFolder(HKEY_LOCAL_MACHINE, machine.Path() + "/store");
  }
  void TearDown() override {
    SetRegistryRootFolder(HKEY_CURRENT_USER, "");
    SetRegistryRootFolder(HKEY_LOCAL_MACHINE, "");
  }
  std::string UserKey(const std::string& path) const { return user.Path() + "/store/" + path; }
  std::string MachineKey(const std::string& path) const { return machine.Path() + "/store/" + path; }

  ScratchFolder user;
  ScratchFolder machine;
};

TEST(RegistryRootTest, UserRootLivesUnderXdgConfigHome) {
  {
    ScopedEnv xdg("XDG_CONFIG_HOME", "/some/config");
    EXPECT_EQ(RegistryRootFolder(HKEY_CURRENT_USER), "/some/config/zuk-registry");
  }
  {
    ScopedEnv xdg("XDG_CONFIG_HOME", nullptr);
    ScopedEnv home("HOME", "/home/someone");
    EXPECT_EQ(RegistryRootFolder(HKEY_CURRENT_USER), "/home/someone/.config/zuk-registry");
  }
  EXPECT_EQ(RegistryRootFolder(HKEY_LOCAL_MACHINE), "/etc/xdg/zuk-registry");
}

TEST_F(RegistryTest, KeysAreFoldersCreatedOnDemand) {
  TRegistry reg;
  EXPECT_FALSE(reg.KeyExists("Software\\Maker"));
  EXPECT_FALSE(reg.OpenKey("Software\\Maker", false));
  EXPECT_FALSE(reg.HasCurrentKey());
  ASSERT_TRUE(reg.OpenKey("Software\\Maker", true));
  EXPECT_EQ(reg.CurrentPath(), "Software\\Maker");
  EXPECT_TRUE(PathExists(UserKey("Software/Maker")));
  EXPECT_EQ(ModeOf(UserKey("Software")), 0700u);
  // Relative to the open key, and absolute with a leading backslash.
  ASSERT_TRUE(reg.OpenKey("Program", true));
  EXPECT_EQ(reg.CurrentPath(), "Software\\Maker\\Program");
  EXPECT_TRUE(reg.KeyExists("\\Software\\Maker\\Program"));
  EXPECT_TRUE(reg.OpenKey("\\Software", false));
  EXPECT_EQ(reg.CurrentPath(), "Software");
}

TEST_F(RegistryTest, KeyNamesThatWouldLeaveTheStoreAreRefused) {
  TRegistry reg;
  for (const char* key : {"..", "Software\\..\\..\\x", "a/b", "Software\\.values"}) {
    EXPECT_FALSE(reg.OpenKey(key, true)) << key;
    EXPECT_FALSE(reg.CreateKey(key)) << key;
    EXPECT_FALSE(reg.KeyExists(key)) << key;
  }
  EXPECT_FALSE(PathExists(user.Path() + "/x"));
}

TEST_F(RegistryTest, ValuesRoundTripThroughTheKeysValueFile) {
  TRegistry reg;
  ASSERT_TRUE(reg.OpenKey("Software\\Maker", true));
  const std::string odd("tab\there\r\nline\\slash\0nul", 25);
  reg.WriteString("Name", "first");
  reg.WriteString("Name", odd);
  reg.WriteString("Other\tname", "x");
  reg.WriteInteger("Count", -42);
  TRegistry again;
  ASSERT_TRUE(again.OpenKeyReadOnly("Software\\Maker"));
  EXPECT_TRUE(again.ValueExists("name"));
  EXPECT_EQ(again.ReadString("Name"), odd);
  EXPECT_EQ(again.ReadString("Other\tname"), "x");
  EXPECT_EQ(again.ReadInteger("Count"), -42);
  EXPECT_EQ(again.ReadString("Missing"), "");
  EXPECT_THROW(again.ReadInteger("Missing"), ERegistryException);
  EXPECT_THROW(again.ReadInteger("Name"), ERegistryException);
  EXPECT_THROW(again.WriteString("Name", "y"), ERegistryException);  // opened for reading only
}

TEST_F(RegistryTest, ValuesNeedAnOpenKey) {
  TRegistry reg;
  EXPECT_THROW(reg.ValueExists("x"), ERegistryException);
  EXPECT_THROW(reg.WriteString("x", "y"), ERegistryException);
}

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

TEST_F(RegistryTest, ManagerUsesTheMachineRootWhenItsSoftwareKeyIsWritable) {
  ASSERT_EQ(mkdir((machine.Path() + "/store").c_str(), 0755), 0);
  ASSERT_EQ(mkdir(MachineKey("Software").c_str(), 0755), 0);
  TRegistryManager manager;
  EXPECT_EQ(manager.RootKey(), HKEY_LOCAL_MACHINE);
  EXPECT_TRUE(PathExists(MachineKey("Software/ZUK Converter/Manager")));
  EXPECT_FALSE(PathExists(UserKey("Software")));
}

TEST_F(RegistryTest, ManagerFallsBackToTheUserRootWithoutAMachineSoftwareKey) {
  TRegistryManager manager;
  EXPECT_EQ(manager.RootKey(), HKEY_CURRENT_USER);
  EXPECT_TRUE(PathExists(UserKey("Software/ZUK Converter/Manager")));
  EXPECT_FALSE(PathExists(MachineKey("Software")));
}

TEST_F(RegistryTest, ManagerFallsBackToTheUserRootWithoutWriteAccessToTheMachine) {
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

TEST_F(RegistryTest, SecondStartFindsTheKeyAndChangesNothing) {
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
