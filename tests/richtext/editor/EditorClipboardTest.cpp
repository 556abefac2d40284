// The editor's clipboard side that stands without insertion: the folder of an HTML source
// address, what EM_CANPASTE and CanPaste answer, an OnPaste handler that cancels, and RVF
// blocks whose length does not fit.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "platform/gui/Clipbrd.h"
#include "platform/gui/Messaging.h"
#include "richtext/editor/EditorTestSupport.h"

namespace {

using editortest::TEditorFixture;

TEST(HTMLSourceFolderTest, FolderOfTheSourceAddress) {
  struct Case {
    const char* block;
    const char* folder;
  };
  const Case cases[] = {
      {"Version:0.9\r\nSourceURL:file:///home/ann/pages/index.html\r\n<html>", "/home/ann/pages/"},
      {"SourceURL:FILE:///tmp/a.html", "/tmp/"},
      {"SourceURL:file:///home/ann/my%20pages/x.html\n", "/home/ann/my pages/"},
      {"SourceURL:http://example.com/dir/page.html\r\n", "http://example.com/dir/"},
      {"SourceURL:https://example.com/a/b/c?x=1", "https://example.com/a/b/"},
      {"SourceURL:http://example.com", "http://example.com/"},
      {"SourceURL:/srv/www/page.html", "/srv/www/"},
      {"SourceURL:page.html", ""},
      {"SourceURL:", ""},
      {"Version:0.9\r\nStartHTML:10\r\n", ""},
      {"", ""},
  };
  for (const Case& c : cases) EXPECT_EQ(RVHTMLSourceFolder(c.block), c.folder) << c.block;
}

TEST(HTMLSourceFolderTest, AddressEndsAtNullOrLineEnd) {
  const std::string block("SourceURL:file:///a/b.html\0/c/d.html", 36);
  EXPECT_EQ(RVHTMLSourceFolder(block), "/a/");
  EXPECT_EQ(RVHTMLSourceFolder("SourceURL:file:///x/y.html\r/z/w.html"), "/x/");
  EXPECT_EQ(RVHTMLSourceFolder("SourceURL:file:///p/q.html\nSourceURL:file:///r/s.html"), "/p/")
      << "the first source counts";
}

class EditorClipboardTest : public ::testing::Test, protected TEditorFixture {
 protected:
  void SetUp() override {
    Clipboard().Clear();
    Editor.AddTextLineWithTag(u"kept", 0, 0, 0);
  }
  static uint32_t RVF() { return RegisterClipboardFormat("RV Format"); }
  static uint32_t RTF() { return RegisterClipboardFormat("Rich Text Format"); }
  static void PutBlock(uint32_t Format, const std::vector<uint8_t>& Block) {
    Clipboard().SetBuffer(Format, Block);
  }
  /// An RVF block whose length field says Length, followed by Body.
  static std::vector<uint8_t> RVFBlock(int32_t Length, const std::string& Body) {
    std::vector<uint8_t> block(4);
    std::memcpy(block.data(), &Length, 4);
    block.insert(block.end(), Body.begin(), Body.end());
    return block;
  }
  void ExpectUnchanged() {
    ASSERT_EQ(Editor.GetItemCount(), 1);
    EXPECT_EQ(Data().GetItemText(0), "kept");
    EXPECT_FALSE(Editor.Modified);
  }
};

TEST_F(EditorClipboardTest, CanPasteNamesTheFormatsTheEditorReads) {
  EXPECT_FALSE(Editor.CanPaste());
  PutBlock(RegisterClipboardFormat("Other Format"), {1, 2, 3});
  EXPECT_FALSE(Editor.CanPaste());
  PutBlock(RTF(), {'{', '}'});
  EXPECT_TRUE(Editor.CanPaste());
  EXPECT_TRUE(Editor.CanPasteRTF());
  EXPECT_FALSE(Editor.CanPasteRVF());
  Clipboard().Clear();
  Clipboard().SetAsText("text");
  EXPECT_TRUE(Editor.CanPaste());
}

TEST_F(EditorClipboardTest, CanPasteMessageAnswersByFormat) {
  Clipboard().SetAsText("text");
  EXPECT_EQ(SendMessage(&Editor, EM_CANPASTE, 0), 1);
  EXPECT_EQ(SendMessage(&Editor, EM_CANPASTE, CF_TEXT), 1);
  EXPECT_EQ(SendMessage(&Editor, EM_CANPASTE, CF_UNICODETEXT), 1);
  EXPECT_EQ(SendMessage(&Editor, EM_CANPASTE, CF_BITMAP), 0);
  EXPECT_EQ(SendMessage(&Editor, EM_CANPASTE, RVF()), 0);
  EXPECT_EQ(SendMessage(&Editor, EM_CANPASTE, RegisterClipboardFormat("Other Format")), 0);
  PutBlock(RVF(), RVFBlock(0, ""));
  EXPECT_EQ(SendMessage(&Editor, EM_CANPASTE, RVF()), 1);
  Editor.SetReadOnly(true);
  EXPECT_EQ(SendMessage(&Editor, EM_CANPASTE, RVF()), 0);
  EXPECT_EQ(SendMessage(&Editor, EM_CANPASTE, 0), 0);
}

TEST_F(EditorClipboardTest, PasteHandlerThatClearsDoDefaultPastesNothing) {
  Clipboard().SetAsText("pasted");
  int calls = 0;
  Editor.OnPaste = [&](TCustomRVEdit* Sender, bool& DoDefault) {
    EXPECT_EQ(Sender, &Editor);
    EXPECT_TRUE(DoDefault);
    DoDefault = false;
    ++calls;
  };
  Editor.Paste();
  EXPECT_EQ(calls, 1);
  ExpectUnchanged();
}

TEST_F(EditorClipboardTest, RefusedChangeDoesNotAskThePasteHandler) {
  Clipboard().SetAsText("pasted");
  int calls = 0;
  Editor.OnPaste = [&](TCustomRVEdit*, bool&) { ++calls; };
  Editor.OnChanging = [](TCustomRVEdit*, bool& CanEdit) { CanEdit = false; };
  SendMessage(&Editor, WM_PASTE);
  EXPECT_EQ(calls, 0);
  ExpectUnchanged();
}

TEST_F(EditorClipboardTest, RVFBlockWhoseLengthDoesNotFitIsRefused) {
  const std::string body = "-8 1 0 0 0 0\r\n";
  for (int32_t length : {-1, static_cast<int32_t>(body.size()) + 1, INT32_MAX}) {
    PutBlock(RVF(), RVFBlock(length, body));
    EXPECT_NO_THROW(Editor.Paste()) << length;
    ExpectUnchanged();
  }
  PutBlock(RVF(), {1, 0});  // not even a length
  EXPECT_NO_THROW(Editor.PasteRVF());
  ExpectUnchanged();
}

TEST_F(EditorClipboardTest, PastingAnAbsentFormatDoesNothing) {
  Editor.PasteRVF();
  Editor.PasteRTF();
  Editor.PasteText();
  Editor.PasteTextW();
  Editor.PasteBitmap(true);
  Editor.PasteMetafile(true);
  ExpectUnchanged();
  EXPECT_EQ(Editor.GetHTMLSourceURL(), "");
}

TEST_F(EditorClipboardTest, SourceAddressComesFromTheHTMLBlock) {
  const std::string html = "Version:0.9\r\nSourceURL:http://example.com/docs/a.html\r\n<html></html>";
  PutBlock(RegisterClipboardFormat("HTML Format"), std::vector<uint8_t>(html.begin(), html.end()));
  EXPECT_EQ(Editor.GetHTMLSourceURL(), "http://example.com/docs/");
}

}  // namespace
