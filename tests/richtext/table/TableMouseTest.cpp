// A table under the mouse of the document that shows it: hit tests and border zones of the
// laid-out grid, presses and releases passed into cells (selecting text inside a cell),
// selecting rows and columns from the outer borders, the cell editor opened by a press in
// an editor, and column and row sizing by dragging borders. Presses go through the
// document's own mouse handling, as a user's do.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "TableHooksTestSupport.h"
#include "TableViewSupport.h"
#include "platform/graphics/Cursors.h"
#include "richtext/core/RVStyle.h"

namespace {

using tabletest::TFakeEditor;
using viewertest::Join;

/// The program's editor class, as far as documents can tell: by its class name.
class TProgramEditor : public TWinControl {
 public:
  std::string ClassName() const override { return "TZUKEdit"; }
};

/// A laid-out document that may pose as an editor's, with its focused sub-document and
/// cursor kept in fields.
class TMouseDoc : public viewertest::TFixedPitchData {
 public:
  TMouseDoc() {
    RVRegisterTableItemClass();
    SetRVStyle(&style);
    width = fullWidth = 400;
    height = 300;
  }
  ~TMouseDoc() override { Clear(); }
  bool IsEditData() const override { return editor; }
  TWinControl* GetParentControl() const override { return parent; }
  void SetCursor(TCursor Cursor) override { cursors.push_back(Cursor); }
  TCustomRVData* GetFocusedSubData() override { return focused; }
  TCustomRVItemInfo* GetFocusedSubItem() override { return focusedItem; }
  void AssignFocusedSubData(TCustomRVFormattedData* RVData, TCustomRVItemInfo* Item) override {
    focused = RVData;
    focusedItem = Item;
  }
  void UnassignFocusedSubData(TCustomRVFormattedData* RVData) override {
    if (RVData != focused) return;
    TCustomRVItemInfo* item = focusedItem;
    focused = nullptr;
    focusedItem = nullptr;
    if (item != nullptr) item->ClearFocusHook();
  }

  TRVStyle style;
  bool editor = false;
  TWinControl* parent = nullptr;
  TCustomRVFormattedData* focused = nullptr;
  TCustomRVItemInfo* focusedItem = nullptr;
  std::vector<TCursor> cursors;
};

/// The editor's hooks as the table sees them: size changes are applied and logged, and a
/// cell editor stand-in opens where the table asks for one.
class TFakeHooks : public tabletest::TQuietEditorHooks {
 public:
  bool CanChange(TRVTableItemInfo&) override { return canChange; }
  bool UndoEnabled(TRVTableItemInfo&) override { return true; }
  void SetCellProperty(TRVTableItemInfo& Table, int, const std::string& PropName, bool, bool, int Row,
                       int Col, int32_t Value) override {
    if (throwOnSet) throw ERVError("refused");
    log.push_back(PropName + " " + std::to_string(Row) + "," + std::to_string(Col) + "=" +
                  std::to_string(Value));
    if (PropName == "BestWidth")
      Table.GetCell(Row, Col)->BestWidth = Value;
    else
      Table.GetCell(Row, Col)->BestHeight = Value;
  }
  void BeginTableChange(TRVTableItemInfo&, int32_t& State) override {
    log.push_back("begin");
    State = 7;
  }
  void EndTableChange(TRVTableItemInfo&, int32_t State) override {
    log.push_back("end" + std::to_string(State));
  }
  void OpenCellEditor(TRVTableItemInfo& Table, int ItemNo, int Row, int Col, bool Prepare, bool CaretAtStart,
                      bool CaretAtEnd, uint32_t ClickTime, bool SkipCheck) override {
    log.push_back("open " + std::to_string(ItemNo) + " " + std::to_string(Row) + "," + std::to_string(Col) +
                  (Prepare ? " prepare" : "") + (CaretAtStart ? " start" : "") + (CaretAtEnd ? " end" : "") +
                  (ClickTime != 0 ? " click" : "") + (SkipCheck ? " skip" : ""));
    if (!opens) return;
    opened.reset();
    opened = std::make_unique<TFakeEditor>(Table, Row, Col);
    opened->control.OnMouseDown = [this](TObject*, TMouseButton, TShiftState, int32_t X, int32_t Y) {
      log.push_back("editor press " + std::to_string(X) + "," + std::to_string(Y));
    };
  }

