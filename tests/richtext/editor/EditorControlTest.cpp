// The editor control itself: what construction sets, the change protocol (read-only, the
// style sheet, OnChanging and its sender, Change), the current styles and their events, the
// undo shortcuts, the dialog codes the keyboard asks for, and the options that refuse keys.
#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

#include "platform/core/ComponentStreaming.h"
#include "platform/core/Streams.h"
#include "platform/gui/Messaging.h"
#include "richtext/core/RVError.h"
#include "richtext/editor/EditorTestSupport.h"
#include "richtext/rtf/RVRTFProps.h"

namespace {

using editortest::TEditorFixture;

class EditorControlTest : public ::testing::Test, protected TEditorFixture {
 protected:
  /// Counts the notices an operation raises.
  void CountEvents() {
    Editor.OnChange = [this](TObject*) { events.push_back("change"); };
    Editor.OnChanging = [this](TCustomRVEdit* Sender, bool& CanEdit) {
      events.push_back(Sender == &Editor ? "changing" : "changing from elsewhere");
      CanEdit = allowChanges;
    };
    Editor.OnCurTextStyleChanged = [this](TObject*) { events.push_back("text style"); };
    Editor.OnCurParaStyleChanged = [this](TObject*) { events.push_back("para style"); };
  }
  LRESULT Send(uint32_t Msg, WPARAM W = 0, LPARAM L = 0) { return SendMessage(&Editor, Msg, W, L); }

