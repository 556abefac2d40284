// Document backgrounds: colour, centred, tiled, scrolling tiles and stretched pictures,
// scaled drawing for other devices, the item-style mapping and the palette copy.
#include <gtest/gtest.h>

#include "platform/graphics/Bitmap.h"
#include "platform/graphics/Canvas.h"
#include "platform/graphics/JPEGImage.h"
#include "platform/graphics/SystemColors.h"
#include "richtext/core/RVBack.h"

namespace {

constexpr TColor kRed = RGBColor(255, 0, 0);
constexpr TColor kGreen = RGBColor(0, 255, 0);
constexpr TColor kBlue = RGBColor(0, 0, 255);
constexpr TColor kWhite = RGBColor(255, 255, 255);

/// A w x h bitmap, red with a green top-left pixel (so tile origins can be seen).
std::unique_ptr<TBitmap> MarkedTile(int w, int h) {
  auto b = std::make_unique<TBitmap>();
  b->SetPixelFormat(pf24bit);
  b->SetSize(w, h);
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) b->Canvas().SetPixel(x, y, x == 0 && y == 0 ? kGreen : kRed);
  return b;
}

/// A picture that claims to hold something but has no size.
class TZeroSizeGraphic : public TGraphic {
 public:
  bool Empty() const override { return false; }
  int32_t Width() const override { return 0; }
  int32_t Height() const override { return 0; }
  void LoadFromStream(TStream&) override {}
  void SaveToStream(TStream&) override {}

 protected:
  void Draw(TCanvas&, const TRect&) override {}
};

class BackgroundTest : public ::testing::Test {
 protected:
  void SetUp() override {
    target.SetPixelFormat(pf24bit);
    target.SetSize(20, 20);
    target.Canvas().Brush().SetColor(kWhite);
    target.Canvas().FillRect(Rect(0, 0, 20, 20));
  }
  TColor At(int x, int y) { return ColorToRGB(target.Canvas().Pixel(x, y)) & 0xFFFFFF; }

  TBitmap target;
  TRVBackground back{false};
};

TEST_F(BackgroundTest, ColourOnlyFillsTheArea) {
  back.Draw(target.Canvas(), Rect(0, 0, 20, 20), 0, 0, 0, 0, 20, 20, kBlue, false);
  EXPECT_EQ(At(0, 0), kBlue);
  EXPECT_EQ(At(19, 19), kBlue);
  EXPECT_TRUE(back.IsEmpty());
}

TEST_F(BackgroundTest, CentredPictureSitsInTheMiddleOnTheColour) {
  back.TakeBitmap(MarkedTile(4, 4), rvpaDoNothing, nullptr);
  back.Style = bsCentered;
  back.Draw(target.Canvas(), Rect(0, 0, 20, 20), 0, 0, 0, 0, 20, 20, kBlue, false);
  EXPECT_EQ(At(8, 8), kGreen);
  EXPECT_EQ(At(11, 11), kRed);
  EXPECT_EQ(At(12, 12), kBlue);
  EXPECT_EQ(At(0, 0), kBlue);
}

TEST_F(BackgroundTest, TilesStayFixedToTheArea) {
  back.TakeBitmap(MarkedTile(4, 4), rvpaDoNothing, nullptr);
  back.Style = bsTiled;
  // The painted rectangle starts at (2, 2) of the area; with clipping its corner is moved
  // to (0, 0) of the drawing, so tiles still start at multiples of 4 of the area.
  back.Draw(target.Canvas(), Rect(2, 2, 14, 14), 5, 5, 0, 0, 20, 20, kBlue, true);
  EXPECT_EQ(At(4, 4), kGreen);
  EXPECT_EQ(At(8, 12), kGreen);
  EXPECT_EQ(At(2, 2), kRed);
  EXPECT_EQ(At(0, 0), kWhite);    // outside the clip
  EXPECT_EQ(At(14, 14), kWhite);  // right and bottom edges are exclusive
  EXPECT_TRUE(back.ScrollRequiresFullRedraw());
}

TEST_F(BackgroundTest, ScrollingTilesMoveWithTheOffsets) {
  back.TakeBitmap(MarkedTile(4, 4), rvpaDoNothing, nullptr);
  back.Style = bsTiledAndScrolled;
  back.Draw(target.Canvas(), Rect(0, 0, 20, 20), 1, 2, 0, 0, 20, 20, clNone, false);
  EXPECT_EQ(At(3, 2), kGreen);
  EXPECT_EQ(At(7, 6), kGreen);
  EXPECT_EQ(At(0, 0), kRed);
  EXPECT_FALSE(back.ScrollRequiresFullRedraw());
}

