// The table's grid: construction, the main cell of covered slots, merging and the grid
// operations, their undo records, and a random walk of operations that must keep every slot
// covered exactly once and survive an RVF round trip.
#include <gtest/gtest.h>

#include <random>

#include "TableTestSupport.h"
#include "TableViewSupport.h"
#include "platform/graphics/Cursors.h"
#include "richtext/core/RVError.h"

using namespace tabletest;

namespace {

/// Records what the grid operations report, as the editor would.
class TRecordingSink : public TRVTableUndoSink {
 public:
  void ModifyItemTerminator(int ItemNo, bool Opening) override {
    Terminators.push_back(Opening ? ItemNo : -ItemNo - 1);
  }
  void Record(std::unique_ptr<TRVTableUndoRecord> Record) override { Records.push_back(std::move(Record)); }
  std::vector<int> Terminators;
  std::vector<std::unique_ptr<TRVTableUndoRecord>> Records;
};

class TableModelTest : public ::testing::Test {
 protected:
  /// The text of the cell at (r, c), "-" for a covered slot.
  std::string Text(TRVTableItemInfo* t, int r, int c) {
    TRVTableCellData* cell = t->GetCell(r, c);
    if (cell == nullptr) return "-";
    std::string s;
    for (int i = 0; i < cell->GetItemCount(); ++i) s += cell->GetItemText(i);
    return s;
  }
  void SetText(TRVTableItemInfo* t, int r, int c, const std::string& text) {
    TRVTableCellData* cell = t->GetCell(r, c);
    cell->Clear();
    cell->AddTextItem(text, 0, 0);
  }
  TDoc doc;
};

TEST_F(TableModelTest, NewTableIsOneCellWithDefaults) {
  TRVTableItemInfo* t = doc.AddTable(1, 1);
  auto fresh = std::make_unique<TRVTableItemInfo>(&doc);
  for (TRVTableItemInfo* table : {t, fresh.get()}) {
    ASSERT_EQ(table->Rows().Count(), 1);
    ASSERT_EQ(table->Rows().GetColCount(), 1);
    EXPECT_EQ(table->StyleNo, rvsTable);
    EXPECT_EQ(table->CellPadding, 1);
    EXPECT_EQ(table->Color, clWindow);
    EXPECT_EQ(table->BorderStyle, rvtbRaised);
    EXPECT_EQ(table->CellBorderStyle, rvtbLowered);
    EXPECT_EQ(table->TextRowSeparator, "\r\n");
    const TRVTableCellData* cell = table->GetCell(0, 0);
    EXPECT_EQ(cell->RowSpan, 1);
    EXPECT_EQ(cell->ColSpan, 1);
    EXPECT_EQ(cell->Color, clNone);
    EXPECT_EQ(cell->GetItemCount(), 1);
    EXPECT_FALSE(cell->HasContent(true));
    EXPECT_EQ(cell->GetTable(), table);
  }
  EXPECT_TRUE(t->QueryFeature(rvfqOwnLine));
  EXPECT_EQ(t->GetMyItemNo(), 0);
}

TEST_F(TableModelTest, FactoryMakesTablesByStyleNumber) {
  auto item = RVCreateItemByStyleNo(rvsTable, &doc);
  ASSERT_NE(dynamic_cast<TRVTableItemInfo*>(item.get()), nullptr);
  RVRegisterTableItemClass();  // again: harmless
  EXPECT_EQ(RVFindRegisteredItemClass(rvsTable), TRVTableItemInfo::ItemClass());
}

TEST_F(TableModelTest, MainCellOfCoveredSlots) {
  TRVTableItemInfo* t = doc.AddTable(3, 3);
  ASSERT_TRUE(t->Rows().MergeCells(0, 0, 2, 2, false, false));
  int mr = 0, mc = 0;
  EXPECT_EQ(t->Rows().GetMainCell(1, 1, mr, mc), t->GetCell(0, 0));
  EXPECT_EQ(mr, 0);
  EXPECT_EQ(mc, 0);
  EXPECT_EQ(t->Rows().GetMainCell(1, 2, mr, mc), t->GetCell(1, 2));
  EXPECT_EQ(mc, 2);
}

TEST_F(TableModelTest, MainCellOfBrokenGridIsNone) {
  TRVTableItemInfo* t = doc.AddTable(2, 2);
  t->Rows().Get(1)->TakeCell(1).reset();  // a hole no cell covers
  int mr = 0, mc = 0;
  EXPECT_EQ(t->Rows().GetMainCell(1, 1, mr, mc), nullptr);
  EXPECT_EQ(mr, -1);
  EXPECT_EQ(mc, -1);
}

TEST_F(TableModelTest, MergeRules) {
  TRVTableItemInfo* t = doc.AddTable(3, 3);
  SetText(t, 0, 0, "a");
  SetText(t, 0, 1, "b");
  EXPECT_FALSE(t->Rows().MergeCells(0, 0, 1, 1, false, false));  // 1 x 1: nothing to do
  ASSERT_TRUE(t->Rows().MergeCells(0, 0, 2, 1, false, false));
  EXPECT_EQ(Text(t, 0, 0), "ab");  // content is appended, the empty cells vanish
  EXPECT_EQ(Text(t, 0, 1), "-");
  EXPECT_FALSE(t->Rows().MergeCells(0, 0, 2, 1, false, false));  // already spans it
  // A rectangle that cuts the merged cell is refused and changes nothing.
  EXPECT_FALSE(t->Rows().MergeCells(0, 1, 2, 2, true, false));
  EXPECT_EQ(GridFault(*t), "");
  EXPECT_EQ(t->GetCell(0, 2)->RowSpan, 1);
  EXPECT_THROW(t->Rows().MergeCells(3, 0, 2, 2, false, false), ERVError);
  EXPECT_EQ(GridFault(*t), "");
}

TEST_F(TableModelTest, MergeThatEmptiesAColumnNeedsTheFlag) {
  TRVTableItemInfo* t = doc.AddTable(1, 2);
  EXPECT_FALSE(t->Rows().MergeCells(0, 0, 2, 1, false, false));
  EXPECT_EQ(t->GetCell(0, 0)->ColSpan, 1);
  EXPECT_TRUE(t->Rows().MergeCells(0, 0, 2, 1, true, false));
  EXPECT_EQ(t->GetCell(0, 0)->ColSpan, 2);
}

TEST_F(TableModelTest, CombinedBestWidthPrefersPercent) {
  TRVTableItemInfo* t = doc.AddTable(2, 3);
  t->GetCell(0, 0)->BestWidth = 30;
  t->GetCell(0, 1)->BestWidth = 40;
  t->GetCell(1, 0)->BestWidth = 50;
  EXPECT_EQ(t->Rows().GetBestWidthOfRange(0, 0, 2, 3), 70);
  t->GetCell(1, 2)->BestWidth = -20;
  EXPECT_EQ(t->Rows().GetBestWidthOfRange(0, 0, 2, 3), -20);
  ASSERT_TRUE(t->Rows().MergeCells(0, 0, 3, 2, true, true));
  EXPECT_EQ(t->GetCell(0, 0)->BestWidth, -20);
}

TEST_F(TableModelTest, InsertColumnsWidensACellSpanningTheInsertionPoint) {
  TRVTableItemInfo* t = doc.AddTable(2, 3);
  ASSERT_TRUE(t->Rows().MergeCells(0, 0, 2, 1, false, false));
  t->Rows().InsertCols(1, 2, -1, false);
  EXPECT_EQ(t->Rows().GetColCount(), 5);
  EXPECT_EQ(t->GetCell(0, 0)->ColSpan, 4);
  EXPECT_EQ(t->GetCell(0, 1), nullptr);
  EXPECT_NE(t->GetCell(1, 1), nullptr);
  EXPECT_EQ(GridFault(*t), "");
}

TEST_F(TableModelTest, InsertedColumnCopiesItsNeighbour) {
  TRVTableItemInfo* t = doc.AddTable(2, 2);
  TRVTableCellData* copy = t->GetCell(0, 0);
  copy->Color = clRed;
  copy->BestWidth = 90;
  copy->VAlign = rvcBottom;
  t->Rows().InsertCols(1, 2, 0, true);
  EXPECT_EQ(t->GetCell(0, 0)->BestWidth, 30);  // 90 x 1 div 3
  for (int c = 1; c <= 2; ++c) {
    EXPECT_EQ(t->GetCell(0, c)->Color, clRed);
    EXPECT_EQ(t->GetCell(0, c)->VAlign, rvcBottom);
    EXPECT_EQ(t->GetCell(0, c)->BestWidth, 30);  // the copy cell's width after dividing
  }
  EXPECT_EQ(GridFault(*t), "");
}

TEST_F(TableModelTest, BadCountsAndIndexesAreRefusedBeforeAnyChange) {
  TRVTableItemInfo* t = doc.AddTable(2, 2);
  EXPECT_THROW(t->Rows().InsertCols(0, 0, -1, false), ERVError);
  EXPECT_THROW(t->Rows().InsertRows(0, -3, -1, false), ERVError);
  EXPECT_THROW(t->Rows().InsertCols(3, 1, -1, false), ERVError);
  EXPECT_THROW(t->Rows().InsertRows(0, 1, 2, false), ERVError);
  EXPECT_THROW(t->Rows().DeleteCols(0, 3, false), ERVError);
  EXPECT_THROW(t->Rows().DeleteCols(2, 1, false), ERVError);
  EXPECT_EQ(t->Rows().Count(), 2);
  EXPECT_EQ(t->Rows().GetColCount(), 2);
  t->Rows().DeleteCols(1, 5, false);  // from a later column the count is cut
  EXPECT_EQ(t->Rows().GetColCount(), 1);
}

TEST_F(TableModelTest, InsertRowsCopiesSpansAndWidensCrossingCells) {
  TRVTableItemInfo* t = doc.AddTable(2, 3);
  ASSERT_TRUE(t->Rows().MergeCells(0, 0, 2, 1, false, false));  // row 0: [0..1] [2]
  ASSERT_TRUE(t->Rows().MergeCells(0, 2, 1, 2, true, false));   // column 2 spans rows 0..1
  t->Rows().InsertRows(1, 1, 0, false);
  EXPECT_EQ(t->Rows().Count(), 3);
  EXPECT_EQ(t->GetCell(0, 2)->RowSpan, 3);
  EXPECT_EQ(t->GetCell(1, 0)->ColSpan, 2);  // copied from the row above
  EXPECT_EQ(t->GetCell(1, 2), nullptr);
  EXPECT_EQ(GridFault(*t), "");
}

TEST_F(TableModelTest, DeleteColumnsSplitsAndShrinksSpanningCells) {
  TRVTableItemInfo* t = doc.AddTable(2, 4);
  ASSERT_TRUE(t->Rows().MergeCells(0, 1, 3, 1, false, false));  // row 0: [0] [1..3]
  ASSERT_TRUE(t->Rows().MergeCells(1, 0, 2, 1, false, false));  // row 1: [0..1] [2] [3]
  t->GetCell(0, 1)->BestWidth = 90;
  t->Rows().DeleteCols(1, 1, true);
  EXPECT_EQ(t->Rows().GetColCount(), 3);
  EXPECT_EQ(t->GetCell(1, 0)->ColSpan, 1);
  EXPECT_EQ(t->GetCell(0, 1)->ColSpan, 2);  // the right part of the split cell
  EXPECT_EQ(t->GetCell(0, 1)->BestWidth, 60);
  EXPECT_EQ(GridFault(*t), "");
}

TEST_F(TableModelTest, OperationsRecordUndoOnlyWithASink) {
  TRVTableItemInfo* t = doc.AddTable(2, 2);
  SetText(t, 0, 1, "b");
  TRecordingSink sink;
  t->UndoSink = &sink;
  t->State &= ~rvtsInserted;
  ASSERT_TRUE(t->Rows().MergeCells(0, 0, 2, 1, true, false));
  EXPECT_TRUE(sink.Records.empty());  // a table outside a document records nothing
  doc.Clear();
  t = doc.AddTable(2, 2);
  t->Inserted(&doc, 0);
  SetText(t, 0, 0, "a");
  SetText(t, 0, 1, "b");
  t->UndoSink = &sink;
  ASSERT_TRUE(t->Rows().MergeCells(0, 0, 2, 1, true, false));
  ASSERT_EQ(sink.Records.size(), 1u);
  TRVTableUndoRecord& merge = *sink.Records[0];
  EXPECT_EQ(merge.Kind, TRVTableUndoKind::Merge);
  ASSERT_EQ(merge.MergeItems.size(), 1u);
  TRVTableCellData* kept = merge.MergeItems[0].Cell.get();
  EXPECT_EQ(kept->GetTable(), nullptr);  // held by the record
  EXPECT_EQ(kept->GetUndoHolder(), &merge);
  // Undoing puts the cell and its text back.
  t->Rows().UnmergeCells(merge);
  EXPECT_EQ(Text(t, 0, 0), "a");
  EXPECT_EQ(Text(t, 0, 1), "b");
  EXPECT_EQ(t->GetCell(0, 1)->GetTable(), t);
  EXPECT_EQ(GridFault(*t), "");
  sink.Records.clear();
  t->Rows().InsertCols(1, 1, 0, false);
  EXPECT_EQ(sink.Terminators, (std::vector<int>{0, -1}));
  ASSERT_FALSE(sink.Records.empty());
  EXPECT_EQ(sink.Records[0]->Kind, TRVTableUndoKind::InsertTableCells);
  sink.Records.clear();
  t->Rows().DeleteCols(0, 1, false);
  ASSERT_EQ(sink.Records.back()->Kind, TRVTableUndoKind::DeleteCols);
  EXPECT_EQ(sink.Records.back()->Cells.size(), 2u);  // the deleted cells travel with the record
}

TEST_F(TableModelTest, ClearCellsEmptiesContent) {
  TRVTableItemInfo* t = doc.AddTable(1, 2);
  SetText(t, 0, 0, "a");
  t->GetCell(0, 0)->Color = clRed;
  t->Rows().ClearCells({{0, 0}});
  EXPECT_EQ(Text(t, 0, 0), "");
  EXPECT_EQ(t->GetCell(0, 0)->Color, clRed);
}

TEST_F(TableModelTest, SubDocumentsEnumerateCellsInOrder) {
  TRVTableItemInfo* t = doc.AddTable(2, 2);
  ASSERT_TRUE(t->Rows().MergeCells(0, 0, 2, 1, true, false));
  std::unique_ptr<TRVStoreSubRVData> state;
  std::vector<TCustomRVData*> forward;
  for (TCustomRVData* d = t->GetSubDocument(state, 0); d != nullptr; d = t->GetSubDocument(state, 4))
    forward.push_back(d);
  EXPECT_EQ(forward, (std::vector<TCustomRVData*>{t->GetCell(0, 0), t->GetCell(1, 0), t->GetCell(1, 1)}));
  EXPECT_EQ(t->GetSubDocument(state, 1), t->GetCell(1, 1));
  EXPECT_EQ(t->GetSubDocument(state, 5), t->GetCell(1, 0));
  int parentNo = -1;
  std::unique_ptr<TRVStoreSubRVData> where;
  t->GetCell(1, 1)->GetParentItemInfo(parentNo, where);
  EXPECT_EQ(parentNo, 0);
  auto* position = dynamic_cast<TRVTableStoreSubRVData*>(where.get());
  ASSERT_NE(position, nullptr);
  EXPECT_EQ(position->Row, 1);
  EXPECT_EQ(position->Col, 1);
}

/// Random merges, inserts and deletes on random grids.
TEST_F(TableModelTest, RandomOperationsKeepEverySlotCoveredOnceAndRoundTrip) {
  std::mt19937 random(20261207);
  auto pick = [&](int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(random); };
  for (int round = 0; round < 60; ++round) {
    doc.Clear();
    TRVTableItemInfo* t = doc.AddTable(pick(1, 5), pick(1, 5));
    for (int step = 0; step < 25; ++step) {
      TRVTableRows& rows = t->Rows();
      const int nRows = rows.Count(), nCols = rows.GetColCount();
      if (nRows == 0 || nCols == 0) break;
      switch (pick(0, 4)) {
        case 0:
          rows.MergeCells(pick(0, nRows - 1), pick(0, nCols - 1), pick(1, 3), pick(1, 3), pick(0, 1) == 1,
                          pick(0, 1) == 1);
          break;
        case 1:
          rows.InsertCols(pick(0, nCols), pick(1, 2), pick(-1, nCols - 1), pick(0, 1) == 1);
          break;
        case 2:
          rows.InsertRows(pick(0, nRows), pick(1, 2), pick(-1, nRows - 1), pick(0, 1) == 1);
          break;
        case 3:
          if (nCols > 1) rows.DeleteCols(pick(1, nCols - 1), pick(1, 2), pick(0, 1) == 1);
          break;
        default:
          SetText(t, 0, 0, "x" + std::to_string(step));
          break;
      }
      ASSERT_EQ(GridFault(*t), "") << "round " << round << " step " << step;
    }
    TMemoryStream first;
    t->SaveRowCount = t->Rows().Count();
    t->WriteComponentStream(first);
    first.SetPosition(0);
    TRVTableItemInfo copy(&doc);
    copy.ReadComponentStream(first);
    EXPECT_EQ(GridFault(copy), "");
    TMemoryStream second;
    copy.SaveRowCount = copy.Rows().Count();
    copy.WriteComponentStream(second);
    EXPECT_EQ(second.DataString(), first.DataString()) << "round " << round;
  }
}

TEST(TableCursorsTest, ATableLoadsTheRowAndColumnCursors) {
  TDoc doc;
  doc.AddTable(1, 1);
  const auto row = GetScreenCursor(crRVSelectRow), col = GetScreenCursor(crRVSelectCol);
  EXPECT_TRUE(row != nullptr && col != nullptr && row != col);
}

TEST(TableLifetimeTest, AFreedTableTakesItsCellsOutOfTheDocument) {
  // Regression: the cells' link areas and the hovered cell outlived the table.
  TRVStyle style;
  style.TextStyles().Items(1)->Jump = true;
  TPaintDoc doc;
  doc.SetRVStyle(&style);
  doc.AddTextItem("link", 1, 0);
  auto table = TRVTableItemInfo::CreateWithSize(1, 2, &doc);
  auto inner = TRVTableItemInfo::CreateWithSize(1, 1, table->GetCell(0, 1));
  TRVTableCellData* nestedCell = inner->GetCell(0, 0);
  for (TRVTableCellData* cell : {table->GetCell(0, 0), table->GetCell(0, 1), nestedCell})
    cell->Clear(), cell->AddTextItem("cell link", 1, 0);
  table->GetCell(0, 1)->AddItem("", std::move(inner));
  doc.AddItem("", std::move(table));
  doc.Format(true);
  ASSERT_EQ(doc.Jumps().Count(), 4);
  doc.HoverSubData = nestedCell;
  doc.DeleteItems(1, 1);
  ASSERT_EQ(doc.Jumps().Count(), 1);
  EXPECT_TRUE(doc.Jumps()[0]->RVData == &doc && doc.HoverSubData == nullptr);
}

}  // namespace
