#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>

#include "platform/core/Exceptions.h"
#include "platform/core/SysUtils.h"

TEST(FormatTest, FormatsSupportedDirectives) {
  EXPECT_EQ(Format("%d-%s", {12, "ab"}), "12-ab");
  EXPECT_EQ(Format("%5d|%-4s|", {42, "x"}), "   42|x   |");
  EXPECT_EQ(Format("%x %.4x %%", {255, 10}), "FF 000A %");
  EXPECT_EQ(Format("%1:s %0:s", {"a", "b"}), "b a");
  EXPECT_EQ(Format("%.2s", {"abcdef"}), "ab");
  EXPECT_EQ(Format("%x", {-1}), "FFFFFFFF");
  EXPECT_EQ(Format("%.3d", {-7}), "-007");
}

TEST(FormatTest, RejectsMismatchedOrMissingArguments) {
  EXPECT_THROW(Format("%d", {"text"}), EConvertError);
  EXPECT_THROW(Format("%s", {3}), EConvertError);
  EXPECT_THROW(Format("%s %s", {"one"}), EConvertError);
  EXPECT_THROW(Format("%5:s", {"one"}), EConvertError);
  EXPECT_THROW(Format("%n", {1}), EConvertError);
  EXPECT_THROW(Format("trailing %", {}), EConvertError);
}

TEST(StrToIntTest, ParsesAndRejects) {
  EXPECT_EQ(StrToInt(" -12"), -12);
  EXPECT_EQ(StrToInt("$FF"), 255);
  EXPECT_EQ(StrToInt("$FFFFFFFF"), -1);
  EXPECT_EQ(StrToInt("2147483647"), 2147483647);
  EXPECT_THROW(StrToInt("2147483648"), EConvertError);
  EXPECT_THROW(StrToInt("12a"), EConvertError);
  EXPECT_THROW(StrToInt(""), EConvertError);
  EXPECT_THROW(StrToInt("-"), EConvertError);
  EXPECT_EQ(StrToIntDef("x", 7), 7);
  try {
    StrToInt("abc");
    FAIL();
  } catch (const EConvertError& e) {
    EXPECT_STREQ(e.what(), "'abc' is not a valid integer value");
  }
}

TEST(StringRoutinesTest, TrimCaseAndReplace) {
  EXPECT_EQ(Trim("\t a b \r\n"), "a b");
  EXPECT_EQ(UpperCase("abc\xE0"), "ABC\xE0");
  EXPECT_EQ(StringReplace("aXbxc", "x", "-", ReplaceFlag::ReplaceAll | ReplaceFlag::IgnoreCase), "a-b-c");
  EXPECT_EQ(StringReplace("aXbxc", "x", "-", ReplaceFlag::ReplaceAll), "aXb-c");
  EXPECT_EQ(StringReplace("aaa", "a", "aa", ReplaceFlag::None), "aaaa");
  EXPECT_EQ(StringReplace("aaa", "", "b", ReplaceFlag::ReplaceAll), "aaa");
  EXPECT_EQ(Pos("lo", "hello"), 4u);
  EXPECT_EQ(Pos("z", "hello"), 0u);
}

TEST(PathTest, SplitsAndChangesParts) {
  EXPECT_EQ(ExtractFileName("/a/b.c/d"), "d");
  EXPECT_EQ(ExtractFilePath("/a/b.c/d"), "/a/b.c/");
  EXPECT_EQ(ExtractFileExt("/a/b.c/d"), "");
  EXPECT_EQ(ExtractFileExt("/a/exam.zuk"), ".zuk");
  EXPECT_EQ(ChangeFileExt("/a/exam.zuk", ".zukm"), "/a/exam.zukm");
  EXPECT_EQ(ChangeFileExt("/a.b/exam", ".zukm"), "/a.b/exam.zukm");
  EXPECT_EQ(IncludeTrailingPathDelimiter("/tmp"), "/tmp/");
  EXPECT_EQ(IncludeTrailingPathDelimiter("/tmp/"), "/tmp/");
}

TEST(ArithmeticTest, RoundsHalfToEvenAndMulDivsHalfAway) {
  EXPECT_EQ(Round(0.5), 0);
  EXPECT_EQ(Round(1.5), 2);
  EXPECT_EQ(Round(2.5), 2);
  EXPECT_EQ(Round(-2.5), -2);
  EXPECT_EQ(Round(2.6), 3);
  // Out of range: saturated, never an undefined conversion.
  EXPECT_EQ(Round(1e300), INT64_MAX);
  EXPECT_EQ(Round(-HUGE_VAL), INT64_MIN);
  EXPECT_EQ(Round(std::nan("")), 0);
  EXPECT_EQ(MulDiv(3, 1, 2), 2);
  EXPECT_EQ(MulDiv(-3, 1, 2), -2);
  EXPECT_EQ(MulDiv(10, 144, 96), 15);
  EXPECT_EQ(MulDiv(1, 1, 0), -1);
  EXPECT_EQ(MulDiv(0x40000000, 4, 1), -1);
}
