// The metafile player's fuzz step over deterministic mutations of metafiles that use every
// record kind the player knows: no input may raise, crash, leak, hang or draw outside its
// rectangle.
#include <gtest/gtest.h>

#include <cstdint>
#include <random>
#include <vector>

#include "../../../tools/fuzz/MetafilePlayerFuzzEntry.h"
#include "EmfRecords.h"
#include "GraphicsTestSupport.h"
#include "MetafileTestSupport.h"
#include "WmfRecords.h"

using namespace gfxtest;
using namespace wmftest;

namespace {

/// An enhanced metafile of every record kind the player knows.
Bytes EnhancedSeed() {
  std::vector<uint32_t> font = {3, emftest::U(-20), 0, 0, 0, 400, 0, 0};
  for (int i = 0; i < 16; ++i) font.push_back(i == 0 ? emftest::Pt16('A', 'r') : 0);
  std::vector<uint32_t> text = {
      0, 0, 0, 0, 1, 0, 0, 10, 10, 2, 76, 6, 0, 0, 50, 50, 84, emftest::Pt16('O', 'k'), 8, 9};
  std::vector<uint32_t> stretchFixed = {0, 0, 0, 0, 50, 50, 0, 0, 2, 2, 0, 0, 0, 0, 0, 0x00CC0020, 50, 50};
  std::vector<uint32_t> glyphText = text;
  glyphText[11] |= 0x10;  // glyph numbers
  std::vector<uint32_t> alphaFixed = {0, 0, 0, 0, 60, 0, 40, 40, 0x01C00000};
  alphaFixed.resize(23, 0);
  alphaFixed.insert(alphaFixed.end(), {2, 2});
  std::vector<uint32_t> polypoly = {0, 0, 0, 0, 2, 6, 3, 3, 0, 0, 50, 10, 20, 60, 5, 5, 40, 5, 5, 40};
  return emftest::EmfOf({emftest::CreateBrush(1, clRed),
                         emftest::CreatePen(2, clBlue, 0x10000 | 0x200, 3),
                         {95, {4, 0, 0, 0, 0, 0x10000, 2, 0, emftest::U(clLime), 0, 0}},
                         {82, font},
                         emftest::SelectObject(1),
                         emftest::SelectObject(2),
                         emftest::SelectObject(3),
                         {17, {8}},
                         {9, {200, 200}},
                         {11, {100, 100}},
                         {10, {5, 5}},
                         {12, {1, 1}},
                         {31, {2, 3, 2, 3}},
                         {33, {}},
                         emftest::Transform(35, 1, 0.2f, 0, 1, 3, 3),
                         emftest::Transform(36, 1, 0, 0, 1, 2, 2, 2),
                         emftest::Rectangle(0, 0, 60, 60),
                         emftest::Rect(42, 20, 20, 80, 80),
                         {44, {10, 10, 90, 90, 10, 10}},
                         {45, {10, 10, 90, 90, 90, 50, 10, 50}},
                         {46, {10, 10, 90, 90, 90, 50, 10, 50}},
                         {47, {10, 10, 90, 90, 90, 50, 10, 50}},
                         {34, {emftest::U(-1)}},
                         emftest::Poly16(86, {{0, 0}, {50, 10}, {20, 60}}),
                         emftest::Poly16(87, {{0, 0}, {50, 10}, {20, 60}}),
                         emftest::Poly16(85, {{0, 0}, {50, 10}, {20, 60}, {90, 90}}),
                         {91, polypoly},
                         {90, polypoly},
                         {27, {5, 5}},
                         {54, {95, 95}},
                         {15, {50, 50, emftest::U(clRed)}},
                         {20, {7}},
                         {19, {2}},
                         {59, {}},
                         {27, {20, 20}},
                         emftest::Poly16(89, {{60, 20}, {60, 60}}),
                         emftest::Poly16(88, {{20, 60}, {10, 40}, {20, 20}}),
                         {61, {}},
                         {60, {}},
                         {63, {0, 0, 0, 0}},
                         {59, {}},
                         emftest::Rectangle(30, 30, 70, 70),
                         {60, {}},
                         {67, {1}},
                         emftest::ClipRegion(4, {{40, 40, 50, 50}}),
                         emftest::Rect(30, 0, 0, 90, 90),
                         emftest::Rect(29, 5, 5, 10, 10),
                         {81, emftest::WithDib(stretchFixed, 10)},
                         {22, {24}},
                         {18, {1}},
                         {24, {emftest::U(clRed)}},
                         {84, text},
                         {84, glyphText},
                         {114, emftest::WithDib(alphaFixed, 19)},
                         emftest::ClipRegion(5, {}),
                         {40, {1}}},
                        5);
}

/// Metafiles that between them hold every record kind the players play.
std::vector<Bytes> Seeds() {
  Bytes font;
  Put16(font, W(-20));
  for (int i = 0; i < 8; ++i) Put16(font, 0);
  const std::string face = "Liberation Sans";
  font.insert(font.end(), face.begin(), face.end());
  font.resize(50, 0);
  const std::vector<uint16_t> region = {0, 6, 0, 0, 0, 1, 0, 10, 10, 60, 50, 2, 10, 50, 10, 60, 2};
  const std::vector<uint16_t> poly = {3, 0, 0, 50, 10, 20, 60};
  const std::vector<uint16_t> polypoly = {2, 3, 3, 0, 0, 50, 10, 20, 60, 5, 5, 40, 5, 5, 40};
  std::vector<uint16_t> text = {2, WordsOf(Bytes{'H', 'i'})[0], 10, 10};
  std::vector<uint16_t> extText = {20, 5, 2, 6, 0, 0, 50, 30, WordsOf(Bytes{'O', 'k'})[0], 8, 9};
  return {
      WmfOf({{0x020B, {0, 0}},
             {0x020C, {100, 100}},
             MapMode(8),
             {0x020E, {50, 50}},
             {0x020D, {5, 5}},
             {0x0410, {1, 2, 1, 2}},
             {0x0412, {3, 2, 3, 2}},
             {0x0211, {1, 1}},
             {0x020F, {2, 2}},
             Pen(clRed, 1),
             SolidBrush(clBlue),
             Select(0),
             Select(1),
             {0x0104, {7}},
             Rectangle(0, 0, 60, 60),
             {0x0418, {80, 80, 20, 20}},
             {0x061C, {10, 10, 90, 90, 10, 10}},
             {0x0324, poly},
             {0x0325, poly},
             {0x0538, polypoly},
             {0x0214, {0, 0}},
             {0x0213, {99, 99}},
             {0x041F, {0xFF, 0, 50, 50}},
             MapMode(6),
             Rectangle(0, 0, 30, 30),
             MapMode(1),
             Rectangle(0, 0, 30, 30)},
            100, 4),
      WmfOf({{0x02FB, WordsOf(font)},
             Select(0),
             {0x0209, {0xFF, 0}},
             {0x0102, {1}},
             {0x012E, {24}},
             {0x0521, text},
             {0x012E, {1}},
             {0x0A32, extText},
             {0x001E, {}},
             {0x0416, {50, 50, 0, 0}},
             {0x0415, {30, 30, 10, 10}},
             {0x06FF, region},
             {0x012C, {1}},
             {0x0127, {W(-1)}},
             {0x01F0, {1}},
             {0x0142, PatternBrushRecord()},
             Select(1),
             PatBlt(0x00F00021, 0, 0, 50, 50)},
            100, 3),
      WmfOf({Escape(4097, {0, 0}),
             Escape(4096),
             Rectangle(20, 20, 60, 60),
             {0x0418, {90, 90, 50, 50}},
             Escape(4098),
             Escape(4097, {2, 0}),
             SolidBrush(clLime),
             Select(0),
             Rectangle(0, 0, 100, 100),
             Escape(4097, {1, 0}),
             Escape(4097, {3, 0}),
             StretchDib(0x00EE0086, 0x40, 8),
             StretchDib(0x008800C6, 0x20, 24),
             StretchDib(0x00660046, 0x80, 24),
             PatBlt(0x00550009, 10, 10, 20, 20)},
            100, 2),
      EnhancedSeed(),
      WmfOf(emftest::EmbeddedPieces(EnhancedSeed(), 300), 100, 1),
  };
}

/// Mutations that keep most of the record structure: 16-bit words set to values that
/// matter to records (sizes, counts, extents), bit flips, cuts and repeated ranges.
class WordMutator {
 public:
  explicit WordMutator(uint32_t seed) : rng_(seed) {}

