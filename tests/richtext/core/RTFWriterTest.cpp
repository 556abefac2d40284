// The RTF writer: header tables, paragraphs and text runs in 8-bit and Unicode styles,
// every item kind, lists with their override tables, the style sheet, hooks and failures.
#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <set>
#include <vector>

#include "RTFTestSupport.h"
#include "platform/core/CodePages.h"
#include "platform/core/Exceptions.h"
#include "platform/graphics/Controls.h"

using namespace rtftest;
using namespace htmltest;

namespace {

const std::string kCRLF = "\r\n";
const std::string kHeader = "{\\rtf1\\ansi\\ansicpg1252\\uc1\\deff0\\deflang1024\\deflangfe1024" + kCRLF;
const std::string kPara = "\\pard\\fi0\\li0\\ql\\ri0\\sb0\\sa0\\itap0 ";

/// The list ids of the output (after "listtemplateid" and "listid"), each with the offset
/// of its first digit and its length.
struct TListId {
  size_t at;
  size_t length;
};
std::vector<TListId> ListIds(const std::string& rtf) {
  std::vector<TListId> ids;
  for (const std::string key : {"\\listtemplateid", "\\listid"})
    for (size_t at = rtf.find(key); at != std::string::npos; at = rtf.find(key, at + 1)) {
      const size_t digits = at + key.size();
      size_t end = digits;
      while (end < rtf.size() && std::isdigit(static_cast<unsigned char>(rtf[end]))) ++end;
      if (end > digits) ids.push_back({digits, end - digits});
    }
  std::sort(ids.begin(), ids.end(), [](const TListId& a, const TListId& b) { return a.at < b.at; });
  return ids;
}

/// The output with every list id replaced by "ID".
std::string WithoutIds(std::string rtf) {
  const auto ids = ListIds(rtf);
  for (auto it = ids.rbegin(); it != ids.rend(); ++it) rtf.replace(it->at, it->length, "ID");
  return rtf;
}

class RTFWriterTest : public ::testing::Test {
 protected:
  // The default charset is written as the ANSI code page's, which the tests fix.
  void SetUp() override {
    savedACP = GetACP();
    SetACP(1252);
    data.SetRVStyle(style.get());
  }
  void TearDown() override { SetACP(savedACP); }

  /// Adds the styles of the mixed document: a bold red Unicode style in another font, a
  /// blue underlined hyperlink style, a centred paragraph with a custom background, and a
  /// one-level decimal list.
  void AddMixedStyles() {
    TFontInfo* uni = style->TextStyles().AddStyle();
    uni->Unicode = true;
    uni->FontName = "Times New Roman";
    uni->Size = 12;
    uni->Style = {fsBold};
    uni->Color = clRed;
    TFontInfo* jump = style->TextStyles().AddStyle();
    jump->Jump = true;
    jump->Style = {fsUnderline};
    jump->Color = clBlue;
    TParaInfo* centred = style->ParaStyles().AddStyle();
    centred->Alignment = rvaCenter;
    centred->LeftIndent = 10;
    centred->SpaceBefore = 4;
    centred->Background().Color = MakeColor(0x123456);
    TRVListLevel* level = style->ListStyles().AddStyle()->Levels().AddLevel();
    level->ListType = rvlstDecimal;
    level->FormatString = "%0:s.";
    level->LeftIndent = 24;
    level->MarkerIndent = 0;
    level->FirstIndent = 0;
  }

  /// A document with every item kind but image-list images (RTFPictureTest covers them).
  void AddMixedItems() {
    data.urls[0] = "http://a/\"q\"";
    data.controlRTF = "{CTRL}";
    data.AddCheckpoint("start here", false, TRVTag());
    data.AddTextItem("Plain", 0, 0);
    data.AddWideTextItem(u"\u20AC\uFF21x", 1, -1, TRVTag());
    AddJoined(data, "link", 2);
    AddLineBreakText(data, "next", 0);
    AddMarker(data, 0, 0, 1);
    AddJoined(data, "item", 0);
    AddBreak(data, 2, clGreen);
    data.AddPictureItem("pic", SolidBitmap(3, 2, clRed), 0, 0, TRVTag());
    data.GetItem(data.GetItemCount() - 1)->SetPageBreakBefore(true);
    data.AddItem("", TRVControlItemInfo::CreateEx(&data, std::make_unique<TControl>(), 0));
    data.AddTextItem("", 0, 0);
  }

