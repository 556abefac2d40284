// The markup helpers of the HTML writers: escaping, font sizes, FONT/B/I/U/S markup, CSS
// font text, image attributes, and the image files with their per-export cache.
#include <gtest/gtest.h>

#include "HTMLTestSupport.h"
#include "richtext/core/RVFontInfo.h"
#include "richtext/core/RVHTMLFuncs.h"

using namespace htmltest;

namespace {

struct EscapeCase {
  const char* text;
  bool emptyAsNbsp;
  bool htmlCode;
  const char* html;
};

TEST(HTMLFuncsTest, EscapesTextLikeThePageShowsIt) {
  const EscapeCase cases[] = {
      {"a  b ", true, false, "a&nbsp; b&nbsp;"},
      {" ", true, false, "&nbsp;"},
      {"<a&b>", true, false, "&lt;a&amp;b&gt;"},
      {"", true, false, "&nbsp;"},
      {"", false, false, ""},
      {"a    b", false, false, "a&nbsp;&nbsp;&nbsp; b"},
      {" a", false, false, "&nbsp;a"},
      {"  a", false, false, "&nbsp; a"},
      {"a  ", false, false, "a&nbsp;&nbsp;"},
      {"   ", false, false, "&nbsp;&nbsp;&nbsp;"},
      {"&amp;", false, false, "&amp;amp;"},
      {"<b>  x</b>", false, true, "<b>  x</b>"},
      {"", true, true, ""},
  };
  for (const EscapeCase& c : cases)
    EXPECT_EQ(RVEscapeHTML(c.text, c.emptyAsNbsp, c.htmlCode), c.html) << '"' << c.text << '"';
}

TEST(HTMLFuncsTest, EscapesAttributeValuesAndCSSStrings) {
  EXPECT_EQ(RVEscapeHTMLAttribute("a&b\"c<d>e'f"), "a&amp;b&quot;c&lt;d&gt;e'f");
  EXPECT_EQ(RVEscapeCSSString("it's \"x\"\\</style>"), "it\\'s \\\"x\\\"\\\\\\3C /style\\3E ");
  EXPECT_EQ(RVPathToURL("a\\b\\c.jpg"), "a/b/c.jpg");
}

TEST(HTMLFuncsTest, MapsPointSizesToHTMLSizes) {
  const std::pair<int, int> cases[] = {{1, 1},  {8, 1},  {9, 2},  {10, 2}, {11, 3}, {12, 3},
                                       {13, 4}, {14, 4}, {15, 5}, {18, 5}, {19, 6}, {24, 6},
                                       {25, 7}, {72, 7}, {0, 1},  {-3, 1}};
  for (auto [points, html] : cases) EXPECT_EQ(RVFontSizeToHTML(points), html) << points;
}

TEST(HTMLFuncsTest, NamesCharsetsAndAlignments) {
  EXPECT_EQ(RVCharsetToHTMLCharset(204), "Windows-1251");
  EXPECT_EQ(RVCharsetToHTMLCharset(128), "shift_jis");
  EXPECT_EQ(RVCharsetToHTMLCharset(255), "ascii");
  EXPECT_EQ(RVCharsetToHTMLCharset(0), "");
  EXPECT_EQ(RVCharsetToHTMLCharset(1), "");
  EXPECT_EQ(RVHTMLDivForAlignment(rvaLeft), "<DIV>");
  EXPECT_EQ(RVHTMLDivForAlignment(rvaRight), "<DIV align=right>");
  EXPECT_EQ(RVHTMLDivForAlignment(rvaCenter), "<DIV align=center>");
  EXPECT_EQ(RVHTMLDivForAlignment(rvaJustify), "<DIV align=justify>");
}

TEST(HTMLFuncsTest, ImageAttributesFollowTheOptions) {
  EXPECT_EQ(RVHTMLImageAttributes(0, 10, 20, false), " ");
  EXPECT_EQ(RVHTMLImageAttributes(rvhoNoImageBorders, 10, 20, false), " border=0 ");
  EXPECT_EQ(RVHTMLImageAttributes(rvhoImageSizes, 10, 20, false), " width=10 height=20 ");
  EXPECT_EQ(RVHTMLImageAttributes(0, 10, 20, true), " width=10 height=20 ");
  EXPECT_EQ(RVHTMLImageAttributes(rvhoNoImageBorders | rvhoImageSizes, 1, 2, false),
            " border=0 width=1 height=2 ");
}

class FontTagsTest : public ::testing::Test {
 protected:
  TFontInfo base, style;
};

TEST_F(FontTagsTest, AbsoluteMarkupNamesEverything) {
  style.Style = {fsBold, fsUnderline};
  EXPECT_EQ(RVHTMLOpenFontTags(style, base, false), "<FONT size=2 color=#000000 face=\"Arial\"><B><U>");
  EXPECT_EQ(RVHTMLCloseFontTags(style, base, false), "</U></B></FONT>");
}

TEST_F(FontTagsTest, RelativeMarkupOfTheSameFontHasNoFont) {
  style.Style = {fsBold};
  EXPECT_EQ(RVHTMLOpenFontTags(style, base, true), "<B>");
  EXPECT_EQ(RVHTMLCloseFontTags(style, base, true), "</B>");
  style.Style = {};
  style.FontName = "ARIAL";
  EXPECT_EQ(RVHTMLOpenFontTags(style, base, true), "");
  EXPECT_EQ(RVHTMLCloseFontTags(style, base, true), "");
}

TEST_F(FontTagsTest, RelativeMarkupClosesWhatTheBaseHasAndReopensIt) {
  base.Style = {fsBold, fsItalic};
  style.Style = {fsItalic, fsStrikeOut};
  style.Size = 18;
  style.VShift = 5;
  EXPECT_EQ(RVHTMLOpenFontTags(style, base, true), "<FONT size=5></B><S><SUP>");
  EXPECT_EQ(RVHTMLCloseFontTags(style, base, true), "</SUP></S><B></FONT>");
}

TEST_F(FontTagsTest, FaceIsEscapedAndNoColourMeansNoColourAttribute) {
  style.FontName = "A\"<b>&c";
  style.Color = clNone;
  EXPECT_EQ(RVHTMLOpenFontTags(style, base, true), "<FONT face=\"A&quot;&lt;b&gt;&amp;c\">");
  EXPECT_EQ(RVHTMLOpenFontTags(style, base, false), "<FONT size=2 face=\"A&quot;&lt;b&gt;&amp;c\">");
  // Only the colour differs, and the style has none: no FONT is opened, so none is closed.
  style.FontName = base.FontName;
  EXPECT_EQ(RVHTMLOpenFontTags(style, base, true), "");
  EXPECT_EQ(RVHTMLCloseFontTags(style, base, true), "");
}

TEST_F(FontTagsTest, SubscriptOpensAfterStyles) {
  style.VShift = -1;
  style.Color = clBlue;
  EXPECT_EQ(RVHTMLOpenFontTags(style, base, true), "<FONT color=#0000FF><SUB>");
  EXPECT_EQ(RVHTMLCloseFontTags(style, base, true), "</SUB></FONT>");
}

TEST_F(FontTagsTest, MarkerFontsAreRelativeAndNeverShifted) {
  TFont font;
  font.SetName("Symbol");
  font.SetSize(10);
  font.SetColor(clWindowText);
  font.SetStyle({fsItalic});
  base.VShift = 3;
  EXPECT_EQ(RVHTMLOpenMarkerFontTags(font, base), "<FONT face=\"Symbol\"><I>");
  EXPECT_EQ(RVHTMLCloseMarkerFontTags(font, base), "</I></FONT>");
}

TEST(HTMLFuncsTest, FontToCSS) {
  TFont font;
  font.SetName("Times New Roman");
  font.SetSize(12);
  font.SetColor(clRed);
  EXPECT_EQ(RVFontToCSS(font), "font: 12pt 'Times New Roman'; color: #FF0000;");
  font.SetStyle({fsBold, fsItalic, fsUnderline, fsStrikeOut});
  font.SetColor(clNone);
  EXPECT_EQ(RVFontToCSS(font),
            "font: bold italic 12pt 'Times New Roman'; text-decoration: underline line-through;");
  EXPECT_EQ(RVAppendWithSpace("", "a"), "a");
  EXPECT_EQ(RVAppendWithSpace("a", ""), "a");
  EXPECT_EQ(RVAppendWithSpace("a", "b"), "a b");
}

class ImageFileTest : public ::testing::Test {
 protected:
  void SetUp() override { data.SetRVStyle(&style); }
  TRVStyle style;
  THookedData data;
  TTempFolder folder;
  int counter = 0;
};

TEST_F(ImageFileTest, LocationTakesTheFolderOfThePrefix) {
  std::filesystem::create_directory(folder.Path() + "pics");
  auto bitmap = SolidBitmap(3, 2, clRed);
  EXPECT_EQ(RVSaveImageFileForHTML(data, bitmap.get(), folder.Path(), "pics/p", counter, clNone, false),
            "pics/p1.jpg");
  EXPECT_EQ(RVSaveImageFileForHTML(data, bitmap.get(), folder.Path(), "q", counter, clNone, false), "q2.jpg");
  TJPEGImage decoded;
  decoded.LoadFromFile(folder.Path() + "pics/p1.jpg");
  EXPECT_EQ(decoded.Width(), 3);
  EXPECT_EQ(decoded.Height(), 2);
}

TEST_F(ImageFileTest, PictureWithoutPixelsGivesNoFile) {
  TBitmap empty;
  EXPECT_EQ(RVSaveImageFileForHTML(data, &empty, folder.Path(), "p", counter, clNone, false), "");
  EXPECT_TRUE(folder.Files().empty());
}

TEST_F(ImageFileTest, SaveIntoAMissingFolderRaises) {
  auto bitmap = SolidBitmap(3, 2, clRed);
  EXPECT_ANY_THROW(
      RVSaveImageFileForHTML(data, bitmap.get(), folder.Path() + "missing/", "p", counter, clNone, false));
  EXPECT_TRUE(folder.Files().empty());
}

TEST_F(ImageFileTest, SameImageListImageAndColourIsWrittenOnce) {
  TCustomImageList images;
  images.SetSize(4, 4);
  images.AddMasked(SolidBitmap(4, 4, clRed).get(), clNone);
  images.AddMasked(SolidBitmap(4, 4, clLime).get(), clNone);
  TRVHTMLBulletList bullets;
  auto save = [&](int index, TColor color) {
    return RVSaveBulletForHTML(&images, index, nullptr, data, folder.Path(), "b", counter, color, 0, bullets);
  };
  EXPECT_EQ(save(0, clWhite), "b1.jpg");
  EXPECT_EQ(save(0, clWhite), "b1.jpg");
  EXPECT_EQ(save(1, clWhite), "b2.jpg");
  EXPECT_EQ(save(0, clBlue), "b3.jpg");
  EXPECT_EQ(bullets.Count(), 3);
  EXPECT_EQ(folder.Files(), (std::vector<std::string>{"b1.jpg", "b2.jpg", "b3.jpg"}));
  TJPEGImage decoded;
  decoded.LoadFromFile(folder.Path() + "b2.jpg");
  EXPECT_EQ(decoded.Width(), 4);
}

TEST_F(ImageFileTest, ImageOfNoSizeIsNotCached) {
  TRVHTMLBulletList bullets;
  EXPECT_EQ(RVSaveBulletForHTML(nullptr, 0, nullptr, data, folder.Path(), "b", counter, clWhite, 0, bullets),
            "");
  EXPECT_EQ(bullets.Count(), 0);
}

TEST_F(ImageFileTest, NamesSkipExistingFilesAndReadOnlyOnesEvenWhenReusing) {
  auto bitmap = SolidBitmap(2, 2, clRed);
  { std::ofstream(folder.Path() + "p1.jpg") << "old"; }
  { std::ofstream(folder.Path() + "p2.jpg") << "locked"; }
  chmod((folder.Path() + "p2.jpg").c_str(), 0444);
  EXPECT_EQ(RVSaveImageFileForHTML(data, bitmap.get(), folder.Path(), "p", counter, clNone, false), "p3.jpg");
  counter = 0;
  EXPECT_EQ(RVSaveImageFileForHTML(data, bitmap.get(), folder.Path(), "p", counter, clNone, true), "p1.jpg");
  EXPECT_EQ(RVSaveImageFileForHTML(data, bitmap.get(), folder.Path(), "p", counter, clNone, true), "p3.jpg");
  EXPECT_EQ(folder.Read("p2.jpg"), "locked");
}

}  // namespace
