// Pixels decoded from GIF files built by the tests: hand-worked frames, encoder round trips
// over many shapes, and agreement with Pillow where it is installed.
#include <gtest/gtest.h>

#include <ostream>
#include <random>

#include "GIFTestSupport.h"
#include "platform/graphics/Bitmap.h"
#include "platform/graphics/Canvas.h"
#include "platform/graphics/SystemColors.h"

using namespace giftest;

namespace {

Bytes Pattern(int width, int height, int colors, unsigned seed, bool runs) {
  std::mt19937 rng(seed);
  Bytes pixels(static_cast<size_t>(width * height));
  uint8_t current = 0;
  for (auto& p : pixels) {
    if (!runs || rng() % 7 == 0) current = static_cast<uint8_t>(rng() % static_cast<unsigned>(colors));
    p = current;
  }
  return pixels;
}

std::vector<RGB> Greys(int count) {
  std::vector<RGB> table;
  for (int i = 0; i < count; ++i) table.push_back({uint8_t(i), uint8_t(i), uint8_t(255 - i)});
  return table;
}

struct DecodeCase {
  const char* name;
  int width, height, colors, min_code_size;
  bool interlaced, runs, local;
};
/// Names the case in test listings instead of dumping its bytes.
void PrintTo(const DecodeCase& c, std::ostream* os) {
  *os << c.name;
}

const DecodeCase kDecodeCases[] = {
    {"OnePixel", 1, 1, 2, 2, false, false, false},
    {"OnePixelCodeSizeOne", 1, 1, 2, 1, false, false, false},
    {"TwoColoursCodeSizeOne", 17, 5, 2, 1, false, false, false},
    {"FourColours", 10, 10, 4, 2, false, false, false},
    {"Interlaced", 7, 19, 4, 2, true, true, false},
    {"InterlacedLocalTable", 33, 9, 16, 4, true, false, true},
    {"LongRunsFillTable", 200, 150, 4, 2, false, true, false},
    {"NoiseResetsTable", 128, 128, 256, 8, false, false, true},
    {"EightBitRuns", 301, 97, 256, 8, false, true, false},
    {"SixteenColours", 64, 3, 16, 4, false, false, false},
};

class DecodeTest : public ::testing::TestWithParam<DecodeCase> {};

TEST_P(DecodeTest, PixelsMatchWhatWasEncoded) {
  const DecodeCase& c = GetParam();
  FrameSpec f{0,
              0,
              c.width,
              c.height,
              Pattern(c.width, c.height, c.colors, 7, c.runs),
              {},
              c.interlaced,
              c.min_code_size};
  GifBuilder b;
  if (c.local) {
    f.local = Greys(c.colors);
    b.Header("87a", c.width, c.height);
  } else {
    b.Header("87a", c.width, c.height, Greys(std::max(2, c.colors)));
  }
  b.Frame(f).Trailer();
  Loaded loaded(b.bytes);
  ASSERT_EQ(loaded.image.Count(), 1);
  TGIFSubImage& frame = loaded.image.Images(0);
  EXPECT_EQ(frame.Interlaced(), c.interlaced);
  EXPECT_EQ(FramePixels(frame), f.pixels);
  EXPECT_TRUE(loaded.warnings.empty()) << loaded.warnings.front();

  if (c.min_code_size < 2) return;  // Pillow does not take 1-bit code sizes
  if (!HavePillow()) GTEST_SKIP() << "Pillow is not installed";
  const std::optional<Bytes> pillow = PillowIndices(b.bytes);
  ASSERT_TRUE(pillow.has_value());
  EXPECT_EQ(*pillow, FramePixels(frame));
}

INSTANTIATE_TEST_SUITE_P(Shapes, DecodeTest, ::testing::ValuesIn(kDecodeCases),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(DecodeHandWorked, CodesReadLeastSignificantBitFirst) {
  // Minimum code size 2: clear 4, end 5; codes 4, 1, 1 (adds 6 = "1 1"), 6 (adds 7, so the
  // table reaches 8 and codes widen to 4 bits), then 5 in 4 bits -> bytes 0x4C 0x2E.
  GifBuilder b;
  b.Header("87a", 4, 1, Palette4());
  b.bytes.insert(b.bytes.end(), {0x2C, 0, 0, 0, 0, 4, 0, 1, 0, 0, 2, 2, 0x4C, 0x2E, 0, 0x3B});
  Loaded loaded(b.bytes);
  ASSERT_EQ(loaded.image.Count(), 1);
  EXPECT_EQ(FramePixels(loaded.image.Images(0)), (Bytes{1, 1, 1, 1}));
}

TEST(DecodeHandWorked, InterlacedNineRowsFillInPassOrder) {
  // Stored rows are 0..8 in file order; they land on rows 0, 8, 4, 2, 6, 1, 3, 5, 7.
  GifBuilder b;
  b.Header("87a", 1, 9, Greys(16));
  Bytes stored = {0, 1, 2, 3, 4, 5, 6, 7, 8};
  b.bytes.insert(b.bytes.end(), {0x2C, 0, 0, 0, 0, 1, 0, 9, 0, 0x40, 4});
  const Bytes blocks = SubBlocks(LzwEncode(stored, 4));
  b.bytes.insert(b.bytes.end(), blocks.begin(), blocks.end());
  b.Trailer();
  Loaded loaded(b.bytes);
  EXPECT_EQ(FramePixels(loaded.image.Images(0)), (Bytes{0, 5, 3, 6, 2, 7, 4, 8, 1}));
}

TEST(DecodeHandWorked, ClearCodeAfterFirstClearIsSkipped) {
  // Codes 4, 4, 2, 5 of 3 bits -> bytes 0xA4 0x0A.
  GifBuilder b;
  b.Header("87a", 1, 1, Palette4());
  b.bytes.insert(b.bytes.end(), {0x2C, 0, 0, 0, 0, 1, 0, 1, 0, 0, 2, 2, 0xA4, 0x0A, 0, 0x3B});
  Loaded loaded(b.bytes);
  EXPECT_EQ(FramePixels(loaded.image.Images(0)), (Bytes{2}));
}

TEST(DecodeHandWorked, CodesStraddleSubBlocks) {
  const Bytes pixels = Pattern(50, 50, 16, 3, false);
  GifBuilder b;
  b.Header("87a", 50, 50, Greys(16));
  b.bytes.insert(b.bytes.end(), {0x2C, 0, 0, 0, 0, 50, 0, 50, 0, 0, 4});
  const Bytes blocks = SubBlocks(LzwEncode(pixels, 4), 1);  // one byte per sub-block
  b.bytes.insert(b.bytes.end(), blocks.begin(), blocks.end());
  b.Trailer();
  Loaded loaded(b.bytes);
  EXPECT_EQ(FramePixels(loaded.image.Images(0)), pixels);
}

TEST(DecodeHandWorked, DataEndingEarlyKeepsDecodedRowsAndFillsTheRest) {
  GifBuilder b;
  b.Header("87a", 8, 5, Palette4());
  b.bytes.insert(b.bytes.end(), {0x2C, 0, 0, 0, 0, 8, 0, 5, 0, 0, 2});
  Bytes data = LzwEncode(Bytes(16, 3), 2);
  data.pop_back();  // the end code's last byte
  const Bytes blocks = SubBlocks(data);
  b.bytes.insert(b.bytes.end(), blocks.begin(), blocks.end());
  b.Trailer();
  Loaded loaded(b.bytes);
  const Bytes got = FramePixels(loaded.image.Images(0));
  EXPECT_EQ(Bytes(got.begin(), got.begin() + 8), Bytes(8, 3));
  EXPECT_EQ(got.back(), 0);
}

}  // namespace

// Long thin pictures are valid GIFs: a side may take all 16 bits as long as the frame's pixel
// count stays within bounds.
TEST(DecodeLongThin, FramesOfAFullSixteenBitSideLoadAndDrawAtTheirSize) {
  const std::vector<RGB> palette = Palette4();
  std::vector<std::pair<Bytes, Bytes>> files;  // and their pixels, for Pillow
  for (const auto& [w, h] : {std::pair{65535, 1}, std::pair{1, 65535}}) {
    SCOPED_TRACE(std::to_string(w) + " x " + std::to_string(h));
    Bytes pixels(static_cast<size_t>(w) * static_cast<size_t>(h));
    for (size_t i = 0; i < pixels.size(); ++i) pixels[i] = static_cast<uint8_t>((i / 7) % 4);
    const Bytes file =
        GifBuilder().Header("89a", w, h, palette).Frame({0, 0, w, h, pixels, {}, false, 2}).Trailer().bytes;
    Loaded loaded(file);
    ASSERT_EQ(loaded.image.Count(), 1);
    EXPECT_EQ(loaded.image.Width(), w);
    EXPECT_EQ(loaded.image.Height(), h);
    EXPECT_EQ(FramePixels(loaded.image.Images(0)), pixels);

    TBitmap* bitmap = loaded.image.Bitmap();
    ASSERT_NE(bitmap, nullptr);
    ASSERT_EQ(bitmap->Width(), w);
    ASSERT_EQ(bitmap->Height(), h);
    const RGB last = palette[pixels.back()];
    EXPECT_EQ(bitmap->Canvas().Pixel(w - 1, h - 1), RGBColor(last.r, last.g, last.b));
    files.emplace_back(file, pixels);
  }
  if (!HavePillow()) GTEST_SKIP() << "Pillow (python3-pil) is not installed: the files are not read back";
  for (const auto& [file, pixels] : files) {
    const auto theirs = PillowIndices(file);
    ASSERT_TRUE(theirs.has_value());
    EXPECT_EQ(*theirs, pixels);
  }
}
