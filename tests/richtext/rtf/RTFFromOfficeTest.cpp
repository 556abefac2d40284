// RTF that other programs wrote: documents the office suite converts from HTML it is given
// (headings, lists, nested lists, a table with merged cells, a picture, a hyperlink, Cyrillic
// and CJK text), and an RTF file that Debian ships. Each must read with the text, list
// numbers and table grid that the office suite itself sees.
#include <gtest/gtest.h>
#include <stdlib.h>

#include <algorithm>
#include <filesystem>

#include "RTFTestSupport.h"
#include "platform/graphics/Bitmap.h"
#include "richtext/core/ConsumerTestSupport.h"
#include "richtext/core/RVUni.h"
#include "richtext/table/TableTestSupport.h"

using namespace rtfimport;
using consumertest::ReadBytes;
using consumertest::RunCommand;
using consumertest::WriteBytes;

namespace {

namespace fs = std::filesystem;

const char* kDocuments[][2] = {
    {"structure",
     "<h1>Heading One</h1><p>Plain paragraph with <b>bold</b> and <a href=\"http://example.org/page\">a "
     "link</a>.</p>"
     "<ol><li>First item</li><li>Second item<ol><li>Nested one</li><li>Nested two</li></ol></li><li>Third "
     "item</li>"
     "</ol><ul><li>Bullet A</li><li>Bullet B</li></ul>"
     "<table border=\"1\"><tr><td colspan=\"2\">Merged across</td><td>C1</td></tr>"
     "<tr><td rowspan=\"2\">Tall</td><td>B2</td><td>C2</td></tr><tr><td>B3</td><td>C3</td></tr></table>"
     "<p>After the table</p>"},
    {"scripts",
     "<h2>\xD0\x97\xD0\xB0\xD0\xB3\xD0\xBE\xD0\xBB\xD0\xBE\xD0\xB2\xD0\xBE\xD0\xBA</h2>"
     "<p>\xD0\xA0\xD1\x83\xD1\x81\xD1\x81\xD0\xBA\xD0\xB8\xD0\xB9 \xD1\x82\xD0\xB5\xD0\xBA\xD1\x81\xD1\x82 "
     "and "
     "\xE4\xB8\xAD\xE6\x96\x87\xE6\x96\x87\xE6\x9C\xAC</p><p><img src=\"pic.bmp\" width=\"20\" "
     "height=\"10\"></p>"
     "<p>\xE6\x97\xA5\xE6\x9C\xAC\xE8\xAA\x9E "
     "\xCE\x95\xCE\xBB\xCE\xBB\xCE\xB7\xCE\xBD\xCE\xB9\xCE\xBA\xCE\xAC</p>"},
};

/// The lines of a document as the office suite's text export writes them: a paragraph per
/// line with its list marker in front, table cells row by row, each a line.
void Lines(TCustomRVData& data, std::vector<std::string>& out) {
  std::string line;
  bool open = false;
  auto close = [&] {
    if (open) out.push_back(line);
    line.clear();
    open = false;
  };
  for (int i = 0; i < data.GetItemCount(); ++i) {
    TCustomRVItemInfo* item = data.GetItem(i);
    if (!item->GetSameAsPrev()) {
      close();
      open = true;
    }
    if (auto* marker = dynamic_cast<TRVMarkerItemInfo*>(item)) {
      line += Utf8(RVBytesToWideString(marker->GetPlainText(data.GetRVStyle(), true))) + " ";
    } else if (auto* table = dynamic_cast<TRVTableItemInfo*>(item)) {
      close();
      for (int r = 0; r < table->Rows().Count(); ++r)
        for (int c = 0; c < table->Rows().GetColCount(); ++c)
          if (TRVTableCellData* cell = table->GetCell(r, c)) Lines(*cell, out);
    } else if (item->StyleNo >= 0) {
      line += Utf8(data.GetItemTextW(i));
    }
  }
  close();
}

std::string Trim(const std::string& s) {
  const size_t b = s.find_first_not_of(" \t\r\n");
  if (b == std::string::npos) return {};
  return s.substr(b, s.find_last_not_of(" \t\r\n") - b + 1);
}

/// Lines without surrounding blanks and with single blanks inside (a marker is followed by a
/// tab or blanks), the empty ones left out.
std::vector<std::string> Normalized(const std::vector<std::string>& lines) {
  std::vector<std::string> result;
  for (const auto& l : lines) {
    std::string t;
    for (char c : Trim(l))
      if (!(c == ' ' || c == '\t') || (!t.empty() && t.back() != ' ')) t += (c == '\t' ? ' ' : c);
    if (t.rfind("\xEF\xBB\xBF", 0) == 0) t = Trim(t.substr(3));
    t = Trim(t);
    if (!t.empty()) result.push_back(t);
  }
  return result;
}

const char kUnfinishedRow[] =
    "{\\rtf1 First.\\par \\pard\\intbl A\\cell B\\cell \\pard Last.\\par More.\\par}";

std::vector<std::string> SplitLines(const std::string& text) {
  std::vector<std::string> lines;
  size_t start = 0;
  while (start <= text.size()) {
    const size_t end = text.find('\n', start);
    lines.push_back(text.substr(start, end == std::string::npos ? std::string::npos : end - start));
    if (end == std::string::npos) break;
    start = end + 1;
  }
  return lines;
}

class RTFFromOfficeTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    if (!consumertest::HaveProgram("soffice")) return;
    char name[] = "/tmp/rtfimportXXXXXX";
    if (mkdtemp(name) == nullptr) return;
    dir_ = name;
    TBitmap bitmap;
    bitmap.SetPixelFormat(pf24bit);
    bitmap.SetSize(20, 10);
    bitmap.Canvas().Brush().SetColor(0x0000FF);
    bitmap.Canvas().FillRect(Rect(0, 0, 20, 10));
    bitmap.SaveToFile(dir_ + "/pic.bmp");
    std::string files;
    for (const auto& doc : kDocuments) {
      WriteBytes(
          dir_ + "/" + doc[0] + ".html",
          std::string("<!DOCTYPE html><html><head><meta charset=\"utf-8\"><title>t</title></head><body>") +
              doc[1] + "</body></html>");
      files += " " + dir_ + "/" + doc[0] + ".html";
    }
    const std::string office = "cd " + dir_ + " && HOME=" + dir_ +
                               " timeout 180 soffice -env:UserInstallation=file://" + dir_ +
                               "/profile --headless --norestore ";
    RunCommand(office + "--infilter=\"HTML (StarWriter)\" --convert-to rtf --outdir " + dir_ + "/rtf" +
               files + " >/dev/null 2>&1");
    WriteBytes(dir_ + "/rtf/unfinished-row.rtf", kUnfinishedRow);
    for (size_t i = 0; i < std::size(kTableTextRTF); ++i)
      WriteBytes(dir_ + "/rtf/table-text" + std::to_string(i) + ".rtf", kTableTextRTF[i]);
    // The Debian file: the document template that the pandoc data package ships.
    RunCommand(
        "cd " + dir_ + " && timeout 120 apt-get download pandoc-data >fetch.log 2>&1 && mkdir x && " +
        "dpkg-deb -x pandoc-data_*.deb x && cp x/usr/share/pandoc/data/templates/default.rtf rtf/pandoc.rtf");
    RunCommand(office + "--infilter=\"Rich Text Format\" --convert-to \"txt:Text (encoded):UTF8\" --outdir " +
               dir_ + "/txt " + dir_ + "/rtf/*.rtf >/dev/null 2>&1");
  }
  static void TearDownTestSuite() {
    std::error_code ec;
    if (!dir_.empty()) fs::remove_all(dir_, ec);
  }
  void SetUp() override {
    if (dir_.empty()) GTEST_SKIP() << "soffice (libreoffice-writer-nogui) is not installed";
    doc.Props.UnicodeMode = rvruOnlyUnicode;
    doc.Props.TextStyleMode = doc.Props.ParaStyleMode = rvrsAddIfNeeded;
  }
  /// Reads rtf/<name>.rtf into the document and compares its lines with the office suite's.
  void ExpectSameText(const std::string& name) {
    const std::string rtf = ReadBytes(dir_ + "/rtf/" + name + ".rtf");
    ASSERT_FALSE(rtf.empty()) << "the office suite wrote no RTF for " << name;
    ASSERT_EQ(doc.Read(rtf), 0);
    const std::string txt = ReadBytes(dir_ + "/txt/" + name + ".txt");
    ASSERT_FALSE(txt.empty()) << "the office suite wrote no text for " << name;
    std::vector<std::string> ours;
    Lines(doc, ours);
    EXPECT_EQ(Normalized(ours), Normalized(SplitLines(txt))) << Outline(doc);
  }
  static std::string dir_;
  TDoc doc;
};