  Bytes Mutate(Bytes bytes) {
    const int edits = 1 + Below(4);
    for (int i = 0; i < edits && bytes.size() > 2; ++i) Edit(bytes);
    return bytes;
  }

 private:
  static constexpr uint16_t kInteresting[] = {0, 1, 2, 3, 0x7FFF, 0x8000, 0xFFFF, 0xFFFE, 100, 4096, 0x4000};

  int Below(size_t n) { return static_cast<int>(rng_() % static_cast<uint32_t>(n)); }

  void Edit(Bytes& b) {
    // Past the placeable header and the metafile header most of the time.
    const size_t from = b.size() > 48 && Below(8) != 0 ? 40 : 0;
    const size_t at = (from + static_cast<size_t>(Below(b.size() - from))) & ~size_t{1};
    switch (Below(5)) {
      case 0:
        if (at + 1 < b.size()) {
          const uint16_t v = kInteresting[Below(std::size(kInteresting))];
          b[at] = static_cast<uint8_t>(v);
          b[at + 1] = static_cast<uint8_t>(v >> 8);
        }
        break;
      case 1:
        b[at] = static_cast<uint8_t>(b[at] ^ (1 << Below(8)));
        break;
      case 2:
        b.erase(b.begin() + static_cast<std::ptrdiff_t>(at),
                b.begin() + static_cast<std::ptrdiff_t>(std::min(b.size(), at + 2 * (1 + Below(8)))));
        break;
      case 3: {
        const size_t length = std::min(b.size() - at, 2 * static_cast<size_t>(1 + Below(24)));
        const Bytes range(b.begin() + static_cast<std::ptrdiff_t>(at),
                          b.begin() + static_cast<std::ptrdiff_t>(at + length));
        b.insert(b.begin() + static_cast<std::ptrdiff_t>(at), range.begin(), range.end());
        break;
      }
      default:
        b.resize(at);
        break;
    }
  }

  std::mt19937 rng_;
};

TEST(MetafileFuzz, SeedsDrawInsideTheirRectangle) {
  for (const Bytes& seed : Seeds()) {
    EXPECT_NO_THROW(FuzzMetafilePlayerOnce(seed.data(), seed.size()));
    // Each seed draws, so that its mutations reach the drawing code.
    auto drawn = DrawMetafile(seed);
    int painted = 0;
    for (int y = 0; y < 100; ++y)
      for (int x = 0; x < 100; ++x) painted += drawn->Canvas().Pixel(x, y) != clWhite;
    EXPECT_GT(painted, 500) << seed.size();
  }
}

TEST(MetafileFuzz, MutatedMetafilesNeverEscapeThePlayer) {
  const std::vector<Bytes> seeds = Seeds();
  WordMutator mutator(20261207);
  for (int i = 0; i < 4000; ++i) {
    const Bytes input = mutator.Mutate(seeds[static_cast<size_t>(i) % seeds.size()]);
    try {
      FuzzMetafilePlayerOnce(input.data(), input.size());
    } catch (const std::exception& e) {
      ADD_FAILURE() << "mutation " << i << ": " << e.what();
    }
  }
}

}  // namespace
