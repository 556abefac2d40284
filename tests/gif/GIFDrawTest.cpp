// Drawing GIF images on a bitmap canvas: colours, scaling from the logical screen,
// transparency, tiling, the grey ramp of files without colour tables.
#include <gtest/gtest.h>

#include <tuple>

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
  // On the global table, and on a table of its own that keeps its colours (yellow, black, white, blue).
  const std::vector<RGB> own = {{255, 255, 0}, {0, 0, 0}, {255, 255, 255}, {0, 0, 255}};
  for (const FrameSpec& frame :
       {FrameSpec{1, 1, 2, 1, {2, 3}, {}, false, 2}, {1, 1, 2, 1, {3, 2}, own, false, 2}}) {
    GifBuilder b;
    b.Header("87a", 4, 3, Palette4()).Frame(frame).Trailer();
    Loaded loaded(b.bytes);
    TBitmap* bitmap = loaded.image.Bitmap();
    ASSERT_NE(bitmap, nullptr);
    EXPECT_EQ(bitmap->Width(), 4);
    EXPECT_EQ(bitmap->Height(), 3);
    EXPECT_EQ(bitmap->Canvas().Pixel(1, 1), kBlue);
    EXPECT_EQ(bitmap->Canvas().Pixel(2, 1), kWhite);
    EXPECT_EQ(bitmap->Canvas().Pixel(0, 0), kRed);  // the image palette's first colour around the frame
    const TPaletteEntry first = loaded.image.GetPalette().at(0);
    EXPECT_EQ(std::tuple(first.peRed, first.peGreen, first.peBlue), std::tuple(255, 0, 0));
  }
}

TEST_F(GIFDrawTest, EmptyImageDrawsNothing) {
  TGIFImage image;
  DrawInto(image, Rect(0, 0, 10, 10));
  EXPECT_EQ(At(5, 5), kWhite);
  EXPECT_EQ(image.Bitmap(), nullptr);
}

TEST(GIFImagePalette, ComesFromTheFirstSourceThatHasOne) {
  GifBuilder b;  // no global table; the first frame without a table, the second with one
  b.Header("87a", 4, 1).Frame(FrameSpec{0, 0, 4, 1, {0, 1, 2, 3}, {}, false, 2});
  Loaded loaded(b.Frame(FrameSpec{0, 0, 1, 1, {1}, {{1, 2, 3}, {4, 5, 6}}, false, 2}).Trailer().bytes);
  EXPECT_THROW(loaded.image.GetPalette(),
               GIFException);      // no table anywhere: the second frame's is not asked
  const auto second = [&loaded] {  // the palette's second colour as 0xRRGGBB
    const TPaletteEntry e = loaded.image.GetPalette().at(1);
    return e.peRed << 16 | e.peGreen << 8 | e.peBlue;
  };
  loaded.image.Images(0).ColorMap().Assign(loaded.image.Images(1).ColorMap());
  EXPECT_EQ(second(), 0x040506);
  loaded.image.Header().ColorMap().ImportPalette({{0, 0, 0, 0}, {7, 8, 9, 0}});
  EXPECT_EQ(second(), 0x070809);
  loaded.image.DrawOptions = doDitherToWebPalette;
  EXPECT_EQ(second(), 0x000033);
  loaded.image.SetPalette({{0, 0, 0, 0}, {255, 255, 255, 0}});
  EXPECT_EQ(second(), 0xFFFFFF);
  loaded.image.DrawOptions = 0;
  (void)loaded.image.Bitmap();  // a rendering on the first frame's table
  EXPECT_EQ(second(), 0x040506);
}

TEST(GIFSetPalette, FramesDrawWithThePaletteSetOnThemOrOnTheImage) {
  GifBuilder b;  // frame 0 on the global table, frame 1 on a table of its own
  b.Header("87a", 2, 2, Palette4()).Frame(FrameSpec{0, 0, 2, 1, {0, 1}, {}, false, 2});
  Loaded loaded(b.Frame(FrameSpec{0, 1, 2, 1, {0, 1}, {{0, 0, 9}, {0, 0, 8}}, false, 2}).Trailer().bytes);
  const auto seconds = [&loaded] {  // the frames' second pixels, through bitmaps assigned from them
    TBitmap bitmaps[2];
    for (int i : {0, 1}) bitmaps[i].Assign(&loaded.image.Images(i));
    return std::pair(bitmaps[0].Canvas().Pixel(1, 0), bitmaps[1].Canvas().Pixel(1, 0));
  };
  const std::vector<TPaletteEntry> blackWhite = {{0, 0, 0, 0}, {255, 255, 255, 0}};
  loaded.image.SetPalette(blackWhite);
  EXPECT_EQ(seconds(), std::pair(kWhite, MakeColor(0x080000)));
  loaded.image.Images(1).SetPalette(blackWhite);
  EXPECT_EQ(seconds(), std::pair(kWhite, kWhite));
  loaded.image.Images(1).ColorMap().Delete(1);  // a change of a palette's table takes the palette away
  loaded.image.Header().ColorMap().Delete(3);
  EXPECT_EQ(seconds(), std::pair(kGreen, MakeColor(0)));
}

TEST(GIFSetPalette, ANewPaletteAsksForOneRedrawWhenARenderingOrAConversionEnds) {
  Loaded loaded(
      GifBuilder().Header("87a", 2, 1, Palette4()).Frame({0, 0, 2, 1, {0, 1}, {}, false, 2}).Trailer().bytes);
  std::vector<std::string> asks;  // the changes reported, and the endings that ask for a redraw
  loaded.image.OnChange = [&asks](TGraphic&) { asks.push_back("change"); };
  loaded.image.OnProgress = [&asks](TObject*, TProgressStage stage, uint8_t, bool redraw, const TRect&,
                                    const std::string& text) {
    if (stage == psEnding && redraw) asks.push_back(text);
  };
  loaded.image.SetPalette({{9, 9, 9, 0}});
  loaded.image.Images(0).Bitmap();
  loaded.image.Images(0).SetPalette({{7, 7, 7, 0}});
  TBitmap pixel;
  pixel.SetSize(1, 1);
  loaded.image.AddBitmap(pixel);
  loaded.image.Images(0).Bitmap();  // the conversion asked already
  EXPECT_EQ(asks, (std::vector<std::string>{"change", "change", "change", "Converting...", "change"}));
}

}  // namespace
