// Table layout: column widths from minimum, percent and pixel widths, spanning cells, the
// skipped pass, and cell placement.
#include <gtest/gtest.h>

#include "TableTestSupport.h"

using namespace tabletest;

namespace {

class TableLayoutTest : public ::testing::Test {
 protected:
  /// Gives the cell an empty line in a new paragraph style of the given indents sum.
  void NeedWidth(TRVTableCellData* cell, int32_t width) {
    TParaInfo* para = doc.Style.ParaStyles().AddStyle();
    para->LeftIndent = width;
    cell->Clear();
    cell->AddTextItem("", 0, doc.Style.ParaStyles().Count() - 1);
  }
  std::vector<int32_t> Values(const TRVIntegerList& list) {
    std::vector<int32_t> v;
    for (int i = 0; i < list.Count(); ++i) v.push_back(list[i]);
    return v;
  }
  TDoc doc;
};

TEST_F(TableLayoutTest, PercentTableSplitsItsContentWidth) {
  TRVTableItemInfo* t = doc.AddTable(1, 3);
  t->BestWidth = -50;
  t->Format(600, t->FormattingInfo, false);
  EXPECT_EQ(t->FormattingInfo.Width, 300);
  // 300 - overhead 8 - paddings 6 = 286, the last column taking the remainder.
  EXPECT_EQ(Values(t->FormattingInfo.ColWidths), (std::vector<int32_t>{95, 95, 96}));
  EXPECT_EQ(Values(t->FormattingInfo.ColStarts), (std::vector<int32_t>{2, 101, 200}));
  EXPECT_EQ(t->GetCell(0, 2)->Left, 200);
  EXPECT_EQ(t->GetCell(0, 2)->Width, 98);
  // Rows of empty cells are 10 high; the table adds paddings and border spacing.
  EXPECT_EQ(t->FormattingInfo.Height, 2 * (1 + 0 + 2) + 10);
  EXPECT_EQ(t->GetCell(0, 0)->Top, 2);
  EXPECT_EQ(t->GetCell(0, 0)->Height, 12);
}

TEST_F(TableLayoutTest, ContentWiderThanTheTargetWidensTheTable) {
  TRVTableItemInfo* t = doc.AddTable(1, 3);
  for (int c = 0; c < 3; ++c) NeedWidth(t->GetCell(0, c), 200);
  t->BestWidth = 300;
  t->Format(1000, t->FormattingInfo, false);
  EXPECT_EQ(t->FormattingInfo.Width, 300 - 286 + 600);
  EXPECT_EQ(t->GetMinimumWidth(nullptr, nullptr), 600 + 6 + 8);
}

TEST_F(TableLayoutTest, PixelColumnsMakeAFixedWidth) {
  TRVTableItemInfo* t = doc.AddTable(2, 2);
  t->GetCell(0, 0)->BestWidth = 50;
  t->GetCell(1, 1)->BestWidth = 70;
  t->Format(600, t->FormattingInfo, false);
  EXPECT_EQ(t->FormattingInfo.Width, 4 + 6 + 120);
  t->Format(2000, t->FormattingInfo, true);
  EXPECT_EQ(t->FormattingInfo.Width, 130);
  EXPECT_EQ(Values(t->FormattingInfo.ColWidths), (std::vector<int32_t>{50, 70}));
}

TEST_F(TableLayoutTest, SpanningCellWidensItsColumnsInProportion) {
  TRVTableItemInfo* t = doc.AddTable(2, 2);
  NeedWidth(t->GetCell(1, 0), 10);
  NeedWidth(t->GetCell(1, 1), 30);
  NeedWidth(t->GetCell(0, 0), 100);
  ASSERT_TRUE(t->Rows().MergeCells(0, 0, 2, 1, false, false));
  t->Format(10, t->FormattingInfo, false);
  // Need 102 against an offer of 46: 56 more, shared 12 : 32.
  EXPECT_EQ(Values(t->FormattingInfo.ColWidths), (std::vector<int32_t>{25, 71}));
}

TEST_F(TableLayoutTest, WhatIsLeftGoesToPixelColumnsAheadOfPercentOnesInRoundedShares) {
  // The cells' widths (> 0 pixels, < 0 percent) in a 400-pixel table, and its columns' widths.
  const std::vector<std::vector<int32_t>> cases[] = {
      {{50, -30}, {274, 116}},   // 224 left, measured against the pixel column alone
      {{-30, 50}, {125, 265}}};  // the percent share first, rounded; none passes what is left
  for (const auto& c : cases) {
    TDoc d;
    TRVTableItemInfo* t = d.AddTable(1, static_cast<int>(c[0].size()));
    t->BestWidth = 400;
    for (size_t i = 0; i < c[0].size(); ++i) t->GetCell(0, static_cast<int>(i))->BestWidth = c[0][i];
    t->Format(1000, t->FormattingInfo, false);
    EXPECT_EQ(Values(t->FormattingInfo.ColWidths), c[1]) << c[0][0];
  }
}

TEST_F(TableLayoutTest, SameWidthWithoutForceDoesNothing) {
  TRVTableItemInfo* t = doc.AddTable(1, 2);
  t->Format(400, t->FormattingInfo, false);
  t->FormattingInfo.ColWidths.SetValue(0, 12345);
  t->Format(400, t->FormattingInfo, false);
  EXPECT_EQ(t->FormattingInfo.ColWidths[0], 12345);
  t->Format(400, t->FormattingInfo, true);
  EXPECT_NE(t->FormattingInfo.ColWidths[0], 12345);
}

TEST_F(TableLayoutTest, EmptyTableAndDeviceScale) {
  TRVTableItemInfo* t = doc.AddTable(1, 1);
  t->Rows().DeleteCols(0, 1, false);
  t->BorderWidth = 3;
  t->Format(600, t->FormattingInfo, false);
  EXPECT_EQ(t->FormattingInfo.Width, 10);
  TRVFormatScale printer;
  printer.DevicePPIX = 288;
  EXPECT_EQ(t->GetMinimumWidth(&printer, nullptr), 30);
  EXPECT_EQ(t->DeviceScale, nullptr);  // restored after measuring
}

}  // namespace

