// The HTML page with a CSS style block: head with the style sheet's rules, P and SPAN
// classes, lists with inline indents, inline declarations of items, the file colour.
#include <gtest/gtest.h>

#include "HTMLTestSupport.h"
#include "platform/graphics/Picture.h"
#include "richtext/core/RVBack.h"

using namespace htmltest;

namespace {

constexpr TRVHTMLSaveOptions kBody = rvhoBodyOnly;

class HTMLCSSWriterTest : public ::testing::Test {
 protected:
  void SetUp() override { data.SetRVStyle(style.get()); }

  std::string Body(TRVHTMLSaveOptions extra = 0, bool* ok = nullptr) {
    return CSSPage(data, kBody | extra, folder.Path(), ok);
  }

  std::unique_ptr<TRVStyle> style = MakeStyle();
  THookedData data;
  TTempFolder folder;
};

TEST_F(HTMLCSSWriterTest, RunsOfOneStyleOnOneLineShareOneSpan) {
  data.AddTextItem("a", 0, 0);
  AddJoined(data, "b", 2);
  AddJoined(data, "c", 2);
  AddJoined(data, "d", 2);
  AddJoined(data, "e", 0);
  AddLineBreakText(data, "f", 2);
  AddJoined(data, "g", 2);
  EXPECT_EQ(Body(), "\r\n<P>a<SPAN class=RVTS2>bcd</SPAN>e\r\n<BR><SPAN class=RVTS2>fg</SPAN></P>");
}

TEST_F(HTMLCSSWriterTest, StyleZeroWithABackgroundOrAsALinkGetsASpan) {
  style->TextStyles()[0].BackColor = clYellow;
  data.AddTextItem("a", 0, 0);
  EXPECT_EQ(Body(), "\r\n<P><SPAN class=RVTS0>a</SPAN></P>");
}

TEST_F(HTMLCSSWriterTest, ParagraphClassesAndCheckpointPrefixes) {
  data.AddCheckpoint("", false, TRVTag());
  data.AddTextItem("a", 0, 0);
  data.AddCheckpoint("", false, TRVTag());
  data.AddTextItem("b", 0, 3);
  data.AddCheckpoint("", false, TRVTag());
  EXPECT_EQ(Body(),
            "\r\n<P><A name=RVCheckpoint0></A>\r\na</P>\r\n<P class=RVPS3><A name=RVCheckpoint1></A>\r\nb</P>"
            "<A name=RVCheckpoint2></A>\r\n");
  EXPECT_EQ(
      CSSPage(data, kBody, folder.Path(), nullptr, clNone, nullptr, "", "cp"),
      "\r\n<P><A name=cp0></A>\r\na</P>\r\n<P class=RVPS3><A name=cp1></A>\r\nb</P><A name=cp2></A>\r\n");
  // A prefix that is no plain token is quoted.
  EXPECT_NE(CSSPage(data, kBody, folder.Path(), nullptr, clNone, nullptr, "", "a b\"")
                .find("<A name=\"a b&quot;0\"></A>"),
            std::string::npos);
}

TEST_F(HTMLCSSWriterTest, HorizontalLineClosesTheParagraphAndOpensNone) {
  data.AddTextItem("a", 0, 0);
  AddBreak(data, 2, clRed);
  data.AddTextItem("b", 0, 0);
  EXPECT_EQ(Body(), "\r\n<P>a</P>\r\n<HR noshade size=2 style='color : #FF0000'>\r\n<P>b</P>");
}

TEST_F(HTMLCSSWriterTest, HyperlinksCarryTheirTextStyleClass) {
  data.urls[0] = "a.html?x&y";
  data.AddTextItem("go", 4, 0);
  AddJoined(data, "plain", 0);
  EXPECT_EQ(Body(), "\r\n<P><A class=RVTS4 href=\"a.html?x&amp;y\">go</A>plain</P>");
}

TEST_F(HTMLCSSWriterTest, SpanOpenedBeforeALinkOfItsStyleIsClosed) {
  data.urls[1] = "u";
  data.AddTextItem("x", 4, 0);
  AddJoined(data, "y", 4);
  data.GetItem(1)->JumpID = 1;
  AddJoined(data, "z", 0);
  EXPECT_EQ(Body(), "\r\n<P><SPAN class=RVTS4>x<A class=RVTS4 href=\"u\">y</A></SPAN>z</P>");
}

TEST_F(HTMLCSSWriterTest, ListsCarryTheirIndentsAndParagraphClasses) {
  AddMarker(data, 0, 0, 3);
  AddJoined(data, "a", 0);
  AddMarker(data, 0, 1);
  AddJoined(data, "b", 0);
  data.AddTextItem("after", 0, 0);
  EXPECT_EQ(Body(),
            Lines({"", "<OL style=\"text-indent: 0px; margin-left: 24px; list-style-position:outside;\">",
                   "<LI value=1 class=RVPS3>a</LI>",
                   "<OL type=a style=\"text-indent: 10px; margin-left: 48px; list-style-position:outside;\">",
                   "<LI value=1>b</LI>", "</OL>", "</OL>"}) +
                "<P>after</P>");
}

TEST_F(HTMLCSSWriterTest, HorizontalLineInsideAListClosesTheItemOnce) {
  AddMarker(data, 1, 0);
  AddJoined(data, "a", 0);
  AddBreak(data);
  AddMarker(data, 1, 0);
  AddJoined(data, "b", 0);
  EXPECT_EQ(Body(),
            Lines({"", "<UL style=\"text-indent: 0px; margin-left: 0px; list-style-position:inside;\">",
                   "<LI>a</LI>"}) +
                "<HR noshade size=1>" + Lines({"<LI>b</LI>", "</UL>"}));
}

TEST_F(HTMLCSSWriterTest, PictureListsShowTheirImageAsListStyle) {
  TRVListLevel* level = style->ListStyles().AddStyle()->Levels().AddLevel();  // list 3
  level->ListType = rvlstPicture;
  TPicture picture;
  picture.TakeGraphic(SolidBitmap(6, 6, clRed));
  level->SetPicture(&picture);
  AddMarker(data, 3, 0);
  AddJoined(data, "a", 0);
  AddMarker(data, 3, 0);
  AddJoined(data, "b", 0);
  bool ok = false;
  EXPECT_EQ(Body(0, &ok),
            Lines({"", "<UL style=\"text-indent: 0px; margin-left: 0px; list-style-position:inside;\">",
                   "<LI style=\"list-style-image: url('img1.jpg')\">a</LI>",
                   "<LI style=\"list-style-image: url('img1.jpg')\">b</LI>", "</UL>"}));
  EXPECT_TRUE(ok);
  EXPECT_EQ(folder.Files(), std::vector<std::string>{"img1.jpg"});
}

TEST_F(HTMLCSSWriterTest, MarkersAsTextIndentTheirParagraph) {
  style->ListStyles()[0].Levels()[1].MarkerIndent = 48;  // the marker then gets a width
  AddMarker(data, 0, 0);
  AddJoined(data, "a", 0);
  AddMarker(data, 0, 1, 3);
  AddJoined(data, "b", 0);
  EXPECT_EQ(Body(rvhoMarkersAsText),
            "\r\n<P style=\"text-indent: -24px; margin-left: 24px;\"><SPAN style=\"font: 8pt 'Arial'; color: "
            "#000000;\">1.</SPAN>\r\na</P>\r\n<P class=RVPS3 style=\"text-indent: 0px; margin-left: 48px;\">"
            "<SPAN style=\"font: 8pt 'Arial'; color: #000000; width: 10px;\">a)</SPAN>\r\nb</P>");
}

TEST_F(HTMLCSSWriterTest, ShiftedPicturesGetAnInlineVerticalAlignWithAUnit) {
  data.AddPictureItem("a", SolidBitmap(4, 10, clRed), 0, 0, TRVTag());
  auto* percent = dynamic_cast<TRVGraphicItemInfo*>(data.GetItem(0));
  percent->VShift = 50;
  data.AddPictureItem("b", SolidBitmap(4, 10, clRed), -1, 0, TRVTag());
  auto* absolute = dynamic_cast<TRVGraphicItemInfo*>(data.GetItem(1));
  absolute->VShift = -3;
  absolute->VShiftAbs = true;
  data.AddPictureItem("c", SolidBitmap(4, 10, clRed), -1, 1, TRVTag());
  dynamic_cast<TRVGraphicItemInfo*>(data.GetItem(2))->VShift = 50;  // centred: no shift
  EXPECT_EQ(
      Body(),
      "\r\n<P><IMG style=\"vertical-align : 5px\" src=\"img1.jpg\"><IMG style=\"vertical-align : -3px\" "
      "src=\"img2.jpg\"><IMG align=middle src=\"img3.jpg\"></P>");
}

TEST_F(HTMLCSSWriterTest, PicturesArePaintedOnTheirParagraphsBackground) {
  data.AddPictureItem("a", SolidBitmap(2, 2, clRed), 3, 0, TRVTag());
  data.AddPictureItem("b", SolidBitmap(2, 2, clRed), 0, 0, TRVTag());
  data.AddPictureItem("c", SolidBitmap(2, 2, clRed), 3, 0, TRVTag());
  TMemoryStream stream;
  int counter = 0;
  TColor fileColor = clNone;
  ASSERT_TRUE(data.SaveHTMLToStreamCSS(stream, folder.Path(), "", "img", "", "", "", kBody, clBlue, fileColor,
                                       counter, 0, 0, 0, 0, nullptr, nullptr));
  EXPECT_EQ(data.imageColors, (std::vector<TColor>{clYellow, clBlue, clYellow}));
  EXPECT_EQ(fileColor, clYellow);
  EXPECT_EQ(counter, 3);
}

TEST_F(HTMLCSSWriterTest, HeadHoldsTheStyleBlock) {
  TRVBackground background(false);
  background.TakeBitmap(SolidBitmap(3, 3, clRed), rvpaDoNothing, nullptr);
  background.Style = bsCentered;
  data.extras[rvhsaBodyAttribute] = "onload=\"f()\"";
  data.extras[rvhsaBodyStart] = "<!--start-->";
  const std::string head = CSSPage(data, rvhoHeadOnly, folder.Path(), nullptr, clWhite, &background);
  TMemoryStream rules;
  style->SaveCSSToStream(rules, 0);
  EXPECT_EQ(head, Lines({"<HTML><HEAD><TITLE>Title</TITLE>", "<STYLE type=\"text/css\"><!--", "BODY {",
                         "  margin: 2px 3px 4px 1px;", "  background-color: #FFFFFF;",
                         "  background-image: url(\"img1.jpg\");", "  background-repeat: no-repeat;",
                         "  background-attachment: fixed;", "  background-position: center center;", "}"}) +
                      rules.DataString() + Lines({"", "--></STYLE>", "</HEAD>", "<BODY onload=\"f()\">"}) +
                      "<!--start-->");
  EXPECT_EQ(data.extraAsked, (std::vector<int>{1, 3, 5}));
}

TEST_F(HTMLCSSWriterTest, ExternalStyleSheetReplacesTheRules) {
  const std::string head =
      CSSPage(data, rvhoHeadOnly, folder.Path(), nullptr, clNone, nullptr, "styles/a\"b.css");
  EXPECT_EQ(head, Lines({"<HTML><HEAD><TITLE>Title</TITLE>", "<STYLE type=\"text/css\"><!--", "BODY {",
                         "  margin: 2px 3px 4px 1px;", "}", "", "--></STYLE>",
                         "<LINK type=\"text/css\" href=\"styles/a&quot;b.css\" rel=STYLESHEET>", "</HEAD>",
                         "<BODY>"}));
}

TEST_F(HTMLCSSWriterTest, TailEndsThePage) {
  data.extras[rvhsaPageEnd] = "<P>end</P>";
  EXPECT_EQ(CSSPage(data, rvhoTailOnly, folder.Path()), Lines({"", "<P>end</P>", "</BODY></HTML>"}));
}

TEST_F(HTMLCSSWriterTest, WithoutStyleSheetNothingIsWritten) {
  THookedData bare;
  bool ok = true;
  EXPECT_EQ(CSSPage(bare, 0, folder.Path(), &ok), "");
  EXPECT_FALSE(ok);
}

}  // namespace