  bool canChange = true;
  bool throwOnSet = false;
  bool opens = true;
  std::unique_ptr<TFakeEditor> opened;
  std::vector<std::string> log;
};

class TableMouseTest : public ::testing::Test {
 protected:
  void SetUp() override { RVSetTableEditorHooks(&hooks); }
  void TearDown() override {
    hooks.opened.reset();
    RVSetTableEditorHooks(nullptr);
  }

  /// A table of Rows x Cols cells holding "rc" texts, laid out in the document.
  TRVTableItemInfo* AddTable(int Rows, int Cols) {
    auto made = TRVTableItemInfo::CreateWithSize(Rows, Cols, &doc);
    for (int r = 0; r < Rows; ++r)
      for (int c = 0; c < Cols; ++c) {
        TRVTableCellData* cell = made->GetCell(r, c);
        cell->Clear();
        cell->AddTextItem("c" + std::to_string(r) + std::to_string(c), 0, 0);
      }
    table = made.get();
    doc.AddItem("", std::move(made));
    Layout();
    return table;
  }
  void Layout() {
    doc.Format(true);
    const TRVDrawLineInfo& piece = *doc.DrawItems()[doc.GetFirstDrawItemOfItem(doc.FindItemIndex(table))];
    left = piece.Left;
    top = piece.Top;
    itemNo = piece.ItemNo;
  }
  // Mouse input at points relative to the table.
  void Press(int32_t X, int32_t Y, TMouseButton Button = mbLeft, TShiftState Shift = 0) {
    doc.MouseDown(Button, Shift, left + X, top + Y);
  }
  void Move(int32_t X, int32_t Y, TShiftState Shift = 0) { doc.MouseMove(Shift, left + X, top + Y); }
  void Release(int32_t X, int32_t Y, TMouseButton Button = mbLeft, TShiftState Shift = 0) {
    doc.MouseUp(Button, Shift, left + X, top + Y);
  }
  /// The middle of the content of the cell at (Row, Col).
  TPoint Inside(int Row, int Col) const {
    const TRVTableCellData* cell = table->GetCell(Row, Col);
    return TPoint{cell->Left + cell->Width / 2, cell->Top + cell->Height / 2};
  }
  std::string SelectedCells() const {
    std::string out;
    for (int r = 0; r < table->Rows().Count(); ++r)
      for (int c = 0; c < table->Rows().GetColCount(); ++c)
        if (table->GetCell(r, c) != nullptr && table->IsCellSelected(r, c))
          out += (out.empty() ? "" : " ") + std::to_string(r) + std::to_string(c);
    return out;
  }

