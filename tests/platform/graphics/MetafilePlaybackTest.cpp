// Windows metafile playback record by record: each test builds the records by hand and
// checks the pixels they must give on a 100 x 100 picture (one unit a pixel unless the test
// changes the mapping).
#include <gtest/gtest.h>

#include <functional>

#include "GraphicsTestSupport.h"
#include "MetafileTestSupport.h"
#include "WmfRecords.h"
#include "platform/graphics/Metafile.h"

using namespace gfxtest;
using namespace wmftest;

namespace {

constexpr TColor kBackground = 0x00C35A3C;  // 0xBBGGRR, bits set and clear in every channel
constexpr TColor kPenColor = 0x0096E10F;

/// Object 0 a null pen, object 1 a brush of `c`: a rectangle then fills without an outline.
Records FillWith(TColor c) {
  return {Pen(0, 5), Select(0), SolidBrush(c), Select(1)};
}

Records Concat(std::initializer_list<Records> parts) {
  Records all;
  for (const Records& r : parts) all.insert(all.end(), r.begin(), r.end());
  return all;
}

/// Plays the records (on a 100-unit box) into a 100 x 100 bitmap of `background`.
std::unique_ptr<TBitmap> Play(const Records& records, uint16_t objects = 8, TColor background = clWhite) {
  return DrawMetafile(WmfOf(records, 100, objects), background);
}

TEST(MetafilePlayback, PatBltCombinesTheBrushWithTheTarget) {
  struct Case {
    const char* name;
    uint32_t rop;
    TColor inside;
  };
  const Case cases[] = {
      {"pattern copy", 0x00F00021, kPenColor},
      {"pattern invert", 0x005A0049, (kPenColor ^ kBackground) & 0xFFFFFF},
      {"destination invert", 0x00550009, ~kBackground & 0xFFFFFF},
      {"blackness", 0x00000042, clBlack},
      {"whiteness", 0x00FF0062, clWhite},
      {"destination kept", 0x00AA0029, kBackground},
  };
  for (const Case& c : cases) {
    auto b = Play(Concat({FillWith(kPenColor), {PatBlt(c.rop, 20, 30, 40, 10)}}), 8, kBackground);
    if (c.inside == kBackground) {
      ExpectExtent(*b, kBackground, 0, 0, 100, 100, c.name);
    } else {
      ExpectExtent(*b, c.inside, 20, 30, 60, 40, c.name);
      EXPECT_EQ(b->Canvas().Pixel(19, 35), kBackground) << c.name;
    }
  }
}

TColor Rop2Result(uint16_t mode, TColor pen, TColor dest) {
  const uint32_t p = pen, d = dest;
  const uint32_t results[] = {0,     ~(p | d), d & ~p, ~p,     p & ~d, ~d,     p ^ d, ~(p & d),
                              p & d, ~(p ^ d), d,      d | ~p, p,      p | ~d, p | d, 0xFFFFFF};
  return results[mode - 1] & 0xFFFFFF;
}

TEST(MetafilePlayback, EveryLineRasterOperationIsTheBitwiseResult) {
  for (uint16_t mode = 1; mode <= 16; ++mode) {
    const TColor expected = Rop2Result(mode, kPenColor, kBackground);
    // A filled rectangle and a line, each over the known background.
    auto b = Play(Concat({FillWith(kPenColor),
                          {{0x0104, {mode}},
                           Rectangle(10, 10, 40, 40),
                           Pen(kPenColor),
                           Select(2),
                           {0x0214, {70, 10}},
                           {0x0213, {70, 90}}}}),
                  8, kBackground);
    const std::string what = "mode " + std::to_string(mode);
    EXPECT_EQ(b->Canvas().Pixel(25, 25), expected) << what;
    EXPECT_EQ(b->Canvas().Pixel(50, 70), expected) << what;
    EXPECT_EQ(b->Canvas().Pixel(50, 60), kBackground) << what;
    EXPECT_EQ(b->Canvas().Pixel(5, 5), kBackground) << what;
  }
  // An unknown mode keeps the one before.
  auto b = Play(Concat({FillWith(kPenColor), {{0x0104, {7}}, {0x0104, {17}}, Rectangle(10, 10, 40, 40)}}), 8,
                kBackground);
  EXPECT_EQ(b->Canvas().Pixel(25, 25), Rop2Result(7, kPenColor, kBackground));
}

TEST(MetafilePlayback, MappingModesPlaceDeviceAndPhysicalUnits) {
  const Records scaled = {{0x020C, {1000, 1000}}, Rectangle(0, 0, 500, 500)};
  struct Case {
    const char* name;
    Records records;
    int l, t, r, b;
  };
  const Case cases[] = {
      {"window onto the picture", scaled, 0, 0, 50, 50},
      // Back to device units after a scaled mode: the frame's own units.
      {"device units", Concat({{{0x020C, {1000, 1000}}, MapMode(1), Rectangle(60, 60, 70, 75)}}), 60, 60, 70,
       75},
      // Twips are the frame's units here (1440 a inch), with y growing upwards.
      {"twips", {MapMode(6), {0x020D, {100, 0}}, Rectangle(10, 30, 40, 10)}, 10, 70, 40, 90},
      // 0.01 inch is 14.4 units.
      {"hundredths of an inch", {MapMode(4), {0x020D, {100, 0}}, Rectangle(0, 5, 5, 0)}, 0, 28, 72, 100},
      // 0.01 mm: 2540 a inch.
      {"hundredths of a millimetre",
       {MapMode(3), {0x020D, {100, 0}}, Rectangle(0, 0, 127, 127)},
       0,
       28,
       72,
       100},
      // Extent records count only in the scalable modes.
      {"extent in a fixed mode", {MapMode(1), {0x020C, {10, 10}}, Rectangle(0, 0, 5, 5)}, 0, 0, 5, 5},
      // Scaling the window by 2/1 across and 1/2 down.
      {"scaled window",
       {{0x020C, {100, 100}}, {0x0410, {2, 1, 1, 2}}, Rectangle(0, 0, 100, 25)},
       0,
       0,
       50,
       50},
      // Scaling the viewport by 1/2 both ways.
      {"scaled viewport", {{0x0412, {2, 1, 2, 1}}, Rectangle(0, 0, 100, 100)}, 0, 0, 50, 50},
      {"viewport origin and extent",
       {{0x020E, {50, 50}}, {0x020D, {20, 10}}, Rectangle(0, 0, 100, 100)},
       10,
       20,
       60,
       70},
      // Isotropic keeps the smaller scale on both axes.
      {"isotropic", {MapMode(7), {0x020C, {200, 100}}, Rectangle(0, 0, 100, 100)}, 0, 0, 50, 50},
      {"anisotropic", {MapMode(8), {0x020C, {200, 100}}, Rectangle(0, 0, 100, 100)}, 0, 0, 100, 50},
      // A saved mapping comes back with RestoreDC.
      {"restored", {{0x001E, {}}, MapMode(6), {0x0127, {W(-1)}}, Rectangle(10, 10, 20, 20)}, 10, 10, 20, 20},
      // A zero scale denominator is ignored.
      {"zero denominator", {{0x0410, {0, 1, 0, 1}}, Rectangle(0, 0, 10, 10)}, 0, 0, 10, 10},
  };
  for (const Case& c : cases) {
    auto b = Play(Concat({FillWith(clRed), c.records}));
    ExpectExtent(*b, clRed, c.l, c.t, c.r, c.b, c.name);
  }
}

TEST(MetafilePlayback, SetPixelPaintsOneDevicePixel) {
  // Two pixels a unit: the point still paints one pixel, where the unit starts.
  auto b = Play({{0x020C, {50, 50}},
                 {0x041F, {Lo(clBlue), Hi(clBlue), 10, 15}},
                 {0x041F, {Lo(clRed), Hi(clRed), 60, 60}}});  // outside the picture
  ExpectExtent(*b, clBlue, 30, 20, 31, 21, "set pixel");
  EXPECT_EQ(ExtentOf(*b, clRed).right, -1);
  // A point mapped far beyond any pixel number paints nothing.
  auto far = Play({MapMode(8),
                   {0x020C, {1, 1}},
                   {0x020E, {32767, 32767}},
                   {0x041F, {Lo(clRed), Hi(clRed), 30000, 30000}}});
  EXPECT_EQ(ExtentOf(*far, clRed).right, -1);
}

TEST(MetafilePlayback, ClipRecordsShapeTheFilledArea) {
  // A region of two rectangles: 10..30 x 10..20 and 50..60 x 40..50.
  const std::vector<uint16_t> region = {0, 6,  0,  0,  0,  2, 0, 10, 10, 60, 50,  // header, bounds
                                        2, 10, 20, 10, 30, 2,                     // first scan
                                        2, 40, 50, 50, 60, 2};                    // second scan
  const std::vector<uint16_t> emptyRegion = {0, 6, 0, 0, 0, 0, 0, 0, 0, 0, 0};
  const auto fillAll = Rectangle(0, 0, 100, 100);
  {
    auto b = Play(Concat({FillWith(clRed), {{0x0415, {60, 70, 40, 30}}, fillAll}}));
    EXPECT_EQ(b->Canvas().Pixel(50, 50), clWhite);
    EXPECT_EQ(b->Canvas().Pixel(29, 50), clRed);
    EXPECT_EQ(b->Canvas().Pixel(70, 50), clRed);
    EXPECT_EQ(ExtentOf(*b, clWhite).left, 30);
    EXPECT_EQ(ExtentOf(*b, clWhite).bottom, 60);
  }
  {
    auto b = Play(Concat({FillWith(clRed), {{0x06FF, region}, {0x012C, {2}}, fillAll}}));
    const Extent e = ExtentOf(*b, clRed);
    EXPECT_EQ(std::vector<int>({e.left, e.top, e.right, e.bottom}), std::vector<int>({10, 10, 60, 50}));
    EXPECT_EQ(b->Canvas().Pixel(15, 15), clRed);
    EXPECT_EQ(b->Canvas().Pixel(55, 45), clRed);
    EXPECT_EQ(b->Canvas().Pixel(35, 15), clWhite);
    EXPECT_EQ(b->Canvas().Pixel(15, 45), clWhite);
  }
  {
    // Regions follow the mapping; an empty region clips nothing any more; clipping within a
    // saved state goes with the restore.
    auto b = Play(Concat({FillWith(clRed),
                          {{0x020C, {50, 50}},
                           {0x06FF, region},
                           {0x06FF, emptyRegion},
                           {0x012C, {2}},
                           Rectangle(0, 0, 50, 50),
                           {0x001E, {}},
                           {0x012C, {3}},
                           Rectangle(45, 45, 50, 50),
                           {0x0127, {W(-1)}},
                           Rectangle(25, 25, 30, 30)}}));
    EXPECT_EQ(b->Canvas().Pixel(5, 5), clWhite);    // outside the region
    EXPECT_EQ(b->Canvas().Pixel(25, 25), clRed);    // inside it, scaled
    EXPECT_EQ(b->Canvas().Pixel(95, 95), clRed);    // after the empty region
    EXPECT_EQ(b->Canvas().Pixel(55, 55), clWhite);  // the restore brought the region back
    EXPECT_EQ(ExtentOf(*b, clRed).bottom, 100);
  }
}

TEST(MetafilePlayback, PathEscapesClipToTheirFigures) {
  const auto fillAll = Rectangle(0, 0, 100, 100);
  const Records path = {Escape(4096), Rectangle(20, 20, 60, 60), Escape(4098)};
  {
    // Inside the path only; the figures of the path are not drawn themselves.
    auto b = Play(Concat({{Pen(clBlue), Select(0), Escape(4097, {0, 0})},
                          path,
                          {Escape(4097, {2, 0}), SolidBrush(clRed), Select(1), fillAll}}));
    ExpectExtent(*b, clRed, 20, 20, 60, 60, "inclusive");
    EXPECT_EQ(ExtentOf(*b, clBlue).right, -1);  // the fill's outline lies outside the path
  }
  {
    auto b = Play(Concat({FillWith(clRed), path, {Escape(4097, {3, 0}), fillAll}}));
    EXPECT_EQ(b->Canvas().Pixel(40, 40), clWhite) << "exclusive";
    EXPECT_EQ(b->Canvas().Pixel(10, 40), clRed);
  }
  {
    // Save, clip, restore: the last fill covers everything again.
    auto b =
        Play(Concat({FillWith(clRed),
                     {Escape(4097, {0, 0})},
                     path,
                     {Escape(4097, {2, 0}), Escape(4097, {1, 0}), SolidBrush(clLime), Select(2), fillAll}}));
    ExpectExtent(*b, clLime, 0, 0, 100, 100, "restored");
  }
}

TEST(MetafilePlayback, DibPatternBrushTilesInDevicePixels) {
  // Two pixels a unit: the pattern still repeats every two pixels from the device origin.
  for (const bool patblt : {false, true}) {
    const auto fill = patblt ? PatBlt(0x00F00021, 5, 5, 20, 20) : Rectangle(5, 5, 25, 25);
    auto b =
        Play({{0x020C, {50, 50}}, Pen(0, 5), Select(0), {0x0142, PatternBrushRecord()}, Select(1), fill});
    for (int y = 10; y < 50; ++y)
      for (int x = 10; x < 50; ++x) {
        const TColor want = x % 2 == 0 && y % 2 == 0 ? clRed : clBlue;
        ASSERT_EQ(b->Canvas().Pixel(x, y), want) << x << "," << y << (patblt ? " patblt" : " rectangle");
      }
    EXPECT_EQ(b->Canvas().Pixel(9, 20), clWhite);
    EXPECT_EQ(b->Canvas().Pixel(50, 20), clWhite);
  }
}

}  // namespace

