// Undoing what was typed in a table cell after its editor closed: the document's record
// opens a cell editor on the cell again, hands it the editor's own groups and lets it undo
// (or redo) them after the current message, with the document read-only until then.
#include <gtest/gtest.h>

#include <string>

#include "richtext/editor/TableEditSupport.h"

namespace {

using editortest::TCellEditorFixture;

TEST(TableCellUndoTest, TextTypedInAClosedCellEditorIsUndoneAndRedoneThere) {
  TCellEditorFixture f;
  f.T().OpenCellEditor(-1, 0, 1, false, false, true, 0, true);
  ASSERT_NE(f.CellEditor(), nullptr);
  f.CellEditor()->InsertText("xy");
  f.T().DestroyInplace(true);
  ASSERT_EQ(f.Text(0, 1), "01xy");
  ASSERT_EQ(f.Data().UndoList->Count(), 1);

  f.Editor.Undo();
  TRVTableInplaceEdit* editor = f.CellEditor();
  ASSERT_NE(editor, nullptr) << "the cell editor opens on the cell again";
  EXPECT_EQ(editor->Row, 0);
  EXPECT_EQ(editor->Col, 1);
  EXPECT_TRUE(f.Editor.GetReadOnly()) << "read-only until the posted undo runs";
  EXPECT_EQ(f.Text(0, 1), "01xy");
  f.Process();
  EXPECT_FALSE(f.Editor.GetReadOnly());
  EXPECT_EQ(f.Text(0, 1), "01");
  EXPECT_EQ(f.Data().UndoList->Count(), 0) << "the record gave its groups away and left the list";

  f.T().DestroyInplace(true);
  EXPECT_EQ(f.Text(0, 1), "01");
  f.Editor.Redo();
  f.Process();
  EXPECT_EQ(f.Text(0, 1), "01xy");
  f.T().DestroyInplace(true);
  EXPECT_EQ(f.Text(0, 1), "01xy");
}

TEST(TableCellUndoTest, AnEditorOpenOnAnotherCellMovesToTheCellOfTheRecord) {
  TCellEditorFixture f;
  f.T().OpenCellEditor(-1, 1, 0, false, false, true, 0, true);
  f.CellEditor()->InsertText("z");
  f.T().DestroyInplace(true);
  f.T().OpenCellEditor(-1, 0, 0, false, false, true, 0, true);
  ASSERT_EQ(f.CellEditor()->Row, 0);
  f.Editor.Undo();
  f.Process();
  ASSERT_NE(f.CellEditor(), nullptr);
  EXPECT_EQ(f.CellEditor()->Row, 1);
  EXPECT_EQ(f.CellEditor()->Col, 0);
  EXPECT_EQ(f.Text(1, 0), "10");
}

}  // namespace