  TFakeHooks hooks;
  TMouseDoc doc;
  TRVTableItemInfo* table = nullptr;
  int32_t left = 0, top = 0;
  int itemNo = 0;
};

TEST_F(TableMouseTest, HitTestLeavesCellFramesAndSpacingOut) {
  AddTable(2, 3);
  ASSERT_TRUE(table->Rows().MergeCells(0, 1, 2, 2, true, false));
  Layout();
  const TRVTableCellData& cell = *table->GetCell(1, 0);
  const TRVTableCellData& merged = *table->GetCell(0, 1);
  struct Case {
    const char* name;
    int32_t x, y;
    int row, col;  // -1: no cell
  };
  const std::vector<Case> cases = {
      {"the top-left corner of a cell is its frame", cell.Left, cell.Top, -1, -1},
      {"just inside the frame", cell.Left + 1, cell.Top + 1, 1, 0},
      {"the last pixel inside", cell.Left + cell.Width - 2, cell.Top + cell.Height - 2, 1, 0},
      {"the right frame", cell.Left + cell.Width - 1, cell.Top + 5, -1, -1},
      {"the spacing between rows", cell.Left + 5, cell.Top - 1, -1, -1},
      {"the outer border", 0, 0, -1, -1},
      {"a slot covered by a merged cell", merged.Left + merged.Width - 3, merged.Top + merged.Height - 3, 0,
       1},
  };
  for (const Case& c : cases) {
    table->LastHitRow = table->LastHitCol = -1;
    int row = -1, col = -1;
    const bool hit = table->GetCellAtPoint(c.x, c.y, row, col);
    EXPECT_EQ(hit, c.row >= 0) << c.name;
    if (hit) {
      EXPECT_EQ(std::make_pair(row, col), std::make_pair(c.row, c.col)) << c.name;
    }
  }
  // The cell hit last answers without the grid: with the layout's lines gone it still does,
  // while other cells no longer can be found.
  int row = -1, col = -1;
  ASSERT_TRUE(table->GetCellAtPoint(cell.Left + 3, cell.Top + 3, row, col));
  table->FormattingInfo.RowStarts.Clear();
  EXPECT_TRUE(table->GetCellAtPoint(cell.Left + 4, cell.Top + 4, row, col));
  EXPECT_FALSE(table->GetCellAtPoint(merged.Left + 4, merged.Top + 4, row, col));
}

TEST_F(TableMouseTest, BorderZonesOfColumnsAndRows) {
  AddTable(2, 2);
  table->BorderWidth = 3;
  table->CellBorderWidth = 1;
  table->CellHSpacing = 6;
  table->CellVSpacing = 6;
  table->Changed();
  Layout();
  const TRVTableItemFormattingInfo& info = table->FormattingInfo;
  const int32_t outer = 3 + 2 + 1, gap = 2 * 1 + 6;
  struct Case {
    const char* name;
    int32_t x;
    int border, before;
    int32_t pos;
  };
  const std::vector<Case> cases = {
      {"left outer border", outer / 2, 0, -1, outer / 2},
      {"two pixels off the left border still count", outer / 2 + 3, 0, -1, outer / 2},
      {"right outer border", info.Width - outer / 2, 2, 1, info.Width - outer / 2},
      {"the gap between the columns", info.ColStarts[1] - gap / 2, 1, 0, info.ColStarts[1] - (gap + 1) / 2},
      {"the gap's edge", info.ColStarts[1] - gap / 2 + gap / 2, 1, 0, info.ColStarts[1] - (gap + 1) / 2},
      {"inside a column", info.ColStarts[0] + info.ColWidths[0] / 2, -1, -1, 0},
      {"left of the table", -1, -1, -1, 0},
  };
  for (const Case& c : cases) {
    int before = -2;
    int32_t pos = -2;
    EXPECT_EQ(table->GetColBorderAt(c.x, before, pos), c.border) << c.name;
    if (c.border < 0) continue;
    EXPECT_EQ(before, c.before) << c.name;
    EXPECT_EQ(pos, c.pos) << c.name;
  }
  int before = -1;
  int32_t pos = 0;
  EXPECT_EQ(table->GetRowBorderAt(info.RowStarts[1] - gap / 2, before, pos), 1);
  EXPECT_EQ(before, 0);
  EXPECT_EQ(table->GetColAt(info.ColStarts[1] + 1), 1);
  EXPECT_EQ(table->GetColAt(info.ColStarts[1] - 1), -1) << "between columns";
  EXPECT_EQ(table->GetRowAt(info.RowStarts[0]), 0);
}

TEST_F(TableMouseTest, DraggingInsideACellSelectsItsText) {
  // Lines above the table: the cell's points lie far below its own height.
  for (int i = 0; i < 4; ++i) doc.AddTextItem("line", 0, 0);
  AddTable(1, 2);
  TRVTableCellData* cell = table->GetCell(0, 1);
  cell->Clear();
  cell->AddTextItem("hello world", 0, 0);
  Layout();
  std::vector<std::string> clicks;
  table->OnTableCellClick = [&](TRVTableItemInfo*, int Row, int Col) {
    clicks.push_back(std::to_string(Row) + "," + std::to_string(Col));
  };
  const int32_t textLeft = cell->Left + table->CellPadding;
  const int32_t y = cell->Top + cell->Height / 2;
  Press(textLeft + 1, y);
  EXPECT_EQ(clicks, std::vector<std::string>{"0,1"});
  EXPECT_EQ(doc.focused, cell) << "the pressed cell holds the focus";
  EXPECT_EQ(doc.CaptureMouseItem, table) << "the table follows the drag";
  EXPECT_EQ(doc.PartiallySelectedItem, table);
  Move(textLeft + 30, y);
  Release(textLeft + 40, y);
  EXPECT_EQ(doc.CaptureMouseItem, nullptr);
  EXPECT_FALSE(table->DragSelecting);
  // Cells measure with the real font: the release picks a part of the text, from its start.
  std::string text;
  cell->GetSelText(false, text);
  EXPECT_FALSE(text.empty());
  EXPECT_EQ(std::string("hello world").rfind(text, 0), 0u) << text;
  EXPECT_LT(text.size(), 11u);
  // Released past the end of the text, the whole text.
  Press(textLeft + 1, y);
  Release(cell->Left + cell->Width - 3, y);
  cell->GetSelText(false, text);
  EXPECT_EQ(text, "hello world");
  EXPECT_EQ(SelectedCells(), "") << "a drag inside a cell selects text, not cells";
  EXPECT_TRUE(doc.SelectionExists(false, true)) << "the document reports the cell's selection";
}

TEST_F(TableMouseTest, OuterBordersSelectRowsAndColumns) {
  AddTable(3, 3);
  const TRVTableItemFormattingInfo& info = table->FormattingInfo;
  const TPoint middle = Inside(1, 1);
  Press(1, middle.Y);
  Release(1, middle.Y);
  EXPECT_EQ(SelectedCells(), "10 11 12") << "the left border selects the row";
  EXPECT_TRUE(table->HasInnerSelection());
  Press(middle.X, 1);
  Release(middle.X, 1);
  EXPECT_EQ(SelectedCells(), "01 11 21") << "the top border selects the column";
  int topRow = 0, leftCol = 0, cols = 0, rows = 0;
  ASSERT_TRUE(table->GetSelectionBounds(true, topRow, leftCol, cols, rows));
  EXPECT_EQ(std::vector<int>({topRow, leftCol, cols, rows}), std::vector<int>({0, 1, 1, 3}));
  // A selection whose anchor left the grid is dropped.
  table->SelStartRow = 7;
  EXPECT_FALSE(table->GetSelectionBounds(true, topRow, leftCol, cols, rows));
  EXPECT_FALSE(table->HasInnerSelection());

  table->Options &= ~(rvtoRowSelect | rvtoColSelect);
  Press(1, middle.Y);
  Release(1, middle.Y);
  Press(middle.X, info.Height - 1);
  Release(middle.X, info.Height - 1);
  EXPECT_EQ(SelectedCells(), "");
  table->SelectRows(0, 2);
  EXPECT_EQ(SelectedCells(), "00 01 02 10 11 12");
  table->Deselect();
  EXPECT_EQ(SelectedCells(), "");
  EXPECT_EQ(table->SelStartRow, -1);
}

TEST_F(TableMouseTest, SelectingMarksCellsAndKeepsTheAnchorsText) {
  AddTable(2, 2);
  table->Select(0, 0, 1, 0);
  EXPECT_EQ(SelectedCells(), "00 01");
  EXPECT_NE(table->GetCell(0, 1)->StateFlags & rvstWholeDataSelected, 0u);
  EXPECT_EQ(table->GetCell(1, 1)->StateFlags & rvstWholeDataSelected, 0u);
  EXPECT_EQ(doc.PartiallySelectedItem, table);
  // Dropping the document's selection drops the cells'.
  doc.Deselect(nullptr, false);
  EXPECT_EQ(SelectedCells(), "");
  EXPECT_EQ(table->GetCell(0, 1)->StateFlags & rvstWholeDataSelected, 0u);
  // Without selection allowed in the document no drag selection starts.
  doc.SetOptions(doc.GetOptions() & ~rvoAllowSelection);
  EXPECT_FALSE(table->SelectCell(0, 0));
  EXPECT_FALSE(table->DragSelecting);
}

TEST_F(TableMouseTest, PressesOutsideCellsInTheProgramEditorKeepTheCellEditor) {
  AddTable(2, 2);
  table->Options = 0;
  TProgramEditor program;
  for (const bool isProgram : {false, true}) {
    doc.parent = isProgram ? &program : nullptr;
    TFakeEditor editor(*table, 0, 0);
    doc.Deselect(nullptr, false);
    Press(1, 1);
    Release(1, 1);
    EXPECT_EQ(editor.closes.size(), isProgram ? 0u : 1u) << isProgram;
    // The program's editor takes the press: the document starts no selection of its own.
    EXPECT_EQ(doc.SelStartNo < 0, isProgram) << isProgram;
  }
}

TEST_F(TableMouseTest, MovesShowTheIBeamOverEditableCellsOfTheProgramEditor) {
  AddTable(1, 2);
  table->OnCellAllowEdit = [](TRVTableItemInfo*, int, int Col, bool& AllowEdit) { AllowEdit = Col == 0; };
  TProgramEditor program;
  doc.parent = &program;
  Move(Inside(0, 0).X, Inside(0, 0).Y);
  Move(Inside(0, 1).X, Inside(0, 1).Y);
  doc.parent = nullptr;
  Move(Inside(0, 0).X, Inside(0, 0).Y);
  // Only the first move sets a cursor: over cells the table answers and the document sets
  // none of its own.
  EXPECT_EQ(doc.cursors, std::vector<TCursor>{crIBeam});
}

TEST_F(TableMouseTest, PressInAnEditorOpensTheCellEditorAndHandsItThePress) {
  AddTable(2, 2);
  doc.editor = true;
  const TRVTableCellData& cell = *table->GetCell(1, 0);
  Press(cell.Left + 5, cell.Top + 4, mbLeft, ssCtrl);
  ASSERT_EQ(hooks.log.size(), 2u);
  EXPECT_EQ(hooks.log[0], "open " + std::to_string(itemNo) + " 1,0 prepare click");
  EXPECT_EQ(hooks.log[1], "editor press 5,4");
  Release(cell.Left + 5, cell.Top + 4);
  hooks.log.clear();
  // A right click opens without the click time; on a selected cell it does nothing.
  Press(Inside(0, 1).X, Inside(0, 1).Y, mbRight);
  EXPECT_EQ(hooks.log.at(0), "open " + std::to_string(itemNo) + " 0,1");
  Release(Inside(0, 1).X, Inside(0, 1).Y, mbRight);
  table->Select(0, 0, 1, 1);
  hooks.log.clear();
  Press(Inside(0, 1).X, Inside(0, 1).Y, mbRight);
  EXPECT_TRUE(hooks.log.empty());
  Release(Inside(0, 1).X, Inside(0, 1).Y, mbRight);
}

class TableSizingTest : public TableMouseTest {
 protected:
  void SetUp() override {
    TableMouseTest::SetUp();
    doc.editor = true;
    AddTable(2, 3);
  }
  /// Drags the border after column Col by Dx (Shift held when asked).
  void DragColumnBorder(int Col, int32_t Dx, TShiftState Shift = 0) {
    int32_t x = 0;
    if (Col + 1 < table->Rows().GetColCount()) {
      const int32_t gap = 2 * table->CellBorderWidth + table->CellHSpacing;
      x = table->FormattingInfo.ColStarts[Col + 1] - gap / 2;
    } else {
      const int32_t outer = table->BorderWidth + table->BorderHSpacing + table->CellBorderWidth;
      x = table->FormattingInfo.Width - outer / 2;
    }
    const int32_t y = Inside(0, 0).Y;
    Press(x, y, mbLeft, Shift);
    Move(x + Dx / 2, y);
    Release(x + Dx, y);
  }
  std::vector<int32_t> BestWidths(int Row) const {
    std::vector<int32_t> out;
    for (int c = 0; c < table->Rows().GetColCount(); ++c) out.push_back(table->GetCell(Row, c)->BestWidth);
    return out;
  }
};

TEST_F(TableSizingTest, DraggingAColumnBorderResizesItsNeighbours) {
  const TRVTableItemFormattingInfo& info = table->FormattingInfo;
  const int32_t w0 = info.ColWidths[0], w1 = info.ColWidths[1];
  DragColumnBorder(0, 20);
  EXPECT_EQ(BestWidths(0), (std::vector<int32_t>{w0 + 20, w1 - 20, 0}));
  EXPECT_EQ(BestWidths(1), BestWidths(0));
  EXPECT_EQ(hooks.log.front(), "begin");
  EXPECT_EQ(hooks.log.back(), "end7") << "one undoable change";
  EXPECT_FALSE(doc.UsingThisXorDrawing(table)) << "the sizing line is gone";
  EXPECT_EQ(doc.CaptureMouseItem, nullptr);
}

TEST_F(TableSizingTest, TheDraggedBorderShowsAsAnInvertedLineUntilTheRelease) {
  tabletest::Blank(doc.canvasBitmap, 400, 300);
  const TRVTableItemFormattingInfo& info = table->FormattingInfo;
  const int32_t gap = 2 * table->CellBorderWidth + table->CellHSpacing;
  const int32_t x = info.ColStarts[1] - gap / 2, y = Inside(0, 0).Y;
  Press(x, y);
  Move(x + 30, y);
  ASSERT_TRUE(doc.UsingThisXorDrawing(table));
  EXPECT_TRUE(doc.XorDrawn());
  // Dots down the table at the pointer (the border's offset from it is 0 here), inverted.
  TCanvas& canvas = doc.canvasBitmap.Canvas();
  const int32_t lineX = left + x + 30;
  int dark = 0;
  for (int32_t py = top; py < top + info.Height; ++py) dark += canvas.Pixel(lineX, py) == clBlack ? 1 : 0;
  EXPECT_GT(dark, info.Height / 4);
  EXPECT_EQ(canvas.Pixel(lineX - 3, top + 2), clWhite);
  Release(x + 30, y);
  EXPECT_FALSE(doc.UsingThisXorDrawing(table));
  for (int32_t py = top; py < top + info.Height; ++py) ASSERT_EQ(canvas.Pixel(lineX, py), clWhite) << py;
}

TEST_F(TableSizingTest, ShiftOrTheOuterBorderChangesOnlyOneColumn) {
  const TRVTableItemFormattingInfo& info = table->FormattingInfo;
  const int32_t w0 = info.ColWidths[0];
  DragColumnBorder(0, 15, ssShift);
  EXPECT_EQ(BestWidths(0), (std::vector<int32_t>{w0 + 15, 0, 0}));
  Layout();
  const int32_t w2 = info.ColWidths[2];
  DragColumnBorder(2, 10);
  EXPECT_EQ(BestWidths(0), (std::vector<int32_t>{w0 + 15, 0, w2 + 10}));
}

TEST_F(TableSizingTest, AColumnNarrowerThanItsPaddingGetsWidthOne) {
  table->CellPadding = 8;
  table->Changed();
  Layout();
  DragColumnBorder(0, -200, ssShift);
  EXPECT_EQ(BestWidths(0), (std::vector<int32_t>{1, 0, 0}));
}

TEST_F(TableSizingTest, PercentColumnsStayPercentages) {
  for (int r = 0; r < 2; ++r) table->GetCell(r, 0)->BestWidth = -30;
  table->Changed();
  Layout();
  DragColumnBorder(0, 20);
  const int32_t width = table->GetCell(0, 0)->BestWidth;
  EXPECT_LT(width, 0);
  EXPECT_EQ(table->GetCell(1, 0)->BestWidth, width);
  EXPECT_EQ(table->GetCell(0, 1)->BestWidth, 0) << "the next column is left alone";
}

TEST_F(TableSizingTest, DraggingARowBorderSetsBestHeights) {
  const TRVTableItemFormattingInfo& info = table->FormattingInfo;
  const int32_t h0 = info.RowHeights[0];
  const int32_t gap = 2 * table->CellBorderWidth + table->CellVSpacing;
  const int32_t y = info.RowStarts[1] - gap / 2;
  const int32_t x = Inside(0, 1).X;
  Press(x, y);
  Release(x, y + 12);
  for (int c = 0; c < 3; ++c) EXPECT_EQ(table->GetCell(0, c)->BestHeight, h0 + 12) << c;
  EXPECT_EQ(table->GetCell(1, 0)->BestHeight, 0);
}

TEST_F(TableSizingTest, NothingChangesWhenTheEditorRefusesAndAFailureClosesTheChange) {
  hooks.canChange = false;
  DragColumnBorder(0, 20);
  EXPECT_EQ(BestWidths(0), (std::vector<int32_t>{0, 0, 0}));
  EXPECT_TRUE(hooks.log.empty());
  hooks.canChange = true;
  hooks.throwOnSet = true;
  EXPECT_THROW(DragColumnBorder(0, 20), ERVError);
  EXPECT_EQ(Join(hooks.log), "begin end7");
}

TEST_F(TableSizingTest, SizingClosesTheCellEditorAndReopensItAfterwards) {
  hooks.OpenCellEditor(*table, itemNo, 1, 2, false, false, false, 0, false);
  hooks.log.clear();
  DragColumnBorder(0, 10, ssShift);
  ASSERT_NE(hooks.opened, nullptr);
  EXPECT_EQ(hooks.log.back(), "open -1 1,2 start skip");
  EXPECT_EQ(table->CellEditor, hooks.opened.get());
}

class TBusyEditor : public TFakeEditor {
 public:
  using TFakeEditor::TFakeEditor;
  bool Busy() const override { return true; }
};

TEST_F(TableMouseTest, ABusyCellEditorCannotBeStored) {
  AddTable(1, 1);
  TBusyEditor editor(*table, 0, 0);
  EXPECT_THROW(table->StoreInplace(), ERVTableInplaceError);
  EXPECT_TRUE(editor.closes.empty());
  EXPECT_FALSE(table->InplaceStored);
}

}  // namespace
