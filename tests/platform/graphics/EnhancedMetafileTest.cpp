// Enhanced metafile playback record by record, on hand-made files whose device unit is one
// pixel of the 100 x 100 target; and Windows metafiles that carry an enhanced copy.
#include <gtest/gtest.h>

#include <QRawFont>
#include <limits>
#include <tuple>

#include "EmfRecords.h"
#include "MetafileFingerprint.h"
#include "MetafileTestSupport.h"
#include "WmfRecords.h"

using namespace gfxtest;
using namespace emftest;

namespace {

std::unique_ptr<TBitmap> PlayEmf(const EmfRecords& records, TColor background = clWhite) {
  return DrawMetafile(EmfOf(records), background);
}

EmfRecords Concat(std::initializer_list<EmfRecords> parts) {
  EmfRecords all;
  for (const EmfRecords& r : parts) all.insert(all.end(), r.begin(), r.end());
  return all;
}

/// EXTTEXTOUTW (or A) without characters: only the box, filled when `options` has 2.
EmfRecord TextBox(int l, int t, int r, int b, uint32_t options = 2, uint32_t type = 84) {
  return {type, {0, 0, 0, 0, 1, 0, 0, U(l), U(t), 0, 0, options, U(l), U(t), U(r), U(b), 0}};
}

struct ExtentCase {
  const char* name;
  EmfRecords records;
  int l, t, r, b;
};

void ExpectRedExtents(const std::vector<ExtentCase>& cases) {
  for (const ExtentCase& c : cases) {
    auto b = PlayEmf(Concat({FillWith(clRed), c.records}));
    ExpectExtent(*b, clRed, c.l, c.t, c.r, c.b, c.name);
  }
}

TEST(EnhancedMetafile, ShapesFillWithTheSelectedBrush) {
  const std::vector<std::pair<int, int>> square = {{20, 20}, {60, 20}, {60, 30}, {20, 30}};
  std::vector<uint32_t> polygon32 = {0, 0, 0, 0, 4};
  for (const auto& [x, y] : square) polygon32.insert(polygon32.end(), {U(x), U(y)});
  ExpectRedExtents({
      {"rectangle", {Rectangle(10, 10, 50, 40)}, 10, 10, 50, 40},
      {"polygon of 16-bit points", {Poly16(86, {{20, 20}, {60, 20}, {60, 30}, {20, 30}})}, 20, 20, 60, 30},
      {"polygon of 32-bit points", {{3, polygon32}}, 20, 20, 60, 30},
      {"a pen of the most negative width is as wide as it may be",
       {CreatePen(3, clBlue, 0, INT32_MIN), SelectObject(3), Rectangle(10, 10, 20, 20)},
       100,
       100,
       -1,
       -1},
      {"stock brushes and pens",
       {SelectObject(0x80000004), SelectObject(0x80000008), Rectangle(0, 0, 9, 9)},
       100,
       100,
       -1,
       -1},
  });
  {
    auto b = PlayEmf(Concat({FillWith(clRed),
                             {{91,
                               {0, 0, 0, 0, 2, 8, 4, 4, Pt16(10, 10), Pt16(20, 10), Pt16(20, 20),
                                Pt16(10, 20), Pt16(30, 10), Pt16(40, 10), Pt16(40, 20), Pt16(30, 20)}}}}));
    const Extent e = ExtentOf(*b, clRed);
    EXPECT_EQ(std::vector<int>({e.left, e.top, e.right, e.bottom}), std::vector<int>({10, 10, 40, 20}));
    EXPECT_EQ(b->Canvas().Pixel(25, 15), clWhite) << "between the two figures";
  }
  {
    auto b = PlayEmf(Concat({FillWith(clRed), {Rect(42, 10, 10, 50, 50)}}));  // ellipse
    EXPECT_EQ(b->Canvas().Pixel(30, 30), clRed);
    EXPECT_EQ(b->Canvas().Pixel(12, 12), clWhite);
    auto black = PlayEmf({SelectObject(0x80000004), SelectObject(0x80000008), Rectangle(0, 0, 9, 9)});
    ExpectExtent(*black, clBlack, 0, 0, 9, 9, "stock black brush, null pen");
  }
  {
    // Lines: a pen of 1 from the current position; a polyline of 16-bit points.
    auto b = PlayEmf({CreatePen(1, clBlue),
                      SelectObject(1),
                      {27, {10, 50}},
                      {54, {90, 50}},
                      Poly16(87, {{50, 10}, {50, 40}})});
    for (const auto& [x, y] : {std::pair{10, 50}, {70, 50}, {89, 50}, {50, 10}, {50, 39}})
      EXPECT_EQ(b->Canvas().Pixel(x, y), clBlue) << x << "," << y;
    for (const auto& [x, y] : {std::pair{9, 50}, {50, 45}, {50, 9}, {70, 49}})
      EXPECT_EQ(b->Canvas().Pixel(x, y), clWhite) << x << "," << y;
  }
}

TEST(EnhancedMetafile, WorldTransformAndMappingPlaceLogicalUnits) {
  ExpectRedExtents({
      {"scaled world", {Transform(35, 2, 0, 0, 2, 0, 0), Rectangle(5, 5, 10, 10)}, 10, 10, 20, 20},
      // The new transform applies first, then the current one.
      {"left multiplied",
       {Transform(35, 2, 0, 0, 2, 0, 0), Transform(36, 1, 0, 0, 1, 5, 0, 2), Rectangle(0, 0, 5, 5)},
       10,
       0,
       20,
       10},
      {"right multiplied",
       {Transform(35, 2, 0, 0, 2, 0, 0), Transform(36, 1, 0, 0, 1, 5, 0, 3), Rectangle(0, 0, 5, 5)},
       5,
       0,
       15,
       10},
      {"reset",
       {Transform(35, 2, 0, 0, 2, 0, 0), Transform(36, 1, 0, 0, 1, 0, 0, 1), Rectangle(0, 0, 5, 5)},
       0,
       0,
       5,
       5},
      {"restored with the state",
       {{33, {}}, Transform(35, 2, 0, 0, 2, 0, 0), {34, {U(-1)}}, Rectangle(0, 0, 5, 5)},
       0,
       0,
       5,
       5},
      {"origins at the ends of the number range draw nothing visible",
       {{10, {0x80000000, 0x80000000}},
        Rectangle(0, 0, 100, 100),
        {12, {0x7FFFFFFF, 0}},
        Rectangle(0, 0, 5, 5)},
       100,
       100,
       -1,
       -1},
      {"a transform of numbers beyond any range is ignored",
       {Transform(35, std::numeric_limits<float>::infinity(), 0, 0, 1, 0, 0), Rectangle(0, 0, 5, 5)},
       0,
       0,
       5,
       5},
      {"window onto viewport",
       {{17, {8}}, {9, {200, 200}}, {11, {100, 100}}, {12, {10, 20}}, Rectangle(0, 0, 100, 100)},
       10,
       20,
       60,
       70},
      {"scaled window",
       {{17, {8}}, {9, {100, 100}}, {11, {100, 100}}, {32, {2, 1, 1, 2}}, Rectangle(0, 0, 100, 25)},
       0,
       0,
       50,
       50},
  });
}

TEST(EnhancedMetafile, ClipRecordsShapeTheFilledArea) {
  const EmfRecord all = Rectangle(0, 0, 100, 100);
  ExpectRedExtents({
      {"intersected", {Rect(30, 20, 20, 60, 60), all}, 20, 20, 60, 60},
      {"region copied", {ClipRegion(5, {{10, 10, 30, 20}}), all}, 10, 10, 30, 20},
      // Regions are in device units: the world transform does not move them.
      {"region under a transform",
       {Transform(35, 2, 0, 0, 2, 0, 0), ClipRegion(5, {{10, 10, 30, 20}}), all},
       10,
       10,
       30,
       20},
      {"region and intersection",
       {Rect(30, 0, 0, 20, 100), ClipRegion(1, {{10, 10, 30, 20}}), all},
       10,
       10,
       20,
       20},
      {"reset by a copy without data",
       {ClipRegion(5, {{10, 10, 30, 20}}), ClipRegion(5, {}), all},
       0,
       0,
       100,
       100},
      {"an opaque text box without characters",
       {{25, {U(clRed)}}, Rect(30, 20, 20, 60, 60), TextBox(0, 0, 100, 100)},
       20,
       20,
       60,
       60},
  });
  auto b = PlayEmf(Concat({FillWith(clRed), {Rect(29, 30, 40, 70, 60), all}}));
  EXPECT_EQ(b->Canvas().Pixel(50, 50), clWhite);
  EXPECT_EQ(b->Canvas().Pixel(29, 50), clRed);
  auto two = PlayEmf(
      Concat({FillWith(clRed), {ClipRegion(5, {{10, 10, 20, 20}}), ClipRegion(2, {{50, 50, 60, 60}}), all}}));
  EXPECT_EQ(two->Canvas().Pixel(15, 15), clRed);
  EXPECT_EQ(two->Canvas().Pixel(55, 55), clRed);
  EXPECT_EQ(two->Canvas().Pixel(35, 35), clWhite);
}

TEST(EnhancedMetafile, PathsFillStrokeAndClip) {
  const EmfRecords square = {{59, {}}, {27, {20, 20}}, {54, {60, 20}}, Poly16(89, {{60, 60}, {20, 60}}),
                             {61, {}}, {60, {}}};
  {
    auto b = PlayEmf(Concat({FillWith(clRed), square, {{62, {0, 0, 0, 0}}}}));
    ExpectExtent(*b, clRed, 20, 20, 60, 60, "filled path");
  }
  {
    // Stroked only: the outline in the pen's colour, the inside left alone.
    auto b = PlayEmf(
        Concat({FillWith(clRed), {CreatePen(3, clBlue), SelectObject(3)}, square, {{64, {0, 0, 0, 0}}}}));
    EXPECT_EQ(ExtentOf(*b, clRed).right, -1);
    EXPECT_EQ(b->Canvas().Pixel(40, 20), clBlue);
    EXPECT_EQ(b->Canvas().Pixel(40, 40), clWhite);
  }
  {
    // The path as the clipping; nothing of it is drawn by itself.
    auto b = PlayEmf(Concat({FillWith(clRed), square, {{67, {5}}, Rectangle(0, 0, 100, 100)}}));
    ExpectExtent(*b, clRed, 20, 20, 60, 60, "clipped to the path");
  }
  {
    // A curve bends inside its control points.
    auto b = PlayEmf(Concat({FillWith(clRed),
                             {{59, {}},
                              {27, {10, 50}},
                              Poly16(88, {{10, 10}, {90, 10}, {90, 50}}),
                              {61, {}},
                              {60, {}},
                              {62, {0, 0, 0, 0}}}}));
    const Extent e = ExtentOf(*b, clRed);
    EXPECT_GT(e.top, 15);
    EXPECT_LE(e.bottom, 51);
    EXPECT_EQ(b->Canvas().Pixel(50, 40), clRed);
  }
}

TEST(EnhancedMetafile, BitmapRecordsDrawTheirPictures) {
  // STRETCHDIBITS: bounds, dest x/y, src x/y/cx/cy, DIB offsets, usage, raster op, dest cx/cy.
  const auto stretch = WithDib({0, 0, 0, 0, 50, 50, 0, 0, 2, 2, 0, 0, 0, 0, 0, 0x00CC0020, 50, 50}, 10);
  // STRETCHBLT: bounds, dest x/y/cx/cy, raster op, src x/y, transform (6), background,
  // usage, DIB offsets, src cx/cy.
  std::vector<uint32_t> bltFixed = {0, 0, 0, 0, 0, 0, 40, 40, 0x00CC0020, 0, 0};
  for (int i = 0; i < 6; ++i) bltFixed.push_back(0);
  bltFixed.insert(bltFixed.end(), {0, 0, 0, 0, 0, 0, 2, 2});
  const auto blt = WithDib(bltFixed, 19);
  auto b = PlayEmf({{81, stretch}, {77, blt}});
  EXPECT_EQ(b->Canvas().Pixel(60, 60), clBlue);
  EXPECT_EQ(b->Canvas().Pixel(60, 90), clLime);
  EXPECT_EQ(b->Canvas().Pixel(10, 10), clBlue);
  EXPECT_EQ(b->Canvas().Pixel(10, 30), clLime);
  EXPECT_EQ(b->Canvas().Pixel(45, 45), clWhite);
  // BITBLT without a source fills with the brush.
  std::vector<uint32_t> pattern = {0, 0, 0, 0, 10, 10, 20, 20, 0x00F00021};
  pattern.resize(23, 0);
  auto p = PlayEmf({CreateBrush(1, clRed), SelectObject(1), {76, pattern}});
  ExpectExtent(*p, clRed, 10, 10, 30, 30, "pattern blit");
  // A blit combines by its own operation, never by the line operation a figure left behind.
  p = PlayEmf({CreateBrush(1, clRed), SelectObject(1), {20, {6}}, Rectangle(60, 60, 70, 70), {76, pattern}});
  ExpectExtent(*p, clRed, 10, 10, 30, 30, "pattern blit after an inverting figure");
}

TEST(EnhancedMetafile, TextRecordsDrawTheirCharacters) {
  const EmfRecord font = LogFontW(1, -40, u"Liberation Sans", 700);
  for (const bool wide : {true, false}) {
    // EXTTEXTOUT: bounds, graphics mode, scales, reference point, count, string offset,
    // options, rectangle, dx offset; then the characters.
    std::vector<uint32_t> text = {0, 0, 0, 0, 1, 0, 0, 10, 10, 2, 76, 0, 0, 0, 0, 0, 0};
    text.push_back(wide ? Pt16('H', 'H') : ('H' | ('H' << 8)));
    const auto b = PlayEmf({font, SelectObject(1), {24, {U(clRed)}}, {18, {1}}, {wide ? 84u : 83u, text}});
    int red = 0;
    for (int y = 0; y < 100; ++y)
      for (int x = 0; x < 100; ++x)
        if (b->Canvas().Pixel(x, y) == clRed) {
          ++red;
          EXPECT_TRUE(x >= 10 && y >= 10 && y < 60) << x << "," << y << (wide ? " wide" : " narrow");
        }
    EXPECT_GT(red, 100) << (wide ? "wide" : "narrow");
  }
}

TEST(EnhancedMetafile, LyingRecordsEndPlaybackWithWhatWasDrawn) {
  const EmfRecords before = Concat({FillWith(clRed), {Rectangle(10, 10, 20, 20)}});
  {
    // A polygon counting more points than it holds is left out; later records still play.
    auto b =
        PlayEmf(Concat({before, {{86, {0, 0, 0, 0, 0x40000000, Pt16(0, 0)}}, Rectangle(50, 50, 60, 60)}}));
    EXPECT_EQ(b->Canvas().Pixel(15, 15), clRed);
    EXPECT_EQ(b->Canvas().Pixel(55, 55), clRed);
  }
  for (const uint32_t lie : {0x7FFFFFF0u, 6u, 13u}) {
    // A record claiming more than the file holds, less than its own header, or a size
    // that is not whole words: playback ends there.
    Bytes file = EmfOf(Concat({before, {Rectangle(50, 50, 60, 60)}}));
    size_t last = 88;  // where the second rectangle starts
    for (const auto& record : before) last += 8 + 4 * record.second.size();
    ASSERT_EQ(file[last], 43);
    file[last + 4] = static_cast<uint8_t>(lie);
    file[last + 5] = static_cast<uint8_t>(lie >> 8);
    file[last + 6] = static_cast<uint8_t>(lie >> 16);
    file[last + 7] = static_cast<uint8_t>(lie >> 24);
    auto b = DrawMetafile(file);
    EXPECT_EQ(b->Canvas().Pixel(15, 15), clRed) << lie;
    EXPECT_EQ(b->Canvas().Pixel(55, 55), clWhite) << lie;
  }
}

TEST(EnhancedMetafile, WindowsMetafilesPlayTheEnhancedCopyTheyCarry) {
  const Bytes emf = EmfOf(Concat({FillWith(clRed), {Rectangle(10, 10, 50, 50)}}));
  wmftest::Records records = EmbeddedPieces(emf, 100);
  ASSERT_GT(records.size(), 1u);
  const wmftest::Records own = {wmftest::SolidBrush(clBlue), wmftest::Select(0),
                                wmftest::Rectangle(60, 60, 90, 90)};
  records.insert(records.end(), own.begin(), own.end());
  auto b = DrawMetafile(WmfOf(records, 100, 2));
  ExpectExtent(*b, clRed, 10, 10, 50, 50, "the copy");
  EXPECT_EQ(ExtentOf(*b, clBlue).right, -1) << "the records are not drawn as well";
  // A copy with a piece missing is no copy: the records draw.
  records.erase(records.begin() + 1);
  auto ownOnly = DrawMetafile(WmfOf(records, 100, 2));
  EXPECT_EQ(ExtentOf(*ownOnly, clRed).right, -1);
  EXPECT_EQ(ownOnly->Canvas().Pixel(75, 75), clBlue);
}

}  // namespace

