// Moving between the cells of a table: the cell next to another in each direction (over
// merged cells, skipping cells that may not be edited, telling the application when the
// caret leaves the table), entering the table from outside, and opening a cell of a table
// that lies in a cell of another.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "TableHooksTestSupport.h"
#include "TableTestSupport.h"
#include "TableViewSupport.h"

namespace {

using tabletest::TDoc;
using tabletest::TFakeEditor;

/// Opens a stand-in editor wherever the table asks, and logs the requests.
class TOpeningHooks : public tabletest::TQuietEditorHooks {
 public:
  void OpenCellEditor(TRVTableItemInfo& Table, int, int Row, int Col, bool, bool CaretAtStart,
                      bool CaretAtEnd, uint32_t, bool SkipCheck) override {
    log.push_back(std::to_string(Row) + "," + std::to_string(Col) + (CaretAtStart ? " start" : "") +
                  (CaretAtEnd ? " end" : "") + (SkipCheck ? " skip" : ""));
    editors.push_back(std::make_unique<TFakeEditor>(Table, Row, Col));
  }
  std::vector<std::string> log;
  std::vector<std::unique_ptr<TFakeEditor>> editors;
};

class TableNavigationTest : public ::testing::Test {
 protected:
  void SetUp() override { RVSetTableEditorHooks(&hooks); }
  void TearDown() override {
    hooks.editors.clear();
    RVSetTableEditorHooks(nullptr);
  }
  /// The adjacent cell as "row,col", or "none" (and the leave events in `left`).
  std::string Adjacent(TRVTableItemInfo& Table, int Row, int Col, int Direction, bool NoLeaveEvent = false) {
    int newRow = -1, newCol = -1;
    if (!Table.GetAdjacentCell(Row, Col, NoLeaveEvent, newCol, newRow, Direction)) return "none";
    return std::to_string(newRow) + "," + std::to_string(newCol);
  }

