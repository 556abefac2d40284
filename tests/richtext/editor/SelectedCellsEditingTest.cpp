// Deleting and restyling while cells of a table are selected: the editor's document hands
// both to the table, which changes the content of the selected cells only.
#include <gtest/gtest.h>

#include <vector>

#include "richtext/editor/TableEditSupport.h"

namespace {

using editortest::Grid;
using editortest::TCellEditorFixture;
using editortest::TTableEditFixture;

TEST(SelectedCellsEditingTest, DeletingAndRestylingGoToTheSelectedCells) {
  TCellEditorFixture f;
  f.Editor.OnStyleConversion = [](TCustomRVEdit*, int, int UserData, bool, int& NewStyleNo) {
    NewStyleNo = UserData;
  };
  f.T().Select(0, 1, 0, 1);
  ASSERT_EQ(f.Data().PartiallySelectedItem, &f.T());
  EXPECT_TRUE(f.Data().CanDelete());

  f.Editor.CurrentConversion = f.Editor.OnStyleConversion;
  f.Data().ApplyStyleConversion(3);
  EXPECT_EQ(f.T().GetCell(0, 1)->GetItemStyleNo(0), 3);
  EXPECT_EQ(f.T().GetCell(1, 1)->GetItemStyleNo(0), 3);
  EXPECT_EQ(f.T().GetCell(0, 0)->GetItemStyleNo(0), 0) << "not selected";
  EXPECT_EQ(f.Data().GetItemStyleNo(0), 0) << "the text outside the table stays";

  EXPECT_TRUE(f.Data().DeleteSelection());
  EXPECT_EQ(Grid(f.T()), "00 _\n10 _\n");
  f.Editor.Undo();
  EXPECT_EQ(Grid(f.T()), "00 01\n10 11\n");
}

// What the user does with selected cells: Delete clears them, a table command still runs,
// and while a drag has picked no cells yet the editor takes no change at all.
TEST(SelectedCellsEditingTest, TheControlActsOnSelectedCellsOnlyOnceTheyAreChosen) {
  TCellEditorFixture f;
  f.T().Select(1, 0, 1, 0);
  ASSERT_TRUE(f.T().HasInnerSelection());
  EXPECT_TRUE(f.Editor.CanChange(false));
  uint16_t key = VK_DELETE;
  f.Editor.KeyDown(key, 0);
  EXPECT_EQ(Grid(f.T()), "00 01\n_ _\n");

  f.T().Select(0, 0, 0, 0);
  TRVTableCommands::InsertRows(f.T(), 1, 1, 0, false);
  EXPECT_EQ(f.T().Rows().Count(), 3) << "a command on a table with selected cells runs";

  f.T().Deselect();
  ASSERT_TRUE(f.T().SelectCell(0, 0));
  ASSERT_FALSE(f.T().HasInnerSelection());
  const std::string before = Grid(f.T());
  EXPECT_FALSE(f.Editor.CanChange(false));
  f.Data().TypeText("x");
  EXPECT_EQ(Grid(f.T()), before);
  EXPECT_EQ(f.Data().GetItemText(0), "before");
}

/// Text, a table, text; the conversion handler answers the caller's value as the new style.
struct TTableInText : TCellEditorFixture {
  TTableInText() {
    AddText("after", 0, 0);
    Editor.Format();
    Editor.OnStyleConversion = [](TCustomRVEdit*, int, int UserData, bool, int& NewStyleNo) {
      NewStyleNo = UserData;
    };
  }
  /// The style of the first item of every cell, row by row.
  std::string CellStyles() {
    std::string out;
    for (int r = 0; r < 2; ++r)
      for (int c = 0; c < 2; ++c) out += std::to_string(T().GetCell(r, c)->GetItemStyleNo(0));
    return out;
  }
};

// A table lying inside a text selection is selected whole: its cells' text is restyled with
// the text around it, in one undo step.
TEST(SelectedCellsEditingTest, ATableInsideATextSelectionIsRestyledWhole) {
  TTableInText f;
  const std::string before = editortest::DumpItems(f.Data());
  f.Data().SetSelectionBounds(0, 3, 2, 3);
  f.Editor.ApplyStyleConversion(3);
  EXPECT_EQ(Grid(f.T()), "00 01\n10 11\n");
  EXPECT_EQ(f.CellStyles(), "3333");
  EXPECT_EQ(f.Data().GetItemCount(), 5);
  EXPECT_EQ(f.Data().GetItemStyleNo(1), 3) << "the selected tail of the text before";
  EXPECT_EQ(f.Data().GetItemStyleNo(3), 3) << "the selected head of the text after";
  EXPECT_EQ(f.Data().PartiallySelectedItem, nullptr) << "no cells stay selected";
  EXPECT_FALSE(f.T().HasInnerSelection());
  int sn, so, en, eo;
  f.Data().GetItemSelectionBounds(sn, so, en, eo, false);
  EXPECT_EQ(std::vector<int>({sn, so, en, eo}), std::vector<int>({1, 1, 3, 3})) << "the same characters";

  f.Editor.Undo();
  EXPECT_EQ(editortest::DumpItems(f.Data()), before);
  EXPECT_EQ(f.CellStyles(), "0000") << "one undo step restores the cells too";
  f.Editor.Redo();
  EXPECT_EQ(f.CellStyles(), "3333");
}

TEST(SelectedCellsEditingTest, ASelectionThatOnlyTouchesATableLeavesItsCells) {
  TTableInText f;
  f.Data().SetSelectionBounds(0, 3, TTableEditFixture::kTableItemNo, 0);
  f.Editor.ApplyStyleConversion(3);
  EXPECT_EQ(f.Data().GetItemStyleNo(1), 3) << "the selected tail of the text before";
  f.Data().SetSelectionBounds(TTableEditFixture::kTableItemNo + 1, 1, 3, 3);
  f.Editor.ApplyStyleConversion(3);
  EXPECT_EQ(f.CellStyles(), "0000");
}

// New content has no place while cells are selected: a typed character replaces the cells'
// content and goes nowhere else; an insertion is refused and changes nothing.
TEST(SelectedCellsEditingTest, NothingIsInsertedWhileCellsAreSelected) {
  TCellEditorFixture f;
  f.T().Select(0, 1, 0, 1);
  char16_t key = u'x';
  f.Editor.KeyPress(key);
  EXPECT_EQ(Grid(f.T()), "00 _\n10 _\n");
  EXPECT_EQ(f.Data().GetItemText(0), "before");

  f.T().Select(0, 0, 0, 0);
  const std::string grid = Grid(f.T());
  f.Editor.InsertText("y");
  EXPECT_EQ(Grid(f.T()), grid);
  EXPECT_EQ(f.Data().GetItemText(0), "before");
  f.Editor.Undo();
  EXPECT_EQ(Grid(f.T()), "00 01\n10 11\n") << "the cleared cells come back in one step";
}

}  // namespace
