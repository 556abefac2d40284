// The pixel encoders on their own: exact bytes of a tiny frame, colour checks, the hash table, and LZW
// and run-length output decoded back by the program's own decoder (LZW also against giflib's encoder).
#include <gtest/gtest.h>

#include <ostream>
#include <random>
#ifdef ZUK_HAVE_GIFLIB
#include <gif_lib.h>
#endif

#include "GIFTestSupport.h"
#include "gif/GIFDecoder.h"
#include "gif/GIFEncoder.h"

using namespace giftest;

namespace {

Bytes Encode(int compression, int bits, int colors, const Bytes& pixels, int width, int height,
             bool interlace = false) {
  TMemoryStream stream;
  EncodeGIFPixels(stream, compression, bits, colors, pixels.data(), interlace, height, width, nullptr);
  return Bytes(stream.Bytes().begin(), stream.Bytes().end());
}

Bytes Decode(const Bytes& data, int width, int height, bool interlace, std::vector<std::string>* warnings) {
  TMemoryStream stream(std::string_view(reinterpret_cast<const char*>(data.data()), data.size()));
  Bytes pixels(static_cast<size_t>(width) * static_cast<size_t>(height), 0xEE);
  DecodeGIFPixels(stream, pixels, width, height, interlace,
                  [warnings](const std::string& m) { warnings->push_back(m); });
  EXPECT_EQ(stream.Position(), stream.Size()) << "the data's terminator was not where it belongs";
  return pixels;
}

Bytes Pattern(int width, int height, int colors, unsigned seed, int run_chance) {
  std::mt19937 rng(seed);
  Bytes pixels(static_cast<size_t>(width) * static_cast<size_t>(height));
  uint8_t current = 0;
  for (auto& p : pixels) {
    if (run_chance <= 1 || rng() % static_cast<unsigned>(run_chance) == 0)
      current = static_cast<uint8_t>(rng() % static_cast<unsigned>(colors));
    p = current;
  }
  return pixels;
}

/// The sub-block lengths of encoded data (after the code size byte); each must be 1..255.
std::vector<int> SubBlockSizes(const Bytes& data) {
  std::vector<int> sizes;
  size_t i = 1;
  while (i < data.size() && data[i] != 0) {
    sizes.push_back(data[i]);
    i += data[i] + 1u;
  }
  return sizes;
}

TEST(GIFEncodePixels, OnePixelFrameIsClearPixelEnd) {
  for (int compression : {0, 1}) {
    const Bytes out = Encode(compression, 1, 2, {0}, 1, 1);
    // Code size 2 (1 is raised to 2); clear 4, pixel 0, end 5 in 3-bit codes.
    EXPECT_EQ(out, (Bytes{2, 2, 0x44, 0x01, 0})) << "compression " << compression;
  }
}

TEST(GIFEncodePixels, PixelAtColourCountIsRefused) {
  for (int compression : {0, 1}) {
    try {
      Encode(compression, 2, 3, {0, 1, 3, 2}, 2, 2);
      ADD_FAILURE() << "no error";
    } catch (const GIFException& e) {
      EXPECT_STREQ(e.what(), "Color not in color table");
    }
  }
}

TEST(GIFEncodePixels, EmptyFrameWritesOnlyTheEndCode) {
  const Bytes out = Encode(0, 8, 256, {}, 0, 0);
  EXPECT_EQ(out, (Bytes{8, 2, 0x01, 0x01, 0}));  // code 257 in 9 bits
}

TEST(GIFEncodePixels, WriterCannotBeReadOrSought) {
  TMemoryStream target;
  TGIFWriter writer(target);
  char byte = 0;
  EXPECT_THROW(writer.Read(&byte, 1), Exception);
  EXPECT_THROW(writer.Seek(0, soBeginning), Exception);
  const Bytes data(600, 7);
  writer.Write(data.data(), 600);
  writer.Flush();
  // 255 + 255 + 90 data bytes, each block with its length byte in front.
  EXPECT_EQ(target.Size(), 603);
  EXPECT_EQ(target.Bytes()[0], 255);
  EXPECT_EQ(target.Bytes()[256], 255);
  EXPECT_EQ(target.Bytes()[512], 90);
}

TEST(GIFEncodePixels, HashTableProbeReachesEverySlot) {
  // Filling every slot only works when the probe sequence visits all of them (keys are
  // 20 bits: prefix code x 256 + pixel).
  THashTable table;
  for (uint32_t key = 0; key < THashTable::kSize; ++key)
    table.Insert(key * 97u, static_cast<int>(key & 0xFFF));
  for (uint32_t key = 0; key < THashTable::kSize; ++key)
    ASSERT_EQ(table.Lookup(key * 97u), static_cast<int>(key & 0xFFF)) << key;
  EXPECT_EQ(table.Lookup(5), -1);  // absent key in a full table: the search still ends
  EXPECT_THROW(table.Insert(5, 1), GIFException);
  table.Clear();
  EXPECT_EQ(table.Lookup(0), -1);
}

struct EncodeCase {
  const char* name;
  int width, height, colors, run_chance;
  bool interlace;
};
/// Names the case in test listings instead of dumping its bytes.
void PrintTo(const EncodeCase& c, std::ostream* os) {
  *os << c.name;
}

const EncodeCase kCases[] = {
    {"TwoColours", 13, 7, 2, 1, false},
    {"ThreeColoursPaddedTo2Bits", 40, 40, 3, 3, false},
    {"SixteenColours", 64, 50, 16, 1, false},
    {"InterlacedOddHeight", 11, 19, 4, 2, true},
    {"InterlacedOneRowsPerPass", 5, 3, 4, 1, true},
    {"SingleColumn", 1, 300, 8, 4, false},
    {"LongRuns", 300, 200, 4, 40, false},
    {"NoiseResetsTable", 160, 160, 256, 1, false},
    {"NoiseInterlaced", 97, 131, 256, 1, true},
    {"EightBitRuns", 301, 97, 256, 9, false},
    {"FourBitNoise", 250, 250, 16, 1, false},
};

#ifdef ZUK_HAVE_GIFLIB
int AppendTo(GifFileType* gif, const GifByteType* bytes, int count) {
  auto* out = static_cast<Bytes*>(gif->UserData);
  out->insert(out->end(), bytes, bytes + count);
  return count;
}

/// giflib's image data for the stored pixels on a table of 2^bits colours: the bytes after the
/// header, the table and the image descriptor, without the trailer.
Bytes GiflibImageData(Bytes stored, int bits, int width, int height) {
  Bytes file;
  int error = 0;
  GifFileType* gif = EGifOpen(&file, AppendTo, &error);
  std::vector<GifColorType> colours(size_t{1} << bits, GifColorType{0, 0, 0});
  ColorMapObject* map = GifMakeMapObject(1 << bits, colours.data());
  EGifPutScreenDesc(gif, width, height, bits, 0, map);
  EGifPutImageDesc(gif, 0, 0, width, height, false, nullptr);
  EGifPutLine(gif, stored.data(), static_cast<int>(stored.size()));
  EGifCloseFile(gif, &error);
  GifFreeMapObject(map);
  return Bytes(file.begin() + 13 + 3 * (1 << bits) + 10, file.end() - 1);
}
#endif

class GIFEncodeRoundTrip : public ::testing::TestWithParam<std::tuple<EncodeCase, int>> {};

TEST_P(GIFEncodeRoundTrip, DecoderGivesBackThePixels) {
  const auto& [c, compression] = GetParam();
  const Bytes pixels = Pattern(c.width, c.height, c.colors, 11, c.run_chance);
  const int bits = BitsPerPixel(c.colors);
  const Bytes out = Encode(compression, bits, c.colors, pixels, c.width, c.height, c.interlace);
  EXPECT_EQ(out.front(), std::max(2, bits));
  for (int size : SubBlockSizes(out)) EXPECT_TRUE(size >= 1 && size <= 255);
  std::vector<std::string> warnings;
  const Bytes back = Decode(out, c.width, c.height, c.interlace, &warnings);
  EXPECT_EQ(back, pixels);
  EXPECT_TRUE(warnings.empty()) << warnings.front();
  if (compression == 1) return;
#ifdef ZUK_HAVE_GIFLIB  // and LZW writes what giflib's encoder writes
  EXPECT_TRUE(out == GiflibImageData(c.interlace ? Interlace(pixels, c.width, c.height) : pixels, bits,
                                     c.width, c.height));
#else
  GTEST_SKIP() << "giflib (libgif-dev) is not installed: the LZW bytes are not compared with its own";
#endif
}

INSTANTIATE_TEST_SUITE_P(Cases, GIFEncodeRoundTrip,
                         ::testing::Combine(::testing::ValuesIn(kCases), ::testing::Values(0, 1)),
                         [](const auto& info) {
                           return std::string(std::get<0>(info.param).name) +
                                  (std::get<1>(info.param) == 1 ? "_RunLength" : "_LZW");
                         });

TEST(GIFEncodePixels, LzwUsesTwelveBitCodesAndClearsTheTable) {
  // Noise in 256 colours: about one code per pixel. More than 4096 codes in the data
  // means the table was cleared on the way, since the codes never grow past 12 bits.
  const Bytes pixels = Pattern(120, 120, 256, 3, 1);
  const Bytes out = Encode(0, 8, 256, pixels, 120, 120);
  size_t data_bytes = 0;
  for (int size : SubBlockSizes(out)) data_bytes += static_cast<size_t>(size);
  EXPECT_GT(data_bytes * 8 / 12, 4096u);
  std::vector<std::string> warnings;
  EXPECT_EQ(Decode(out, 120, 120, false, &warnings), pixels);
}

TEST(GIFEncodePixels, EveryStartingCodeWidthRoundTrips) {
  // Each colour depth from 1 to 8 bits, with enough noise to grow to 12-bit codes.
  for (int bits = 1; bits <= 8; ++bits) {
    const int colors = 1 << bits;
    const Bytes pixels = Pattern(200, 100, colors, static_cast<unsigned>(bits), 1);
    for (int compression : {0, 1}) {
      std::vector<std::string> warnings;
      const Bytes out = Encode(compression, bits, colors, pixels, 200, 100);
      EXPECT_EQ(Decode(out, 200, 100, false, &warnings), pixels)
          << bits << " bits, compression " << compression;
    }
  }
}

TEST(GIFEncodePixels, RunLengthOfTenThousandEqualPixels) {
  const Bytes pixels(10000, 1);
  const Bytes out = Encode(1, 2, 4, pixels, 100, 100);
  std::vector<std::string> warnings;
  EXPECT_EQ(Decode(out, 100, 100, false, &warnings), pixels);
  EXPECT_LT(out.size(), 2000u);  // runs are written as growing table strings, not pixel by pixel
}

}  // namespace
