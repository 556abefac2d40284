// Editing a table cell in place, as a user does it in an editor: a click opens the cell
// editor over the cell with the cell's items, typing changes the document, Tab and the arrow
// keys move between cells and out of the table, undo and read-only state belong to the root
// editor, the editor's clicks and hyperlinks reach the root control, and closing gives the
// items back with what was typed kept for undo.
#include <gtest/gtest.h>

#include <string>
#include <tuple>
#include <vector>

#include "platform/gui/Messaging.h"
#include "richtext/editor/EditorTestSupport.h"
#include "richtext/editor/RVTableEditing.h"
#include "richtext/editor/RVTableInplaceEdit.h"
#include "richtext/editor/RVTableUndo.h"
#include "richtext/table/RVTableCell.h"

namespace {

using editortest::App;
using editortest::TEditorFixture;

class TableCellEditorTest : public ::testing::Test, protected TEditorFixture {
 protected:
  void SetUp() override {
    RVRegisterTableItemClass();
    RVRegisterTableEditing();
    Editor.SetBounds(0, 0, 400, 300);
    AddText("before", 0, 0);
    auto made = TRVTableItemInfo::CreateWithSize(2, 2, &Data());
    for (int r = 0; r < 2; ++r)
      for (int c = 0; c < 2; ++c) {
        TRVTableCellData* cell = made->GetCell(r, c);
        cell->Clear();
        cell->AddTextItem("c" + std::to_string(r) + std::to_string(c), 0, 0);
      }
    table = made.get();
    Data().AddItem("", std::move(made));
    AddText("after", 0, 0);
    Editor.Format();
  }
  void TearDown() override { Process(); }

  TRVTableInplaceEdit* CellEditor() const { return TRVTableCellEditing::GetInplaceEditor(*table); }
  void Process() {
    for (int i = 0; i < 3; ++i) App().ProcessMessages();
  }
  /// A point inside the content of cell (Row, Col), in the editor's client coordinates.
  TPoint InCell(int Row, int Col) {
    const int tableNo = Data().FindItemIndex(table);
    int32_t left = 0, top = 0;
    Data().GetItemClientCoords(tableNo, left, top);
    const TRVTableCellData& cell = *table->GetCell(Row, Col);
    return TPoint{left + cell.Left + table->CellPadding + 2, top + cell.Top + table->CellPadding + 3};
  }
  /// A click in the cell: the root's press opens the editor, which has the mouse for the
  /// release.
  void Click(int Row, int Col) {
    const TPoint p = InCell(Row, Col);
    Editor.MouseDown(mbLeft, 0, p.X, p.Y);
    if (TRVTableInplaceEdit* editor = CellEditor())
      editor->MouseUp(mbLeft, 0, p.X - editor->Left(), p.Y - editor->Top());
    else
      Editor.MouseUp(mbLeft, 0, p.X, p.Y);
    Process();
  }
  void Type(TCustomRVEdit& Target, const std::u16string& Text) {
    for (char16_t ch : Text) {
      char16_t key = ch;
      Target.KeyPress(key);
    }
  }
  void Key(TCustomRVEdit& Target, uint16_t Code, TShiftState Shift = 0) {
    uint16_t key = Code;
    Target.KeyDown(key, Shift);
    Process();
  }
  std::string CellText(int Row, int Col) const {
    std::string out;
    const TCustomRVData& cell = *table->GetCell(Row, Col);
    for (int i = 0; i < cell.GetItemCount(); ++i) out += cell.GetItemText(i);
    return out;
  }

