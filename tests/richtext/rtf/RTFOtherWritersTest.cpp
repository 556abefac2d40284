// RTF as other programs write it: what the document holds after reading constructs that
// office suites, hand-written files and small converters use.
#include <gtest/gtest.h>

#include "RTFTestSupport.h"
#include "platform/graphics/Bitmap.h"
#include "richtext/core/RVUni.h"

using namespace rtfimport;

namespace {

/// The paragraphs' text as UTF-8, joined by "|"; a table as "[cell,cell;row]".
std::string Paragraphs(TCustomRVData& data) {
  std::string out;
  for (int i = 0; i < data.GetItemCount(); ++i) {
    TCustomRVItemInfo* item = data.GetItem(i);
    if (i > 0 && !item->GetSameAsPrev()) out += "|";
    if (item->StyleNo >= 0) out += Utf8(data.GetItemTextW(i));
    if (auto* table = dynamic_cast<TRVTableItemInfo*>(item)) {
      out += "[";
      for (int r = 0; r < table->Rows().Count(); ++r)
        for (int c = 0; c < table->Rows().GetColCount(); ++c)
          if (TRVTableCellData* cell = table->GetCell(r, c))
            out += (r > 0 && c == 0 ? ";" : c > 0 ? "," : "") + Paragraphs(*cell);
      out += "]";
    }
  }
  return out;
}

struct WriterCase {
  const char* name;
  const char* rtf;
  const char* unicodeText;  // read with Unicode text items
  const char* ansiText;     // read into 8-bit text items
};

void PrintTo(const WriterCase& c, std::ostream* os) {
  *os << c.name;
}

const WriterCase kWriterCases[] = {
    {"PageBreakAfterParagraphEnd", "{\\rtf1 A\\par\\page B\\par}", "A|B", "A|B"},
    {"UnicodeSkipBelongsToItsGroup", "{\\rtf1\\uc1 {\\uc2 \\u1071 xx}\\u1071? end.\\par}",
     "\xD0\xAF\xD0\xAF end.", "?? end."},
    {"TextWithoutFontUsesDefaultFont",
     "{\\rtf1\\deff1{\\fonttbl{\\f0\\fcharset0 Arial;}{\\f1\\fcharset204 Times;}}\\'cf\\'f0}",
     "\xD0\x9F\xD1\x80", "\xD0\x9F\xD1\x80"},
    {"AnsiFontUsesDocumentCodePage",
     "{\\rtf1\\ansi\\ansicpg1251{\\fonttbl{\\f0\\fcharset0 Arial;}}\\f0 \\'cf\\'f0}", "\xD0\x9F\xD1\x80",
     "\xD0\x9F\xD1\x80"},
    {"TypographicKeywords", "{\\rtf1 A\\~B co\\_op opt\\-hyph \\bullet\\emdash\\endash\\emspace\\enspace.}",
     "A\xC2\xA0"
     "B co\xE2\x80\x91op opthyph \xE2\x80\xA2\xE2\x80\x94\xE2\x80\x93\xE2\x80\x83\xE2\x80\x82.",
     "A\xC2\xA0"
     "B co-op opthyph \xE2\x80\xA2\xE2\x80\x94\xE2\x80\x93  ."},
    {"MacCodePage", "{\\rtf1\\mac \\'8e}", "\xC3\xA9", "\xC3\xA9"},
    {"PCCodePage", "{\\rtf1\\pc \\'82}", "\xC3\xA9", "\xC3\xA9"},
    {"PCACodePage", "{\\rtf1\\pca \\'d5}", "\xC4\xB1", "?"},
    {"CellsWrappedInGroups",
     "{\\rtf1 {\\pard\\intbl A\\cell} {\\pard\\intbl B\\cell} \\row\\pard After\\par}", "[A, B]|After",
     "[A, B]|After"},
};

class RTFOtherWritersTest : public ::testing::TestWithParam<WriterCase> {
 protected:
  void SetUp() override { SetACP(1252); }
};

TEST_P(RTFOtherWritersTest, ReadsWhatTheFileHolds) {
  for (const TRVReaderUnicode mode : {rvruOnlyUnicode, rvruNoUnicode}) {
    TDoc doc;
    doc.Props.UnicodeMode = mode;
    doc.Props.TextStyleMode = rvrsAddIfNeeded;
    ASSERT_EQ(doc.Read(GetParam().rtf), 0);
    EXPECT_EQ(Paragraphs(doc), mode == rvruOnlyUnicode ? GetParam().unicodeText : GetParam().ansiText)
        << (mode == rvruOnlyUnicode ? "Unicode" : "8-bit") << ": " << Outline(doc);
  }
}

INSTANTIATE_TEST_SUITE_P(Cases, RTFOtherWritersTest, ::testing::ValuesIn(kWriterCases),
                         [](const ::testing::TestParamInfo<WriterCase>& info) { return info.param.name; });

TEST(RTFOtherWritersPictures, PngOfAShapePictureIsReadInsteadOfItsFallback) {
  const std::string png = GreenDotPngHex();
  ASSERT_FALSE(png.empty());
  TDoc doc;
  ASSERT_EQ(doc.Read("{\\rtf1{\\*\\shppict{\\pict\\pngblip\\picw3\\pich2\\picwgoal90\\pichgoal60 " + png +
                     "}}{\\nonshppict{\\pict\\wmetafile8\\picw100\\pich100 0102}}}"),
            0);
  // The goal size (90 x 60 twips) holds for bitmaps as for metafiles.
  EXPECT_EQ(Outline(doc), "PG6x4");
  auto* picture = dynamic_cast<TRVGraphicItemInfo*>(doc.GetItem(0));
  ASSERT_NE(picture, nullptr);
  auto* bitmap = dynamic_cast<TBitmap*>(picture->Image.get());
  ASSERT_NE(bitmap, nullptr) << "the invalid-picture placeholder came instead";
  EXPECT_EQ(bitmap->Canvas().Pixel(1, 1), 0x00FF00);
  EXPECT_EQ(bitmap->Canvas().Pixel(0, 0), 0xFFFFFF);
}

TEST(RTFOtherWritersTables, HyperlinkInACellKeepsItsTarget) {
  TDoc doc;
  ASSERT_EQ(doc.Read("{\\rtf1\\trowd\\cellx1000\\pard\\intbl see {\\field{\\*\\fldinst HYPERLINK "
                     "\"http://x.org/\"}{\\fldrslt link}}\\cell\\row}"),
            0);
  auto* table = dynamic_cast<TRVTableItemInfo*>(doc.GetItem(0));
  ASSERT_NE(table, nullptr) << Outline(doc);
  TRVTableCellData* cell = table->GetCell(0, 0);
  ASSERT_EQ(cell->GetItemCount(), 2);
  ASSERT_TRUE(cell->GetItem(1)->Tag.Text.has_value());
  EXPECT_EQ(*cell->GetItem(1)->Tag.Text, "http://x.org/");
}

TEST(RTFOtherWritersLists, OverrideRestartsOnceAndLevelWithoutNumberHasNoLabel) {
  TDoc doc;
  doc.Props.ParaStyleMode = rvrsAddIfNeeded;
  ASSERT_EQ(
      doc.Read(
          "{\\rtf1{\\fonttbl{\\f0 Arial;}}{\\*\\listtable"
          "{\\list\\listid1{\\listlevel\\levelnfc0\\levelstartat1{\\leveltext\\'02\\'00.;}"
          "{\\levelnumbers\\'01;}}}{\\list\\listid2{\\listlevel\\levelnfc255{\\leveltext\\'01\\'00;}"
          "{\\levelnumbers\\'01;}}}}{\\*\\listoverridetable{\\listoverride\\listid1\\listoverridecount0\\ls1}"
          "{\\listoverride\\listid1\\listoverridecount1{\\lfolevel\\listoverridestartat\\levelstartat1}\\ls2}"
          "{\\listoverride\\listid2\\listoverridecount0\\ls3}}"
          "\\pard\\ls1 one\\par\\pard\\ls1 two\\par\\pard\\ls2 restart\\par\\pard\\ls2 next\\par"
          "\\pard\\ls3 Heading\\par}"),
      0);
  std::string labels;
  for (int i = 0; i < doc.GetItemCount(); ++i)
    if (auto* marker = dynamic_cast<TRVMarkerItemInfo*>(doc.GetItem(i)))
      labels += "[" + Utf8(RVBytesToWideString(marker->GetPlainText(&doc.Style, true))) + "]";
  EXPECT_EQ(labels, "[1. ][2. ][1. ][2. ][ ]") << Outline(doc);
  const TRVListLevel& heading = doc.Style.ListStyles()[doc.Style.ListStyles().Count() - 1].Levels()[0];
  EXPECT_TRUE(heading.HasNoMarker());
}

}  // namespace
