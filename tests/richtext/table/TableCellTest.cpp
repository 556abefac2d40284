// Cell documents: what counts as content, effective alignment and shifts, minimum widths,
// backgrounds, attribute copies, and a cell held outside its grid.
#include <gtest/gtest.h>

#include "TableTestSupport.h"
#include "platform/graphics/Bitmap.h"

using namespace tabletest;

namespace {

class TableCellTest : public ::testing::Test {
 protected:
  void SetUp() override { table = doc.AddTable(2, 2); }
  TRVTableCellData* Cell() { return table->GetCell(0, 0); }
  TDoc doc;
  TRVTableItemInfo* table = nullptr;
};

TEST_F(TableCellTest, ContentInTheStrictAndLooseSense) {
  EXPECT_FALSE(Cell()->HasContent(false));
  EXPECT_FALSE(Cell()->HasContent(true));
  Cell()->Clear();
  Cell()->AddTextItem("", 1, 0);  // an empty line in another text style
  EXPECT_FALSE(Cell()->HasContent(false));
  EXPECT_TRUE(Cell()->HasContent(true));
  Cell()->AddTextItem("", 0, 0);
  EXPECT_TRUE(Cell()->HasContent(false));  // two items
  Cell()->Clear();
  EXPECT_FALSE(Cell()->HasContent(false));
}

TEST_F(TableCellTest, DefaultAlignmentFollowsTheRowAndCentres) {
  table->Rows().Get(0)->VAlign = rvcVDefault;
  EXPECT_EQ(Cell()->GetEffectiveVAlign(), rvcMiddle);
  table->Rows().Get(0)->VAlign = rvcBottom;
  EXPECT_EQ(Cell()->GetEffectiveVAlign(), rvcBottom);
  Cell()->VAlign = rvcTop;
  EXPECT_EQ(Cell()->GetEffectiveVAlign(), rvcTop);
}

TEST_F(TableCellTest, VerticalShiftLeavesThePadding) {
  table->CellPadding = 3;
  Cell()->Height = 50;
  Cell()->DocumentHeight = 20;
  Cell()->VAlign = rvcMiddle;
  EXPECT_EQ(Cell()->GetVerticalShift(), 12);  // (50 - 20) div 2 - 3
  Cell()->VAlign = rvcBottom;
  EXPECT_EQ(Cell()->GetVerticalShift(), 24);  // 50 - 20 - 2 x 3
  Cell()->VAlign = rvcTop;
  EXPECT_EQ(Cell()->GetVerticalShift(), 0);
  EXPECT_EQ(Cell()->GetWidth(), Cell()->Width - 6);
  Cell()->BestHeight = 30;
  EXPECT_EQ(Cell()->GetCellHeight(), 30);
}

TEST_F(TableCellTest, MinimumWidthOfAnEmptyLineIsItsIndents) {
  TParaInfo* para = doc.Style.ParaStyles().AddStyle();
  para->FirstIndent = 10;
  para->LeftIndent = 20;
  para->RightIndent = 5;
  Cell()->Clear();
  Cell()->AddTextItem("", 0, doc.Style.ParaStyles().Count() - 1);
  EXPECT_EQ(Cell()->GetMinWidth(nullptr), 35);
  TRVFormatScale printer;
  printer.DevicePPIX = 192;
  EXPECT_EQ(Cell()->GetMinWidth(&printer), 70);
  Cell()->Clear();
  EXPECT_EQ(Cell()->GetMinWidth(nullptr), 0);
}

TEST_F(TableCellTest, BackgroundExistsOnlyWhileItShowsSomething) {
  Cell()->SetBackgroundStyle(rvbsTiled);
  ASSERT_NE(Cell()->GetCellBackground(), nullptr);
  Cell()->SetBackgroundStyle(rvbsColor);
  EXPECT_EQ(Cell()->GetCellBackground(), nullptr);
  EXPECT_EQ(Cell()->GetBackgroundImage(), nullptr);
  TBitmap picture;
  picture.SetSize(4, 4);
  Cell()->SetBackgroundImageEx(&picture);
  ASSERT_NE(Cell()->GetBackgroundImage(), nullptr);
  EXPECT_NE(Cell()->GetBackgroundImage(), &picture);  // a copy
  EXPECT_EQ(Cell()->GetBackgroundStyle(), rvbsColor);
  Cell()->SetBackgroundImageEx(nullptr);
  EXPECT_EQ(Cell()->GetCellBackground(), nullptr);
}

TEST_F(TableCellTest, AttributesCopyWithDividedSizes) {
  TRVTableCellData* source = table->GetCell(1, 1);
  source->Color = clRed;
  source->BorderColor = clBlue;
  source->VisibleBorders.SetValues(false, true, false, true);
  source->VAlign = rvcBottom;
  source->BestWidth = -7;
  source->BestHeight = 9;
  source->Width = 77;
  Cell()->AssignAttributesFrom(*source, true, 2, 2);
  EXPECT_EQ(Cell()->Color, clRed);
  EXPECT_EQ(Cell()->BorderColor, clBlue);
  EXPECT_TRUE(Cell()->VisibleBorders.IsEqualTo(false, true, false, true));
  EXPECT_EQ(Cell()->BestWidth, -3);  // toward zero
  EXPECT_EQ(Cell()->BestHeight, 4);
  EXPECT_EQ(Cell()->Width, 0);
  Cell()->AssignSizeFrom(*source);
  EXPECT_EQ(Cell()->Width, 77);
}

TEST_F(TableCellTest, HeldCellAsksItsHolder) {
  TRVTableUndoRecord holder;
  TDoc other;
  other.SetOptions(rvoTagsArePChars | rvoClientTextWidth);
  holder.Document = &other;
  std::unique_ptr<TRVTableCellData> cell = table->Rows().Get(0)->TakeCell(0);
  cell->DetachItems(&holder);
  EXPECT_EQ(cell->GetTable(), nullptr);
  EXPECT_EQ(cell->GetOptions(), rvoTagsArePChars);  // the holder's, without the client width
  cell->ReattachItems();
  table->Rows().Get(0)->PutCell(0, std::move(cell));
  EXPECT_EQ(Cell()->GetTable(), table);
  EXPECT_EQ(Cell()->GetOptions() & rvoClientTextWidth, 0);
}

}  // namespace