TEST(EnhancedMetafile, ManyClipRegionsStayBounded) {
  EmfRecords records = FillWith(clRed);
  for (int i = 0; i < 4900; ++i) {
    const int x = 2 * (i % 70), y = 2 * (i / 70);  // squares apart from one another
    records.push_back(ClipRegion(i == 0 ? 5 : 2, {{x, y, x + 1, y + 1}}));
  }
  records.push_back(Rectangle(0, 0, 100, 100));
  auto b = PlayEmf(records);
  EXPECT_EQ(b->Canvas().Pixel(0, 0), clRed);
}

TEST(EnhancedMetafile, AlphaBlendLaysThePictureOverByItsAlpha) {
  // Red at half alpha (premultiplied) beside opaque blue, stored B, G, R, A; then without alpha.
  // Blend: operation, flags, constant alpha (here a half), whether the picture has its own alpha.
  const std::tuple<uint16_t, uint32_t, uint32_t, uint32_t, std::array<int, 6>> cases[] = {
      {32, 0x80800000, 0xFF0000FF, 0x01800000, {255, 191, 191, 127, 127, 255}},
      {24, 0x800000, 0x0000FF, 0x00800000, {191, 127, 127, 127, 127, 255}}};
  for (const auto& [bits, left, right, blend, want] : cases) {
    DibSpec dib;
    dib.width = 2, dib.height = 1, dib.bits = bits;
    dib.pixels = PackRows(2, 1, bits, [&](int x, int) { return x == 0 ? left : right; });
    // Destination, blend function, source origin, transform, background, usage, DIB, source size.
    std::vector<uint32_t> fixed = {0, 0, 0, 0, 0, 0, 100, 100, blend};
    fixed.resize(23, 0);
    fixed.insert(fixed.end(), {2, 1});
    const Bytes whole = BuildDib(dib);
    auto b = PlayEmf({{114, WithDib(fixed, 19, {Bytes(whole.begin(), whole.begin() + 40), dib.pixels})}});
    for (size_t k = 0; k < 6; ++k)  // red, green, blue from the low byte
      EXPECT_NEAR((b->Canvas().Pixel(k < 3 ? 25 : 75, 50) >> (8 * (k % 3))) & 0xFF, want[k], 2) << bits << k;
  }
}

