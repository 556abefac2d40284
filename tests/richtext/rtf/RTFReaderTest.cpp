// The RTF tokenizer and reader on its own: what its events deliver for small inputs, the
// result codes of broken input, the keyword table's rules and the collected tables.
#include <gtest/gtest.h>
#include <stdlib.h>

#include <filesystem>
#include <string>
#include <vector>

#include "platform/core/CodePages.h"
#include "platform/core/Streams.h"
#include "platform/graphics/Bitmap.h"
#include "richtext/core/RVRTFImport.h"
#include "richtext/rtf/RVRTF.h"
#include "richtext/rtf/RVRTFKeywords.h"

namespace {

/// A reader whose events are written down as "position:text" (Unicode text as "u:" and the
/// hex units).
struct Recorder {
  TRVRTFReader reader;
  std::vector<std::string> events;
  std::vector<uint32_t>
      pictures;  // the first four data bytes of each picture (or 0xFFFFFFFF without graphic)

  explicit Recorder(bool unicode = false, bool pictures = false) {
    reader.OnNewText = [this](TRVRTFReader*, const std::string& text, TRVRTFPosition pos) {
      events.push_back(std::to_string(pos) + ":" + text);
    };
    if (unicode)
      reader.OnNewUnicodeText = [this](TRVRTFReader*, const std::u16string& text, TRVRTFPosition pos) {
        std::string s = std::to_string(pos) + ":u";
        for (char16_t c : text) {
          char buf[8];
          std::snprintf(buf, sizeof buf, ":%04X", static_cast<unsigned>(c));
          s += buf;
        }
        events.push_back(s);
      };
    if (pictures)
      reader.OnNewPicture = [this](TRVRTFReader*, TRVRTFPicture* pic, std::unique_ptr<TGraphic> graphic,
                                   TRVRTFPosition) {
        lastPictureData = pic != nullptr ? pic->Data : std::string();
        events.push_back(graphic ? "picture:" + std::to_string(graphic->Width()) + "x" +
                                       std::to_string(graphic->Height())
                                 : std::string("picture:none"));
      };
    reader.OnTable = [this](TRVRTFReader*, TRVRTFTableEventKind kind) {
      events.push_back("table" + std::to_string(kind));
    };
  }
  TRVRTFError Read(const std::string& rtf) {
    TMemoryStream s(rtf);
    return reader.ReadFromStream(s);
  }
  std::string lastPictureData;
};

std::string Joined(const std::vector<std::string>& v) {
  std::string s;
  for (const auto& e : v) s += (s.empty() ? "" : "|") + e;
  return s;
}

struct TextCase {
  const char* name;
  const char* rtf;
  bool unicode;
  const char* events;
};

void PrintTo(const TextCase& c, std::ostream* os) {
  *os << c.name;
}

const TextCase kTextCases[] = {
    {"text at the final flush", "{\\rtf1 Hello}", false, "2:Hello"},
    {"bytes after the last brace", "{\\rtf1 A}B}}}{", false, "2:A"},
    {"unicode skips the fallback", "{\\rtf1 \\u8364?x}", true, "2:u:20AC|0:x"},
    {"uc0 skips nothing", "{\\rtf1\\uc0 \\u8364?}", true, "2:u:20AC|0:?"},
    {"negative unit is taken as 16 bits", "{\\rtf1 \\u-3913?}", true, "2:u:F0B7"},
    {"hex byte", "{\\rtf1 caf\\'e9}", false, "2:caf\xE9"},
    {"unicode without the event uses the fallback of the code page", "{\\rtf1\\ansicpg1252 \\u233\\'e9!}",
     false, "2:\xE9!"},
    {"empty paragraph between two paragraph ends", "{\\rtf1 A\\par\\par B}", false, "2:A|2:|2:B"},
    {"line break", "{\\rtf1 A\\line B}", false, "2:A|1:B"},
    {"ignorable unknown destination is skipped", "{\\rtf1 A{\\*\\unknownword hidden}B}", false, "2:AB"},
    {"unknown word without the mark keeps its text", "{\\rtf1 A{\\unknownword shown}B}", false,
     "2:Ashown|0:B"},
    {"keywords are case-sensitive", "{\\rtf1 \\B x}", false, "2:x"},
    {"skipped destination", "{\\rtf1 {\\info {\\title T}}Body}", false, "2:Body"},
    {"escaped braces and backslash", "{\\rtf1 \\{\\}\\\\}", false, "2:{}\\"},
    {"typographic quote falls back without unicode", "{\\rtf1 \\ldblquote x\\rdblquote}", false, "2:\"x\""},
    {"binary data in a skipped group is stepped over", "{\\rtf1 {\\*\\blob\\bin3 }}}}AB}", false, "2:AB"},
    {"bin without a count reads nothing", "{\\rtf1 \\bin A}", false, "2:A"},
    {"unicode skip count is clamped", "{\\rtf1\\uc100000 \\u1044 abcdefghijklmnopqrstu}", true,
     "2:u:0414|0:qrstu"},
    {"hex pair of a skipped character", "{\\rtf1 \\uc1\\u1044\\'c4 Z}", true, "2:u:0414|0: Z"},
    {"a control symbol is one skipped character", "{\\rtf1 \\u8364\\{x\\u8364\\|y}", true,
     "2:u:20AC|0:x|0:u:20AC|0:y"},
};

class ReaderTextTest : public ::testing::TestWithParam<TextCase> {};

TEST_P(ReaderTextTest, DeliversTextAtItsPosition) {
  SetACP(1252);
  const TextCase& c = GetParam();
  Recorder rec(c.unicode);
  EXPECT_EQ(rec.Read(c.rtf), rtf_ec_OK) << c.name;
  EXPECT_EQ(Joined(rec.events), c.events) << c.name;
}

INSTANTIATE_TEST_SUITE_P(Cases, ReaderTextTest, ::testing::ValuesIn(kTextCases));

TEST(RTFReaderErrors, ResultCodesOfBrokenInput) {
  const struct {
    std::string rtf;
    TRVRTFError code;
  } cases[] = {
      {"{\\rtf1 open", rtf_ec_UnmatchedBrace},
      {"}", rtf_ec_StackUnderflow},
      {"{\\rtf1 \\'zz}", rtf_ec_InvalidHex},
      {"{\\rtf1 \\", rtf_ec_EndOfFile},
      {std::string(1001, '{') + std::string(1001, '}'), rtf_ec_StackOverflow},
      {"{\\rtf1\\intbl\\itap65 x\\cell}", rtf_ec_StackOverflow},
  };
  for (const auto& c : cases) {
    Recorder rec;
    EXPECT_EQ(rec.Read(c.rtf), c.code) << c.rtf.substr(0, 40);
  }
  // Tables cleared inside their own groups leave later levels nothing to add to.
  for (const char* rtf : {"{\\rtf1{\\*\\listtable{\\list{\\listtable}{\\listlevel\\levelnfc0 x}}}y}",
                          "{\\rtf1{\\*\\listoverridetable{\\listoverride{\\listoverridetable}{"
                          "\\lfolevel\\levelstartat3}}}y}"}) {
    Recorder rec;
    EXPECT_EQ(rec.Read(rtf), rtf_ec_OK) << rtf;
    EXPECT_EQ(Joined(rec.events), "2:y") << rtf;
  }
  Recorder deep;
  EXPECT_EQ(deep.Read(std::string(1000, '{') + std::string(1000, '}')), rtf_ec_OK);
}

TEST(RTFReaderErrors, HugeNumbersSaturate) {
  Recorder rec;
  ASSERT_EQ(rec.Read("{\\rtf1 \\fs99999999999999999999 \\li-99999999999999999 x}"), rtf_ec_OK);
  EXPECT_EQ(rec.reader.State().Para.LeftIndent, 0);  // the paragraph group ended
  Recorder bin;
  EXPECT_EQ(bin.Read("{\\rtf1 {\\*\\x\\bin99999999999999 ab}"), rtf_ec_UnmatchedBrace);
}

TEST(RTFKeywordTable, LookupRules) {
  ASSERT_NE(RVFindRTFKeyword("b"), nullptr);
  EXPECT_EQ(RVFindRTFKeyword("B"), nullptr);
  EXPECT_EQ(RVFindRTFKeyword(""), nullptr);
  EXPECT_EQ(RVFindRTFKeyword("zzzzzzzzzzzzzzzzzzzzzzzzzzzzzzzzzzzzzzzzzzzz"), nullptr);
  EXPECT_EQ(RVFindRTFKeyword("&"), nullptr);
  const TRVRTFSymbol* ql = RVFindRTFKeyword("ql");
  ASSERT_NE(ql, nullptr);
  EXPECT_TRUE(ql->UseDefault);
  EXPECT_EQ(RVFindRTFKeyword("pnuld")->Default, 1);
  EXPECT_EQ(RVFindRTFKeyword("pnulnone")->Default, 0);
}

TEST(RTFReaderState, PropertyDefaultsAndSelectors) {
  Recorder rec;
  std::string chars;
  rec.reader.OnNewText = [&](TRVRTFReader* r, const std::string& text, TRVRTFPosition) {
    const auto& c = r->State().Chars;
    chars += text + "=" + std::to_string(c.Size) + "/" + std::to_string(c.StyleBits) + "/" +
             std::to_string(r->State().Para.Alignment) + ";";
  };
  ASSERT_EQ(rec.Read("{\\rtf1\\ql5\\qc\\ql7 \\fs a\\fs25 b\\fs27 c\\b d\\b0 e}"), rtf_ec_OK);
  EXPECT_EQ(chars, "a=12/0/0;b=12/0/0;c=14/0/0;d=14/1/0;e=14/0/0;");
}

TEST(RTFReaderState, ColourFontAndBorderTables) {
  Recorder rec;
  TColor seen = 0;
  int32_t fontSeen = -1;
  rec.reader.OnNewText = [&](TRVRTFReader* r, const std::string&, TRVRTFPosition) {
    seen = r->State().Chars.Color;
    fontSeen = r->State().Chars.FontIndex;
  };
  ASSERT_EQ(rec.Read("{\\rtf1\\deff7{\\fonttbl{\\f0\\fcharset204 Arial Cyr;}{\\f1\\fcharset0 Times Cyr;}}"
                     "{\\colortbl;\\red255\\green0\\blue0;\\red0\\green0\\blue255;}"
                     "\\cf1\\cf5\\f7 x}"),
            rtf_ec_OK);
  ASSERT_EQ(rec.reader.Colors().size(), 3u);
  EXPECT_EQ(rec.reader.Colors()[0], rtfAutoColor);
  EXPECT_EQ(rec.reader.Colors()[1], 0x0000FF);
  EXPECT_EQ(seen, 0x0000FF) << "cf5 is outside the table and changes nothing";
  EXPECT_EQ(fontSeen, 0) << "f7 is the default font, which the table lacks";
  ASSERT_EQ(rec.reader.Fonts().size(), 2u);
  EXPECT_EQ(rec.reader.Fonts()[0].Name, "Arial");
  EXPECT_EQ(rec.reader.Fonts()[1].Name, "Times Cyr");

  Recorder borders;
  ASSERT_EQ(borders.Read("{\\rtf1\\brdrt\\brdrs\\brdrdb\\brdrw30 x}"), rtf_ec_OK);
  const auto* side =
      borders.reader.State().Para.Border ? borders.reader.State().Para.Border->StyledSide(1) : nullptr;
  EXPECT_EQ(side, nullptr) << "the paragraph ended with its group";
  int32_t style = -1;
  Recorder b2;
  b2.reader.OnNewText = [&](TRVRTFReader* r, const std::string&, TRVRTFPosition) {
    style = r->State().Para.Border->StyledSide(1)->Style;
  };
  ASSERT_EQ(b2.Read("{\\rtf1\\brdrt\\brdrs\\brdrdb\\brdrw30 x}"), rtf_ec_OK);
  EXPECT_EQ(style, 1) << "the first border style wins";
}

TEST(RTFReaderState, TableWidthsAndHighlight) {
  Recorder rec;
  int32_t width = 0;
  TColor back = 0;
  rec.reader.OnNewText = [&](TRVRTFReader* r, const std::string&, TRVRTFPosition) {
    width = r->State().GetRow().BestWidth;
    back = r->State().Chars.BackColor;
  };
  ASSERT_EQ(
      rec.Read("{\\rtf1{\\colortbl;\\red1\\green2\\blue3;}\\trowd\\trftsWidth2\\trwWidth2500\\highlight7 x}"),
      rtf_ec_OK);
  EXPECT_EQ(width, -2500);
  EXPECT_EQ(back, 0x00FFFF);
  rec.reader.ConvertHighlight = rtf_hl_ColorTable;
  ASSERT_EQ(rec.Read("{\\rtf1{\\colortbl;\\red1\\green2\\blue3;}\\highlight1 x}"), rtf_ec_OK);
  EXPECT_EQ(back, 0x030201);
}

TEST(RTFReaderState, StyleSheetEntryTakesNumberAndNameButNotFormatting) {
  Recorder rec;
  ASSERT_EQ(rec.Read("{\\rtf1{\\stylesheet{\\s1\\b Heading;}{\\cs2 Strong;}}x}"), rtf_ec_OK);
  ASSERT_EQ(rec.reader.StyleSheet().size(), 2u);
  EXPECT_EQ(rec.reader.StyleSheet()[0].Number, 1);
  EXPECT_EQ(rec.reader.StyleSheet()[0].Name, "Heading");
  EXPECT_EQ(rec.reader.StyleSheet()[0].Chars.StyleBits & rtfStyleBold, 0);
  EXPECT_EQ(rec.reader.StyleSheet()[1].Kind, 0);
}

TEST(RTFReaderTables, EventsOfNestedTables) {
  Recorder rec;
  ASSERT_EQ(rec.Read("{\\rtf1\\trowd\\cellx1000\\pard\\intbl A\\cell\\row\\pard B}"), rtf_ec_OK);
  EXPECT_EQ(Joined(rec.events), "table0|2:A|table3|table2|table1|2:B");
  Recorder nested;
  ASSERT_EQ(
      nested.Read("{\\rtf1\\pard\\intbl\\itap2 n\\nestcell{\\*\\nesttableprops\\trowd\\cellx500\\nestrow}"
                  "\\pard\\intbl\\itap1\\cell\\trowd\\cellx1000\\row}"),
      rtf_ec_OK);
  EXPECT_EQ(Joined(nested.events), "table0|table0|2:n|table3|table2|table1|2:|table3|table2|table1");
}

TEST(RTFReaderLists, ListTableAndLevelTexts) {
  Recorder rec(true);
  ASSERT_EQ(rec.Read("{\\rtf1{\\*\\listtable{\\list\\listid7{\\listlevel\\levelnfc0\\leveljc0\\levelstartat3"
                     "{\\leveltext\\'02\\'00.;}{\\levelnumbers\\'01;}\\fi-360\\li720}"
                     "{\\listlevel\\levelnfc23{\\leveltext\\'01\\u8226 ?;}}}}"
                     "{\\*\\listoverridetable{\\listoverride\\listid7\\listoverridecount0\\ls1}}x}"),
            rtf_ec_OK);
  ASSERT_EQ(rec.reader.ListTable().size(), 1u);
  const auto& list = rec.reader.ListTable()[0];
  EXPECT_EQ(list.Id, 7);
  ASSERT_EQ(list.Levels.size(), 2u);
  EXPECT_EQ(list.Levels[0].Text, std::string("\x02\x00.", 3));
  EXPECT_EQ(list.Levels[0].Start, 3);
  EXPECT_EQ(list.Levels[0].LeftIndent, 720);
  EXPECT_EQ(list.Levels[1].NumberType, 6);
  EXPECT_EQ(list.Levels[1].TextW, u"\x01\u2022");
  ASSERT_EQ(rec.reader.ListOverrideTable().size(), 1u);
  EXPECT_EQ(rec.reader.ListOverrideTable()[0].ListIndex, 0);
  EXPECT_EQ(rec.reader.ListOverrideTable()[0].Number, 1);
  // A level text shorter than its declared length, and an empty one, are kept as they are.
  Recorder guard;
  ASSERT_EQ(
      guard.Read(
          "{\\rtf1{\\*\\listtable{\\list{\\listlevel{\\leveltext\\'09a;}}{\\listlevel{\\leveltext}}}}x}"),
      rtf_ec_OK);
  EXPECT_EQ(guard.reader.ListTable()[0].Levels[0].Text,
            "\x09"
            "a;");
  EXPECT_EQ(guard.reader.ListTable()[0].Levels[1].Text, "");
}

TEST(RTFReaderPictures, HexDataAndItsFaults) {
  // A 1x1 24-bit DIB: its pixel data must be found after the 40-byte header.
  const std::string dib =
      "28000000010000000100000001001800000000000400000000000000000000000000000000000000"
      "0000FF00";
  Recorder rec(false, true);
  ASSERT_EQ(rec.Read("{\\rtf1{\\pict\\dibitmap0\\picw1\\pich1 " + dib + "}}"), rtf_ec_OK);
  EXPECT_EQ(Joined(rec.events), "picture:1x1");
  EXPECT_EQ(rec.lastPictureData.size(), dib.size() / 2);

  for (const std::string& bad :
       {std::string("{\\pict\\dibitmap0 28000G}"), std::string("{\\pict\\pngblip 89504E470}"),
        "{\\pict\\dibitmap0 " + dib + "0}"}) {
    Recorder r(false, true);
    EXPECT_EQ(r.Read("{\\rtf1 A" + bad + "B}"), rtf_ec_OK) << bad;
    EXPECT_EQ(Joined(r.events), "2:A|picture:none|0:B") << bad;
  }
  // The document layer's hook sees each picture before it is delivered.
  int hooked = 0;
  RVAfterImportGraphic = [&](TGraphic* g) { hooked += g->Width(); };
  Recorder hook(false, true);
  ASSERT_EQ(hook.Read("{\\rtf1{\\pict\\dibitmap0\\picw1\\pich1 " + dib + "}}"), rtf_ec_OK);
  RVAfterImportGraphic = nullptr;
  EXPECT_EQ(hooked, 1);
  Recorder noHandler;
  EXPECT_EQ(noHandler.Read("{\\rtf1 {\\pict\\wmetafile8 0102}x}"), rtf_ec_OK);
  EXPECT_EQ(Joined(noHandler.events), "2:x");
  Recorder twice(false, true);
  EXPECT_EQ(twice.Read("{\\rtf1 {\\pict{\\pict 00}}}"), rtf_ec_InvalidPicture);
  Recorder binary(false, true);
  static const char kBinary[] = "{\\rtf1{\\pict\\jpegblip\\bin3 \x01}\x02}}";
  ASSERT_EQ(binary.Read(std::string(kBinary, sizeof kBinary - 1)), rtf_ec_OK);
  EXPECT_EQ(binary.lastPictureData, std::string("\x01}\x02"));
}

TEST(RTFReaderFields, SymbolAndIncludePicture) {
  Recorder rec(true);
  ASSERT_EQ(rec.Read("{\\rtf1{\\field{\\*\\fldinst SYMBOL 8364 \\\\f \"Symbol\" \\\\s 10}{\\fldrslt}}}"),
            rtf_ec_OK);
  EXPECT_EQ(Joined(rec.events), "2:u:20AC") << "a code above 255 is Unicode";
  Recorder noSize(false);
  ASSERT_EQ(noSize.Read("{\\rtf1{\\field{\\*\\fldinst SYMBOL 65 \\\\f \"Symbol\"}{\\fldrslt R}}}"),
            rtf_ec_OK);
  EXPECT_EQ(Joined(noSize.events), "2:R");
  // A picture a field names in the base folder replaces the field's result.
  {
    char dir[] = "/tmp/rtfincludeXXXXXX";
    ASSERT_NE(mkdtemp(dir), nullptr);
    TBitmap bitmap;
    bitmap.SetSize(3, 2);
    bitmap.SaveToFile(std::string(dir) + "/pic.bmp");
    Recorder r(false, true);
    r.reader.BasePath = dir;
    ASSERT_EQ(r.Read("{\\rtf1{\\field{\\*\\fldinst INCLUDEPICTURE \"pic.bmp\" \\\\d}"
                     "{\\fldrslt{\\pict\\dibitmap0 00}}}}"),
              rtf_ec_OK);
    EXPECT_EQ(Joined(r.events), "picture:3x2");
    std::filesystem::remove_all(dir);
  }
  // Pictures named by fields are never read from outside the base folder.
  for (const char* name : {"/etc/passwd", "../x.bmp", "missing.bmp"}) {
    Recorder r(false, true);
    r.reader.BasePath = "/tmp";
    ASSERT_EQ(r.Read(std::string("{\\rtf1{\\field{\\*\\fldinst INCLUDEPICTURE \"") + name +
                     "\"}{\\fldrslt result}}}"),
              rtf_ec_OK);
    EXPECT_EQ(Joined(r.events), "2:result") << name;
  }
}

}  // namespace
