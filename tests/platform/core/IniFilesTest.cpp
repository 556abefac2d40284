#include <gtest/gtest.h>

#include "TestFolders.h"
#include "platform/core/Files.h"
#include "platform/core/IniFiles.h"

namespace {

TEST(IniFileTest, ReadsSectionsAndValuesIgnoringCaseAndBlanks) {
  ScratchFolder folder;
  WriteTextFile(folder / "a.ini",
                "; comment\r\n[Language]\r\n  CurrentLanguageIndex =  1 \r\nName=first\r\nName=second\r\n"
                "# comment=1\r\n[Other]\nHex=0x10\nBad=12abc\nEmpty=\n");
  const TIniFile ini(folder / "a.ini");
  EXPECT_TRUE(ini.SectionExists("language"));
  EXPECT_FALSE(ini.SectionExists("missing"));
  EXPECT_TRUE(ini.ValueExists("LANGUAGE", "currentlanguageindex"));
  EXPECT_FALSE(ini.ValueExists("Other", "CurrentLanguageIndex"));
  EXPECT_FALSE(ini.ValueExists("Language", "# comment"));
  EXPECT_EQ(ini.ReadInteger("language", "CurrentLanguageIndex", -1), 1);
  EXPECT_EQ(ini.ReadString("language", "Name", "def"), "first");
  EXPECT_EQ(ini.ReadInteger("Other", "Hex", 0), 16);
  EXPECT_EQ(ini.ReadInteger("Other", "Bad", 7), 7);
  EXPECT_EQ(ini.ReadString("Other", "Empty", "def"), "");
  EXPECT_EQ(ini.ReadString("Other", "Missing", "def"), "def");
}

TEST(IniFileTest, MissingFileHasNoValues) {
  const TIniFile ini("/nonexistent/zuk.ini");
  EXPECT_FALSE(ini.SectionExists("language"));
  EXPECT_EQ(ini.ReadInteger("language", "CurrentLanguageIndex", 5), 5);
}

TEST(IniFileTest, ProgramIniFileSitsBesideTheProgram) {
  const std::string program = GetModuleFileName();
  ASSERT_FALSE(program.empty());
  const std::string ini = ProgramIniFileName();
  EXPECT_EQ(ini, program.substr(0, program.find_last_of('/') + 1) + "platform_core_tests.ini");
}

}  // namespace