TEST(EnhancedMetafile, GlyphNumbersDrawAsTheCharactersTheyStandFor) {
  // EXTTEXTOUTW at (10, 10): two 16-bit values, characters or (option 0x10) glyph numbers.
  auto play = [&](uint32_t options, uint32_t first, uint32_t second) {
    const std::vector<uint32_t> text = {0, 0,  0,       0, 1, 0, 0, 10, 10,
                                        2, 76, options, 0, 0, 0, 0, 0,  first | (second << 16)};
    return PixelsOf(*PlayEmf(
        {LogFontW(1, -40, u"Liberation Sans"), SelectObject(1), {24, {U(clRed)}}, {18, {1}}, {84, text}}));
  };
  const auto chars = play(0, 'H', 'i');  // drawing first sets up the fonts
  QFont face("Liberation Sans");
  face.setPixelSize(40);
  const QList<quint32> glyphs = QRawFont::fromFont(face).glyphIndexesForString("Hi");
  ASSERT_EQ(glyphs.size(), 2);
  ASSERT_NE(chars, play(0, ' ', ' '));
  EXPECT_EQ(play(0x10, glyphs[0], glyphs[1]), chars);
}

// clang-format off
/// A group under a transform that flattens the plane collapses; the restore brings back the scale.
const EmfRecords kFlattenedGroup = Concat(
    {FillWith(clRed), {Transform(35, 2, 0, 0, 2, 0, 0), {33, {}}, Transform(36, 3, 0, 0, 0, 10, 10, 2),
                       Rectangle(0, 0, 40, 40), {34, {U(-1)}}, Rectangle(10, 10, 15, 15)}});

