// Colour lookups, fixed and quantised palettes, error-diffusion ditherers and ReduceColors.
#include <gtest/gtest.h>

#include <memory>
#include <tuple>
#include <vector>

#include "gif/GIFColorReduction.h"
#include "gif/GIFItems.h"

namespace {

struct RGB {
  uint8_t r, g, b;
};

// A 24-bit bitmap of `width` x rows of `pixels`.
std::unique_ptr<TBitmap> Make24(int width, const std::vector<RGB>& pixels) {
  auto bitmap = std::make_unique<TBitmap>();
  bitmap->SetPixelFormat(pf24bit);
  const int height = static_cast<int>(pixels.size()) / width;
  bitmap->SetSize(width, height);
  for (int y = 0; y < height; ++y) {
    uint8_t* row = bitmap->ScanLine(y);
    for (int x = 0; x < width; ++x) {
      const RGB& p = pixels[static_cast<size_t>(y * width + x)];
      row[3 * x] = p.b;
      row[3 * x + 1] = p.g;
      row[3 * x + 2] = p.r;
    }
  }
  return bitmap;
}

std::vector<int> Indices(TBitmap& bitmap) {
  std::vector<int> out;
  for (int y = 0; y < bitmap.Height(); ++y)
    for (int x = 0; x < bitmap.Width(); ++x) out.push_back(bitmap.ScanLine(y)[x]);
  return out;
}

TPaletteEntry PE(int r, int g, int b, int flags = 0) {
  return TPaletteEntry{static_cast<uint8_t>(r), static_cast<uint8_t>(g), static_cast<uint8_t>(b),
                       static_cast<uint8_t>(flags)};
}

}  // namespace

TEST(GIFColorLookupTest, FixedLookupsAnswerIndexAndEntryColour) {
  TNetscapeColorLookup web;
  TGrayScaleLookup gray;
  TMonochromeLookup mono;
  struct Case {
    TColorLookup* lookup;
    RGB in;
    int index;
    RGB out;
  };
  const std::vector<Case> cases = {
      {&web, {255, 0, 0}, 180, {255, 0, 0}},
      {&web, {47, 48, 0}, 6, {0, 51, 0}},  // (c + 3) / 51: 47 stays at level 0, 48 reaches 1
      {&web, {128, 128, 128}, 86, {102, 102, 102}},
      {&gray, {255, 0, 0}, 76, {76, 76, 76}},
      {&gray, {0, 0, 255}, 28, {28, 28, 28}},
      {&gray, {255, 255, 255}, 255, {255, 255, 255}},
      {&mono, {128, 128, 128}, 1, {255, 255, 255}},
      {&mono, {127, 127, 127}, 0, {0, 0, 0}},
  };
  for (const Case& c : cases) {
    uint8_t r = 1, g = 1, b = 1;
    EXPECT_EQ(c.lookup->Lookup(c.in.r, c.in.g, c.in.b, r, g, b), c.index) << c.lookup->ClassName();
    EXPECT_EQ(std::make_tuple(r, g, b), std::make_tuple(c.out.r, c.out.g, c.out.b)) << c.lookup->ClassName();
  }
  EXPECT_EQ(web.Colors(), 216);
  EXPECT_EQ(gray.Colors(), 256);
  EXPECT_EQ(mono.Colors(), 2);
}

TEST(GIFColorLookupTest, FastLookupFindsLeastChannelDistanceAndCachesByKey) {
  TFastColorLookup lookup({PE(0, 0, 0), PE(7, 7, 7), PE(200, 0, 0), PE(0, 200, 0)});
  EXPECT_EQ(lookup.Colors(), 4);
  uint8_t r, g, b;
  EXPECT_EQ(lookup.Lookup(190, 10, 10, r, g, b), 2);
  EXPECT_EQ(std::make_tuple(r, g, b), std::make_tuple(200, 0, 0));
  // (7, 7, 7) shares its cache key with black, which filled the key first.
  EXPECT_EQ(lookup.Lookup(7, 7, 7, r, g, b), 0);
  // A tie goes to the first entry: (100, 100, 0) is 200 away from both.
  TFastColorLookup tie({PE(200, 0, 0), PE(0, 200, 0)});
  EXPECT_EQ(tie.Lookup(100, 100, 0, r, g, b), 0);
}

