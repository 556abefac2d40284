// The program's editor control: the reading and writing options it sets, that a form can
// name it, and the mouse handling that differs from the plain editor's (a press outside
// every drawn piece and a double click do nothing in it, and a click on another table's cell
// that may not be edited leaves the open cell editor alone).
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "exam/ZUKEdit.h"
#include "platform/core/Classes.h"
#include "platform/gui/Application.h"
#include "platform/gui/Messaging.h"
#include "richtext/core/DLines.h"
#include "richtext/core/RVStyle.h"
#include "richtext/table/RVTable.h"
#include "richtext/table/RVTableCell.h"

namespace {

/// The test program's application object, made before the first test.
TApplication& App() {
  return *Application;
}

TEST(ZUKEditTest, ReadsUnknownStylesAsZeroAndWritesTheStyleSheet) {
  App();
  TZUKEdit edit;
  TRVEdit plain;
  EXPECT_NE(edit.RVFOptions & rvfoConvUnknownStylesToZero, 0);
  EXPECT_NE(edit.RTFOptions & rvrtfSaveStyleSheet, 0);
  EXPECT_EQ(edit.RVFOptions & ~rvfoConvUnknownStylesToZero, plain.RVFOptions & ~rvfoConvUnknownStylesToZero);
  EXPECT_EQ(edit.RTFOptions & ~rvrtfSaveStyleSheet, plain.RTFOptions & ~rvrtfSaveStyleSheet);
  EXPECT_EQ(edit.ClassName(), "TZUKEdit");
  EXPECT_EQ(edit.Cursor(), crIBeam) << "an editor all the same";
}

TEST(ZUKEditTest, FormsCanNameIt) {
  App();
  EXPECT_NE(FindClass("TZUKEdit"), nullptr);
}

/// An editor of class E with two short paragraphs, formatted in a 300 x 200 area, whose
/// mouse-press and double-click events are counted.
template <typename E>
struct TClickedEditor {
  TClickedEditor() {
    App();
    edit.SetStyle(&sheet);
    edit.SetBounds(0, 0, 300, 200);
    edit.Options |= rvoDblClickSelectsWord;
    edit.AddTextLineWithTag(u"first words", 0, 0, 0);
    edit.AddTextLineWithTag(u"second words", 0, 0, 0);
    edit.Format();
    edit.OnRVMouseDown = [this](TCustomRVViewer*, TMouseButton, TShiftState, int, int32_t, int32_t) {
      events.push_back("down");
    };
    edit.OnRVDblClick = [this](TCustomRVViewer*, const std::string& Word, int32_t) {
      events.push_back("double " + Word);
    };
  }
  TRVStyle sheet;
  E edit;
  std::vector<std::string> events;
};

TEST(ZUKEditTest, MouseButtonEventsReachTheFormEvenWhereTheDocumentIgnoresThePress) {
  TClickedEditor<TZUKEdit> program;
  std::vector<std::string> buttons;
  program.edit.OnMouseDown = [&](TObject* Sender, TMouseButton, TShiftState, int32_t X, int32_t Y) {
    EXPECT_EQ(Sender, &program.edit);
    buttons.push_back("down " + std::to_string(X) + "," + std::to_string(Y));
  };
  program.edit.OnMouseUp = [&](TObject*, TMouseButton, TShiftState, int32_t X, int32_t Y) {
    buttons.push_back("up " + std::to_string(X) + "," + std::to_string(Y));
  };
  SendMessage(&program.edit, WM_LBUTTONDOWN, MK_LBUTTON, PointToLParam(TPoint{20, 180}));
  SendMessage(&program.edit, WM_LBUTTONUP, 0, PointToLParam(TPoint{20, 180}));
  SendMessage(&program.edit, WM_LBUTTONDOWN, MK_LBUTTON, PointToLParam(TPoint{10, 8}));
  SendMessage(&program.edit, WM_LBUTTONUP, 0, PointToLParam(TPoint{10, 8}));
  EXPECT_EQ(buttons, (std::vector<std::string>{"down 20,180", "up 20,180", "down 10,8", "up 10,8"}));
}

TEST(ZUKEditTest, PressOutsideTheDocumentDoesNothing) {
  TClickedEditor<TRVEdit> plain;
  plain.edit.MouseDown(mbLeft, 0, 20, 180);
  plain.edit.MouseUp(mbLeft, 0, 20, 180);
  EXPECT_EQ(plain.events, std::vector<std::string>{"down"}) << "the plain editor reports the press";

  TClickedEditor<TZUKEdit> program;
  const int caretItem = program.edit.GetCaretItemNo();
  const int caretOffs = program.edit.GetCaretOffset();
  program.edit.MouseDown(mbLeft, 0, 20, 180);
  program.edit.MouseUp(mbLeft, 0, 20, 180);
  EXPECT_TRUE(program.events.empty());
  EXPECT_EQ(program.edit.GetCaretItemNo(), caretItem);
  EXPECT_EQ(program.edit.GetCaretOffset(), caretOffs);
}

TEST(ZUKEditTest, DoubleClickDoesNothing) {
  TClickedEditor<TRVEdit> plain;
  plain.edit.RVData().DblClickAt(20, 12);
  EXPECT_EQ(plain.events, std::vector<std::string>{"double first"});

  TClickedEditor<TZUKEdit> program;
  program.edit.RVData().DblClickAt(20, 12);
  EXPECT_TRUE(program.events.empty());
  EXPECT_FALSE(program.edit.SelectionExists());
}

}  // namespace