TEST(EnhancedMetafile, RestoreDCBringsBackTheMappingAndTransformOfTheSavedState) {
  EmfRecords deep(1099, {33, {}});  // more saves than are kept: the restore still finds the last
  deep.insert(deep.end(), {Transform(35, 1, 0, 0, 1, 10, 10), {33, {}}, Transform(35, 3, 0, 0, 3, 0, 0),
                           {34, {U(-1)}}, Rectangle(0, 0, 5, 5)});
  const EmfRecords mapping = {{17, {8}}, {9, {200, 200}}, {11, {100, 100}}, {33, {}}, {17, {1}},
                              Transform(35, 2, 0, 0, 2, 0, 0), {34, {U(-1)}}, Rectangle(0, 0, 100, 100)};
  ExpectRedExtents({{"the mapping", mapping, 0, 0, 50, 50},
                    {"more saves than are kept", deep, 10, 10, 15, 15},
                    {"a group under a flattening transform", kFlattenedGroup, 20, 20, 30, 30}});
}

TEST(EnhancedMetafile, ClipAreasCombineUnderEveryTransform) {
  // A quarter turn (x' = 100 - y, y' = x) makes the clip rectangle a path.
  ExpectRedExtents({{"a rectangle under a turned world",
                     {Transform(35, 0, 1, -1, 0, 100, 0), Rect(30, 10, 20, 30, 40),
                      Transform(36, 1, 0, 0, 1, 0, 0, 1), Rectangle(0, 0, 100, 100)},
                     60, 10, 80, 30}});
  // Regions joined by exclusive or, then a path joined to the region.
  auto b = PlayEmf(Concat({FillWith(clRed),
                           {ClipRegion(5, {{10, 10, 30, 30}}), ClipRegion(3, {{20, 20, 40, 40}}), {59, {}},
                            Rectangle(50, 50, 60, 60), {60, {}}, {67, {2}}, Rectangle(0, 0, 100, 100)}}));
  for (const auto& [x, y] : {std::pair{15, 15}, {35, 35}, {55, 55}})
    EXPECT_EQ(b->Canvas().Pixel(x, y), clRed);
  for (const auto& [x, y] : {std::pair{25, 25}, {45, 45}}) EXPECT_EQ(b->Canvas().Pixel(x, y), clWhite);
}
// clang-format on