TEST(GIFPaletteTest, FixedPalettesHaveTheirEntriesAndFlags) {
  const TPalette web = WebPalette();
  ASSERT_EQ(web.size(), 216u);
  EXPECT_EQ(web[180], PE(255, 0, 0));
  EXPECT_EQ(web[1 * 36 + 2 * 6 + 3], PE(51, 102, 153));
  EXPECT_EQ(WindowsGrayPalette(),
            (TPalette{PE(0, 0, 0, 4), PE(128, 128, 128, 4), PE(192, 192, 192, 4), PE(255, 255, 255, 4)}));
  EXPECT_EQ(MonochromePalette(), (TPalette{PE(0, 0, 0, 4), PE(255, 255, 255, 4)}));
  const TPalette gray = GrayScalePalette();
  ASSERT_EQ(gray.size(), 256u);
  EXPECT_EQ(gray[77], PE(77, 77, 77, 4));
  const TPalette stock = StockDefaultPalette();
  ASSERT_EQ(stock.size(), 20u);
  EXPECT_EQ(stock[0], PE(0, 0, 0));
  EXPECT_EQ(stock[19], PE(255, 255, 255));
  const TPalette halftone = HalftonePalette();
  ASSERT_EQ(halftone.size(), 256u);
  EXPECT_EQ(halftone[10 + 180], PE(255, 0, 0));
  EXPECT_EQ(halftone[255], stock[19]);
}

TEST(GIFQuantizerTest, ReducesTheDeepestNewestNodeAndListsLeavesDepthFirst) {
  TColorQuantizer quantizer(2, 8);
  quantizer.AddColor(255, 0, 0);
  quantizer.AddColor(0, 0, 255);
  quantizer.AddColor(0, 0, 254);  // a third leaf: the two blues fold into their parent
  EXPECT_EQ(quantizer.LeafCount(), 2);
  EXPECT_EQ(quantizer.ColorTable(), (TPalette{PE(0, 0, 254), PE(255, 0, 0)}));
}

TEST(GIFQuantizerTest, AveragesRepeatedColoursAndKeepsDistinctOnesUpToTheLimit) {
  TColorQuantizer quantizer(4, 8);
  for (int i = 0; i < 3; ++i) quantizer.AddColor(10, 20, 30);
  quantizer.AddColor(200, 200, 200);
  EXPECT_EQ(quantizer.ColorTable(), (TPalette{PE(10, 20, 30), PE(200, 200, 200)}));

  TColorQuantizer coarse(1, 8);
  coarse.AddColor(0, 0, 0);
  coarse.AddColor(255, 255, 255);
  coarse.AddColor(0, 0, 0);
  EXPECT_EQ(coarse.ColorTable(), (TPalette{PE(85, 85, 85)}));
}

// Every kernel: one pixel of 10 dithered to black leaves weight x 10 at each place the kernel
// names, mirrored when the row is scanned leftwards.
TEST(GIFDitherTest, KernelsSpreadTheErrorOverTheirRows) {
  TFastColorLookup black({PE(0, 0, 0)});
  struct Case {
    TDitherMode mode;
    int divisor;
    std::vector<TDitherWeight> kernel;
  };
  const std::vector<Case> cases = {
      {dmFloydSteinberg, 16, {{0, 1, 7}, {1, -1, 3}, {1, 0, 5}, {1, 1, 1}}},
      {dmStucki,
       42,
       {{0, 1, 8},
        {0, 2, 4},
        {1, -2, 2},
        {1, -1, 4},
        {1, 0, 8},
        {1, 1, 4},
        {1, 2, 2},
        {2, -2, 1},
        {2, -1, 2},
        {2, 0, 4},
        {2, 1, 2},
        {2, 2, 1}}},
      {dmSierra,
       32,
       {{0, 1, 5},
        {0, 2, 3},
        {1, -2, 2},
        {1, -1, 4},
        {1, 0, 5},
        {1, 1, 4},
        {1, 2, 2},
        {2, -1, 2},
        {2, 0, 3},
        {2, 1, 2}}},
      {dmJaJuNi,
       48,
       {{0, 1, 7},
        {0, 2, 5},
        {1, -2, 3},
        {1, -1, 5},
        {1, 0, 7},
        {1, 1, 5},
        {1, 2, 3},
        {2, -2, 1},
        {2, -1, 3},
        {2, 0, 5},
        {2, 1, 3},
        {2, 2, 1}}},
      {dmBurkes, 32, {{0, 1, 8}, {0, 2, 4}, {1, -2, 2}, {1, -1, 4}, {1, 0, 8}, {1, 1, 4}, {1, 2, 2}}},
      {dmSteveArche,
       200,
       {{0, 2, 32},
        {1, -3, 12},
        {1, -1, 26},
        {1, 1, 30},
        {1, 3, 16},
        {2, -2, 12},
        {2, 0, 26},
        {2, 2, 12},
        {3, -3, 5},
        {3, -1, 12},
        {3, 1, 12},
        {3, 3, 5}}},
  };
  for (const Case& c : cases) {
    for (int direction : {1, -1}) {
      auto engine = CreateDitherer(c.mode, 9, black);
      auto* ditherer = dynamic_cast<TErrorDiffusionDitherer*>(engine.get());
      ASSERT_NE(ditherer, nullptr);
      if (direction < 0) ditherer->NextLine();
      uint8_t r, g, b;
      for (int i = 0; i < 4; ++i) ditherer->Dither(0, 0, 0, r, g, b);
      ASSERT_EQ(ditherer->Column(), 4);
      ditherer->Dither(10, 20, 0, r, g, b);
      int total = 0;
      for (int row = 0; row < 4; ++row) {
        for (int offset = -3; offset <= 3; ++offset) {
          int weight = 0;
          for (const TDitherWeight& w : c.kernel)
            if (w.row == row && w.offset == offset) weight = w.weight;
          total += weight;
          const int column = 4 + offset * direction;
          if (row == 0 && offset <= 0) continue;  // pixels already done
          if (row > 0 && c.kernel.back().row < row) continue;
          EXPECT_EQ(ditherer->Error(row, column, 0), 10 * weight)
              << engine->ClassName() << " row " << row << " offset " << offset << " dir " << direction;
          EXPECT_EQ(ditherer->Error(row, column, 1), 20 * weight) << engine->ClassName();
          EXPECT_EQ(ditherer->Error(row, column, 2), 0) << engine->ClassName();
        }
      }
      EXPECT_EQ(total, c.divisor) << engine->ClassName();
    }
  }
}