  std::vector<std::string> events;
  bool allowChanges = true;
};

TEST_F(EditorControlTest, ConstructionMakesAnEditorOfTheViewer) {
  EXPECT_EQ(Editor.Cursor(), crIBeam);
  EXPECT_EQ(Editor.EditorOptions, rvoClearTagOnStyleApp);
  EXPECT_EQ(Editor.TabNavigation(), rvtnNone);
  EXPECT_FALSE(Editor.KeyboardScroll) << "keys move the caret, not the view";
  EXPECT_TRUE(Editor.DisableNoScroll);
  const uint16_t flags = Editor.ViewerFlags();
  EXPECT_NE(flags & 0x80, 0) << "the editor bit";
  EXPECT_EQ(flags & 0x01, 0) << "hyperlinks are not live while editing";
  EXPECT_EQ(flags & 0x08, 0);
  EXPECT_FALSE(Editor.Modified);
  EXPECT_FALSE(Editor.GetReadOnly());
  EXPECT_FALSE(Data().GetReadOnlyMode());
}

TEST_F(EditorControlTest, TabNavigationOtherThanNoneIsRefused) {
  EXPECT_NO_THROW(Editor.SetTabNavigation(rvtnNone));
  try {
    Editor.SetTabNavigation(rvtnTab);
    FAIL() << "no error";
  } catch (const ERVError& e) {
    EXPECT_STREQ(e.what(), "Not supported in editor");
  }
  EXPECT_THROW(Editor.SetTabNavigation(rvtnCtrlTab), ERVError);
  EXPECT_EQ(Editor.TabNavigation(), rvtnNone);
}

/// The published properties of Edit as the form streaming writes them.
std::string PropertyBytes(TRVEdit& Edit) {
  TMemoryStream stream;
  WritePropertyList(stream, Edit);
  return std::string(reinterpret_cast<const char*>(stream.Memory()), static_cast<size_t>(stream.Size()));
}

TEST_F(EditorControlTest, PublishedPropertiesRoundTripAndReadOnlyIsAlwaysWritten) {
  const std::string defaults = PropertyBytes(Editor);
  EXPECT_NE(defaults.find("ReadOnly"), std::string::npos) << "written even when False";
  EXPECT_EQ(defaults.find("UndoLimit"), std::string::npos);
  EXPECT_EQ(defaults.find("EditorOptions"), std::string::npos);
  EXPECT_EQ(defaults.find("TabNavigation"), std::string::npos);
  EXPECT_EQ(defaults.find("RTFReadProperties"), std::string::npos);

  Editor.EditorOptions = rvoWantTabs | rvoNoImageResize;
  Editor.SetReadOnly(true);
  Editor.SetUndoLimit(5);
  auto* rtf = static_cast<TRVRTFReaderProperties*>(Editor.GetRTFReadProperties());
  rtf->UnicodeMode = rvruOnlyUnicode;
  rtf->SkipHiddenText = false;
  TMemoryStream stream;
  WritePropertyList(stream, Editor);
  stream.SetPosition(0);
  TRVEdit copy;
  ReadPropertyList(stream, copy);
  EXPECT_EQ(copy.EditorOptions, rvoWantTabs | rvoNoImageResize);
  EXPECT_TRUE(copy.GetReadOnly());
  EXPECT_TRUE(copy.EditRVData().GetReadOnlyMode()) << "read through the setter";
  EXPECT_EQ(copy.GetUndoLimit(), 5);
  ASSERT_TRUE(copy.HasRTFReadProperties());
  const auto* read = static_cast<TRVRTFReaderProperties*>(copy.GetRTFReadProperties());
  EXPECT_EQ(std::pair(read->UnicodeMode, read->SkipHiddenText), std::pair(rvruOnlyUnicode, false));
}

TEST_F(EditorControlTest, ChangesNeedAStyleSheetAndAWritableEditor) {
  CountEvents();
  EXPECT_TRUE(Editor.CanChange(false));
  EXPECT_EQ(events, std::vector<std::string>{"changing"});

  events.clear();
  Editor.SetReadOnly(true);
  EXPECT_FALSE(Editor.CanChange(true));
  Editor.SetReadOnly(false);
  Editor.SetStyle(nullptr);
  EXPECT_FALSE(Editor.CanChange(true));
  EXPECT_TRUE(events.empty()) << "OnChanging is not asked when the editor refuses by itself";

  Editor.SetStyle(&Sheet);
  allowChanges = false;
  EXPECT_FALSE(Editor.CanChange(false));
  EXPECT_EQ(events, std::vector<std::string>{"changing"});
}

TEST_F(EditorControlTest, ChangesDropWhatTheViewerKeptFromItsLastPagination) {
  // {read-only, change}: a refused CanChange keeps the page breaks.
  for (const auto& [readOnly, change] : {std::pair(true, false), {false, false}, {false, true}}) {
    Data().SoftPageBreaks = std::make_unique<TRVSoftPageBreakList>(TRVSoftPageBreakList{{0, 1, -1}});
    Editor.SetReadOnly(readOnly);
    change ? Editor.Change(true) : void(Editor.CanChange(false));
    EXPECT_EQ(Data().SoftPageBreaks == nullptr, !readOnly) << readOnly << change;
  }
}

TEST_F(EditorControlTest, ReadOnlyMakesHyperlinksLive) {
  Editor.SetReadOnly(true);
  EXPECT_TRUE(Editor.GetReadOnly());
  EXPECT_TRUE(Data().GetReadOnlyMode());
  Editor.SetReadOnly(false);
  EXPECT_FALSE(Data().GetReadOnlyMode());
}

TEST_F(EditorControlTest, ReadOnlyEditorIgnoresTypingAndPasting) {
  Editor.AddTextLineWithTag(u"text", 0, 0, 0);
  Editor.SetReadOnly(true);
  CountEvents();
  char16_t key = u'a';
  Editor.KeyPress(key);
  Send(WM_CHAR, u'b');
  Send(WM_CHAR, 0x0416);  // a Cyrillic letter takes the UTF-16 way
  Send(WM_PASTE);
  Send(WM_CLEAR);
  Editor.DeleteSelection();
  EXPECT_EQ(Send(EM_CANPASTE, 0), 0);
  EXPECT_EQ(Editor.GetItemCount(), 1);
  EXPECT_EQ(Data().GetItemText(0), "text");
  EXPECT_FALSE(Editor.Modified);
  EXPECT_TRUE(events.empty());
}

TEST_F(EditorControlTest, ChangeMarksTheEditorModifiedAndTellsTheHandler) {
  CountEvents();
  Editor.Change(false);
  EXPECT_TRUE(Editor.Modified);
  EXPECT_EQ(events, std::vector<std::string>{"change"});
}

TEST_F(EditorControlTest, ChangeLeavesTheHyperlinkModeOfCtrl) {
  Editor.EditorOptions |= rvoCtrlJumps;
  uint16_t key = VK_CONTROL;
  Editor.KeyDown(key, ssCtrl);
  EXPECT_TRUE(Data().GetReadOnlyMode()) << "holding Ctrl makes hyperlinks live";
  key = VK_CONTROL;
  Editor.KeyUp(key, 0);
  EXPECT_FALSE(Data().GetReadOnlyMode());

  key = VK_CONTROL;
  Editor.KeyDown(key, ssCtrl);
  Editor.Change(true);
  EXPECT_FALSE(Data().GetReadOnlyMode());
}

TEST_F(EditorControlTest, CtrlWithoutTheOptionLeavesHyperlinksDead) {
  uint16_t key = VK_CONTROL;
  Editor.KeyDown(key, ssCtrl);
  EXPECT_FALSE(Data().GetReadOnlyMode());
}

TEST_F(EditorControlTest, ReadOnlyEditorKeepsItsHyperlinksWhenCtrlIsReleased) {
  Editor.EditorOptions |= rvoCtrlJumps;
  Editor.SetReadOnly(true);
  uint16_t key = VK_CONTROL;
  Editor.KeyUp(key, 0);
  EXPECT_TRUE(Data().GetReadOnlyMode());
}

TEST_F(EditorControlTest, StyleEventsFireOnlyForANewValue) {
  Sheet.TextStyles().AddStyle();
  Sheet.ParaStyles().AddStyle();
  CountEvents();
  Editor.SetCurTextStyleNo(0);
  Editor.SetCurParaStyleNo(0);
  EXPECT_TRUE(events.empty());
  Editor.SetCurTextStyleNo(1);
  Editor.SetCurParaStyleNo(1);
  EXPECT_EQ(events, (std::vector<std::string>{"text style", "para style"}));
  EXPECT_EQ(Editor.GetCurTextStyleNo(), 1);
  EXPECT_EQ(Data().CurTextStyleNo, 1);
  EXPECT_EQ(Data().CurParaStyleNo, 1);

  events.clear();
  Data().SetCurTextStyleNo(0);  // the data passes it to the control
  EXPECT_EQ(events, std::vector<std::string>{"text style"});
  EXPECT_EQ(Editor.GetCurTextStyleNo(), 0);
}

TEST_F(EditorControlTest, FormattingAfterClearAnnouncesTheCaretStylesEvenWhenUnchanged) {
  Editor.AddTextLineWithTag(u"one", 0, 0, 0);
  Editor.Format();
  CountEvents();
  Editor.Clear();
  EXPECT_TRUE(events.empty()) << "the styles were 0 already";
  Editor.AddTextLineWithTag(u"two", 0, 0, 0);
  Editor.Format();
  EXPECT_NE(std::find(events.begin(), events.end(), "text style"), events.end());
  EXPECT_NE(std::find(events.begin(), events.end(), "para style"), events.end());

  events.clear();
  Editor.Format();
  EXPECT_TRUE(events.empty()) << "only the first formatting after Clear";
}

TEST_F(EditorControlTest, StyleEventsNeedAStyleSheet) {
  Sheet.TextStyles().AddStyle();
  CountEvents();
  Editor.SetStyle(nullptr);
  Editor.SetCurTextStyleNo(1);
  EXPECT_TRUE(events.empty());
  EXPECT_EQ(Editor.GetCurTextStyleNo(), 1);
}

TEST_F(EditorControlTest, UnicodeStyleIsSelectedOnlyWhenTheSheetHasOne) {
  TFontInfo* unicode = Sheet.TextStyles().AddStyle();
  unicode->Unicode = true;
  const int32_t unicodeNo = Sheet.TextStyles().Count() - 1;
  Editor.SelectUnicodeStyleIfNeeded();
  EXPECT_EQ(Editor.GetCurTextStyleNo(), 0) << "no default Unicode style";
  Sheet.DefUnicodeStyle = unicodeNo + 1;
  Editor.SelectUnicodeStyleIfNeeded();
  EXPECT_EQ(Editor.GetCurTextStyleNo(), 0) << "a default that does not exist";
  Sheet.DefUnicodeStyle = unicodeNo;
  Editor.SelectUnicodeStyleIfNeeded();
  EXPECT_EQ(Editor.GetCurTextStyleNo(), unicodeNo);
}

TEST_F(EditorControlTest, ShortcutsOfUndoAndRedo) {
  struct Case {
    TShiftState shift;
    uint16_t key;
    bool undo, redo;
  };
  const Case cases[] = {
      {ssCtrl, 'Z', true, false},          {ssCtrl | ssShift, 'Z', false, true},
      {ssAlt, VK_BACK, true, false},       {ssAlt | ssShift, VK_BACK, false, true},
      {ssCtrl | ssAlt, 'Z', false, false}, {0, 'Z', false, false},
      {ssCtrl, 'Y', false, false},         {0, VK_BACK, false, false},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(TCustomRVEdit::IsUndoShortcut(c.shift, c.key), c.undo) << int(c.shift) << " " << c.key;
    EXPECT_EQ(TCustomRVEdit::IsRedoShortcut(c.shift, c.key), c.redo) << int(c.shift) << " " << c.key;
  }
}

TEST_F(EditorControlTest, DialogCodeFollowsTheOptions) {
  EXPECT_EQ(Send(WM_GETDLGCODE), DLGC_WANTARROWS | DLGC_WANTCHARS | DLGC_WANTALLKEYS);
  Editor.EditorOptions = rvoDoNotWantReturns;
  EXPECT_EQ(Send(WM_GETDLGCODE), DLGC_WANTARROWS | DLGC_WANTCHARS);
  Editor.EditorOptions = rvoWantTabs;
  EXPECT_EQ(Send(WM_GETDLGCODE), DLGC_WANTARROWS | DLGC_WANTCHARS | DLGC_WANTALLKEYS | DLGC_WANTTAB);
}

TEST_F(EditorControlTest, AltBackspaceNeverReachesTheMenuWhileUndoIsOn) {
  TMessage message;
  message.Msg = WM_SYSCHAR;
  message.WParam = VK_BACK;
  message.Result = 77;
  Editor.WndProc(message);
  EXPECT_EQ(message.Result, 0);
}

TEST_F(EditorControlTest, EnterIsRefusedWithTheOption) {
  Editor.EditorOptions |= rvoDoNotWantReturns;
  CountEvents();
  uint16_t key = VK_RETURN;
  Editor.KeyDown(key, 0);
  EXPECT_EQ(key, 0);
  char16_t ch = 13;
  Editor.KeyPress(ch);
  EXPECT_EQ(ch, 0);
  EXPECT_TRUE(events.empty());
}

TEST_F(EditorControlTest, ControlCharactersAreNotTyped) {
  CountEvents();
  for (char16_t c : {char16_t(1), char16_t(8), char16_t(27), char16_t(127)}) {
    char16_t key = c;
    Editor.KeyPress(key);
  }
  EXPECT_TRUE(events.empty()) << "not even asked";
}

TEST_F(EditorControlTest, AssignEventsTakesTheEditorEventsFromAnEditor) {
  TRVEdit source;
  int pastes = 0, moves = 0, conversions = 0;
  source.OnPaste = [&](TCustomRVEdit*, bool&) { ++pastes; };
  source.OnCaretMove = [&](TObject*) { ++moves; };
  source.OnStyleConversion = [&](TCustomRVEdit*, int, int, bool, int&) { ++conversions; };
  source.OnJump = [](TCustomRVViewer*, int32_t) {};
  Editor.AssignEvents(source);
  ASSERT_TRUE(Editor.OnPaste && Editor.OnCaretMove && Editor.OnStyleConversion && Editor.OnJump);
  bool doDefault = true;
  Editor.OnPaste(&Editor, doDefault);
  Editor.OnCaretMove(&Editor);
  int style = 0;
  Editor.OnStyleConversion(&Editor, 0, 0, true, style);
  EXPECT_EQ(pastes + moves + conversions, 3);

  TRVViewer viewer;
  Editor.AssignEvents(viewer);
  EXPECT_FALSE(Editor.OnJump);
  EXPECT_TRUE(Editor.OnPaste) << "a viewer has no editor events to give";
}

// As for the viewer, the items go while the editor is whole, and without news of its state.
TEST(EditorLifecycleTest, DestroyingTheEditorTellsAboutItsItemsWhileItIsWhole) {
  editortest::App();
  TRVStyle sheet;
  std::vector<std::string> events;
  {
    TRVEdit editor;
    editor.SetStyle(&sheet);
    editor.OnItemAction = [&](TCustomRVViewer* Sender, TRVItemAction Action, TCustomRVItemInfo*, std::string&,
                              TCustomRVData*) {
      auto* edit = dynamic_cast<TCustomRVEdit*>(Sender);  // a handler that calls into the editor
      if (Action == rviaDestroying)
        events.push_back(edit != nullptr && !edit->GetReadOnly() ? "item" : "broken");
    };
    editor.OnCurTextStyleChanged = editor.OnCaretMove = [&](TObject*) { events.push_back("news"); };
    editor.AddTextLineWithTag(u"one", 0, 0, 0);
    editor.Format();
    events.clear();
  }
  EXPECT_EQ(events, std::vector<std::string>{"item"});
}

}  // namespace