  std::string Save(TColor color = clWindow, bool* ok = nullptr) {
    return WithoutIds(SaveRTF(data, color, ok));
  }

  std::unique_ptr<TRVStyle> style = PlainSheet();
  TRTFData data;
  uint32_t savedACP = 0;
};

const std::string kMixedTables =
    kHeader + "{\\fonttbl{\\f0\\fnil\\fcharset0 Arial;}{\\f1\\fnil\\fcharset0 Times New Roman;}}" + kCRLF +
    kStandardColorTable + "\\red86\\green52\\blue18;}" + kCRLF + "{\\*\\listtable" + kCRLF +
    "{\\list\\listtemplateidID\\listsimple1" + kCRLF +
    "{\\listlevel\\levelnfc0\\leveljc0\\li360\\fi-360\\jclisttab\\tx360\\levelstartat1"
    "{\\leveltext\\'02\\'00.;}{\\levelnumbers\\'01;}\\f0\\fs16}" +
    kCRLF + "\\listidID}" + kCRLF + "}" + kCRLF + "{\\*\\listoverridetable" + kCRLF +
    "{\\listoverride\\listidID\\listoverridecount0\\ls1}" + kCRLF + "}" + kCRLF;

const std::string kMixedBody =
    kCRLF + kPara + "{\\*\\bkmkstart start_here}{\\*\\bkmkend start_here}\\plain \\f0\\fs20 Plain" +
    "\\plain \\f1\\b\\fs24\\cf6 UNICODE" +
    "{\\field{\\*\\fldinst HYPERLINK \"http://a/%22q%22\"}{\\fldrslt\\plain \\f0\\ul\\fs20\\cf2 link}}" +
    kCRLF + "\\line\\plain \\f0\\fs20 next" + kCRLF +
    "\\par\\pard\\li360\\fi-360\\jclisttab\\tx360\\qc\\ri0\\sb60\\sa0\\cbpat17\\itap0 "
    "{\\listtext\\pard\\plain\\f0\\fs16 1.\\tab}\\ls1\\ilvl0\\plain \\f0\\fs20 item" +
    kCRLF + "\\plain\\par" + kPara + "\\pard\\plain\\fs6\\brdrb\\brdrs\\brdrw30\\brdrcf11\\par\\pard" +
    kCRLF + "\\par\\page" + kPara +
    "{\\pict\\dibitmap0\\wbmwidthbytes12\\picw3\\pich2\\picwgoal45\\pichgoal30 "
    "280000000300000002000000010018000000000018000000000000000000000000000000000000000000FF0000FF0000FF"
    "0000000000FF0000FF0000FF000000}" +
    kCRLF + "\\par" + kPara + "{CTRL}" + kCRLF + "\\par" + kPara + "\\plain \\f0\\fs20 \\par}";

std::string Replace(std::string s, const std::string& from, const std::string& to) {
  return s.replace(s.find(from), from.size(), to);
}

// ---- whole documents ---------------------------------------------------------------------

TEST_F(RTFWriterTest, DocumentInOneStyle) {
  data.AddTextItem("Hello", 0, 0);
  bool ok = false;
  EXPECT_EQ(Save(clWindow, &ok), kHeader + "{\\fonttbl{\\f0\\fnil\\fcharset0 Arial;}}" + kCRLF +
                                     kStandardColorTable + "}" + kCRLF + "\\uc1" + kCRLF + kPara +
                                     "\\plain \\f0\\fs20 Hello}");
  EXPECT_TRUE(ok);
}

TEST_F(RTFWriterTest, DocumentColourJoinsTheColourTableUnlessItIsTheWindowColour) {
  data.AddTextItem("x", 0, 0);
  EXPECT_NE(Save(MakeColor(0x010203)).find("\\red192\\green192\\blue192;\\red3\\green2\\blue1;}"),
            std::string::npos);
  EXPECT_NE(Save(clWhite).find("\\red192\\green192\\blue192;}"), std::string::npos);
}

TEST_F(RTFWriterTest, EveryItemKindWithDuplicatedUnicode) {
  AddMixedStyles();
  AddMixedItems();
  EXPECT_EQ(Save(), kMixedTables + "\\uc1" + Replace(kMixedBody, "UNICODE", "\\u8364 \\'80\\u-223 ?x"));
}

TEST_F(RTFWriterTest, EveryItemKindWithUnicodeOnly) {
  data.SetRTFOptions(rvDefaultRTFOptions & ~rvrtfDuplicateUnicode);
  AddMixedStyles();
  AddMixedItems();
  EXPECT_EQ(Save(), kMixedTables + "\\uc0" + Replace(kMixedBody, "UNICODE", "\\u8364 \\u-223 x"));
}

TEST_F(RTFWriterTest, EmptyDocumentIsACompleteDocumentWithoutParagraphs) {
  bool ok = false;
  const std::string rtf = Save(clWindow, &ok);
  EXPECT_TRUE(ok);
  EXPECT_EQ(rtf.rfind(kHeader, 0), 0u) << rtf;
  EXPECT_EQ(rtf.substr(rtf.size() - 4), "}\r\n}") << rtf;
  EXPECT_EQ(rtf.find("\\pard"), std::string::npos) << rtf;
}

TEST_F(RTFWriterTest, TheAnsiCodePageAndDefaultCharsetAreWrittenAsTheRealOnes) {
  SetACP(1251);
  style->DefCodePage = 0;
  style->TextStyles().AddStyle()->Unicode = true;
  data.AddTextItem(RVAnsiToUnicode(1251, "\xC6"), 1, 0);  // a Cyrillic letter
  const std::string rtf = Save();
  EXPECT_EQ(rtf.rfind("{\\rtf1\\ansi\\ansicpg1251\\uc1", 0), 0u) << rtf;
  EXPECT_NE(rtf.find("{\\fonttbl{\\f0\\fnil\\fcharset204 Arial;}}"), std::string::npos) << rtf;
  EXPECT_NE(rtf.find("\\u1046 \\'c6"), std::string::npos) << rtf;
}

TEST_F(RTFWriterTest, DocumentWithoutStyleSheetFails) {
  TRTFData bare;
  bare.AddItem("", TRVBreakItemInfo::CreateEx(&bare, 1, 0, clNone));
  bool ok = true;
  EXPECT_EQ(SaveRTF(bare, clWindow, &ok), "");
  EXPECT_FALSE(ok);
}

TEST_F(RTFWriterTest, PendingCheckpointAndUnnamedCheckpointsAreNumbered) {
  data.AddCheckpoint("", false, TRVTag());
  data.AddTextItem("a", 0, 0);
  data.AddCheckpoint("", false, TRVTag());
  EXPECT_EQ(Save().substr(Save().find("\\uc1\r\n")),
            "\\uc1" + kCRLF + kPara + "{\\*\\bkmkstart RVCheckpoint0}{\\*\\bkmkend RVCheckpoint0}" +
                "\\plain \\f0\\fs20 a{\\*\\bkmkstart RVCheckpoint1}{\\*\\bkmkend RVCheckpoint1}}");
}

TEST_F(RTFWriterTest, HyperlinkWithoutAddressIsPlainText) {
  style->TextStyles().AddStyle()->Jump = true;
  data.AddTextItem("go", 1, 0);
  const std::string rtf = Save();
  EXPECT_EQ(rtf.find("\\field"), std::string::npos);
  EXPECT_NE(rtf.find("\\plain \\f0\\fs20 go}"), std::string::npos);
}

// ---- character and paragraph properties ------------------------------------------------

TEST_F(RTFWriterTest, CharacterProperties) {
  TFontInfo* s = style->TextStyles().AddStyle();
  s->Style = {fsItalic, fsStrikeOut};
  s->VShift = 30;
  s->CharScale = 80;
  s->CharSpacing = 2;
  s->StyleEx = rvfsAllCaps;
  s->Charset = 204;  // Cyrillic
  s->BackColor = clYellow;
  TFontInfo* sub = style->TextStyles().AddStyle();
  sub->VShift = -10;
  sub->Color = clWindowText;
  data.AddTextItem("x", 1, 0);
  data.AddTextItem("y", 2, -1);
  const std::string rtf = Save();
  EXPECT_NE(rtf.find("{\\f1\\fnil\\fcharset204 Arial;}"), std::string::npos);
  EXPECT_NE(
      rtf.find("\\plain \\f1\\i\\strike\\super\\charscalex80\\expndtw30\\caps\\lang1049\\fs40\\chcbpat7 x"
               "\\nosupersub\\plain \\f0\\sub\\fs40 y\\nosupersub}"),
      std::string::npos)
      << rtf;
}

TEST_F(RTFWriterTest, ParagraphSpacingAndBorders) {
  TParaInfo* p = style->ParaStyles().AddStyle();
  p->LineSpacing = 150;
  p->Alignment = rvaJustify;
  p->RightIndent = 2;
  p->SpaceAfter = 1;
  p->FirstIndent = -4;
  p->Border().Style = rvbDouble;
  p->Border().Color = clRed;
  p->Border().Width = 1;
  p->Border().VisibleBorders().SetValues(true, false, false, true);
  p->Border().BorderOffsets().Left = 2;
  p->Border().BorderOffsets().Bottom = 3;
  TParaInfo* thick = style->ParaStyles().AddStyle();
  thick->Border().Style = rvbThickInside;
  thick->Border().Color = clBlue;
  thick->Border().VisibleBorders().SetValues(false, true, true, false);
  data.AddTextItem("a", 0, 1);
  data.AddTextItem("b", 0, 2);
  const std::string rtf = Save();
  // A double border is written as a double border, not as a thick single one.
  EXPECT_NE(
      rtf.find("\\pard\\sl360\\slmult1\\fi-60\\li0\\qj\\ri30\\sb0\\sa15"
               "\\brdrbtw\\brdrl\\brsp30\\brdrdb\\brdrcf6\\brdrw15\\brdrb\\brsp45\\brdrdb\\brdrcf6\\brdrw15"
               "\\itap0 \\plain"),
      std::string::npos)
      << rtf;
  EXPECT_NE(
      rtf.find(
          "\\brdrbtw\\brdrt\\brsp0\\brdrthtnmg\\brdrcf2\\brdrw30\\brdrr\\brsp0\\brdr\\brdrtnthmg\\brdrcf2"
          "\\brdrw30\\itap0 "),
      std::string::npos)
      << rtf;
}

TEST_F(RTFWriterTest, StyleSheetNamesEveryStyleAndItemsReferToIt) {
  data.SetRTFOptions(rvDefaultRTFOptions | rvrtfSaveStyleSheet);
  style->ParaStyles().Items(0)->StyleName = "Body {x}";
  style->TextStyles()[0].StyleName = "Normal";
  data.AddTextItem("a", 0, 0);
  EXPECT_EQ(Save(), kHeader + "{\\fonttbl{\\f0\\fnil\\fcharset0 Arial;}}" + kCRLF + kStandardColorTable +
                        "}" + kCRLF + "{\\stylesheet{\\s0\\fi0\\li0\\ql\\ri0\\sb0\\sa0 Body _x_;}" +
                        "{\\*\\cs1\\f0\\fs20 Normal;}}" + kCRLF + "\\uc1" + kCRLF + "\\pard\\s0" +
                        kPara.substr(5) + "\\plain \\s1\\f0\\fs20 a}");
}

TEST_F(RTFWriterTest, ExtraCodeFromTheHostGoesToEveryArea) {
  data.OnSaveRTFExtra = [](TCustomRVData&, TRVRTFSaveArea area, TObject*, int index, int, bool inStyleSheet,
                           std::string& code) {
    code = "\\x" + std::to_string(static_cast<int>(area)) + "n" + std::to_string(index) +
           (inStyleSheet ? "s" : "");
  };
  data.SetRTFOptions(rvDefaultRTFOptions | rvrtfSaveStyleSheet);
  data.AddTextItem("a", 0, 0);
  const std::string rtf = Save();
  EXPECT_NE(rtf.find("\\sa0\\x1n0s "), std::string::npos) << rtf;
  EXPECT_NE(rtf.find("\\x4n-1" + kCRLF + "\\uc1"), std::string::npos) << rtf;
  EXPECT_NE(rtf.find("\\itap0\\x1n0 \\plain \\s1\\f0\\fs20\\x0n0 a}"), std::string::npos) << rtf;
}

// ---- lists --------------------------------------------------------------------------------

TEST_F(RTFWriterTest, RestartingMarkersGetOverridesOfTheirOwn) {
  TRVListInfo* list = style->ListStyles().AddStyle();
  for (int i = 0; i < 2; ++i) {
    TRVListLevel* level = list->Levels().AddLevel();
    level->ListType = i == 0 ? rvlstUpperRoman : rvlstLowerAlpha;
    level->FormatString = i == 0 ? "%0:s)" : "%0:s.%1:s";
    level->MarkerAlignment = i == 0 ? rvmaRight : rvmaCenter;
    level->Options = rvloLegalStyleNumbering;
    level->StartFrom = 3;
  }
  AddMarker(data, 0, 0);
  AddJoined(data, "one", 0);
  TRVMarkerItemInfo* restart = AddMarker(data, 0, 1);
  restart->Reset = true;
  restart->StartFrom = 5;
  AddJoined(data, "two", 0);
  const std::string rtf = Save();
  const std::string level0 =
      "{\\listlevel\\levelnfc1\\leveljc2\\li0\\fi0\\jclisttab\\tx150\\levelstartat3\\levellegal1\\levelnorest"
      "art1"
      "{\\leveltext\\'02\\'00);}{\\levelnumbers\\'01;}\\f0\\fs16}" +
      kCRLF;
  const std::string level1 =
      "{\\listlevel\\levelnfc4\\leveljc1\\li0\\fi0\\jclisttab\\tx150\\levelstartat3\\levellegal1\\levelnorest"
      "art1"
      "{\\leveltext\\'03\\'00.\\'01;}{\\levelnumbers\\'01\\'03;}\\f0\\fs16}" +
      kCRLF;
  std::string levels = level0;
  for (int i = 1; i < 9; ++i) levels += level1;
  EXPECT_NE(rtf.find("{\\*\\listtable" + kCRLF + "{\\list\\listtemplateidID" + kCRLF + levels +
                     "\\listidID}" + kCRLF + "}" + kCRLF + "{\\*\\listoverridetable" + kCRLF +
                     "{\\listoverride\\listidID\\listoverridecount0\\ls1}" + kCRLF +
                     "{\\listoverride\\listidID\\listoverridecount2{\\lfolevel}"
                     "{\\lfolevel\\listoverridestartat\\levelstartat5}\\ls2}" +
                     kCRLF + "}" + kCRLF),
            std::string::npos)
      << rtf;
  EXPECT_NE(rtf.find("{\\listtext\\pard\\plain\\f0\\fs16 III)\\tab}\\ls1\\ilvl0"), std::string::npos) << rtf;
  EXPECT_NE(rtf.find("\\tab}\\ls2\\ilvl1"), std::string::npos) << rtf;
}

TEST_F(RTFWriterTest, BulletLevelsWriteTheirTextAndUnicodeBulletsTheirUnits) {
  TRVListInfo* list = style->ListStyles().AddStyle();
  TRVListLevel* bullet = list->Levels().AddLevel();
  bullet->FormatString = "\xB7";
  TRVListLevel* unicode = list->Levels().AddLevel();
  unicode->ListType = rvlstUnicodeBullet;
  unicode->FormatStringW = u"\u2022";
  AddMarker(data, 0, 0);
  AddJoined(data, "a", 0);
  AddMarker(data, 0, 1);
  AddJoined(data, "b", 0);
  const std::string rtf = Save();
  EXPECT_NE(rtf.find("{\\leveltext\\'01\\'b7;}{\\levelnumbers;}"), std::string::npos) << rtf;
  EXPECT_NE(rtf.find("{\\leveltext\\'01\\u8226 \\'95;}{\\levelnumbers;}"), std::string::npos) << rtf;
  EXPECT_NE(rtf.find("{\\listtext\\pard\\plain\\f0\\fs16 \\'b7\\tab}\\ls1\\ilvl0"), std::string::npos) << rtf;
  EXPECT_NE(rtf.find("{\\listtext\\pard\\plain\\f0\\fs16 \\u8226 \\'95\\tab}\\ls1\\ilvl1"), std::string::npos)
      << rtf;
}

TEST_F(RTFWriterTest, ListIdsAreDistinctAndRepeatableWithASeed) {
  for (int i = 0; i < 3; ++i) style->ListStyles().AddStyle()->Levels().AddLevel();
  data.AddTextItem("a", 0, 0);
  RVSeedRTFListIds(7);
  const std::string first = SaveRTF(data);
  RVSeedRTFListIds(7);
  EXPECT_EQ(SaveRTF(data), first);
  // Three template ids and three list ids, each override repeating its list's id.
  std::set<std::string> distinct;
  int written = 0;
  for (const TListId& id : ListIds(first)) {
    distinct.insert(first.substr(id.at, id.length));
    ++written;
  }
  EXPECT_EQ(written, 9);
  EXPECT_EQ(distinct.size(), 6u);
}

// ---- selections ----------------------------------------------------------------------------

/// A document whose selection is set by the test.
class TSelectedData : public TRTFData {
 public:
  void GetSelectionBounds(bool SelectionOnly, int& StartItemNo, int& EndItemNo, int& StartOffs, int& EndOffs,
                          TCustomRVItemInfo*& StartPartial, TCustomRVItemInfo*& EndPartial) override {
    TRTFData::GetSelectionBounds(SelectionOnly, StartItemNo, EndItemNo, StartOffs, EndOffs, StartPartial,
                                 EndPartial);
    if (!SelectionOnly) return;
    StartItemNo = start, StartOffs = startOffs, EndItemNo = end, EndOffs = endOffs;
  }
  /// The selection as RTF, from the "\uc1" line that ends the header on.
  std::string SavedSelection() {
    TMemoryStream stream;
    EXPECT_TRUE(SaveRTFToStream(stream, true, 0, clWindow, nullptr, nullptr, nullptr, nullptr, nullptr, 0));
    const std::string rtf = stream.DataString();
    return rtf.substr(std::min(rtf.find("\\uc1\r\n"), rtf.size()));
  }
  int start = 0, startOffs = 0, end = 0, endOffs = 0;
};

TEST_F(RTFWriterTest, SelectionInsideAListParagraphBeginsWithItsMarker) {
  style->ListStyles().AddStyle()->Levels().AddLevel();
  TSelectedData selected;
  selected.SetRVStyle(style.get());
  AddMarker(selected, 0, 0);
  AddJoined(selected, "abcd", 0);
  AddJoined(selected, "efgh", 0);
  selected.start = 1, selected.startOffs = 2, selected.end = 2, selected.endOffs = 3;
  EXPECT_EQ(selected.SavedSelection(),
            "\\uc1" + kCRLF +
                "\\pard\\li0\\fi0\\jclisttab\\tx150\\ql\\ri0\\sb0\\sa0\\itap0 "
                "{\\listtext\\pard\\plain\\f0\\fs16 \\'b7\\tab}\\ls1\\ilvl0\\plain \\f0\\fs20 bcd"
                "\\plain \\f0\\fs20 ef}");
}

TEST_F(RTFWriterTest, SelectionSkipsItemsItOnlyTouches) {
  TSelectedData selected;
  selected.SetRVStyle(style.get());
  selected.AddTextItem("ab", 0, 0);
  selected.AddTextItem("cd", 0, 0);
  selected.AddTextItem("ef", 0, 0);
  selected.start = 0, selected.startOffs = 3, selected.end = 2, selected.endOffs = 1;
  EXPECT_EQ(selected.SavedSelection(), "\\uc1" + kCRLF + kPara + "\\plain \\f0\\fs20 cd}");
}

TEST_F(RTFWriterTest, TheDocumentEndBookmarkClosesASelectionThatStopsShortOfTheEnd) {
  TSelectedData selected;
  selected.SetRVStyle(style.get());
  selected.AddTextItem("ab", 0, 0);
  selected.AddTextItem("cd", 0, 0);
  selected.AddCheckpoint("end", false, TRVTag());
  selected.start = 0, selected.startOffs = 1, selected.end = 0, selected.endOffs = 3;
  EXPECT_EQ(selected.SavedSelection(),
            "\\uc1" + kCRLF + kPara + "\\plain \\f0\\fs20 ab{\\*\\bkmkstart end}{\\*\\bkmkend end}}");
}

// ---- failures -------------------------------------------------------------------------------

/// A stream that refuses to take more than `limit` bytes.
class TLimitedStream : public TMemoryStream {
 public:
  explicit TLimitedStream(int64_t limit) : limit_(limit) {}
  int64_t Write(const void* buffer, int64_t count) override {
    if (Size() + count > limit_) throw EWriteError("Stream write error");
    return TMemoryStream::Write(buffer, count);
  }

