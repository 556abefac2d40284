// The style sheet written as CSS for the HTML writer, byte for byte, and the HTML list tags
// of list levels.
#include <gtest/gtest.h>

#include "platform/core/Streams.h"
#include "richtext/core/RVStyle.h"

namespace {

std::string CSS(const TRVStyle& sheet, TRVSaveCSSOptions options = 0) {
  TMemoryStream stream;
  sheet.SaveCSSToStream(stream, options);
  return stream.DataString();
}

std::string Lines(std::initializer_list<const char*> lines) {
  std::string text;
  for (const char* line : lines) text += std::string(line) + "\r\n";
  return text;
}

/// The CSS rule of text style i (from its selector line to its closing brace line).
std::string TextRule(const std::string& css, int i) {
  const std::string marker = "RVTS" + std::to_string(i);
  size_t start = css.find(marker);
  if (start == std::string::npos) return {};
  start = css.rfind("\r\n", start);
  start = start == std::string::npos ? 0 : start + 2;
  const size_t end = css.find("}\r\n", start);
  return css.substr(start, end + 3 - start);
}

TEST(RVStyleCSSTest, DefaultSheetIsWrittenByteForByte) {
  TRVStyle sheet;
  const std::string expected = Lines({
      "/*----------Text Styles----------*/",
      "HR { color: #000000}",
      "BODY, TABLE /* Normal text */",
      "{",
      "  font-size: 10pt;",
      "  font-family: \"Arial\";",
      "  font-style: normal;",
      "  font-weight: normal;",
      "  color: #000000;",
      "  text-decoration: none;",
      "}",
      "SPAN.RVTS1 /* Heading */",
      "{",
      "  font-weight: bold;",
      "  color: #0000FF;",
      "}",
      "SPAN.RVTS2 /* Subheading */",
      "{",
      "  font-weight: bold;",
      "  color: #000080;",
      "}",
      "SPAN.RVTS3 /* Keywords */",
      "{",
      "  font-style: italic;",
      "  color: #800000;",
      "}",
      "A.RVTS4, SPAN.RVTS4 /* Jump 1 */",
      "{",
      "  color: #008000;",
      "  text-decoration: underline;",
      "}",
      "A.RVTS5, SPAN.RVTS5 /* Jump 2 */",
      "{",
      "  color: #008000;",
      "  text-decoration: underline;",
      "}",
      "/*----------Para Styles----------*/",
      "P,UL,OL /* Paragraph Style */",
      "{",
      "  text-align: left;",
      "  text-indent: 0px;",
      "  padding: 0px 0px 0px 0px;",
      "  margin: 0px 0px 0px 0px;",
      "}",
      ".RVPS1 /* Centered */",
      "{",
      "  text-align: center;",
      "  padding: 0px 0px 0px 0px;",
      "  margin: 0px 0px 0px 0px;",
      "}",
  });
  EXPECT_EQ(CSS(sheet), expected);
}

TEST(RVStyleCSSTest, StyleZeroWithBackgroundIsNoReference) {
  TRVStyle sheet;
  sheet.TextStyles()[0].BackColor = clYellow;
  sheet.TextStyles()[1].Standard = false;
  const std::string css = CSS(sheet);
  EXPECT_NE(css.find("SPAN.RVTS0 /* Normal text */\r\n"), std::string::npos);
  EXPECT_EQ(css.find("BODY, TABLE"), std::string::npos);
  EXPECT_EQ(TextRule(css, 1), Lines({
                                  "SPAN.RVTS1",
                                  "{",
                                  "  font-size: 10pt;",
                                  "  font-family: \"Arial\";",
                                  "  font-style: normal;",
                                  "  font-weight: bold;",
                                  "  color: #0000FF;",
                                  "  background-color: transparent;",
                                  "  text-decoration: none;",
                                  "}",
                              }));
}

TEST(RVStyleCSSTest, TextDecorationValues) {
  struct Case {
    bool jump;
    TFontStyles style;
    TRVFontStyles styleEx;
    const char* expected;
  };
  const Case cases[] = {
      {true, {fsUnderline}, rvfsOverline, "overline underline"},
      {true, {}, 0, "none"},
      {true, {fsStrikeOut}, 0, "none line-through"},
      {true, {}, rvfsOverline, "none overline"},
      {false, {}, rvfsOverline, "overline"},
      {false, {fsStrikeOut}, rvfsOverline, "overline line-through"},
  };
  for (const Case& c : cases) {
    TRVStyle sheet;
    TFontInfo& f = sheet.TextStyles()[1];
    f.Jump = c.jump;
    f.Style = c.style;
    f.StyleEx = c.styleEx;
    const std::string rule = TextRule(CSS(sheet), 1);
    EXPECT_NE(rule.find(std::string("  text-decoration: ") + c.expected + ";\r\n"), std::string::npos)
        << c.expected << "\n"
        << rule;
  }
}

TEST(RVStyleCSSTest, HoverRuleOnlyWhenAHoverColourExists) {
  TRVStyle sheet;
  const std::string plain = CSS(sheet);
  EXPECT_EQ(plain.find(":hover"), std::string::npos);
  sheet.TextStyles()[4].HoverColor = clRed;
  EXPECT_NE(CSS(sheet).find("}\r\nA.RVTS4:hover { color: #FF0000; }\r\nA.RVTS5"), std::string::npos);
  sheet.HoverColor = clBlue;  // the sheet's colour for jumps without their own
  sheet.TextStyles()[5].HoverBackColor = clYellow;
  EXPECT_NE(CSS(sheet).find("A.RVTS5:hover { color: #0000FF; background-color: #FFFF00; }\r\n"),
            std::string::npos);
}

TEST(RVStyleCSSTest, TextDeclarationsAgainstReference) {
  TRVStyle sheet;
  TFontInfo& f = sheet.TextStyles()[2];
  f.FontName = "arial";  // the same name in other letters is not written
  f.CharSpacing = 2;
  f.StyleEx = rvfsAllCaps;
  f.VShift = 40;
  f.Size = 12;
  EXPECT_EQ(TextRule(CSS(sheet), 2), Lines({
                                         "SPAN.RVTS2 /* Subheading */",
                                         "{",
                                         "  font-size: 12pt;",
                                         "  font-weight: bold;",
                                         "  color: #000080;",
                                         "  letter-spacing: 2px;",
                                         "  text-transform: uppercase;",
                                         "  vertical-align: super;",
                                         "}",
                                     }));
}

TEST(RVStyleCSSTest, BaseStylesServeAsReferenceWhenAsked) {
  TRVStyle sheet;
  TFontInfo& f = sheet.TextStyles()[3];
  f.BaseStyleNo = 1;
  f.Style = {fsBold, fsItalic};
  f.Color = clBlue;
  const std::string rule = TextRule(CSS(sheet, rvcssUseBaseStyles), 3);
  EXPECT_EQ(rule, Lines({"SPAN.RVTS3 /* Keywords */", "{", "  font-style: italic;", "}"}));
}

TEST(RVStyleCSSTest, ParagraphWithBorderBackgroundAndSpacing) {
  TRVStyle sheet;
  TParaInfo& p = sheet.ParaStyles()[1];
  p.Standard = false;
  p.Alignment = rvaLeft;
  p.FirstIndent = 8;
  p.LeftIndent = 20;
  p.SpaceBefore = 10;
  p.LineSpacing = 150;
  p.Options = rvpaoNoWrap;
  p.Border().Style = rvbDouble;
  p.Border().Width = 2;
  p.Border().InternalWidth = 1;
  p.Border().Color = clRed;
  p.Border().VisibleBorders().Right = false;
  p.Border().BorderOffsets().SetAll(3);
  p.Background().Color = clYellow;
  p.Background().BorderOffsets().Left = 5;
  const std::string css = CSS(sheet);
  const std::string expected = Lines({
      ".RVPS1",
      "{",
      "  text-indent: 8px;",
      "  line-height: 150%;",
      "  white-space: nowrap;",
      "  border-color: #FF0000;",
      "  border-style: double;",
      "  border-width: 3px;",
      "  border-right: none;",
      "  background: #FFFF00;",
      "  padding: 3px 3px 3px 5px;",
      "  margin: 7px -3px -3px 15px;",
      "}",
  });
  EXPECT_NE(css.find(expected), std::string::npos) << css;
}

TEST(RVStyleCSSTest, BorderWithoutColourIsNoBorder) {
  TRVStyle sheet;
  sheet.ParaStyles()[0].Border().Style = rvbSingle;
  sheet.ParaStyles()[0].Border().Color = clNone;
  EXPECT_EQ(CSS(sheet).find("border"), std::string::npos);
  sheet.ParaStyles()[0].Border().Color = clBlack;
  const std::string css = CSS(sheet);
  EXPECT_NE(css.find("  border-style: solid;\r\n  border-width: 1px;\r\n"), std::string::npos);
  EXPECT_NE(css.find(".RVPS1 /* Centered */\r\n{\r\n  text-align: center;\r\n  border: none;\r\n"),
            std::string::npos);
}

TEST(RVStyleCSSTest, ReferenceLineSpacingResetsToNormal) {
  TRVStyle sheet;
  sheet.ParaStyles()[0].LineSpacing = 200;
  sheet.ParaStyles()[1].LineSpacingType = rvlsSpaceBetween;
  sheet.ParaStyles()[1].LineSpacing = 4;
  const std::string css = CSS(sheet);
  EXPECT_NE(css.find("  line-height: 200%;\r\n"), std::string::npos);
  EXPECT_NE(css.find("  text-align: center;\r\n  line-height: normal;\r\n"), std::string::npos);
}

TEST(RVStyleCSSTest, SkipLeftAlignmentLeavesOutLeftWithoutReference) {
  TRVStyle sheet;
  EXPECT_EQ(CSS(sheet, rvcssSkipLeftAlignment).find("text-align: left;"), std::string::npos);
}

TEST(RVStyleCSSTest, NamesFromDocumentsCannotEndCommentOrStyleBlock) {
  TRVStyle sheet;
  sheet.TextStyles()[1].StyleName = "a */ b </STYLE>";
  sheet.TextStyles()[1].FontName = "x\"; color: red";
  const std::string rule = TextRule(CSS(sheet), 1);
  EXPECT_NE(rule.find("SPAN.RVTS1 /* a * / b /STYLE */\r\n"), std::string::npos) << rule;
  EXPECT_NE(rule.find("  font-family: \"x; color: red\";\r\n"), std::string::npos) << rule;
}

// ---------------------------------------------------------------------------------------
// List tags

std::string OpenTag(const TRVListLevel& level, bool useCSS) {
  TMemoryStream stream;
  level.HTMLOpenTag(stream, useCSS);
  return stream.DataString();
}

TEST(RVStyleCSSTest, ListLevelTags) {
  TRVListLevel level;
  level.ListType = rvlstUpperAlpha;
  level.LeftIndent = 20;
  level.FirstIndent = 0;
  EXPECT_EQ(OpenTag(level, true),
            "<OL type=A style=\"text-indent: 0px; margin-left: 20px; list-style-position:outside;\">");
  EXPECT_EQ(OpenTag(level, false), "<OL type=A>");
  level.ListType = rvlstDecimal;
  level.MarkerIndent = 30;
  EXPECT_EQ(OpenTag(level, true),
            "<OL style=\"text-indent: 10px; margin-left: 20px; list-style-position:inside;\">");
  level.ListType = rvlstLowerRoman;
  EXPECT_EQ(OpenTag(level, false), "<OL type=i>");
  level.ListType = rvlstImageList;
  EXPECT_EQ(OpenTag(level, false), "<UL>");
  TMemoryStream stream;
  level.HTMLCloseTag(stream);
  level.ListType = rvlstImageListCounter;
  level.HTMLCloseTag(stream);
  EXPECT_EQ(stream.DataString(), "</UL></OL>");
  EXPECT_EQ(level.GetIndentCSS(), "text-indent: 10px; margin-left: 20px;");
}

}  // namespace
