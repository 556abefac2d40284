// A table with numbered paragraphs in its cells pasted into an editor between numbered
// paragraphs: the cells count on from the paragraph before, the paragraph after counts on
// from the cells, and undo and redo take the numbers away and give them back.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/gui/Clipbrd.h"
#include "richtext/core/RVStyle.h"
#include "richtext/editor/EditorTestSupport.h"
#include "richtext/editor/RVTableEditing.h"
#include "richtext/table/TableTestSupport.h"

namespace {

using tabletest::AddNumbered;
using tabletest::Counters;

class TableListPasteTest : public ::testing::Test, protected editortest::TEditorFixture {
 protected:
  void SetUp() override {
    RVRegisterTableItemClass();
    RVRegisterTableEditing();
    Sheet.ListStyles().AddStyle()->Levels().AddLevel()->ListType = rvlstDecimal;
    Clipboard().Clear();
  }
  /// The clipboard's RVF block (length first) of a table of two numbered cells, "b" and "c",
  /// followed by the numbered paragraph "d".
  void CopyNumberedTable() {
    TRVEdit source;
    source.SetStyle(&Sheet);
    TCustomRVData& data = source.RVData();
    auto table = TRVTableItemInfo::CreateWithSize(1, 2, &data);
    for (int c = 0; c < 2; ++c) {
      table->GetCell(0, c)->Clear();
      AddNumbered(*table->GetCell(0, c), std::string(1, static_cast<char>('b' + c)));
    }
    data.AddItem("", std::move(table));
    AddNumbered(data, "d");
    Clipboard().SetBuffer(RegisterClipboardFormat("RV Format"), editortest::RVFClipboardBlock(source));
  }
};

TEST_F(TableListPasteTest, PastedCellsNumberInDocumentOrderThroughUndoAndRedo) {
  AddNumbered(Data(), "a");
  Editor.AddTextLineWithTag(u"", 0, 0, 0);
  Editor.SetBounds(0, 0, 400, 300);
  Editor.Format();
  Editor.SetSelectionBounds(Data().GetItemCount() - 1, 1, Data().GetItemCount() - 1, 1);
  CopyNumberedTable();
  Editor.PasteRVF();
  EXPECT_EQ(Counters(Data()), "a=1 b=2 c=3 d=4 ");
  Editor.Undo();
  EXPECT_EQ(Counters(Data()), "a=1 ");
  Editor.Redo();
  EXPECT_EQ(Counters(Data()), "a=1 b=2 c=3 d=4 ");
}

}  // namespace