  TOpeningHooks hooks;
  TDoc doc;
};

TEST_F(TableNavigationTest, AdjacentCellsInEveryDirection) {
  // 3 x 3; (0,1) spans two columns, (1,0) spans two rows.
  TRVTableItemInfo* table = doc.AddTable(3, 3);
  ASSERT_TRUE(table->Rows().MergeCells(0, 1, 2, 1, true, false));
  ASSERT_TRUE(table->Rows().MergeCells(1, 0, 1, 2, true, false));
  std::vector<std::string> leaves;
  table->OnLeaveMe = [&](TRVTableItemInfo*, bool DoNextItem) {
    leaves.push_back(DoNextItem ? "next" : "prev");
  };
  struct Case {
    int row, col, direction;
    const char* expected;
  };
  const std::vector<Case> cases = {
      {1, 1, 0, "1,0"},   // left into a cell spanning rows
      {0, 1, 0, "0,0"},   //
      {1, 0, 0, "0,1"},   // column 0 below the first row: the previous cell
      {0, 0, 0, "none"},  // the first cell: the caret leaves
      {1, 1, 1, "0,1"},   // up into the merged cell
      {0, 2, 1, "none"},  //
      {0, 0, 2, "0,1"},   //
      {0, 1, 2, "1,0"},   // the merged cell ends the row: the next cell
      {2, 2, 2, "none"},  // the last cell: the caret leaves
      {0, 0, 3, "1,0"},   //
      {1, 0, 3, "none"},  // the cell reaches the last row
      {0, 1, 3, "1,1"},   // below the merged cell, at its own column
      {0, 1, 6, "1,0"},   // covered slots are skipped
      {2, 2, 6, "none"},  //
      {1, 1, 7, "1,0"},   //
      {0, 0, 7, "none"},  //
      {1, 1, 4, "none"},  // to the document's start or end: not a cell
      {1, 1, 5, "none"},  //
  };
  for (const Case& c : cases)
    EXPECT_EQ(Adjacent(*table, c.row, c.col, c.direction), c.expected)
        << c.row << "," << c.col << " direction " << c.direction;
  EXPECT_EQ(leaves, (std::vector<std::string>{"prev", "next", "next", "prev"}));
  leaves.clear();
  EXPECT_EQ(Adjacent(*table, 2, 2, 6, true), "none");
  EXPECT_EQ(Adjacent(*table, 0, 0, 0, true), "none");
  EXPECT_TRUE(leaves.empty()) << "the caller asked for no event";
}

TEST_F(TableNavigationTest, NextAndPreviousSkipCellsThatMayNotBeEdited) {
  TRVTableItemInfo* table = doc.AddTable(2, 3);
  table->OnCellAllowEdit = [](TRVTableItemInfo*, int Row, int Col, bool& AllowEdit) {
    AllowEdit = !(Row == 0 && Col == 2) && !(Row == 1 && Col == 0);
  };
  EXPECT_EQ(Adjacent(*table, 0, 1, 6), "1,1");
  EXPECT_EQ(Adjacent(*table, 1, 1, 7), "0,1");
  EXPECT_EQ(Adjacent(*table, 0, 1, 2), "0,2") << "plain directions do not ask";
  // Visiting every cell in reading order reaches exactly the allowed ones.
  std::vector<std::string> visited;
  int row = 0, col = 0, newRow = -1, newCol = -1;
  visited.push_back("0,0");
  while (table->GetAdjacentCell(row, col, true, newCol, newRow, 6)) {
    row = newRow;
    col = newCol;
    visited.push_back(std::to_string(row) + "," + std::to_string(col));
  }
  EXPECT_EQ(visited, (std::vector<std::string>{"0,0", "0,1", "1,1", "1,2"}));
}

TEST_F(TableNavigationTest, EnteringTheTableOpensTheEditorAtTheNearEnd) {
  TRVTableItemInfo* table = doc.AddTable(2, 3);
  ASSERT_TRUE(table->Rows().MergeCells(1, 1, 2, 1, true, false));
  table->Format(400, table->FormattingInfo, true);
  const TRVTableItemFormattingInfo& info = table->FormattingInfo;
  const int32_t middleOfColumn2 = info.ColStarts[2] + info.ColWidths[2] / 2;
  EXPECT_TRUE(table->EnterFrom(0, 0));
  EXPECT_TRUE(table->EnterFrom(1, 0));
  EXPECT_TRUE(table->EnterFrom(2, middleOfColumn2));
  EXPECT_TRUE(table->EnterFrom(3, middleOfColumn2));
  EXPECT_FALSE(table->EnterFrom(2, info.ColStarts[2] - 1)) << "between columns";
  EXPECT_EQ(hooks.log, (std::vector<std::string>{"0,0 start", "1,1 end", "0,2 start", "1,1 end"}));
  table->Options &= ~rvtoEditing;
  EXPECT_FALSE(table->EnterFrom(0, 0));
  EXPECT_EQ(hooks.log.size(), 4u);
}

TEST_F(TableNavigationTest, EditingACellOfANestedTableOpensTheOuterCellFirst) {
  TRVTableItemInfo* outer = doc.AddTable(1, 2);
  TRVTableCellData* outerCell = outer->GetCell(0, 1);
  auto made = TRVTableItemInfo::CreateWithSize(2, 2, outerCell);
  TRVTableItemInfo* inner = made.get();
  outerCell->AddItem("", std::move(made));
  inner->EditCell(1, 0, true);
  EXPECT_EQ(hooks.log, (std::vector<std::string>{"0,1 start skip", "1,0 start skip"}));
  // A cell its table no longer holds is an internal error.
  std::unique_ptr<TRVTableCellData> taken = outer->Rows().Get(0)->TakeCell(1);
  EXPECT_THROW(inner->EditCell(0, 0, false), ERVError);
  outer->Rows().Get(0)->PutCell(1, std::move(taken));
}

TEST_F(TableNavigationTest, ClosingTheEditorGoesThroughItsLink) {
  TRVTableItemInfo* table = doc.AddTable(1, 1);
  TFakeEditor editor(*table, 0, 0);
  table->DestroyInplace(false);
  table->DestroyInplace(true);
  EXPECT_EQ(editor.closes, std::vector<bool>{false}) << "a second close finds no editor";
  EXPECT_EQ(table->CellEditor, nullptr);
}

}  // namespace

