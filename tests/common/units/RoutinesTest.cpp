#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <string>
#include <vector>

#include "common/units/Routines.h"
#include "platform/core/Strings.h"
#include "platform/core/TestFolders.h"

namespace {

std::vector<std::string> Lines(const TStrings& list) {
  std::vector<std::string> lines;
  for (int i = 0; i < list.Count(); ++i) lines.push_back(list[i]);
  return lines;
}

// Every test runs with TEMP pointing at a scratch folder of its own.
class TempFolderTest : public ::testing::Test {
 protected:
  ScratchFolder temp;
  ScopedEnv tmpdir{"TMPDIR", temp.Path().c_str()};

  std::string PrivateFolder() const { return temp / ("zuk-" + std::to_string(geteuid())); }
};

TEST_F(TempFolderTest, TempFolderIsTmpdirWhenItNamesAFolder) {
  EXPECT_EQ(GetTempFolder(), temp.Path());
  {
    ScopedEnv missing("TMPDIR", (temp / "missing").c_str());
    EXPECT_EQ(GetTempFolder(), "/tmp");
  }
  {
    ScopedEnv unset("TMPDIR", nullptr);
    EXPECT_EQ(GetTempFolder(), "/tmp");
  }
}

TEST_F(TempFolderTest, TempFolderOfAnyLengthWorks) {
  std::string deep = temp.Path();
  while (deep.size() < 600) {
    deep += "/" + std::string(60, 'd');
    ASSERT_EQ(mkdir(deep.c_str(), 0700), 0);
  }
  ScopedEnv longTmpdir("TMPDIR", deep.c_str());
  EXPECT_EQ(GetTempFolder(), deep);
  const std::string folder = PrepareTempFolder("work");
  EXPECT_EQ(folder, deep + "/zuk-" + std::to_string(geteuid()) + "/work/");
  EXPECT_TRUE(PathExists(folder));
}

TEST_F(TempFolderTest, PrepareCreatesPrivateFoldersWithATrailingDelimiter) {
  const std::string folder = PrepareTempFolder("zuk_converter");
  EXPECT_EQ(folder, PrivateFolder() + "/zuk_converter/");
  EXPECT_EQ(ModeOf(PrivateFolder()), 0700u);
  EXPECT_EQ(ModeOf(PrivateFolder() + "/zuk_converter"), 0700u);
}

TEST_F(TempFolderTest, PrepareEmptiesAnExistingFolderAndKeepsItsSubfolders) {
  const std::string folder = PrepareTempFolder("work");
  WriteTextFile(folder + "page.html", "x");
  WriteTextFile(folder + "locked.jpg", "x");
  chmod((folder + "locked.jpg").c_str(), 0400);
  mkdir((folder + "sub").c_str(), 0700);
  WriteTextFile(folder + "sub/inner.txt", "x");
  mkdir((folder + ".keep").c_str(), 0700);
  WriteTextFile(folder + ".keep/inner.txt", "x");

  EXPECT_EQ(PrepareTempFolder("work"), folder);
  EXPECT_FALSE(PathExists(folder + "page.html"));
  EXPECT_FALSE(PathExists(folder + "locked.jpg"));
  EXPECT_TRUE(PathExists(folder + "sub"));
  EXPECT_FALSE(PathExists(folder + "sub/inner.txt"));
  EXPECT_TRUE(PathExists(folder + ".keep/inner.txt"));
}

TEST_F(TempFolderTest, PlantedLinkInPlaceOfThePrivateFolderIsRefused) {
  ScratchFolder elsewhere;
  WriteTextFile(elsewhere / "precious", "x");
  ASSERT_EQ(symlink(elsewhere.Path().c_str(), PrivateFolder().c_str()), 0);
  EXPECT_THROW(PrepareTempFolder("work"), ETempFolderError);
  EXPECT_TRUE(PathExists(elsewhere / "precious"));
  EXPECT_FALSE(PathExists(elsewhere / "work"));
}

TEST_F(TempFolderTest, PlantedLinkInPlaceOfTheWorkFolderIsRefused) {
  ScratchFolder elsewhere;
  WriteTextFile(elsewhere / "precious", "x");
  PrepareTempFolder("other");
  ASSERT_EQ(symlink(elsewhere.Path().c_str(), (PrivateFolder() + "/work").c_str()), 0);
  EXPECT_THROW(PrepareTempFolder("work"), ETempFolderError);
  EXPECT_TRUE(PathExists(elsewhere / "precious"));
}

TEST_F(TempFolderTest, PrivateFolderOfAnotherOwnerIsRefused) {
  ASSERT_EQ(mkdir(PrivateFolder().c_str(), 0700), 0);
  if (chown(PrivateFolder().c_str(), 65534, 65534) != 0)
    GTEST_SKIP() << "cannot give a folder to another user";
  EXPECT_THROW(PrepareTempFolder("work"), ETempFolderError);
  EXPECT_FALSE(PathExists(PrivateFolder() + "/work"));
}

TEST_F(TempFolderTest, PrivateFolderOpenToOthersIsNarrowedToTheOwner) {
  ASSERT_EQ(mkdir(PrivateFolder().c_str(), 0700), 0);
  ASSERT_EQ(chmod(PrivateFolder().c_str(), 0777), 0);
  PrepareTempFolder("work");
  EXPECT_EQ(ModeOf(PrivateFolder()), 0700u);
}

TEST_F(TempFolderTest, FolderThatCannotBeCreatedIsAnError) {
  WriteTextFile(PrivateFolder(), "a file where the folder should be");
  EXPECT_THROW(PrepareTempFolder("work"), ETempFolderError);
  ASSERT_EQ(unlink(PrivateFolder().c_str()), 0);
  PrepareTempFolder("other");
  WriteTextFile(PrivateFolder() + "/work", "a file where the folder should be");
  EXPECT_THROW(PrepareTempFolder("work"), ETempFolderError);
}

TEST_F(TempFolderTest, NamesThatLeaveThePrivateFolderAreRefused) {
  for (const char* name : {"", ".", "..", "../escape", "a/b"})
    EXPECT_THROW(PrepareTempFolder(name), ETempFolderError) << name;
  EXPECT_FALSE(PathExists(temp / "escape"));
}

class FolderTreeTest : public ::testing::Test {
 protected:
  ScratchFolder folder;
  ScratchFolder outside;
};

TEST_F(FolderTreeTest, DeletingNeverFollowsSymbolicLinks) {
  WriteTextFile(outside / "target.txt", "x");
  mkdir((outside / "dir").c_str(), 0700);
  WriteTextFile(outside / "dir/inside.txt", "x");
  ASSERT_EQ(symlink((outside / "target.txt").c_str(), (folder / "file-link").c_str()), 0);
  ASSERT_EQ(symlink((outside / "dir").c_str(), (folder / "dir-link").c_str()), 0);

  DeleteFolderFiles(folder.Path());
  EXPECT_FALSE(PathExists(folder / "file-link"));
  EXPECT_FALSE(PathExists(folder / "dir-link"));
  EXPECT_TRUE(PathExists(outside / "target.txt"));
  EXPECT_TRUE(PathExists(outside / "dir/inside.txt"));
}

TEST_F(FolderTreeTest, FolderThatIsALinkIsLeftAlone) {
  WriteTextFile(outside / "target.txt", "x");
  ASSERT_EQ(symlink(outside.Path().c_str(), (folder / "link").c_str()), 0);
  DeleteFolderFiles(folder / "link");
  DeleteFolderFiles(folder / "link/");
  EXPECT_TRUE(PathExists(outside / "target.txt"));
}

TEST_F(FolderTreeTest, ReadOnlySubfolderIsMadeWritableAndEmptied) {
  mkdir((folder / "sub").c_str(), 0700);
  WriteTextFile(folder / "sub/inner.txt", "x");
  chmod((folder / "sub").c_str(), 0500);
  DeleteFolderFiles(folder.Path() + "/");
  EXPECT_TRUE(PathExists(folder / "sub"));
  EXPECT_FALSE(PathExists(folder / "sub/inner.txt"));
  EXPECT_EQ(ModeOf(folder / "sub") & 0200u, 0200u);
}

TEST_F(FolderTreeTest, MissingFolderIsNoError) {
  DeleteFolderFiles(folder / "missing");
  TStringList list;
  ListFolderEntries(folder / "missing/", list);
  EXPECT_EQ(list.Count(), 0);
}

TEST_F(FolderTreeTest, ListingHoldsRegularFilesSortedByName) {
  for (const char* name : {"b.jpg", "a.jpg", "A.jpg", "_x.gif", "C.html", ".hidden"})
    WriteTextFile(folder / name, "x");
  mkdir((folder / "dir").c_str(), 0700);
  ASSERT_EQ(symlink((outside / "t").c_str(), (folder / "link").c_str()), 0);
  WriteTextFile(outside / "real", "x");
  ASSERT_EQ(symlink((outside / "real").c_str(), (folder / "link-to-file").c_str()), 0);

  TStringList list;
  list.Add("kept");
  ListFolderEntries(folder.Path() + "/", list);
  const std::string p = folder.Path() + "/";
  // Case-insensitive first ("_" sorts after the letters there), then byte order.
  EXPECT_EQ(Lines(list), (std::vector<std::string>{"kept", p + "A.jpg", p + "a.jpg", p + "b.jpg",
                                                   p + "C.html", p + "_x.gif"}));
}

TEST(FreeObjectAndNilTest, VariableIsEmptyBeforeTheObjectIsFreed) {
  struct Watched {
    std::unique_ptr<Watched>* holder;
    bool* saw_empty;
    ~Watched() { *saw_empty = *holder == nullptr; }
  };
  std::unique_ptr<Watched> variable;
  bool sawEmpty = false;
  variable.reset(new Watched{&variable, &sawEmpty});
  FreeObjectAndNil(variable);
  EXPECT_EQ(variable, nullptr);
  EXPECT_TRUE(sawEmpty);
  FreeObjectAndNil(variable);  // an empty variable is left alone
}

}  // namespace
