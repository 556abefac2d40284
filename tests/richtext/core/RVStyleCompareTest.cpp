// Comparing, scoring and merging styles: which properties each comparison looks at, the
// substitutes for bad indexes, the closest-style choice, and MergeWith in its three modes.
#include <gtest/gtest.h>

#include <climits>
#include <functional>

#include "platform/core/Strings.h"
#include "platform/graphics/Font.h"
#include "richtext/core/RVStyle.h"

namespace {

TFontInfos MakeFonts() {
  return TFontInfos(CollectionItemClass<TFontInfo>(), nullptr);
}

TParaInfos MakeParas() {
  return TParaInfos(CollectionItemClass<TParaInfo>(), nullptr);
}

TRVListInfos MakeLists() {
  return TRVListInfos(CollectionItemClass<TRVListInfo>(), nullptr);
}

std::vector<int32_t> Values(const TRVIntegerList& list) {
  return std::vector<int32_t>(list.begin(), list.end());
}

// ---------------------------------------------------------------------------------------
// Text styles

TEST(RVStyleCompareTest, TextSameAsIgnoresNamesAndBaseStyle) {
  TFontInfo a, b;
  b.StyleName = "Other";
  b.BaseStyleNo = 3;
  b.Standard = false;
  EXPECT_TRUE(a.SameAs(b, false));
  b.Size = 11;
  EXPECT_FALSE(a.SameAs(b, false));
}

TEST(RVStyleCompareTest, TextSameAsComparesHoverOnlyForJumps) {
  TFontInfo a, b;
  b.HoverColor = clRed;
  b.JumpCursor = crArrow;
  EXPECT_TRUE(a.SameAs(b, false));
  a.Jump = b.Jump = true;
  EXPECT_FALSE(a.SameAs(b, false));
}

TEST(RVStyleCompareTest, TextSameAsFontNameIgnoresCaseAndNextStyleOnRequest) {
  TFontInfo a, b;
  b.FontName = "ARIAL";
  b.NextStyleNo = 5;
  EXPECT_FALSE(a.SameAs(b, false));
  EXPECT_TRUE(a.SameAs(b, true));
}

// Each case changes one property; IsEqual must see it unless its bit is in the ignore list.
struct FontChange {
  const char* name;
  TRVFontInfoProperty bit;
  std::function<void(TFontInfo&)> change;
};

TEST(RVStyleCompareTest, TextIsEqualSkipsExactlyTheIgnoredProperty) {
  const FontChange cases[] = {
      {"FontName", rvfiFontName, [](TFontInfo& f) { f.FontName = "Tahoma"; }},
      {"Size", rvfiSize, [](TFontInfo& f) { f.Size = 9; }},
      {"Charset", rvfiCharset, [](TFontInfo& f) { f.Charset = GREEK_CHARSET; }},
      {"Unicode", rvfiUnicode, [](TFontInfo& f) { f.Unicode = true; }},
      {"Bold", rvfiBold, [](TFontInfo& f) { f.Style = {fsBold}; }},
      {"StrikeOut", rvfiStrikeOut, [](TFontInfo& f) { f.Style = {fsStrikeOut}; }},
      {"Overline", rvfiOverline, [](TFontInfo& f) { f.StyleEx = rvfsOverline; }},
      {"AllCaps", rvfiAllCaps, [](TFontInfo& f) { f.StyleEx = rvfsAllCaps; }},
      {"VShift", rvfiVShift, [](TFontInfo& f) { f.VShift = 50; }},
      {"Color", rvfiColor, [](TFontInfo& f) { f.Color = clRed; }},
      {"BackColor", rvfiBackColor, [](TFontInfo& f) { f.BackColor = clRed; }},
      {"NextStyleNo", rvfiNextStyleNo, [](TFontInfo& f) { f.NextStyleNo = 1; }},
      {"Protection", rvfiProtection, [](TFontInfo& f) { f.Protection = rvprModifyProtect; }},
      {"CharScale", rvfiCharScale, [](TFontInfo& f) { f.CharScale = 90; }},
      {"BaseStyleNo", rvfiBaseStyleNo, [](TFontInfo& f) { f.BaseStyleNo = 0; }},
      {"BiDiMode", rvfiBiDiMode, [](TFontInfo& f) { f.BiDiMode = rvbdLeftToRight; }},
      {"CharSpacing", rvfiCharSpacing, [](TFontInfo& f) { f.CharSpacing = 2; }},
      {"HTMLCode", rvfiHTMLCode, [](TFontInfo& f) { f.Options = rvteoHTMLCode; }},
      {"RTFCode", rvfiRTFCode, [](TFontInfo& f) { f.Options = rvteoRTFCode; }},
  };
  for (const FontChange& c : cases) {
    TFontInfo a, b;
    c.change(b);
    EXPECT_FALSE(a.IsEqual(b, 0)) << c.name;
    EXPECT_TRUE(a.IsEqual(b, 1u << c.bit)) << c.name;
    EXPECT_FALSE(a.IsEqual(b, ~(1u << c.bit))) << c.name << " must not be skipped by other bits";
  }
}

TEST(RVStyleCompareTest, TextIsEqualComparesJumpExtrasOnlyForJumps) {
  TFontInfo a, b;
  b.HoverColor = clRed;
  EXPECT_TRUE(a.IsEqual(b, 0));
  a.Jump = b.Jump = true;
  EXPECT_FALSE(a.IsEqual(b, 0));
  EXPECT_TRUE(a.IsEqual(b, 1u << rvfiHoverColor));
}

TEST(RVStyleCompareTest, SameAsWithMapFollowsMappedNextStyleAndChangesNothing) {
  TFontInfo read, sheet;
  read.NextStyleNo = 7;
  sheet.NextStyleNo = 1;
  TRVIntegerList mapping;
  mapping.AddValue(4);
  mapping.AddValue(7);
  EXPECT_TRUE(read.SameAsWithMap(sheet, mapping));
  read.NextStyleNo = 6;
  EXPECT_FALSE(read.SameAsWithMap(sheet, mapping));

  // A next style beyond the mapping cannot be checked yet: the styles count as the same,
  // and neither of them is changed by the comparison.
  sheet.NextStyleNo = 9;
  EXPECT_TRUE(read.SameAsWithMap(sheet, mapping));
  EXPECT_EQ(sheet.NextStyleNo, 9);
  EXPECT_EQ(read.NextStyleNo, 6);
}

TEST(RVStyleCompareTest, TextSubstituteIsOneWhiteOnRedCopyOfStyleZero) {
  TFontInfos fonts = MakeFonts();
  TFontInfo* first = fonts.AddStyle();
  first->FontName = "Tahoma";
  first->Size = 20;
  fonts.AddStyle();
  TFontInfo* below = fonts.Items(-1);
  EXPECT_EQ(below, fonts.Items(2));
  EXPECT_EQ(below, fonts.Items(INT_MAX));
  EXPECT_EQ(below->FontName, "Tahoma");
  EXPECT_EQ(below->Size, 20);
  EXPECT_EQ(below->Color, clWhite);
  EXPECT_EQ(below->BackColor, clRed);
  first->Size = 30;
  EXPECT_EQ(fonts.Items(5)->Size, 20);
  EXPECT_EQ(fonts.Count(), 2);
}

TEST(RVStyleCompareTest, TextSubstituteOfEmptyCollectionHasDefaults) {
  TFontInfos fonts = MakeFonts();
  EXPECT_EQ(fonts.Items(0)->FontName, "Arial");
  EXPECT_EQ(fonts.Items(0)->BackColor, clRed);
}

TEST(RVStyleCompareTest, FindStyleWithCharset) {
  TFontInfos fonts = MakeFonts();
  fonts.AddStyle()->Charset = ANSI_CHARSET;     // 0
  fonts.AddStyle()->Charset = RUSSIAN_CHARSET;  // 1: like 0 but Cyrillic
  TFontInfo* unicodeGreek = fonts.AddStyle();   // 2: Unicode is never chosen
  unicodeGreek->Charset = GREEK_CHARSET;
  unicodeGreek->Unicode = true;
  TFontInfo* boldGreek = fonts.AddStyle();  // 3: differs in more than the charset
  boldGreek->Charset = GREEK_CHARSET;
  boldGreek->Style = {fsBold};
  EXPECT_EQ(fonts.FindStyleWithCharset(0, ANSI_CHARSET), 0);
  EXPECT_EQ(fonts.FindStyleWithCharset(0, RUSSIAN_CHARSET), 1);
  EXPECT_EQ(fonts.FindStyleWithCharset(1, ANSI_CHARSET), 0);
  EXPECT_EQ(fonts.FindStyleWithCharset(0, GREEK_CHARSET), -1);
  EXPECT_EQ(fonts.FindStyleWithCharset(2, GREEK_CHARSET), -1);
}

TEST(RVStyleCompareTest, TextSimilarityIsSixtyFourBit) {
  TFontInfo small, huge;
  small.Size = 1;
  huge.Size = 2'000'000'000;
  // (1 - |1 - 2e9| / 1) x 10000 alone is about -2e13.
  EXPECT_LT(huge.SimilarityScore(small), static_cast<int64_t>(INT_MIN));
  EXPECT_GT(small.SimilarityScore(small), huge.SimilarityScore(small));
}

TEST(RVStyleCompareTest, TextSimilarityRewardsCloserStyles) {
  TFontInfo wanted;
  wanted.Size = 12;
  wanted.Style = {fsBold};
  TFontInfo close;
  close.Size = 11;
  close.Style = {fsBold};
  TFontInfo far;
  far.Size = 12;
  far.Style = {fsItalic};
  EXPECT_GT(wanted.SimilarityScore(close), wanted.SimilarityScore(far));
  TFontInfo protectedStyle;
  protectedStyle.Assign(&close);
  protectedStyle.Protection = rvprDeleteProtect;
  EXPECT_EQ(wanted.SimilarityScore(close) - wanted.SimilarityScore(protectedStyle), 100000);
}

// ---------------------------------------------------------------------------------------
// Paragraph styles

TEST(RVStyleCompareTest, ParaSameAsIgnoresNamesAndBaseStyle) {
  TParaInfo a, b;
  b.StyleName = "x";
  b.BaseStyleNo = 0;
  b.Standard = false;
  EXPECT_TRUE(a.SameAs(b, false));
  b.Border().VisibleBorders().Left = false;
  EXPECT_FALSE(a.SameAs(b, false));
}

TEST(RVStyleCompareTest, ParaIsEqualSkipsExactlyTheIgnoredProperty) {
  struct ParaChange {
    const char* name;
    TRVParaInfoProperty bit;
    std::function<void(TParaInfo&)> change;
  };
  const ParaChange cases[] = {
      {"FirstIndent", rvpiFirstIndent, [](TParaInfo& p) { p.FirstIndent = 3; }},
      {"Alignment", rvpiAlignment, [](TParaInfo& p) { p.Alignment = rvaRight; }},
      {"LineSpacingType", rvpiLineSpacingType, [](TParaInfo& p) { p.LineSpacingType = rvlsSpaceBetween; }},
      {"Background.Color", rvpiBackground_Color, [](TParaInfo& p) { p.Background().Color = clRed; }},
      {"Background.Top", rvpiBackground_BO_Top, [](TParaInfo& p) { p.Background().BorderOffsets().Top = 2; }},
      {"Border.Color", rvpiBorder_Color, [](TParaInfo& p) { p.Border().Color = clRed; }},
      {"Border.Style", rvpiBorder_Style, [](TParaInfo& p) { p.Border().Style = rvbTriple; }},
      {"Border.Right", rvpiBorder_BO_Right, [](TParaInfo& p) { p.Border().BorderOffsets().Right = 2; }},
      {"Border.VisBottom", rvpiBorder_Vis_Bottom,
       [](TParaInfo& p) { p.Border().VisibleBorders().Bottom = false; }},
      {"NoWrap", rvpiNoWrap, [](TParaInfo& p) { p.Options = rvpaoNoWrap; }},
      {"DoNotWantReturns", rvpiDoNotWantReturns, [](TParaInfo& p) { p.Options = rvpaoDoNotWantReturns; }},
      {"BiDiMode", rvpiBiDiMode, [](TParaInfo& p) { p.BiDiMode = rvbdRightToLeft; }},
  };
  for (const ParaChange& c : cases) {
    TParaInfo a, b;
    c.change(b);
    EXPECT_FALSE(a.IsEqual(b, 0)) << c.name;
    EXPECT_TRUE(a.IsEqual(b, 1u << c.bit)) << c.name;
    EXPECT_FALSE(a.IsEqual(b, RVAllParaInfoProperties & ~(1u << c.bit))) << c.name;
  }
}

TEST(RVStyleCompareTest, FindStyleLikeWithAlignmentMaskStartsAtBaseStyle) {
  TParaInfos paras = MakeParas();
  paras.AddStyle()->Alignment = rvaCenter;  // 0
  TParaInfo* left = paras.AddStyle();       // 1
  left->LeftIndent = 40;
  TParaInfo* centered = paras.AddStyle();  // 2
  centered->Alignment = rvaCenter;
  centered->SpaceAfter = 9;
  TParaInfo wanted;
  wanted.Alignment = rvaCenter;
  const TRVParaInfoProperties alignmentOnly = 1u << rvpiAlignment;
  EXPECT_EQ(paras.FindStyleLike(2, wanted, alignmentOnly), 2);
  EXPECT_EQ(paras.FindStyleLike(1, wanted, alignmentOnly), 0);
  EXPECT_EQ(paras.FindStyleLike(1, wanted, RVAllParaInfoProperties), 0);
  wanted.SpaceAfter = 9;
  EXPECT_EQ(paras.FindStyleLike(0, wanted, RVAllParaInfoProperties), 2);
  wanted.RightIndent = 1;
  EXPECT_EQ(paras.FindStyleLike(0, wanted, RVAllParaInfoProperties), -1);
  EXPECT_EQ(paras.FindStyleLike(99, wanted, alignmentOnly), 0) << "a bad base style is not an answer";
}

TEST(RVStyleCompareTest, ParaSubstituteHasRedBorderAndOnePixelSpacing) {
  TParaInfos paras = MakeParas();
  paras.AddStyle()->Alignment = rvaCenter;
  paras.AddStyle();
  const TParaInfo& s = *paras.Items(99);
  EXPECT_EQ(&s, paras.Items(-5));
  EXPECT_EQ(s.Alignment, rvaCenter);
  EXPECT_EQ(s.SpaceBefore, 1);
  EXPECT_EQ(s.SpaceAfter, 1);
  EXPECT_EQ(s.LeftIndent, 1);
  EXPECT_EQ(s.RightIndent, 1);
  EXPECT_EQ(s.Border().Color, clRed);
  EXPECT_EQ(s.Border().Style, rvbSingle);
  EXPECT_EQ(s.Border().Width, 2);
  EXPECT_TRUE(s.Border().BorderOffsets().IsEqualEx(s.Border().BorderOffsets(), false, false, false, false));
  EXPECT_EQ(s.Border().BorderOffsets().Left + s.Border().BorderOffsets().Top +
                s.Border().BorderOffsets().Right + s.Border().BorderOffsets().Bottom,
            4);
}

TEST(RVStyleCompareTest, BorderSimilarityCountsSharedAndMissingSides) {
  TRVBorder none, single, singleLeftOnly;
  single.Style = rvbSingle;
  singleLeftOnly.Style = rvbSingle;
  singleLeftOnly.VisibleBorders().SetValues(true, false, false, false);
  // No side visible in either: +20000 for each of the four sides.
  EXPECT_EQ(none.SimilarityValue(none), 80000);
  // Four sides visible in one border only.
  EXPECT_EQ(none.SimilarityValue(single), -80000);
  // One shared side (equal colours 3000, widths 1000 + 1000, style 1000; offset 100), three
  // sides visible in one only.
  EXPECT_EQ(single.SimilarityValue(singleLeftOnly), 6000 + 100 - 60000);
}

TEST(RVStyleCompareTest, BorderTotalWidthByStyle) {
  TRVBorder b;
  b.Width = 2;
  b.InternalWidth = 3;
  const std::pair<TRVBorderStyle, int32_t> cases[] = {{rvbNone, 0},        {rvbSingle, 2},
                                                      {rvbDouble, 7},      {rvbTriple, 12},
                                                      {rvbThickInside, 9}, {rvbThickOutside, 9}};
  for (const auto& [style, width] : cases) {
    b.Style = style;
    EXPECT_EQ(b.GetTotalWidth(), width) << int(style);
  }
}

TEST(RVStyleCompareTest, ExtraLineSpacing) {
  TParaInfo p;
  EXPECT_FALSE(p.ExtraLineSpacing());
  p.LineSpacing = 150;
  EXPECT_TRUE(p.ExtraLineSpacing());
  p.LineSpacingType = rvlsSpaceBetween;
  EXPECT_TRUE(p.ExtraLineSpacing());
  p.LineSpacing = 0;
  EXPECT_FALSE(p.ExtraLineSpacing());
}

// ---------------------------------------------------------------------------------------
// List styles

TEST(RVStyleCompareTest, LevelsWithoutFontAndWithDefaultFontAreEqual) {
  TRVListLevel a, b;
  b.Font();
  EXPECT_TRUE(a.IsSimpleEqual(b));
  b.Font().SetSize(9);
  EXPECT_FALSE(a.IsSimpleEqual(b));
  a.Font().SetSize(9);
  a.Font().SetName("ARIAL");
  EXPECT_TRUE(a.IsSimpleEqual(b));
}

TEST(RVStyleCompareTest, ListSimilarityPenalisesLevelCountDifference) {
  TRVListInfo one, two;
  one.Levels().AddLevel();
  two.Levels().AddLevel();
  two.Levels().AddLevel();
  // OneLevelPreview equal 100; one equal level: 5000 + 12 x 100; one level missing: -100.
  EXPECT_EQ(one.SimilarityScore(two), 100 + 6200 - 100);
  EXPECT_FALSE(one.SameAs(two, false));
}

// ---------------------------------------------------------------------------------------
// MergeWith

TEST(RVStyleCompareTest, MergeReusesEqualStylesAndAppendsOthers) {
  TFontInfos sheet = MakeFonts();
  sheet.AddStyle();                      // 0 plain
  sheet.AddStyle()->Style = {fsBold};    // 1 bold
  sheet.AddStyle()->Style = {fsItalic};  // 2 italic
  TFontInfos read = MakeFonts();
  read.AddStyle();                      // same as sheet 0 at the same place
  read.AddStyle()->Style = {fsItalic};  // equal to sheet 2
  TFontInfo* fresh = read.AddStyle();   // new: appended
  fresh->Size = 30;
  fresh->BaseStyleNo = 1;
  fresh->NextStyleNo = 0;
  TRVIntegerList mapping;
  sheet.MergeWith(read, rvmmMerge, mapping);
  EXPECT_EQ(Values(mapping), (std::vector<int32_t>{0, 2, 3}));
  ASSERT_EQ(sheet.Count(), 4);
  EXPECT_EQ(sheet[3].Size, 30);
  EXPECT_FALSE(sheet[3].Standard);
  EXPECT_EQ(sheet[3].BaseStyleNo, 2) << "read style 1 is sheet style 2";
  EXPECT_EQ(sheet[3].NextStyleNo, 0);
  EXPECT_TRUE(sheet[0].Standard) << "styles already there are untouched";
}

TEST(RVStyleCompareTest, MergePrefersTheSamePositionOverAnEarlierEqualStyle) {
  TFontInfos sheet = MakeFonts();
  sheet.AddStyle();
  sheet.AddStyle();  // equal to style 0
  TFontInfos read = MakeFonts();
  read.AddStyle();
  read.AddStyle();
  TRVIntegerList mapping;
  sheet.MergeWith(read, rvmmMerge, mapping);
  EXPECT_EQ(Values(mapping), (std::vector<int32_t>{0, 1}));
  EXPECT_EQ(sheet.Count(), 2);
}

TEST(RVStyleCompareTest, MergeGivesReferencesOutsideTheReadCollectionNone) {
  TParaInfos sheet = MakeParas();
  sheet.AddStyle();
  TParaInfos read = MakeParas();
  TParaInfo* p = read.AddStyle();
  p->LeftIndent = 10;
  p->BaseStyleNo = 5;
  p->NextParaNo = 40;
  TRVIntegerList mapping;
  sheet.MergeWith(read, rvmmMerge, mapping);
  ASSERT_EQ(sheet.Count(), 2);
  EXPECT_EQ(sheet[1].BaseStyleNo, -1);
  EXPECT_EQ(sheet[1].NextParaNo, -1);
}

TEST(RVStyleCompareTest, MapModeAddsNothingAndChoosesTheClosestStyle) {
  TFontInfos sheet = MakeFonts();
  sheet.AddStyle();                    // 0 plain 10
  sheet.AddStyle()->Style = {fsBold};  // 1 bold 10
  TFontInfo* big = sheet.AddStyle();   // 2 bold 20
  big->Style = {fsBold};
  big->Size = 20;
  TFontInfos read = MakeFonts();
  TFontInfo* r = read.AddStyle();
  r->Style = {fsBold};
  r->Size = 18;
  read.AddStyle()->Size = 11;
  TRVIntegerList mapping;
  sheet.MergeWith(read, rvmmMap, mapping);
  EXPECT_EQ(Values(mapping), (std::vector<int32_t>{2, 0}));
  EXPECT_EQ(sheet.Count(), 3);
}

TEST(RVStyleCompareTest, MapModePrefersStylesOfTheSameJumpAndUnicodeKind) {
  TFontInfos sheet = MakeFonts();
  sheet.AddStyle()->Size = 12;  // 0: the same look, but not a jump
  TFontInfo* jump = sheet.AddStyle();
  jump->Jump = true;
  jump->Style = {fsUnderline};
  jump->Color = clBlue;  // 1: a jump that looks different
  TFontInfos read = MakeFonts();
  TFontInfo* r = read.AddStyle();
  r->Size = 12;
  r->Jump = true;
  TRVIntegerList mapping;
  sheet.MergeWith(read, rvmmMap, mapping);
  EXPECT_EQ(Values(mapping), (std::vector<int32_t>{1}));
}

TEST(RVStyleCompareTest, MapModeIntoEmptyCollection) {
  TFontInfos fonts = MakeFonts();
  TFontInfos read = MakeFonts();
  read.AddStyle();
  read.AddStyle();
  TRVIntegerList mapping;
  fonts.MergeWith(read, rvmmMap, mapping);
  // A text style number must stay a text style number: the first style (or its substitute).
  EXPECT_EQ(Values(mapping), (std::vector<int32_t>{0, 0}));
  EXPECT_EQ(fonts.Count(), 0);

  TRVListInfos lists = MakeLists();
  TRVListInfos readLists = MakeLists();
  readLists.AddStyle();
  lists.MergeWith(readLists, rvmmMap, mapping);
  EXPECT_EQ(Values(mapping), (std::vector<int32_t>{-1})) << "a list that does not exist is no list";
}

TEST(RVStyleCompareTest, AppendModeAddsEveryStyleAndRemapsReferences) {
  TFontInfos sheet = MakeFonts();
  sheet.AddStyle();
  TFontInfos read = MakeFonts();
  read.AddStyle();
  TFontInfo* second = read.AddStyle();
  second->NextStyleNo = 0;
  second->BaseStyleNo = 0;
  TRVIntegerList mapping;
  sheet.MergeWith(read, rvmmAppend, mapping);
  EXPECT_EQ(Values(mapping), (std::vector<int32_t>{1, 2}));
  ASSERT_EQ(sheet.Count(), 3);
  EXPECT_EQ(sheet[2].NextStyleNo, 1);
  EXPECT_EQ(sheet[2].BaseStyleNo, 1);
  EXPECT_FALSE(sheet[1].Standard);
}

TEST(RVStyleCompareTest, MergeNeverPutsTwoNumberedReadListsIntoOneSheetList) {
  auto addNumbered = [](TRVListInfos& lists) {
    lists.AddStyle()->Levels().AddLevel()->ListType = rvlstDecimal;
  };
  TRVListInfos sheet = MakeLists();
  addNumbered(sheet);
  TRVListInfos read = MakeLists();
  addNumbered(read);
  addNumbered(read);
  read.AddStyle()->Levels().AddLevel();  // bullets may share
  read.AddStyle()->Levels().AddLevel();
  TRVIntegerList mapping;
  sheet.MergeWith(read, rvmmMerge, mapping);
  EXPECT_EQ(Values(mapping), (std::vector<int32_t>{0, 1, 2, 2}));
  EXPECT_EQ(sheet.Count(), 3);
}

// ---------------------------------------------------------------------------------------
// Copying styles

TEST(RVStyleCompareTest, TextStyleCopiesToAndFromFonts) {
  TFontInfo f;
  f.FontName = "Courier New";
  f.Size = 14;
  f.Color = clRed;
  f.Style = {fsItalic};
  f.Charset = RUSSIAN_CHARSET;
  f.Unicode = true;
  TFont font;
  f.AssignTo(&font);
  EXPECT_EQ(font.Name(), "Courier New");
  EXPECT_EQ(font.Size(), 14);
  EXPECT_EQ(font.Color(), clRed);
  EXPECT_EQ(font.Style(), TFontStyles{fsItalic});
  EXPECT_EQ(font.Charset(), DEFAULT_CHARSET) << "a Unicode style gives no charset";
  f.Unicode = false;
  f.AssignTo(&font);
  EXPECT_EQ(font.Charset(), RUSSIAN_CHARSET);

  TFontInfo g;
  g.Jump = true;
  g.StyleName = "Kept";
  font.SetName("Times New Roman");
  g.Assign(&font);
  EXPECT_EQ(g.FontName, "Times New Roman");
  EXPECT_EQ(g.Size, 14);
  EXPECT_EQ(g.Color, clRed);
  EXPECT_EQ(g.Charset, RUSSIAN_CHARSET);
  EXPECT_TRUE(g.Jump) << "only the font's own attributes are taken";
  EXPECT_EQ(g.StyleName, "Kept");
}

TEST(RVStyleCompareTest, StylesCopyEverythingIncludingNamesAndNestedObjects) {
  TFontInfo f;
  f.StyleName = "Link";
  f.BaseStyleNo = 3;
  f.Standard = false;
  f.Jump = true;
  f.HoverColor = clRed;
  f.CharSpacing = 2;
  TFontInfo fCopy;
  fCopy.Assign(&f);
  EXPECT_TRUE(fCopy.IsEqual(f, 0));
  EXPECT_EQ(fCopy.StyleName, "Link");
  EXPECT_FALSE(fCopy.Standard);

  TParaInfo p;
  p.StyleName = "Boxed";
  p.Border().Style = rvbDouble;
  p.Border().VisibleBorders().Top = false;
  p.Background().BorderOffsets().Left = 4;
  TParaInfo pCopy;
  pCopy.Assign(&p);
  EXPECT_TRUE(pCopy.IsEqual(p, 0));
  EXPECT_EQ(pCopy.StyleName, "Boxed");
  p.Border().Style = rvbNone;
  EXPECT_EQ(pCopy.Border().Style, rvbDouble) << "the border is copied by value";

  TRVListInfo l;
  l.OneLevelPreview = true;
  l.Levels().AddLevel()->ListType = rvlstLowerRoman;
  TRVListInfo lCopy;
  lCopy.Assign(&l);
  EXPECT_TRUE(lCopy.SameAs(l, false));
  EXPECT_EQ(lCopy.StyleName, "List Style");
}

TEST(RVStyleCompareTest, StyleFromAnUnrelatedClassRaisesConversionError) {
  TFontInfo f;
  TParaInfo p;
  TRVListInfo l;
  TRVBorder border;
  EXPECT_THROW(f.Assign(&border), EConvertError);
  EXPECT_THROW(p.Assign(&border), EConvertError);
  EXPECT_THROW(l.Assign(&border), EConvertError);
  EXPECT_THROW(border.Assign(&p.Background()), EConvertError);
}

TEST(RVStyleCompareTest, DisplayNamesAndNameLists) {
  TFontInfos fonts = MakeFonts();
  fonts.AddStyle()->StyleName = "First";
  fonts.AddStyle();
  EXPECT_EQ(fonts[0].GetDisplayName(), "First");
  TStringList names;
  names.Add("stale");
  fonts.AssignToStrings(names);
  ASSERT_EQ(names.Count(), 2);
  EXPECT_EQ(names[0], "First");
  EXPECT_EQ(names[1], "Font Style");

  TRVListInfo list;
  list.Levels().AddLevel();
  EXPECT_EQ(list.Levels().AddLevel()->GetDisplayName(), "List Level 1");
}

TEST(RVStyleCompareTest, SheetCollectionsAreCopiedIntoTheSheetsOwnObjects) {
  TRVStyle sheet;
  TFontInfos* own = &sheet.TextStyles();
  TFontInfos other = MakeFonts();
  other.AddStyle()->StyleName = "Only";
  sheet.SetTextStyles(other);
  EXPECT_EQ(&sheet.TextStyles(), own);
  ASSERT_EQ(sheet.TextStyles().Count(), 1);
  EXPECT_EQ(sheet.TextStyles()[0].StyleName, "Only");
  sheet.SetTextStyles(sheet.TextStyles());
  EXPECT_EQ(sheet.TextStyles().Count(), 1) << "copying the collection onto itself keeps it";

  TParaInfos paras = MakeParas();
  sheet.SetParaStyles(paras);
  EXPECT_EQ(sheet.ParaStyles().Count(), 0);
  sheet.ResetParaStyles();
  sheet.ResetTextStyles();
  EXPECT_EQ(sheet.ParaStyles().Count(), 2);
  EXPECT_EQ(sheet.TextStyles().Count(), 6);
}

class TMarkedFontInfo : public TFontInfo {};
class TMarkedParaInfo : public TParaInfo {};
class TMarkedListInfo : public TRVListInfo {};

class TMarkedSheet : public TRVStyle {
 public:
  TMarkedSheet() {
    ResetParaStyles();
    ResetTextStyles();
  }
  TCollectionItemClass GetTextStyleClass() const override { return CollectionItemClass<TMarkedFontInfo>(); }
  TCollectionItemClass GetParaStyleClass() const override { return CollectionItemClass<TMarkedParaInfo>(); }
  TCollectionItemClass GetListStyleClass() const override { return CollectionItemClass<TMarkedListInfo>(); }
};

TEST(RVStyleCompareTest, DescendantSheetMakesItsStylesWithItsOwnClasses) {
  TMarkedSheet sheet;
  ASSERT_EQ(sheet.TextStyles().Count(), 6);
  EXPECT_NE(dynamic_cast<TMarkedFontInfo*>(sheet.TextStyles().Items(5)), nullptr);
  EXPECT_NE(dynamic_cast<TMarkedParaInfo*>(sheet.ParaStyles().Items(1)), nullptr);
  EXPECT_NE(dynamic_cast<TMarkedFontInfo*>(sheet.TextStyles().AddStyle()), nullptr);
  EXPECT_NE(dynamic_cast<TMarkedParaInfo*>(sheet.ParaStyles().AddStyle()), nullptr);
  EXPECT_NE(dynamic_cast<TMarkedListInfo*>(sheet.ListStyles().AddStyle()), nullptr);
  EXPECT_EQ(sheet.TextStyles()[4].StyleName, "Jump 1");
}

TEST(RVStyleCompareTest, ListStyleItemsOutOfRangeRaise) {
  TRVListInfos lists = MakeLists();
  EXPECT_THROW(lists.Items(0), EListError);
  TRVListInfo list;
  EXPECT_THROW(list.Levels().Items(-1), EListError);
}

}  // namespace