namespace {

/// An editor of class E holding two one-cell tables; the second table's cell may not be
/// edited, and the cell editor is open on the first table's cell.
template <typename E>
struct TTableEditor {
  TTableEditor() {
    App();
    edit.SetStyle(&sheet);
    edit.SetBounds(0, 0, 300, 200);
    for (int t = 0; t < 2; ++t) {
      auto made = TRVTableItemInfo::CreateWithSize(1, 1, &edit.RVData());
      made->GetCell(0, 0)->Clear();
      made->GetCell(0, 0)->AddTextItem("cell" + std::to_string(t), 0, 0);
      made->OnCellAllowEdit = [t](TRVTableItemInfo*, int, int, bool& AllowEdit) { AllowEdit = t == 0; };
      made->OnTableCellClick = [this, t](TRVTableItemInfo*, int, int) { clicks.push_back(t); };
      tables[t] = made.get();
      edit.AddItem("", std::move(made));
    }
    edit.Format();
    Click(0);
  }
  /// A click in the middle of the cell of table T.
  void Click(int T) {
    const int itemNo = edit.RVData().FindItemIndex(tables[T]);
    const TRVDrawLineInfo& piece = *edit.RVData().DrawItems()[edit.RVData().GetFirstDrawItemOfItem(itemNo)];
    const TRVTableCellData& cell = *tables[T]->GetCell(0, 0);
    const int32_t x = piece.Left + cell.Left + cell.Width / 2;
    const int32_t y = piece.Top + cell.Top + cell.Height / 2;
    edit.MouseDown(mbLeft, 0, x, y);
    edit.MouseUp(mbLeft, 0, x, y);
  }
  TRVStyle sheet;
  E edit;
  TRVTableItemInfo* tables[2] = {nullptr, nullptr};
  std::vector<int> clicks;
};

TEST(ZUKEditTest, ClickOnACellThatMayNotBeEditedKeepsTheCellEditor) {
  TTableEditor<TRVEdit> plain;
  ASSERT_NE(plain.edit.GetInplaceEditor(), nullptr) << "the first table's cell is being edited";
  plain.Click(1);
  EXPECT_EQ(plain.clicks, std::vector<int>{1});
  EXPECT_EQ(plain.edit.GetInplaceEditor(), nullptr) << "the plain editor closes the cell editor";

  TTableEditor<TZUKEdit> program;
  ASSERT_NE(program.edit.GetInplaceEditor(), nullptr);
  program.Click(1);
  EXPECT_EQ(program.clicks, std::vector<int>{1});
  EXPECT_NE(program.edit.GetInplaceEditor(), nullptr) << "the program's editor keeps it open";
}

}  // namespace

namespace {

TEST(ZUKEditTest, UndoOfTheDocumentClosesAnEmptyCellEditorFirst) {
  TTableEditor<TRVEdit> t;
  ASSERT_NE(t.edit.GetInplaceEditor(), nullptr);
  // An insertion of the document itself, recorded before the cell editor opened.
  t.edit.DestroyInplaceEditor();
  t.edit.SetSelectionBounds(1, 1, 1, 1);
  t.edit.InsertText("after", false);
  ASSERT_EQ(t.edit.GetItemCount(), 3);
  t.Click(0);
  ASSERT_NE(t.edit.GetInplaceEditor(), nullptr);
  EXPECT_EQ(t.edit.UndoAction(), rvutInsert) << "the cell editor has nothing: the document's undo";
  t.edit.Undo();
  EXPECT_EQ(t.edit.GetItemCount(), 3) << "posted: the cell editor must not go while its handler runs";
  App().ProcessMessages();
  EXPECT_EQ(t.edit.GetInplaceEditor(), nullptr);
  EXPECT_EQ(t.edit.GetItemCount(), 2);
}

}  // namespace
