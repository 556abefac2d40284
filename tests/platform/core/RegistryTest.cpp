// The registry store: roots, keys as folders, values in each key's value file.
#include <gtest/gtest.h>

#include <string>

#include "RegistryTestSupport.h"
#include "platform/core/Exceptions.h"

namespace {

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

}  // namespace