TEST_F(BackgroundTest, StretchedPictureCoversTheWholeArea) {
  auto quad = std::make_unique<TBitmap>();
  quad->SetPixelFormat(pf24bit);
  quad->SetSize(2, 2);
  quad->Canvas().SetPixel(0, 0, kGreen);
  quad->Canvas().SetPixel(1, 0, kRed);
  quad->Canvas().SetPixel(0, 1, kRed);
  quad->Canvas().SetPixel(1, 1, kRed);
  back.TakeBitmap(std::move(quad), rvpaDoNothing, nullptr);
  back.Style = bsStretched;
  back.Draw(target.Canvas(), Rect(0, 0, 20, 20), 0, 0, 0, 0, 20, 20, kBlue, false);
  EXPECT_EQ(At(2, 2), kGreen);
  EXPECT_EQ(At(17, 17), kRed);
  EXPECT_EQ(At(17, 2), kRed);  // opaque: no colour anywhere
}

TEST_F(BackgroundTest, TransparentPictureGetsTheColourUnderIt) {
  auto tile = MarkedTile(4, 4);
  tile->SetTransparentColor(kRed);
  tile->SetTransparent(true);
  back.TakeBitmap(std::move(tile), rvpaDoNothing, nullptr);
  back.Style = bsStretched;
  back.Draw(target.Canvas(), Rect(0, 0, 20, 20), 0, 0, 0, 0, 20, 20, kBlue, false);
  EXPECT_EQ(At(1, 1), kGreen);
  EXPECT_EQ(At(15, 15), kBlue);
}

TEST_F(BackgroundTest, ShiftMovesTheAreaBeforeDrawing) {
  back.TakeBitmap(MarkedTile(4, 4), rvpaDoNothing, nullptr);
  back.Style = bsTiled;
  // The area is painted one pixel left of and above its own origin.
  back.Draw(target.Canvas(), Rect(0, 0, 20, 20), 0, 0, 1, 1, 20, 20, clNone, false);
  EXPECT_EQ(At(1, 1), kGreen);
  EXPECT_EQ(At(5, 5), kGreen);
}

TEST_F(BackgroundTest, PictureWithoutSizeDrawsOnlyTheColour) {
  back.TakeBitmap(std::make_unique<TZeroSizeGraphic>(), rvpaDoNothing, nullptr);
  for (TBackgroundStyle style : {bsTiled, bsTiledAndScrolled, bsCentered, bsStretched}) {
    back.Style = style;
    back.Draw(target.Canvas(), Rect(0, 0, 20, 20), 3, 3, 0, 0, 20, 20, kBlue, false);
    EXPECT_EQ(At(10, 10), kBlue) << style;
    back.DrawScaled(target.Canvas(), Rect(0, 0, 20, 20), Rect(0, 0, 20, 20), TRVFormatScale{96, 96, 192, 192},
                    kBlue, nullptr, nullptr, 0);
  }
  EXPECT_FALSE(back.ScrollRequiresFullRedraw());
}

TEST_F(BackgroundTest, TiledWithEmptyBitmapFillsOnlyTheColour) {
  TRVBackground withBitmap(true);
  withBitmap.Style = bsTiled;
  withBitmap.Draw(target.Canvas(), Rect(0, 0, 20, 20), 0, 0, 0, 0, 20, 20, kBlue, false);
  EXPECT_EQ(At(5, 5), kBlue);
  EXPECT_FALSE(withBitmap.ScrollRequiresFullRedraw());
  EXPECT_FALSE(withBitmap.IsEmpty());  // a layout style is never empty
  withBitmap.Style = bsNoBitmap;
  EXPECT_TRUE(withBitmap.IsEmpty());
}

TEST_F(BackgroundTest, ScaledTilesAreScaledToTheDevice) {
  back.TakeBitmap(MarkedTile(2, 2), rvpaDoNothing, nullptr);
  back.Style = bsTiled;
  back.DrawScaled(target.Canvas(), Rect(0, 0, 12, 12), Rect(0, 0, 12, 12), TRVFormatScale{96, 96, 192, 192},
                  clNone, nullptr, nullptr, 0);
  EXPECT_EQ(At(1, 1), kGreen);
  EXPECT_EQ(At(2, 2), kRed);
  EXPECT_EQ(At(5, 5), kGreen);
  EXPECT_EQ(At(12, 12), kWhite);
}

TEST_F(BackgroundTest, ScaledCentredPictureIsCentredInTheFullArea) {
  back.TakeBitmap(MarkedTile(2, 2), rvpaDoNothing, nullptr);
  back.Style = bsCentered;
  // Only the lower half of a 16 x 16 area is painted here.
  back.DrawScaled(target.Canvas(), Rect(0, 8, 16, 16), Rect(0, 0, 16, 16), TRVFormatScale{96, 96, 192, 192},
                  kBlue, nullptr, nullptr, 0);
  EXPECT_EQ(At(6, 6), kWhite);  // outside the painted part
  EXPECT_EQ(At(7, 9), kRed);
  EXPECT_EQ(At(2, 9), kBlue);
}

