// Text composed with an input method: the composition is shown at the caret in the current
// text style, within the paragraph's text area, and the committed text goes in as one
// insertion, replacing the selection; the keyboard's language picks the character set.
#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "platform/graphics/InputLanguage.h"
#include "platform/gui/Forms.h"
#include "platform/gui/InputMethod.h"
#include "platform/gui/InputMethodTestSupport.h"
#include "platform/gui/Messaging.h"
#include "richtext/editor/EditorTestSupport.h"

namespace {

using editortest::App;
using editortest::TEditorFixture;

class EditorInputMethodTest : public ::testing::Test, protected TEditorFixture {
 protected:
  void SetUp() override {
    form.SetBounds(0, 0, 400, 300);
    Editor.SetParent(&form);
    Editor.SetBounds(0, 0, 300, 200);
    Sheet.TextStyles()[1].Size = 24;
    Sheet.DefUnicodeStyle = 1;
    Sheet.ParaStyles().Items(1)->LeftIndent = 20;
    Sheet.ParaStyles().Items(1)->RightIndent = 30;
    Editor.AddTextLineWithTag(u"hello world", 0, 1, 0);
    form.Show();
    Editor.Format();
    Editor.SetSelectionBounds(0, 12, 0, 12);
  }
  void TearDown() override {
    guitest::ChangeInputLanguage("en_US");
    SetInputLanguageName("");  // back to the input method's own language
    Editor.SetParent(nullptr);
  }
  void Compose(const std::u16string& Preedit) { guitest::SendComposition(Editor, Preedit); }
  void Commit(const std::u16string& Text) { guitest::SendCommittedText(Editor, Text); }
  std::u16string Text() {
    std::u16string out;
    for (int i = 0; i < Editor.GetItemCount(); ++i) out += Data().GetItemTextW(i);
    return out;
  }

  TForm form;
};

TEST_F(EditorInputMethodTest, CompositionIsShownAtTheCaretInTheParagraphsArea) {
  Compose(u"ni");
  EXPECT_EQ(Editor.GetCurTextStyleNo(), 1) << "composed text is Unicode text";
  TRect area, caret;
  ASSERT_TRUE(GetCompositionForm(Editor, area, caret));
  EXPECT_EQ(area.Left, Editor.EditRVData().GetLeftMargin() + 20);
  EXPECT_EQ(area.Right, Editor.ClientWidth() - Editor.EditRVData().GetRightMargin() - 30);
  const TPoint at = Data().GetCaretPoint();
  EXPECT_EQ(caret.Left, at.X);
  EXPECT_EQ(caret.Top, at.Y);
  EXPECT_GT(at.X, area.Left) << "the caret stands after the text";
}

TEST_F(EditorInputMethodTest, CommittedTextIsOneInsertion) {
  Compose(u"nihao");
  Commit(u"\u4F60\u597D");
  EXPECT_EQ(Text(), u"hello world\u4F60\u597D");
  EXPECT_TRUE(Editor.Modified);
  Editor.Undo();
  EXPECT_EQ(Text(), u"hello world") << "one undo step takes the whole commit";
}

TEST_F(EditorInputMethodTest, CommittedTextReplacesTheSelectionAndRefusedChangesTypeNothing) {
  Editor.SetSelectionBounds(0, 1, 0, 6);
  Commit(u"\u4F60");
  EXPECT_EQ(Text(), u"\u4F60 world");

  Editor.SetReadOnly(true);
  Commit(u"\u597D");
  EXPECT_EQ(Text(), u"\u4F60 world");
}

TEST_F(EditorInputMethodTest, TheKeyboardLanguagePicksTheCharsetOrTheUnicodeStyle) {
  for (const auto& [language, style] : {std::pair("ru_RU", 0), std::pair("hi_IN", 1)}) {
    Editor.SetCurTextStyleNo(0);
    guitest::ChangeInputLanguage(language);
    SendMessage(&Editor, WM_KEYDOWN, 'K', 0);
    EXPECT_EQ(Editor.GetCurTextStyleNo(), style) << language << ": no code page takes the Unicode style";
  }
  Editor.EditorOptions |= rvoAutoSwitchLang;
  Editor.SetCurTextStyleNo(0);
  Editor.SetFocus();
  guitest::ChangeInputLanguage("ru_RU");
  EXPECT_EQ(Sheet.TextStyles()[Editor.GetCurTextStyleNo()].Charset, RUSSIAN_CHARSET)
      << "the focused editor hears it";
}

TEST_F(EditorInputMethodTest, AKoreanInputMethodComposesEachSyllableAtTheCaret) {
  guitest::ChangeInputLanguage("ko_KR");
  Compose(u"\u314E");
  for (const std::u16string syllable : {u"\uD55C", u"\uAE00"}) {
    TRect area, caret;
    ASSERT_TRUE(GetCompositionForm(Editor, area, caret));
    EXPECT_EQ((TPoint{area.Left, area.Top - 1}), Data().GetCaretPoint()) << "a pixel below the caret";
    Commit(syllable);
    App().ProcessMessages();
  }
}

}  // namespace