namespace {

TEST_F(TableLayoutTest, CellsAtPointsOfTheLaidOutTable) {
  TRVTableItemInfo* t = doc.AddTable(2, 2);
  ASSERT_TRUE(t->Rows().MergeCells(0, 0, 1, 2, true, false));
  t->Format(200, t->FormattingInfo, false);
  int row = -1, col = -1;
  const TRVTableCellData* merged = t->GetCell(0, 0);
  ASSERT_TRUE(t->GetCellAtPoint(merged->Left + 1, merged->Top + merged->Height - 2, row, col));
  EXPECT_EQ(row, 0);
  EXPECT_EQ(col, 0);
  const TRVTableCellData* right = t->GetCell(1, 1);
  EXPECT_EQ(t->GetSubDocumentAt(right->Left + 1, right->Top + 1), right);
  EXPECT_EQ(t->LastHitRow, 1);
  EXPECT_FALSE(t->GetCellAtPoint(0, 0, row, col));  // the border spacing belongs to no cell
  t->ClearFocusHook();
  EXPECT_EQ(t->LastHitRow, -1);
  // A table without cells has none at any point.
  t->Rows().DeleteCols(0, 2, false);
  EXPECT_EQ(t->GetSubDocumentAt(5, 5), nullptr);
}

TEST(TableWordWidthTest, TextAsksForTwentyPixelsAndItsIndentsNotForItsWords) {
  TDoc doc;
  TParaInfos& paras = doc.Style.ParaStyles();
  const int indented = paras.Count(), pulled = indented + 1, unwrapped = indented + 2;
  TParaInfo* p = paras.AddStyle();
  p->LeftIndent = 25, p->FirstIndent = 12, p->RightIndent = 7;
  paras.AddStyle()->LeftIndent = -20;
  paras.AddStyle()->Options = rvpaoNoWrap;
  TCanvas canvas;
  doc.Style.ApplyStyle(canvas, 0, rvbdUnspecified);
  const int32_t line = canvas.TextWidth("kept on one line");
  ASSERT_GT(line, 40);
  const struct {
    const char* text;
    int para;
    int32_t screen, printer;  // the printer has twice the screen's resolution
  } cases[] = {{"a Pneumonoultramicroscopic b", 0, 20, 40},
               {"so Supercalifragilistic too", indented, 64, 128},
               {"Antidisestablishment", pulled, 10, 10},      // nothing left: 10
               {"kept on one line", unwrapped, line, line}};  // measured whole on the canvas
  TRVTableCellData* cell = doc.AddTable(1, 1)->GetCell(0, 0);
  TRVFormatScale printer;
  printer.DevicePPIX = 192;
  for (const auto& c : cases) {
    cell->Clear();
    cell->AddTextItem(c.text, 0, c.para);
    EXPECT_EQ(std::pair(cell->GetMinWidth(nullptr), cell->GetMinWidth(&printer)),
              std::pair(c.screen, c.printer))
        << c.text;
  }
}

}  // namespace
