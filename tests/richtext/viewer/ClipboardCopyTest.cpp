// Copying a selection to the clipboard: which formats each option set writes, the RVF block
// with its length in front, UTF-16 text with its terminator, the picture of a selection of
// one picture, and RTF that an office suite reads.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "FormattedDataSupport.h"
#include "platform/core/Streams.h"
#include "platform/graphics/Bitmap.h"
#include "platform/gui/Clipbrd.h"
#include "richtext/core/RVStyle.h"

namespace {

using viewertest::TFixedPitchData;

/// A document whose OnCopy handler, when wanted, puts a format of its own on the clipboard.
class TCopyData : public TFixedPitchData {
 public:
  bool HasOnCopy() const override { return onCopy; }
  void DoCopy() override {
    ++copies;
    if (!onCopy) return;
    const std::string mark = "from the handler";
    Clipboard().SetBuffer(RegisterClipboardFormat("Handler Format"),
                          {reinterpret_cast<const uint8_t*>(mark.data()), mark.size()});
    if (throwInHandler) throw Exception("handler failed");
  }
  bool onCopy = false;
  bool throwInHandler = false;
  int copies = 0;
};

uint32_t RVFFormat() {
  return RegisterClipboardFormat("RV Format");
}
uint32_t RTFFormat() {
  return RegisterClipboardFormat("Rich Text Format");
}
uint32_t SentinelFormat() {
  return RegisterClipboardFormat("Sentinel");
}

/// The formats on the clipboard, in a fixed order, as short names.
std::string FormatsOnClipboard() {
  TClipboard& c = Clipboard();
  std::string out;
  auto add = [&](bool has, const char* name) {
    if (has) out += (out.empty() ? "" : " ") + std::string(name);
  };
  add(c.HasFormat(SentinelFormat()), "sentinel");
  add(c.HasFormat(RegisterClipboardFormat("Handler Format")), "handler");
  add(c.HasFormat(RVFFormat()), "rvf");
  add(c.HasFormat(CF_TEXT), "text");
  add(c.HasFormat(CF_BITMAP), "picture");
  add(c.HasFormat(RTFFormat()), "rtf");
  return out;
}

std::string AsString(const std::vector<uint8_t>& bytes) {
  return std::string(bytes.begin(), bytes.end());
}

class ClipboardCopyTest : public ::testing::Test {
 protected:
  void SetUp() override {
    style.TextStyles().Items(2)->Unicode = true;
    data.SetRVStyle(&style);
    data.width = 310;
    data.AddTextItem("first line", 0, 0);
    data.AddWideTextItem(u"\u0434\u0430 \u043d\u0435\u0442", 2, 0, TRVTag());
    data.Format(true);
  }
  /// Puts only the sentinel format on the clipboard.
  static void PutSentinel() {
    const uint8_t byte = 1;
    Clipboard().Clear();
    Clipboard().SetBuffer(SentinelFormat(), {&byte, 1});
  }