TEST(GIFDitherTest, ErrorRowsMoveUpOneRowPerLine) {
  TFastColorLookup black({PE(0, 0, 0)});
  TSteveArcheDitherer ditherer(1, black);
  uint8_t r, g, b;
  ditherer.Dither(100, 0, 0, r, g, b);
  EXPECT_EQ(ditherer.Error(2, 0, 0), 2600);
  EXPECT_EQ(ditherer.Error(3, 0, 0), 0);  // the fourth row's weights all fall beside column 0
  ditherer.NextLine();
  EXPECT_EQ(ditherer.Error(1, 0, 0), 2600);
  ditherer.NextLine();
  EXPECT_EQ(ditherer.Error(0, 0, 0), 2600);
  // The next pixel takes (2600 + 100) / 200 = 13 of it.
  TFastColorLookup ramp({PE(0, 0, 0), PE(13, 0, 0)});
  TSteveArcheDitherer probe(1, ramp);
  probe.Dither(100, 0, 0, r, g, b);
  probe.NextLine();
  probe.NextLine();
  EXPECT_EQ(probe.Dither(0, 0, 0, r, g, b), 1);
}

TEST(GIFDitherTest, RowsOfWidthOneReverseWithoutLeavingTheRow) {
  TNetscapeColorLookup web;
  for (TDitherMode mode :
       {dmNearest, dmFloydSteinberg, dmStucki, dmSierra, dmJaJuNi, dmSteveArche, dmBurkes}) {
    auto ditherer = CreateDitherer(mode, 1, web);
    uint8_t r, g, b;
    for (int row = 0; row < 5; ++row) {
      EXPECT_EQ(ditherer->Column(), 0) << ditherer->ClassName();
      ditherer->Dither(120, 60, 30, r, g, b);
      ditherer->NextLine();
      EXPECT_EQ(ditherer->Direction(), row % 2 == 0 ? -1 : 1);
    }
  }
}

TEST(GIFDitherTest, SkippedPixelOnlyAdvancesTheColumn) {
  TFastColorLookup black({PE(0, 0, 0)});
  TFloydSteinbergDitherer ditherer(3, black);
  ditherer.NextColumn();
  EXPECT_EQ(ditherer.Column(), 1);
  EXPECT_EQ(ditherer.Error(1, 0, 0), 0);
  EXPECT_EQ(ditherer.Error(0, 2, 0), 0);
}

// Worked by hand: gray 100 on black and white. (0,0): black, error 100 -> 700 right, 300/500/100
// below. (1,0): 100 + 44 = 144 -> white, error -111. Next row leftwards: (1,1): 100 - 27 -> black,
// error 73; (0,1): 100 + (167 + 511 + 8) / 16 = 142 -> white.
TEST(GIFReduceColorsTest, FloydSteinbergOnMonochromeScansSerpentine) {
  auto source = Make24(2, {{100, 100, 100}, {100, 100, 100}, {100, 100, 100}, {100, 100, 100}});
  auto result = ReduceColors(*source, rmMonochrome, dmFloydSteinberg, 8);
  ASSERT_EQ(result->PixelFormat(), pf8bit);
  EXPECT_EQ(Indices(*result), (std::vector<int>{0, 1, 1, 0}));
  EXPECT_EQ(Indices(*ReduceColors(*source, rmMonochrome, dmNearest, 8)), (std::vector<int>{0, 0, 0, 0}));
}

