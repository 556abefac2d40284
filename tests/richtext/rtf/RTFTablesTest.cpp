// Tables from RTF: rows laid on shared column boundaries, merges, nesting, sizes and the
// faults of row definitions that do not fit their cells.
#include <gtest/gtest.h>

#include <algorithm>
#include <regex>

#include "RTFTestSupport.h"
#include "richtext/core/HTMLTestSupport.h"
#include "richtext/table/TableTestSupport.h"

using namespace rtfimport;

namespace {

std::string Row(const std::string& defs, const std::vector<std::string>& cells) {
  std::string s = "\\trowd" + defs + "\\pard\\intbl ";
  for (const auto& c : cells) s += c + "\\cell ";
  return s + "\\row ";
}

class RTFTablesTest : public ::testing::Test {
 protected:
  void SetUp() override { SetACP(1252); }
  TRVTableItemInfo* TableAt(int index) { return dynamic_cast<TRVTableItemInfo*>(doc.GetItem(index)); }
  TDoc doc;
};

TEST_F(RTFTablesTest, SimpleGridWithSizes) {
  ASSERT_EQ(doc.Read("{\\rtf1 " + Row("\\trgaph108\\cellx1440\\cellx2880", {"a", "b"}) +
                     Row("\\trgaph108\\cellx1440\\cellx2880", {"c", "d"}) + "\\pard after}"),
            0);
  EXPECT_EQ(Outline(doc), "PT[a,b;c,d] | Ps0/p0:after");
  TRVTableItemInfo* t = TableAt(0);
  ASSERT_NE(t, nullptr);
  EXPECT_EQ(tabletest::GridFault(*t), "");
  EXPECT_EQ(t->GetCell(0, 0)->BestWidth, 96 - 2 * t->CellPadding);
}

TEST_F(RTFTablesTest, BoundariesMatchWithinOneTwip) {
  ASSERT_EQ(
      doc.Read("{\\rtf1 " + Row("\\cellx1000\\cellx2000", {"a", "b"}) +
               Row("\\cellx999\\cellx2000", {"c", "d"}) + Row("\\cellx1001\\cellx2000", {"e", "f"}) + "}"),
      0);
  TRVTableItemInfo* t = TableAt(0);
  ASSERT_NE(t, nullptr);
  EXPECT_EQ(tabletest::GridFault(*t), "");
  // 999 is the boundary 1000; 1001 makes a new column between 1000 and 1001.
  EXPECT_EQ(t->Rows().GetColCount(), 3) << Outline(doc);
  EXPECT_EQ(Outline(doc), "PT[a,(1x2)b,-;c,(1x2)d,-;(1x2)e,-,f]");
}

TEST_F(RTFTablesTest, HorizontalAndVerticalMerges) {
  ASSERT_EQ(doc.Read("{\\rtf1 " + Row("\\clmgf\\cellx1000\\clmrg\\cellx2000\\cellx3000", {"wide", "", "x"}) +
                     Row("\\clvmgf\\cellx1000\\cellx2000\\cellx3000", {"tall", "y", "z"}) +
                     Row("\\clvmrg\\cellx1000\\cellx2000\\cellx3000", {"", "p", "q"}) + "}"),
            0);
  TRVTableItemInfo* t = TableAt(0);
  ASSERT_NE(t, nullptr);
  EXPECT_EQ(tabletest::GridFault(*t), "");
  EXPECT_EQ(Outline(doc), "PT[(1x2)wide,-,x;(2x1)tall,y,z;-,p,q]");
}

TEST_F(RTFTablesTest, NestedTableGoesIntoItsCell) {
  ASSERT_EQ(doc.Read("{\\rtf1\\pard\\intbl\\itap1 outer\\par\\pard\\intbl\\itap2 in1\\nestcell in2\\nestcell"
                     "{\\*\\nesttableprops\\trowd\\cellx500\\cellx1000\\nestrow}"
                     "\\pard\\intbl\\itap1 \\cell\\trowd\\cellx3000\\row}"),
            0);
  TRVTableItemInfo* outer = TableAt(0);
  ASSERT_NE(outer, nullptr) << Outline(doc);
  TRVTableCellData* cell = outer->GetCell(0, 0);
  ASSERT_NE(cell, nullptr);
  // The cell ends with the (empty) paragraph that follows its nested table.
  EXPECT_EQ(Outline(*cell), "Ps0/p0:outer | PT[in1,in2] | Ps0/p0:");
}

TEST_F(RTFTablesTest, RowsThatDoNotFitTheirDefinitionsKeepTheirText) {
  // More cells than "cellx" words, a merge-first cell at the end and a row starting left of
  // the first boundary.
  ASSERT_EQ(doc.Read("{\\rtf1 " + Row("\\cellx1000", {"a", "extra"}) +
                     Row("\\trleft-500\\cellx1000\\clmgf\\cellx2000", {"b", "c"}) +
                     Row("\\cellx-800\\cellx1000", {"d", "e"}) + "}"),
            0);
  TRVTableItemInfo* t = TableAt(0);
  ASSERT_NE(t, nullptr);
  EXPECT_EQ(tabletest::GridFault(*t), "");
  const std::string outline = Outline(doc);
  for (const char* text : {"a", "extra", "b", "c", "d", "e"})
    EXPECT_NE(outline.find(text), std::string::npos) << text << " in " << outline;
}

TEST_F(RTFTablesTest, TableTextWithoutARowStaysText) {
  ASSERT_EQ(doc.Read("{\\rtf1\\pard\\intbl lonely \\b bold\\par\\pard plain}"), 0);
  EXPECT_EQ(Outline(doc), "Ps0/p0:lonely  | s0/p0:bold | Ps0/p0:plain");
}

/// Table text that no row end finishes: cells of a row cut short by "pard" or by the end of
/// the document.
struct UnfinishedRowCase {
  const char* name;
  const char* rtf;
  const char* outline;  // paragraphs joined by " | ", a table as T[row;row]
};

void PrintTo(const UnfinishedRowCase& c, std::ostream* os) {
  *os << c.name;
}

const UnfinishedRowCase kUnfinishedRows[] = {
    {"CutByPard", "{\\rtf1 First.\\par \\pard\\intbl A\\cell B\\cell \\pard Last.\\par More.\\par}",
     "First. | A | B | Last. | More."},
    {"CutByPardBeforeAFinishedRow",
     "{\\rtf1 First.\\par \\pard\\intbl A\\cell B\\cell \\pard Last.\\par "
     "\\trowd\\cellx1000\\cellx2000\\pard\\intbl C\\cell D\\cell\\row \\pard More.\\par}",
     "First. | A | B | Last. | T[C,D] | More."},
    {"CutByPardAfterAFinishedRow",
     "{\\rtf1 First.\\par \\trowd\\cellx1000\\cellx2000\\pard\\intbl A\\cell B\\cell\\row "
     "\\pard\\intbl X\\cell Y\\cell \\pard Last.\\par More.\\par}",
     "First. | T[A,B] | X | Y | Last. | More."},
    {"CutByTheEnd", "{\\rtf1 First.\\par \\pard\\intbl A\\par A2\\cell B\\cell}", "First. | A | A2 | B"},
    {"RunsAfterPardMoveOutWhole",
     "{\\rtf1 \\pard\\intbl A\\cell B\\cell \\pard Last \\b bold\\b0 .\\par More.\\par}",
     "A | B | Last bold. | More."},
    // A cell end, not a paragraph end, finishes the text after "pard": it is the row's cell.
    {"PardTextEndedByACell",
     "{\\rtf1 \\trowd\\cellx1000\\cellx2000\\pard\\intbl A\\cell\\pard B\\cell\\row \\pard More.\\par}",
     "T[A,B] | More."},
};

/// The document's paragraphs as UnfinishedRowCase writes them: runs joined, no styles.
std::string Paragraphs(TCustomRVData& data) {
  const std::string runs = std::regex_replace(Outline(data), std::regex(" \\| s\\d+/p\\d+:"), "");
  return std::regex_replace(runs, std::regex("(^|\\| )P(s\\d+/p\\d+:)?"), "$1");
}

class RTFUnfinishedRowTest : public ::testing::TestWithParam<UnfinishedRowCase> {};

TEST_P(RTFUnfinishedRowTest, ParagraphAfterPardEndsTheTableAndNoCellIsLost) {
  SetACP(1252);
  TDoc doc;
  ASSERT_EQ(doc.Read(GetParam().rtf), 0);
  EXPECT_EQ(Paragraphs(doc), GetParam().outline) << Outline(doc);
}

INSTANTIATE_TEST_SUITE_P(Cases, RTFUnfinishedRowTest, ::testing::ValuesIn(kUnfinishedRows),
                         [](const ::testing::TestParamInfo<UnfinishedRowCase>& info) {
                           return info.param.name;
                         });

/// The paragraphs of the office suite's HTML export: all of them, and those outside tables.
void OfficeParagraphs(const std::string& html, std::vector<std::string>& all,
                      std::vector<std::string>& plain) {
  static const std::regex piece("<table[\\s\\S]*?</table>|<p[^>]*>([\\s\\S]*?)</p>");
  static const std::regex paragraph("<p[^>]*>([\\s\\S]*?)</p>"), tag("<[^>]*>");
  for (std::sregex_iterator it(html.begin(), html.end(), piece), end; it != end; ++it) {
    const std::string text = it->str();
    if (text.rfind("<table", 0) != 0) {
      all.push_back(std::regex_replace((*it)[1].str(), tag, ""));
      plain.push_back(all.back());
      continue;
    }
    for (std::sregex_iterator p(text.begin(), text.end(), paragraph); p != end; ++p)
      all.push_back(std::regex_replace((*p)[1].str(), tag, ""));
  }
  all = Normalized(all);
  plain = Normalized(plain);
}

/// The office suite drops the cells of a row that nothing ends, or moves them into the next
/// row in place of that row's own: we keep them as paragraphs. What it shows must be ours
/// too, and what it shows outside tables (the text after "pard") stays outside, in order.
TEST(RTFUnfinishedRowInOfficeTest, NothingTheOfficeSuiteShowsIsLostOrMoved) {
  if (!consumertest::HaveProgram("soffice"))
    GTEST_SKIP() << "soffice (libreoffice-writer-nogui) is not installed";
  SetACP(1252);
  htmltest::TTempFolder folder;
  std::vector<std::string> files;
  for (const UnfinishedRowCase& c : kUnfinishedRows) {
    files.push_back(folder.Path() + c.name + ".rtf");
    consumertest::WriteBytes(files.back(), c.rtf);
  }
  ASSERT_TRUE(
      consumertest::ConvertWithOffice(files, "html", folder.Path() + "html", folder.Path() + "profile"));
  for (const UnfinishedRowCase& c : kUnfinishedRows) {
    SCOPED_TRACE(c.name);
    const std::string html = consumertest::ReadBytes(folder.Path() + "html/" + c.name + ".html");
    ASSERT_FALSE(html.empty()) << "the office suite wrote no HTML";
    std::vector<std::string> officeAll, officePlain, ours, oursPlain;
    OfficeParagraphs(html, officeAll, officePlain);
    TDoc doc;
    ASSERT_EQ(doc.Read(c.rtf), 0);
    Lines(doc, ours);
    Lines(doc, oursPlain, false);
    ours = Normalized(ours);
    oursPlain = Normalized(oursPlain);
    for (const std::string& line : officeAll)
      EXPECT_NE(std::count(ours.begin(), ours.end(), line), 0) << line << " is lost: " << Outline(doc);
    auto next = oursPlain.begin();
    for (const std::string& line : officePlain) {
      next = std::find(next, oursPlain.end(), line);
      ASSERT_TRUE(next != oursPlain.end())
          << line << " is no paragraph of its own, or out of order: " << Outline(doc);
      ++next;
    }
  }
}

TEST_F(RTFTablesTest, AutoHiddenGridLines) {
  doc.Props.AutoHideTableGridLines = true;
  ASSERT_EQ(doc.Read("{\\rtf1 " + Row("\\cellx1000", {"a"}) + "}"), 0);
  ASSERT_NE(TableAt(0), nullptr);
  EXPECT_TRUE(TableAt(0)->Options & rvtoHideGridLines);
}

TEST_F(RTFTablesTest, ExtremeBoundariesStayInRange) {
  ASSERT_EQ(doc.Read("{\\rtf1 " + Row("\\trleft-2147483648\\trgaph2147483647\\cellx2147483647", {"a", "b"}) +
                     Row("\\trleft2147483647\\cellx-2147483648\\cellx99999999999", {"c", "d", "e"}) + "}"),
            0);
  TRVTableItemInfo* t = TableAt(0);
  ASSERT_NE(t, nullptr);
  EXPECT_EQ(tabletest::GridFault(*t), "");
  const std::string outline = Outline(doc);
  for (const char* text : {"a", "b", "c", "d", "e"})
    EXPECT_NE(outline.find(text), std::string::npos) << outline;
  // Widths are a percentage of at most 100 or a bounded number of pixels.
  TDoc widths;
  ASSERT_EQ(widths.Read("{\\rtf1 " +
                        Row("\\trftsWidth2\\trwWidth2147483647\\clftsWidth2\\clwWidth2147483647\\cellx1000"
                            "\\clwWidth2147483647\\clftsWidth3\\cellx2000",
                            {"p", "q"}) +
                        "}"),
            0);
  auto* w = dynamic_cast<TRVTableItemInfo*>(widths.GetItem(0));
  ASSERT_NE(w, nullptr);
  EXPECT_EQ(w->BestWidth, -100);
  EXPECT_EQ(w->GetCell(0, 0)->BestWidth, -100);
  EXPECT_GT(w->GetCell(0, 1)->BestWidth, 0);
  EXPECT_LE(w->GetCell(0, 1)->BestWidth, 100000);
}

TEST_F(RTFTablesTest, TooManyColumnsFailTheRead) {
  std::string defs;
  for (int i = 1; i <= 1100; ++i) defs += "\\cellx" + std::to_string(i * 10);
  EXPECT_NE(doc.Read("{\\rtf1 " + Row(defs, {"a"}) + "}"), 0);
}

}  // namespace
