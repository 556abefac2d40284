// Counter texts of numbered list levels and the filling of a level's number template, which
// is data from documents and must never be trusted as a format.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "richtext/core/RVListInfo.h"

namespace {

TEST(RVStyleListCounterTest, CounterTexts) {
  struct Case {
    int32_t counter;
    TRVListType type;
    const char* text;
  };
  const Case cases[] = {
      {1, rvlstDecimal, "1"},
      {-7, rvlstDecimal, "-7"},
      {12, rvlstImageListCounter, "12"},
      {0, rvlstLowerAlpha, ""},
      {1, rvlstLowerAlpha, "a"},
      {26, rvlstUpperAlpha, "Z"},
      {27, rvlstUpperAlpha, "AA"},
      {28, rvlstLowerAlpha, "ab"},
      {702, rvlstUpperAlpha, "ZZ"},
      {703, rvlstUpperAlpha, "AAA"},
      {INT32_MAX, rvlstUpperAlpha, "FXSHRXW"},
      {0, rvlstUpperRoman, "?"},
      {0, rvlstLowerRoman, "?"},
      {1994, rvlstUpperRoman, "MCMXCIV"},
      {1994, rvlstLowerRoman, "mcmxciv"},
      {4000, rvlstUpperRoman, "MMMM"},
      {4999, rvlstUpperRoman, "MMMMCMXCIX"},
      {5000, rvlstUpperRoman, "5000"},
      {INT32_MAX, rvlstLowerRoman, "2147483647"},
      {3, rvlstBullet, ""},
      {3, rvlstPicture, ""},
      {3, rvlstUnicodeBullet, ""},
  };
  for (const Case& c : cases)
    EXPECT_EQ(RVMarkerCounterText(c.counter, c.type), c.text) << c.counter << " type " << int(c.type);
}

TEST(RVStyleListCounterTest, TemplateTakesLevelArguments) {
  const std::vector<std::string> args = {"1", "b", "iii"};
  EXPECT_EQ(RVFormatMarkerText("%0:s.%1:s.%2:s", args), "1.b.iii");
  EXPECT_EQ(RVFormatMarkerText("%2:s)", args), "iii)");
  EXPECT_EQ(RVFormatMarkerText("%s.", args), "1.");
  EXPECT_EQ(RVFormatMarkerText("\xB7", args), "\xB7");
  EXPECT_EQ(RVFormatMarkerText("100%%", args), "100%");
  EXPECT_EQ(RVFormatMarkerText("[%3s]", args), "[  1]");
}

TEST(RVStyleListCounterTest, TemplatesThatDoNotFitGiveTheDeepestCounter) {
  const std::vector<std::string> args = {"1", "2"};
  for (const char* bad : {"%d", "%5:s", "%x.", "%", "%*s", "%0:s%s%s"})
    EXPECT_EQ(RVFormatMarkerText(bad, args), "2") << bad;
  EXPECT_EQ(RVFormatMarkerText("%s", {}), "");
}

TEST(RVStyleListCounterTest, HugeFieldWidthsAreRefused) {
  const std::vector<std::string> args = {"7"};
  EXPECT_EQ(RVFormatMarkerText("%99999999s", args), "7");
  EXPECT_EQ(RVFormatMarkerText("%.5000s", args), "7");
  EXPECT_EQ(RVFormatMarkerText("%1000s", args).size(), 1000u);
}

TEST(RVStyleListCounterTest, AtMostTwoHundredFiftySixLevelsAreArguments) {
  std::vector<std::string> args(300);
  for (size_t i = 0; i < args.size(); ++i) args[i] = std::to_string(i);
  EXPECT_EQ(RVFormatMarkerText("%255:s", args), "255");
  EXPECT_EQ(RVFormatMarkerText("%256:s", args), "255") << "level 256 is beyond the arguments";
}

TEST(RVStyleListCounterTest, LevelKinds) {
  TRVListLevel level;
  const struct {
    TRVListType type;
    bool numbering, textNumbering, font;
  } cases[] = {
      {rvlstBullet, false, false, true},        {rvlstPicture, false, false, false},
      {rvlstImageList, false, false, false},    {rvlstDecimal, true, true, true},
      {rvlstUpperRoman, true, true, true},      {rvlstImageListCounter, true, false, false},
      {rvlstUnicodeBullet, false, false, true},
  };
  for (const auto& c : cases) {
    level.ListType = c.type;
    EXPECT_EQ(level.HasNumbering(), c.numbering) << int(c.type);
    EXPECT_EQ(level.HasTextNumbering(), c.textNumbering) << int(c.type);
    EXPECT_EQ(level.UsesFont(), c.font) << int(c.type);
  }
}

}  // namespace
