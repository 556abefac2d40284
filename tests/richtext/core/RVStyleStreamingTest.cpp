// Text, paragraph and list styles as stored property lists: the published names, types and
// defaults that forms, RVF style blocks and exam files hold, written and read back through
// the component streaming, plus hand-worked bytes of one text style.
#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "RVStyleTestSupport.h"
#include "platform/core/TypInfo.h"
#include "platform/graphics/Bitmap.h"
#include "platform/graphics/Canvas.h"
#include "platform/graphics/ImageList.h"
#include "platform/graphics/Picture.h"
#include "richtext/core/RVStyle.h"

using namespace rvstyletest;

namespace {

// A text style in which every property differs from its default.
void FillFontInfo(TFontInfo& f) {
  f.StyleName = "Everything";
  f.BaseStyleNo = 2;
  f.Standard = false;
  f.Charset = RUSSIAN_CHARSET;
  f.FontName = "Courier New";
  f.Size = 14;
  f.Style = {fsBold, fsItalic, fsUnderline, fsStrikeOut};
  f.VShift = -30;
  f.Color = clRed;
  f.BackColor = 0x123456;
  f.HoverBackColor = clYellow;
  f.HoverColor = clHighlight;
  f.StyleEx = rvfsOverline | rvfsAllCaps;
  f.Jump = true;
  f.JumpCursor = crHandPoint;
  f.CharScale = 150;
  f.CharSpacing = 3;
  f.NextStyleNo = 4;
  f.BiDiMode = rvbdRightToLeft;
  f.Unicode = true;
  f.Protection = rvprStyleProtect | rvprSticking;
  f.Options = rvteoHTMLCode | rvteoRTFCode;
}

void FillParaInfo(TParaInfo& p) {
  p.StyleName = "Boxed";
  p.BaseStyleNo = 1;
  p.Standard = false;
  p.FirstIndent = -12;
  p.LeftIndent = 24;
  p.RightIndent = 6;
  p.SpaceBefore = 5;
  p.SpaceAfter = 7;
  p.Alignment = rvaJustify;
  p.Border().Width = 2;
  p.Border().InternalWidth = 3;
  p.Border().Color = clNavy;
  p.Border().Style = rvbThickOutside;
  p.Border().VisibleBorders().SetValues(false, true, false, true);
  p.Border().BorderOffsets().Left = 1;
  p.Border().BorderOffsets().Right = 2;
  p.Border().BorderOffsets().Top = 3;
  p.Border().BorderOffsets().Bottom = 4;
  p.Background().Color = clSilver;
  p.Background().BorderOffsets().SetAll(9);
  p.NextParaNo = 0;
  p.LineSpacing = 12;
  p.LineSpacingType = rvlsSpaceBetween;
  p.Options = rvpaoNoWrap | rvpaoReadOnly | rvpaoStyleProtect | rvpaoDoNotWantReturns;
  p.BiDiMode = rvbdLeftToRight;
}

// ---------------------------------------------------------------------------------------
// Published names, kinds, order and defaults: what forms and exam files store by name.

struct Published {
  const char* name;
  TTypeKind kind;
};

// The properties a class publishes after those of `parent`, in streaming order.
std::vector<std::pair<std::string, TTypeKind>> OwnProperties(const TPropertyList& all,
                                                             const TPropertyList& parent) {
  std::vector<std::pair<std::string, TTypeKind>> own;
  for (int i = parent.Count(); i < all.Count(); ++i) own.emplace_back(all[i].Name, all[i].Kind);
  return own;
}

std::vector<std::pair<std::string, TTypeKind>> Expect(std::initializer_list<Published> list) {
  std::vector<std::pair<std::string, TTypeKind>> expected;
  for (const Published& p : list) expected.emplace_back(p.name, p.kind);
  return expected;
}

TEST(RVStyleStreamingTest, PublishedPropertiesInTheirStoredOrder) {
  struct Case {
    const char* className;
    const TPropertyList& all;
    const TPropertyList& parent;
    std::vector<std::pair<std::string, TTypeKind>> expected;
  };
  const Case cases[] = {
      {"TCustomRVInfo", TCustomRVInfo::ClassProperties(), TCollectionItem::ClassProperties(),
       Expect({{"BaseStyleNo", tkInteger}, {"StyleName", tkString}, {"Standard", tkBoolean}})},
      {"TFontInfo", TFontInfo::ClassProperties(), TCustomRVInfo::ClassProperties(),
       Expect({{"Charset", tkInteger},
               {"FontName", tkString},
               {"Size", tkInteger},
               {"Style", tkSet},
               {"VShift", tkInteger},
               {"Color", tkInteger},
               {"BackColor", tkInteger},
               {"HoverBackColor", tkInteger},
               {"HoverColor", tkInteger},
               {"StyleEx", tkSet},
               {"Jump", tkBoolean},
               {"JumpCursor", tkInteger},
               {"CharScale", tkInteger},
               {"CharSpacing", tkInteger},
               {"NextStyleNo", tkInteger},
               {"BiDiMode", tkEnumeration},
               {"Unicode", tkBoolean},
               {"Protection", tkSet},
               {"Options", tkSet}})},
      {"TParaInfo", TParaInfo::ClassProperties(), TCustomRVInfo::ClassProperties(),
       Expect({{"FirstIndent", tkInteger},
               {"LeftIndent", tkInteger},
               {"RightIndent", tkInteger},
               {"SpaceBefore", tkInteger},
               {"SpaceAfter", tkInteger},
               {"Alignment", tkEnumeration},
               {"Border", tkClass},
               {"Background", tkClass},
               {"NextParaNo", tkInteger},
               {"LineSpacing", tkInteger},
               {"LineSpacingType", tkEnumeration},
               {"Options", tkSet},
               {"BiDiMode", tkEnumeration}})},
      {"TRVBorder", TRVBorder::ClassProperties(), TPersistent::ClassProperties(),
       Expect({{"Width", tkInteger},
               {"InternalWidth", tkInteger},
               {"Color", tkInteger},
               {"Style", tkEnumeration},
               {"VisibleBorders", tkClass},
               {"BorderOffsets", tkClass}})},
      {"TRVBackgroundRect", TRVBackgroundRect::ClassProperties(), TPersistent::ClassProperties(),
       Expect({{"Color", tkInteger}, {"BorderOffsets", tkClass}})},
      {"TRVRect", TRVRect::ClassProperties(), TPersistent::ClassProperties(),
       Expect({{"Left", tkInteger}, {"Right", tkInteger}, {"Top", tkInteger}, {"Bottom", tkInteger}})},
      {"TRVBooleanRect", TRVBooleanRect::ClassProperties(), TPersistent::ClassProperties(),
       Expect({{"Left", tkBoolean}, {"Right", tkBoolean}, {"Top", tkBoolean}, {"Bottom", tkBoolean}})},
      {"TRVListLevel", TRVListLevel::ClassProperties(), TCollectionItem::ClassProperties(),
       Expect({{"ListType", tkEnumeration},
               {"StartFrom", tkInteger},
               {"ImageList", tkComponent},
               {"ImageIndex", tkInteger},
               {"FormatString", tkString},
               {"FormatStringW", tkWString},
               {"LeftIndent", tkInteger},
               {"FirstIndent", tkInteger},
               {"MarkerIndent", tkInteger},
               {"MarkerAlignment", tkEnumeration},
               {"Picture", tkClass},
               {"Font", tkClass},
               {"Options", tkSet}})},
      {"TRVListInfo", TRVListInfo::ClassProperties(), TCustomRVInfo::ClassProperties(),
       Expect({{"Levels", tkClass}, {"OneLevelPreview", tkBoolean}})},
      {"TRVStyle", TRVStyle::ClassProperties(), TComponent::ClassProperties(),
       Expect({{"TextStyles", tkClass},
               {"ParaStyles", tkClass},
               {"ListStyles", tkClass},
               {"SpacesInTab", tkInteger},
               {"JumpCursor", tkInteger},
               {"FullRedraw", tkBoolean},
               {"UseSound", tkBoolean},
               {"Color", tkInteger},
               {"HoverColor", tkInteger},
               {"SelColor", tkInteger},
               {"SelTextColor", tkInteger},
               {"InactiveSelColor", tkInteger},
               {"InactiveSelTextColor", tkInteger},
               {"CheckpointColor", tkInteger},
               {"CheckpointEvColor", tkInteger},
               {"PageBreakColor", tkInteger},
               {"SoftPageBreakColor", tkInteger},
               {"DefUnicodeStyle", tkInteger},
               {"DefCodePage", tkInteger},
               {"InvalidPicture", tkClass}})},
  };
  for (const Case& c : cases) EXPECT_EQ(OwnProperties(c.all, c.parent), c.expected) << c.className;
}

// Each ordinal property of a new object has its documented value, and that value is also its
// declared streaming default (so a new object stores nothing for it).
TEST(RVStyleStreamingTest, NewObjectsHoldTheirStreamingDefaults) {
  struct Value {
    const char* name;
    int64_t value;
  };
  TFontInfo font;
  TParaInfo para;
  TRVListInfo list;
  TRVListLevel& level = *list.Levels().AddLevel();
  TRVStyle sheet;
  struct Case {
    TPersistent& object;
    std::vector<Value> values;
  };
  const Case cases[] = {
      {font,
       {{"BaseStyleNo", -1},
        {"Standard", 1},
        {"Charset", DEFAULT_CHARSET},
        {"Size", 10},
        {"Style", 0},
        {"VShift", 0},
        {"Color", clWindowText},
        {"BackColor", clNone},
        {"HoverBackColor", clNone},
        {"HoverColor", clNone},
        {"StyleEx", 0},
        {"Jump", 0},
        {"JumpCursor", 101},
        {"CharScale", 100},
        {"CharSpacing", 0},
        {"NextStyleNo", -1},
        {"BiDiMode", rvbdUnspecified},
        {"Unicode", 0},
        {"Protection", 0},
        {"Options", 0}}},
      {para,
       {{"FirstIndent", 0},
        {"LeftIndent", 0},
        {"RightIndent", 0},
        {"SpaceBefore", 0},
        {"SpaceAfter", 0},
        {"Alignment", rvaLeft},
        {"NextParaNo", -1},
        {"LineSpacing", 100},
        {"LineSpacingType", rvlsPercent},
        {"BiDiMode", rvbdUnspecified}}},
      {para.Border(), {{"Width", 1}, {"InternalWidth", 1}, {"Color", clWindowText}, {"Style", rvbNone}}},
      {para.Border().VisibleBorders(), {{"Left", 1}, {"Right", 1}, {"Top", 1}, {"Bottom", 1}}},
      {para.Border().BorderOffsets(), {{"Left", 0}, {"Right", 0}, {"Top", 0}, {"Bottom", 0}}},
      {para.Background(), {{"Color", clNone}}},
      {level,
       {{"ListType", rvlstBullet},
        {"StartFrom", 1},
        {"ImageIndex", 0},
        {"LeftIndent", 0},
        {"FirstIndent", 10},
        {"MarkerIndent", 0},
        {"MarkerAlignment", rvmaLeft},
        {"Options", rvloContinuous | rvloLevelReset}}},
      {list, {{"OneLevelPreview", 0}}},
      {sheet,
       {{"SpacesInTab", 8},
        {"JumpCursor", 101},
        {"FullRedraw", 0},
        {"UseSound", 1},
        {"Color", clWindow},
        {"HoverColor", clNone},
        {"SelColor", clHighlight},
        {"SelTextColor", clHighlightText},
        {"InactiveSelColor", clHighlight},
        {"InactiveSelTextColor", clHighlightText},
        {"CheckpointColor", clGreen},
        {"CheckpointEvColor", clLime},
        {"PageBreakColor", clBtnShadow},
        {"SoftPageBreakColor", clBtnFace},
        {"DefUnicodeStyle", -1},
        {"DefCodePage", 0}}},
  };
  for (const Case& c : cases) {
    const TPropertyList& props = c.object.PublishedProperties();
    for (const Value& v : c.values) {
      const TPropInfo* prop = props.Find(v.name);
      ASSERT_NE(prop, nullptr) << c.object.ClassName() << "." << v.name;
      EXPECT_EQ(prop->GetOrd(c.object), v.value) << c.object.ClassName() << "." << v.name;
      ASSERT_TRUE(prop->Default.has_value()) << c.object.ClassName() << "." << v.name;
      EXPECT_EQ(*prop->Default, v.value) << c.object.ClassName() << "." << v.name;
    }
  }
  EXPECT_EQ(font.FontName, "Arial");
  EXPECT_EQ(font.StyleName, "Font Style");
  EXPECT_EQ(para.StyleName, "Paragraph Style");
  EXPECT_EQ(list.StyleName, "List Style");
  EXPECT_FALSE(para.PublishedProperties().Find("Options")->Default.has_value());
}

TEST(RVStyleStreamingTest, TextStyleWithEveryPropertySetReadsBackEqual) {
  TFontInfo written;
  FillFontInfo(written);
  TFontInfo read;
  ReadList(WriteList(written), read);
  EXPECT_TRUE(read.IsEqual(written, 0));
  EXPECT_EQ(read.StyleName, "Everything");
  EXPECT_EQ(read.BaseStyleNo, 2);
  EXPECT_FALSE(read.Standard);
  EXPECT_EQ(read.HoverColor, clHighlight);
  EXPECT_EQ(read.JumpCursor, crHandPoint);
}

TEST(RVStyleStreamingTest, DefaultTextStyleStoresOnlyItsNames) {
  TFontInfo f;
  EXPECT_EQ(WriteList(f), Bytes({0x01}) + StringProp("StyleName", "Font Style") +
                              StringProp("FontName", "Arial") + Bytes({0x00}));
}

// One text style worked out by hand: the inherited properties first, then the text style's
// in their published order; names for colours, charsets and cursors; the smallest integers.
TEST(RVStyleStreamingTest, TextStylePropertyListMatchesHandWorkedBytes) {
  TFontInfo f;
  f.StyleName = "Big";
  f.Standard = false;
  f.Charset = RUSSIAN_CHARSET;
  f.Size = 14;
  f.Style = {fsBold};
  f.Color = clRed;
  f.Jump = true;
  f.JumpCursor = crHandPoint;
  f.CharScale = 150;
  f.NextStyleNo = 3;
  f.Unicode = true;
  const std::string expected = Bytes({0x01}) +                            // vaList
                               StringProp("StyleName", "Big") +           //
                               Short("Standard") + Bytes({0x08}) +        // vaFalse
                               IdentProp("Charset", "RUSSIAN_CHARSET") +  //
                               StringProp("FontName", "Arial") +          //
                               Short("Size") + Bytes({0x02, 0x0E}) +      // vaInt8 14
                               Short("Style") + Bytes({0x0B}) + Short("fsBold") + Bytes({0x00}) +
                               IdentProp("Color", "clRed") +                     //
                               Short("Jump") + Bytes({0x09}) +                   // vaTrue
                               IdentProp("JumpCursor", "crHandPoint") +          //
                               Short("CharScale") + Bytes({0x03, 0x96, 0x00}) +  // vaInt16 150
                               Short("NextStyleNo") + Bytes({0x02, 0x03}) +      //
                               Short("Unicode") + Bytes({0x09}) +                //
                               Bytes({0x00});                                    // end of list
  EXPECT_EQ(WriteList(f), expected);

  TFontInfo read;
  ReadList(expected, read);
  EXPECT_TRUE(read.IsEqual(f, 0));
  EXPECT_EQ(read.StyleName, "Big");
  EXPECT_FALSE(read.Standard);
}

TEST(RVStyleStreamingTest, LegacySingleSymbolsAddsProtection) {
  TFontInfo f;
  ReadList(Bytes({0x01}) + Short("SingleSymbols") + Bytes({0x09, 0x00}), f);
  EXPECT_EQ(f.Protection, rvprStyleProtect | rvprDoNotAutoSwitch);
  EXPECT_FALSE(Contains(WriteList(f), "SingleSymbols"));
}

TEST(RVStyleStreamingTest, UnknownTextStylePropertyFailsTheRead) {
  TFontInfo f;
  EXPECT_THROW(ReadList(Bytes({0x01}) + Short("Fontname2") + Bytes({0x09, 0x00}), f), EReadError);
}

TEST(RVStyleStreamingTest, ParagraphStyleWithEveryPropertySetReadsBackEqual) {
  TParaInfo written;
  FillParaInfo(written);
  const std::string bytes = WriteList(written);
  for (const char* name : {"Border.Width", "Border.InternalWidth", "Border.VisibleBorders.Left",
                           "Border.BorderOffsets.Bottom", "Background.Color", "Background.BorderOffsets.Top"})
    EXPECT_TRUE(Contains(bytes, Short(name))) << name;
  TParaInfo read;
  ReadList(bytes, read);
  EXPECT_TRUE(read.IsEqual(written, 0));
  EXPECT_EQ(read.StyleName, "Boxed");
  EXPECT_EQ(read.BaseStyleNo, 1);
  EXPECT_FALSE(read.Standard);
}

TEST(RVStyleStreamingTest, DefaultParagraphStyleAlwaysStoresItsOptions) {
  TParaInfo p;
  EXPECT_EQ(WriteList(p), Bytes({0x01}) + StringProp("StyleName", "Paragraph Style") + Short("Options") +
                              Bytes({0x0B, 0x00}) + Bytes({0x00}));
}

TEST(RVStyleStreamingTest, ParagraphStyleReadsNestedPropertiesByName) {
  // As an exam file stores them: only what differs, nested objects by dotted names.
  const std::string bytes = Bytes({0x01}) + Short("SpaceBefore") + Bytes({0x02, 0x0C}) +
                            IdentProp("Alignment", "rvaCenter") + IdentProp("Border.Style", "rvbDouble") +
                            Short("Border.VisibleBorders.Top") + Bytes({0x08}) + Short("Options") +
                            Bytes({0x0B}) + Short("rvpaoReadOnly") + Bytes({0x00}) + Bytes({0x00});
  TParaInfo p;
  ReadList(bytes, p);
  EXPECT_EQ(p.SpaceBefore, 12);
  EXPECT_EQ(p.Alignment, rvaCenter);
  EXPECT_EQ(p.Border().Style, rvbDouble);
  EXPECT_FALSE(p.Border().VisibleBorders().Top);
  EXPECT_TRUE(p.Border().VisibleBorders().Left);
  EXPECT_EQ(p.Options, rvpaoReadOnly);
}

TEST(RVStyleStreamingTest, BadEnumerationValueFailsTheRead) {
  TParaInfo p;
  EXPECT_THROW(ReadList(Bytes({0x01}) + IdentProp("Alignment", "rvaMiddle") + Bytes({0x00}), p), EReadError);
}

// ---------------------------------------------------------------------------------------
// List styles

TEST(RVStyleStreamingTest, NewLevelWritesNoFormatStringCode) {
  TRVListInfo list;
  TRVListLevel& level = *list.Levels().AddLevel();
  EXPECT_EQ(level.FirstIndent, 10);
  EXPECT_EQ(level.StartFrom, 1);
  EXPECT_EQ(level.Options, rvloContinuous | rvloLevelReset);
  EXPECT_EQ(level.FormatString, "\xB7");
  EXPECT_EQ(WriteList(level), Bytes({0x01, 0x00}));
}

TEST(RVStyleStreamingTest, LevelTemplateTravelsAsHexCode) {
  TRVListLevel level;
  level.FormatString = "%s.";
  level.FormatStringW = u"\u2022x";
  const std::string bytes = WriteList(level);
  EXPECT_EQ(bytes, Bytes({0x01}) + StringProp("FormatStringWCode", "20220078") +
                       StringProp("FormatStringCode", "25732E") + Bytes({0x00}));
  TRVListLevel read;
  ReadList(bytes, read);
  EXPECT_EQ(read.FormatString, "%s.");
  EXPECT_EQ(read.FormatStringW, u"\u2022x");
}

TEST(RVStyleStreamingTest, LevelHexCodeAcceptsLowerCaseAndRefusesBadText) {
  TRVListLevel level;
  ReadList(Bytes({0x01}) + StringProp("FormatStringCode", "2573") + Bytes({0x00}), level);
  EXPECT_EQ(level.FormatString, "%s");
  ReadList(Bytes({0x01}) + StringProp("FormatStringCode", "2e2e") + Bytes({0x00}), level);
  EXPECT_EQ(level.FormatString, "..");
  for (const char* bad : {"257", "2G", "25 3"}) {
    TRVListLevel fresh;
    EXPECT_THROW(ReadList(Bytes({0x01}) + StringProp("FormatStringCode", bad) + Bytes({0x00}), fresh),
                 EReadError)
        << bad;
  }
  TRVListLevel wide;
  EXPECT_THROW(ReadList(Bytes({0x01}) + StringProp("FormatStringWCode", "002") + Bytes({0x00}), wide),
               EReadError);
}

TEST(RVStyleStreamingTest, ListStyleWithLevelsFontAndPictureReadsBackEqual) {
  TRVListInfo written;
  written.StyleName = "Outline";
  written.OneLevelPreview = true;
  TRVListLevel& first = *written.Levels().AddLevel();
  first.ListType = rvlstUpperRoman;
  first.StartFrom = 3;
  first.FormatString = "%0:s)";
  first.LeftIndent = 30;
  first.FirstIndent = -10;
  first.MarkerIndent = 4;
  first.MarkerAlignment = rvmaRight;
  first.Options = rvloLegalStyleNumbering;
  first.Font().SetName("Times New Roman");
  first.Font().SetSize(12);
  first.Font().SetColor(clRed);
  TRVListLevel& second = *written.Levels().AddLevel();
  second.ListType = rvlstPicture;
  TBitmap bitmap;
  bitmap.SetPixelFormat(pf24bit);
  bitmap.SetSize(3, 2);
  bitmap.Canvas().SetPixel(1, 1, clBlue);
  TPicture picture;
  picture.SetGraphic(&bitmap);
  second.SetPicture(&picture);
  ASSERT_TRUE(second.HasPicture());

  TRVListInfo read;
  ReadList(WriteList(written), read);
  EXPECT_TRUE(read.SameAs(written, false));
  EXPECT_EQ(read.StyleName, "Outline");
  ASSERT_EQ(read.Levels().Count(), 2);
  EXPECT_EQ(read.Levels()[0].Font().Name(), "Times New Roman");
  EXPECT_EQ(read.Levels()[0].Font().Size(), 12);
  EXPECT_TRUE(read.Levels()[1].HasPicture());
}

TEST(RVStyleStreamingTest, MarkerFontStoresNameAndHeightOnlyWhenTheyDiffer) {
  TRVListLevel level;
  level.Font();  // a default font: Arial 8
  const std::string bytes = WriteList(level);
  EXPECT_FALSE(Contains(bytes, Short("Font.Name")));
  EXPECT_FALSE(Contains(bytes, Short("Font.Height")));
  level.Font().SetName("Symbol");
  level.Font().SetSize(9);
  const std::string changed = WriteList(level);
  EXPECT_TRUE(Contains(changed, Short("Font.Name")));
  EXPECT_TRUE(Contains(changed, Short("Font.Height")));
}

TEST(RVStyleStreamingTest, LinkedLevelStoresImageListAsTag) {
  TCustomImageList images;
  images.SetTag(7);
  TRVListInfos lists(CollectionItemClass<TRVListInfo>(), nullptr);
  TRVListLevel& level = *lists.AddStyle()->Levels().AddLevel();
  level.ListType = rvlstImageList;
  level.ImageList = &images;

  int askedFor = -1;
  lists.LinkToData(nullptr, [&](int32_t tag) -> TCustomImageList* {
    askedFor = tag;
    return &images;
  });
  const std::string bytes = WriteList(level);
  EXPECT_EQ(bytes, Bytes({0x01}) + IdentProp("ListType", "rvlstImageList") + Short("ILTag") +
                       Bytes({0x02, 0x07}) + Bytes({0x00}));

  TRVListLevel& copy = *lists.Items(0)->Levels().AddLevel();
  ReadList(bytes, copy);
  EXPECT_EQ(askedFor, 7);
  EXPECT_EQ(copy.ImageList, &images);

  lists.UnlinkData();
  TRVListLevel& unlinked = *lists.Items(0)->Levels().AddLevel();
  ReadList(bytes, unlinked);
  EXPECT_EQ(unlinked.ImageList, nullptr);
}

// ---------------------------------------------------------------------------------------
// The whole sheet as a component.

TEST(RVStyleStreamingTest, SheetComponentReadsBackItsCollectionsAndSettings) {
  TRVStyle written;
  written.SetName("MainStyle");
  written.SpacesInTab = 4;
  written.InactiveSelColor = clBtnFace;
  written.DefCodePage = 1251;
  written.TextStyles().AddStyle()->StyleName = "Extra";
  TRVListInfo* list = written.ListStyles().AddStyle();
  list->StyleName = "Numbers";
  list->Levels().AddLevel()->ListType = rvlstDecimal;

  TMemoryStream stream;
  WriteComponent(stream, written);
  stream.SetPosition(0);
  TRVStyle read;
  ReadComponent(stream, read);
  EXPECT_EQ(read.Name(), "MainStyle");
  EXPECT_EQ(read.SpacesInTab, 4);
  EXPECT_EQ(read.InactiveSelColor, clBtnFace);
  EXPECT_EQ(read.DefCodePage, 1251u);
  ASSERT_EQ(read.TextStyles().Count(), 7);
  EXPECT_EQ(read.TextStyles()[6].StyleName, "Extra");
  EXPECT_EQ(read.TextStyles()[4].StyleName, "Jump 1");
  EXPECT_TRUE(read.TextStyles()[4].Jump);
  ASSERT_EQ(read.ListStyles().Count(), 1);
  EXPECT_EQ(read.ListStyles()[0].Levels()[0].ListType, rvlstDecimal);
  EXPECT_EQ(read.ParaStyles()[1].Alignment, rvaCenter);
}

}  // namespace
