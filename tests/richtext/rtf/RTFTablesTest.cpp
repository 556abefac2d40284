// Tables from RTF: rows laid on shared column boundaries, merges, nesting, sizes and the
// faults of row definitions that do not fit their cells.
#include <gtest/gtest.h>

#include "RTFTestSupport.h"
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

TEST_F(RTFTablesTest, ParagraphAfterPardEndsAnUnfinishedRowAndNoCellIsLost) {
  const std::string defs = "\\cellx1000\\cellx2000";
  const std::pair<std::string, const char*> cases[] = {
      {"First.\\par \\pard\\intbl A\\cell B\\cell \\pard Last.\\par " + Row(defs, {"C", "D"}) +
           "\\pard More.\\par",
       "Ps0/p0:First. | Ps0/p0:A | Ps0/p0:B | Ps0/p0:Last. | PT[C,D] | Ps0/p0:More."},
      {Row(defs, {"A", "B"}) + "\\pard\\intbl X\\cell Y\\cell \\pard Last \\b bold\\b0 .\\par",
       "PT[A,B] | Ps0/p0:X | Ps0/p0:Y | Ps0/p0:Last  | s0/p0:bold | s0/p0:."},
      {"\\trowd" + defs + "\\pard\\intbl A\\cell\\pard B\\cell\\row \\pard More.", "PT[A,B] | Ps0/p0:More."},
  };
  for (const auto& [rtf, outline] : cases) {
    TDoc read;
    ASSERT_EQ(read.Read("{\\rtf1 " + rtf + "}"), 0) << rtf;
    EXPECT_EQ(Outline(read), outline) << rtf;
  }
}

TEST_F(RTFTablesTest, TextThatMergesAndRowEndsTakeIsKept) {
  const std::string pict = "{\\pict\\pngblip " + kGreenDotPngHex + "}";
  const std::pair<std::string, const char*> cases[] = {
      {kTableTextRTF[0], "0,0:Ps0/p0:A | Ps0/p0:B / 0,2:Ps0/p0:C"},
      {kTableTextRTF[1], "0,0:Ps0/p0:A | Ps0/p0:C / 0,1:Ps0/p0:B / 1,1:Ps0/p0:D"},
      {kTableTextRTF[2], "0,0:Ps0/p0:A / 0,1:Ps0/p0:B | Ps0/p0:C | Ps0/p0:After"},
      {kTableTextRTF[3], "0,0:Ps0/p0:A / 0,1:Ps0/p0:B | Ps0/p0:C | Ps0/p0:After"},
      // A later row's merge, into a main cell that was empty; a picture before the row end.
      {"{\\rtf1 " + Row("\\cellx1000\\cellx2000", {"a", "b"}) +
           "\\trowd\\clmgf\\cellx1000\\clmrg\\cellx2000\\intbl \\cell d\\cell " + pict + "\\row}",
       "0,0:Ps0/p0:a / 0,1:Ps0/p0:b / 1,0:Ps0/p0:d | PG3x2"},
      {"{\\rtf1\\trowd\\intbl lone\\row}", "0,0:Ps0/p0:lone"},  // a row that defines no cell
  };
  for (const auto& [rtf, expected] : cases) {
    doc.Clear();
    ASSERT_EQ(doc.Read(rtf), 0) << rtf;
    TRVTableItemInfo* t = TableAt(0);
    ASSERT_NE(t, nullptr) << Outline(doc);
    std::string s = tabletest::GridFault(*t), outline = Outline(doc);
    for (int r = 0; r < t->Rows().Count(); ++r)
      for (int c = 0; c < t->Rows().GetColCount(); ++c)
        if (TRVTableCellData* cell = t->GetCell(r, c))
          s += (s.empty() ? "" : " / ") + std::to_string(r) + "," + std::to_string(c) + ":" + Outline(*cell);
    EXPECT_EQ(s + outline.substr(outline.find(']') + 1), expected) << rtf;
  }
}

TEST_F(RTFTablesTest, TableWideValues) {
  enum { Pad, VSp, HSp, BorderVSp, BorderW, CellW, Colour, Light, CellStyle, Head, CellColour, Fill, Align };
  auto one = [](const std::string& defs) { return Row(defs + "\\cellx1440", {"x"}); };
  const std::string spaced = one("\\trspdt20\\trspdft3\\trspdb20\\trspdfb3");
  const std::string bordered =
      one("\\trbrdrl\\brdrs\\brdrw30\\brdrcf1\\trbrdrr\\brdrs\\brdrw30\\brdrcf2"
          "\\clbrdrl\\brdrs\\brdrw15\\brdrcf1\\clbrdrr\\brdrs\\brdrw15\\brdrcf2");
  const std::pair<std::string, std::vector<std::pair<int, int64_t>>> cases[] = {
      {one("\\trpaddl108\\trpaddfl3"), {{Pad, 2}}},  // 108 twips on one side of four: 108 x F / 4
      {spaced + spaced + spaced, {{VSp, 3}, {BorderVSp, 3}}},
      {spaced, {{HSp, -1}}},
      {one("\\trspdl30\\trspdfl3\\trspdr30\\trspdfr3"), {{HSp, 4}}},
      {one(""), {{BorderVSp, 0}}},  // no spacing, equal widths: no outer border
      {bordered, {{BorderW, 2}, {CellW, 1}, {CellStyle, rvtbLoweredColor}}},  // two cell colours: lowered
      // The table's light colour and the cell colour are the left side's, the table's colour the right's.
      {bordered, {{Light, 0x0000FF}, {Colour, 0xFF0000}, {CellColour, 0x0000FF}}},
      {one("\\clbrdrl\\brdrs\\brdrcf1"), {{CellStyle, rvtbColor}}},
      {one("\\trhdr") + one(""), {{Head, 1}}},
      {one("\\clcbpat2\\clvertalc"), {{Fill, 0xFF0000}, {Align, rvcMiddle}}},
      {one("\\clvertalb"), {{Align, rvcBottom}}},
  };
  const std::string colours = "{\\rtf1 {\\colortbl;\\red255\\green0\\blue0;\\red0\\green0\\blue255;}";
  for (const auto& [rows, expected] : cases) {
    doc.Clear();
    ASSERT_EQ(doc.Read(colours + rows + "}"), 0) << rows;
    TRVTableItemInfo* t = TableAt(0);
    ASSERT_NE(t, nullptr) << rows;
    const TRVTableCellData& cell = *t->GetCell(0, 0);
    const int64_t values[] = {t->CellPadding,     t->CellVSpacing,    t->CellHSpacing,  t->BorderVSpacing,
                              t->BorderWidth,     t->CellBorderWidth, t->BorderColor,   t->BorderLightColor,
                              t->CellBorderStyle, t->HeadingRowCount, cell.BorderColor, cell.Color,
                              cell.VAlign};
    for (const auto& [which, value] : expected)
      EXPECT_EQ(values[which], value) << "value " << which << " of " << rows;
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
