// Truncated and malformed GIF files: each loads what it can or raises a GIF error; none
// crashes, reads past its data or allocates without bound.
#include <gtest/gtest.h>

#include <ostream>
#include <random>
#include <utility>

#include "GIFTestSupport.h"

using namespace giftest;

namespace {

Bytes RichFile() {
  GifBuilder b;
  b.Header("89a", 12, 10, Palette4());
  b.Extension(0xFE, {}, Bytes{'c', 'o', 'm'});
  Bytes app = {11, 'N', 'E', 'T', 'S', 'C', 'A', 'P', 'E', '2', '.', '0'};
  b.Extension(0xFF, app, Bytes{1, 0, 0});
  b.GraphicControl(2, true, 3, 5);
  Bytes pixels(120);
  for (size_t i = 0; i < pixels.size(); ++i) pixels[i] = static_cast<uint8_t>((i * 7 / 3) % 4);
  b.Frame(FrameSpec{0, 0, 12, 10, pixels, {}, true, 2});
  b.Extension(0x01, {12, 0, 0, 0, 0, 4, 0, 4, 0, 1, 1, 0, 1}, Bytes{'t'});
  FrameSpec local{2, 3, 5, 4, Bytes(20, 1), {{1, 2, 3}, {4, 5, 6}}, false, 2};
  b.Frame(local).Trailer();
  return b.bytes;
}

/// Loads the bytes; true when they loaded, false for a GIF error. Anything else fails.
bool LoadsOrRefuses(const Bytes& bytes) {
  TGIFImage image;
  TMemoryStream stream(std::string_view(reinterpret_cast<const char*>(bytes.data()), bytes.size()));
  try {
    image.LoadFromStream(stream);
  } catch (const GIFException&) {
    EXPECT_EQ(stream.Position(), 0);
    return false;
  }
  for (int i = 0; i < image.Count(); ++i) {
    TGIFSubImage& frame = image.Images(i);
    if (!frame.Empty()) {
      EXPECT_EQ(FramePixels(frame).size(), static_cast<size_t>(frame.Width()) * frame.Height());
      EXPECT_NE(frame.Bitmap(), nullptr);
    }
  }
  return true;
}

TEST(GIFRobustness, TruncationAtEveryOffsetLoadsOrRaises) {
  // Passes by not crashing (and by some prefixes loading): each prefix loads or raises a GIF error.
  const Bytes full = RichFile();
  ASSERT_TRUE(LoadsOrRefuses(full));
  int loaded = 0;
  for (size_t n = 0; n < full.size(); ++n) loaded += LoadsOrRefuses(Bytes(full.begin(), full.begin() + n));
  EXPECT_GT(loaded, 0);
}

TEST(GIFRobustness, EveryByteChangedLoadsOrRaises) {
  // Passes by not crashing: each changed file loads whole frames or raises a GIF error.
  const Bytes full = RichFile();
  for (size_t i = 0; i < full.size(); ++i)
    for (uint8_t value :
         {uint8_t{0x00}, uint8_t{0xFF}, uint8_t{0x2C}, uint8_t{0x21}, uint8_t(full[i] ^ 0x55)}) {
      Bytes bytes = full;
      bytes[i] = value;
      LoadsOrRefuses(bytes);
    }
}

TEST(GIFRobustness, RandomDataAfterTheHeaderLoadsOrRaises) {
  // Passes by not crashing: each file loads whole frames or raises a GIF error.
  std::mt19937 rng(11);
  for (int round = 0; round < 300; ++round) {
    GifBuilder b;
    b.Header("89a", 16, 16, Palette4());
    const int n = static_cast<int>(rng() % 200);
    for (int i = 0; i < n; ++i) b.bytes.push_back(static_cast<uint8_t>(rng()));
    LoadsOrRefuses(b.bytes);
  }
}

struct MalformedCase {
  const char* name;
  Bytes after_header;  // after a 4x4 header with a 4-colour global table
  const char* error;   // nullptr when the file loads
};
/// Names the case in test listings instead of dumping its bytes.
void PrintTo(const MalformedCase& c, std::ostream* os) {
  *os << c.name;
}

const MalformedCase kMalformedCases[] = {
    {"MinimumCodeSizeZero",
     {0x2C, 0, 0, 0, 0, 1, 0, 1, 0, 0, 0, 1, 0x00, 0, 0x3B},
     "Invalid minimum code size"},
    {"MinimumCodeSizeTwelve",
     {0x2C, 0, 0, 0, 0, 1, 0, 1, 0, 0, 12, 1, 0x00, 0, 0x3B},
     "Invalid minimum code size"},
    // Clear code, then code 6, which is not in the table yet: decoded on (see DamagedCodes).
    {"UndefinedCodeAfterClear", {0x2C, 0, 0, 0, 0, 2, 0, 1, 0, 0, 2, 1, 0x34, 0, 0x3B}, nullptr},
    // Clear code, 1, then 7 (above the next free code 6): decoded on.
    {"CodeBeyondTheTable", {0x2C, 0, 0, 0, 0, 3, 0, 1, 0, 0, 2, 2, 0xCC, 0x01, 0, 0x3B}, nullptr},
    // Clear, 1, 7, 6, 7: the damage makes entry 7 its own prefix, and walking it is refused.
    {"EntryThatIsItsOwnPrefix",
     {0x2C, 0, 0, 0, 0, 9, 0, 1, 0, 0, 2, 2, 0xCC, 0x7D, 0, 0x3B},
     "Circular decoder table entry"},
    {"FrameTooLarge", {0x2C, 0, 0, 0, 0, 0xFF, 0xFF, 0xFF, 0xFF, 0, 2, 0, 0x3B}, "Image is too large"},
    {"FrameOverAHundredMillionPixels",
     {0x2C, 0, 0, 0, 0, 0x00, 0x40, 0x00, 0x40, 0, 2, 0, 0x3B},
     "Image is too large"},
    {"ApplicationBlockTooShort",
     {0x21, 0xFF, 3, 'a', 'b', 'c', 0, 0x3B},
     "Unsupported Application Extension block size"},
    {"LocalTableCut", {0x2C, 0, 0, 0, 0, 1, 0, 1, 0, 0x87, 1, 2}, "Premature end of data"},
    // Clear code then the end code: a frame of fill pixels.
    {"EndCodeRightAfterClear", {0x2C, 0, 0, 0, 0, 1, 0, 1, 0, 0, 2, 1, 0x2C, 0, 0x3B}, nullptr},
    {"SubBlockLongerThanTheFile", {0x2C, 0, 0, 0, 0, 1, 0, 1, 0, 0, 2, 200, 0x0C}, nullptr},
    {"ExtensionThenStrayByte", {0x21, 0xFE, 1, 'x', 0, 0x42}, nullptr},
    {"GraphicControlCut", {0x21, 0xF9, 4, 1}, nullptr},
    {"LabelMissing", {0x21}, nullptr},
};

class MalformedTest : public ::testing::TestWithParam<MalformedCase> {};

TEST_P(MalformedTest, ReportsOrLoads) {
  const MalformedCase& c = GetParam();
  GifBuilder b;
  b.Header("89a", 4, 4, Palette4());
  b.bytes.insert(b.bytes.end(), c.after_header.begin(), c.after_header.end());
  TGIFImage image;
  TMemoryStream stream(std::string_view(reinterpret_cast<const char*>(b.bytes.data()), b.bytes.size()));
  if (c.error) {
    try {
      image.LoadFromStream(stream);
      ADD_FAILURE() << "loaded";
    } catch (const GIFException& e) {
      EXPECT_STREQ(e.what(), c.error);
    }
  } else {
    EXPECT_NO_THROW(image.LoadFromStream(stream));
  }
}

INSTANTIATE_TEST_SUITE_P(Files, MalformedTest, ::testing::ValuesIn(kMalformedCases),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(GIFRobustness, ErrorKeepsEarlierFramesAndRewindsTheStream) {
  GifBuilder b;
  b.Header("87a", 2, 2, Palette4()).Frame(FrameSpec{0, 0, 2, 2, Bytes(4, 1), {}, false, 2});
  b.bytes.insert(b.bytes.end(), {0x2C, 0, 0, 0, 0, 1, 0, 1, 0, 0, 0});  // code size 0
  std::string data(b.bytes.begin(), b.bytes.end());
  TMemoryStream stream("xx" + data);
  stream.SetPosition(2);
  TGIFImage image;
  EXPECT_THROW(image.LoadFromStream(stream), GIFException);
  EXPECT_EQ(stream.Position(), 2);
  EXPECT_EQ(image.Count(), 1);
}

TEST(GIFRobustness, FileEndingAfterTheHeaderIsAnEmptyImage) {
  GifBuilder b;
  b.Header("87a", 7, 3, Palette4());
  Loaded loaded(b.bytes);
  EXPECT_TRUE(loaded.image.Empty());
  EXPECT_EQ(loaded.image.Width(), 7);
  EXPECT_TRUE(loaded.warnings.empty());
}

}  // namespace

namespace {

TEST(GIFRobustness, ManyHugeEmptyFramesInASmallFileAreRefused) {
  // Each descriptor claims 9000 x 9000 pixels with no data; a file of a few dozen bytes may
  // not make the frames hold more pixels than one frame of the largest size.
  GifBuilder b;
  b.Header("87a", 9000, 9000, Palette4());
  for (int i = 0; i < 3; ++i)
    b.bytes.insert(b.bytes.end(), {0x2C, 0, 0, 0, 0, 0x28, 0x23, 0x28, 0x23, 0, 2, 0});
  b.Trailer();
  TGIFImage image;
  TMemoryStream stream(std::string_view(reinterpret_cast<const char*>(b.bytes.data()), b.bytes.size()));
  try {
    image.LoadFromStream(stream);
    ADD_FAILURE() << "loaded";
  } catch (const GIFException& e) {
    EXPECT_STREQ(e.what(), "Image is too large");
  }
  EXPECT_EQ(image.Count(), 1);
}

// Damaged codes decode on: a code beyond the next free one stands for the next free one, a first code after a
// clear that is no literal is a pixel of its own value, an undefined code reads as prefix 0 and suffix 0, and
// an end code right after a clear ends the frame. Pillow decodes the same pixels up to the damage.
struct DamagedCase {
  const char* name;
  int minCodeSize;
  std::vector<std::pair<int, int>> codes;  // (code, width in bits), from the first clear code
  Bytes pixels;                            // the whole frame, one row
  size_t beforeDamage;                     // pixels decoded before the damaged code
};

// clang-format off
const DamagedCase kDamagedCases[] = {
    {"LiteralAboveTheClearCodeAfterClear", 2, {{4, 3}, {6, 3}}, {6, 0}, 0},
    {"EndCodeRightAfterClear", 2, {{4, 3}, {5, 3}, {1, 3}, {2, 3}}, {0, 0, 0}, 0},
    {"CodeBeyondTheNextFree", 2, {{4, 3}, {1, 3}, {7, 3}, {5, 3}}, {1, 1, 1}, 1},
    // 14 is undefined when 11 = (14, 2) is walked: it reads as the string 0, 0.
    {"StringThroughAnUndefinedCode", 3, {{8, 4}, {1, 4}, {14, 4}, {2, 4}, {11, 4}, {9, 4}},
     {1, 1, 1, 2, 0, 0, 2}, 1},
    // The same after a first table that defined 14: the clear code forgets it.
    {"UndefinedCodeAfterAnEarlierTable", 3,
     {{8, 4}, {3, 4}, {3, 4}, {3, 4}, {3, 4}, {3, 4}, {3, 4}, {3, 4},
      {8, 5}, {1, 4}, {14, 4}, {2, 4}, {11, 4}, {9, 4}},
     {3, 3, 3, 3, 3, 3, 3, 1, 1, 1, 2, 0, 0, 2}, 8},
};
// clang-format on

class DamagedCodesTest : public ::testing::TestWithParam<DamagedCase> {};

TEST_P(DamagedCodesTest, DecodeOn) {
  const DamagedCase& c = GetParam();
  BitWriter codes;
  for (const auto& [code, bits] : c.codes) codes.Put(code, bits);
  const auto width = static_cast<uint8_t>(c.pixels.size());
  GifBuilder b;
  b.Header("89a", width, 1, Palette4());
  b.bytes.insert(b.bytes.end(), {0x2C, 0, 0, 0, 0, width, 0, 1, 0, 0, static_cast<uint8_t>(c.minCodeSize)});
  const Bytes blocks = SubBlocks(codes.Finish());
  b.bytes.insert(b.bytes.end(), blocks.begin(), blocks.end());
  Loaded loaded(b.Trailer().bytes);
  ASSERT_EQ(loaded.image.Count(), 1);
  EXPECT_EQ(FramePixels(loaded.image.Images(0)), c.pixels);
  if (!HavePillow()) GTEST_SKIP() << "Pillow (python3-pil) is not installed";
  const Bytes pillow = PillowIndices(b.bytes, true).value_or(Bytes());
  ASSERT_EQ(pillow.size(), c.pixels.size()) << "Pillow could not read the file";
  EXPECT_EQ(Bytes(pillow.begin(), pillow.begin() + static_cast<long>(c.beforeDamage)),
            Bytes(c.pixels.begin(), c.pixels.begin() + static_cast<long>(c.beforeDamage)));
}

INSTANTIATE_TEST_SUITE_P(Files, DamagedCodesTest, ::testing::ValuesIn(kDamagedCases),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
