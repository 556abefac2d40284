// Pasting and cutting in a formatted editor: which format wins, UTF-16 against 8-bit text,
// RVF blocks, cutting through the message loop, and undo putting the document back.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "platform/core/Streams.h"
#include "platform/graphics/Bitmap.h"
#include "platform/graphics/Metafile.h"
#include "platform/graphics/MetafileCanvas.h"
#include "platform/gui/Clipbrd.h"
#include "platform/gui/Messaging.h"
#include "richtext/core/RVStyle.h"
#include "richtext/editor/EditorTestSupport.h"

namespace {

using editortest::TEditorFixture;

class EditorPasteTest : public ::testing::Test, protected TEditorFixture {
 protected:
  void SetUp() override {
    Clipboard().Clear();
    TFontInfo* unicode = Sheet.TextStyles().AddStyle();
    unicode->Unicode = true;
    unicodeStyle = Sheet.TextStyles().Count() - 1;
    Editor.SetBounds(0, 0, 300, 200);
    Editor.AddTextLineWithTag(u"hello world", 0, 0, 0);
    Editor.Format();
    Editor.SetSelectionBounds(0, 12, 0, 12);  // the caret at the end
  }
  /// The document as text (UTF-16 items read as such), paragraphs separated by "|".
  std::string Text() {
    std::string out;
    for (int i = 0; i < Editor.GetItemCount(); ++i) {
      if (i > 0 && Data().StartsParagraph(i)) out += "|";
      const std::u16string wide = Data().GetItemTextW(i);
      for (char16_t c : wide) out += c < 128 ? static_cast<char>(c) : '?';
    }
    return out;
  }
  /// The RVF of a one-line document with Text, with its length in front as the clipboard
  /// holds it.
  std::vector<uint8_t> RVFBlockOf(const std::u16string& Text) {
    TRVEdit source;
    source.SetStyle(&Sheet);
    source.AddTextLineWithTag(Text, 0, 0, 0);
    return editortest::RVFClipboardBlock(source);
  }
  /// 8-bit and UTF-16 text of different content on the clipboard at once.
  static void PutBothTexts() {
    TClipboard& c = Clipboard();
    c.Open();
    c.SetAsText(" ansi");
    c.SetUnicodeText(u" wide");
    c.Close();
  }
  static uint32_t RVF() { return RegisterClipboardFormat("RV Format"); }
  static uint32_t RTF() { return RegisterClipboardFormat("Rich Text Format"); }