  TRVStyle style;
  TCopyData data;
};

TEST_F(ClipboardCopyTest, OptionsChooseTheFormats) {
  struct Case {
    TRVOptions options;
    bool onCopy;
    bool select;
    bool result;
    const char* formats;
  };
  const std::vector<Case> cases = {
      {0, false, true, false, "sentinel"},
      {rvoAutoCopyText, false, false, true, "sentinel"},
      {0, true, false, true, "sentinel"},
      {0, true, true, true, "handler"},
      {rvoAutoCopyRVF, false, true, true, "rvf"},
      {rvoAutoCopyText, false, true, true, "text"},
      {rvoAutoCopyUnicodeText, false, true, true, "text"},
      {rvoAutoCopyRTF, false, true, true, "rtf"},
      {rvoAutoCopyImage, false, true, true, ""},
      {rvoAutoCopyText | rvoAutoCopyRVF | rvoAutoCopyImage | rvoAutoCopyRTF, true, true, true,
       "handler rvf text rtf"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << "options " << c.options << (c.onCopy ? " with" : " without")
                                    << " a handler" << (c.select ? "" : ", nothing selected"));
    data.SetOptions(c.options);
    data.onCopy = c.onCopy;
    data.Deselect(nullptr, false);
    if (c.select) data.SetSelectionBounds(0, 1, 1, 3);
    PutSentinel();
    EXPECT_EQ(data.CopyDefault(clNone, nullptr), c.result);
    EXPECT_EQ(FormatsOnClipboard(), c.formats);
  }
}

TEST_F(ClipboardCopyTest, RVFBlockStartsWithItsLength) {
  data.SetOptions(rvoAutoCopyRVF);
  data.SetSelectionBounds(0, 7, 0, 11);
  ASSERT_TRUE(data.CopyDefault(clNone, nullptr));
  const std::vector<uint8_t> block = Clipboard().GetBuffer(RVFFormat());
  ASSERT_GT(block.size(), 4u);
  const uint32_t length =
      block[0] | (block[1] << 8) | (block[2] << 16) | (static_cast<uint32_t>(block[3]) << 24);
  EXPECT_EQ(length, block.size() - 4);
  TMemoryStream selection;
  ASSERT_TRUE(data.SaveRVFToStream(selection, true, clNone, nullptr, nullptr));
  EXPECT_EQ(AsString(block).substr(4), selection.DataString());

  // What follows the length reads back as the selected text alone.
  TCopyData pasted;
  pasted.SetRVStyle(&style);
  TMemoryStream rvf(AsString(block).substr(4));
  TColor color = clNone;
  ASSERT_TRUE(pasted.LoadRVFFromStream(rvf, color, nullptr, nullptr));
  ASSERT_EQ(pasted.GetItemCount(), 1);
  EXPECT_EQ(pasted.GetItemText(0), "line");
}

TEST_F(ClipboardCopyTest, UnicodeTextEndsWithTwoZeroBytes) {
  data.SetOptions(rvoAutoCopyUnicodeText | rvoAutoCopyText);
  data.SetSelectionBounds(1, 4, 1, 6);
  ASSERT_TRUE(data.CopyDefault(clNone, nullptr));
  const std::vector<uint8_t> block = Clipboard().GetBuffer(CF_UNICODETEXT);
  EXPECT_EQ(AsString(block), std::string("\x3d\x04\x35\x04\0\0", 6));
  EXPECT_EQ(Clipboard().UnicodeText(), u"\u043d\u0435");

  data.SetSelectionBounds(0, 1, 1, 3);
  ASSERT_TRUE(data.CopyDefault(clNone, nullptr));
  EXPECT_EQ(Clipboard().UnicodeText(), u"first line\r\n\u0434\u0430") << "lines end with CR LF";
}

TEST_F(ClipboardCopyTest, EightBitTextIsZeroTerminated) {
  data.SetOptions(rvoAutoCopyText);
  data.SetSelectionBounds(0, 1, 0, 6);
  ASSERT_TRUE(data.CopyDefault(clNone, nullptr));
  EXPECT_EQ(AsString(Clipboard().GetBuffer(CF_TEXT)), std::string("first\0", 6));
}

TEST_F(ClipboardCopyTest, OnlyASelectionOfOnePictureGivesAPicture) {
  data.Clear();
  data.AddTextItem("ab", 0, 0);
  auto picture = std::make_unique<TBitmap>();
  picture->SetSize(6, 4);
  picture->Canvas().Brush().SetColor(clRed);
  picture->Canvas().FillRect(Rect(0, 0, 6, 4));
  data.AddPictureItem("", std::move(picture), -1, 0, TRVTag());
  data.AddTextItem("cd", 0, -1);
  data.Format(true);
  struct Case {
    int s, so, e, eo;
    bool picture;
  };
  const std::vector<Case> cases = {
      {1, 0, 1, 1, true},   // the picture alone
      {0, 3, 2, 1, true},   // from the end of the text before to the start of the text after
      {0, 3, 1, 1, true},   // from the end of the text before to the end of the picture
      {1, 0, 2, 1, true},   // from the start of the picture to the start of the text after
      {0, 2, 1, 1, false},  // one letter before it too
      {1, 0, 2, 2, false},  // one letter after it too
      {0, 1, 2, 3, false},  // everything
      {1, 1, 2, 2, false},  // only a letter after it
  };
  for (const Case& c : cases) {
    data.SetSelectionBounds(c.s, c.so, c.e, c.eo);
    EXPECT_EQ(data.GetSelectedImage() != nullptr, c.picture)
        << c.s << ":" << c.so << "-" << c.e << ":" << c.eo;
  }
  data.SetOptions(rvoAutoCopyImage | rvoAutoCopyText);
  data.SetSelectionBounds(0, 3, 2, 1);
  ASSERT_TRUE(data.CopyDefault(clNone, nullptr));
  const std::unique_ptr<TBitmap> copied = Clipboard().Picture();
  ASSERT_NE(copied, nullptr);
  EXPECT_EQ(copied->Width(), 6);
  EXPECT_EQ(copied->Canvas().Pixel(2, 2), clRed);
  EXPECT_TRUE(Clipboard().HasFormat(CF_TEXT));
}

TEST_F(ClipboardCopyTest, ClipboardIsClosedWhenTheHandlerFails) {
  data.SetOptions(rvoAutoCopyText);
  data.onCopy = true;
  data.throwInHandler = true;
  data.SetSelectionBounds(0, 1, 0, 6);
  PutSentinel();
  EXPECT_THROW(data.CopyDefault(clNone, nullptr), Exception);
  // A clipboard left open would keep what follows to itself; closed, the next copy lands.
  data.throwInHandler = false;
  data.onCopy = false;
  ASSERT_TRUE(data.CopyDefault(clNone, nullptr));
  EXPECT_EQ(FormatsOnClipboard(), "text");
  EXPECT_EQ(Clipboard().AsText(), "first");
}

TEST_F(ClipboardCopyTest, ViewerCopiesOnTheCopyMessage) {
  TRVViewer viewer;
  viewer.SetStyle(&style);
  viewer.AddTextLineWithTag(u"copied words", 0, 0, 0);
  viewer.Format();
  PutSentinel();
  viewer.Perform(WM_COPY);
  EXPECT_EQ(FormatsOnClipboard(), "sentinel") << "nothing selected";
  viewer.SetSelectionBounds(0, 8, 0, 13);
  viewer.Perform(WM_COPY);
  EXPECT_EQ(FormatsOnClipboard(), "rvf text rtf") << "the viewer's default formats";
  EXPECT_EQ(Clipboard().AsText(), "words");
}

/// The text LibreOffice reads from RTF (empty when it could not convert); skipped by the
/// caller when LibreOffice is absent.
std::string TextThroughOffice(const std::string& rtf) {
  char dirName[] = "/tmp/rvcopyrtfXXXXXX";
  if (mkdtemp(dirName) == nullptr) return std::string();
  const std::string dir = dirName;
  std::ofstream(dir + "/copy.rtf", std::ios::binary) << rtf;
  const std::string command = "cd " + dir + " && HOME=" + dir +
                              " timeout 180 /usr/bin/soffice -env:UserInstallation=file://" + dir +
                              "/profile --headless --convert-to 'txt:Text (encoded):UTF8' --outdir " + dir +
                              "/out " + dir + "/copy.rtf >/dev/null 2>&1";
  const int status = std::system(command.c_str());
  (void)status;
  std::ifstream in(dir + "/out/copy.txt", std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  std::error_code ec;
  std::filesystem::remove_all(dir, ec);
  return text.str();
}

TEST_F(ClipboardCopyTest, OfficeSuiteReadsTheCopiedRTF) {
  data.SetOptions(rvoAutoCopyRTF);
  data.SetSelectionBounds(0, 7, 1, 3);
  ASSERT_TRUE(data.CopyDefault(clNone, nullptr));
  const std::string rtf = AsString(Clipboard().GetBuffer(RTFFormat()));
  ASSERT_EQ(rtf.rfind("{\\rtf1", 0), 0u) << rtf;
  if (access("/usr/bin/soffice", X_OK) != 0) GTEST_SKIP() << "LibreOffice (soffice) is not installed";
  std::string text = TextThroughOffice(rtf);
  ASSERT_FALSE(text.empty()) << "LibreOffice did not convert the RTF";
  if (text.rfind("\xEF\xBB\xBF", 0) == 0) text = text.substr(3);
  EXPECT_EQ(text, "line\n\xD0\xB4\xD0\xB0\n") << "the selection, and only the selection";
}

}  // namespace