std::string RTFFromOfficeTest::dir_;

TEST_F(RTFFromOfficeTest, StructureReadsWithTheSameTextListsAndGrid) {
  ExpectSameText("structure");
  const std::string outline = Outline(doc);
  EXPECT_NE(outline.find("T[(1x2)Merged across,-,C1;(2x1)Tall,B2,C2;-,B3,C3]"), std::string::npos) << outline;
  EXPECT_NE(outline.find("a link<http://example.org/page>"), std::string::npos) << outline;
  auto* table = [&]() -> TRVTableItemInfo* {
    for (int i = 0; i < doc.GetItemCount(); ++i)
      if (auto* t = dynamic_cast<TRVTableItemInfo*>(doc.GetItem(i))) return t;
    return nullptr;
  }();
  ASSERT_NE(table, nullptr);
  EXPECT_EQ(tabletest::GridFault(*table), "");
}

TEST_F(RTFFromOfficeTest, ScriptsAndPictures) {
  ExpectSameText("scripts");
  int pictures = 0;
  for (int i = 0; i < doc.GetItemCount(); ++i)
    if (auto* pic = dynamic_cast<TRVGraphicItemInfo*>(doc.GetItem(i))) {
      ++pictures;
      EXPECT_EQ(pic->GetImageWidth(nullptr), 20);
      EXPECT_EQ(pic->GetImageHeight(nullptr), 10);
    }
  EXPECT_EQ(pictures, 1) << Outline(doc);
}

