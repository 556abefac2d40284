// What word processors make of exported RTF: LibreOffice converts every document (one run to
// text, one to PDF) and the tests look at the text it kept and at the size its pages show the
// pictures at (pdfimages); unrtf, a strict reader, reads the documents as well.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <map>
#include <set>

#include "ConsumerTestSupport.h"
#include "RTFTestSupport.h"
#include "platform/core/CodePages.h"
#include "platform/graphics/ImageList.h"
#include "richtext/core/RVNonTextItems.h"

using namespace consumertest;
using namespace htmltest;
using namespace rtftest;

namespace {

const std::string kRussian1251 = "\xCF\xF0\xE8\xE2\xE5\xF2";  // "Привет"
const std::string kRussianUTF8 = "\xD0\x9F\xD1\x80\xD0\xB8\xD0\xB2\xD0\xB5\xD1\x82";
const std::string kJapanese932 = "\x83\x5C\x95\x5C\x89\x7B\x8A\x7D";  // "ソ表閲笠"
const std::string kJapaneseUTF8 = "\xE3\x82\xBD\xE8\xA1\xA8\xE9\x96\xB2\xE7\xAC\xA0";
const char* const kNoOffice = "LibreOffice is not installed (Debian package libreoffice-writer-nogui)";

/// A sheet of the plain text style plus a raised and a lowered one (styles 1 and 2).
std::unique_ptr<TRVStyle> ShiftedSheet() {
  auto style = PlainSheet();
  style->TextStyles().AddStyle()->VShift = 40;
  style->TextStyles().AddStyle()->VShift = -30;
  return style;
}

class RTFInOfficeTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    folder_ = new TTempFolder();
    WriteDocuments();
  }

  static void TearDownTestSuite() {
    delete folder_;
    folder_ = nullptr;
    documents_.clear();
    converted_.clear();
  }

  /// Has LibreOffice convert every document to `kind` ("txt" or "pdf") into the folder of
  /// that name, once per test program.
  static void ConvertAll(const std::string& kind) {
    if (converted_.count(kind)) return;
    std::vector<std::string> files;
    for (const auto& [name, rtf] : documents_) files.push_back(folder_->Path() + name + ".rtf");
    const std::string format = kind == "txt" ? "txt:Text (encoded):UTF8" : kind;
    converted_.insert(kind);
    ConvertWithOffice(files, format, folder_->Path() + kind, folder_->Path() + "office-profile");
  }

  static void WriteDocuments() {
    {  // a picture of each kind the writer makes, each 48 x 24 pixels, and a 16 x 16 bullet
      auto style = PlainSheet();
      TRTFData data;
      data.SetRVStyle(style.get());
      data.SetRTFOptions(rvrtfSaveJpegAsJpeg);
      data.AddPictureItem("bitmap", SolidBitmap(48, 24, clRed), 0, 0, TRVTag());
      data.AddPictureItem("jpeg", SolidJPEG(48, 24, clBlue), 0, 0, TRVTag());
      TImageList images;
      images.SetSize(16, 16);
      images.Add(SolidBitmap(16, 16, clGreen).get(), nullptr);
      data.AddItem("", TRVBulletItemInfo::CreateEx(&data, &images, 0, 0));
      Keep("pictures", data);
      data.SetRTFOptions(0);  // the JPEG drawn into a Windows metafile
      Keep("drawn-pictures", data);
      data.SetRTFOptions(rvrtfSaveEMFDefault);
      Keep("enhanced-pictures", data);
    }
    {
      auto style = ShiftedSheet();
      TRTFData data;
      data.SetRVStyle(style.get());
      data.AddTextItem("Before ", 0, 0);
      data.AddTextItem("up", 1, -1);
      data.AddTextItem(" after", 0, -1);
      data.AddTextItem("Second ", 0, 0);
      data.AddTextItem("down", 2, -1);
      data.AddTextItem("Third ends ", 0, 0);
      data.AddTextItem("raised", 1, -1);
      data.AddTextItem("Fourth", 0, 0);
      Keep("shifted", data);
    }
    {  // 8-bit text in the ANSI code page, and Unicode text with 8-bit duplicates
      const uint32_t saved = GetACP();
      SetACP(1251);
      auto style = PlainSheet();
      style->DefCodePage = 0;
      style->TextStyles()[0].Charset = DEFAULT_CHARSET;
      style->TextStyles().AddStyle()->Unicode = true;
      style->TextStyles()[1].Charset = DEFAULT_CHARSET;
      TRTFData data;
      data.SetRVStyle(style.get());
      data.AddTextItem(kRussian1251, 0, 0);
      data.AddTextItem(RVAnsiToUnicode(1251, kRussian1251), 1, 0);
      Keep("ansi-code-page", data);
      SetACP(saved);
    }
    {
      auto style = PlainSheet();
      TRTFData data;
      data.SetRVStyle(style.get());
      Keep("empty", data);
    }
    {  // a list level that shows no label; Japanese whose second bytes look like "\", "{" and "}"
      auto style = PlainSheet();
      style->ListStyles().AddStyle()->Levels().AddLevel()->FormatString.clear();
      TRTFData data;
      data.SetRVStyle(style.get());
      AddMarker(data, 0, 0);
      AddJoined(data, "Heading", 0);
      Keep("no-label", data);
      data.Clear();
      style->TextStyles()[0].Charset = SHIFTJIS_CHARSET;
      data.AddTextItem(kJapanese932, 0, 0);
      Keep("double-byte", data);
    }
  }

  static void Keep(const std::string& name, TCustomRVData& data) {
    bool ok = false;
    documents_[name] = SaveRTF(data, clWindow, &ok);
    EXPECT_TRUE(ok) << name;
    WriteBytes(folder_->Path() + name + ".rtf", documents_[name]);
  }

  /// The text LibreOffice read from the document, lines joined by "|".
  static std::string OfficeText(const std::string& name) {
    ConvertAll("txt");
    std::string text = ReadBytes(folder_->Path() + "txt/" + name + ".txt");
    if (text.rfind("\xEF\xBB\xBF", 0) == 0) text.erase(0, 3);
    std::string joined;
    for (char ch : text) {
      if (ch == '\r') continue;
      joined += ch == '\n' ? '|' : ch;
    }
    while (!joined.empty() && joined.back() == '|') joined.pop_back();
    return joined;
  }

  static TCommandResult Unrtf(const std::string& name) {
    return RunCommand("timeout 60 unrtf --text " + folder_->Path() + name + ".rtf 2>/dev/null");
  }

  static TTempFolder* folder_;
  static std::map<std::string, std::string> documents_;
  static std::set<std::string> converted_;
};

