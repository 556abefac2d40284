#include <gtest/gtest.h>

#include <string>

#include "ZUKFileBuilder.h"
#include "exam/RVMainStyle.h"
#include "exam/ZUKException.h"
#include "exam/ZUKRVStyle.h"
#include "exam/ZUKStream.h"
#include "platform/core/ComponentStreaming.h"
#include "richtext/core/RVStyle.h"

namespace {

// An unscrambled style stream: counted text styles, then counted paragraph styles, each a
// property list written by the component writer.
std::string StyleStream(const std::vector<TFontInfo*>& text, const std::vector<TParaInfo*>& para) {
  TMemoryStream out;
  WriteInt32(static_cast<int32_t>(text.size()), out);
  for (TFontInfo* f : text) WritePropertyList(out, *f);
  WriteInt32(static_cast<int32_t>(para.size()), out);
  for (TParaInfo* p : para) WritePropertyList(out, *p);
  return out.DataString();
}

class ZUKRVStyleTest : public ::testing::Test {
 protected:
  ZUKRVStyleTest() { RVBuildMainStyle(sheet, nullptr); }
  TRVStyle sheet;
};

}  // namespace

TEST_F(ZUKRVStyleTest, EmptyStyleListsKeepTheSheetsOwnStyles) {
  sheet.TextStyles().AddStyle();  // a leftover of an earlier exam
  sheet.ParaStyles().AddStyle();
  TMemoryStream styles(StyleStream({}, {}));
  LoadStyleFromStream(sheet, styles);
  EXPECT_EQ(sheet.TextStyles().Count(), 17);
  EXPECT_EQ(sheet.ParaStyles().Count(), 17);
  EXPECT_EQ(sheet.ListStyles().Count(), 5);
}

TEST_F(ZUKRVStyleTest, FileStylesAreAppendedAfterTheFirstSeventeen) {
  TRVStyle source;
  TFontInfo* big = source.TextStyles().AddStyle();
  big->FontName = "Courier New";
  big->Size = 20;
  TFontInfo* red = source.TextStyles().AddStyle();
  red->Color = clRed;
  TParaInfo* centred = source.ParaStyles().AddStyle();
  centred->Alignment = rvaCenter;
  centred->SpaceBefore = 7;
  TMemoryStream styles(StyleStream({big, red}, {centred}));
  styles.Seek(0, soEnd);  // loading rewinds first
  LoadStyleFromStream(sheet, styles);
  ASSERT_EQ(sheet.TextStyles().Count(), 19);
  ASSERT_EQ(sheet.ParaStyles().Count(), 18);
  EXPECT_EQ(sheet.TextStyles().Items(17)->FontName, "Courier New");
  EXPECT_EQ(sheet.TextStyles().Items(17)->Size, 20);
  EXPECT_EQ(sheet.TextStyles().Items(18)->Color, clRed);
  EXPECT_EQ(sheet.ParaStyles().Items(17)->Alignment, rvaCenter);
  EXPECT_EQ(sheet.ParaStyles().Items(17)->SpaceBefore, 7);

  // A second exam replaces the first exam's styles rather than adding to them.
  TMemoryStream again(StyleStream({red}, {}));
  LoadStyleFromStream(sheet, again);
  EXPECT_EQ(sheet.TextStyles().Count(), 18);
  EXPECT_EQ(sheet.ParaStyles().Count(), 17);
}

TEST_F(ZUKRVStyleTest, ReaderLoadsStylesIntoTheSheetAndRefusesUnreadableOnes) {
  TRVStyle source;
  TFontInfo* style = source.TextStyles().AddStyle();
  style->FontName = "Arial";
  ZUKFileDesc desc;
  desc.styles = StyleStream({style}, {});
  {
    TMemoryStream file(BuildZUKFile(desc));
    TZUKReader reader(file);
    TZUKRVStyleTarget target(sheet);
    reader.Style = &target;
    reader.Load(false);
    EXPECT_EQ(sheet.TextStyles().Count(), 18);
    EXPECT_EQ(sheet.TextStyles().Items(17)->FontName, "Arial");
  }
  // A property the text styles do not have makes the file unreadable, not a crash.
  std::string bad = StyleStream({style}, {});
  const size_t at = bad.find("FontName");
  ASSERT_NE(at, std::string::npos);
  bad.replace(at, 8, "FontNome");
  desc.styles = bad;
  TMemoryStream file(BuildZUKFile(desc));
  TZUKReader reader(file);
  TZUKRVStyleTarget target(sheet);
  reader.Style = &target;
  EXPECT_THROW(reader.Load(false), EZUKIncorrectFileFormat);
}
