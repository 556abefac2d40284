// Numbered cells of a pasted table count on in document order.
#include <gtest/gtest.h>

#include "platform/gui/Clipbrd.h"
#include "richtext/editor/EditorTestSupport.h"
#include "richtext/editor/RVTableEditing.h"
#include "richtext/table/TableTestSupport.h"

namespace {

using tabletest::AddNumbered;
using tabletest::Counters;

class TableListPasteTest : public ::testing::Test, protected editortest::TEditorFixture {};

TEST_F(TableListPasteTest, PastedCellsNumberInDocumentOrderThroughUndoAndRedo) {
  RVRegisterTableItemClass();
  RVRegisterTableEditing();
  Sheet.ListStyles().AddStyle()->Levels().AddLevel()->ListType = rvlstDecimal;
  TRVEdit source;
  source.SetStyle(&Sheet);
  auto table = TRVTableItemInfo::CreateWithSize(1, 2, &source.RVData());
  for (int c = 0; c < 2; ++c) {
    table->GetCell(0, c)->Clear();
    AddNumbered(*table->GetCell(0, c), c == 0 ? "b" : "c");
  }
  source.RVData().AddItem("", std::move(table));
  AddNumbered(source.RVData(), "d");
  Clipboard().SetBuffer(RegisterClipboardFormat("RV Format"), editortest::RVFClipboardBlock(source));

  AddNumbered(Data(), "a");
  Editor.AddTextLineWithTag(u"", 0, 0, 0);
  Editor.SetBounds(0, 0, 400, 300);
  Editor.Format();
  Editor.SetSelectionBounds(Data().GetItemCount() - 1, 1, Data().GetItemCount() - 1, 1);
  Editor.PasteRVF();
  EXPECT_EQ(Counters(Data()), "a=1 b=2 c=3 d=4 ");
  Editor.Undo();
  EXPECT_EQ(Counters(Data()), "a=1 ");
  Editor.Redo();
  EXPECT_EQ(Counters(Data()), "a=1 b=2 c=3 d=4 ");
}

}  // namespace
