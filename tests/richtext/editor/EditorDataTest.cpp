// The editor's document data: which list receives records, the finishing step before an
// undo group opens, clearing, and the copy of a text item made when an item is split.
#include <gtest/gtest.h>

#include "richtext/core/RVNonTextItems.h"
#include "richtext/editor/EditorTestSupport.h"

namespace {

using editortest::TEditorFixture;

TEST(EditorDataTest, FormattingAnEmptyDocumentAddsOneEmptyTextItem) {
  TEditorFixture f;
  EXPECT_EQ(f.Data().CaretDrawItemNo, -1) << "no caret before the first formatting";
  f.Editor.Format();
  ASSERT_EQ(f.Editor.GetItemCount(), 1);
  EXPECT_TRUE(f.Data().GetItem(0)->IsTextItem());
  EXPECT_EQ(f.Data().GetItemText(0), "");
  EXPECT_EQ(f.Data().CaretDrawItemNo, 0);
  ASSERT_GE(f.Data().CaretOffs, 0);
  EXPECT_EQ(f.Data().CharPositions->Items(f.Data().CaretOffs)->Offset, 1);
}

/// An editor with a size and two paragraphs: "one two" in text style 2 and "three" in text
/// style 3, paragraph style 1.
struct TFormattedEditor : TEditorFixture {
  TFormattedEditor() {
    Editor.SetBounds(0, 0, 400, 300);
    AddText("one ", 2, 0);
    AddText("two", 2, 0, rvioJoinsPrevious);
    AddText("three", 3, 1);
  }
  /// The caret as (item, offset).
  std::pair<int, int> Caret() {
    int itemNo = -1, offs = -1;
    Data().GetCaretItemPos(itemNo, offs);
    return {itemNo, offs};
  }
};

TEST(EditorDataTest, FormattingKeepsTheCaretWhereAskedAndElseStartsAtTheTop) {
  TFormattedEditor f;
  TRVEditRVData& d = f.Data();
  f.Editor.Format();
  EXPECT_EQ(f.Caret(), std::make_pair(0, 1));
  d.PlaceCaretAtItem(2, 3, true);
  ASSERT_EQ(f.Caret(), std::make_pair(2, 3));
  d.FormatLines(true, true, false, 0, d.GetCanvas(), false, false);
  EXPECT_EQ(f.Caret(), std::make_pair(2, 3)) << "a formatting that keeps the position keeps the caret";
  d.FormatLines(false, true, false, 0, d.GetCanvas(), false, false);
  EXPECT_EQ(f.Caret(), std::make_pair(0, 1));

  d.StateFlags |= rvstNoCaretChange;
  d.PlaceCaretAtItem(2, 3, true);
  f.Editor.Format();
  d.StateFlags &= ~rvstNoCaretChange;
  EXPECT_EQ(d.CaretDrawItemNo, -1) << "the draw lines went and no caret was carried over";

  const int pieces = d.DrawItems().Count();
  d.StateFlags |= rvstSkipNextFormatting;
  d.AddTextItem("four", 0, 0);
  d.FormatLines(false, true, false, 0, d.GetCanvas(), false, false);
  EXPECT_EQ(d.DrawItems().Count(), pieces) << "a skipped formatting only clears its flag";
  EXPECT_EQ(d.StateFlags & rvstSkipNextFormatting, 0u);
}

TEST(EditorDataTest, AfterClearingTheStylesComeFromTheCaretsItem) {
  TFormattedEditor f;
  TRVEditRVData& d = f.Data();
  int textEvents = 0;
  f.Editor.OnCurTextStyleChanged = [&](TObject*) { ++textEvents; };
  f.Editor.Format();
  EXPECT_EQ(d.CurTextStyleNo, 0) << "a first formatting leaves the current styles alone";
  f.Editor.SetCurTextStyleNo(4);
  textEvents = 0;
  f.Editor.Clear();
  EXPECT_EQ(d.CurTextStyleNo, 0);
  EXPECT_EQ(textEvents, 1) << "the styles go back through the editor";
  f.AddText("three", 3, 1);
  f.Editor.Format();
  EXPECT_EQ(d.CurTextStyleNo, 3);
  EXPECT_EQ(d.CurParaStyleNo, 1);
  EXPECT_EQ(d.StateFlags & rvstStylesFromCaret, 0u);
}

TEST(EditorDataTest, ReformattingIsRefusedWhileLockedOrReadOnly) {
  TFormattedEditor f;
  TRVEditRVData& d = f.Data();
  f.Editor.Format();
  d.AddTextItem("four", 0, 0);
  const int pieces = d.DrawItems().Count();
  d.UpdateLockCount = 1;
  EXPECT_EQ(d.Reformat(true), 0);
  EXPECT_EQ(d.DrawItems().Count(), pieces);
  d.UpdateLockCount = 0;
  f.Editor.SetReadOnly(true);
  EXPECT_EQ(d.Reformat(false), 0);
  EXPECT_EQ(d.DrawItems().Count(), pieces);
  d.StateFlags |= rvstJumpHighlighted;
  EXPECT_NE(d.Reformat(true), 0) << "forced, a read-only document is formatted";
  EXPECT_EQ(d.DrawItems().Count(), pieces + 1);
  EXPECT_NE(d.GetViewerState() & rvvsTrackJumps, 0) << "hyperlinks are tracked again";
  EXPECT_EQ(d.StateFlags & rvstJumpHighlighted, 0u);
  d.StateFlags |= rvstSkipNextFormatting;
  EXPECT_EQ(d.Reformat(true), 0) << "the formatter skipped its turn and laid out nothing";
  ASSERT_NE(d.Reformat(true), 0);

  f.Editor.SetReadOnly(false);
  d.SetViewerState(d.GetViewerState() | rvvsTrackJumps);
  d.UpdateAfterReformat();
  EXPECT_EQ(d.GetViewerState() & rvvsTrackJumps, 0) << "editing again, hyperlinks are no longer live";
  EXPECT_GE(d.CaretDrawItemNo, 0);
}

TEST(EditorDataTest, RecordsGoWhereTheModeSays) {
  TEditorFixture f;
  TRVEditRVData& d = f.Data();
  EXPECT_EQ(d.UndoMode, rvumNone);
  EXPECT_EQ(d.GetUndoList(), nullptr) << "a new document records nothing";
  d.BeginUndoSequence(rvutInsert, false);
  EXPECT_EQ(d.GetUndoList(), d.UndoList.get());
  d.BeginRedoSequence(rvutInsert, "");
  EXPECT_EQ(d.GetUndoList(), d.RedoList.get());
  d.UndoMode = rvumUndo;
  d.UndoList->SetLimit(0);
  EXPECT_EQ(d.GetUndoList(), nullptr) << "an undo limit of 0 records nothing";
  d.BeginUndoSequence(rvutInsert, false);
  EXPECT_EQ(d.UndoMode, rvumNone);
}

/// An item standing for a table whose cell editor must hand its edit over first; it opens
/// an undo group itself while doing so, as a closing cell editor does.
class TFinishingItem : public TRVNonTextItemInfo {
 public:
  explicit TFinishingItem(TCustomRVData* RVData) : TRVNonTextItemInfo(RVData) {}
  void FinishEditing() override {
    ++Finished;
    static_cast<TRVEditRVData*>(Data)->BeginUndoSequence(rvutModifyItem, true);
  }
  TCustomRVData* Data = nullptr;
  int Finished = 0;
};

TEST(EditorDataTest, AnInnerEditIsFinishedOnceBeforeAGroupOpens) {
  TEditorFixture f;
  TRVEditRVData& d = f.Data();
  TFinishingItem item(&d);
  item.Data = &d;
  d.PartiallySelectedItem = &item;
  d.BeginUndoSequence(rvutDelete, true);
  EXPECT_EQ(item.Finished, 1) << "the item's own group does not finish it again";
  EXPECT_EQ(d.StateFlags & rvstFinishing, 0u);
  d.BeginUndoSequence(rvutDelete, false);
  EXPECT_EQ(item.Finished, 1) << "nothing is finished unless asked";
  d.PartiallySelectedItem = nullptr;
}

TEST(EditorDataTest, ClearingEmptiesBothListsAndResetsTheStyles) {
  TRVStyle sheet;
  editortest::TViewerOverEditData<TRVEditRVData> viewer;
  viewer.SetStyle(&sheet);
  TRVEditRVData& d = viewer.Data();
  EXPECT_EQ(d.Editor(), nullptr);
  d.AddTextItem("a", 0, 0);
  d.BeginUndoSequence(rvutInsert, false);
  d.Do_ChangeText(0, "b");
  d.UndoList->Undo(&d);
  d.BeginUndoSequence(rvutInsert, false);
  d.Do_ChangeText(0, "c");
  d.CurTextStyleNo = 3;
  d.CurParaStyleNo = 1;
  d.LastTextStyleNo = 2;
  ASSERT_EQ(d.UndoList->Count(), 1);
  ASSERT_EQ(d.RedoList->Count(), 1);
  d.Clear();
  EXPECT_EQ(d.GetItemCount(), 0);
  EXPECT_EQ(d.UndoList->Count(), 0);
  EXPECT_EQ(d.RedoList->Count(), 0);
  EXPECT_EQ(d.CurTextStyleNo, 0);
  EXPECT_EQ(d.CurParaStyleNo, 0);
  EXPECT_EQ(d.LastTextStyleNo, 0);
  EXPECT_NE(d.StateFlags & rvstStylesFromCaret, 0u) << "the next formatting takes the styles from the caret";
}

TEST(EditorDataTest, ATextCopyKeepsMarksTagAndUnicodeButNoCheckpointOrBreaks) {
  TEditorFixture f;
  f.Editor.Options |= rvoTagsArePChars;
  TRVEditRVData& d = f.Data();
  TCustomRVItemInfo* source = f.AddText(std::string("a\0", 2), 1, 2, rvioJoinsPrevious);
  source->Tag.Text = "link";
  source->Checkpoint = editortest::Checkpoint("cp");
  std::unique_ptr<TCustomRVItemInfo> copy = TRVEditRVData::RV_CreateTextCopy(*source, &d);
  EXPECT_EQ(copy->StyleNo, 1);
  EXPECT_EQ(copy->ParaNo, 2);
  EXPECT_EQ(copy->ItemOptions, rvioJoinsPrevious | rvioTwoByteText);
  ASSERT_TRUE(copy->Tag.Text);
  EXPECT_EQ(*copy->Tag.Text, "link");
  EXPECT_EQ(copy->Checkpoint, nullptr);

  source->ItemOptions = rvioLineBreak;
  copy = TRVEditRVData::RV_CreateTextCopy(*source, &d);
  EXPECT_EQ(copy->ItemOptions, 0) << "the line break stays with the source";
  source->ItemOptions = rvioPageBreak;
  copy = TRVEditRVData::RV_CreateTextCopy(*source, &d);
  EXPECT_EQ(copy->ItemOptions, 0);
  source->Checkpoint.reset();
}

}  // namespace
