// Deleting and restyling while cells of a table are selected: the editor's document hands
// both to the table, which changes the content of the selected cells only.
#include <gtest/gtest.h>

#include "richtext/editor/TableEditSupport.h"

namespace {

using editortest::Grid;
using editortest::TCellEditorFixture;

// Disabled until the table's changes are allowed while its cells are the document's
// selection: the editor counts selected cells as a pending nested edit and refuses them.
TEST(SelectedCellsEditingTest, DISABLED_DeletingAndRestylingGoToTheSelectedCells) {
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

}  // namespace
