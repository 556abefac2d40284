// The table's HTML (plain and CSS) and plain text: exact markup of tables, rows and cells,
// cells written by the document writers, and the HTML read back by an HTML5 parser with the
// same grid.
#include <gtest/gtest.h>

#include "TableTestSupport.h"
#include "richtext/core/HTMLTestSupport.h"

using namespace tabletest;

namespace {

class TableExportTest : public ::testing::Test {
 protected:
  std::string HTML(TRVTableItemInfo* t, bool css, TRVHTMLSaveOptions options = 0) {
    TMemoryStream stream;
    int imgNo = 0;
    EXPECT_TRUE(t->SaveHTML(stream, &doc, t->GetMyItemNo(), "", "/tmp/", "img", imgNo, clWhite, options, css,
                            nullptr));
    return stream.DataString();
  }
  /// What the document writer gives for a cell holding Text, as the table asks for it.
  std::string CellBody(const std::string& text, TColor color, bool css) {
    TDoc cell;
    cell.AddTextItem(text, 0, 0);
    TMemoryStream stream;
    int imgNo = 0;
    TColor current = color;
    if (css)
      cell.SaveHTMLToStreamCSS(stream, "/tmp/", "", "img", "", "", "", rvhoBodyOnly, color, current, imgNo, 0,
                               0, 0, 0, nullptr, nullptr);
    else
      cell.SaveHTMLToStream(stream, "/tmp/", "", "img", rvhoBodyOnly, color, imgNo, 0, 0, 0, 0, nullptr,
                            nullptr);
    return stream.DataString();
  }
  void SetText(TRVTableItemInfo* t, int r, int c, const std::string& text) {
    TRVTableCellData* cell = t->GetCell(r, c);
    cell->Clear();
    cell->AddTextItem(text, 0, 0);
  }
  /// A 2 x 2 table whose top row is one merged cell "top", then "a" and an empty cell.
  TRVTableItemInfo* MergedTable() {
    TRVTableItemInfo* t = doc.AddTable(2, 2);
    SetText(t, 0, 0, "top");
    EXPECT_TRUE(t->Rows().MergeCells(0, 0, 2, 1, true, false));
    SetText(t, 1, 0, "a");
    return t;
  }
  TDoc doc;
};

TEST_F(TableExportTest, PlainHTMLOfMergedTable) {
  TRVTableItemInfo* t = MergedTable();
  const std::string expected =
      "<TABLE bgcolor=#FFFFFF border=0 cellpadding=1 cellspacing=2>\r\n"
      "<TR valign=top>\r\n"
      "<TD colspan=2>" +
      CellBody("top", clWindow, false) +
      "</TD>\r\n"
      "</TR>\r\n"
      "<TR valign=top>\r\n"
      "<TD>" +
      CellBody("a", clWindow, false) +
      "</TD>\r\n"
      "<TD>&nbsp;\r\n"
      "</TD>\r\n"
      "</TR>\r\n"
      "</TABLE>\r\n";
  EXPECT_EQ(HTML(t, false), expected);
}

TEST_F(TableExportTest, TableAndCellAttributes) {
  TRVTableItemInfo* t = doc.AddTable(1, 3);
  t->BestWidth = -50;
  t->Color = clNone;
  t->BorderWidth = 2;
  t->BorderStyle = rvtbRaisedColor;
  t->BorderColor = clRed;
  t->BorderLightColor = clYellow;
  t->CellPadding = 0;
  t->CellHSpacing = 3;
  t->CellVSpacing = 4;
  t->Rows().Get(0)->VAlign = rvcVDefault;
  TRVTableCellData* c0 = t->GetCell(0, 0);
  c0->BestWidth = 120;
  c0->BestHeight = 30;
  c0->Color = clLime;
  c0->VAlign = rvcBottom;
  t->GetCell(0, 1)->VAlign = rvcMiddle;
  EXPECT_EQ(HTML(t, false),
            "<TABLE width=50% border=2 cellpadding=0 bordercolordark=#FF0000 bordercolorlight=#FFFF00 "
            "cellspacing=3>\r\n"
            "<TR>\r\n"
            "<TD width=120 height=30 bgcolor=#00FF00 valign=bottom>&nbsp;\r\n</TD>\r\n"
            "<TD valign=middle>&nbsp;\r\n</TD>\r\n"
            "<TD>&nbsp;\r\n</TD>\r\n"
            "</TR>\r\n"
            "</TABLE>\r\n");
}

TEST_F(TableExportTest, CellOfTheTableColourHasNoBgcolor) {
  TRVTableItemInfo* t = doc.AddTable(1, 1);
  t->Color = clYellow;
  t->GetCell(0, 0)->Color = clYellow;
  EXPECT_EQ(HTML(t, false).find("<TD>"), HTML(t, false).find("<TD"));
}

TEST_F(TableExportTest, CSSBordersAndStyles) {
  TRVTableItemInfo* t = doc.AddTable(1, 2);
  t->CellBorderWidth = 1;
  t->BorderStyle = rvtbLowered;
  t->CellBorderStyle = rvtbColor;
  t->CellBorderColor = clBlue;
  t->GetCell(0, 1)->VisibleBorders.SetValues(false, true, true, false);
  t->GetCell(0, 1)->BorderColor = clRed;
  EXPECT_EQ(
      HTML(t, true),
      "<TABLE bgcolor=#FFFFFF border=1 style='{border-width : 0px}' cellpadding=1 cellspacing=2"
      " style='{border-style: inset;}'>\r\n"
      "<TR valign=top>\r\n"
      "<TD style='{border-width : 1px; border-color : #0000FF; border-style: solid; }'>&nbsp;\r\n</TD>\r\n"
      "<TD style='{border-width : 1px; border-color : #FF0000; border-style: solid; border-bottom: none; "
      "border-left: none; }'>&nbsp;\r\n</TD>\r\n"
      "</TR>\r\n"
      "</TABLE>\r\n");
  // The option of value 128 switches the CSS markup on for the plain writer too.
  EXPECT_EQ(HTML(t, false, rvhoBreakColorCSS), HTML(t, true));
}

TEST_F(TableExportTest, CSSOfColouredTableBorders) {
  TRVTableItemInfo* t = doc.AddTable(1, 1);
  t->BorderWidth = 2;
  t->CellBorderWidth = 2;
  t->BorderStyle = rvtbLoweredColor;
  t->BorderColor = clRed;
  t->BorderLightColor = clYellow;
  t->CellBorderStyle = rvtbRaisedColor;
  t->CellBorderColor = clBlue;
  t->CellBorderLightColor = clWhite;
  const std::string html = HTML(t, true);
  EXPECT_NE(html.find(" border=2 cellpadding=1 bordercolordark=#FF0000 bordercolorlight=#FFFF00"),
            std::string::npos)
      << html;
  EXPECT_NE(html.find("style='{border-color : #FF0000 #FFFF00 #FFFF00 #FF0000; border-style: solid;}'"),
            std::string::npos)
      << html;
  EXPECT_NE(html.find("<TD style='{border-width : 2px; border-color : #FFFFFF #0000FF #0000FF #FFFFFF; "
                      "border-style: solid; }'>"),
            std::string::npos)
      << html;
}

TEST_F(TableExportTest, CSSCellContentUsesTheCSSWriter) {
  TRVTableItemInfo* t = MergedTable();
  const std::string html = HTML(t, true);
  EXPECT_NE(html.find("<TD colspan=2>" + CellBody("top", clWindow, true) + "</TD>\r\n"), std::string::npos)
      << html;
}

TEST_F(TableExportTest, HTML5ParserSeesTheGrid) {
  if (!htmltest::HTML5LibAvailable()) GTEST_SKIP() << "python3 with html5lib is not installed";
  TRVTableItemInfo* t = doc.AddTable(3, 3);
  SetText(t, 0, 0, "big");
  ASSERT_TRUE(t->Rows().MergeCells(0, 0, 2, 2, false, false));
  SetText(t, 1, 2, "side");
  SetText(t, 2, 1, "x");
  for (bool css : {false, true}) {
    const htmltest::TParsedPage page = htmltest::ParseHTML5(HTML(t, css), true);
    ASSERT_TRUE(page.Ran);
    EXPECT_EQ(page.Errors, "");
    // The parser's outline leaves out blank texts, so empty cells show no text.
    EXPECT_EQ(GridOfOutline(page.Outline), "[c2r2]'big'[]\n[]'side'\n[][]'x'[]") << page.Outline;
  }
}

TEST_F(TableExportTest, PlainTextSeparatesCellsAndRows) {
  TRVTableItemInfo* t = doc.AddTable(2, 2);
  SetText(t, 0, 0, "a");
  SetText(t, 0, 1, "b");
  SetText(t, 1, 1, "d");
  const std::string text = t->GetPlainText(80, &doc, "", "", false, false);
  auto cellText = [&](int r, int c) {
    TMemoryStream s;
    t->GetCell(r, c)->SaveTextRangeToStream("", s, 80, false, false, false);
    return s.DataString();
  };
  EXPECT_EQ(text, cellText(0, 0) + "\r\n" + cellText(0, 1) + "\r\n" + cellText(1, 0) + "\r\n" +
                      cellText(1, 1) + "\r\n");
  t->TextColSeparator = "\t";
  t->TextRowSeparator = ";";
  ASSERT_TRUE(t->Rows().MergeCells(1, 0, 2, 1, true, false));
  // A covered slot still gets its column separator.
  EXPECT_EQ(t->GetPlainText(80, &doc, "", "", false, false),
            cellText(0, 0) + "\t" + cellText(0, 1) + ";" + cellText(1, 0) + "\t;");
  const std::string wide = t->GetPlainText(80, &doc, "", "", false, true);
  EXPECT_NE(wide.find(std::string("\t\0;\0", 4)), std::string::npos);
}

}  // namespace

namespace {

TEST_F(TableExportTest, DocumentWritersWriteTheTableInPlace) {
  doc.AddTextItem("before", 0, 0);
  TRVTableItemInfo* t = MergedTable();
  doc.AddTextItem("after", 0, 0);
  TMemoryStream page;
  int imgNo = 0;
  ASSERT_TRUE(doc.SaveHTMLToStream(page, "/tmp/", "T", "img", rvhoBodyOnly, clWhite, imgNo, 0, 0, 0, 0,
                                   nullptr, nullptr));
  const std::string html = page.DataString();
  const size_t table = html.find(HTML(t, false));
  ASSERT_NE(table, std::string::npos) << html;
  EXPECT_LT(html.find("before"), table);
  EXPECT_GT(html.find("after"), table);
  TMemoryStream text;
  ASSERT_TRUE(doc.SaveTextRangeToStream("", text, 80, false, false, false));
  EXPECT_NE(text.DataString().find(t->GetPlainText(80, &doc, "", "", false, false)), std::string::npos);
}

}  // namespace
