// Printing tables: the layout at a device's resolution with printable cell documents, rows
// that merged cells tie together, and heading rows that may repeat on every page.
#include <gtest/gtest.h>

#include <vector>

#include "TableTestSupport.h"

using namespace tabletest;

namespace {

TEST(TableRowBlocksTest, MergedCellsTieRowsIntoBlocks) {
  TDoc doc;
  TRVTableItemInfo* t = doc.AddTable(5, 2);
  ASSERT_TRUE(t->Rows().MergeCells(0, 0, 1, 2, true, false));  // rows 0-1
  ASSERT_TRUE(t->Rows().MergeCells(1, 1, 1, 2, true, false));  // rows 1-2, chained to the first
  EXPECT_EQ(t->GetBlockEnd(0), 2);
  EXPECT_EQ(t->GetBlockEnd(1), 2);
  EXPECT_EQ(t->GetBlockEnd(3), 3);
  EXPECT_EQ(t->GetBlockStart(2), 0);
  EXPECT_EQ(t->GetBlockStart(1), 0);
  EXPECT_EQ(t->GetBlockStart(3), 3);
  // A cell covering a row from above ties it too, even when the walk starts below the cell.
  ASSERT_TRUE(t->Rows().MergeCells(3, 0, 2, 2, true, false));  // rows 3-4, both columns
  EXPECT_EQ(t->GetBlockEnd(4), 4);
  EXPECT_EQ(t->GetBlockStart(4), 3);
}

TEST(TableRowBlocksTest, HeadingsRepeatOnlyWhenNothingReachesBelowThem) {
  TDoc doc;
  TRVTableItemInfo* t = doc.AddTable(4, 2);
  EXPECT_FALSE(t->CanUseHeadings());
  t->HeadingRowCount = 2;
  EXPECT_TRUE(t->CanUseHeadings());
  t->HeadingRowCount = 10;  // cut to the rows there are
  EXPECT_TRUE(t->CanUseHeadings());
  // The second heading row holds a cell reaching into the third row.
  ASSERT_TRUE(t->Rows().MergeCells(1, 1, 1, 2, true, false));
  t->HeadingRowCount = 2;
  EXPECT_FALSE(t->CanUseHeadings());
  // One heading row spanned by a cell into the next: no headings either.
  t->HeadingRowCount = 1;
  EXPECT_TRUE(t->CanUseHeadings());
  ASSERT_TRUE(t->Rows().MergeCells(0, 0, 1, 2, true, false));
  EXPECT_FALSE(t->CanUseHeadings());
}

/// A printable cell of a fixed content height that records where the layout puts it.
class TFakePrintable : public TRVTablePrintableCell {
 public:
  explicit TFakePrintable(int32_t height) : height_(height) {}
  int32_t FormatForWidth(int32_t Width) override {
    formattedWidth = Width;
    return height_;
  }
  void Place(int32_t Left, int32_t Top, int32_t Width, int32_t Height) override {
    placed = {Left, Top, Width, Height};
  }
  int32_t GetContentHeight() const override { return height_; }
  int32_t formattedWidth = -1;
  std::vector<int32_t> placed;

 private:
  int32_t height_;
};

TEST(TablePrintLayoutTest, PrintableCellsAreMeasuredAndPlacedAtTheDeviceResolution) {
  TDoc doc;
  TRVTableItemInfo* t = doc.AddTable(2, 2);
  ASSERT_TRUE(t->Rows().MergeCells(0, 1, 1, 2, true, false));  // right column, both rows
  t->GetCell(1, 0)->BestHeight = 30;
  TRVFormatScale twice{96, 96, 192, 192, 0, 0};
  t->DeviceScale = &twice;
  TRVTableItemFormattingInfo info;
  auto* a = new TFakePrintable(50);   // (0,0)
  auto* b = new TFakePrintable(300);  // (0,1), two rows high
  info.Cells.emplace_back(a);
  info.Cells.emplace_back(b);
  info.Cells.emplace_back(nullptr);  // (1,0): an empty cell prints nothing
  info.Cells.emplace_back(nullptr);  // covered slot
  t->BestWidth = 200;
  t->Format(0, info, true);
  EXPECT_EQ(info.Width, 400);
  // Row 0 holds the 50 high content; row 1 its best height, doubled. The merged cell needs
  // 300 + 2 x 2 padding; its rows offer their heights and 2 x (4 padding + 4 spacing) - 4.
  EXPECT_EQ(info.RowHeights[0] + info.RowHeights[1], 300 + 4 - 12);
  EXPECT_GE(info.RowHeights[1], 60);
  // Printable documents stand inside the padding, as wide as their columns.
  EXPECT_EQ(a->formattedWidth, info.ColWidths[0]);
  EXPECT_EQ(a->placed, (std::vector<int32_t>{info.ColStarts[0] + 2, info.RowStarts[0] + 2, info.ColWidths[0],
                                             info.RowHeights[0]}));
  EXPECT_EQ(b->placed[1], info.RowStarts[0] + 2);
  EXPECT_EQ(b->placed[3], 300);
  // The cells on the screen keep their own layout.
  EXPECT_EQ(t->GetCell(0, 0)->Width, 0);
  t->DeviceScale = nullptr;
}

}  // namespace
