// Delete and Backspace pressed in the editor control: characters, words, whole items,
// joined paragraphs, list markers and page breaks, what protection refuses, and undo and
// redo restoring the document exactly. Also applying a paragraph style to the selection.
#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>
#include <utility>

#include "platform/graphics/Bitmap.h"
#include "platform/gui/Application.h"
#include "richtext/core/RVListInfo.h"
#include "richtext/core/RVMarker.h"
#include "richtext/core/RVNonTextItems.h"
#include "richtext/core/RVUni.h"
#include "richtext/editor/CaretTestSupport.h"
#include "richtext/table/RVTable.h"

namespace {

using editortest::DumpItems;
using editortest::Pos;

class DeleteKeysTest : public editortest::TCaretTest {
 protected:
  /// Formats with the caret carried as the editor does it, then puts the caret.
  void Start(int ItemNo, int Offset) {
    f.Editor.Format();
    PutCaretAtItem(ItemNo, Offset);
    f.Data().ChangeCaret(false, false, false, false);
    before = DumpItems(f.Data());
  }
  void Press(uint16_t Key, TShiftState Shift = 0) { f.Editor.KeyDown(Key, Shift); }
  std::string Text(int ItemNo) { return f.Data().GetItemText(ItemNo); }
  /// Undo gives back the document as it was before the key; redo the one after it.
  void ExpectUndoAndRedo() {
    const std::string after = DumpItems(f.Data());
    ASSERT_NE(f.Editor.UndoAction(), rvutNone);
    f.Editor.Undo();
    EXPECT_EQ(DumpItems(f.Data()), before);
    f.Editor.Redo();
    EXPECT_EQ(DumpItems(f.Data()), after);
  }
  /// Nothing changed and nothing was recorded.
  void ExpectUnchanged() {
    EXPECT_EQ(DumpItems(f.Data()), before);
    EXPECT_EQ(f.Editor.UndoAction(), rvutNone);
  }
  int AddPara(TRVParaOptions Options) {
    TParaInfo* para = f.Sheet.ParaStyles().AddStyle();
    para->Options = Options;
    return f.Sheet.ParaStyles().Count() - 1;
  }
  int AddProtectedStyle(TRVProtectOptions Protection) {
    TFontInfo* font = f.Sheet.TextStyles().AddStyle();
    font->Protection = Protection;
    return f.Sheet.TextStyles().Count() - 1;
  }

