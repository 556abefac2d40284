// BMP/DIB reading and writing: every header and pixel variant decodes to the pixels an
// independent decoder (Pillow) gives, small cases are also checked against pixels worked
// out by hand, and bad or truncated files raise EInvalidGraphic without crashing.
#include <gtest/gtest.h>

#include <climits>
#include <functional>
#include <ostream>
#include <random>

#include "GraphicsTestSupport.h"

using namespace gfxtest;

namespace {

constexpr uint32_t BI_RLE8 = 1;
constexpr uint32_t BI_RLE4 = 2;
constexpr uint32_t BI_BITFIELDS = 3;

std::vector<std::array<uint8_t, 3>> Ramp(int n) {
  std::vector<std::array<uint8_t, 3>> colors;
  for (int i = 0; i < n; ++i)
    colors.push_back({static_cast<uint8_t>(i * 37 % 256), static_cast<uint8_t>(255 - i * 13 % 256),
                      static_cast<uint8_t>(i * 91 % 256)});
  return colors;
}

struct VariantCase {
  const char* name;
  std::function<DibSpec()> make;
  TPixelFormat format;
  bool pillowReads = true;  // Pillow refuses some valid variants; those are checked by hand
};
/// Names the case in test listings instead of dumping its bytes.
void PrintTo(const VariantCase& c, std::ostream* os) {
  *os << c.name;
}

DibSpec Uncompressed(uint32_t header, int32_t w, int32_t h, uint16_t bits,
                     std::vector<std::array<uint8_t, 3>> colors,
                     std::function<uint32_t(int32_t, int32_t)> value) {
  DibSpec s;
  s.header_size = header;
  s.width = w;
  s.height = h;
  s.bits = bits;
  s.colors = std::move(colors);
  s.pixels = PackRows(w, std::abs(h), bits, value);
  return s;
}

// Runs, an absolute run, a delta, line ends and the end marker.
DibSpec Rle8Case() {
  DibSpec s;
  s.width = 4;
  s.height = 3;
  s.bits = 8;
  s.compression = BI_RLE8;
  s.colors = {{0, 0, 0}, {255, 0, 0}, {0, 255, 0}, {0, 0, 255}};
  s.colors_used = 4;
  s.pixels = {3, 1, 0, 0, 0, 3, 2, 3, 2, 0, 0, 0, 0, 2, 1, 0, 1, 3, 0, 1};
  return s;
}

// The same picture without a delta escape (which some independent decoders misread).
DibSpec Rle8NoDeltaCase() {
  DibSpec s = Rle8Case();
  s.pixels = {3, 1, 0, 0, 0, 3, 2, 3, 2, 0, 0, 0, 1, 0, 1, 3, 0, 1};
  return s;
}

DibSpec Rle4Case() {
  DibSpec s;
  s.width = 5;
  s.height = 2;
  s.bits = 4;
  s.compression = BI_RLE4;
  s.colors = Ramp(16);
  s.pixels = {5, 0x12, 0, 0, 0, 3, 0x34, 0x50, 0, 1};
  return s;
}

const VariantCase kVariants[] = {
    {"OneBit",
     [] {
       return Uncompressed(40, 13, 3, 1, {{255, 0, 0}, {0, 0, 255}},
                           [](int x, int y) { return (x + y) & 1; });
     },
     pf1bit},
    {"FourBit",
     [] { return Uncompressed(40, 7, 4, 4, Ramp(16), [](int x, int y) { return (x * 3 + y) % 16; }); },
     pf4bit},
    {"EightBitShortTable",
     [] {
       DibSpec s = Uncompressed(40, 5, 3, 8, Ramp(5), [](int x, int y) { return (x + 2 * y) % 5; });
       s.colors_used = 5;
       return s;
     },
     pf8bit},
    {"EightBitCoreHeader",
     [] { return Uncompressed(12, 6, 2, 8, Ramp(256), [](int x, int y) { return x * 40 + y; }); }, pf8bit},
    {"FourBitCoreHeader",
     [] { return Uncompressed(12, 3, 3, 4, Ramp(16), [](int x, int y) { return x + 5 * y; }); }, pf4bit},
    {"TwentyFourBitBottomUp",
     [] {
       return Uncompressed(40, 5, 3, 24, {},
                           [](int x, int y) { return (x * 50) | (y * 80) << 8 | (x * y * 9) << 16; });
     },
     pf24bit},
    {"TwentyFourBitTopDown",
     [] {
       return Uncompressed(40, 5, -3, 24, {},
                           [](int x, int y) { return (x * 50) | (y * 80) << 8 | 0x400000; });
     },
     pf24bit},
    {"SixteenBit555",
     [] {
       return Uncompressed(40, 3, 3, 16, {},
                           [](int x, int y) { return (x * 7) << 10 | (y * 11) << 5 | (x + y * 9); });
     },
     pf15bit},
    {"SixteenBit565BitFields",
     [] {
       DibSpec s = Uncompressed(40, 3, 2, 16, {},
                                [](int x, int y) { return (x * 9) << 11 | (y * 21 + 3) << 5 | (x * 10); });
       s.compression = BI_BITFIELDS;
       s.masks = {0xF800, 0x07E0, 0x001F};
       return s;
     },
     pf16bit},
    {"SixteenBit555InV4Header",
     [] {
       DibSpec s =
           Uncompressed(108, 2, 2, 16, {}, [](int x, int y) { return 0x7C00 * x | (y * 31) << 5 | 17; });
       s.compression = BI_BITFIELDS;
       s.masks = {0x7C00, 0x03E0, 0x001F, 0};
       return s;
     },
     pf15bit},
    {"ThirtyTwoBit",
     [] {
       return Uncompressed(40, 4, 2, 32, {},
                           [](int x, int y) { return (x * 60) | (y * 100) << 8 | 0x33 << 16; });
     },
     pf32bit},
    {"ThirtyTwoBitSwappedFields",
     [] {
       DibSpec s = Uncompressed(40, 4, 2, 32, {},
                                [](int x, int y) { return (x * 60) | (y * 100) << 8 | 0x99 << 16; });
       s.compression = BI_BITFIELDS;
       s.masks = {0x0000FF, 0x00FF00, 0xFF0000};
       return s;
     },
     pf32bit, false},
    {"ThirtyTwoBitHighFieldsV5",
     [] {
       DibSpec s = Uncompressed(124, 3, -2, 32, {}, [](int x, int y) {
         return static_cast<uint32_t>((x * 70) << 24 | (y * 90) << 16 | 0x55 << 8);
       });
       s.compression = BI_BITFIELDS;
       s.masks = {0xFF000000u, 0x00FF0000, 0x0000FF00, 0};
       return s;
     },
     pf32bit},
    {"EightBitV4Header",
     [] { return Uncompressed(108, 3, 3, 8, Ramp(256), [](int x, int y) { return 200 + x + y; }); }, pf8bit},
    {"Rle8", Rle8NoDeltaCase, pf8bit, false},
    {"Rle4", Rle4Case, pf4bit, false},
};

class BitmapVariant : public ::testing::TestWithParam<VariantCase> {};

TEST_P(BitmapVariant, DecodesAsPillowDoesAndWritesWhatItRead) {
  const VariantCase& c = GetParam();
  const Bytes file = BuildBmp(c.make());
  TBitmap bitmap;
  TMemoryStream in = StreamOf(file);
  bitmap.LoadFromStream(in);
  EXPECT_EQ(bitmap.PixelFormat(), c.format);
  const std::vector<uint32_t> ours = PixelsOf(bitmap);

  // What we write reads back to the same pixels and format.
  TMemoryStream saved;
  bitmap.SaveToStream(saved);
  saved.SetPosition(0);
  TBitmap reread;
  reread.LoadFromStream(saved);
  EXPECT_EQ(reread.PixelFormat(), c.format);
  EXPECT_EQ(PixelsOf(reread), ours);

  if (PillowPython().empty()) GTEST_SKIP() << "Pillow is not installed";
  int32_t w = 0, h = 0;
  const auto expected = PillowPixels(file, w, h);
  if (!c.pillowReads) {
    EXPECT_FALSE(expected.has_value()) << "Pillow reads this variant now: compare with it";
    return;
  }
  ASSERT_TRUE(expected.has_value());
  EXPECT_EQ(bitmap.Width(), w);
  EXPECT_EQ(bitmap.Height(), h);
  EXPECT_EQ(ours, *expected);
  // The file we wrote decodes the same in Pillow as well.
  const auto fromSaved = PillowPixels(Bytes(saved.Bytes().begin(), saved.Bytes().end()), w, h);
  ASSERT_TRUE(fromSaved.has_value());
  EXPECT_EQ(*fromSaved, *expected);
}

INSTANTIATE_TEST_SUITE_P(Variants, BitmapVariant, ::testing::ValuesIn(kVariants),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(BitmapFormat, DecodesRunLengthEscapesAsWorkedOutByHand) {
  TBitmap bitmap;
  TMemoryStream in = StreamOf(BuildBmp(Rle8Case()));
  bitmap.LoadFromStream(in);
  // Top row: a delta skips one pixel, then one blue; middle: an absolute run; bottom: a run.
  const std::vector<uint32_t> expected = {0x000000, 0x0000FF, 0x000000, 0x000000,  //
                                          0x00FF00, 0x0000FF, 0x00FF00, 0x000000,  //
                                          0xFF0000, 0xFF0000, 0xFF0000, 0x000000};
  EXPECT_EQ(PixelsOf(bitmap), expected);

  TBitmap four;
  TMemoryStream in4 = StreamOf(BuildBmp(Rle4Case()));
  four.LoadFromStream(in4);
  const auto ramp = Ramp(16);
  auto rgb = [&](int i) { return static_cast<uint32_t>(ramp[i][0] << 16 | ramp[i][1] << 8 | ramp[i][2]); };
  const std::vector<uint32_t> expected4 = {rgb(3), rgb(4), rgb(5), rgb(0), rgb(0),
                                           rgb(1), rgb(2), rgb(1), rgb(2), rgb(1)};
  EXPECT_EQ(PixelsOf(four), expected4);
}

TEST(BitmapFormat, ReadsSmallTrueColourAndMonochromeFilesAsWorkedOutByHand) {
  // 2 x 2, 24 bits, bottom-up: the first stored row is the bottom one.
  DibSpec s;
  s.width = 2;
  s.height = 2;
  s.bits = 24;
  s.pixels = {0,   0, 255, 0,   255, 0,   0, 0,   // bottom: red, green (+2 bytes padding)
              255, 0, 0,   255, 255, 255, 0, 0};  // top: blue, white
  TBitmap bitmap;
  TMemoryStream in = StreamOf(BuildBmp(s));
  bitmap.LoadFromStream(in);
  EXPECT_EQ(PixelsOf(bitmap), (std::vector<uint32_t>{0x0000FF, 0xFFFFFF, 0xFF0000, 0x00FF00}));

  // 16-bit 5-5-5: channels widen to the full range, truncated (16 -> 131, 31 -> 255).
  DibSpec w;
  w.width = 1;
  w.height = 1;
  w.bits = 16;
  w.pixels = PackRows(1, 1, 16, [](int, int) { return 16u << 10 | 31u << 5 | 1u; });
  TBitmap words;
  TMemoryStream in16 = StreamOf(BuildBmp(w));
  words.LoadFromStream(in16);
  EXPECT_EQ(PixelsOf(words), (std::vector<uint32_t>{131u << 16 | 255u << 8 | 8u}));

  // 32-bit fields in an order of their own: red in the low byte, blue in the third.
  DibSpec f;
  f.width = 1;
  f.height = 1;
  f.bits = 32;
  f.compression = BI_BITFIELDS;
  f.masks = {0x0000FF, 0x00FF00, 0xFF0000};
  f.pixels = PackRows(1, 1, 32, [](int, int) { return 0x00332211u; });
  TBitmap fields;
  TMemoryStream in32 = StreamOf(BuildBmp(f));
  fields.LoadFromStream(in32);
  EXPECT_EQ(PixelsOf(fields), (std::vector<uint32_t>{0x112233}));
}

TEST(BitmapFormat, ReadsPackedDibAndRepairsMissingPixelOffset) {
  const DibSpec s = Uncompressed(40, 3, 2, 8, Ramp(256), [](int x, int y) { return x * 3 + y; });
  TBitmap fromFile;
  TMemoryStream in = StreamOf(BuildBmp(s));
  fromFile.LoadFromStream(in);

  TBitmap fromDib;
  fromDib.LoadFromDIB(BuildDib(s));
  EXPECT_EQ(PixelsOf(fromDib), PixelsOf(fromFile));

  // A file header whose pixel offset is 0 (as some writers leave it): the pixels follow
  // the colour table.
  TBitmap zeroOffset;
  TMemoryStream in0 = StreamOf(BuildBmp(s, 0u));
  zeroOffset.LoadFromStream(in0);
  EXPECT_EQ(PixelsOf(zeroOffset), PixelsOf(fromFile));
}

TEST(BitmapFormat, HonoursPixelOffsetBeyondTheColourTable) {
  DibSpec s = Uncompressed(40, 2, 1, 24, {}, [](int x, int) { return x == 0 ? 0xFF0000u : 0x00FF00u; });
  Bytes gap = {9, 9, 9, 9};  // bytes between the header and the pixels
  s.pixels.insert(s.pixels.begin(), gap.begin(), gap.end());
  const Bytes file = BuildBmp(s, 14 + 40 + 4);
  TBitmap bitmap;
  TMemoryStream in = StreamOf(file);
  bitmap.LoadFromStream(in);
  EXPECT_EQ(PixelsOf(bitmap), (std::vector<uint32_t>{0xFF0000, 0x00FF00}));
}

struct BadCase {
  const char* name;
  std::function<Bytes()> make;
};
/// Names the case in test listings instead of dumping its bytes.
void PrintTo(const BadCase& c, std::ostream* os) {
  *os << c.name;
}

Bytes WithHeaderField(DibSpec s, size_t at, uint32_t value, int widthBytes = 4) {
  Bytes file = BuildBmp(s);
  for (int i = 0; i < widthBytes; ++i)
    file[14 + at + static_cast<size_t>(i)] = static_cast<uint8_t>(value >> (8 * i));
  return file;
}

DibSpec Small24() {
  return Uncompressed(40, 4, 4, 24, {}, [](int x, int y) { return static_cast<uint32_t>(x * 40 + y); });
}

const BadCase kBadFiles[] = {
    {"Empty", [] { return Bytes{}; }},
    {"SignatureOnly",
     [] {
       return Bytes{'B', 'M'};
     }},
    {"NotABitmap", [] { return Bytes{'G', 'I', 'F', '8', '9', 'a', 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0}; }},
    {"HeaderSizeZero", [] { return WithHeaderField(Small24(), 0, 0); }},
    {"HeaderLargerThanFile", [] { return WithHeaderField(Small24(), 0, 100000); }},
    {"TwoPlanes", [] { return WithHeaderField(Small24(), 12, 2, 2); }},
    {"SevenBitsPerPixel", [] { return WithHeaderField(Small24(), 14, 7, 2); }},
    {"UnknownCompression", [] { return WithHeaderField(Small24(), 16, 9); }},
    {"JpegCompression", [] { return WithHeaderField(Small24(), 16, 4); }},
    {"NegativeWidth", [] { return WithHeaderField(Small24(), 4, static_cast<uint32_t>(-4)); }},
    {"WidthAboveLimit", [] { return WithHeaderField(Small24(), 4, (1u << 20) + 1); }},
    {"MostNegativeHeight", [] { return WithHeaderField(Small24(), 8, 0x80000000u); }},
    {"TooManyPixels",
     [] {
       Bytes f = WithHeaderField(Small24(), 4, 10000);
       for (int i = 0; i < 4; ++i)
         f[14 + 8 + static_cast<size_t>(i)] = static_cast<uint8_t>(10001u >> (8 * i));
       return f;
     }},
    {"HugeDimensionsWouldOverflow",
     [] {
       Bytes f = WithHeaderField(Small24(), 4, 0x7FFFFFFF);
       for (int i = 0; i < 4; ++i) f[14 + 8 + static_cast<size_t>(i)] = 0x7F;
       return f;
     }},
    {"TruncatedPixels",
     [] {
       Bytes f = BuildBmp(Small24());
       f.erase(f.end() - 20, f.end());
       return f;
     }},
    {"ColourTableBeyondEnd",
     [] {
       DibSpec s = Uncompressed(40, 2, 2, 8, {}, [](int, int) { return 0u; });
       s.pixels.clear();
       return BuildBmp(s);
     }},
    {"RleOnTwentyFourBits", [] { return WithHeaderField(Small24(), 16, BI_RLE8); }},
    {"TopDownRle",
     [] {
       DibSpec s = Rle8Case();
       s.height = -3;
       return BuildBmp(s);
     }},
    {"RleAbsoluteRunPastEnd",
     [] {
       DibSpec s = Rle8Case();
       s.pixels = {0, 200, 1, 2, 3};
       return BuildBmp(s);
     }},
    {"BitFieldsOnEightBits",
     [] {
       return WithHeaderField(Uncompressed(40, 2, 2, 8, Ramp(256), [](int, int) { return 0u; }), 16,
                              BI_BITFIELDS);
     }},
};

class BadBitmap : public ::testing::TestWithParam<BadCase> {};

TEST_P(BadBitmap, RaisesInvalidGraphic) {
  TBitmap bitmap;
  TMemoryStream in = StreamOf(GetParam().make());
  EXPECT_THROW(bitmap.LoadFromStream(in), EInvalidGraphic);
}

INSTANTIATE_TEST_SUITE_P(Files, BadBitmap, ::testing::ValuesIn(kBadFiles),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(BitmapFormat, EveryTruncationAndRandomDamageEitherLoadsOrRaises) {
  // Passes by not crashing: each damaged file either loads or raises EInvalidGraphic.
  const Bytes files[] = {BuildBmp(Small24()), BuildBmp(Rle8Case()), BuildBmp(Rle4Case()),
                         BuildBmp(Uncompressed(12, 3, 3, 4, Ramp(16), [](int x, int y) { return x + y; }))};
  std::mt19937 random(12345);
  for (const Bytes& file : files) {
    for (size_t n = 0; n < file.size(); ++n) {
      TBitmap bitmap;
      TMemoryStream in = StreamOf(Bytes(file.begin(), file.begin() + static_cast<long>(n)));
      try {
        bitmap.LoadFromStream(in);
      } catch (const EInvalidGraphic&) {
      }
    }
    for (int round = 0; round < 300; ++round) {
      Bytes damaged = file;
      for (int k = 0; k < 3; ++k) damaged[random() % damaged.size()] = static_cast<uint8_t>(random());
      TBitmap bitmap;
      TMemoryStream in = StreamOf(damaged);
      try {
        bitmap.LoadFromStream(in);
        PixelsOf(bitmap);
      } catch (const EInvalidGraphic&) {
      }
    }
  }
}

TEST(BitmapFormat, ComponentDataCarriesItsSize) {
  TBitmap bitmap;
  FillBitmap(bitmap, 3, 2, [](int x, int y) {
    return RGBColor(static_cast<uint8_t>(x * 80), static_cast<uint8_t>(y * 90), 7);
  });
  TMemoryStream data;
  bitmap.WriteData(data);
  data.WriteBuffer("tail");
  data.SetPosition(0);
  TBitmap copy;
  copy.ReadData(data);
  EXPECT_EQ(PixelsOf(copy), PixelsOf(bitmap));
  char tail[4];
  data.ReadBuffer(tail, 4);  // the data stops where its size says
  EXPECT_EQ(std::string(tail, 4), "tail");

  TMemoryStream bad;
  const int32_t size = 1 << 30;
  bad.WriteBuffer(&size, 4);
  bad.SetPosition(0);
  EXPECT_THROW(copy.ReadData(bad), EInvalidGraphic);
}

}  // namespace
