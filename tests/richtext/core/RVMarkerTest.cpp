// List markers: numbering across levels, resets and lists, the counter texts of every list
// type, measuring, drawing, plain text and the feature answers.
#include <gtest/gtest.h>

#include "platform/core/CodePages.h"
#include "platform/graphics/Bitmap.h"
#include "platform/graphics/Canvas.h"
#include "platform/graphics/ImageList.h"
#include "platform/graphics/Picture.h"
#include "platform/graphics/SystemColors.h"
#include "richtext/core/CRVData.h"
#include "richtext/core/DLines.h"
#include "richtext/core/RVMarker.h"
#include "richtext/core/RVStyle.h"
#include "richtext/core/RVUni.h"

namespace {

struct LevelDef {
  TRVListType type;
  const char* format;
  TRVListLevelOptions options = rvloContinuous | rvloLevelReset;
  int32_t startFrom = 1;
};

class MarkerTest : public ::testing::Test {
 protected:
  /// Adds a list style with the given levels; returns its number.
  int AddList(std::initializer_list<LevelDef> levels) {
    TRVListInfo* list = style.ListStyles().AddStyle();
    for (const LevelDef& def : levels) {
      TRVListLevel* level = list->Levels().AddLevel();
      level->ListType = def.type;
      level->FormatString = def.format;
      level->Options = def.options;
      level->StartFrom = def.startFrom;
    }
    return style.ListStyles().Count() - 1;
  }
  /// Appends a marker to the marker list (in document order) and renumbers from it.
  TRVMarkerItemInfo* Add(int listNo, int level, bool reset = false, int startFrom = 1) {
    markers.push_back(TRVMarkerItemInfo::CreateForList(nullptr, listNo, level, startFrom, reset));
    TRVMarkerItemInfo* prev = list.Count() > 0 ? list.Items(list.Count() - 1) : nullptr;
    list.RecalcCounters(list.InsertAfter(markers.back().get(), prev), &style);
    return markers.back().get();
  }
  std::vector<std::string> Texts() const {
    std::vector<std::string> out;
    for (int i = 0; i < list.Count(); ++i) out.push_back(list.Items(i)->DisplayString);
    return out;
  }
  std::vector<int> Counters() const {
    std::vector<int> out;
    for (int i = 0; i < list.Count(); ++i) out.push_back(list.Items(i)->Counter);
    return out;
  }

