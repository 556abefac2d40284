// The undo list: groups and their limit, group mode, typing runs taken back one character
// at a time, the errors of a misused list, and groups that leave the list once undone.
#include <gtest/gtest.h>

#include <string>

#include "richtext/core/RVError.h"
#include "richtext/editor/EditorTestSupport.h"

namespace {

using editortest::DumpItems;
using editortest::TEditorFixture;

/// One group holding one change of item 0's text to Text.
void ChangeTextInGroup(TRVEditRVData& d, const std::string& Text) {
  d.BeginUndoSequence(rvutInsert, false);
  d.Do_ChangeText(0, Text);
}

/// Types Chars one by one at Offset of item 0 as the typing code does: the character goes
/// into the text and the undo list notes it.
void Type(TRVEditRVData& d, const std::string& Chars, int Offset) {
  for (char c : Chars) {
    std::string text = d.GetItemText(0);
    text.insert(static_cast<size_t>(Offset - 1), 1, c);
    d.GetItems().Put(0, text);
    d.UndoList->AddTyping(0, Offset, false);
    ++Offset;
  }
}

TEST(UndoListTest, TheLimitKeepsTheNewestGroups) {
  TEditorFixture f;
  f.AddText("0", 0, 0);
  TRVEditRVData& d = f.Data();
  d.UndoList->SetLimit(3);
  for (const char* text : {"1", "2", "3", "4"}) ChangeTextInGroup(d, text);
  ASSERT_EQ(d.UndoList->Count(), 3) << "the fourth group pushed the first out";
  for (int i = 0; i < 3; ++i) d.UndoList->Undo(&d);
  EXPECT_EQ(d.GetItemText(0), "1") << "the first change can no longer be undone";
  EXPECT_THROW(d.UndoList->Undo(&d), ERVError);
  for (const char* text : {"a", "b"}) ChangeTextInGroup(d, text);
  d.BeginUndoSequence(rvutInsert, false);  // a group that stays empty
  ChangeTextInGroup(d, "c");
  EXPECT_EQ(d.UndoList->Count(), 2) << "the full list made room before the empty group went";

  d.UndoList->SetLimit(-1);
  for (int i = 0; i < 40; ++i) ChangeTextInGroup(d, std::to_string(i));
  EXPECT_EQ(d.UndoList->Count(), 42) << "-1 keeps every group";
  d.UndoList->SetLimit(5);
  EXPECT_EQ(d.UndoList->Count(), 5) << "lowering the limit drops the oldest groups";
  d.UndoList->Undo(&d);
  EXPECT_EQ(d.GetItemText(0), "38");

  d.UndoList->SetLimit(0);
  EXPECT_EQ(d.UndoList->Count(), 0);
  ChangeTextInGroup(d, "x");
  EXPECT_EQ(d.GetItemText(0), "x") << "the edit happens";
  EXPECT_EQ(d.UndoList->Count(), 0) << "but nothing is recorded";
  EXPECT_EQ(d.UndoMode, rvumNone);
}

TEST(UndoListTest, UndoneGroupsMoveToTheOtherListAndAChangeInBetweenStaysPut) {
  TEditorFixture f;
  f.AddText("a", 0, 0);
  TRVEditRVData& d = f.Data();
  ChangeTextInGroup(d, "b");
  ChangeTextInGroup(d, "c");
  d.UndoList->Undo(&d);
  EXPECT_EQ(d.GetItemText(0), "b");
  EXPECT_EQ(d.UndoList->Count(), 1);
  EXPECT_EQ(d.RedoList->Count(), 1);
  d.UndoList->Undo(&d);
  EXPECT_EQ(d.GetItemText(0), "a");
  EXPECT_THROW(d.UndoList->Undo(&d), ERVError) << "nothing is undone twice";
  EXPECT_EQ(d.GetItemText(0), "a");
  d.RedoList->Redo(&d);
  d.RedoList->Redo(&d);
  EXPECT_EQ(d.GetItemText(0), "c");
  EXPECT_THROW(d.RedoList->Redo(&d), ERVError);
  EXPECT_EQ(d.UndoList->CurrentUndoType(), rvutInsert);
  EXPECT_EQ(d.RedoList->CurrentUndoType(), rvutNone);
}

TEST(UndoListTest, GroupsKeepTheirTypeCaptionAndCaret) {
  TEditorFixture f;
  f.AddText("a", 0, 0);
  TRVEditRVData& d = f.Data();
  d.BeginNamedUndoSequence(rvutStyleNo, "Bold", false);
  d.Do_ChangeText(0, "b");
  d.UndoList->Undo(&d);
  ASSERT_EQ(d.RedoList->Count(), 1);
  EXPECT_EQ(d.RedoList->Last()->UndoType, rvutStyleNo);
  EXPECT_EQ(d.RedoList->Last()->Caption, "Bold");
  d.RedoList->Redo(&d);
  ASSERT_EQ(d.UndoList->Count(), 1);
  EXPECT_EQ(d.UndoList->Last()->Caption, "Bold") << "the group made again keeps its caption";

  // An empty group (an operation that changed nothing) gives way to the next one.
  ASSERT_TRUE(d.UndoList->BeginUndoGroup(rvutDelete, "first", 4, 0));
  ASSERT_TRUE(d.UndoList->BeginUndoGroup(rvutInsert, "", 1, 0));
  EXPECT_EQ(d.UndoList->Count(), 2);
  EXPECT_EQ(d.UndoList->Last()->UndoType, rvutInsert);
  EXPECT_EQ(d.UndoList->Last()->CaretOffs, 4);
  d.UndoList->DeleteEmptyLastGroup();
  EXPECT_EQ(d.UndoList->Count(), 1);
}

TEST(UndoListTest, GroupModeJoinsOperationsIntoOneGroup) {
  TEditorFixture f;
  f.AddText("a", 0, 0);
  TRVEditRVData& d = f.Data();
  d.BeginUndoSequence(rvutInsert, false);
  d.SetUndoGroupMode(true);
  d.Do_ChangeText(0, "b");
  d.BeginUndoSequence(rvutDelete, false);
  d.Do_ChangeText(0, "c");
  d.SetUndoGroupMode(false);
  ASSERT_EQ(d.UndoList->Count(), 1);
  EXPECT_EQ(d.UndoList->Last()->Count(), 2);
  d.UndoList->DeleteEmptyLastGroup();
  EXPECT_EQ(d.UndoList->Count(), 1);
  d.UndoList->Undo(&d);
  EXPECT_EQ(d.GetItemText(0), "a") << "one undo takes both changes back";

  // A typing group never takes other records, group mode or not.
  Type(d, "x", 1);
  d.SetUndoGroupMode(true);
  d.BeginUndoSequence(rvutInsert, false);
  d.Do_ChangeText(0, "y");
  d.SetUndoGroupMode(false);
  ASSERT_EQ(d.UndoList->Count(), 2);
  EXPECT_EQ(d.UndoList->Last()->UndoType, rvutInsert);
}

TEST(UndoListTest, TypingIsTakenBackOneCharacterAtATime) {
  TEditorFixture f;
  f.AddText("", 0, 0);
  TRVEditRVData& d = f.Data();
  Type(d, "abc", 1);
  ASSERT_EQ(d.UndoList->Count(), 1) << "a run of typing is one group";
  EXPECT_EQ(d.UndoList->CurrentUndoType(), rvutTyping);
  d.UndoList->Undo(&d);
  EXPECT_EQ(d.GetItemText(0), "ab");
  EXPECT_EQ(d.UndoList->Count(), 1) << "the group stays while characters are left";
  d.UndoList->Undo(&d);
  d.UndoList->Undo(&d);
  EXPECT_EQ(d.GetItemText(0), "");
  EXPECT_EQ(d.UndoList->Count(), 0);
  ASSERT_EQ(d.RedoList->Count(), 1) << "the characters taken back are one redo group";
  d.RedoList->Redo(&d);
  EXPECT_EQ(d.GetItemText(0), "a");
  d.RedoList->Redo(&d);
  EXPECT_EQ(d.GetItemText(0), "ab");
  d.RedoList->Redo(&d);
  EXPECT_EQ(d.GetItemText(0), "abc");
  EXPECT_EQ(d.RedoList->Count(), 0);
  ASSERT_EQ(d.UndoList->Count(), 1) << "re-typed characters join one typing run again";
  d.UndoList->Undo(&d);
  EXPECT_EQ(d.GetItemText(0), "ab");
}

TEST(UndoListTest, TypedUnicodeCharactersAreTwoBytesEach) {
  TEditorFixture f;
  f.AddText("", 1, 0);
  TRVEditRVData& d = f.Data();
  std::string text;
  for (char c : std::string("xy")) {
    text.append({c, '\0'});
    d.GetItems().Put(0, text);
    d.UndoList->AddTyping(0, static_cast<int>(text.size()) / 2, true);
  }
  d.UndoList->Undo(&d);
  EXPECT_EQ(d.GetItemText(0), std::string("x\0", 2));
  d.UndoList->Undo(&d);
  d.RedoList->Redo(&d);
  d.RedoList->Redo(&d);
  EXPECT_EQ(d.GetItemText(0), std::string("x\0y\0", 4));
}

TEST(UndoListTest, TypingElsewhereStartsANewGroup) {
  TEditorFixture f;
  f.AddText("", 0, 0);
  f.AddText("", 0, 0, rvioJoinsPrevious);
  TRVEditRVData& d = f.Data();
  Type(d, "ab", 1);
  Type(d, "c", 1);  // not where the run ended
  EXPECT_EQ(d.UndoList->Count(), 2);
  d.UndoList->AddTyping(1, 1, false);  // another item
  EXPECT_EQ(d.UndoList->Count(), 3);
  d.UndoList->AddTyping(1, 2, false);
  EXPECT_EQ(d.UndoList->Count(), 3);
}

TEST(UndoListTest, MisuseIsAnErrorThatChangesNothing) {
  TEditorFixture f;
  f.AddText("", 0, 0);
  TRVEditRVData& d = f.Data();
  try {
    d.UndoList->AddInfo(std::make_unique<TRVUndoBRInfo>());
    FAIL() << "adding without a group";
  } catch (const ERVError& e) {
    EXPECT_STREQ(e.what(), "Can't modify empty undo list");
  }
  Type(d, "a", 1);
  try {
    d.UndoList->AddInfo(std::make_unique<TRVUndoBRInfo>());
    FAIL() << "adding to a typing run";
  } catch (const ERVError& e) {
    EXPECT_STREQ(e.what(), "Incorrect adding into undo list");
  }
  EXPECT_EQ(d.UndoList->Last()->Count(), 1);
  try {
    d.RedoList->Redo(&d);
    FAIL() << "redo with nothing to redo";
  } catch (const ERVError& e) {
    EXPECT_STREQ(e.what(), "Undo buffer is empty");
  }
}

TEST(UndoListTest, AGroupThatNoLongerMatchesTheDocumentIsDropped) {
  TEditorFixture f;
  f.AddText("abcdef", 0, 0);
  TRVEditRVData& d = f.Data();
  d.BeginUndoSequence(rvutDelete, false);
  d.Do_DeleteSubstring(0, 4, 2);
  d.GetItems().Put(0, "a");  // changed behind the undo list's back
  try {
    d.UndoList->Undo(&d);
    FAIL() << "the characters cannot go back where they were";
  } catch (const Exception& e) {
    EXPECT_STREQ(e.what(), "Undo error");
  }
  EXPECT_EQ(d.GetItemText(0), "a");
  EXPECT_EQ(d.UndoList->Count(), 0);
}

TEST(UndoListTest, UndoingDeletionsGivesTheVeryItemsBack) {
  TEditorFixture f;
  TCustomRVItemInfo* first = f.AddText("a", 0, 0);
  TCustomRVItemInfo* second = f.AddText("b", 0, 0, rvioJoinsPrevious);
  f.AddText("c", 0, 0, rvioJoinsPrevious);
  TRVEditRVData& d = f.Data();
  const std::string before = DumpItems(d);
  d.BeginUndoSequence(rvutDelete, false);
  bool full = false;
  d.Do_DeleteItems(0, 1, full);
  d.Do_DeleteItem(0, full);
  EXPECT_EQ(d.GetItemCount(), 0);
  d.UndoList->Undo(&d);
  EXPECT_EQ(DumpItems(d), before);
  EXPECT_EQ(d.GetItem(0), first) << "no copies: the items the records kept";
  EXPECT_EQ(d.GetItem(1), second);
}

}  // namespace
