// The palettes of GIF images and frames: which source an image's palette comes from, palettes
// set on a frame or an image and how they colour the drawing, and a frame given to a bitmap.
#include <gtest/gtest.h>

#include <functional>
#include <ostream>

#include "GIFTestSupport.h"
#include "platform/core/Exceptions.h"
#include "platform/graphics/Canvas.h"

using namespace giftest;

namespace {

using Colours = std::vector<uint32_t>;  // 0xRRGGBB, flags left out

Colours RGBOf(const std::vector<TPaletteEntry>& palette, size_t count) {
  Colours out;
  for (size_t i = 0; i < std::min(count, palette.size()); ++i)
    out.push_back((uint32_t{palette[i].peRed} << 16) | (palette[i].peGreen << 8) | palette[i].peBlue);
  return out;
}

TPaletteEntry Entry(uint32_t rgb) {
  return TPaletteEntry{static_cast<uint8_t>(rgb >> 16), static_cast<uint8_t>(rgb >> 8),
                       static_cast<uint8_t>(rgb), 0};
}

const std::vector<TPaletteEntry> kBlackWhite = {Entry(0x000000), Entry(0xFFFFFF)};
const std::vector<RGB> kLocal = {{1, 2, 3}, {4, 5, 6}};

struct SourceCase {
  const char* name;
  std::vector<RGB> global;
  std::vector<RGB> firstLocal, secondLocal;
  std::function<void(TGIFImage&)> prepare;
  Colours expected;  // the first entries of the answer
  size_t size;       // the answer's full size
  const char* error;
};
void PrintTo(const SourceCase& c, std::ostream* os) {
  *os << c.name;
}

const SourceCase kSourceCases[] = {
    {"GlobalTable", Palette4(), {}, kLocal, nullptr, {0xFF0000, 0x00FF00, 0x0000FF, 0xFFFFFF}, 4, nullptr},
    {"FirstFramesOwnTable", {}, kLocal, {}, nullptr, {0x010203, 0x040506}, 2, nullptr},
    {"GlobalBeforeTheFirstFrame", Palette4(), kLocal, {}, nullptr, {0xFF0000}, 4, nullptr},
    {"WebPaletteBeforeTheGlobal",
     Palette4(),
     {},
     {},
     [](TGIFImage& image) { image.DrawOptions = doDitherToWebPalette; },
     {0x000000, 0x000033},
     216,
     nullptr},
    {"PaletteSetOnTheImageFirst",
     Palette4(),
     {},
     {},
     [](TGIFImage& image) {
       image.DrawOptions = doDitherToWebPalette;
       image.SetPalette(kBlackWhite);
     },
     {0x000000, 0xFFFFFF},
     2,
     nullptr},
    // The rendering holds the grey ramp such a file is drawn with.
    {"RenderingBeforeAll",
     {},
     {},
     {},
     [](TGIFImage& image) {
       TBitmap bitmap;
       bitmap.Assign(&image);
     },
     {0x000000, 0x555555, 0xAAAAAA, 0xFFFFFF},
     256,
     nullptr},
    // Only the first frame is asked; without a table it asks the image again.
    {"OnlyALaterFrameHasATable", {}, {}, kLocal, nullptr, {}, 0, "No global or local color table defined"},
    {"NoFrames", {}, {}, {}, [](TGIFImage& image) { image.Clear(); }, {}, 0, nullptr},
};

class GIFImagePalette : public ::testing::TestWithParam<SourceCase> {};

TEST_P(GIFImagePalette, ComesFromTheFirstSourceThatHasOne) {
  const SourceCase& c = GetParam();
  GifBuilder b;
  b.Header("87a", 4, 1, c.global).Frame(FrameSpec{0, 0, 4, 1, {0, 1, 2, 3}, c.firstLocal, false, 2});
  b.Frame(FrameSpec{0, 0, 1, 1, {1}, c.secondLocal, false, 2}).Trailer();
  Loaded loaded(b.bytes);
  if (c.prepare) c.prepare(loaded.image);
  try {
    const std::vector<TPaletteEntry> palette = loaded.image.GetPalette();
    EXPECT_EQ(c.error, nullptr);
    EXPECT_EQ(RGBOf(palette, c.expected.size()), c.expected);
    EXPECT_EQ(palette.size(), c.size);
    // An answer leaves nothing behind: the question can be asked again.
    EXPECT_EQ(loaded.image.GetPalette(), palette);
  } catch (const GIFException& e) {
    ASSERT_NE(c.error, nullptr) << e.what();
    EXPECT_STREQ(e.what(), c.error);
  }
}

INSTANTIATE_TEST_SUITE_P(Sources, GIFImagePalette, ::testing::ValuesIn(kSourceCases),
                         [](const auto& info) { return std::string(info.param.name); });

class GIFSetPalette : public ::testing::Test {
 protected:
  /// Two frames of two pixels (0 and 1): the first on the global table, the second on a
  /// table of its own.
  GIFSetPalette() : loaded(Build()) {
    loaded.image.OnChange = [this](TGraphic&) { ++changes; };
  }
  static Bytes Build() {
    GifBuilder b;
    b.Header("87a", 2, 2, Palette4()).Frame(FrameSpec{0, 0, 2, 1, {0, 1}, {}, false, 2});
    b.Frame(FrameSpec{0, 1, 2, 1, {0, 1}, {{0, 0, 255}, {255, 255, 255}}, false, 2});
    return b.Trailer().bytes;
  }
  /// The colours frame `index` is drawn with.
  std::pair<TColor, TColor> Drawn(int index) {
    TBitmap target;
    target.SetPixelFormat(pf24bit);
    target.SetSize(2, 2);
    loaded.image.Images(index).Draw(target.Canvas(), Rect(0, 0, 2, 2), TSize{2, 2}, false, false);
    const int y = loaded.image.Images(index).Top();
    return {target.Canvas().Pixel(0, y), target.Canvas().Pixel(1, y)};
  }
  Loaded loaded;
  int changes = 0;
};

constexpr TColor kRed = 0x0000FF, kGreen = 0x00FF00, kBlue = 0xFF0000, kWhite = 0xFFFFFF, kBlack = 0;

TEST_F(GIFSetPalette, OnAFrameRecoloursItUntilItsTableChanges) {
  TGIFSubImage& frame = loaded.image.Images(0);
  ASSERT_NE(frame.Bitmap(), nullptr);
  frame.SetPalette(kBlackWhite);
  EXPECT_EQ(changes, 1);
  EXPECT_EQ(RGBOf(frame.Palette(), 3), (Colours{0x000000, 0xFFFFFF}));
  EXPECT_EQ(Drawn(0), std::make_pair(kBlack, kWhite));
  EXPECT_EQ(RGBOf(frame.Bitmap()->GetPalette(), 2), (Colours{0x000000, 0xFFFFFF}));
  frame.SetPalette(kBlackWhite);  // the same again: nothing to do
  EXPECT_EQ(changes, 1);
  EXPECT_EQ(Drawn(1), std::make_pair(kBlue, kWhite));  // the other frame keeps its colours

  frame.SetPalette({});
  EXPECT_EQ(Drawn(0), std::make_pair(kRed, kGreen));
  // A change of the frame's own table replaces a palette set on it.
  frame.SetPalette(kBlackWhite);
  frame.ColorMap().Add(MakeColor(0x00FFFF));
  EXPECT_EQ(Drawn(0), std::make_pair(MakeColor(0x00FFFF), kBlack));
}

TEST_F(GIFSetPalette, OnTheImageRecoloursFramesWithoutATableOfTheirOwn) {
  loaded.image.SetPalette(kBlackWhite);
  EXPECT_EQ(changes, 1);
  EXPECT_EQ(Drawn(0), std::make_pair(kBlack, kWhite));
  EXPECT_EQ(Drawn(1), std::make_pair(kBlue, kWhite));
  TBitmap whole;
  whole.Assign(&loaded.image);
  whole.SetPixelFormat(pf24bit);
  EXPECT_EQ(whole.Canvas().Pixel(0, 0), kBlack);
  // A change of the global table replaces it.
  loaded.image.Header().ColorMap().Delete(3);
  EXPECT_EQ(Drawn(0), std::make_pair(kRed, kGreen));
  EXPECT_EQ(RGBOf(loaded.image.GetPalette(), 4), (Colours{0xFF0000, 0x00FF00, 0x0000FF}));
}

TEST_F(GIFSetPalette, AFrameGivenToABitmapBecomesItsRendering) {
  TBitmap bitmap;
  bitmap.Assign(&loaded.image.Images(1));
  ASSERT_EQ(bitmap.Width(), 2);
  ASSERT_EQ(bitmap.Height(), 1);
  bitmap.SetPixelFormat(pf24bit);
  EXPECT_EQ(bitmap.Canvas().Pixel(0, 0), kBlue);
  EXPECT_EQ(bitmap.Canvas().Pixel(1, 0), kWhite);

  TGIFSubImage empty(&loaded.image);
  bitmap.Assign(&empty);
  EXPECT_TRUE(bitmap.Empty());
  // Anything but a bitmap cannot take a frame.
  TGIFImage other;
  EXPECT_THROW(other.Assign(&loaded.image.Images(0)), EConvertError);
}

}  // namespace