  int unicodeStyle = 0;
};

TEST_F(EditorPasteTest, RVFWinsOverRTFAndText) {
  TClipboard& c = Clipboard();
  c.Open();
  c.SetBuffer(RVF(), RVFBlockOf(u" rvf"));
  const std::string rtf = "{\\rtf1 rtf}";
  c.SetBuffer(RTF(), {reinterpret_cast<const uint8_t*>(rtf.data()), rtf.size()});
  c.SetAsText(" text");
  c.Close();
  Editor.Paste();
  EXPECT_EQ(Text(), "hello world rvf");
  EXPECT_TRUE(Editor.Modified);
  SendMessage(&Editor, WM_UNDO);
  EXPECT_EQ(Text(), "hello world");
}

TEST_F(EditorPasteTest, RVFPastedIntoAClearedDocumentIsTheDocument) {
  Clipboard().SetBuffer(RVF(), RVFBlockOf(u"pasted"));
  Editor.Clear();
  Editor.Paste();
  EXPECT_EQ(Text(), "pasted");
  EXPECT_EQ(Editor.UndoAction(), rvutInsert);
}

TEST_F(EditorPasteTest, RVFBlockIsCutToItsLength) {
  std::vector<uint8_t> block = RVFBlockOf(u" rvf");
  const std::string junk = "\r\n-1 1 0 0 0 0\r\nnot part of it\r\n";
  block.insert(block.end(), junk.begin(), junk.end());
  Clipboard().SetBuffer(RVF(), block);
  Editor.PasteRVF();
  EXPECT_EQ(Text(), "hello world rvf");
}

TEST_F(EditorPasteTest, PlainStyleTakesTheEightBitText) {
  PutBothTexts();
  Editor.Paste();
  EXPECT_EQ(Text(), "hello world ansi");
}

TEST_F(EditorPasteTest, UnicodeStyleTakesTheUTF16Text) {
  PutBothTexts();
  Editor.SetCurTextStyleNo(unicodeStyle);
  Editor.Paste();
  EXPECT_EQ(Text(), "hello world wide");
}

TEST_F(EditorPasteTest, UTF16TextEndsAtItsNull) {
  Clipboard().SetUnicodeText(std::u16string(u" ab\0cd", 6));
  Editor.SetCurTextStyleNo(unicodeStyle);
  Editor.PasteTextW();
  EXPECT_EQ(Text(), "hello world ab");
}

TEST_F(EditorPasteTest, PastedLinesBecomeParagraphs) {
  Clipboard().SetAsText("A\r\nB\nC");
  SendMessage(&Editor, WM_PASTE);
  EXPECT_EQ(Text(), "hello worldA|B|C");
  SendMessage(&Editor, WM_UNDO);
  EXPECT_EQ(Text(), "hello world");
}

TEST_F(EditorPasteTest, PasteShortcutIsPostedAndReplacesTheSelection) {
  Clipboard().SetAsText("there");
  Editor.SetSelectionBounds(0, 7, 0, 12);
  uint16_t key = 'V';
  Editor.KeyDown(key, ssCtrl);
  editortest::App().ProcessMessages();
  EXPECT_EQ(Text(), "hello there");
}

TEST_F(EditorPasteTest, CutCopiesThenDeletes) {
  Editor.Options |= rvoAutoCopyText;
  Editor.SetSelectionBounds(0, 1, 0, 7);
  uint16_t key = 'X';
  Editor.KeyDown(key, ssCtrl);
  editortest::App().ProcessMessages();
  EXPECT_EQ(Text(), "world");
  EXPECT_EQ(Clipboard().AsText(), "hello ");
  SendMessage(&Editor, WM_UNDO);
  EXPECT_EQ(Text(), "hello world");
}

TEST_F(EditorPasteTest, PastedBitmapBecomesAPicture) {
  TBitmap bitmap;
  bitmap.SetSize(16, 8);
  Clipboard().SetPicture(bitmap);
  Editor.Paste();
  ASSERT_EQ(Editor.GetItemCount(), 2);
  EXPECT_EQ(Data().GetItemStyleNo(1), rvsPicture);
  ASSERT_NE(Data().GetItem(1)->GetItemPicture(), nullptr);
  EXPECT_EQ(Data().GetItem(1)->GetItemPicture()->Width(), 16);
}

}  // namespace

namespace {

TEST_F(EditorPasteTest, PastedWordGoesIntoTheMiddleOfAWord) {
  Clipboard().SetBuffer(RegisterClipboardFormat("RV Format"), RVFBlockOf(u"XY"));
  Editor.SetSelectionBounds(0, 3, 0, 3);
  Editor.Paste();
  EXPECT_EQ(Text(), "heXYllo world");
  SendMessage(&Editor, WM_UNDO);
  EXPECT_EQ(Text(), "hello world");
  EXPECT_EQ(Editor.GetItemCount(), 1);
  SendMessage(&Editor, EM_REDO);
  EXPECT_EQ(Text(), "heXYllo world");
}

}  // namespace

namespace {

TEST_F(EditorPasteTest, PastedMetafileKeepsItsSize) {
  TMetafile meta;
  meta.SetEnhanced(true);
  meta.SetWidth(48);
  meta.SetHeight(24);
  {
    TMetafileCanvas canvas(meta);
    canvas.Rectangle(0, 0, 40, 20);
  }
  TMemoryStream bytes;
  meta.SaveToStream(bytes);
  TClipboard& c = Clipboard();
  c.Open();
  c.SetBuffer(CF_METAFILEPICT, bytes.Bytes());
  c.SetAsText("picture name");
  c.Close();
  EXPECT_EQ(SendMessage(&Editor, EM_CANPASTE, CF_METAFILEPICT), 1);
  Editor.PasteMetafile(true);
  ASSERT_EQ(Editor.GetItemCount(), 2);
  EXPECT_EQ(Data().GetItemStyleNo(1), rvsPicture);
  EXPECT_EQ(Data().GetItemText(1), "picture name");
  int32_t width = 0, height = 0;
  ASSERT_TRUE(Data().GetItemIntProperty(1, rvipImageWidth, width));
  ASSERT_TRUE(Data().GetItemIntProperty(1, rvipImageHeight, height));
  EXPECT_EQ(width, 48);
  EXPECT_EQ(height, 24);
}

TEST_F(EditorPasteTest, MetafileThatCannotBeReadIsNotPasted) {
  const std::vector<uint8_t> junk = {1, 2, 3, 4, 5};
  Clipboard().SetBuffer(CF_METAFILEPICT, junk);
  EXPECT_NO_THROW(Editor.Paste());
  EXPECT_EQ(Text(), "hello world");
}

}  // namespace