namespace {

/// The cells GetSubRVData visits from First, stepping with Step, as "row,col".
std::vector<std::string> Visit(TRVTableItemInfo& Table, int First, int Step) {
  std::vector<std::string> out;
  std::unique_ptr<TRVStoreSubRVData> store;
  for (TCustomRVData* cell = Table.GetSubRVData(store, First); cell != nullptr;
       cell = Table.GetSubRVData(store, Step)) {
    const auto& position = dynamic_cast<const TRVTableStoreSubRVData&>(*store);
    EXPECT_EQ(cell, Table.GetCell(position.Row, position.Col));
    out.push_back(std::to_string(position.Row) + "," + std::to_string(position.Col));
  }
  return out;
}

TEST_F(TableNavigationTest, SubDocumentsAreTheCellsThatMayBeEdited) {
  TRVTableItemInfo* table = doc.AddTable(3, 3);
  ASSERT_TRUE(table->Rows().MergeCells(1, 1, 2, 2, true, false));
  table->OnCellAllowEdit = [](TRVTableItemInfo*, int Row, int Col, bool& AllowEdit) {
    AllowEdit = !(Row == 0 && Col == 0) && !(Row == 2 && Col == 0);
  };
  EXPECT_EQ(Visit(*table, 0, 4), (std::vector<std::string>{"0,1", "0,2", "1,0", "1,1"}));
  EXPECT_EQ(Visit(*table, 1, 5), (std::vector<std::string>{"1,1", "1,0", "0,2", "0,1"}));
  // The corners of the selected cells, else the focused cell, else none.
  std::unique_ptr<TRVStoreSubRVData> store;
  EXPECT_EQ(table->GetSubRVData(store, 2), nullptr);
  table->FocusedCellRow = 2;
  table->FocusedCellCol = 2;
  EXPECT_EQ(table->GetSubRVData(store, 3), table->GetCell(1, 1)) << "the focused slot's cell";
  table->State |= rvtsInserted | rvtsCellsSelected;
  table->SelStartRow = 0;
  table->SelStartCol = 0;
  table->SelRowOffs = 1;
  table->SelColOffs = 1;
  EXPECT_EQ(table->GetSubRVData(store, 2), table->GetCell(1, 1)) << "the merged cell widens the rectangle";
  EXPECT_EQ(table->GetSubRVData(store, 3), table->GetCell(0, 0));
}

/// A laid-out document of an editor, as far as the table can tell.
class TEditorDoc : public tabletest::TPaintDoc {
 public:
  TEditorDoc() {
    RVRegisterTableItemClass();
    SetRVStyle(&style);
  }
  bool IsEditData() const override { return true; }
  void AssignFocusedSubData(TCustomRVFormattedData* RVData, TCustomRVItemInfo*) override { focused = RVData; }
  TRVStyle style;
  TCustomRVFormattedData* focused = nullptr;
};

TEST_F(TableNavigationTest, ChoosingASubDocumentFocusesItAndOpensTheEditor) {
  TEditorDoc editorDoc;
  auto made = TRVTableItemInfo::CreateWithSize(2, 2, &editorDoc);
  TRVTableItemInfo* table = made.get();
  editorDoc.AddItem("", std::move(made));
  std::unique_ptr<TRVStoreSubRVData> store;
  ASSERT_NE(table->GetSubRVData(store, 1), nullptr);
  table->ChooseSubRVData(*store);
  EXPECT_EQ(editorDoc.focused, table->GetCell(1, 1));
  EXPECT_EQ(std::make_pair(table->FocusedCellRow, table->FocusedCellCol), std::make_pair(1, 1));
  EXPECT_EQ(hooks.log, std::vector<std::string>{"1,1 start skip"});
  table->ChooseSubRVData(*store);
  EXPECT_EQ(hooks.log.size(), 1u) << "the focused cell is chosen already";
  hooks.editors.clear();  // the stand-ins refer to the table, which goes with the document
}

}  // namespace