TEST_F(RTFFromOfficeTest, FileThatDebianShips) {
  if (!fs::exists(dir_ + "/rtf/pandoc.rtf"))
    GTEST_SKIP() << "apt-get download pandoc-data failed: " << ReadBytes(dir_ + "/fetch.log");
  ExpectSameText("pandoc");
}

TEST_F(RTFFromOfficeTest, UnfinishedRowKeepsWhatTheOfficeSuiteShowsInItsOrder) {
  // The office suite drops the cells of the row; we keep them as paragraphs.
  ASSERT_EQ(doc.Read(kUnfinishedRow), 0);
  std::vector<std::string> ours, shown;
  Lines(doc, ours);
  const std::vector<std::string> office = Normalized(SplitLines(ReadBytes(dir_ + "/txt/unfinished-row.txt")));
  ASSERT_FALSE(office.empty()) << "the office suite wrote no text";
  std::ranges::copy_if(Normalized(ours), std::back_inserter(shown),
                       [&](const std::string& line) { return std::ranges::count(office, line) > 0; });
  EXPECT_EQ(shown, office) << Outline(doc);
}

TEST_F(RTFFromOfficeTest, TableTextThatMergesOrRowEndsTakeIsAllThere) {
  for (size_t i = 0; i < std::size(kTableTextRTF); ++i) {
    doc.Clear();
    ASSERT_EQ(doc.Read(kTableTextRTF[i]), 0) << kTableTextRTF[i];
    std::vector<std::string> ours,
        office = Normalized(SplitLines(ReadBytes(dir_ + "/txt/table-text" + std::to_string(i) + ".txt")));
    ASSERT_FALSE(office.empty()) << "the office suite wrote no text for " << kTableTextRTF[i];
    Lines(doc, ours);
    ours = Normalized(ours);
    std::ranges::sort(office), std::ranges::sort(ours);
    EXPECT_TRUE(std::ranges::includes(ours, office)) << kTableTextRTF[i] << "\n" << Outline(doc);
  }
}

}  // namespace