TEST(EnhancedMetafile, FrameLargerThanAnyBitmapDrawsScaledIntoTheRectangle) {
  // A frame of 12047 x 15591 pixels (0.01 mm at 96 a inch), on a device of 10 pixels a mm.
  Bytes file = EmfOf(Concat({FillWith(clRed), {Rectangle(15937, 0, 45000, 45000)}}));
  for (const auto& [at, v] :
       {std::pair{32, 318744}, {36, 412512}, {72, 31874}, {76, 41251}, {80, 3187}, {84, 4125}})
    for (int i = 0; i < 4; ++i) file[static_cast<size_t>(at + i)] = static_cast<uint8_t>(v >> (8 * i));
  auto b = DrawMetafile(file);
  EXPECT_EQ(b->Canvas().Pixel(48, 50), clWhite);
  EXPECT_EQ(b->Canvas().Pixel(52, 50), clRed);
  TMetafile meta;
  TMemoryStream in = StreamOf(file);
  meta.LoadFromStream(in);
  EXPECT_EQ(meta.Width(), 12047);
  EXPECT_NO_THROW(meta.SetMMWidth(2'000'000));
}

// clang-format off
/// Nested groups changing objects, colours, origins, clip and path; empty text boxes; a tiny-scale path.
const EmfRecords kGroups = Concat(
    {FillWith(clRed),
     {Transform(35, 0.5f, 0, 0, 0.5f, 10, 10), {25, {U(clYellow)}}, {33, {}},
      // (x, y) lands on (x + 20, y + 10) from here to the restore.
      Transform(36, 2, 0, 0, 2, 20, 0, 2), CreateBrush(3, clBlue), SelectObject(3), {25, {U(clLime)}}, {33, {}},
      Transform(35, 1, 0, 0, 1, 0, 0), {12, {50, 0}}, Rect(30, 0, 0, 5, 5), {59, {}},
      Rectangle(0, 0, 90, 90), {60, {}}, {34, {U(-1)}}, Rectangle(0, 0, 20, 20), TextBox(30, 0, 40, 20),
      {33, {}}, Transform(36, 1, 0, 0, 1, 0, 0, 1), Rect(30, 0, 0, 10, 10), {34, {U(-2)}},
      {62, {0, 0, 0, 0}}, Rectangle(100, 100, 160, 160), TextBox(0, 100, 40, 160, 6), TextBox(0, 0, 9, 9, 4),
      CreateBrush(4, clAqua), SelectObject(4), Transform(35, 1e-7f, 0, 0, 1e-7f, 70, 10), {59, {}},
      Rectangle(0, 0, 200'000'000, 200'000'000), {60, {}}, {62, {0, 0, 0, 0}}}});
/// {colour, left, top, right, bottom} of what the groups draw.
const std::tuple<TColor, int, int, int, int> kGroupParts[] = {
    {clBlue, 20, 10, 40, 30}, {clLime, 50, 10, 60, 30}, {clRed, 60, 60, 90, 90}, {clYellow, 10, 60, 30, 90},
    {clAqua, 70, 10, 90, 30}};
// clang-format on

TEST(EnhancedMetafile, GroupsBetweenSaveAndRestoreDrawWhereTheirStateSays) {
  auto b = PlayEmf(kGroups);
  for (const auto& [colour, l, t, r, bottom] : kGroupParts)
    ExpectExtent(*b, colour, l, t, r, bottom, "group");
  ExpectExtent(*PlayEmf({{25, {U(clRed)}}, TextBox(10, 10, 50, 40, 2, 83)}), clRed, 10, 10, 50, 40, "narrow");
}

TEST(EnhancedMetafile, OfficeSuiteDrawsTheGroupsAsWeDo) {
  ExpectOfficeSuiteDrawsFilesAlike(
      "emf-groups", {{"groups.emf", EmfOf(kGroups)}, {"flattened.emf", EmfOf(kFlattenedGroup)}}, 1.0);
}
