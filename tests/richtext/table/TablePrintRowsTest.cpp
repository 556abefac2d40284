// Rows that merged cells tie together, and heading rows that may repeat on every page.
#include <gtest/gtest.h>

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

}  // namespace
