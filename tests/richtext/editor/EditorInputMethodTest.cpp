// Text composed with an input method: the composition is shown at the caret in the current
// text style, within the paragraph's text area, and the committed text goes in as one
// insertion, replacing the selection; the keyboard's language picks the character set.
#include <gtest/gtest.h>

#include <cstdlib>
#include <memory>
#include <sstream>
#include <string>

#include "platform/core/CodePages.h"
#include "platform/core/Identifiers.h"
#include "platform/core/TestFolders.h"
#include "platform/graphics/InputLanguage.h"
#include "platform/gui/Forms.h"
#include "platform/gui/InputMethod.h"
#include "platform/gui/InputMethodTestSupport.h"
#include "platform/gui/Messaging.h"
#include "richtext/core/RVUni.h"
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

// What 8-bit typing is read with arrives by the road a keyboard change takes: the toolkit's
// locale, whose script decides for a language written in more than one.
TEST(KeyboardCodePageTest, AKeyboardChangeBringsItsLanguagesCodePageAndCharset) {
  const struct {
    TRVCodePage codePage;
    uint8_t charset;
    const char* locales;
  } cases[] = {
      {1252, ANSI_CHARSET, "de_DE iu_Latn_CA"},
      {1250, EASTEUROPE_CHARSET, "sq_AL bs_BA sr_Latn_RS sr_ME"},
      {1251, RUSSIAN_CHARSET, "sr_RS bs_Cyrl_BA az_Cyrl_AZ uz_Cyrl_UZ kk_KZ ky_KG tt_RU mn_MN mk_MK"},
      {1254, TURKISH_CHARSET, "az_AZ uz_UZ"},
      {1256, ARABIC_CHARSET, "fa_IR ur_PK ug_CN pa_PK"},
      {950, CHINESEBIG5_CHARSET, "zh_Hant_HK"},
      {0, ANSI_CHARSET, "hi_IN sd_Deva_IN mn_Mong_CN iu_CA ka_GE ta my_MM dz_BT chr_US hy_AM km_KH"},
  };
  for (const auto& c : cases) {
    std::istringstream locales(c.locales);
    for (std::string locale; locales >> locale;) {
      guitest::ChangeInputLanguage(locale);
      EXPECT_EQ(RVGetKeyboardCodePage(), c.codePage) << locale;
      EXPECT_EQ(GetKeyboardCharset(), c.charset) << locale;
    }
  }
  const uint32_t acp = GetACP();
  SetACP(1251);
  EXPECT_EQ(RVKeyboardAnsiToUnicode("\xC0"), RVWideStringToBytes(u"\u0410"))
      << "code page 0 reads with the ANSI code page";
  SetACP(acp);
  guitest::ChangeInputLanguage("en_US");
  SetInputLanguageName("");
}

// Only the locale's modifier says that a Serbian desktop writes Latin; the keyboard follows
// the desktop as the ANSI code page does, and a switch to Serbian Latin keeps the page.
TEST(KeyboardCodePageTest, ASerbianLatinDesktopTypesInItsAnsiCodePage) {
  GTEST_FLAG_SET(death_test_style, "threadsafe");  // a fresh process, started in this locale
  const ScopedEnv all("LC_ALL", nullptr), type("LC_CTYPE", nullptr), lang("LANG", "sr_RS.UTF-8@latin");
  EXPECT_EXIT(
      {
        const bool desktop = GetACP() == 1250 && RVGetKeyboardCodePage() == 1250;
        guitest::ChangeInputLanguage("sr_Latn_RS");
        const bool switched = RVGetKeyboardCodePage() == 1250 && GetKeyboardCharset() == EASTEUROPE_CHARSET;
        std::exit(!desktop ? 1 : !switched ? 2 : 0);
      },
      ::testing::ExitedWithCode(0), "");
}

}  // namespace