TTempFolder* RTFInOfficeTest::folder_ = nullptr;
std::map<std::string, std::string> RTFInOfficeTest::documents_;
std::set<std::string> RTFInOfficeTest::converted_;

TEST_F(RTFInOfficeTest, PicturesShowAtTheirScreenSize) {
  if (!HaveProgram("soffice")) GTEST_SKIP() << kNoOffice;
  if (!HaveProgram("pdfimages")) GTEST_SKIP() << "pdfimages is not installed (Debian package poppler-utils)";
  ConvertAll("pdf");
  for (const char* name : {"pictures", "drawn-pictures", "enhanced-pictures"}) {
    SCOPED_TRACE(name);
    const std::vector<TPDFImage> images = PDFImages(folder_->Path() + "pdf/" + name + ".pdf");
    ASSERT_EQ(images.size(), 3u);
    // Shown at 96 pixels per inch: the picture's pixels at their size on the page.
    for (const TPDFImage& image : images) {
      EXPECT_NEAR(image.XPPI, 96, 2) << image.Width << " x " << image.Height;
      EXPECT_NEAR(image.YPPI, 96, 2) << image.Width << " x " << image.Height;
    }
  }
}

TEST_F(RTFInOfficeTest, TextReadsAsWritten) {
  if (!HaveProgram("soffice")) GTEST_SKIP() << kNoOffice;
  // Raised and lowered runs keep the text after them, to the end of the paragraph and beyond.
  EXPECT_EQ(OfficeText("shifted"), "Before up after|Second down|Third ends raised|Fourth");
  // 8-bit text of the ANSI code page and Unicode text reach the reader as the same letters.
  EXPECT_EQ(OfficeText("ansi-code-page"), kRussianUTF8 + "|" + kRussianUTF8);
  EXPECT_EQ(OfficeText("double-byte"), kJapaneseUTF8) << documents_["double-byte"];
  EXPECT_THAT(OfficeText("no-label"), ::testing::MatchesRegex(" *Heading")) << documents_["no-label"];
}

TEST_F(RTFInOfficeTest, StrictReaderReadsTheSameTextAndTheEmptyDocument) {
  if (!HaveProgram("unrtf")) GTEST_SKIP() << "unrtf is not installed (Debian package unrtf)";
  const TCommandResult shifted = Unrtf("shifted");
  EXPECT_NE(shifted.Output.find("Before up after\nSecond down\nThird ends raised\nFourth"), std::string::npos)
      << shifted.Output;
  EXPECT_EQ(Unrtf("empty").Status, 0) << documents_["empty"];
  // A file without a byte is no document to this reader.
  WriteBytes(folder_->Path() + "nothing.rtf", "");
  EXPECT_NE(Unrtf("nothing").Status, 0);
}

}  // namespace
