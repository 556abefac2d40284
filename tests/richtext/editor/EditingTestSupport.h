// Helpers of the editing tests (deletion, Enter, insertion, style conversion): an editor with
// a size on its own style sheet, driven through its selection, keys and characters, and a
// check that undo and redo give back the document exactly.
#pragma once

#include <gtest/gtest.h>

#include <string>

#include "platform/graphics/Messages.h"
#include "richtext/editor/EditorTestSupport.h"

namespace editortest {

class TEditingTest : public ::testing::Test {
 protected:
  void SetUp() override { f.Editor.SetBounds(0, 0, 400, 300); }

  void Format() { f.Editor.Format(); }
  void Select(int StartItemNo, int StartOffs, int EndItemNo, int EndOffs) {
    f.Editor.SetSelectionBounds(StartItemNo, StartOffs, EndItemNo, EndOffs);
  }
  /// Puts the caret at an item position (an empty selection there).
  void PutCaret(int ItemNo, int Offs) { Select(ItemNo, Offs, ItemNo, Offs); }
  void Key(uint16_t Key, TShiftState Shift = 0) { f.Editor.KeyDown(Key, Shift); }
  void Type(const std::u16string& Text) {
    for (char16_t c : Text) {
      char16_t key = c;
      f.Editor.KeyPress(key);
    }
  }
  /// The caret as (item, offset).
  std::pair<int, int> Caret() {
    int itemNo = -1, offs = -1;
    f.Data().GetCaretItemPos(itemNo, offs);
    return {itemNo, offs};
  }
  std::string Dump() { return DumpItems(f.Data()); }
  /// The texts of the items, separated by "|" within a paragraph and "/" between them.
  std::string Texts() {
    std::string out;
    for (int i = 0; i < f.Data().GetItemCount(); ++i) {
      if (i > 0) out += f.Data().StartsParagraph(i) ? "/" : "|";
      out += f.Data().GetItemText(i);
    }
    return out;
  }
  /// Undoes the last action and expects Before, then redoes it and expects After.
  void ExpectUndoRedo(const std::string& Before, const std::string& After) {
    f.Editor.Undo();
    EXPECT_EQ(Dump(), Before) << "undo";
    f.Editor.Redo();
    EXPECT_EQ(Dump(), After) << "redo";
  }

  TEditorFixture f;
};

}  // namespace editortest