  TRVTableItemInfo* table = nullptr;
};

TEST_F(TableCellEditorTest, AClickOpensTheEditorOverTheCellWithItsItems) {
  std::vector<std::string> created;
  table->OnCellInplaceCreate = [&](TRVTableItemInfo*, int Row, int Col) {
    created.push_back(std::to_string(Row) + "," + std::to_string(Col));
  };
  Click(1, 0);
  TRVTableInplaceEdit* editor = CellEditor();
  ASSERT_NE(editor, nullptr);
  EXPECT_EQ(created, std::vector<std::string>{"1,0"});
  EXPECT_EQ(editor->GetRow(), 1);
  EXPECT_EQ(editor->GetCol(), 0);
  EXPECT_EQ(Editor.GetInplaceEditor(), editor);
  EXPECT_EQ(Editor.GetInnermostEditor(), editor);
  // The items moved into the editor, which lies exactly over the cell.
  EXPECT_EQ(table->GetCell(1, 0)->GetItemCount(), 0);
  ASSERT_EQ(editor->InplaceRVData().GetItemCount(), 1);
  EXPECT_EQ(editor->InplaceRVData().GetItemText(0), "c10");
  const TRVTableCellData& cell = *table->GetCell(1, 0);
  int32_t left = 0, top = 0;
  Data().GetItemClientCoords(Data().FindItemIndex(table), left, top);
  EXPECT_EQ(editor->Left(), left + cell.Left);
  EXPECT_EQ(editor->Top(), top + cell.Top + cell.GetVerticalShift());
  EXPECT_EQ(editor->Width(), cell.Width);
  EXPECT_EQ(editor->LeftMargin, table->CellPadding);
  EXPECT_TRUE(editor->Visible());
  EXPECT_NE(editor->EditorOptions & rvoWantTabs, 0);
  EXPECT_EQ(editor->InplaceRVData().GetSourceData(), table->GetCell(1, 0));
  EXPECT_EQ(editor->InplaceRVData().GetOuterRootData(), &Data());
  // Closing keeps what the editor held.
  table->DestroyInplace(true);
  EXPECT_EQ(CellEditor(), nullptr);
  EXPECT_EQ(CellText(1, 0), "c10");
  EXPECT_EQ(Editor.GetInplaceEditor(), nullptr);
}

TEST_F(TableCellEditorTest, TheEditorFollowsItsCellWhenTheDocumentIsLaidOutAgain) {
  Click(1, 1);
  ASSERT_NE(CellEditor(), nullptr);
  const int32_t top = CellEditor()->Top();
  Editor.TopMargin += 40;
  Editor.Format();
  ASSERT_NE(CellEditor(), nullptr);
  EXPECT_EQ(CellEditor()->Top(), top + 40);
  const TPoint inside = InCell(1, 1);
  EXPECT_EQ(CellEditor()->Top(),
            inside.Y - table->CellPadding - 3 + table->GetCell(1, 1)->GetVerticalShift());
  // A new padding becomes the editor's margins.
  table->CellPadding = 6;
  table->Changed();
  Editor.Format();
  ASSERT_NE(CellEditor(), nullptr);
  EXPECT_EQ(CellEditor()->LeftMargin, 6);
  EXPECT_EQ(CellEditor()->Width(), table->GetCell(1, 1)->Width);
}

TEST_F(TableCellEditorTest, TypingInACellChangesTheDocumentAndIsKeptForUndo) {
  int changes = 0;
  Editor.OnChange = [&](TObject*) { ++changes; };
  Click(0, 1);
  ASSERT_NE(CellEditor(), nullptr);
  Key(*CellEditor(), VK_END);
  Type(*CellEditor(), u"xy");
  EXPECT_GT(changes, 0) << "the root editor hears of the cell's changes";
  EXPECT_TRUE(Editor.Modified);
  table->DestroyInplace(true);
  EXPECT_EQ(CellText(0, 1), "c01xy");
  // The cell editor's groups went into one record of the document.
  TRVUndoList& undo = *Data().UndoList;
  ASSERT_EQ(undo.Count(), 1);
  EXPECT_EQ(undo.CurrentUndoType(), rvutModifyItem);
  ASSERT_EQ(undo.Last()->Count(), 1);
  const auto* record = dynamic_cast<const TRVUndoCellModify*>(undo.Last()->Get(0));
  ASSERT_NE(record, nullptr);
  EXPECT_EQ(record->Row, 0);
  EXPECT_EQ(record->Col, 1);
  EXPECT_EQ(record->ItemNo, Data().FindItemIndex(table));
  EXPECT_GE(record->UndoList->Count(), 1);
  // An editor that recorded nothing adds nothing.
  Click(1, 1);
  ASSERT_NE(CellEditor(), nullptr);
  table->DestroyInplace(true);
  EXPECT_EQ(undo.Count(), 1);
}

TEST_F(TableCellEditorTest, TabMovesBetweenCellsInReadingOrder) {
  Click(0, 0);
  ASSERT_NE(CellEditor(), nullptr);
  Key(*CellEditor(), VK_TAB);
  ASSERT_NE(CellEditor(), nullptr);
  EXPECT_EQ(std::make_pair(CellEditor()->GetRow(), CellEditor()->GetCol()), std::make_pair(0, 1));
  Key(*CellEditor(), VK_TAB);
  EXPECT_EQ(std::make_pair(CellEditor()->GetRow(), CellEditor()->GetCol()), std::make_pair(1, 0));
  EXPECT_EQ(CellEditor()->GetCaretOffset(), 1) << "the caret starts at the cell's start";
  Key(*CellEditor(), VK_TAB, ssShift);
  EXPECT_EQ(std::make_pair(CellEditor()->GetRow(), CellEditor()->GetCol()), std::make_pair(0, 1));
  EXPECT_EQ(CellEditor()->GetCaretOffset(), 4) << "going back, at its end";
  // In the last cell Tab goes nowhere; the cells keep their texts.
  Click(1, 1);
  Key(*CellEditor(), VK_TAB);
  ASSERT_NE(CellEditor(), nullptr);
  EXPECT_EQ(std::make_pair(CellEditor()->GetRow(), CellEditor()->GetCol()), std::make_pair(1, 1));
  char16_t tab = u'\t';
  CellEditor()->KeyPress(tab);
  EXPECT_EQ(tab, 0) << "a Tab character is not typed";
  table->DestroyInplace(true);
  EXPECT_EQ(CellText(0, 0) + CellText(0, 1) + CellText(1, 0) + CellText(1, 1), "c00c01c10c11");
}

TEST_F(TableCellEditorTest, ArrowKeysLeaveTheCellAtItsEdges) {
  Click(0, 1);
  ASSERT_NE(CellEditor(), nullptr);
  Key(*CellEditor(), VK_HOME);
  Key(*CellEditor(), VK_LEFT);
  ASSERT_NE(CellEditor(), nullptr);
  EXPECT_EQ(CellEditor()->GetCol(), 0) << "left from the start of a cell: the cell before";
  EXPECT_EQ(CellEditor()->GetCaretOffset(), 4) << "at its end";
  Key(*CellEditor(), VK_DOWN);
  ASSERT_NE(CellEditor(), nullptr);
  EXPECT_EQ(CellEditor()->GetRow(), 1);
  // Left at the start of the first cell of row 0 puts the caret before the table.
  Click(0, 0);
  Key(*CellEditor(), VK_HOME);
  Key(*CellEditor(), VK_LEFT);
  EXPECT_EQ(CellEditor(), nullptr);
  EXPECT_EQ(Editor.GetCaretItemNo(), Data().FindItemIndex(table));
  EXPECT_EQ(Editor.GetCaretOffset(), 0);
}

TEST_F(TableCellEditorTest, UndoAndReadOnlyBelongToTheRootEditor) {
  // Something to undo in the root first.
  Editor.SetSelectionBounds(0, 7, 0, 7);
  Type(Editor, u"!");
  ASSERT_EQ(Data().GetItemText(0), "before!");
  Click(1, 1);
  ASSERT_NE(CellEditor(), nullptr);
  CellEditor()->SetReadOnly(true);
  EXPECT_TRUE(Editor.GetReadOnly());
  EXPECT_TRUE(CellEditor()->GetReadOnly());
  CellEditor()->SetReadOnly(false);
  EXPECT_FALSE(Editor.GetReadOnly());
  // Read-only set through the cell editor (as an undo handed to it does) ends with it, so
  // the root is not left read-only when the editor closes first.
  CellEditor()->SetReadOnly(true);
  table->DestroyInplace(true);
  EXPECT_FALSE(Editor.GetReadOnly());
  Editor.SetReadOnly(true);
  Click(1, 1);
  if (CellEditor() != nullptr) table->DestroyInplace(true);
  EXPECT_TRUE(Editor.GetReadOnly()) << "a root made read-only by itself stays so";
  Editor.SetReadOnly(false);
  Click(1, 1);
  ASSERT_NE(CellEditor(), nullptr);
  // The cell editor has nothing of its own to undo: the root's last action is undone.
  EXPECT_EQ(SendMessage(CellEditor(), EM_CANUNDO), 1) << "asked of the root";
  CellEditor()->Undo();
  Process();
  EXPECT_EQ(CellEditor(), nullptr);
  EXPECT_EQ(Data().GetItemText(0), "before");
  EXPECT_EQ(CellText(1, 1), "c11");
}

TEST_F(TableCellEditorTest, ClicksAndHyperlinksOfTheCellEditorReachTheRootControl) {
  std::vector<std::string> events;
  Editor.OnClick = [&](TObject* Sender) {
    events.push_back(Sender == &Editor ? "click" : "click elsewhere");
  };
  Editor.OnJump = [&](TCustomRVViewer* Sender, int32_t Id) {
    events.push_back((Sender == &Editor ? "jump " : "jump elsewhere ") + std::to_string(Id));
  };
  Editor.OnRVDblClick = [&](TCustomRVViewer*, const std::string& Word, int32_t) {
    events.push_back("word " + Word);
  };
  Click(0, 0);
  ASSERT_NE(CellEditor(), nullptr);
  events.clear();
  CellEditor()->Click();
  CellEditor()->InplaceRVData().DoJump(7);
  CellEditor()->InplaceRVData().DoRVDblClick("c00", 0);
  EXPECT_TRUE(events.empty()) << "they come after the current message";
  Process();
  EXPECT_EQ(events, (std::vector<std::string>{"click", "jump 7", "word c00"}));
  // A drop on the cell editor is the root's, at the same place in the root's client area.
  events.clear();
  Editor.OnDragDrop = [&](TObject* Sender, TObject*, int32_t X, int32_t Y) {
    events.push_back((Sender == &Editor ? "drop " : "drop elsewhere ") + std::to_string(X) + "," +
                     std::to_string(Y));
  };
  Editor.OnRVMouseUp = [&](TCustomRVViewer*, TMouseButton, TShiftState, int ItemNo, int32_t X, int32_t Y) {
    events.push_back("up " + std::to_string(ItemNo) + " " + std::to_string(X) + "," + std::to_string(Y));
  };
  CellEditor()->InplaceRVData().DoRVMouseUp(mbLeft, 0, 0, 2, 3);
  CellEditor()->OnDragDrop(CellEditor(), nullptr, 2, 3);
  Process();
  const std::string at =
      std::to_string(CellEditor()->Left() + 2) + "," + std::to_string(CellEditor()->Top() + 3);
  EXPECT_EQ(events, (std::vector<std::string>{"up 0 " + at, "drop " + at}));
}

TEST_F(TableCellEditorTest, ASecondClickSoonAfterTheOpeningOneIsADoubleClick) {
  Click(0, 0);
  TRVTableInplaceEdit* editor = CellEditor();
  ASSERT_NE(editor, nullptr);
  EXPECT_NE(editor->ClickTime, 0u);
  int doubles = 0;
  editor->OnDblClick = [&](TObject*) { ++doubles; };
  SendMessage(editor, WM_LBUTTONDOWN, MK_LBUTTON, PointToLParam(TPoint{3, 3}));
  SendMessage(editor, WM_LBUTTONUP, 0, PointToLParam(TPoint{3, 3}));
  EXPECT_EQ(doubles, 1);
  SendMessage(editor, WM_LBUTTONDOWN, MK_LBUTTON, PointToLParam(TPoint{3, 3}));
  SendMessage(editor, WM_LBUTTONUP, 0, PointToLParam(TPoint{3, 3}));
  EXPECT_EQ(doubles, 1) << "the opening click counts once";
}

TEST_F(TableCellEditorTest, TheEditorCanReleaseItselfAndATallCellGetsAScrollingEditor) {
  table->GetCell(1, 1)->BestHeight = 12000;
  table->Changed();
  Editor.Format();
  Click(1, 1);
  TRVTableInplaceEdit* editor = CellEditor();
  ASSERT_NE(editor, nullptr);
  EXPECT_EQ(editor->Height(), 10000);
  EXPECT_TRUE(editor->TallCell);
  EXPECT_TRUE(editor->ScrollsItself()) << "the table shows the cell hatched";
  PostMessage(editor, CM_RELEASE);
  Process();
  EXPECT_EQ(CellEditor(), nullptr);
  EXPECT_EQ(CellText(1, 1), "c11");
}

TEST_F(TableCellEditorTest, SearchingGoesFromCellToCell) {
  table->GetCell(1, 1)->SetItemText(0, "C1x");
  table->GetCell(0, 1)->Clear();
  table->GetCell(0, 1)->AddWideTextItem(u"\u0416 C1", 1, 0,
                                        TRVTag());  // regression: Unicode items were skipped
  table->Changed();
  Editor.Format();
  std::vector<std::string> found;
  auto selected = [&] {
    for (int r = 0; r < 2; ++r)
      for (int c = 0; c < 2; ++c) {
        std::string text;
        table->GetCell(r, c)->GetSelText(false, text);
        if (!text.empty()) return std::to_string(r) + std::to_string(c) + ":" + text;
      }
    return std::string("none");
  };
  while (table->SearchText(true, 0, "c1")) found.push_back(selected());
  EXPECT_EQ(found, (std::vector<std::string>{"01:C1", "10:c1", "11:C1"}))
      << "case is ignored without the flag";
  EXPECT_EQ(table->SearchRow, -1) << "the search ends past the last cell";
  found.clear();
  while (table->SearchText(false, 1, "c1")) found.push_back(selected());
  EXPECT_EQ(found, std::vector<std::string>{"10:c1"}) << "upwards, matching case";
  ASSERT_TRUE(table->SearchText(true, 1, "C1"));
  EXPECT_EQ(selected(), "01:C1") << "forwards, matching case";
  ASSERT_TRUE(table->SearchText(true, 0, "0"));
  table->ClearSearch();
  EXPECT_EQ(selected(), "none");
  EXPECT_EQ(table->SearchRow, -1);
}

TEST_F(TableCellEditorTest, TheOpenEditorShowsTheColourItsCellIsGiven) {
  table->Color = clNone;  // nothing hides the document's background
  Click(1, 1);
  TRVTableInplaceEdit* editor = CellEditor();
  ASSERT_TRUE(editor != nullptr && editor->Transparent);
  const std::tuple<int, TColor, TColor> steps[] = {
      {1, clYellow, clYellow}, {0, clRed, clYellow}, {1, clNone, clNone}};
  for (const auto& [cell, color, shown] : steps) {
    table->GetCell(cell, cell)->SetColor(color);
    EXPECT_EQ(editor->Transparent ? clNone : editor->Color(), shown) << "cell " << cell << " given " << color;
  }
}

}  // namespace

