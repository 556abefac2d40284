// Insertion at the caret: text broken into paragraphs at its line ends, typed characters
// (with the text styles' protection), RVF and RTF streams and a picture wider than the
// document, each undone and redone exactly.
#include <gtest/gtest.h>

#include "platform/core/Streams.h"
#include "platform/graphics/Bitmap.h"
#include "richtext/core/RVMarker.h"
#include "richtext/editor/EditingTestSupport.h"
#include "richtext/viewer/RVViewer.h"

namespace {

using editortest::TEditingTest;

class InsertionTest : public TEditingTest {
 protected:
  /// "xy" in paragraph style 0 with the caret between x and y and paragraph style 2 current.
  void StartInsideXY() {
    f.Data().Clear();
    f.AddText("xy", 0, 0);
    Format();
    PutCaret(0, 2);
    f.Editor.SetCurParaStyleNo(2);
  }
  /// The texts of all items run together.
  std::string AllText() {
    std::string all;
    for (int i = 0; i < f.Data().GetItemCount(); ++i) all += f.Data().GetItemText(i);
    return all;
  }
};

TEST_F(InsertionTest, LineEndsOfEveryKindMakeOneParagraphBreak) {
  struct Case {
    const char* name;
    std::string text;
    bool wide;
  };
  const Case cases[] = {
      {"CR LF", "a\r\nb", false},
      {"lone CR", "a\rb", false},
      {"lone LF", "a\nb", false},
      {"UTF-16 LF", std::string("a\0\n\0b\0", 6), true},
      {"UTF-16 LF CR", std::string("a\0\n\0\r\0b\0", 8), true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    StartInsideXY();
    const std::string before = Dump();
    if (c.wide)
      f.Editor.InsertTextW(c.text);
    else
      f.Editor.InsertText(c.text);
    EXPECT_EQ(Texts(), "xa/by");
    EXPECT_EQ(f.Data().GetItemParaNo(0), 0);
    EXPECT_EQ(f.Data().GetItemParaNo(1), 2) << "the new paragraph takes the current paragraph style";
    EXPECT_EQ(Caret(), std::make_pair(1, 2)) << "after the inserted text";
    ExpectUndoRedo(before, Dump());
  }
}

TEST_F(InsertionTest, TextEndingInALineBreakLeavesTheRestInANewParagraph) {
  StartInsideXY();
  f.Editor.InsertText("a\r\n\r\n");
  EXPECT_EQ(Texts(), "xa//y");
  EXPECT_EQ(Caret(), std::make_pair(2, 1));
}

TEST_F(InsertionTest, CaretBeforeLeavesTheCaretInFrontOfTheText) {
  StartInsideXY();
  f.Editor.InsertText("ab", true);
  EXPECT_EQ(Texts(), "xaby");
  EXPECT_EQ(Caret(), std::make_pair(0, 2));
}

TEST_F(InsertionTest, TabsBecomeTheSheetsSpaces) {
  f.Sheet.SpacesInTab = 3;
  StartInsideXY();
  f.Editor.InsertText("\t");
  EXPECT_EQ(Texts(), "x   y");
}

TEST_F(InsertionTest, TextOfAnotherStyleBecomesAnItemOfItsOwn) {
  StartInsideXY();
  f.Editor.SetCurTextStyleNo(3);
  f.Editor.InsertText("new");
  EXPECT_EQ(Texts(), "x|new|y");
  EXPECT_EQ(f.Data().GetItemStyleNo(1), 3);
  EXPECT_EQ(f.Data().GetItemStyleNo(2), 0);
}

TEST_F(InsertionTest, EveryNewParagraphOfAListGetsAMarker) {
  TRVListLevel* level = f.Sheet.ListStyles().AddStyle()->Levels().AddLevel();
  level->ListType = rvlstDecimal;
  f.Data().AddItem("", TRVMarkerItemInfo::CreateForList(&f.Data(), 0, 0, 1, false));
  f.AddText("onetwo", 0, -1, rvioJoinsPrevious);
  Format();
  const std::string before = Dump();
  PutCaret(1, 4);
  f.Editor.InsertText("A\r\nB\nC");
  EXPECT_EQ(Texts(), "|oneA/|B/|Ctwo");
  for (const int marker : {0, 2, 4}) EXPECT_EQ(f.Data().GetItemStyleNo(marker), rvsListMarker) << marker;
  EXPECT_EQ(Caret(), std::make_pair(5, 2));
  ExpectUndoRedo(before, Dump());
}

// ---- typing ----------------------------------------------------------------------------------

TEST_F(InsertionTest, TypingInAnotherStyleMakesAnItemThatFurtherTypingContinues) {
  f.AddText("abc", 0, 0);
  Format();
  const std::string before = Dump();
  PutCaret(0, 4);
  f.Editor.SetCurTextStyleNo(3);
  Type(u"x");
  EXPECT_EQ(Texts(), "abc|x");
  Type(u"yz");
  EXPECT_EQ(Texts(), "abc|xyz");
  EXPECT_EQ(f.Data().GetItemStyleNo(1), 3);
  EXPECT_EQ(Caret(), std::make_pair(1, 4));
  while (f.Editor.UndoAction() != rvutNone) f.Editor.Undo();
  EXPECT_EQ(Dump(), before);
}

TEST_F(InsertionTest, EveryTypedCharacterIsReportedOnce) {
  int changes = 0;
  f.Editor.OnChange = [&](TObject*) { ++changes; };
  f.AddText("abc", 0, 0);
  Format();
  PutCaret(0, 4);
  f.Editor.SetCurTextStyleNo(3);
  Type(u"x");
  EXPECT_EQ(changes, 1) << "a new item";
  Type(u"y");
  EXPECT_EQ(changes, 2) << "into the item";
  EXPECT_TRUE(f.Editor.Modified);
}

TEST_F(InsertionTest, TypingKeepsToTheProtectionOfTheStyle) {
  f.Sheet.TextStyles().Items(2)->Protection = rvprConcateProtect;
  f.Sheet.TextStyles().Items(3)->Protection = rvprModifyProtect;
  f.AddText("ab", 2, 0);
  f.AddText("fixed", 3, 1);
  Format();
  PutCaret(0, 3);
  Type(u"cd");
  EXPECT_EQ(Texts(), "ab|c|d/fixed") << "text that may not be joined gets a new item per character";

  const std::string before = Dump();
  PutCaret(3, 3);
  Type(u"x");
  EXPECT_EQ(Dump(), before) << "nothing is typed inside modify-protected text";
  PutCaret(3, 6);
  Type(u"x");
  EXPECT_EQ(Texts(), "ab|c|d/fixed|x") << "at its end a new item is made";
}

TEST_F(InsertionTest, TypingIntoAnEmptyItemGivesItTheCurrentParagraphStyle) {
  f.AddText("", 0, 0);
  Format();
  PutCaret(0, 1);
  f.Editor.SetCurParaStyleNo(1);
  Type(u"a");
  EXPECT_EQ(Texts(), "a");
  EXPECT_EQ(f.Data().GetItemParaNo(0), 1);
}

TEST_F(InsertionTest, TypingIntoAUnicodeStyleStoresUtf16) {
  f.AddText(std::string("a\0", 2), 1, 0);
  Format();
  PutCaret(0, 2);
  Type(u"\u00e9");
  EXPECT_EQ(f.Data().GetItemText(0), std::string("a\0\xe9\0", 4));
  EXPECT_EQ(Caret(), std::make_pair(0, 3));
}

// ---- streams and pictures ----------------------------------------------------------------------

TEST_F(InsertionTest, RVFFromAnotherDocumentComesInAtTheCaret) {
  TRVViewer source;
  source.SetStyle(&f.Sheet);
  source.AddTextLineWithTag(u"one", 0, 0, 0);
  source.AddTextLineWithTag(u"two", 3, 1, 0);
  TMemoryStream rvf;
  TColor color = clNone;
  ASSERT_TRUE(source.RVData().SaveRVFToStream(rvf, false, color, nullptr, nullptr));

  f.AddText("ab", 0, 0);
  Format();
  const std::string before = Dump();
  PutCaret(0, 3);
  rvf.SetPosition(0);
  EXPECT_TRUE(f.Editor.InsertRVFFromStream(rvf));
  EXPECT_EQ(AllText(), "abonetwo");
  const int last = f.Data().GetItemCount() - 1;
  EXPECT_EQ(f.Data().GetItemText(last), "two");
  EXPECT_EQ(f.Data().GetItemStyleNo(last), 3);
  EXPECT_TRUE(f.Data().StartsParagraph(last));
  EXPECT_EQ(Caret(), std::make_pair(last, 4)) << "after the new items";
  ExpectUndoRedo(before, Dump());
}

TEST_F(InsertionTest, BrokenRVFAnswersFalseAndKeepsTheDocumentUsable) {
  f.AddText("ab", 0, 0);
  Format();
  PutCaret(0, 2);
  TMemoryStream rvf;
  const std::string garbage = "-8 1 0 0 0 0\r\nnot a picture\r\n";
  rvf.WriteBuffer(garbage.data(), static_cast<int>(garbage.size()));
  rvf.SetPosition(0);
  EXPECT_FALSE(f.Editor.InsertRVFFromStream(rvf));
  EXPECT_EQ(f.Data().GetItemText(0), "ab");
  Type(u"c");
  EXPECT_EQ(f.Data().GetItemText(0), "acb");
}

TEST_F(InsertionTest, RTFComesInAtTheCaretAndAnEmptyStreamChangesNothing) {
  f.AddText("ab", 0, 0);
  Format();
  PutCaret(0, 3);
  const std::string before = Dump();
  TMemoryStream empty;
  EXPECT_TRUE(f.Editor.InsertRTFFromStream(empty));
  EXPECT_EQ(Dump(), before);

  const std::string rtf = "{\\rtf1\\ansi XY}";
  TMemoryStream stream;
  stream.WriteBuffer(rtf.data(), static_cast<int>(rtf.size()));
  stream.SetPosition(0);
  EXPECT_TRUE(f.Editor.InsertRTFFromStream(stream));
  EXPECT_EQ(AllText(), "abXY");
  while (f.Editor.UndoAction() != rvutNone) f.Editor.Undo();
  EXPECT_EQ(Dump(), before);
}

TEST_F(InsertionTest, PictureWiderThanTheDocumentWidensIt) {
  f.AddText("ab", 0, 0);
  Format();
  ASSERT_LT(f.Data().DocumentWidth, 1000);
  PutCaret(0, 3);
  auto bitmap = std::make_unique<TBitmap>();
  bitmap->SetSize(1200, 10);
  f.Editor.InsertPicture("wide", std::move(bitmap), 0);
  EXPECT_GE(f.Data().DocumentWidth, 1200) << "the whole document was laid out again";
  EXPECT_EQ(Caret(), std::make_pair(1, 1));
}

}  // namespace
