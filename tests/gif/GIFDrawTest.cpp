// Drawing GIF images on a bitmap canvas: colours, scaling from the logical screen,
// transparency, tiling, the grey ramp of files without colour tables; palettes.
#include <gtest/gtest.h>

#include "GIFTestSupport.h"
#include "platform/graphics/Canvas.h"

using namespace giftest;

namespace {

class GIFDrawTest : public ::testing::Test {
 protected:
  void SetUp() override {
    target.SetPixelFormat(pf24bit);
    target.SetSize(40, 40);  // white
  }
  TColor At(int x, int y) { return target.Canvas().Pixel(x, y); }
  void DrawInto(TGIFImage& image, const TRect& r) { target.Canvas().StretchDraw(r, &image); }
  TBitmap target;
};

constexpr TColor kRed = 0x0000FF, kGreen = 0x00FF00, kBlue = 0xFF0000, kWhite = 0xFFFFFF;

TEST_F(GIFDrawTest, DrawsColoursOfTheGlobalTableScaled) {
  GifBuilder b;
  b.Header("87a", 2, 2, Palette4()).Frame(FrameSpec{0, 0, 2, 2, {0, 1, 2, 0}, {}, false, 2}).Trailer();
  Loaded loaded(b.bytes);
  DrawInto(loaded.image, Rect(0, 0, 20, 20));
  EXPECT_EQ(At(0, 0), kRed);
  EXPECT_EQ(At(19, 0), kGreen);
  EXPECT_EQ(At(5, 15), kBlue);
  EXPECT_EQ(At(15, 15), kRed);
  EXPECT_EQ(At(25, 25), kWhite);
}

TEST_F(GIFDrawTest, FramePositionIsScaledFromTheLogicalScreen) {
  // A frame at (10, 10) of a 100 by 100 screen drawn into 200 by 200 lands at (20, 20).
  target.SetSize(200, 200);
  GifBuilder b;
  b.Header("87a", 100, 100, Palette4()).Frame(FrameSpec{10, 10, 5, 5, Bytes(25, 2), {}, false, 2}).Trailer();
  Loaded loaded(b.bytes);
  DrawInto(loaded.image, Rect(0, 0, 200, 200));
  EXPECT_EQ(At(19, 19), kWhite);
  EXPECT_EQ(At(20, 20), kBlue);
  EXPECT_EQ(At(29, 29), kBlue);
  EXPECT_EQ(At(30, 30), kWhite);
}

TEST_F(GIFDrawTest, TransparentPixelsLeaveTheTarget) {
  GifBuilder b;
  b.Header("89a", 2, 1, Palette4()).GraphicControl(0, true, 1);
  b.Frame(FrameSpec{0, 0, 2, 1, {0, 1}, {}, false, 2}).Trailer();
  Loaded loaded(b.bytes);
  EXPECT_TRUE(loaded.image.Images(0).HasMask());
  DrawInto(loaded.image, Rect(0, 0, 20, 10));
  EXPECT_EQ(At(5, 5), kRed);
  EXPECT_EQ(At(15, 5), kWhite);

  loaded.image.DrawOptions &= ~doTransparent;
  DrawInto(loaded.image, Rect(0, 0, 20, 10));
  EXPECT_EQ(At(15, 5), kGreen);
}

TEST_F(GIFDrawTest, TransparentIndexThatDoesNotOccurGivesNoMask) {
  GifBuilder b;
  b.Header("89a", 2, 1, Palette4()).GraphicControl(0, true, 3);
  b.Frame(FrameSpec{0, 0, 2, 1, {0, 1}, {}, false, 2}).Trailer();
  Loaded loaded(b.bytes);
  EXPECT_TRUE(loaded.image.Images(0).Transparent());
  EXPECT_FALSE(loaded.image.Images(0).HasMask());
  DrawInto(loaded.image, Rect(0, 0, 2, 1));
  EXPECT_EQ(At(1, 0), kGreen);
}

TEST_F(GIFDrawTest, NoColourTableDrawsAGreyRamp) {
  GifBuilder b;
  b.Header("87a", 4, 1).Frame(FrameSpec{0, 0, 4, 1, {0, 1, 2, 3}, {}, false, 2}).Trailer();
  Loaded loaded(b.bytes);
  DrawInto(loaded.image, Rect(0, 0, 4, 1));
  EXPECT_EQ(At(0, 0), 0x000000);
  EXPECT_EQ(At(1, 0), 0x555555);
  EXPECT_EQ(At(2, 0), 0xAAAAAA);
  EXPECT_EQ(At(3, 0), 0xFFFFFF);
  // The ramp is how such a file is drawn, not a colour table of the file's.
  EXPECT_THROW(loaded.image.GetPalette(), GIFException);
}

TEST_F(GIFDrawTest, TilingRepeatsTheFrameAtItsOwnSize) {
  GifBuilder b;
  b.Header("87a", 2, 2, Palette4()).Frame(FrameSpec{0, 0, 2, 2, {0, 1, 1, 0}, {}, false, 2}).Trailer();
  Loaded loaded(b.bytes);
  loaded.image.DrawOptions |= doTile;
  DrawInto(loaded.image, Rect(0, 0, 6, 4));
  for (int y = 0; y < 4; ++y)
    for (int x = 0; x < 6; ++x) EXPECT_EQ(At(x, y), (x + y) % 2 == 0 ? kRed : kGreen) << x << "," << y;
  EXPECT_EQ(At(6, 0), kWhite);
}

TEST_F(GIFDrawTest, OnlyTheFirstFrameIsDrawn) {
  GifBuilder b;
  b.Header("89a", 2, 2, Palette4());
  b.Frame(FrameSpec{0, 0, 2, 2, Bytes(4, 2), {}, false, 2});
  b.Frame(FrameSpec{0, 0, 2, 2, Bytes(4, 0), {}, false, 2}).Trailer();
  Loaded loaded(b.bytes);
  ASSERT_EQ(loaded.image.Count(), 2);
  DrawInto(loaded.image, Rect(0, 0, 2, 2));
  EXPECT_EQ(At(1, 1), kBlue);
}

TEST_F(GIFDrawTest, EmptyScreenIsTheUnionOfTheFrames) {
  GifBuilder b;
  b.Header("87a", 0, 0, Palette4()).Frame(FrameSpec{2, 0, 2, 2, Bytes(4, 1), {}, false, 2}).Trailer();
  Loaded loaded(b.bytes);
  EXPECT_EQ(loaded.image.ScreenSize(), (TSize{4, 2}));
  DrawInto(loaded.image, Rect(0, 0, 8, 4));
  EXPECT_EQ(At(1, 1), kWhite);
  EXPECT_EQ(At(6, 3), kGreen);
}

TEST_F(GIFDrawTest, ImageBitmapPlacesTheFirstFrameOnTheScreen) {
  GifBuilder b;
  b.Header("87a", 4, 3, Palette4()).Frame(FrameSpec{1, 1, 2, 1, {2, 3}, {}, false, 2}).Trailer();
  Loaded loaded(b.bytes);
  TBitmap* bitmap = loaded.image.Bitmap();
  ASSERT_NE(bitmap, nullptr);
  EXPECT_EQ(bitmap->Width(), 4);
  EXPECT_EQ(bitmap->Height(), 3);
  EXPECT_EQ(bitmap->Canvas().Pixel(1, 1), kBlue);
  EXPECT_EQ(bitmap->Canvas().Pixel(2, 1), kWhite);
  EXPECT_EQ(bitmap->Canvas().Pixel(0, 0), kRed);  // index 0 around the frame
}

TEST_F(GIFDrawTest, EmptyImageDrawsNothing) {
  TGIFImage image;
  DrawInto(image, Rect(0, 0, 10, 10));
  EXPECT_EQ(At(5, 5), kWhite);
  EXPECT_EQ(image.Bitmap(), nullptr);
}

TEST(GIFImagePalette, ComesFromTheFirstSourceThatHasOne) {
  const std::vector<RGB> local = {{1, 2, 3}, {4, 5, 6}};
  const struct {
    const char* name;
    bool global, firstLocal, web, set, rendered;
    uint32_t second;  // the palette's second colour, 0xRRGGBB
    size_t size;      // 0: "No global or local color table defined"
  } cases[] = {
      {"global table before the first frame's", true, true, false, false, false, 0x00FF00, 4},
      {"the first frame's table", false, true, false, false, false, 0x040506, 2},
      {"web palette before the global table", true, false, true, false, false, 0x000033, 216},
      {"palette set on the image before the web", true, false, true, true, false, 0xFFFFFF, 2},
      {"the rendering's grey ramp first", false, false, false, false, true, 0x555555, 256},
      // Only the first frame is asked, and without a table it asks the image back.
      {"no table on the first frame", false, false, false, false, false, 0, 0},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    GifBuilder b;
    b.Header("87a", 4, 1, c.global ? Palette4() : std::vector<RGB>{});
    b.Frame(FrameSpec{0, 0, 4, 1, {0, 1, 2, 3}, c.firstLocal ? local : std::vector<RGB>{}, false, 2});
    Loaded loaded(b.Frame(FrameSpec{0, 0, 1, 1, {1}, local, false, 2}).Trailer().bytes);
    if (c.web) loaded.image.DrawOptions = doDitherToWebPalette;
    if (c.set) loaded.image.SetPalette({{0, 0, 0, 0}, {255, 255, 255, 0}});
    if (c.rendered) (void)loaded.image.Bitmap();
    for (int ask = 0; ask < 2; ++ask) {  // asking leaves nothing behind
      if (c.size == 0) {
        EXPECT_THROW(loaded.image.GetPalette(), GIFException);
        continue;
      }
      const std::vector<TPaletteEntry> p = loaded.image.GetPalette();
      ASSERT_EQ(p.size(), c.size);
      EXPECT_EQ(uint32_t{p[1].peRed} << 16 | p[1].peGreen << 8 | p[1].peBlue, c.second);
    }
  }
}

TEST(GIFSetPalette, FramesDrawWithThePaletteSetOnThemOrOnTheImage) {
  GifBuilder b;  // frame 0 on the global table, frame 1 on a table of its own
  b.Header("87a", 2, 2, Palette4()).Frame(FrameSpec{0, 0, 2, 1, {0, 1}, {}, false, 2});
  Loaded loaded(b.Frame(FrameSpec{0, 1, 2, 1, {0, 1}, {{0, 0, 9}, {0, 0, 8}}, false, 2}).Trailer().bytes);
  const auto second = [&loaded](int frame) {  // the frame's second pixel, through a bitmap
    TBitmap bitmap;
    bitmap.Assign(&loaded.image.Images(frame));
    bitmap.SetPixelFormat(pf24bit);
    return bitmap.Canvas().Pixel(1, 0);
  };
  const std::vector<TPaletteEntry> blackWhite = {{0, 0, 0, 0}, {255, 255, 255, 0}};
  loaded.image.SetPalette(blackWhite);  // for frames without a table of their own
  EXPECT_EQ(std::make_pair(second(0), second(1)), std::make_pair(kWhite, MakeColor(0x080000)));
  loaded.image.Images(1).SetPalette(blackWhite);
  EXPECT_EQ(second(1), kWhite);
  // A change of the table a palette stands for takes the palette away.
  loaded.image.Images(1).ColorMap().Delete(1);
  loaded.image.Header().ColorMap().Delete(3);
  EXPECT_EQ(std::make_pair(second(0), second(1)), std::make_pair(kGreen, MakeColor(0)));
}

}  // namespace
