// Deleting the selection (with the protection of text and paragraphs), joining items, Enter
// and Shift+Enter, and inserting an item at the caret: the document after each edit, and
// undo and redo giving the document back exactly.
#include <gtest/gtest.h>

#include "platform/graphics/Bitmap.h"
#include "richtext/core/RVMarker.h"
#include "richtext/core/RVNonTextItems.h"
#include "richtext/editor/EditingTestSupport.h"

namespace {

using editortest::TEditingTest;

constexpr uint16_t kEnter = 13;

class DeletionTest : public TEditingTest {};

TEST_F(DeletionTest, WholeParagraphLeavesAnEmptyItemThatKeepsTheParagraph) {
  f.AddText("first", 0, 0);
  f.AddText("second", 2, 1);
  f.AddText("third", 0, 0);
  Format();
  const std::string before = Dump();
  Select(1, 1, 1, 7);
  ASSERT_TRUE(f.Data().DeleteSelection());
  EXPECT_EQ(Texts(), "first//third");
  EXPECT_EQ(f.Data().GetItemParaNo(1), 1) << "the paragraph keeps its style";
  EXPECT_EQ(f.Data().GetItemStyleNo(1), f.Data().CurTextStyleNo);
  EXPECT_EQ(Caret(), std::make_pair(1, 1));
  ExpectUndoRedo(before, Dump());
}

TEST_F(DeletionTest, AcrossItemsAndParagraphsLeavesOneMergedItem) {
  struct Case {
    TRVItemOptions secondMarks;
    const char* name;
  };
  for (const Case& c : {Case{rvioJoinsPrevious, "same line"}, Case{0, "next paragraph"}}) {
    SCOPED_TRACE(c.name);
    f.Data().Clear();
    f.AddText("abc", 0, 0);
    f.AddText("def", 0, c.secondMarks != 0 ? 0 : 1, c.secondMarks);
    f.AddText("ghi", 0, 2);
    Format();
    const std::string before = Dump();
    Select(0, 2, 1, 3);
    ASSERT_TRUE(f.Data().DeleteSelection());
    EXPECT_EQ(Texts(), "af/ghi");
    EXPECT_EQ(f.Data().GetItemParaNo(0), 0) << "the joined paragraph has one style";
    EXPECT_EQ(Caret(), std::make_pair(0, 2));
    ExpectUndoRedo(before, Dump());
  }
}

TEST_F(DeletionTest, SelectionToAParagraphEndKeepsTheNextParagraph) {
  f.AddText("xy", 0, 0);
  f.AddText("abc", 0, 0);
  f.AddText("def", 0, 0);
  Format();
  Select(0, 2, 1, 4);
  ASSERT_TRUE(f.Data().DeleteSelection());
  EXPECT_EQ(Texts(), "x/def");
}

TEST_F(DeletionTest, JoiningTwoListParagraphsRemovesTheSecondMarker) {
  f.Sheet.ListStyles().AddStyle()->Levels().AddLevel()->ListType = rvlstDecimal;
  for (const char* text : {"one", "two"}) {
    f.Data().AddItem("", TRVMarkerItemInfo::CreateForList(&f.Data(), 0, 0, 1, false));
    f.AddText(text, 0, -1, rvioJoinsPrevious);
  }
  Format();
  const std::string before = Dump();
  Select(1, 4, 3, 1);
  ASSERT_TRUE(f.Data().DeleteSelection());
  EXPECT_EQ(Texts(), "|onetwo");
  EXPECT_EQ(f.Data().GetItemStyleNo(0), rvsListMarker);
  EXPECT_EQ(Caret(), std::make_pair(1, 4));
  ExpectUndoRedo(before, Dump());
}

TEST_F(DeletionTest, ReadOnlyParagraphGoesOnlyAsAWhole) {
  f.Sheet.ParaStyles().Items(1)->Options = rvpaoReadOnly;
  f.AddText("ab", 0, 0);
  f.AddText("cd", 0, 1);
  f.AddText("ef", 0, 0);
  Format();
  const std::string before = Dump();
  Select(0, 2, 1, 2);
  EXPECT_FALSE(f.Data().CanDelete()) << "ends inside the read-only paragraph";
  EXPECT_FALSE(f.Data().DeleteSelection());
  EXPECT_EQ(Dump(), before);
  EXPECT_EQ(f.Editor.UndoAction(), rvutNone) << "a refusal records nothing";

  Select(0, 2, 2, 1);
  EXPECT_TRUE(f.Data().CanDelete()) << "covers the read-only paragraph whole";
  ASSERT_TRUE(f.Data().DeleteSelection());
  EXPECT_EQ(Texts(), "aef");
}

TEST_F(DeletionTest, ProtectedTextGoesOnlyAsAWholeUnlessDeleteProtected) {
  TFontInfo* modifyProtected = f.Sheet.TextStyles().Items(2);
  modifyProtected->Protection = rvprModifyProtect;
  f.AddText("x", 0, 0);
  f.AddText("abc", 2, 0, rvioJoinsPrevious);
  f.AddText("y", 0, 0, rvioJoinsPrevious);
  Format();
  Select(1, 2, 1, 3);
  EXPECT_FALSE(f.Data().CanDelete()) << "part of a modify-protected text";
  Select(1, 1, 1, 4);
  EXPECT_TRUE(f.Data().CanDelete());
  modifyProtected->Protection = rvprModifyProtect | rvprDeleteProtect;
  EXPECT_FALSE(f.Data().CanDelete());
  modifyProtected->Protection = rvprModifyProtect;
  ASSERT_TRUE(f.Data().DeleteSelection());
  EXPECT_EQ(Texts(), "xy") << "the neighbours of the removed item are joined";
}

TEST_F(DeletionTest, DeleteProtectedPictureInsideTheSelectionRefuses) {
  f.AddText("ab", 0, 0);
  auto picture = std::make_unique<TRVGraphicItemInfo>(&f.Data());
  picture->StyleNo = rvsPicture;
  picture->DeleteProtect = true;
  f.AddOther(std::move(picture), 0, rvioJoinsPrevious);
  f.AddText("cd", 0, 0, rvioJoinsPrevious);
  Format();
  Select(0, 1, 2, 2);
  EXPECT_FALSE(f.Data().DeleteSelection());
  EXPECT_EQ(f.Data().GetItemCount(), 3);
}

// ---- Enter --------------------------------------------------------------------------------

class EnterTest : public TEditingTest {};

TEST_F(EnterTest, AtTheParagraphEndTheNewParagraphTakesTheNextStyles) {
  f.Sheet.ParaStyles().Items(1)->NextParaNo = 2;
  f.Sheet.TextStyles().Items(2)->NextStyleNo = 3;
  f.AddText("heading", 2, 1);
  Format();
  const std::string before = Dump();
  PutCaret(0, 8);
  Key(kEnter);
  ASSERT_EQ(Texts(), "heading/");
  EXPECT_EQ(f.Data().GetItemParaNo(1), 2);
  EXPECT_EQ(f.Data().GetItemStyleNo(1), 3);
  EXPECT_EQ(Caret(), std::make_pair(1, 1));
  ExpectUndoRedo(before, Dump());
}

TEST_F(EnterTest, ShiftEnterAtTheEndBreaksTheLineInTheSameParagraph) {
  f.Sheet.ParaStyles().Items(1)->NextParaNo = 2;
  f.AddText("heading", 0, 1);
  Format();
  PutCaret(0, 8);
  Key(kEnter, ssShift);
  ASSERT_EQ(f.Data().GetItemCount(), 2);
  EXPECT_TRUE(f.Data().GetItem(1)->GetBR());
  EXPECT_EQ(f.Data().GetItemParaNo(1), 1);
  EXPECT_EQ(f.Data().CurParaStyleNo, 1);
}

TEST_F(EnterTest, InTheMiddleOfATextSplitsItAndUndoJoinsIt) {
  f.AddText("hello", 3, 0)->Tag.Value = 5;
  f.AddText("world", 0, 1);
  Format();
  const std::string before = Dump();
  PutCaret(0, 3);
  Key(kEnter);
  ASSERT_EQ(Texts(), "he/llo/world");
  EXPECT_EQ(f.Data().GetItemStyleNo(1), 3);
  EXPECT_EQ(f.Data().GetItemTag(1).Value, 5) << "the tail keeps the tag";
  EXPECT_EQ(f.Data().GetItemParaNo(1), 0);
  EXPECT_EQ(Caret(), std::make_pair(1, 1));
  ExpectUndoRedo(before, Dump());
}

TEST_F(EnterTest, ShiftEnterInsideATextMakesALineBreak) {
  f.AddText("hello", 0, 0);
  Format();
  PutCaret(0, 3);
  Key(kEnter, ssShift);
  ASSERT_EQ(f.Data().GetItemCount(), 2);
  EXPECT_TRUE(f.Data().GetItem(1)->GetBR());
  EXPECT_EQ(f.Data().GetItemText(1), "llo");
}

TEST_F(EnterTest, AtTheParagraphStartInsertsAnEmptyLineBefore) {
  for (const TShiftState shift : {TShiftState(0), ssShift}) {
    SCOPED_TRACE(shift != 0 ? "Shift+Enter" : "Enter");
    f.Data().Clear();
    f.AddText("abc", 0, 0);
    Format();
    PutCaret(0, 1);
    Key(kEnter, shift);
    EXPECT_EQ(Texts(), shift != 0 ? "|abc" : "/abc");
    EXPECT_TRUE(f.Data().StartsParagraph(0));
    EXPECT_EQ(f.Data().GetItem(1)->GetBR(), shift != 0) << "Shift+Enter breaks the line only";
    EXPECT_EQ(Caret(), std::make_pair(1, 1)) << "the caret stays before the text";
  }
}

TEST_F(EnterTest, BetweenTwoItemsTheSecondStartsTheParagraph) {
  f.AddText("ab", 0, 0);
  f.AddText("cd", 2, 0, rvioJoinsPrevious);
  Format();
  PutCaret(0, 3);
  Key(kEnter);
  EXPECT_EQ(Texts(), "ab/cd");
}

TEST_F(EnterTest, RefusedWherePrargraphsAreNotWantedOrProtected) {
  f.Sheet.ParaStyles().Items(1)->Options = rvpaoDoNotWantReturns;
  f.Sheet.TextStyles().Items(2)->Protection = rvprParaStartProtect;
  f.AddText("no returns", 0, 1);
  f.AddText("sticky", 2, 0);
  Format();
  const std::string before = Dump();
  PutCaret(0, 3);
  Key(kEnter);
  PutCaret(1, 3);
  Key(kEnter);
  EXPECT_EQ(Dump(), before);
  EXPECT_EQ(f.Editor.UndoAction(), rvutNone);
}

TEST_F(EnterTest, AReadOnlyParagraphIsLeftOnlyAtItsEdges) {
  f.Sheet.ParaStyles().Items(1)->Options = rvpaoReadOnly;
  f.AddText("fixed", 0, 1);
  Format();
  const std::string before = Dump();
  PutCaret(0, 3);
  Key(kEnter);
  EXPECT_EQ(Dump(), before) << "no split inside";
  EXPECT_EQ(f.Editor.UndoAction(), rvutNone);

  PutCaret(0, 6);
  Key(kEnter);
  EXPECT_EQ(Texts(), "fixed/");
  EXPECT_EQ(f.Data().GetItemParaNo(1), 0) << "the new paragraph may be edited";
  EXPECT_EQ(Caret(), std::make_pair(1, 1));
  ExpectUndoRedo(before, Dump());
}

TEST_F(EnterTest, ANewParagraphInAListGetsAMarkerOfItsOwn) {
  TRVListLevel* level = f.Sheet.ListStyles().AddStyle()->Levels().AddLevel();
  level->ListType = rvlstDecimal;
  struct Case {
    const char* name;
    int caretOffs;
    const char* texts;
  };
  for (const Case& c : {Case{"at the end", 7, "|onetwo/|"}, Case{"inside", 4, "|one/|two"}}) {
    SCOPED_TRACE(c.name);
    f.Data().Clear();
    f.Data().AddItem("", TRVMarkerItemInfo::CreateForList(&f.Data(), 0, 0, 1, false));
    f.AddText("onetwo", 0, -1, rvioJoinsPrevious);  // continues the marker's paragraph
    Format();
    const std::string before = Dump();
    PutCaret(1, c.caretOffs);
    Key(kEnter);
    EXPECT_EQ(Texts(), c.texts);
    ASSERT_EQ(f.Data().GetItemCount(), 4);
    EXPECT_EQ(f.Data().GetItemStyleNo(2), rvsListMarker);
    EXPECT_EQ(static_cast<TRVMarkerItemInfo*>(f.Data().GetItem(2))->ListNo, 0);
    EXPECT_EQ(Caret(), std::make_pair(3, 1));
    ExpectUndoRedo(before, Dump());
  }
}

// ---- an item at the caret -------------------------------------------------------------------

TEST_F(DeletionTest, JoiningTextOfAnotherKindDropsTheEmptyItemInsteadOfItsText) {
  f.AddText("abc", 0, 0);
  f.AddText(std::string("d\0e\0", 4), 1, 1);  // style 1 is Unicode
  Format();
  const std::string before = Dump();
  Select(0, 1, 1, 2);
  ASSERT_TRUE(f.Data().DeleteSelection());
  ASSERT_EQ(f.Data().GetItemCount(), 1);
  EXPECT_EQ(f.Data().GetItemText(0), std::string("e\0", 2));
  EXPECT_EQ(f.Data().GetItemStyleNo(0), 1);
  EXPECT_TRUE(f.Data().StartsParagraph(0));
  ExpectUndoRedo(before, Dump());
}

TEST_F(DeletionTest, ItemsAtTheCaretTakeTheirOwnLines) {
  const auto picture = [this] {
    auto bitmap = std::make_unique<TBitmap>();
    bitmap->SetSize(10, 10);
    return TRVGraphicItemInfo::CreateWithPicture(&f.Data(), std::move(bitmap), 0);
  };
  {
    SCOPED_TRACE("a break inside a text stands on a line of its own");
    f.AddText("abcd", 0, 1);
    Format();
    const std::string before = Dump();
    PutCaret(0, 3);
    f.Data().BeginUndoSequence(rvutInsert, true);
    ASSERT_TRUE(f.Data().InsertItemAtCaretAndFormat(TRVBreakItemInfo::CreateEx(&f.Data(), 1, 0, clNone), ""));
    ASSERT_EQ(f.Data().GetItemCount(), 3);
    EXPECT_EQ(f.Data().GetItemStyleNo(1), rvsBreak);
    EXPECT_EQ(f.Data().GetItemParaNo(1), 0);
    EXPECT_TRUE(f.Data().StartsParagraph(1));
    EXPECT_TRUE(f.Data().StartsParagraph(2));
    EXPECT_EQ(Texts(), "ab//cd");
    EXPECT_EQ(f.Data().GetItemParaNo(2), 1) << "the rest of the paragraph keeps its style";
    ExpectUndoRedo(before, Dump());
  }
  {
    SCOPED_TRACE("a picture before a picture that starts its line takes the line start");
    f.Data().Clear();
    f.AddText("x", 0, 0);
    f.AddOther(picture(), 0, rvioPageBreak);
    Format();
    const std::string before = Dump();
    PutCaret(1, 0);
    f.Data().BeginUndoSequence(rvutInsert, true);
    ASSERT_TRUE(f.Data().InsertItemAtCaretAndFormat(picture(), ""));
    ASSERT_EQ(f.Data().GetItemCount(), 3);
    EXPECT_TRUE(f.Data().StartsParagraph(1));
    EXPECT_TRUE(f.Data().GetItem(1)->GetPageBreakBefore());
    EXPECT_TRUE(f.Data().GetItem(2)->GetSameAsPrev());
    EXPECT_FALSE(f.Data().GetItem(2)->GetPageBreakBefore());
    EXPECT_EQ(Caret(), std::make_pair(1, 1));
    ExpectUndoRedo(before, Dump());
  }
}

TEST_F(DeletionTest, PictureInsideATextSplitsItAroundThePicture) {
  f.AddText("abcd", 0, 0)->Tag.Value = 9;
  Format();
  const std::string before = Dump();
  PutCaret(0, 3);
  auto bitmap = std::make_unique<TBitmap>();
  bitmap->SetSize(10, 10);
  f.Editor.InsertPicture("pic", std::move(bitmap), 0);
  ASSERT_EQ(f.Data().GetItemCount(), 3);
  EXPECT_EQ(f.Data().GetItemText(0), "ab");
  EXPECT_EQ(f.Data().GetItemStyleNo(1), rvsPicture);
  EXPECT_EQ(f.Data().GetItemText(2), "cd");
  EXPECT_EQ(f.Data().GetItemTag(2).Value, 9);
  EXPECT_TRUE(f.Data().GetItem(1)->GetSameAsPrev() && f.Data().GetItem(2)->GetSameAsPrev());
  EXPECT_EQ(Caret(), std::make_pair(1, 1)) << "after the picture";
  ExpectUndoRedo(before, Dump());
}

TEST_F(DeletionTest, PictureReplacesAnEmptyItem) {
  f.AddText("", 0, 1);
  Format();
  PutCaret(0, 1);
  auto bitmap = std::make_unique<TBitmap>();
  bitmap->SetSize(10, 10);
  f.Editor.InsertPicture("pic", std::move(bitmap), 0);
  ASSERT_EQ(f.Data().GetItemCount(), 1);
  EXPECT_EQ(f.Data().GetItemStyleNo(0), rvsPicture);
  EXPECT_TRUE(f.Data().StartsParagraph(0));
}

}  // namespace