TEST(MetafilePlayback, BitmapRasterOperationsCombineSourceAndTarget) {
  struct Case {
    const char* name;
    uint32_t rop;
    uint8_t (*result)(uint8_t s, uint8_t d);
  };
  const Case cases[] = {
      {"copy", 0x00CC0020, [](uint8_t s, uint8_t) { return s; }},
      {"or", 0x00EE0086, [](uint8_t s, uint8_t d) { return static_cast<uint8_t>(s | d); }},
      {"and", 0x008800C6, [](uint8_t s, uint8_t d) { return static_cast<uint8_t>(s & d); }},
      {"xor", 0x00660046, [](uint8_t s, uint8_t d) { return static_cast<uint8_t>(s ^ d); }},
      {"not source", 0x00330008, [](uint8_t s, uint8_t) { return static_cast<uint8_t>(~s); }},
      {"source and not target", 0x00440328,
       [](uint8_t s, uint8_t d) { return static_cast<uint8_t>(s & ~d); }},
      {"not source or target", 0x00BB0226, [](uint8_t s, uint8_t d) { return static_cast<uint8_t>(~s | d); }},
      {"neither", 0x001100A6, [](uint8_t s, uint8_t d) { return static_cast<uint8_t>(~(s | d)); }},
  };
  const uint8_t target = 0x5A;
  const TColor grey = 0x5A5A5A;
  for (const Case& c : cases)
    for (const uint16_t bits : {uint16_t{8}, uint16_t{24}}) {
      auto b = Play({StretchDib(c.rop, 0x36, bits)}, 8, grey);
      const uint8_t want = c.result(0x36, target);
      EXPECT_EQ(b->Canvas().Pixel(20, 20), want * 0x010101u) << c.name << " " << bits;
      EXPECT_EQ(b->Canvas().Pixel(5, 5), grey) << c.name;
    }
}