namespace {

class EditorLanguageTest : public ::testing::Test, protected editortest::TEditorFixture {
 protected:
  LRESULT ChangeLanguage(uint8_t Charset) { return SendMessage(&Editor, WM_INPUTLANGCHANGE, Charset, 0); }
};

TEST_F(EditorLanguageTest, NewKeyboardLanguageTakesAStyleOfItsCharset) {
  Editor.EditorOptions |= rvoAutoSwitchLang;
  Editor.AddTextLineWithTag(u"x", 0, 0, 0);
  const int count = Sheet.TextStyles().Count();
  EXPECT_EQ(ChangeLanguage(RUSSIAN_CHARSET), 1);
  ASSERT_EQ(Sheet.TextStyles().Count(), count + 1) << "a copy of the current style was added";
  const int32_t russian = Editor.GetCurTextStyleNo();
  EXPECT_EQ(russian, count);
  EXPECT_EQ(Sheet.TextStyles().Items(russian)->Charset, RUSSIAN_CHARSET);
  EXPECT_FALSE(Sheet.TextStyles().Items(russian)->Standard);
  EXPECT_EQ(Sheet.TextStyles().Items(russian)->FontName, Sheet.TextStyles().Items(0)->FontName);

  Editor.SetCurTextStyleNo(0);
  ChangeLanguage(RUSSIAN_CHARSET);
  EXPECT_EQ(Editor.GetCurTextStyleNo(), russian) << "the style made before is found again";
  EXPECT_EQ(Sheet.TextStyles().Count(), count + 1);
}

TEST_F(EditorLanguageTest, LanguageChangeIsIgnoredWithoutTheOptionOrADocument) {
  const int count = Sheet.TextStyles().Count();
  Editor.EditorOptions |= rvoAutoSwitchLang;
  ChangeLanguage(RUSSIAN_CHARSET);
  Editor.EditorOptions &= ~rvoAutoSwitchLang;
  Editor.AddTextLineWithTag(u"x", 0, 0, 0);
  ChangeLanguage(RUSSIAN_CHARSET);
  EXPECT_EQ(Sheet.TextStyles().Count(), count);
  EXPECT_EQ(Editor.GetCurTextStyleNo(), 0);
}

}  // namespace
