// The table's RTF: row and cell definitions, merges, widths, nesting and colours; and the
// RTF opened by an office suite, which must see the same rows, spans and cell texts.
#include <gtest/gtest.h>
#include <stdlib.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "TableTestSupport.h"
#include "richtext/core/HTMLTestSupport.h"

using namespace tabletest;

namespace {

class TableRTFTest : public ::testing::Test {
 protected:
  std::string RTF(TCustomRVData& data) {
    TMemoryStream s;
    EXPECT_TRUE(
        data.SaveRTFToStream(s, false, 0, clWhite, nullptr, nullptr, nullptr, nullptr, nullptr, 15.0));
    return s.DataString();
  }
  void SetText(TRVTableItemInfo* t, int r, int c, const std::string& text) {
    TRVTableCellData* cell = t->GetCell(r, c);
    cell->Clear();
    cell->AddTextItem(text, 0, 0);
  }
  static bool Has(const std::string& s, const std::string& part) { return s.find(part) != std::string::npos; }
  TDoc doc;
};

TEST_F(TableRTFTest, RowDefinitionOfADefaultTable) {
  doc.AddTable(1, 2);
  const std::string rtf = RTF(doc);
  // Never laid out: laid out for 600 pixels, so the right edges are defined.
  EXPECT_TRUE(Has(rtf,
                  "{\\trowd\\trgaph30\\trleft0\\itap1\\trpaddl15\\trpaddt15\\trpaddr15\\trpaddb15"
                  "\\trpaddfl3\\trpaddft3\\trpaddfr3\\trpaddfb3\\trspdl15\\trspdr15\\trspdfl3\\trspdfr3"
                  "\\trspdt15\\trspdb15\\trspdft3\\trspdfb3\\trftsWidth1\\rvtbw0"
                  "\\clftsWidth1\\rvcbw0\\rvcbh0\\clcbpat17\\cellx4470"
                  "\\clftsWidth1\\rvcbw0\\rvcbh0\\clcbpat17\\cellx8955\\pard\\intbl\\itap1{{"))
      << rtf;
  EXPECT_TRUE(Has(rtf, "\\cell}}\\pard\\intbl\\itap1\\row}")) << rtf;
}

TEST_F(TableRTFTest, MergesWriteTheirMarks) {
  TRVTableItemInfo* across = doc.AddTable(1, 2);
  ASSERT_TRUE(across->Rows().MergeCells(0, 0, 2, 1, true, false));
  std::string rtf = RTF(doc);
  EXPECT_TRUE(Has(rtf, "\\clmgf\\clftsWidth1")) << rtf;
  EXPECT_TRUE(Has(rtf, "\\clmrg\\clcbpat")) << rtf;
  doc.Clear();
  TRVTableItemInfo* down = doc.AddTable(2, 1);
  ASSERT_TRUE(down->Rows().MergeCells(0, 0, 1, 2, true, false));
  rtf = RTF(doc);
  EXPECT_TRUE(Has(rtf, "\\clvmgf\\clftsWidth1")) << rtf;
  EXPECT_TRUE(Has(rtf, "\\clvmrg\\clcbpat")) << rtf;
}

TEST_F(TableRTFTest, WidthsBordersAndAlignment) {
  TRVTableItemInfo* t = doc.AddTable(1, 2);
  t->BestWidth = -50;
  t->BorderWidth = 2;
  t->BorderStyle = rvtbColor;
  t->BorderColor = clRed;
  t->HeadingRowCount = 1;
  t->Options |= rvtoRTFAllowAutofit;
  t->GetCell(0, 0)->BestWidth = 120;
  t->GetCell(0, 0)->BestHeight = 0;
  t->GetCell(0, 1)->VAlign = rvcBottom;
  t->GetCell(0, 1)->BestHeight = 20;
  std::string rtf = RTF(doc);
  EXPECT_TRUE(Has(rtf, "\\trhdr\\trrh300\\trpaddl")) << rtf;
  EXPECT_TRUE(Has(rtf, "\\trwWidth2500\\trftsWidth2\\trautofit1\\rvtbw-50")) << rtf;
  const int red = 6;  // the fixed colours: black, blue, cyan, green, magenta, red, ...
  const std::string side = "\\brdrs\\brdrw30\\brdrcf" + std::to_string(red);
  EXPECT_TRUE(Has(rtf, "\\trbrdrl" + side + "\\trbrdrt" + side + "\\trbrdrr" + side + "\\trbrdrb" + side))
      << rtf;
  EXPECT_TRUE(Has(rtf, "\\clwWidth0\\rvcbw120\\rvcbh0")) << rtf;
  EXPECT_TRUE(Has(rtf, "\\clvertalb")) << rtf;
  t->Options |= rvtoRTFSaveCellPixelBestWidth;
  rtf = RTF(doc);
  EXPECT_TRUE(Has(rtf, "\\clwWidth1800\\clftsWidth3\\rvcbw120")) << rtf;
}

TEST_F(TableRTFTest, CellBordersFollowVisibleSides) {
  TRVTableItemInfo* t = doc.AddTable(1, 1);
  t->CellBorderWidth = 1;
  t->CellBorderStyle = rvtbRaisedColor;
  t->CellBorderColor = clBlue;
  t->CellBorderLightColor = clYellow;
  t->GetCell(0, 0)->VisibleBorders.SetValues(true, false, true, false);
  const std::string rtf = RTF(doc);
  EXPECT_TRUE(Has(rtf, "\\clbrdrl\\brdrs\\brdrw15\\brdrcf7\\clbrdrr\\brdrs\\brdrw15\\brdrcf2\\clcbpat"))
      << rtf;
}

TEST_F(TableRTFTest, NestedTablesUseTheNestingForms) {
  TRVTableItemInfo* outer = doc.AddTable(1, 1);
  TRVTableCellData* cell = outer->GetCell(0, 0);
  cell->Clear();
  cell->AddItem("", TRVTableItemInfo::CreateWithSize(1, 1, cell));
  const std::string rtf = RTF(doc);
  EXPECT_TRUE(Has(rtf, "{\\*\\nesttableprops\\trowd\\trgaph")) << rtf;
  EXPECT_TRUE(Has(rtf, "\\itap2")) << rtf;
  EXPECT_TRUE(Has(rtf, "\\nestcell}}\\pard\\intbl\\itap2\\nestrow}")) << rtf;
  EXPECT_TRUE(Has(rtf, "\\cell}}\\pard\\intbl\\itap1\\row}")) << rtf;
}

TEST_F(TableRTFTest, TheParagraphAfterATableAddsNoEmptyOne) {
  doc.AddTextItem("before", 0, 0);
  doc.AddTable(1, 1);
  doc.AddTable(1, 1);
  doc.AddTextItem("after", 0, 0);
  const std::string rtf = RTF(doc);
  // The last row ends the table's paragraph; the next one only resets its properties. Two
  // tables in a row keep a paragraph between them, or readers would join them into one.
  EXPECT_TRUE(Has(rtf, "before\r\n\\par\\pard")) << rtf;
  const size_t between = rtf.find("\\row}\r\n\\par\\pard");
  ASSERT_NE(between, std::string::npos) << rtf;
  EXPECT_EQ(rtf.find("\\row}\r\n\\par\\pard", between + 1), std::string::npos) << rtf;
  EXPECT_TRUE(Has(rtf, "\\row}\r\n\\pard\\fi0\\li0\\ql\\ri0\\sb0\\sa0\\itap0 \\plain \\f0\\fs20 after"))
      << rtf;
  // A second export starts afresh.
  EXPECT_EQ(RTF(doc), rtf);
}

// ---- the office suite's reading ------------------------------------------------------

/// Converts RTF files to HTML with LibreOffice in one run; answers the HTML of each (empty
/// when the conversion failed), or nothing when LibreOffice is absent.
std::vector<std::string> ConvertWithOffice(const std::vector<std::string>& rtfs) {
  if (access("/usr/bin/soffice", X_OK) != 0) return {};
  char dirName[] = "/tmp/rvtablertfXXXXXX";
  if (mkdtemp(dirName) == nullptr) return {};
  const std::string dir = dirName;
  std::string command = "cd " + dir + " && HOME=" + dir +
                        " timeout 180 /usr/bin/soffice -env:UserInstallation=file://" + dir +
                        "/profile --headless --convert-to html --outdir " + dir + "/out";
  for (size_t i = 0; i < rtfs.size(); ++i) {
    const std::string name = dir + "/t" + std::to_string(i) + ".rtf";
    std::ofstream(name, std::ios::binary) << rtfs[i];
    command += " " + name;
  }
  command += " >/dev/null 2>&1";
  const int status = std::system(command.c_str());
  (void)status;
  std::vector<std::string> result;
  for (size_t i = 0; i < rtfs.size(); ++i) {
    std::ifstream in(dir + "/out/t" + std::to_string(i) + ".html", std::ios::binary);
    std::ostringstream html;
    html << in.rdbuf();
    result.push_back(html.str());
  }
  std::error_code ec;
  std::filesystem::remove_all(dir, ec);
  return result;
}

/// The grid an HTML page shows.
std::string GridOf(const std::string& html) {
  return GridOfOutline(htmltest::ParseHTML5(html, false, "utf-8").Outline);
}

TEST_F(TableRTFTest, OfficeSuiteReadsTheSameGrid) {
  if (!htmltest::HTML5LibAvailable()) GTEST_SKIP() << "python3 with html5lib is not installed";
  if (access("/usr/bin/soffice", X_OK) != 0) GTEST_SKIP() << "LibreOffice (soffice) is not installed";
  TDoc plain, merged;
  TRVTableItemInfo* t1 = plain.AddTable(2, 2);
  SetText(t1, 0, 0, "one");
  SetText(t1, 0, 1, "two");
  SetText(t1, 1, 0, "three");
  SetText(t1, 1, 1, "four");
  TRVTableItemInfo* t2 = merged.AddTable(3, 3);
  SetText(t2, 0, 0, "big");
  ASSERT_TRUE(t2->Rows().MergeCells(0, 0, 2, 2, false, false));
  SetText(t2, 0, 2, "right");
  SetText(t2, 1, 2, "side");
  SetText(t2, 2, 0, "x");
  SetText(t2, 2, 1, "y");
  SetText(t2, 2, 2, "z");
  TDoc surrounded;
  surrounded.AddTextItem("before", 0, 0);
  SetText(surrounded.AddTable(1, 1), 0, 0, "inside");
  surrounded.AddTextItem("after", 0, 0);
  const std::vector<std::string> html = ConvertWithOffice({RTF(plain), RTF(merged), RTF(surrounded)});
  ASSERT_EQ(html.size(), 3u);
  ASSERT_FALSE(html[0].empty()) << "LibreOffice did not convert the RTF";
  EXPECT_EQ(GridOf(html[0]), "[]'one'[]'two'\n[]'three'[]'four'") << html[0];
  EXPECT_EQ(GridOf(html[1]), "[c2r2]'big'[]'right'\n[]'side'\n[]'x'[]'y'[]'z'") << html[1];
  // No empty paragraph between the table and the text after it.
  const size_t tableEnd = html[2].find("</table>");
  ASSERT_NE(tableEnd, std::string::npos) << html[2];
  const std::string rest = html[2].substr(tableEnd);
  EXPECT_LT(rest.find("after"), rest.find("</p>")) << rest;
}

}  // namespace
