// Documents written by our RTF writer and read back: the same items, styles after matching,
// lists, tables, pictures and hyperlinks.
#include <gtest/gtest.h>

#include "RTFTestSupport.h"
#include "platform/graphics/Bitmap.h"
#include "richtext/table/TableTestSupport.h"

using namespace rtfimport;

namespace {

/// The sheet both documents use: five text styles, three paragraph styles, two lists.
void FillSheet(TRVStyle& s) {
  TFontInfos& t = s.TextStyles();
  t[0].Size = 10;
  TFontInfo* bold = t.AddStyle();
  bold->Style = TFontStyles{fsBold};
  TFontInfo* red = t.AddStyle();
  red->FontName = "Times New Roman";
  red->Size = 14;
  red->Color = 0x0000FF;
  red->Style = TFontStyles{fsItalic};
  TFontInfo* link = t.AddStyle();
  link->Jump = true;
  link->Color = 0xFF0000;
  link->Style = TFontStyles{fsUnderline};
  TFontInfo* uni = t.AddStyle();
  uni->Unicode = true;
  TParaInfos& p = s.ParaStyles();
  TParaInfo* centred = p.AddStyle();
  centred->Alignment = rvaCenter;
  TParaInfo* indented = p.AddStyle();
  indented->LeftIndent = 24;
  indented->SpaceBefore = 8;
  TRVListInfo* numbered = s.ListStyles().AddStyle();
  TRVListLevel* level = numbered->Levels().AddLevel();
  level->ListType = rvlstDecimal;
  level->FormatString = "%s.";
  level->LeftIndent = 48;
  level->FirstIndent = 24;
  level->MarkerIndent = 0;
  level->Font().SetName("Arial");
  level->Font().SetSize(10);
  TRVListInfo* bullets = s.ListStyles().AddStyle();
  TRVListLevel* bullet = bullets->Levels().AddLevel();
  bullet->ListType = rvlstBullet;
  bullet->FormatString = "\xB7";
  bullet->Font().SetName("Symbol");
  bullet->Font().SetCharset(SYMBOL_CHARSET);
  bullet->Font().SetSize(10);
}

/// What Outline leaves out: page breaks ("^" and the item), marker counters, cell outlines.
std::string Marks(TCustomRVData& data) {
  std::string out;
  for (int i = 0; i < data.GetItemCount(); ++i) {
    if (data.GetItem(i)->GetPageBreakBefore()) out += "^" + std::to_string(i);
    if (auto* marker = dynamic_cast<TRVMarkerItemInfo*>(data.GetItem(i)))
      out += "#" + std::to_string(marker->Counter);
    if (auto* table = dynamic_cast<TRVTableItemInfo*>(data.GetItem(i)))
      out += "[" + Outline(*table->GetCell(0, 0)) + "]";
  }
  return out;
}

class RTFRoundTripTest : public ::testing::Test {
 protected:
  void SetUp() override {
    SetACP(1252);
    FillSheet(source.Style);
    FillSheet(result.Style);
    result.Props.TextStyleMode = result.Props.ParaStyleMode = rvrsAddIfNeeded;
    result.Props.UnicodeMode = rvruMixed;
  }
  void Add(const std::string& text, int style, int para, bool continues = false) {
    source.AddTextItem(text, style, continues ? -1 : para);
  }
  void AddMarker(int list, int para) {
    source.AddItem("", TRVMarkerItemInfo::CreateForList(&source, list, 0, 1, false));
    source.GetItem(source.GetItemCount() - 1)->ParaNo = para;
  }
  /// Writes the source, reads it into the result and answers the RTF.
  std::string RoundTrip() {
    const std::string rtf = source.Write();
    EXPECT_EQ(result.Read(rtf), 0) << rtf;
    return rtf;
  }
  TDoc source, result;
};

TEST_F(RTFRoundTripTest, TextStylesParagraphsAndLineBreaks) {
  Add("Hello ", 0, 0);
  Add("bold", 1, 0, true);
  Add(" red", 2, 0, true);
  Add("Centred", 0, 1);
  Add("Indented", 0, 2);
  auto line = RVCreateItemByStyleNo(0, &source);
  line->SetBR(true);
  line->ParaNo = 2;
  source.AddItem("second line", std::move(line));
  source.AddWideTextItem(u"\u041f\u0440\u0438\u0432\u0435\u0442\u4e2d\u6587", 4, 0, TRVTag());
  const int texts = source.Style.TextStyles().Count(), paras = source.Style.ParaStyles().Count();
  const std::string rtf = RoundTrip();
  EXPECT_EQ(Outline(result), Outline(source)) << rtf;
  // Mixed Unicode mode keeps the plain characters a Unicode run was written with as 8-bit
  // text of their own.
  TDoc withSpace, mixed;
  FillSheet(withSpace.Style);
  FillSheet(mixed.Style);
  mixed.Props.TextStyleMode = mixed.Props.ParaStyleMode = rvrsAddIfNeeded;
  mixed.Props.UnicodeMode = rvruMixed;
  withSpace.AddWideTextItem(u"\u041f\u0440 \u4e2d", 4, 0, TRVTag());
  ASSERT_EQ(mixed.Read(withSpace.Write()), 0);
  EXPECT_EQ(Outline(mixed), "Ps4/p0:\xD0\x9F\xD1\x80 | s0/p0:  | s4/p0:\xE4\xB8\xAD");
  EXPECT_EQ(result.Style.TextStyles().Count(), texts) << "every style is found again";
  EXPECT_EQ(result.Style.ParaStyles().Count(), paras);
}

TEST_F(RTFRoundTripTest, LevelWithoutALabelIsWrittenAsOneWithoutANumber) {
  source.Style.ListStyles()[1].Levels()[0].FormatString.clear();
  AddMarker(1, 0);
  Add("Heading", 0, 0, true);
  EXPECT_NE(RoundTrip().find("\\levelnfc255"), std::string::npos);
}

TEST_F(RTFRoundTripTest, Hyperlinks) {
  Add("see ", 0, 0);
  Add("the site", 3, 0, true);
  source.GetItem(1)->JumpID = 7;
  source.urls[7] = "http://example.org/a?b=\"c\"";
  RoundTrip();
  EXPECT_EQ(Outline(result), "Ps0/p0:see  | s3/p0:the site<http://example.org/a?b=%22c%22>");
}

TEST_F(RTFRoundTripTest, ListsKeepTheirStyles) {
  AddMarker(0, 0);
  Add("first", 0, 0, true);
  AddMarker(0, 0);
  Add("second", 0, 0, true);
  AddMarker(1, 0);
  Add("dot", 0, 0, true);
  Add("after", 0, 0);
  const int lists = source.Style.ListStyles().Count(), paras = source.Style.ParaStyles().Count();
  const std::string rtf = RoundTrip();
  // The indents the writer gives a numbered paragraph are read as the paragraph's own, so
  // they get a style of their own; the bullet level's are 0 and match style 0.
  EXPECT_EQ(Outline(result), "PM0.0 | s0/p3:first | PM0.0 | s0/p3:second | PM1.0 | s0/p0:dot | Ps0/p0:after")
      << rtf;
  ASSERT_EQ(result.Style.ParaStyles().Count(), paras + 1);
  EXPECT_EQ(result.Style.ParaStyles()[3].LeftIndent, 48);
  EXPECT_EQ(result.Style.ParaStyles()[3].FirstIndent, -48);
  EXPECT_EQ(result.Style.ListStyles().Count(), lists) << rtf;
}

TEST_F(RTFRoundTripTest, PicturesKeepTheirPixelsAndSize) {
  auto bitmap = std::make_unique<TBitmap>();
  bitmap->SetPixelFormat(pf24bit);
  bitmap->SetSize(5, 3);
  bitmap->Canvas().SetPixel(1, 1, 0x00FF00);
  source.AddTextItem("pic:", 0, 0);
  source.AddPictureItem("", std::move(bitmap), -1, 0, TRVTag());
  auto* sized = dynamic_cast<TRVGraphicItemInfo*>(source.GetItem(1));
  ASSERT_NE(sized, nullptr);
  sized->ImageWidth = 10;
  sized->ImageHeight = 6;
  RoundTrip();
  EXPECT_EQ(Outline(result), Outline(source));
  auto* read = dynamic_cast<TRVGraphicItemInfo*>(result.GetItem(1));
  ASSERT_NE(read, nullptr);
  auto* readBitmap = dynamic_cast<TBitmap*>(read->Image.get());
  ASSERT_NE(readBitmap, nullptr);
  EXPECT_EQ(readBitmap->Width(), 5);
  EXPECT_EQ(readBitmap->Canvas().Pixel(1, 1), 0x00FF00);
  EXPECT_EQ(readBitmap->Canvas().Pixel(0, 0),
            dynamic_cast<TBitmap*>(sized->Image.get())->Canvas().Pixel(0, 0));
}

TEST_F(RTFRoundTripTest, TablesKeepTheirGridAndMerges) {
  Add("before", 0, 0);
  auto table = TRVTableItemInfo::CreateWithSize(3, 3, &source);
  TRVTableItemInfo* t = table.get();
  source.AddItem("", std::move(table));
  const char* texts[3][3] = {{"a", "b", "c"}, {"d", "e", "f"}, {"g", "h", "i"}};
  for (int r = 0; r < 3; ++r)
    for (int c = 0; c < 3; ++c) {
      t->GetCell(r, c)->Clear();
      t->GetCell(r, c)->AddTextItem(texts[r][c], 0, 0);
    }
  ASSERT_TRUE(t->Rows().MergeCells(0, 0, 2, 1, true, false));
  ASSERT_TRUE(t->Rows().MergeCells(1, 2, 1, 2, true, false));
  t->GetCell(2, 0)->Color = 0x00FFFF;
  Add("after", 0, 0);
  const std::string rtf = RoundTrip();
  EXPECT_EQ(Outline(result), "Ps0/p0:before | PT[(1x2)ab,-,c;d,e,(2x1)fi;g,h,-] | Ps0/p0:after") << rtf;
  auto* read = dynamic_cast<TRVTableItemInfo*>(result.GetItem(1));
  ASSERT_NE(read, nullptr);
  EXPECT_EQ(tabletest::GridFault(*read), "");
  EXPECT_EQ(read->GetCell(2, 0)->Color, 0x00FFFF);
}

TEST_F(RTFRoundTripTest, PageBreaksRestartedListsLinksInCellsPngAndAnsiTextOfAnotherCodePage) {
  source.Props.Assign(&result.Props);
  source.Style.DefCodePage = result.Style.DefCodePage = 1251;
  ASSERT_EQ(source.Read(
                "{\\rtf1\\ansicpg1251{\\fonttbl{\\f0 Arial;}{\\f1\\fcharset0\\cpg1252 Arial;}}"
                "{\\*\\listtable{\\list\\listid1{\\listlevel\\levelnfc0{\\leveltext\\'02\\'00.;}}}}"
                "{\\*\\listoverridetable{\\listoverride\\listid1\\ls1}{\\listoverride\\listid1"
                "\\listoverridecount1{\\lfolevel\\listoverridestartat\\levelstartat5}\\ls2}}"
                "\\f1 caf\\'e9\\par\\page\\pard\\ls1 a\\par\\pard\\ls2 b\\par\\ls2 c\\par\\page\\pard\\trowd"
                "\\cellx2000\\pard\\intbl{\\field{\\*\\fldinst HYPERLINK \"http://x.org/\"}{\\fldrslt x}}"
                "\\cell\\row\\pard{\\pict\\pngblip\\picwgoal90\\pichgoal60 " +
                kGreenDotPngHex + "}}"),
            0);
  ASSERT_EQ(Marks(source), "^1#1#5#6^7[Ps6/p0:x<http://x.org/>]") << Outline(source);
  auto* link = dynamic_cast<TRVTableItemInfo&>(*source.GetItem(7)).GetCell(0, 0)->GetItem(0);
  link->JumpID = 1;
  source.urls[1] = *link->Tag.Text;  // the application answers the target it was given
  const std::string rtf = RoundTrip();
  EXPECT_EQ(Outline(result), Outline(source)) << rtf;
  EXPECT_EQ(Marks(result), Marks(source)) << rtf;
  EXPECT_EQ(Utf8(result.GetItemTextW(0)), "caf\xC3\xA9");
  auto& picture = dynamic_cast<TRVGraphicItemInfo&>(*result.GetItem(result.GetItemCount() - 1));
  EXPECT_EQ(dynamic_cast<TBitmap&>(*picture.Image).Canvas().Pixel(1, 1), 0x00FF00);
}

}  // namespace