TEST_F(BackgroundTest, TransparentScaledPictureAsksForThePageBackground) {
  auto tile = MarkedTile(2, 2);
  tile->SetTransparentColor(kRed);
  tile->SetTransparent(true);
  back.TakeBitmap(std::move(tile), rvpaDoNothing, nullptr);
  back.Style = bsTiled;
  int calls = 0;
  back.DrawScaled(
      target.Canvas(), Rect(0, 0, 8, 8), Rect(0, 0, 8, 8), TRVFormatScale{96, 96, 192, 192}, clNone, nullptr,
      [&](TCanvas& c, int32_t, int32_t, int32_t param) {
        EXPECT_EQ(param, 77);
        ++calls;
        c.Brush().SetColor(kBlue);
        c.FillRect(Rect(0, 0, 2, 2));
      },
      77);
  EXPECT_EQ(calls, 4);
  EXPECT_EQ(At(0, 0), kGreen);
  EXPECT_EQ(At(3, 3), kBlue);
}

TEST(BackgroundStyleTest, ItemStylesMapBothWays) {
  TRVBackground back(false);
  const struct {
    TBackgroundStyle style;
    TRVItemBackgroundStyle item;
  } toItem[] = {{bsNoBitmap, rvbsColor},
                {bsStretched, rvbsStretched},
                {bsTiled, rvbsTiled},
                {bsTiledAndScrolled, rvbsTiled},
                {bsCentered, rvbsCentered}};
  for (const auto& c : toItem) {
    back.Style = c.style;
    EXPECT_EQ(back.GetItemBackgroundStyle(), c.item) << c.style;
  }
  back.Style = bsTiledAndScrolled;
  back.SetItemBackgroundStyle(back.GetItemBackgroundStyle());
  EXPECT_EQ(back.Style, bsTiled);
  back.SetItemBackgroundStyle(rvbsCentered);
  EXPECT_EQ(back.Style, bsCentered);
  back.SetItemBackgroundStyle(rvbsColor);
  EXPECT_EQ(back.Style, bsNoBitmap);
}

TEST(BackgroundPictureTest, AssigningTheOwnPictureChangesNothing) {
  TRVBackground back(true);
  TGraphic* own = back.GetBitmap();
  back.AssignBitmap(own, rvpaDoNothing, nullptr);
  EXPECT_EQ(back.GetBitmap(), own);
}

TEST(BackgroundPictureTest, AssignCopiesAndFreeImagesDropsBoth) {
  TRVBackground back(false);
  auto source = MarkedTile(3, 5);
  back.AssignBitmap(source.get(), rvpaDoNothing, nullptr);
  ASSERT_NE(back.GetBitmap(), nullptr);
  EXPECT_NE(back.GetBitmap(), source.get());
  EXPECT_EQ(back.GetBitmap()->ClassName(), "TBitmap");
  EXPECT_EQ(back.GetBitmap()->Width(), 3);
  back.AssignBitmap(nullptr, rvpaDoNothing, nullptr);
  EXPECT_EQ(back.GetBitmap(), nullptr);
  back.TakeBitmap(MarkedTile(2, 2), rvpaDoNothing, nullptr);
  back.FreeImages();
  EXPECT_EQ(back.GetBitmap(), nullptr);
}

TEST(BackgroundPictureTest, PaletteCopiesFollowThePaletteMode) {
  const std::vector<TPaletteEntry> palette(216, TPaletteEntry{10, 20, 30, 0});
  TRVBackground back(false);
  back.TakeBitmap(MarkedTile(4, 4), rvpaCreateCopies, &palette);
  ASSERT_NE(back.GetImageCopy(), nullptr);
  auto* copy = dynamic_cast<TBitmap*>(back.GetImageCopy());
  ASSERT_NE(copy, nullptr);
  EXPECT_TRUE(copy->IgnorePalette());
  back.UpdatePalette(rvpaDoNothing, &palette);
  EXPECT_EQ(back.GetImageCopy(), nullptr);
  back.UpdatePalette(rvpaCreateCopies, nullptr);  // no palette, no copy
  EXPECT_EQ(back.GetImageCopy(), nullptr);

  auto jpeg = std::make_unique<TJPEGImage>();
  auto tile = MarkedTile(8, 8);
  jpeg->Assign(tile.get());
  back.TakeBitmap(std::move(jpeg), rvpaCreateCopiesEx, &palette);
  ASSERT_NE(back.GetImageCopy(), nullptr);
  EXPECT_EQ(back.GetImageCopy()->ClassName(), "TBitmap");
  EXPECT_EQ(back.GetImageCopy()->Width(), 8);
}

}  // namespace
