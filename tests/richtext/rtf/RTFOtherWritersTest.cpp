// RTF as other programs write it: what the document holds after reading constructs that
// office suites, hand-written files and small converters use, with Unicode and 8-bit items.
#include <gtest/gtest.h>

#include <regex>

#include "RTFTestSupport.h"

using namespace rtfimport;

namespace {

struct WriterCase {
  const char* name;
  const char* rtf;
  const char* unicode;  // the outline, runs joined, read into Unicode items
  const char* ansi;     // the same, read into 8-bit items
};

void PrintTo(const WriterCase& c, std::ostream* os) {
  *os << c.name;
}

const WriterCase kWriterCases[] = {
    {"PageBreakAfterParagraphEnd", "{\\rtf1 A\\par\\page B\\par}", "PA | PB", "PA | PB"},
    {"UnicodeSkipBelongsToItsGroup", "{\\rtf1\\uc1 {\\uc2 \\u1071 xx}\\u1071? end.}",
     "P\xD0\xAF\xD0\xAF end.", "P?? end."},
    {"TextWithoutFontUsesDefaultFont",
     "{\\rtf1\\deff1{\\fonttbl{\\f0 Arial;}{\\f1\\fcharset204 Times;}}\\'cf}", "P\xD0\x9F", "P\xD0\x9F"},
    {"AnsiFontUsesDocumentCodePage", "{\\rtf1\\ansicpg1251{\\fonttbl{\\f0\\fcharset0 Arial;}}\\f0 \\'cf}",
     "P\xD0\x9F", "P\xD0\x9F"},
    {"UnicodeInTheFontsCodePage", "{\\rtf1{\\fonttbl{\\f0\\fcharset204 Arial;}}\\f0 \\u1080?}", "P\xD0\xB8",
     "P\xD0\xB8"},
    {"TypographicKeywords", "{\\rtf1 A\\~B co\\_op opt\\-hyph \\bullet\\emdash\\endash\\emspace\\enspace.}",
     "PA\xC2\xA0"
     "B co\xE2\x80\x91op opthyph \xE2\x80\xA2\xE2\x80\x94\xE2\x80\x93\xE2\x80\x83\xE2\x80\x82.",
     "PA\xC2\xA0"
     "B co-op opthyph \xE2\x80\xA2\xE2\x80\x94\xE2\x80\x93  ."},
    {"MacCodePage", "{\\rtf1\\mac \\'8e}", "P\xC3\xA9", "P\xC3\xA9"},
    {"PCCodePage", "{\\rtf1\\pc \\'82}", "P\xC3\xA9", "P\xC3\xA9"},
    {"PCACodePage", "{\\rtf1\\pca \\'d5}", "P\xC4\xB1", "P?"},
    {"CellsWrappedInGroups", "{\\rtf1 {\\pard\\intbl A\\cell} {\\pard\\intbl B\\cell} \\row\\pard C}",
     "PT[A, B] | PC", "PT[A, B] | PC"},
    {"ShapePictureIsPngAndItsFallbackSkipped",
     "{\\rtf1{\\*\\shppict{\\pict\\pngblip\\picwgoal90\\pichgoal60 PNG}}{\\nonshppict{\\pict\\wmetafile8 "
     "01}}}",
     "PG6x4", "PG6x4"},
    {"LevelWithoutNumber",
     "{\\rtf1{\\*\\listtable{\\list\\listid1{\\listlevel\\levelnfc255{\\leveltext\\'01\\'00;}}}}"
     "{\\*\\listoverridetable{\\listoverride\\listid1\\ls1}}\\ls1 H}",
     "PM0.0H", "PM0.0H"},
    {"LevelWithoutNumberInTheNewerKeyword",
     "{\\rtf1{\\*\\listtable{\\list\\listid1{\\listlevel\\levelnfcn255{\\leveltext\\'01\\'00;}}}}"
     "{\\*\\listoverridetable{\\listoverride\\listid1\\ls1}}\\ls1 H}",
     "PM0.0H", "PM0.0H"},
};

class RTFOtherWritersTest : public ::testing::TestWithParam<WriterCase> {};

TEST_P(RTFOtherWritersTest, ReadsWhatTheFileHolds) {
  SetACP(1252);
  const std::string rtf = std::regex_replace(GetParam().rtf, std::regex("PNG"), GreenDotPngHex());
  for (const TRVReaderUnicode mode : {rvruOnlyUnicode, rvruNoUnicode}) {
    TDoc doc;
    doc.Props.UnicodeMode = mode;
    doc.Props.TextStyleMode = doc.Props.ParaStyleMode = rvrsAddIfNeeded;
    ASSERT_EQ(doc.Read(rtf), 0);
    // Runs of one paragraph joined, without their style numbers.
    const std::string runs = std::regex_replace(Outline(doc), std::regex(" \\| s\\d+/p\\d+:"), "");
    EXPECT_EQ(std::regex_replace(runs, std::regex("s\\d+/p\\d+:"), ""),
              mode == rvruOnlyUnicode ? GetParam().unicode : GetParam().ansi)
        << (mode == rvruOnlyUnicode ? "Unicode" : "8-bit");
    for (int i = 0; i < doc.Style.ListStyles().Count(); ++i)
      EXPECT_TRUE(doc.Style.ListStyles()[i].Levels()[0].HasNoMarker())
          << "a level without a number has no label";
    if (auto* picture = dynamic_cast<TRVGraphicItemInfo*>(doc.GetItem(0))) {
      auto* bitmap = dynamic_cast<TBitmap*>(picture->Image.get());
      ASSERT_NE(bitmap, nullptr) << "the invalid-picture placeholder came instead";
      EXPECT_EQ(bitmap->Canvas().Pixel(1, 1), 0x00FF00);
    }
  }
}

INSTANTIATE_TEST_SUITE_P(Cases, RTFOtherWritersTest, ::testing::ValuesIn(kWriterCases),
                         [](const ::testing::TestParamInfo<WriterCase>& info) { return info.param.name; });

}  // namespace
