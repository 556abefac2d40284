// Building documents from RTF: style choice by the reading options, paragraphs and line
// breaks, hidden text, pictures, hyperlinks, page breaks and headers, and the option checks.
#include <gtest/gtest.h>

#include "RTFTestSupport.h"
#include "platform/graphics/Bitmap.h"
#include "platform/graphics/Picture.h"
#include "richtext/core/RVGraphicFuncs.h"

using namespace rtfimport;

namespace {

class RTFBuilderTest : public ::testing::Test {
 protected:
  void SetUp() override { SetACP(1252); }
  TDoc doc;
};

TEST_F(RTFBuilderTest, ParagraphsLinesAndRuns) {
  doc.Props.TextStyleMode = rvrsAddIfNeeded;
  ASSERT_EQ(doc.Read("{\\rtf1{\\fonttbl{\\f0 Arial;}}\\f0\\fs20 One \\b two\\b0\\line three\\par\\par four}"),
            0);
  EXPECT_EQ(Outline(doc), "Ps0/p0:One  | s1/p0:two | Ls0/p0:three | Ps0/p0: | Ps0/p0:four");
  EXPECT_TRUE(doc.Style.TextStyles()[1].Style.Contains(fsBold));
}

TEST_F(RTFBuilderTest, LineBreaksAsParagraphs) {
  doc.Props.LineBreaksAsParagraphs = true;
  ASSERT_EQ(doc.Read("{\\rtf1 a\\line b}"), 0);
  EXPECT_EQ(Outline(doc), "Ps0/p0:a | Ps0/p0:b");
}

TEST_F(RTFBuilderTest, SpecifiedStylesWinWhateverTheRTFSays) {
  for (int i = 0; i < 3; ++i) doc.Style.TextStyles().AddStyle();
  doc.Style.ParaStyles().AddStyle();
  doc.Props.TextStyleMode = doc.Props.ParaStyleMode = rvrsUseSpecified;
  doc.Props.SetTextStyleNo(3);
  doc.Props.SetParaStyleNo(1);
  ASSERT_EQ(doc.Read("{\\rtf1\\b\\fs40 x\\i\\qc\\par y}"), 0);
  EXPECT_EQ(Outline(doc), "Ps3/p1:x | Ps3/p1:y");
  EXPECT_THROW(doc.Props.SetTextStyleNo(-1), Exception);
  EXPECT_THROW(doc.Props.SetParaStyleNo(-2), Exception);
  EXPECT_EQ(doc.Props.TextStyleNo(), 3);
  EXPECT_EQ(doc.Props.ParaStyleNo(), 1);
}

TEST_F(RTFBuilderTest, AddedStylesAreAddedOnce) {
  doc.Props.TextStyleMode = doc.Props.ParaStyleMode = rvrsAddIfNeeded;
  const std::string rtf =
      "{\\rtf1{\\fonttbl{\\f0 Times New Roman;}}{\\colortbl;\\red255\\green0\\blue0;}"
      "\\f0\\fs28\\cf1\\i Red\\par\\pard\\qc\\li1440\\sb240 Centred\\par}";
  ASSERT_EQ(doc.Read(rtf), 0);
  const int texts = doc.Style.TextStyles().Count(), paras = doc.Style.ParaStyles().Count();
  ASSERT_EQ(doc.Read(rtf), 0);
  EXPECT_EQ(doc.Style.TextStyles().Count(), texts);
  EXPECT_EQ(doc.Style.ParaStyles().Count(), paras);
  const TFontInfo& red = doc.Style.TextStyles()[texts - 1];
  EXPECT_EQ(red.FontName, "Times New Roman");
  EXPECT_EQ(red.Size, 14);
  EXPECT_EQ(red.Color, 0x0000FF);
  const TParaInfo& centred = doc.Style.ParaStyles()[paras - 1];
  EXPECT_EQ(centred.Alignment, rvaCenter);
  EXPECT_EQ(centred.LeftIndent, 96);
  EXPECT_EQ(centred.SpaceBefore, 16);
}

TEST_F(RTFBuilderTest, ClosestStyleFollowsTheWantedLook) {
  TFontInfo* bold = doc.Style.TextStyles().AddStyle();
  bold->Style = TFontStyles{fsBold};
  TFontInfo* red = doc.Style.TextStyles().AddStyle();
  red->Color = 0x0000FF;
  TParaInfo* centred = doc.Style.ParaStyles().AddStyle();
  centred->Alignment = rvaCenter;
  ASSERT_EQ(
      doc.Read("{\\rtf1{\\colortbl;\\red255\\green0\\blue0;}\\fs20 plain \\b bold\\b0 \\cf1 red\\par\\qc c}"),
      0);
  EXPECT_EQ(Outline(doc), "Ps0/p0:plain  | s1/p0:bold | s2/p0:red | Ps2/p1:c");
  const int count = doc.Style.TextStyles().Count();
  EXPECT_EQ(count, 3) << "closest matching adds nothing";
}

TEST_F(RTFBuilderTest, SubscriptAsksForHalfTheSize) {
  doc.Props.TextStyleMode = rvrsAddIfNeeded;
  ASSERT_EQ(doc.Read("{\\rtf1\\fs24 a\\sub b}"), 0);
  const TFontInfo& sub = doc.Style.TextStyles()[doc.GetItem(1)->StyleNo];
  EXPECT_EQ(sub.Size, 6);
  EXPECT_LT(sub.VShift, 0);
}

TEST_F(RTFBuilderTest, HiddenTextIsDroppedButItsParagraphsCount) {
  ASSERT_EQ(doc.Read("{\\rtf1 A\\par{\\v hidden}\\par B\\v gone\\v0 C}"), 0);
  EXPECT_EQ(Outline(doc), "Ps0/p0:A | Ps0/p0: | Ps0/p0:B | s0/p0:C");
  TDoc shown;
  shown.Props.SkipHiddenText = false;
  ASSERT_EQ(shown.Read("{\\rtf1 B\\v gone\\v0 C}"), 0);
  EXPECT_EQ(Outline(shown), "Ps0/p0:B | s0/p0:gone | s0/p0:C");
}

TEST_F(RTFBuilderTest, UnicodeModes) {
  const std::string rtf = "{\\rtf1\\ansicpg1252{\\fonttbl{\\f0\\fcharset204 Arial;}}\\f0 \\'cf\\u1080?}";
  doc.Props.UnicodeMode = rvruOnlyUnicode;
  doc.Props.TextStyleMode = rvrsAddIfNeeded;
  ASSERT_EQ(doc.Read(rtf), 0);
  EXPECT_EQ(Outline(doc), "Ps1/p0:\xD0\x9F | s1/p0:\xD0\xB8");
  EXPECT_TRUE(doc.Style.TextStyles()[1].Unicode);
  TDoc ansi;
  ansi.Props.TextStyleMode = rvrsAddIfNeeded;
  ASSERT_EQ(ansi.Read(rtf), 0);
  // Without Unicode the character comes in its fallback, in the font's code page.
  EXPECT_EQ(ansi.GetItemCount(), 1);
  EXPECT_FALSE(ansi.Style.TextStyles()[ansi.GetItem(0)->StyleNo].Unicode);
}

TEST_F(RTFBuilderTest, HyperlinksGetTheirTargetAndAHypertextStyle) {
  doc.Props.TextStyleMode = rvrsAddIfNeeded;
  doc.Props.BasePath = "http://base/";
  ASSERT_EQ(
      doc.Read(
          "{\\rtf1 see {\\field{\\*\\fldinst HYPERLINK \"http://x.org/a\" \\\\o \"tip\"}{\\fldrslt link}}"
          " and {\\field{\\*\\fldinst HYPERLINK rel.html}{\\fldrslt here}}}"),
      0);
  // Style 1 is the plain 12-point text, style 2 its hypertext form.
  EXPECT_EQ(Outline(doc),
            "Ps1/p0:see  | s2/p0:link<http://x.org/a> | s1/p0: and  | s2/p0:here<http://base/rel.html>");
  EXPECT_FALSE(doc.Style.TextStyles()[1].Jump);
  EXPECT_TRUE(doc.Style.TextStyles()[2].Jump);
}

TEST_F(RTFBuilderTest, PicturesAndTheirReplacements) {
  const std::string dib =
      "{\\pict\\dibitmap0\\picw2\\pich1\\picwgoal30\\pichgoal15 "
      "280000000200000001000000010018000000000008000000"
      "00000000000000000000000000000000FF00000000FF0000}";
  ASSERT_EQ(doc.Read("{\\rtf1 a" + dib + "{\\pict\\pngblip 89504E47}}"), 0);
  TGraphic* invalid = doc.Style.InvalidPicture().Graphic();
  ASSERT_NE(invalid, nullptr);
  EXPECT_EQ(Outline(doc), "Ps0/p0:a | G2x1 | G" + std::to_string(invalid->Width()) + "x" +
                              std::to_string(invalid->Height()));
  TDoc ignoring;
  ignoring.Props.IgnorePictures = true;
  ASSERT_EQ(ignoring.Read("{\\rtf1 a" + dib + "b}"), 0);
  EXPECT_EQ(Outline(ignoring), "Ps0/p0:a | s0/p0:b");
}

TEST_F(RTFBuilderTest, PicturesComeFromTheFactoryAndTheImportedGraphicFilterChoosesWhatStays) {
  std::vector<std::string> made, filtered;
  const TRVGraphicFactoryProc factory =
      std::exchange(RVGraphicFactory(), [&made](std::string_view className) {
        made.emplace_back(className);
        return CreateGraphic(className);
      });
  const TRVImportedGraphicFilterProc filter = std::exchange(
      RVImportedGraphicFilter(), [&](std::unique_ptr<TGraphic> graphic) -> std::unique_ptr<TGraphic> {
        filtered.push_back(graphic->ClassName() + " " + std::to_string(graphic->Width()) + "x" +
                           std::to_string(graphic->Height()));
        auto replacement = std::make_unique<TBitmap>();
        replacement->SetSize(5, 4);
        return replacement;
      });
  // A metafile of a header and the end record, one inch by half an inch.
  const std::string wmf =
      "{\\pict\\wmetafile8\\picw2540\\pich1270 0100090000030C0000000000030000000000030000000000}";
  EXPECT_EQ(doc.Read("{\\rtf1 a{\\pict\\pngblip " + kGreenDotPngHex + "}" + wmf + "{\\pict\\jpegblip 00}}"),
            0);
  RVGraphicFactory() = factory, RVImportedGraphicFilter() = filter;
  // The invalid picture that stands for the unreadable JPEG comes from the factory too, unfiltered.
  EXPECT_EQ(made, (std::vector<std::string>{"TBitmap", "TMetafile", "TJPEGImage", "TBitmap"}));
  EXPECT_EQ(filtered, (std::vector<std::string>{"TBitmap 3x2", "TMetafile 96x48"}));
  EXPECT_EQ(Outline(doc).substr(0, 17), "Ps0/p0:a | G5x4 |");
}

TEST_F(RTFBuilderTest, PageBreakMarksTheNextParagraph) {
  ASSERT_EQ(doc.Read("{\\rtf1 a\\page b}"), 0);
  ASSERT_EQ(doc.GetItemCount(), 2);
  EXPECT_FALSE(doc.GetItem(0)->GetPageBreakBefore());
  EXPECT_TRUE(doc.GetItem(1)->GetPageBreakBefore());
}

TEST_F(RTFBuilderTest, HeaderGoesToItsOwnDocument) {
  TDoc header;
  doc.Props.HeaderData = &header;
  ASSERT_EQ(doc.Read("{\\rtf1\\headery1440{\\header Top}Body}"), 0);
  EXPECT_EQ(Outline(doc), "Ps0/p0:Body");
  EXPECT_EQ(Outline(header), "Ps0/p0:Top");
  EXPECT_EQ(doc.Props.HeaderY, 25);
  TDoc reset, footer;
  reset.Props.HeaderData = &header;
  reset.Props.FooterData = &footer;
  ASSERT_EQ(reset.Read("{\\rtf1\\headery1440\\footery2880\\sectd{\\header Top}{\\footer Foot}Body}"), 0);
  EXPECT_EQ(reset.Props.HeaderY, 13) << "a section reset brings back the default distances";
  EXPECT_EQ(reset.Props.FooterY, 13);
  TDoc skipped;
  ASSERT_EQ(skipped.Read("{\\rtf1{\\header Top}Body}"), 0);
  EXPECT_EQ(Outline(skipped), "Ps0/p0:Body");
}

TEST_F(RTFBuilderTest, InsertsAtTheGivenIndex) {
  doc.AddTextItem("first", 0, 0);
  doc.AddTextItem("last", 0, 0);
  TMemoryStream s(std::string("{\\rtf1 mid\\par more}"));
  int index = 1;
  ASSERT_EQ(doc.Props.ReadFromStream(s, &doc, index), 0);
  EXPECT_EQ(index, 2);
  EXPECT_EQ(Outline(doc), "Ps0/p0:first | Ps0/p0:mid | Ps0/p0:more | Ps0/p0:last");
}

TEST_F(RTFBuilderTest, AssignCopiesTheReadingOptionsOnly) {
  TRVRTFReaderProperties a, b;
  a.UnicodeMode = rvruMixed;
  a.TextStyleMode = rvrsAddIfNeeded;
  a.ParaStyleMode = rvrsUseSpecified;
  a.IgnorePictures = a.UseHypertextStyles = true;
  a.SetTextStyleNo(2);
  a.SetParaStyleNo(4);
  a.SkipHiddenText = false;
  a.LineBreaksAsParagraphs = true;
  b.Assign(&a);
  EXPECT_EQ(b.UnicodeMode, rvruMixed);
  EXPECT_EQ(b.TextStyleMode, rvrsAddIfNeeded);
  EXPECT_EQ(b.ParaStyleMode, rvrsUseSpecified);
  EXPECT_TRUE(b.IgnorePictures && b.UseHypertextStyles);
  EXPECT_EQ(b.TextStyleNo(), 2);
  EXPECT_EQ(b.ParaStyleNo(), 4);
  EXPECT_TRUE(b.SkipHiddenText);
  EXPECT_FALSE(b.LineBreaksAsParagraphs);
  TRVStyle notOptions;
  EXPECT_THROW(b.Assign(&notOptions), Exception);
}

}  // namespace