TEST(MetafilePlayback, GreyMaskWithOrThenPictureWithAndIsOnePartlyTransparentPicture) {
  // Opaque where the mask is white: the picture whatever the target.
  auto opaque = Play({StretchDib(0x00EE0086, 0xFF, 8), StretchDib(0x008800C6, 0x36, 24)}, 8, 0x5A5A5A);
  EXPECT_EQ(opaque->Canvas().Pixel(20, 20), 0x363636u);
  // Clear where it is black (the picture is white there).
  auto clear = Play({StretchDib(0x00EE0086, 0x00, 8), StretchDib(0x008800C6, 0xFF, 24)}, 8, 0x5A5A5A);
  EXPECT_EQ(clear->Canvas().Pixel(20, 20), 0x5A5A5Au);
  // Half way: black at half opacity over white is mid grey, where bitwise it would be black.
  auto half = Play({StretchDib(0x00EE0086, 0x80, 8), StretchDib(0x008800C6, 0x00, 24)});
  EXPECT_NEAR(GetRValue(half->Canvas().Pixel(20, 20)), 0x7F, 1);
  // A mask that no picture follows is drawn bitwise, before the record after it.
  auto alone =
      Play({StretchDib(0x00EE0086, 0x36, 8), SolidBrush(clBlack), Select(0), Rectangle(15, 15, 25, 25)}, 8,
           0x5A5A5A);
  EXPECT_EQ(alone->Canvas().Pixel(12, 12), 0x7E7E7Eu);
  EXPECT_EQ(alone->Canvas().Pixel(20, 20), clBlack);
}

