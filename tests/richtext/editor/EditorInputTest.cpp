// The editor driven as a user drives it: keys and characters through its window procedure
// (WM_KEYDOWN, WM_CHAR, WM_SYSKEYDOWN), posted messages delivered by the message loop, and
// the document checked by its text, with undo and redo putting it back exactly.
#include <gtest/gtest.h>

#include <string>

#include "platform/gui/Application.h"
#include "platform/gui/Messaging.h"
#include "richtext/core/RVStyle.h"
#include "richtext/editor/EditorTestSupport.h"

namespace {

using editortest::TEditorFixture;

class EditorInputTest : public ::testing::Test, protected TEditorFixture {
 protected:
  void SetUp() override {
    Editor.SetBounds(0, 0, 300, 200);
    Editor.AddTextLineWithTag(u"hello world", 0, 0, 0);
    Editor.Format();
  }
  void Key(uint16_t VirtualKey, TShiftState Shift = 0) {
    SendMessage(&Editor, (Shift & ssAlt) != 0 ? WM_SYSKEYDOWN : WM_KEYDOWN, VirtualKey,
                ShiftStateToKeyData(Shift));
    SendMessage(&Editor, WM_KEYUP, VirtualKey, ShiftStateToKeyData(Shift));
  }
  /// A key that types a character: the key-down, then the character, as the keyboard sends
  /// them (no character when the key-down consumed the key).
  void Type(char16_t Ch) {
    TMessage down;
    down.Msg = WM_KEYDOWN;
    // Letters come from their keys; anything else from a punctuation key (a character's
    // own code could be a movement key's).
    down.WParam = Ch >= u'a' && Ch <= u'z' ? Ch - u'a' + u'A' : VK_OEM_1;
    Editor.WndProc(down);
    if (down.WParam != 0) SendMessage(&Editor, WM_CHAR, Ch);
  }
  void TypeText(const std::u16string& Text) {
    for (char16_t c : Text) Type(c);
  }
  /// The document as text, paragraphs separated by "|".
  std::string Text() {
    std::string out;
    for (int i = 0; i < Editor.GetItemCount(); ++i) {
      if (i > 0 && Data().StartsParagraph(i)) out += "|";
      out += Data().GetItemText(i);
    }
    return out;
  }
  void Select(int StartOffs, int EndOffs) { Editor.SetSelectionBounds(0, StartOffs, 0, EndOffs); }
  static void DeliverPosted() { editortest::App().ProcessMessages(); }
};

TEST_F(EditorInputTest, TypingGoesToTheCaretAndUndoTakesItBackCharacterByCharacter) {
  Key(VK_END);
  EXPECT_EQ(Editor.GetCaretOffset(), 12);
  TypeText(u"!?");
  EXPECT_EQ(Text(), "hello world!?");
  EXPECT_TRUE(Editor.Modified);
  EXPECT_EQ(SendMessage(&Editor, EM_CANUNDO), 1);
  Key('Z', ssCtrl);
  EXPECT_EQ(Text(), "hello world!");
  Key(VK_BACK, ssAlt);
  EXPECT_EQ(Text(), "hello world");
  EXPECT_EQ(SendMessage(&Editor, EM_CANREDO), 1);
  Key('Z', ssCtrl | ssShift);
  EXPECT_EQ(Text(), "hello world!");
  Key(VK_BACK, ssAlt | ssShift);
  EXPECT_EQ(Text(), "hello world!?");
}

TEST_F(EditorInputTest, TypingIntoAClearedDocumentStartsItsFirstLine) {
  Editor.Clear();
  ASSERT_EQ(Editor.GetItemCount(), 0);
  TypeText(u"ab");
  EXPECT_EQ(Text(), "ab");
  EXPECT_EQ(Editor.GetCaretOffset(), 3);
  Key('Z', ssCtrl);
  Key('Z', ssCtrl);
  EXPECT_EQ(Text(), "");
}

TEST_F(EditorInputTest, PastingIntoAClearedDocumentStartsItsFirstLine) {
  Editor.Clear();
  Editor.InsertText("pasted");
  EXPECT_EQ(Text(), "pasted");
  EXPECT_EQ(Editor.GetCaretOffset(), 7);
}

TEST_F(EditorInputTest, CharacterBeyondTheBasicPlaneGoesInWhole) {
  const std::string pair("\x3D\xD8\x00\xDE", 4);  // U+1F600 in UTF-16LE
  Key(VK_END);
  Editor.SetCurTextStyleNo(1);
  SendMessage(&Editor, WM_CHAR, 0xD83D);
  EXPECT_EQ(Text(), "hello world") << "half a character waits for its other half";
  SendMessage(&Editor, WM_CHAR, 0xDE00);
  ASSERT_EQ(Editor.GetItemCount(), 2);
  EXPECT_EQ(Data().GetItemText(1), pair);
  Key('Z', ssCtrl);
  EXPECT_EQ(Text(), "hello world") << "one undo step takes the whole character";

  SendMessage(&Editor, WM_CHAR, 0xDE00);
  SendMessage(&Editor, WM_CHAR, 0xD83D);
  SendMessage(&Editor, WM_CHAR, u'x');
  EXPECT_EQ(Text(), "hello worldx") << "lone halves are dropped";
}

TEST_F(EditorInputTest, CharacterBeyondTheBasicPlaneInAnAnsiStyleIsOneCharacter) {
  Key(VK_END);
  SendMessage(&Editor, WM_CHAR, 0xD83D);
  SendMessage(&Editor, WM_CHAR, 0xDE00);
  EXPECT_EQ(Text(), "hello world?");
}

TEST_F(EditorInputTest, TypedLetterReplacesTheSelection) {
  Select(1, 6);
  TMessage down;
  down.Msg = WM_KEYDOWN;
  down.WParam = 'J';
  Editor.WndProc(down);
  EXPECT_EQ(Text(), " world") << "the selection goes at the key-down";
  SendMessage(&Editor, WM_CHAR, u'j');
  EXPECT_EQ(Text(), "j world") << "the letter comes with the character";
  Key('Z', ssCtrl);
  Key('Z', ssCtrl);
  EXPECT_EQ(Text(), "hello world");
}

TEST_F(EditorInputTest, DeleteAndBackspaceRemoveTheSelectionOrACharacter) {
  Select(7, 12);
  Key(VK_DELETE);
  EXPECT_EQ(Text(), "hello ");
  Key(VK_BACK);
  EXPECT_EQ(Text(), "hello");
  Key(VK_HOME);
  Key(VK_DELETE);
  EXPECT_EQ(Text(), "ello");
  Key('Z', ssCtrl);
  Key('Z', ssCtrl);
  Key('Z', ssCtrl);
  EXPECT_EQ(Text(), "hello world");
}

TEST_F(EditorInputTest, EnterBreaksTheParagraphUnlessRefused) {
  Select(7, 7);
  Key(VK_RETURN);
  EXPECT_EQ(Text(), "hello |world");
  Key('Z', ssCtrl);
  EXPECT_EQ(Text(), "hello world");

  Editor.EditorOptions |= rvoDoNotWantShiftReturns;
  Select(7, 7);
  Key(VK_RETURN, ssShift);
  EXPECT_EQ(Text(), "hello world") << "Shift+Enter is ignored";

  Editor.EditorOptions |= rvoDoNotWantReturns;
  Key(VK_RETURN);
  SendMessage(&Editor, WM_CHAR, 13);
  EXPECT_EQ(Text(), "hello world");
}

TEST_F(EditorInputTest, CtrlTabTypesTheSheetsSpacesAndTabMovesOn) {
  Sheet.SpacesInTab = 3;
  Select(1, 1);
  Key(VK_TAB);
  DeliverPosted();
  EXPECT_EQ(Text(), "hello world");
  Key(VK_TAB, ssCtrl);
  DeliverPosted();
  EXPECT_EQ(Text(), "   hello world");
}

TEST_F(EditorInputTest, ReadOnlyEditorRefusesEveryEdit) {
  Key(VK_END);
  Type(u'x');
  Editor.SetReadOnly(true);
  Key(VK_BACK);
  Key(VK_DELETE);
  Key(VK_RETURN);
  Type(u'y');
  Key('Z', ssCtrl);
  SendMessage(&Editor, WM_UNDO);
  Select(1, 3);
  Key(VK_DELETE);
  SendMessage(&Editor, WM_CLEAR);
  EXPECT_EQ(Text(), "hello worldx");
  EXPECT_EQ(Editor.UndoAction(), rvutTyping) << "the undo is still there";
}

TEST_F(EditorInputTest, UndoLimitZeroRecordsNothing) {
  Editor.SetUndoLimit(0);
  Key(VK_END);
  TypeText(u"ab");
  EXPECT_EQ(Text(), "hello worldab");
  EXPECT_EQ(SendMessage(&Editor, EM_CANUNDO), 0);
  EXPECT_EQ(SendMessage(&Editor, WM_UNDO), 0);
  EXPECT_EQ(Text(), "hello worldab");
}

TEST_F(EditorInputTest, RefusingHandlerStopsEveryEdit) {
  int asked = 0;
  Editor.OnChanging = [&](TCustomRVEdit*, bool& CanEdit) {
    ++asked;
    CanEdit = false;
  };
  Key(VK_END);
  Type(u'x');
  Key(VK_BACK);
  Key(VK_RETURN);
  EXPECT_EQ(Text(), "hello world");
  EXPECT_GT(asked, 0);
  EXPECT_FALSE(Editor.Modified);
}

TEST_F(EditorInputTest, ChangeEventsFollowEdits) {
  int changes = 0;
  Editor.OnChange = [&](TObject*) { ++changes; };
  Key(VK_END);
  EXPECT_EQ(changes, 0) << "moving the caret changes nothing";
  Type(u'x');
  EXPECT_GT(changes, 0);
}

TEST_F(EditorInputTest, ShiftWithArrowsSelects) {
  Key(VK_HOME);
  Key(VK_RIGHT, ssShift);
  Key(VK_RIGHT, ssShift);
  EXPECT_TRUE(Editor.SelectionExists());
  int s = 0, so = 0, e = 0, eo = 0;
  Data().GetSelBounds(s, so, e, eo, true);
  EXPECT_EQ(so, 1);
  EXPECT_EQ(eo, 3);
  Key(VK_RIGHT);
  EXPECT_FALSE(Editor.SelectionExists()) << "a move without Shift drops the selection";
}

}  // namespace