 private:
  int64_t limit_;
};

TEST_F(RTFWriterTest, FailedWriteAnswersFalseAndKeepsWhatWasWritten) {
  data.AddTextItem("Hello", 0, 0);
  TLimitedStream stream(40);
  EXPECT_FALSE(
      data.SaveRTFToStream(stream, false, 0, clWindow, nullptr, nullptr, nullptr, nullptr, nullptr, 0));
  // The header line alone is longer than the stream allows: nothing after the failure.
  EXPECT_EQ(stream.DataString(), "");
}

TEST_F(RTFWriterTest, NestedCallWithoutTablesFails) {
  data.AddTextItem("a", 0, 0);
  TMemoryStream stream;
  EXPECT_FALSE(
      data.SaveRTFToStream(stream, false, 1, clNone, nullptr, nullptr, nullptr, nullptr, nullptr, 15));
}

TEST_F(RTFWriterTest, NestedDocumentWritesItemsWithTableMarksOnly) {
  data.AddTextItem("cell", 0, 0);
  AddBreak(data);
  TRVColorList colors;
  TRVIntegerList counts, offsets, styleToFont;
  TRVRTFFontTable fonts;
  TRVRTFWriter::BuildFontTable(*style, fonts, styleToFont);
  data.BuildRTFColorTable(colors, counts, true);
  TMemoryStream stream;
  EXPECT_TRUE(
      data.SaveRTFToStream(stream, false, 1, clNone, &colors, &styleToFont, &counts, &offsets, &fonts, 15));
  EXPECT_EQ(stream.DataString(),
            kCRLF + "\\pard\\fi0\\li0\\ql\\ri0\\sb0\\sa0\\intbl\\itap1 \\plain \\f0\\fs20 cell" + kCRLF +
                "\\par\\pard\\fi0\\li0\\ql\\ri0\\sb0\\sa0\\intbl\\itap1 "
                "\\pard\\intbl\\itap1\\plain\\fs6\\brdrb\\brdrs\\brdrw15\\brdrcf0\\par\\pard\\intbl\\itap1");
}

TEST_F(RTFWriterTest, SavesToAFile) {
  data.AddTextItem("Hello", 0, 0);
  TTempFolder folder;
  EXPECT_TRUE(data.SaveRTF(folder.Path() + "doc.rtf", false, clWindow));
  EXPECT_EQ(folder.Read("doc.rtf"), SaveRTF(data));
  EXPECT_FALSE(data.SaveRTF(folder.Path() + "missing/doc.rtf", false, clWindow));
}

}  // namespace