namespace {

TEST_F(TableCellEditorTest, KeysThatReachTheRootWhileACellIsEditedChangeNothing) {
  Click(0, 1);
  ASSERT_NE(CellEditor(), nullptr);
  const std::string before = editortest::DumpItems(Data());
  for (uint16_t code : {VK_BACK, VK_DELETE, VK_RETURN}) Key(Editor, code);
  EXPECT_EQ(editortest::DumpItems(Data()), before) << "the table and its neighbours stay";
  ASSERT_NE(CellEditor(), nullptr) << "the cell is still being edited";
  EXPECT_EQ(CellEditor()->RVData().GetItemText(0), "c01");
}

TEST_F(TableCellEditorTest, DeselectingWhileACellIsEditedClosesTheEditorAndKeepsTheTyping) {
  table->EditCell(0, 1, false);
  ASSERT_NE(CellEditor(), nullptr);
  Key(*CellEditor(), VK_END);
  Type(*CellEditor(), u"xy");
  Editor.Deselect();
  Process();
  EXPECT_EQ(Editor.GetInplaceEditor(), nullptr);
  EXPECT_EQ(CellText(0, 1), "c01xy");
}

TEST_F(TableCellEditorTest, TheRootPassesKeyboardLanguageAndContextMenuToTheCellEditor) {
  std::vector<TPoint> asked;
  Editor.OnContextPopup = [&](TObject*, TPoint At, bool& Handled) { asked.push_back(At), Handled = true; };
  Click(1, 0);
  ASSERT_NE(CellEditor(), nullptr);
  CellEditor()->MouseUp(mbRight, 0, 4, 5);
  EXPECT_EQ(asked, (std::vector<TPoint>{{CellEditor()->Left() + 4, CellEditor()->Top() + 5}}));
  CellEditor()->EditorOptions |= rvoAutoSwitchLang;
  SendMessage(&Editor, WM_INPUTLANGCHANGE, RUSSIAN_CHARSET, 0);
  EXPECT_EQ(Sheet.TextStyles().Items(CellEditor()->InplaceRVData().CurTextStyleNo)->Charset, RUSSIAN_CHARSET);
}

}  // namespace