  TRVStyle style;
  TRVMarkerList list;
  std::vector<std::unique_ptr<TRVMarkerItemInfo>> markers;
};

using TextList = std::vector<std::string>;

TEST_F(MarkerTest, CountsWithinLevelsAndRestartsSubLevels) {
  const int l = AddList({{rvlstDecimal, "%0:s."}, {rvlstLowerAlpha, "%0:s.%1:s)"}});
  for (int level : {0, 0, 1, 1, 0, 1}) Add(l, level);
  EXPECT_EQ(Counters(), (std::vector<int>{1, 2, 1, 2, 3, 1}));
  EXPECT_EQ(Texts(), (TextList{"1.", "2.", "2.a)", "2.b)", "3.", "3.a)"}));
}

TEST_F(MarkerTest, WithoutLevelResetASubLevelContinues) {
  const int l = AddList({{rvlstDecimal, "%0:s."}, {rvlstDecimal, "%1:s", rvloContinuous}});
  for (int level : {0, 1, 1, 0, 1}) Add(l, level);
  EXPECT_EQ(Counters(), (std::vector<int>{1, 1, 2, 2, 3}));
}

TEST_F(MarkerTest, LevelAfterADeeperStartIsOneAboveItsStart) {
  const int l = AddList({{rvlstDecimal, "%0:s.", rvloLevelReset, 5}, {rvlstDecimal, "%0:s.%1:s"}});
  Add(l, 1);
  Add(l, 0);
  EXPECT_EQ(Counters(), (std::vector<int>{1, 6}));
  // The first marker's missing parent level shows its level's start value.
  EXPECT_EQ(Texts(), (TextList{"5.1", "6."}));
}

TEST_F(MarkerTest, ResetMarkerTakesItsOwnStart) {
  const int l = AddList({{rvlstDecimal, "%0:s"}});
  Add(l, 0);
  Add(l, 0, true, 10);
  Add(l, 0);
  EXPECT_EQ(Texts(), (TextList{"1", "10", "11"}));
}

TEST_F(MarkerTest, ListsAreNumberedIndependently) {
  const int a = AddList({{rvlstDecimal, "%0:s"}});
  const int b = AddList({{rvlstUpperAlpha, "%0:s"}});
  Add(a, 0);
  Add(b, 0);
  Add(a, 0);
  Add(b, 0);
  EXPECT_EQ(Texts(), (TextList{"1", "A", "2", "B"}));
}

TEST_F(MarkerTest, CounterTextsOfTheListTypes) {
  const struct {
    TRVListType type;
    int32_t counter;
    const char* text;
  } cases[] = {
      {rvlstDecimal, 42, "42"},           {rvlstLowerAlpha, 1, "a"},
      {rvlstLowerAlpha, 0, ""},           {rvlstUpperAlpha, 26, "Z"},
      {rvlstUpperAlpha, 27, "AA"},        {rvlstUpperAlpha, 702, "ZZ"},
      {rvlstUpperAlpha, 703, "AAA"},      {rvlstUpperRoman, 1994, "MCMXCIV"},
      {rvlstLowerRoman, 1994, "mcmxciv"}, {rvlstUpperRoman, 0, "?"},
      {rvlstUpperRoman, 4000, "MMMM"},    {rvlstUpperRoman, 4999, "MMMMCMXCIX"},
      {rvlstUpperRoman, 5000, "5000"},    {rvlstLowerRoman, 123456, "123456"},
  };
  for (const auto& c : cases) {
    TRVMarkerList own;
    style.ListStyles().Clear();
    const int l = AddList({{c.type, "%0:s"}});
    auto marker = TRVMarkerItemInfo::CreateForList(nullptr, l, 0, c.counter, true);
    own.RecalcCounters(own.InsertAfter(marker.get(), nullptr), &style);
    EXPECT_EQ(marker->DisplayString, c.text) << c.type << " " << c.counter;
  }
}

TEST_F(MarkerTest, LegalNumberingShowsParentLevelsAsDecimal) {
  const int l = AddList(
      {{rvlstUpperRoman, "%0:s."}, {rvlstLowerAlpha, "%0:s.%1:s", rvloLevelReset | rvloLegalStyleNumbering}});
  Add(l, 0);
  Add(l, 0);
  Add(l, 1);
  EXPECT_EQ(Texts(), (TextList{"I.", "II.", "2.a"}));
}

TEST_F(MarkerTest, LevelBeyondTheListUsesTheLastLevel) {
  const int l = AddList({{rvlstDecimal, "%0:s."}, {rvlstLowerRoman, "%0:s-%1:s"}});
  Add(l, 0);
  Add(l, 7);
  Add(l, 1000);
  EXPECT_EQ(Texts(), (TextList{"1.", "1-i", "1-ii"}));
  EXPECT_EQ(RVMarkerGetEffectiveLevel(&style, l, 1000), 1);
  EXPECT_EQ(RVMarkerGetListLevel(&style, l, 7), style.ListStyles().Items(l)->Levels().Items(1));
}

TEST_F(MarkerTest, NoLevelWithoutAListOrLevels) {
  const int empty = AddList({});
  EXPECT_EQ(RVMarkerGetListLevel(&style, empty, 0), nullptr);
  EXPECT_EQ(RVMarkerGetListLevel(&style, -1, 0), nullptr);
  EXPECT_EQ(RVMarkerGetListLevel(&style, 99, 0), nullptr);
  EXPECT_EQ(RVMarkerGetListLevel(&style, empty + 0, -1), nullptr);
  EXPECT_EQ(RVMarkerGetListLevel(nullptr, 0, 0), nullptr);
  TRVMarkerItemInfo* marker = Add(-1, 0);
  EXPECT_EQ(marker->DisplayString, "");
}

TEST_F(MarkerTest, BulletAndPictureLevelsHaveFixedTexts) {
  const int l = AddList({{rvlstBullet, "\xB7"}, {rvlstPicture, "x"}, {rvlstUnicodeBullet, "y"}});
  Add(l, 0);
  Add(l, 1);
  Add(l, 2);
  EXPECT_EQ(Texts(), (TextList{"\xB7", "", ""}));
}

// A template that does not fit its string arguments shows the deepest level's text, which is
// empty for every marker above level 255; it never raises.
TEST_F(MarkerTest, BadTemplateShowsNoTextInsteadOfRaising) {
  const int l = AddList({{rvlstDecimal, "%0:s."}, {rvlstDecimal, "%d %s %5:s"}});
  Add(l, 0);
  Add(l, 1);
  EXPECT_EQ(Texts(), (TextList{"1.", ""}));
}

// A template may name levels below the marker's own: they show as empty texts.
TEST_F(MarkerTest, TemplateNamingDeeperLevelsShowsThemEmpty) {
  const int l = AddList({{rvlstDecimal, "%0:s.%1:s|%255:s"}, {rvlstDecimal, "%0:s.%1:s.%2:s"}});
  Add(l, 0);
  Add(l, 1);
  EXPECT_EQ(Texts(), (TextList{"1.|", "1.1."}));
}

TEST_F(MarkerTest, FindPreviousSameListLooksForASmallerLevel) {
  const int a = AddList({{rvlstDecimal, ""}, {rvlstDecimal, ""}, {rvlstDecimal, ""}});
  const int b = AddList({{rvlstDecimal, ""}});
  Add(a, 0);
  Add(b, 0);
  Add(a, 2);
  Add(a, 1);
  Add(a, 2);
  EXPECT_EQ(list.FindPreviousSameList(4, &style), 3);
  EXPECT_EQ(list.FindPreviousSameList(3, &style), 0);
  EXPECT_EQ(list.FindPreviousSameList(0, &style), -1);
  EXPECT_EQ(list.FindPreviousSameList(1, &style), -1);
}

TEST_F(MarkerTest, IndexInListIsCachedAndChecked) {
  const int l = AddList({{rvlstDecimal, ""}});
  TRVMarkerItemInfo* first = Add(l, 0);
  TRVMarkerItemInfo* second = Add(l, 0);
  EXPECT_EQ(second->GetIndexInList(&list), 1);
  auto inserted = TRVMarkerItemInfo::CreateForList(nullptr, l, 0, 1, false);
  list.InsertAfter(inserted.get(), nullptr);
  EXPECT_EQ(second->GetIndexInList(&list), 2);  // the cache no longer holds: looked up again
  EXPECT_EQ(first->GetIndexInList(&list), 1);
  EXPECT_EQ(first->GetIndexInList(nullptr), -1);
  list.Delete(0);
}

// ---------------------------------------------------------------------------------------
// Measuring and drawing

class MarkerDrawingTest : public MarkerTest {
 protected:
  void SetUp() override {
    target.SetPixelFormat(pf24bit);
    target.SetSize(80, 40);
    target.Canvas().Brush().SetColor(clWhite);
    target.Canvas().FillRect(Rect(0, 0, 80, 40));
    data.SetRVStyle(&style);
  }
  TRVListLevel& Level(int listNo, int level) {
    return *style.ListStyles().Items(listNo)->Levels().Items(level);
  }
  int DarkPixels(int x0, int x1) {
    int n = 0;
    for (int y = 0; y < 40; ++y)
      for (int x = x0; x < x1; ++x)
        if ((ColorToRGB(target.Canvas().Pixel(x, y)) & 0xFFFFFF) != 0xFFFFFF) ++n;
    return n;
  }