TEST(MetafilePlayback, PlaceableHeaderPlaysWhateverItsChecksum) {
  Bytes file = WmfOf(Concat({FillWith(clRed), {Rectangle(10, 10, 50, 40)}}), 100, 8);
  for (const bool zero : {true, false}) {  // zero, as office suites write it, then a wrong sum
    zero ? (file[20] = file[21] = 0) : (file[20] ^= 0x34);
    ExpectExtent(*DrawMetafile(file), clRed, 10, 10, 50, 40, zero ? "zero" : "wrong");
  }
}

TEST(MetafilePlayback, TextHangsBelowItsReferencePointWhicheverWayTheMappingRuns) {
  Bytes font = {0xEC, 0xFF};  // 20 high, then the face at 18
  font.resize(18, 0);
  for (const char c : std::string("Liberation Sans")) font.push_back(static_cast<uint8_t>(c));
  font.resize(50, 0);
  // Red, transparent, aligned at the top left: "Hi" at (x, y).
  auto text = [&](Records r, int x, int y) {
    r.insert(r.end(), {{0x02FB, WordsOf(font)}, Select(0), {0x0209, {Lo(clRed), Hi(clRed)}}, {0x0102, {1}}});
    r.push_back({0x0521, {2, WordsOf(Bytes{'H', 'i'})[0], W(y), W(x)}});
    return Play(r);
  };
  const auto upright = text({}, 10, 10);
  const Extent e = ExtentOf(*upright, clRed);
  EXPECT_TRUE(e.left >= 10 && e.top >= 10 && e.right > e.left && e.bottom < 40);
  // Both put logical (10, 90) at device (10, 10), y growing upwards.
  for (const Records& flipped :
       {Records{MapMode(8), {0x020C, {100, 100}}, {0x020E, {W(-100), 100}}, {0x020D, {100, 0}}},
        Records{MapMode(6), {0x020D, {100, 0}}}})
    EXPECT_EQ(PixelsOf(*text(flipped, 10, 90)), PixelsOf(*upright)) << flipped.size();
}
