// The by-name property path of tables and cells outside an editor: every published ordinal
// property reaches its own field, a table in a document or in none stores the value and
// marks its width for recomputing, and pictures handed over without copying come back as
// the same objects.
#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/core/TypInfo.h"
#include "platform/graphics/Bitmap.h"
#include "richtext/core/RVError.h"
#include "richtext/table/TableTestSupport.h"

namespace {

using tabletest::TDoc;

struct TPropCase {
  const char* Name;
  int32_t Value;
  std::function<int64_t(const TRVTableItemInfo&)> Read;
};

TEST(TablePropertiesTest, EveryPublishedTablePropertyReachesItsField) {
  const std::vector<TPropCase> cases = {
      {"BestWidth", -40, [](const TRVTableItemInfo& t) { return t.BestWidth; }},
      {"Color", 0x123456, [](const TRVTableItemInfo& t) { return t.Color; }},
      {"BackgroundStyle", rvbsTiled, [](const TRVTableItemInfo& t) { return t.GetBackgroundStyle(); }},
      {"HeadingRowCount", 3, [](const TRVTableItemInfo& t) { return t.HeadingRowCount; }},
      {"BorderWidth", 4, [](const TRVTableItemInfo& t) { return t.BorderWidth; }},
      {"BorderColor", 0x010203, [](const TRVTableItemInfo& t) { return t.BorderColor; }},
      {"BorderLightColor", 0x040506, [](const TRVTableItemInfo& t) { return t.BorderLightColor; }},
      {"BorderStyle", rvtbColor, [](const TRVTableItemInfo& t) { return t.BorderStyle; }},
      {"BorderVSpacing", 7, [](const TRVTableItemInfo& t) { return t.BorderVSpacing; }},
      {"BorderHSpacing", 8, [](const TRVTableItemInfo& t) { return t.BorderHSpacing; }},
      {"CellBorderWidth", 9, [](const TRVTableItemInfo& t) { return t.CellBorderWidth; }},
      {"CellBorderColor", 0x0A0B0C, [](const TRVTableItemInfo& t) { return t.CellBorderColor; }},
      {"CellBorderLightColor", 0x0D0E0F, [](const TRVTableItemInfo& t) { return t.CellBorderLightColor; }},
      {"CellPadding", 11, [](const TRVTableItemInfo& t) { return t.CellPadding; }},
      {"CellBorderStyle", rvtbRaisedColor, [](const TRVTableItemInfo& t) { return t.CellBorderStyle; }},
      {"VRuleWidth", 12, [](const TRVTableItemInfo& t) { return t.VRuleWidth; }},
      {"VRuleColor", 0x111213, [](const TRVTableItemInfo& t) { return t.VRuleColor; }},
      {"HRuleWidth", 13, [](const TRVTableItemInfo& t) { return t.HRuleWidth; }},
      {"HRuleColor", 0x141516, [](const TRVTableItemInfo& t) { return t.HRuleColor; }},
      {"CellVSpacing", 14, [](const TRVTableItemInfo& t) { return t.CellVSpacing; }},
      {"CellHSpacing", 15, [](const TRVTableItemInfo& t) { return t.CellHSpacing; }},
      {"VOutermostRule", 1, [](const TRVTableItemInfo& t) { return t.VOutermostRule; }},
      {"HOutermostRule", 1, [](const TRVTableItemInfo& t) { return t.HOutermostRule; }},
  };
  for (bool inDocument : {false, true}) {
    for (const TPropCase& c : cases) {
      SCOPED_TRACE(std::string(c.Name) + (inDocument ? " in a document" : " alone"));
      TDoc doc;
      std::unique_ptr<TRVTableItemInfo> alone;
      TRVTableItemInfo* table = nullptr;
      if (inDocument) {
        table = doc.AddTable(1, 1);
      } else {
        alone = TRVTableItemInfo::CreateWithSize(1, 1, nullptr);
        table = alone.get();
      }
      table->State &= ~rvtsFormatWidth;
      table->SetIntProperty(c.Name, c.Value);
      EXPECT_EQ(c.Read(*table), c.Value);
      EXPECT_EQ(table->PublishedProperties().Find(c.Name)->GetOrd(*table), c.Value);
      EXPECT_EQ((table->State & rvtsInserted) != 0, inDocument) << "the inserted bit is kept";
      if (inDocument) {
        EXPECT_NE(table->State & rvtsFormatWidth, 0) << "a changed table is formatted again";
      }
    }
  }
}

TEST(TablePropertiesTest, CellPropertiesAreSetByName) {
  TDoc doc;
  TRVTableItemInfo* table = doc.AddTable(2, 2);
  table->SetCellProperty(-1, "Color", false, false, 1, 0, 0x00FF00);
  table->SetCellProperty(-1, "VAlign", false, false, 1, 0, rvcBottom);
  table->SetCellBestWidth(-1, 120, 1, 0);
  table->SetCellBestHeight(-1, 33, 1, 0);
  const TRVTableCellData& cell = *table->GetCell(1, 0);
  EXPECT_EQ(cell.Color, 0x00FF00);
  EXPECT_EQ(cell.VAlign, rvcBottom);
  EXPECT_EQ(cell.BestWidth, 120);
  EXPECT_EQ(cell.BestHeight, 33);
  EXPECT_EQ(table->GetCell(0, 0)->BestWidth, 0) << "only the addressed cell changes";
  EXPECT_NE(table->State & rvtsFormatWidth, 0);
}

TEST(TablePropertiesTest, UnknownNamesAndCoveredSlotsAreRefused) {
  TDoc doc;
  TRVTableItemInfo* table = doc.AddTable(1, 2);
  EXPECT_THROW(table->SetIntProperty("NoSuchProperty", 1), ERVError);
  EXPECT_THROW(table->SetIntProperty("TextRowSeparator", 1), ERVError) << "strings are not ordinals";
  table->Rows().MergeCells(0, 0, 2, 1, true, false);
  EXPECT_THROW(table->SetCellBestWidth(-1, 10, 0, 1), ERVError);
}

TEST(TablePropertiesTest, TheColourStyleWithoutAPictureLeavesNoBackground) {
  TDoc doc;
  TRVTableItemInfo* table = doc.AddTable(1, 1);
  table->SetIntProperty("BackgroundStyle", rvbsStretched);
  EXPECT_NE(table->GetTableBackground(), nullptr);
  table->SetIntProperty("BackgroundStyle", rvbsColor);
  EXPECT_EQ(table->GetTableBackground(), nullptr);
  EXPECT_EQ(table->GetBackgroundImage(), nullptr);
}

TEST(TablePropertiesTest, PicturesHandedOverComeBackAsTheSameObjects) {
  TDoc doc;
  TRVTableItemInfo* table = doc.AddTable(1, 1);
  TRVTableCellData* cell = table->GetCell(0, 0);
  for (bool ofCell : {false, true}) {
    SCOPED_TRACE(ofCell ? "cell" : "table");
    auto picture = std::make_unique<TBitmap>();
    picture->SetSize(4, 4);
    TGraphic* raw = picture.get();
    if (ofCell)
      cell->GiveBackgroundImage(std::move(picture));
    else
      table->GiveBackgroundImage(std::move(picture));
    EXPECT_EQ(ofCell ? cell->GetBackgroundImage() : table->GetBackgroundImage(), raw);
    std::unique_ptr<TGraphic> back = ofCell ? cell->TakeBackgroundImage() : table->TakeBackgroundImage();
    EXPECT_EQ(back.get(), raw);
    EXPECT_EQ(ofCell ? cell->GetCellBackground() : table->GetTableBackground(), nullptr)
        << "a background left empty is freed";
  }
}

}  // namespace

namespace {

TEST(TablePropertiesTest, TheItemNumberFollowsTheTableWhenItemsComeAndGoBeforeIt) {
  TDoc doc;
  TRVTableItemInfo* table = doc.AddTable(1, 1);
  EXPECT_EQ(table->GetMyItemNo(), 0);
  doc.GetItems().Insert(0, "x", RVGetTextItemClass()->Create(&doc));
  EXPECT_EQ(table->GetMyItemNo(), 1);
  doc.GetItems().Delete(0);
  EXPECT_EQ(table->GetMyItemNo(), 0);
  auto loose = TRVTableItemInfo::CreateWithSize(1, 1, nullptr);
  EXPECT_EQ(loose->GetMyItemNo(), -1);
}

}  // namespace