  TBitmap target;
  TCustomRVData data;
};

TEST_F(MarkerDrawingTest, TextMarkerWidthFollowsAlignmentAndIndent) {
  const int l = AddList({{rvlstDecimal, "%0:s."}});
  Level(l, 0).Font().SetName("Liberation Sans");
  Level(l, 0).FirstIndent = 0;
  TRVMarkerItemInfo* marker = Add(l, 0, true, 123);
  TCanvas& canvas = target.Canvas();
  const int32_t textWidth = [&] {
    canvas.Font().Assign(Level(l, 0).Font());
    return canvas.TextWidth("123.");
  }();
  ASSERT_GT(textWidth, 0);

  TRVMarkerMetrics left = marker->MeasureMarker(&style, &canvas, nullptr, false);
  EXPECT_EQ(left.Width, textWidth);
  EXPECT_EQ(left.Offset, 0);
  EXPECT_GT(left.Height, 0);
  EXPECT_GT(left.Descent, 0);

  Level(l, 0).MarkerAlignment = rvmaRight;
  TRVMarkerMetrics right = marker->MeasureMarker(&style, &canvas, nullptr, false);
  EXPECT_EQ(right.Width, textWidth);
  EXPECT_EQ(right.Offset, -textWidth);

  Level(l, 0).MarkerAlignment = rvmaCenter;
  TRVMarkerMetrics centre = marker->MeasureMarker(&style, &canvas, nullptr, false);
  EXPECT_EQ(centre.Offset, -(textWidth - textWidth / 2));

  // The part after the marker reaches at least to where the text begins.
  Level(l, 0).MarkerAlignment = rvmaLeft;
  Level(l, 0).FirstIndent = 30;
  Level(l, 0).LeftIndent = 40;
  Level(l, 0).MarkerIndent = 10;
  EXPECT_EQ(marker->MeasureMarker(&style, &canvas, nullptr, false).Width, 60);
  TRVFormatScale scale{96, 96, 192, 192};
  EXPECT_EQ(marker->MeasureMarker(&style, &canvas, &scale, false).Width, 120);

  Level(l, 0).MarkerAlignment = rvmaRight;
  TRVMarkerMetrics rtl = marker->MeasureMarker(&style, &canvas, nullptr, true);
  EXPECT_EQ(rtl.Width, textWidth + 60);
  EXPECT_EQ(rtl.Offset, textWidth);
  EXPECT_EQ(rtl.HorizontalOffset, 60);
}

TEST_F(MarkerDrawingTest, WidthRequirementsSizeThePieceAndKeepTheMeasure) {
  const int l = AddList({{rvlstDecimal, "%0:s."}});
  TRVMarkerItemInfo* marker = Add(l, 0);
  auto piece = std::make_unique<TRVDrawLineInfo>();
  int32_t descent = 0, offset = 0;
  marker->GetWidthRequirements(500, piece.get(), true, &target.Canvas(), &data, nullptr, false, descent,
                               offset);
  EXPECT_GT(piece->Width, 0);
  EXPECT_EQ(marker->Width, 0);  // printing keeps nothing
  marker->GetWidthRequirements(500, piece.get(), false, &target.Canvas(), &data, nullptr, false, descent,
                               offset);
  EXPECT_EQ(marker->GetTotalWidth(), piece->Width);
  EXPECT_EQ(marker->GetTotalHeight(), piece->Height);
  EXPECT_EQ(marker->GetSpacing(), descent);
  EXPECT_TRUE(marker->QueryFeatureForStyle(rvsfSizesOwnPiece, &style));
}

TEST_F(MarkerDrawingTest, TextMarkerIsDrawnShiftedBySpaceBefore) {
  const int l = AddList({{rvlstDecimal, "%0:s."}});
  Level(l, 0).Font().SetColor(clBlack);
  Level(l, 0).Font().SetSize(14);
  TRVMarkerItemInfo* marker = Add(l, 0, true, 8);
  auto piece = std::make_unique<TRVDrawLineInfo>();
  piece->SpaceBefore = 40;
  marker->Paint(0, 5, target.Canvas(), 0, &style, piece.get());
  EXPECT_EQ(DarkPixels(0, 40), 0);
  EXPECT_GT(DarkPixels(40, 80), 0);
}

TEST_F(MarkerDrawingTest, ImageListMarkersDrawTheirImage) {
  TCustomImageList images;
  images.SetSize(6, 6);
  for (TColor c : {clRed, clLime, clBlue}) {
    TBitmap b;
    b.SetPixelFormat(pf24bit);
    b.SetSize(6, 6);
    b.Canvas().Brush().SetColor(c);
    b.Canvas().FillRect(Rect(0, 0, 6, 6));
    images.AddMasked(&b, clNone);
  }
  const int l = AddList({{rvlstImageList, ""}, {rvlstImageListCounter, ""}});
  Level(l, 0).ImageList = &images;
  Level(l, 0).ImageIndex = 1;
  Level(l, 1).ImageList = &images;
  Level(l, 1).ImageIndex = 0;
  TRVMarkerItemInfo* plain = Add(l, 0);
  TRVMarkerItemInfo* counted = Add(l, 1, true, 3);
  plain->Paint(0, 0, target.Canvas(), 0, &style, nullptr);
  counted->Paint(10, 0, target.Canvas(), 0, &style, nullptr);
  EXPECT_EQ(ColorToRGB(target.Canvas().Pixel(2, 2)), clLime);
  EXPECT_EQ(ColorToRGB(target.Canvas().Pixel(12, 2)), clBlue);  // image 0 + counter 3 - 1
  EXPECT_EQ(plain->GetImageWidth(&style), 6);
  EXPECT_EQ(plain->MeasureMarker(&style, nullptr, nullptr, false).Height, 6);
  EXPECT_TRUE(plain->QueryFeatureForStyle(rvsfPrintViaBitmap, &style));
  // A counter past the list's images draws nothing.
  counted->Counter = 9;
  counted->Paint(20, 0, target.Canvas(), 0, &style, nullptr);
  EXPECT_EQ(ColorToRGB(target.Canvas().Pixel(22, 2)), clWhite);

  TBitmap print;
  print.SetPixelFormat(pf24bit);
  print.SetSize(6, 6);
  EXPECT_TRUE(plain->PrintToBitmap(print, false, &data, 0, 0, nullptr));
  EXPECT_EQ(ColorToRGB(print.Canvas().Pixel(3, 3)), clLime);
}

TEST_F(MarkerDrawingTest, PictureMarkerUsesTheLevelPicture) {
  const int l = AddList({{rvlstPicture, ""}});
  TBitmap picture;
  picture.SetPixelFormat(pf24bit);
  picture.SetSize(5, 7);
  picture.Canvas().Brush().SetColor(clRed);
  picture.Canvas().FillRect(Rect(0, 0, 5, 7));
  picture.Canvas().SetPixel(0, 6, clBlue);  // level pictures are drawn transparent: this colour
  TPicture holder;
  holder.SetGraphic(&picture);
  Level(l, 0).SetPicture(&holder);
  Level(l, 0).FirstIndent = 0;
  TRVMarkerItemInfo* marker = Add(l, 0);
  const TRVMarkerMetrics m = marker->MeasureMarker(&style, nullptr, nullptr, false);
  EXPECT_EQ(m.Width, 5);
  EXPECT_EQ(m.Height, 7);
  EXPECT_EQ(m.Descent, 0);
  EXPECT_EQ(marker->GetImageHeight(&style), 7);
  marker->Paint(3, 3, target.Canvas(), 0, &style, nullptr);
  EXPECT_EQ(ColorToRGB(target.Canvas().Pixel(4, 4)), clRed);
  EXPECT_EQ(marker->GetPlainText(&style, false), "* ");
}

// ---------------------------------------------------------------------------------------
// Plain text, features, styles

TEST_F(MarkerTest, PlainTextForms) {
  SetACP(1252);
  const int l = AddList({{rvlstDecimal, "%0:s."}, {rvlstBullet, "\xB7\xDE"}, {rvlstUnicodeBullet, ""}});
  TRVMarkerItemInfo* number = Add(l, 0);
  TRVMarkerItemInfo* bullet = Add(l, 1);
  TRVMarkerItemInfo* unicode = Add(l, 2);
  EXPECT_EQ(number->GetPlainText(&style, false), "1. ");
  EXPECT_EQ(number->GetPlainText(&style, true), RVWideStringToBytes(u"1. "));
  EXPECT_EQ(bullet->GetPlainText(&style, false), "\xB7\xDE ");
  style.ListStyles().Items(l)->Levels().Items(1)->Font().SetName("symbol");
  EXPECT_EQ(bullet->GetPlainText(&style, false), "*=> ");
  // U+25A0 has no place in the ANSI code page; U+2022 has (0x95).
  style.ListStyles().Items(l)->Levels().Items(2)->FormatStringW = u"\u25A0?\u2022";
  EXPECT_EQ(unicode->GetPlainText(&style, false), "*?\x95 ");
  EXPECT_EQ(unicode->GetPlainText(&style, true), RVWideStringToBytes(u"\u25A0?\u2022 "));
  auto orphan = TRVMarkerItemInfo::CreateForList(nullptr, -1, 0, 1, false);
  EXPECT_EQ(orphan->GetPlainText(&style, false), "");
}

TEST_F(MarkerTest, FeatureAnswers) {
  const int l = AddList({{rvlstDecimal, "%0:s."}, {rvlstPicture, ""}});
  TRVMarkerItemInfo* number = Add(l, 0);
  TRVMarkerItemInfo* picture = Add(l, 1);
  EXPECT_TRUE(number->QueryFeature(rvfqChangesCanvasFont));
  EXPECT_TRUE(number->QueryFeature(rvfqUnicodePlainText));
  EXPECT_FALSE(number->QueryFeature(rvfqSelectOnClick));
  EXPECT_FALSE(number->QueryFeatureForStyle(rvsfPrintViaBitmap, &style));
  EXPECT_FALSE(picture->QueryFeatureForStyle(rvsfPrintViaBitmap, &style));  // no picture yet
  EXPECT_FALSE(number->GetSameAsPrev());
  EXPECT_EQ(number->GetRVFHeaderParams(nullptr), "0 0 1 0");
  auto reset = TRVMarkerItemInfo::CreateForList(nullptr, 3, 2, 7, true);
  EXPECT_EQ(reset->GetRVFHeaderParams(nullptr), "3 2 7 1");
  EXPECT_EQ(reset->StyleNo, rvsListMarker);
  EXPECT_EQ(reset->IndexInList, -1);
  EXPECT_EQ(reset->Counter, 1);
}

TEST_F(MarkerTest, CopyAndStylesInUse) {
  auto marker = TRVMarkerItemInfo::CreateForList(nullptr, 2, 1, 4, true);
  marker->ParaNo = 1;
  marker->Spacing = 3;
  std::unique_ptr<TCustomRVItemInfo> copy = RVDuplicateItem(*marker, nullptr);
  auto* m = dynamic_cast<TRVMarkerItemInfo*>(copy.get());
  ASSERT_NE(m, nullptr);
  EXPECT_EQ(m->ListNo, 2);
  EXPECT_EQ(m->Level, 1);
  EXPECT_EQ(m->StartFrom, 4);
  EXPECT_TRUE(m->Reset);
  EXPECT_EQ(m->Spacing, 3);
  EXPECT_EQ(m->IndexInList, -1);

  TRVIntegerList text = TRVIntegerList::CreateFilled(2, 0);
  TRVIntegerList para = TRVIntegerList::CreateFilled(2, 0);
  TRVIntegerList lists = TRVIntegerList::CreateFilled(3, 0);
  marker->MarkStylesInUse(text, para, lists);
  EXPECT_EQ(para[1], 1);
  EXPECT_EQ(lists[2], 1);
  EXPECT_EQ(lists[0], 0);
  // Lists 0 and 1 were removed: list 2 becomes 0.
  TRVIntegerList listMap;
  for (int v : {0, 0, 3}) listMap.AddValue(v);
  marker->RenumberStyles(TRVIntegerList(), TRVIntegerList(), listMap);
  EXPECT_EQ(marker->ListNo, 0);
}

}  // namespace
