// The converter's own style sheet: its 17 text, 17 paragraph and 5 list styles with their
// names and settings, and the trimming the exam reader relies on.
#include <gtest/gtest.h>

#include "exam/RVMainStyle.h"
#include "platform/graphics/ImageList.h"
#include "richtext/core/RVStyle.h"

namespace {

class RVMainStyleTest : public ::testing::Test {
 protected:
  void SetUp() override { RVBuildMainStyle(sheet, &bullets); }
  TCustomImageList bullets;
  TRVStyle sheet;
};

TEST_F(RVMainStyleTest, HasSeventeenUnicodeTextStyles) {
  const char* names[] = {"Main Text",      "Main Text Bold", "Monowidth Font", "Main Text Hightlight",
                         "Monowidth Bold", "Print Title",    "Underline",      "Reserved 1",
                         "Reserved 2",     "Reserved 3",     "Reserved 4",     "Reserved 5",
                         "Reserved 6",     "Reserved 7",     "Reserved 8",     "Reserved 9",
                         "Reserved 10"};
  ASSERT_EQ(sheet.TextStyles().Count(), 17);
  for (int i = 0; i < 17; ++i) {
    const TFontInfo& f = sheet.TextStyles()[i];
    EXPECT_EQ(f.StyleName, names[i]);
    EXPECT_TRUE(f.Unicode) << names[i];
    EXPECT_FALSE(f.Jump) << names[i];
  }
}

TEST_F(RVMainStyleTest, TextStyleSettings) {
  struct Expected {
    int index;
    const char* font;
    int32_t size;
    TFontStyles style;
    TColor color;
  };
  const Expected cases[] = {
      {0, "Arial", 10, {}, clWindowText},
      {1, "Arial", 10, {fsBold}, clWindowText},
      {2, "Courier New", 10, {}, clWindowText},
      {3, "Arial", 10, {}, clHighlightText},
      {4, "Courier New", 10, {fsBold}, clWindowText},
      {5, "Arial", 12, {fsBold}, clWindowText},
      {6, "Arial", 10, {fsUnderline}, clWindowText},
      {16, "Arial", 10, {}, clWindowText},
  };
  for (const Expected& e : cases) {
    const TFontInfo& f = sheet.TextStyles()[e.index];
    EXPECT_EQ(f.FontName, e.font) << e.index;
    EXPECT_EQ(f.Size, e.size) << e.index;
    EXPECT_EQ(f.Style, e.style) << e.index;
    EXPECT_EQ(f.Color, e.color) << e.index;
  }
}

TEST_F(RVMainStyleTest, ParagraphStyleNamesAndSettings) {
  struct Expected {
    const char* name;
    TRVParaOptions options;
    TRVAlignment alignment;
    int32_t spaceBefore;
    int32_t spaceAfter;
    int32_t leftIndent;
  };
  const Expected cases[] = {
      {"Normal Text", 0, rvaLeft, 0, 0, 0},
      {"Item Number", rvpaoNoWrap, rvaLeft, 0, 0, 0},
      {"NoBreak", rvpaoNoWrap | rvpaoReadOnly | rvpaoStyleProtect, rvaLeft, 0, 0, 0},
      {"ProtectedData", rvpaoReadOnly | rvpaoStyleProtect, rvaLeft, 0, 0, 0},
      {"Case Study Header", 0, rvaLeft, 12, 8, 0},
      {"Case Study Header With Subitem", 0, rvaLeft, 12, 2, 0},
      {"Case Study SubHeader", 0, rvaLeft, 6, 6, 0},
      {"Explanation", 0, rvaLeft, 0, 3, 0},
      {"InteractiveButton", rvpaoReadOnly, rvaCenter, 0, 0, 0},
      {"No Return", rvpaoDoNotWantReturns, rvaLeft, 0, 0, 0},
      {"ExplanationPara", 0, rvaLeft, 0, 0, 30},
      {"Print Title", 0, rvaCenter, 0, 0, 0},
      {"Reserved 1", 0, rvaLeft, 0, 0, 0},
      {"Reserved 2", 0, rvaLeft, 0, 0, 0},
      {"Reserved 3", 0, rvaLeft, 0, 0, 0},
      {"Reserved 4", 0, rvaLeft, 0, 0, 0},
      {"Reserved 5", 0, rvaLeft, 0, 0, 0},
  };
  ASSERT_EQ(sheet.ParaStyles().Count(), 17);
  for (int i = 0; i < 17; ++i) {
    const TParaInfo& p = sheet.ParaStyles()[i];
    const Expected& e = cases[i];
    EXPECT_EQ(p.StyleName, e.name);
    EXPECT_EQ(p.Options, e.options) << e.name;
    EXPECT_EQ(p.Alignment, e.alignment) << e.name;
    EXPECT_EQ(p.SpaceBefore, e.spaceBefore) << e.name;
    EXPECT_EQ(p.SpaceAfter, e.spaceAfter) << e.name;
    EXPECT_EQ(p.LeftIndent, e.leftIndent) << e.name;
  }
}

TEST_F(RVMainStyleTest, ListStyles) {
  TRVListInfos& lists = sheet.ListStyles();
  ASSERT_EQ(lists.Count(), 5);
  const char* names[] = {"Numbering", "Bullets", "CaseStudySubHeader", "Choices", "Instructions"};
  for (int i = 0; i < 5; ++i) EXPECT_EQ(lists[i].StyleName, names[i]);

  struct Level {
    int list;
    int level;
    TRVListType type;
    int32_t leftIndent;
    int32_t markerIndent;
    TCustomImageList* images;
  };
  const Level levels[] = {
      {0, 0, rvlstDecimal, 20, 0, nullptr},  {1, 0, rvlstImageList, 20, 0, &bullets},
      {2, 0, rvlstPicture, 25, 10, nullptr}, {3, 0, rvlstUpperAlpha, 20, 0, nullptr},
      {4, 0, rvlstDecimal, 40, 0, nullptr},  {4, 1, rvlstImageList, 60, 0, &bullets},
  };
  const int levelCounts[] = {1, 1, 1, 1, 2};
  for (int i = 0; i < 5; ++i) EXPECT_EQ(lists[i].Levels().Count(), levelCounts[i]) << names[i];
  for (const Level& l : levels) {
    const TRVListLevel& level = lists[l.list].Levels()[l.level];
    EXPECT_EQ(level.ListType, l.type) << names[l.list] << " " << l.level;
    EXPECT_EQ(level.LeftIndent, l.leftIndent) << names[l.list] << " " << l.level;
    EXPECT_EQ(level.MarkerIndent, l.markerIndent) << names[l.list] << " " << l.level;
    EXPECT_EQ(level.ImageList, l.images) << names[l.list] << " " << l.level;
  }
  EXPECT_EQ(lists[0].Levels()[0].FormatString, "%0:s.");
  EXPECT_EQ(lists[3].Levels()[0].FormatString, "%0:s.");
}

TEST_F(RVMainStyleTest, SheetSettings) {
  EXPECT_EQ(sheet.SpacesInTab, 4);
  EXPECT_EQ(sheet.InactiveSelColor, clBtnFace);
  EXPECT_EQ(sheet.InactiveSelTextColor, clWindowText);
  EXPECT_EQ(sheet.SelColor, clHighlight);
}

TEST_F(RVMainStyleTest, ExamStylesLandAfterTheFirstSeventeen) {
  // What the exam reader does: free the styles above 17 from the last down, then append.
  sheet.TextStyles().AddStyle();
  sheet.TextStyles().AddStyle();
  for (int i = sheet.TextStyles().Count() - 1; i >= RVMainStyleCount; --i) delete sheet.TextStyles().Items(i);
  EXPECT_EQ(sheet.TextStyles().Count(), 17);
  TFontInfo* added = sheet.TextStyles().AddStyle();
  EXPECT_EQ(added->Index(), 17);
  EXPECT_EQ(added->StyleName, "Font Style");
  EXPECT_FALSE(added->Unicode);
}

TEST_F(RVMainStyleTest, RemovingTheBulletImagesClearsThemFromEveryLevel) {
  TComponent form;
  auto* images = new TCustomImageList(&form);
  auto* style = new TRVStyle(&form);
  RVBuildMainStyle(*style, images);
  delete images;
  for (int i = 0; i < style->ListStyles().Count(); ++i)
    for (int j = 0; j < style->ListStyles()[i].Levels().Count(); ++j)
      EXPECT_EQ(style->ListStyles()[i].Levels()[j].ImageList, nullptr);
}

}  // namespace