TEST(GIFReduceColorsTest, EachReductionGivesItsPaletteAndIndices) {
  auto source = Make24(3, {{255, 0, 0}, {0, 0, 255}, {0x90, 0x90, 0x90}});
  struct Case {
    TColorReduction reduction;
    std::vector<int> indices;
    std::vector<TRGBQuad> first;  // leading colour-table entries
  };
  const std::vector<Case> cases = {
      {rmNetscape, {180, 5, 86}, {{0, 0, 0, 0}, {51, 0, 0, 0}}},
      {rmMonochrome, {0, 0, 1}, {{0, 0, 0, 0}, {255, 255, 255, 0}}},
      {rmWindowsGray, {0, 0, 1}, {{0, 0, 0, 0}, {128, 128, 128, 0}, {192, 192, 192, 0}, {255, 255, 255, 0}}},
      {rmGrayScale, {76, 28, 144}, {{0, 0, 0, 0}, {1, 1, 1, 0}}},
      {rmWindows20, {13, 16, 12}, {{0, 0, 0, 0}, {0, 0, 128, 0}}},
      {rmQuantize, {1, 0, 2}, {{255, 0, 0, 0}, {0, 0, 255, 0}, {144, 144, 144, 0}, {0, 0, 0, 0}}},
  };
  for (const Case& c : cases) {
    auto result = ReduceColors(*source, c.reduction, dmNearest, 2);
    EXPECT_EQ(Indices(*result), c.indices) << int(c.reduction);
    const std::vector<TRGBQuad> table = result->ColorTable();
    ASSERT_EQ(table.size(), 256u);
    for (size_t i = 0; i < c.first.size(); ++i)
      EXPECT_EQ(table[i], c.first[i]) << int(c.reduction) << " " << i;
    if (c.reduction != rmGrayScale) {
      EXPECT_EQ(table[255], (TRGBQuad{}));  // beyond the palette: black
    }
  }
}

TEST(GIFReduceColorsTest, QuantisingToOneBitKeepsTwoColours) {
  auto source = Make24(2, {{255, 0, 0}, {0, 0, 255}, {0, 0, 255}, {255, 0, 0}});
  auto result = ReduceColors(*source, rmQuantize, dmFloydSteinberg, 1);
  EXPECT_EQ(Indices(*result), (std::vector<int>{1, 0, 0, 1}));
  EXPECT_EQ(result->ColorTable()[0], (TRGBQuad{255, 0, 0, 0}));
  EXPECT_EQ(result->ColorTable()[1], (TRGBQuad{0, 0, 255, 0}));
}

TEST(GIFReduceColorsTest, SystemColourQuantisingFramesTheColoursWithStockOnes) {
  auto source = Make24(1, {{1, 2, 3}});
  auto result = ReduceColors(*source, rmQuantizeWindows, dmNearest, 8);
  const std::vector<TRGBQuad> table = result->ColorTable();
  EXPECT_EQ(table[9], (TRGBQuad{240, 202, 166, 0}));
  EXPECT_EQ(table[10], (TRGBQuad{3, 2, 1, 0}));
  EXPECT_EQ(table[11], (TRGBQuad{}));
  EXPECT_EQ(table[246], (TRGBQuad{240, 251, 255, 0}));
  // Black, the first entry of the colour's cache key, answers before the exact match.
  EXPECT_EQ(Indices(*result), (std::vector<int>{0}));
}

TEST(GIFReduceColorsTest, CustomPaletteNoReductionAndBadArguments) {
  auto source = Make24(2, {{250, 0, 0}, {0, 240, 0}});
  auto custom = ReduceColors(*source, rmPalette, dmNearest, 8, {PE(0, 255, 0), PE(255, 0, 0)});
  EXPECT_EQ(Indices(*custom), (std::vector<int>{1, 0}));
  auto none = ReduceColors(*source, rmPalette, dmNearest, 8, {});
  EXPECT_EQ(Indices(*none), (std::vector<int>{0, 0}));
  EXPECT_EQ(none->ColorTable()[0], (TRGBQuad{}));

  auto copy = ReduceColors(*source, rmNone, dmBurkes, 8);
  EXPECT_EQ(copy->PixelFormat(), pf24bit);
  EXPECT_EQ(copy->ScanLine(0)[2], 250);

  EXPECT_THROW(ReduceColors(*source, static_cast<TColorReduction>(10), dmNearest, 8), GIFException);
  EXPECT_THROW(ReduceColors(*source, rmNetscape, static_cast<TDitherMode>(7), 8), GIFException);
  EXPECT_THROW(ReduceColors(*source, rmQuantize, dmNearest, 9), GIFException);
  EXPECT_THROW(ReduceColors(TBitmap(), rmNetscape, dmNearest, 8), GIFException);
}