  std::string before;
};

TEST_F(DeleteKeysTest, BackspaceAndDeleteRemoveOneCharacter) {
  f.AddText("hello", 0, 0);
  Start(0, 3);
  Press(VK_BACK);
  EXPECT_EQ(Text(0), "hllo");
  EXPECT_EQ(Caret(), (Pos{0, 2}));
  EXPECT_EQ(f.Editor.UndoAction(), rvutDelete);
  ExpectUndoAndRedo();

  Start(0, 2);
  Press(VK_DELETE);
  EXPECT_EQ(Text(0), "hlo");
  EXPECT_EQ(Caret(), (Pos{0, 2}));
  ExpectUndoAndRedo();

  // Ctrl does not widen Delete: it never reaches back before the caret.
  Start(0, 2);
  Press(VK_DELETE, ssCtrl);
  EXPECT_EQ(Text(0), "ho");
}

TEST_F(DeleteKeysTest, CtrlBackspaceRemovesTheWordBeforeTheCaret) {
  f.AddText("hello big world", 0, 0);
  Start(0, 16);
  Press(VK_BACK, ssCtrl);
  EXPECT_EQ(Text(0), "hello big ");
  Press(VK_BACK, ssCtrl);
  EXPECT_EQ(Text(0), "hello ");
  EXPECT_EQ(Caret(), (Pos{0, 7}));
}

TEST_F(DeleteKeysTest, ASurrogatePairGoesAtOnce) {
  f.AddText(RVWideStringToBytes(u"a\U0001F600b"), 1, 0);
  Start(0, 2);
  Press(VK_DELETE);
  EXPECT_EQ(Text(0), RVWideStringToBytes(u"ab"));
  f.Editor.Undo();
  Start(0, 4);
  Press(VK_BACK);
  EXPECT_EQ(Text(0), RVWideStringToBytes(u"ab"));
  ExpectUndoAndRedo();
}

TEST_F(DeleteKeysTest, BackspaceAtAParagraphStartJoinsTheParagraphs) {
  f.AddText("ab", 0, 0);
  f.AddText("cd", 0, 1);
  Start(1, 1);
  Press(VK_BACK);
  ASSERT_EQ(f.Data().GetItemCount(), 1);
  EXPECT_EQ(Text(0), "abcd");
  EXPECT_EQ(Caret(), (Pos{0, 3})) << "the caret stays at the join";
  ExpectUndoAndRedo();
}

TEST_F(DeleteKeysTest, DeleteAtAParagraphEndJoinsTheNextParagraph) {
  f.AddText("ab", 0, 0);
  f.AddText("cd", 0, 0);
  auto picture = std::make_unique<TBitmap>();
  picture->SetSize(10, 10);
  f.AddOther(TRVGraphicItemInfo::CreateWithPicture(&f.Data(), std::move(picture), 0), 0);
  Start(0, 3);
  Press(VK_DELETE);
  ASSERT_EQ(f.Data().GetItemCount(), 2);
  EXPECT_EQ(Text(0), "abcd");
  EXPECT_EQ(Caret(), (Pos{0, 3}));
  ExpectUndoAndRedo();

  Start(0, 5);
  Press(VK_DELETE);
  ASSERT_EQ(f.Data().GetItemCount(), 2);
  EXPECT_TRUE(f.Data().GetItem(1)->GetSameAsPrev()) << "the picture joined the line";
  ExpectUndoAndRedo();
}

TEST_F(DeleteKeysTest, BackspaceAtAPageBreakRemovesOnlyTheBreak) {
  f.AddText("ab", 0, 0);
  f.AddText("cd", 0, 0, rvioPageBreak);
  Start(1, 1);
  Press(VK_BACK);
  ASSERT_EQ(f.Data().GetItemCount(), 2);
  EXPECT_FALSE(f.Data().GetItem(1)->GetPageBreakBefore());
  EXPECT_TRUE(f.Data().GetItem(1)->IsParaStart());
  ExpectUndoAndRedo();
}

TEST_F(DeleteKeysTest, BackspaceAfterATableMovesOntoTheTable) {
  f.AddText("above", 0, 0);
  f.AddOther(std::make_unique<TRVTableItemInfo>(2, 2, &f.Data()), 0);
  f.AddText("below", 0, 0);
  Start(2, 1);
  Press(VK_BACK);
  ExpectUnchanged();
  EXPECT_EQ(Caret(), (Pos{1, 1})) << "the caret stands after the table";
}

TEST_F(DeleteKeysTest, DeleteAtTheDocumentEndRemovesOnlyAnEmptyLastItem) {
  f.AddText("text", 0, 0);
  f.AddText("", 0, 0);
  Start(0, 5);
  Press(VK_DELETE);
  EXPECT_EQ(f.Data().GetItemCount(), 1) << "the empty paragraph below went";
  ExpectUndoAndRedo();

  f.Editor.ClearUndo();
  Start(0, 5);
  Press(VK_DELETE);
  ExpectUnchanged();
}

TEST_F(DeleteKeysTest, DeleteOnAnEmptyLastItemRemovesIt) {
  f.AddText("text", 0, 0);
  f.AddText("", 0, 0);
  Start(1, 1);
  Press(VK_DELETE);
  ASSERT_EQ(f.Data().GetItemCount(), 1);
  EXPECT_EQ(Caret(), (Pos{0, 5}));
  ExpectUndoAndRedo();
}

TEST_F(DeleteKeysTest, DeleteOnAnEmptyParagraphRemovesIt) {
  f.AddText("ab", 0, 0);
  f.AddText("", 0, 0);
  f.AddText("cd", 0, 0);
  Start(1, 1);
  Press(VK_DELETE);
  ASSERT_EQ(f.Data().GetItemCount(), 2);
  EXPECT_EQ(Text(1), "cd");
  EXPECT_TRUE(f.Data().GetItem(1)->IsParaStart());
  EXPECT_EQ(Caret(), (Pos{1, 1}));
  ExpectUndoAndRedo();
}

TEST_F(DeleteKeysTest, AReadOnlyParagraphRefusesAndRecordsNothing) {
  int beeps = 0;
  const std::function<void()> sound = std::exchange(MessageBeepSound(), [&beeps] { ++beeps; });
  const int readOnly = AddPara(rvpaoReadOnly);
  f.AddText("fixed", 0, readOnly);
  f.AddText("free", 0, 0);
  Start(0, 3);
  Press(VK_BACK);
  Press(VK_DELETE);
  ExpectUnchanged();
  Start(1, 1);
  Press(VK_BACK);
  ExpectUnchanged();
  f.Sheet.UseSound = false;  // the style sheet decides whether a refused key beeps
  Press(VK_BACK);
  EXPECT_EQ(beeps, 3);
  MessageBeepSound() = sound;
}

TEST_F(DeleteKeysTest, ProtectedTextRefuses) {
  const int noModify = AddProtectedStyle(rvprModifyProtect);
  const int noDelete = AddProtectedStyle(rvprDeleteProtect);
  f.AddText("fixed", noModify, 0);
  f.AddText("x", noDelete, 0);
  Start(0, 3);
  Press(VK_BACK);
  ExpectUnchanged();
  Start(1, 2);
  Press(VK_BACK);
  ExpectUnchanged();  // an item alone on its line is protected as well
}

TEST_F(DeleteKeysTest, APictureAloneOnItsLineLeavesAnEmptyLine) {
  f.AddText("ab", 0, 0);
  auto picture = std::make_unique<TBitmap>();
  picture->SetSize(10, 10);
  f.AddOther(TRVGraphicItemInfo::CreateWithPicture(&f.Data(), std::move(picture), 0), 0);
  f.AddText("cd", 0, 0);
  Start(1, 1);
  Press(VK_BACK);
  ASSERT_EQ(f.Data().GetItemCount(), 3);
  EXPECT_TRUE(f.Data().GetItem(1)->IsTextItem());
  EXPECT_EQ(Text(1), "");
  EXPECT_TRUE(f.Data().GetItem(1)->IsParaStart());
  EXPECT_EQ(Caret(), (Pos{1, 1}));
  ExpectUndoAndRedo();
}

TEST_F(DeleteKeysTest, APictureInsideALineGoesAndItsNeighboursMerge) {
  f.AddText("ab", 0, 0);
  auto picture = std::make_unique<TBitmap>();
  picture->SetSize(10, 10);
  f.AddOther(TRVGraphicItemInfo::CreateWithPicture(&f.Data(), std::move(picture), 0), 0, rvioJoinsPrevious);
  f.AddText("cd", 0, 0, rvioJoinsPrevious);
  Start(1, 1);
  Press(VK_BACK);
  ASSERT_EQ(f.Data().GetItemCount(), 1);
  EXPECT_EQ(Text(0), "abcd");
  EXPECT_EQ(Caret(), (Pos{0, 3}));
  ExpectUndoAndRedo();
}

TEST_F(DeleteKeysTest, BackspaceAtAListItemRemovesItsMarker) {
  f.Sheet.ListStyles().AddStyle()->Levels().AddLevel();
  f.AddText("before", 0, 0);
  f.Data().AddItem("", TRVMarkerItemInfo::CreateForList(&f.Data(), 0, 0, 1, false));
  f.Data().AddTextItem("item", 0, -1);
  Start(2, 1);
  Press(VK_BACK);
  ASSERT_EQ(f.Data().GetItemCount(), 2);
  EXPECT_EQ(Text(1), "item");
  EXPECT_TRUE(f.Data().GetItem(1)->IsParaStart()) << "the text keeps its own paragraph";
  EXPECT_EQ(Caret(), (Pos{1, 1}));
  ExpectUndoAndRedo();
}

TEST_F(DeleteKeysTest, AWrappedLineDeletesTheSpaceItWrappedAt) {
  f.Editor.SetBounds(0, 0, 120, 300);
  f.AddText("aaaa bbbb cccc dddd eeee", 0, 0);
  f.Editor.Format();
  ASSERT_GE(f.Data().DrawItems().Count(), 2);
  const int secondLine = Piece(1).Offs;
  ASSERT_EQ(Text(0)[secondLine - 2], ' ');
  Start(0, secondLine);
  PutCaret(1, 1);
  Press(VK_BACK);
  EXPECT_EQ(Text(0).size(), 23u);
  EXPECT_NE(Text(0)[secondLine - 3], ' ') << "the word before the space stays whole";
  EXPECT_EQ(Caret(), (Pos{0, secondLine - 1}));
}

TEST_F(DeleteKeysTest, AParagraphStyleGoesToEverySelectedParagraph) {
  f.AddText("one", 0, 0);
  f.AddText("two", 0, 0);
  f.AddText("more", 0, 0, rvioJoinsPrevious);
  f.AddText("three", 0, 0);
  Start(0, 2);
  f.Data().SetSelectionBounds(0, 2, 1, 2);
  f.Editor.ApplyParaStyle(2);
  EXPECT_EQ(f.Data().GetItem(0)->ParaNo, 2);
  EXPECT_EQ(f.Data().GetItem(1)->ParaNo, 2);
  EXPECT_EQ(f.Data().GetItem(2)->ParaNo, 2) << "the whole paragraph";
  EXPECT_EQ(f.Data().GetItem(3)->ParaNo, 0);
  EXPECT_EQ(f.Editor.UndoAction(), rvutPara);
  EXPECT_TRUE(f.Data().SelectionExists()) << "the selection survives";
  ExpectUndoAndRedo();
}

TEST_F(DeleteKeysTest, AParagraphStyleConversionAsksForEveryItem) {
  f.AddText("one", 0, 0);
  f.AddText("two", 0, 1);
  Start(1, 2);
  std::vector<int> asked;
  f.Editor.OnParaStyleConversion = [&](TCustomRVEdit*, int StyleNo, int UserData, bool, int& NewStyleNo) {
    asked.push_back(StyleNo);
    NewStyleNo = StyleNo + UserData;
  };
  f.Editor.ApplyParaStyleConversion(1);
  EXPECT_EQ(asked, std::vector<int>{1});
  EXPECT_EQ(f.Data().GetItem(1)->ParaNo, 2);
  EXPECT_EQ(f.Data().GetItem(0)->ParaNo, 0);
  ExpectUndoAndRedo();
}

}  // namespace
