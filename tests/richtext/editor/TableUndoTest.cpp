// Undo records of table editing: every grid operation of a table in an editor is undone and
// redone exactly (the grid dumps alike, the grid invariant holds throughout), cells that
// leave the grid come back as the same objects, and records that hold pictures swap them
// without copying.
#include <gtest/gtest.h>

#include <functional>
#include <set>
#include <string>
#include <vector>

#include "platform/graphics/Bitmap.h"
#include "platform/gui/Clipbrd.h"
#include "platform/gui/StdCtrls.h"
#include "richtext/core/RVError.h"
#include "richtext/core/RVMarker.h"
#include "richtext/core/RVNonTextItems.h"
#include "richtext/editor/TableEditSupport.h"

namespace {

using editortest::Grid;
using editortest::TTableEditFixture;
using tabletest::GridFault;

struct TGridCase {
  const char* Name;
  int Rows;
  int Cols;
  std::function<void(TTableEditFixture&)> Prepare;  // before recording (may be empty)
  std::function<void(TRVTableItemInfo&)> Change;
};

TEST(TableUndoTest, GridOperationsUndoAndRedoExactly) {
  const std::vector<TGridCase> cases = {
      {"insert two rows in the middle", 3, 2, nullptr,
       [](TRVTableItemInfo& t) { t.Rows().InsertRows(1, 2, -1, false); }},
      {"insert rows copying a row with a spread cell", 2, 3,
       [](TTableEditFixture& f) { f.T().Rows().MergeCells(0, 0, 2, 1, false, false); },
       [](TRVTableItemInfo& t) { t.Rows().InsertRows(1, 1, 0, true); }},
      {"insert rows through a cell that spans them", 3, 2,
       [](TTableEditFixture& f) { f.T().Rows().MergeCells(0, 0, 1, 2, true, false); },
       [](TRVTableItemInfo& t) { t.Rows().InsertRows(1, 2, -1, false); }},
      {"insert columns copying a column with widths", 2, 2,
       [](TTableEditFixture& f) {
         f.T().GetCell(0, 1)->BestWidth = 90;
         f.T().GetCell(1, 1)->BestHeight = 30;
       },
       [](TRVTableItemInfo& t) { t.Rows().InsertCols(1, 2, 1, true); }},
      {"insert columns inside a cell that spans them", 2, 3,
       [](TTableEditFixture& f) { f.T().Rows().MergeCells(0, 0, 3, 1, true, false); },
       [](TRVTableItemInfo& t) { t.Rows().InsertCols(1, 1, -1, false); }},
      {"insert columns copying a cell that spans rows", 3, 2,
       [](TTableEditFixture& f) { f.T().Rows().MergeCells(0, 0, 1, 2, true, false); },
       [](TRVTableItemInfo& t) { t.Rows().InsertCols(1, 1, 0, false); }},
      {"merge a rectangle with content", 3, 3,
       [](TTableEditFixture& f) {
         f.T().GetCell(0, 0)->BestWidth = 40;
         f.T().GetCell(1, 1)->BestWidth = 70;
         f.SetCellText(1, 0, "");
       },
       [](TRVTableItemInfo& t) { t.Rows().MergeCells(0, 0, 2, 2, false, true); }},
      {"delete a middle column", 2, 3, nullptr,
       [](TRVTableItemInfo& t) { t.Rows().DeleteCols(1, 1, false); }},
      {"delete columns splitting a merged cell with divided width", 2, 4,
       [](TTableEditFixture& f) {
         f.T().Rows().MergeCells(0, 0, 3, 1, true, false);
         f.T().GetCell(0, 0)->BestWidth = 90;
       },
       [](TRVTableItemInfo& t) { t.Rows().DeleteCols(0, 1, true); }},
      {"delete columns shrinking a merged cell", 2, 4,
       [](TTableEditFixture& f) {
         f.T().Rows().MergeCells(1, 0, 3, 1, true, false);
         f.T().GetCell(1, 0)->BestWidth = 60;
       },
       [](TRVTableItemInfo& t) { t.Rows().DeleteCols(1, 1, true); }},
      {"clear cells", 2, 2, nullptr,
       [](TRVTableItemInfo& t) {
         t.Rows().ClearCells({{0, 1}, {1, 0}});
       }},
  };
  for (const TGridCase& c : cases) {
    SCOPED_TRACE(c.Name);
    TTableEditFixture f(c.Rows, c.Cols);
    if (c.Prepare) c.Prepare(f);
    const std::string before = Grid(f.T());
    f.Recorded([&] { c.Change(f.T()); });
    const std::string after = Grid(f.T());
    ASSERT_NE(before, after) << "the change changed nothing";
    for (int round = 0; round < 2; ++round) {
      f.Undo();
      EXPECT_EQ(Grid(f.T()), before);
      EXPECT_EQ(GridFault(f.T()), "");
      EXPECT_EQ(f.Data().UndoList->Count(), 0);
      f.Redo();
      EXPECT_EQ(Grid(f.T()), after);
      EXPECT_EQ(GridFault(f.T()), "");
      EXPECT_EQ(f.Data().RedoList->Count(), 0);
    }
  }
}

TEST(TableUndoTest, UndoingAMergeGivesNestedItemsTheirOwnCellsBack) {
  TTableEditFixture f(2, 3);  // regression: a nested table kept the merged cell as its document
  f.Sheet.ListStyles().AddStyle()->Levels().AddLevel()->ListType = rvlstDecimal;
  TRVTableCellData* nestedCell = f.T().GetCell(0, 1);
  nestedCell->AddItem("", TRVTableItemInfo::CreateWithSize(1, 1, nestedCell));
  auto* inner = static_cast<TRVTableItemInfo*>(nestedCell->GetItem(1));
  TRVTableCellData* listCell = f.T().GetCell(0, 2);
  tabletest::AddNumbered(*listCell, "item");
  auto* rawMarker = static_cast<TRVMarkerItemInfo*>(listCell->GetItem(listCell->GetItemCount() - 2));
  listCell->AddItem("", TRVControlItemInfo::CreateEx(listCell, std::make_unique<TButton>(), 0));
  const auto Saved = [&] { return editortest::RVFClipboardBlock(f.Editor); };
  const auto separate = Saved();
  f.Recorded([&] { f.T().Rows().MergeCells(0, 0, 3, 1, false, false); });
  const auto merged = Saved();
  ASSERT_NE(merged, separate);
  for (int round = 0; round < 2; ++round) {
    f.Undo();
    EXPECT_TRUE(inner->GetParentData() == nestedCell && inner->GetMyItemNo() == 1);
    EXPECT_TRUE(rawMarker->OwnerData == listCell && Saved() == separate);
    f.Redo();
    EXPECT_TRUE(inner->GetParentData() == f.T().GetCell(0, 0) && rawMarker->OwnerData == f.T().GetCell(0, 0));
    EXPECT_EQ(Saved(), merged);
  }
}

TEST(TableUndoTest, PastedNumberedCellsCountInDocumentOrderThroughUndoAndRedo) {
  editortest::TEditorFixture f;
  RVRegisterTableItemClass();
  RVRegisterTableEditing();
  f.Sheet.ListStyles().AddStyle()->Levels().AddLevel()->ListType = rvlstDecimal;
  TRVEdit source;
  source.SetStyle(&f.Sheet);
  auto table = TRVTableItemInfo::CreateWithSize(1, 2, &source.RVData());
  for (int c = 0; c < 2; ++c)
    table->GetCell(0, c)->Clear(), tabletest::AddNumbered(*table->GetCell(0, c), std::string(1, "bc"[c]));
  source.RVData().AddItem("", std::move(table));
  tabletest::AddNumbered(source.RVData(), "d");
  Clipboard().SetBuffer(RegisterClipboardFormat("RV Format"), editortest::RVFClipboardBlock(source));
  tabletest::AddNumbered(f.Data(), "a");
  f.Editor.AddTextLineWithTag(u"", 0, 0, 0);
  f.Editor.Format();
  f.Editor.SetSelectionBounds(f.Data().GetItemCount() - 1, 1, f.Data().GetItemCount() - 1, 1);
  f.Editor.PasteRVF();
  EXPECT_EQ(tabletest::Counters(f.Data()), "a=1 b=2 c=3 d=4 ");
  f.Editor.Undo();
  EXPECT_EQ(tabletest::Counters(f.Data()), "a=1 ");
  f.Editor.Redo();
  EXPECT_EQ(tabletest::Counters(f.Data()), "a=1 b=2 c=3 d=4 ");
}

TEST(TableUndoTest, UndoingInsertedRowsDeletesExactlyThemAndRedoMakesNewEmptyCells) {
  TTableEditFixture f(2, 2);
  f.Recorded([&] { f.T().Rows().InsertRows(1, 2, -1, false); });
  ASSERT_EQ(f.T().Rows().Count(), 4);
  const TRVTableCellData* inserted = f.T().GetCell(1, 0);
  f.Undo();
  EXPECT_EQ(Grid(f.T()), "00 01\n10 11\n");
  f.Redo();
  EXPECT_EQ(Grid(f.T()), "00 01\n_ _\n_ _\n10 11\n");
  (void)inserted;  // freed by the undo; redo makes cells of its own
}

TEST(TableUndoTest, UndoingAColumnDeletionPutsTheVeryCellsBack) {
  TTableEditFixture f(2, 3);
  TRVTableCellData* a = f.T().GetCell(0, 1);
  TRVTableCellData* b = f.T().GetCell(1, 1);
  f.Recorded([&] { f.T().Rows().DeleteCols(1, 1, false); });
  EXPECT_EQ(a->GetTable(), nullptr) << "a held cell belongs to no table";
  EXPECT_EQ(a->GetOptions(), f.Data().GetOptions() & ~rvoClientTextWidth)
      << "a held cell takes its options from the document";
  f.Undo();
  EXPECT_EQ(f.T().GetCell(0, 1), a);
  EXPECT_EQ(f.T().GetCell(1, 1), b);
  EXPECT_EQ(a->GetTable(), &f.T());
  f.Redo();
  f.Undo();
  EXPECT_EQ(f.T().GetCell(0, 1), a) << "the same objects after a second round";
}

TEST(TableUndoTest, UndoingAMergeRestoresEveryCellWithItsOwnItems) {
  TTableEditFixture f(2, 2);
  TRVTableCellData* topLeft = f.T().GetCell(0, 0);
  topLeft->BestWidth = 25;
  topLeft->AddTextItem("more", 0, 0);
  TRVTableCellData* absorbed = f.T().GetCell(1, 1);
  f.Recorded([&] { f.T().Rows().MergeCells(0, 0, 2, 2, true, true); });
  EXPECT_EQ(Grid(f.T()), "00+more+01+10+11/c2/r2/w25 .\n. .\n");
  f.Undo();
  EXPECT_EQ(Grid(f.T()), "00+more/w25 01\n10 11\n");
  EXPECT_EQ(topLeft->BestWidth, 25);
  EXPECT_EQ(f.T().GetCell(1, 1), absorbed);
}

TEST(TableUndoTest, RecordsCarryTheTableAndTheirOwnFlags) {
  TTableEditFixture f(2, 2);
  f.Recorded([&] { f.T().Rows().InsertRows(2, 1, -1, false); });
  const TRVUndoInfos& group = *f.Data().UndoList->Last();
  std::set<std::string> classes;
  for (const auto& info : group) {
    classes.insert(info->ClassName());
    EXPECT_EQ(info->Action, rvuaModifyItem);
    if (auto* props = dynamic_cast<TRVUndoModifyItemProps*>(info.get())) {
      EXPECT_EQ(props->ItemNo, TTableEditFixture::kTableItemNo);
    }
  }
  EXPECT_TRUE(classes.count("TRVUndoInsertTableRows"));
  EXPECT_TRUE(classes.count("TRVUndoModifyItemTerminator")) << "multi-cell changes are bracketed";
}

TEST(TableUndoTest, WithoutRecordingTheGridOperationsStillRun) {
  TTableEditFixture f(2, 2);
  f.Data().UndoList->SetLimit(0);
  f.Recorded([&] {
    f.T().Rows().InsertCols(0, 1, -1, false);
    f.T().Rows().DeleteCols(2, 1, false);
    f.T().Rows().MergeCells(0, 0, 2, 1, false, true);
  });
  EXPECT_EQ(Grid(f.T()), "+00/c2 .\n_ 10\n");
  EXPECT_EQ(GridFault(f.T()), "");
  EXPECT_EQ(f.Data().UndoList->Count(), 0);
}

TEST(TableUndoTest, UndoingOnAnItemThatIsNoTableFails) {
  TTableEditFixture f(1, 1);
  f.Recorded([&] { f.T().Rows().InsertRows(0, 1, -1, false); });
  // The records are made to point at the paragraph before the table.
  for (const auto& info : *f.Data().UndoList->Last())
    if (auto* props = dynamic_cast<TRVUndoModifyItemProps*>(info.get())) props->ItemNo = 0;
  EXPECT_THROW(f.Undo(), ERVError);
}

// ---- pictures and borders --------------------------------------------------------------

std::unique_ptr<TBitmap> Picture(int Width) {
  auto bitmap = std::make_unique<TBitmap>();
  bitmap->SetSize(Width, 2);
  return bitmap;
}

TEST(TableUndoTest, BackgroundPictureRecordsSwapTheObjectsWithoutCopying) {
  for (int row : {-1, 1}) {
    SCOPED_TRACE(row < 0 ? "table" : "cell");
    TTableEditFixture f(2, 2);
    const int col = row;
    auto picture = [&]() -> TGraphic* {
      return row < 0 ? f.T().GetBackgroundImage() : f.T().GetCell(row, col)->GetBackgroundImage();
    };
    auto source = Picture(3);
    if (row < 0)
      TRVTableCommands::SetBackgroundImage(f.T(), source.get());
    else
      TRVTableCommands::SetCellBackgroundImage(f.T(), source.get(), row, col);
    TGraphic* set = picture();
    ASSERT_NE(set, nullptr);
    EXPECT_NE(set, source.get()) << "setting copies the picture";
    f.Undo();
    EXPECT_EQ(picture(), nullptr);
    f.Redo();
    EXPECT_EQ(picture(), set) << "redo gives back the very object";
    f.Undo();
    f.Redo();
    EXPECT_EQ(picture(), set);
  }
}

TEST(TableUndoTest, VisibleBordersRecordPutsTheFlagsBack) {
  TTableEditFixture f(1, 2);
  TRVTableCommands::SetCellVisibleBorders(f.T(), -1, false, true, true, false, 0, 1);
  const TRVBooleanRect& b = f.T().GetCell(0, 1)->VisibleBorders;
  auto flags = [&b] {
    return std::string(b.Left ? "L" : "-") + (b.Top ? "T" : "-") + (b.Right ? "R" : "-") +
           (b.Bottom ? "B" : "-");
  };
  EXPECT_EQ(flags(), "-TR-");
  f.Undo();
  EXPECT_EQ(flags(), "LTRB");
  f.Redo();
  EXPECT_EQ(flags(), "-TR-");
  // Equal flags change nothing and record nothing.
  const int groups = f.Data().UndoList->Count();
  TRVTableCommands::SetCellVisibleBorders(f.T(), -1, false, true, true, false, 0, 1);
  EXPECT_EQ(f.Data().UndoList->Count(), groups);
}

}  // namespace
