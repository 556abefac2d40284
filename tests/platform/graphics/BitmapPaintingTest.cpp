// Painting on 24- and 32-bit bitmaps, which happens in the bitmaps' own memory, gives the
// colours painting on a separate Qt image gives, and leaves the fourth byte of 32-bit pixels
// as it was; indexed pixels are drawn in bands at their own size and in one piece when
// stretched.
#include <gtest/gtest.h>

#include <vector>

#include "GraphicsTestSupport.h"
#include "platform/graphics/CanvasDevice.h"

using namespace gfxtest;

namespace {

/// Figures, text, a stretched picture, a copied area and XOR drawing.
void PaintSamples(TCanvas& c) {
  c.Pen().SetColor(clRed);
  c.Brush().SetColor(clYellow);
  c.Rectangle(2, 2, 30, 20);
  c.Ellipse(10, 5, 50, 35);
  c.MoveTo(0, 39);
  c.LineTo(59, 0);
  c.Font().SetColor(clNavy);
  c.TextOut(4, 22, "Agb");
  TBitmap picture;
  FillBitmap(picture, 3, 2, [](int x, int y) { return RGBColor(uint8_t(x * 90), uint8_t(y * 200), 40); });
  c.StretchDraw(Rect(35, 25, 47, 33), &picture);
  c.CopyRect(Rect(40, 0, 50, 10), c, Rect(0, 0, 10, 10));
  c.Pen().SetMode(pmXor);
  c.Pen().SetColor(clLime);
  c.Rectangle(20, 10, 55, 38);
}

TEST(BitmapPainting, PaintingInPlaceMatchesAQtImageAndKeepsTheFourthByte) {
  // An odd number of pixels leaves a last one outside the eight-byte steps.
  constexpr int kWidth = 61;
  constexpr int kHeight = 41;
  QImage reference(kWidth, kHeight, QImage::Format_RGB32);
  reference.fill(Qt::white);
  {
    TCanvas canvas(std::make_unique<TImageCanvasDevice>(&reference));
    PaintSamples(canvas);
  }
  // Fourth bytes: all 255 (a new bitmap), all one other value, and all different.
  for (const int pattern : {0, 1, 2}) {
    SCOPED_TRACE(testing::Message() << "fourth-byte pattern " << pattern);
    TBitmap deep;
    deep.SetPixelFormat(pf32bit);
    deep.SetSize(kWidth, kHeight);
    std::vector<std::vector<uint8_t>> fourth(kHeight);
    for (int y = 0; y < kHeight; ++y) {
      uint8_t* row = deep.ScanLine(y);
      for (int x = 0; x < kWidth; ++x) {
        if (pattern == 1) row[4 * x + 3] = 7;
        if (pattern == 2) row[4 * x + 3] = static_cast<uint8_t>(x * 5 + y);
        fourth[static_cast<size_t>(y)].push_back(row[4 * x + 3]);
      }
    }
    TBitmap shallow;
    shallow.SetPixelFormat(pf24bit);
    shallow.SetSize(kWidth, kHeight);
    PaintSamples(deep.Canvas());
    PaintSamples(shallow.Canvas());
    for (int y = 0; y < kHeight; ++y) {
      const uint8_t* row = deep.ScanLine(y);
      for (int x = 0; x < kWidth; ++x) {
        const QRgb q = reference.pixel(x, y);
        const TColor expected = RGBColor(uint8_t(qRed(q)), uint8_t(qGreen(q)), uint8_t(qBlue(q)));
        ASSERT_EQ(row[4 * x + 3], fourth[static_cast<size_t>(y)][static_cast<size_t>(x)]) << x << "," << y;
        ASSERT_EQ(deep.Canvas().Pixel(x, y), expected) << x << "," << y;
        ASSERT_EQ(shallow.Canvas().Pixel(x, y), expected) << x << "," << y;
      }
    }
  }
}

TEST(BitmapPainting, IndexedPixelsDrawnInBandsAtTheirOwnSize) {
  // More than one band: a band holds about a million pixels.
  constexpr int32_t kWidth = 1100;
  constexpr int32_t kHeight = 1000;
  std::vector<uint8_t> indices(static_cast<size_t>(kWidth) * kHeight);
  for (int32_t y = 0; y < kHeight; ++y)
    for (int32_t x = 0; x < kWidth; ++x)
      indices[static_cast<size_t>(y) * kWidth + x] = static_cast<uint8_t>((x / 7 + y) % 5);
  const std::vector<TRGBQuad> colors = {{0, 0, 255, 0}, {0, 255, 0, 0}, {255, 0, 0, 0}};  // red, green, blue
  TBitmap target;
  target.SetPixelFormat(pf32bit);
  target.SetSize(kWidth + 10, kHeight + 10);
  target.Canvas().Brush().SetColor(clGray);
  target.Canvas().FillRect(Rect(0, 0, kWidth + 10, kHeight + 10));
  // Index 3 is transparent; index 4 lies beyond the table and is black.
  target.Canvas().DrawIndexed(Bounds(5, 5, kWidth, kHeight),
                              TIndexedPixels{indices.data(), kWidth, kHeight, kWidth, colors, 3});
  const TColor expected[] = {clRed, clLime, clBlue, clGray, clBlack};
  for (int32_t y = 0; y < kHeight + 10; ++y) {
    const uint8_t* row = target.ScanLine(y);
    for (int32_t x = 0; x < kWidth + 10; ++x) {
      const bool inside = x >= 5 && y >= 5 && x < kWidth + 5 && y < kHeight + 5;
      const TColor want = inside ? expected[indices[static_cast<size_t>(y - 5) * kWidth + (x - 5)]] : clGray;
      const TColor got = RGBColor(row[4 * x + 2], row[4 * x + 1], row[4 * x]);
      ASSERT_EQ(got, want) << x << "," << y;
    }
  }
}

TEST(BitmapPainting, IndexedPixelsStretchAsOnePicture) {
  const std::vector<uint8_t> indices = {0, 1, 1, 0};
  const std::vector<TRGBQuad> colors = {{0, 0, 255, 0}, {255, 0, 0, 0}};
  TBitmap target;
  target.SetPixelFormat(pf24bit);
  target.SetSize(10, 10);
  target.Canvas().DrawIndexed(Rect(0, 0, 9, 9), TIndexedPixels{indices.data(), 2, 2, 2, colors, -1});
  // Nearest pixels of the 2 x 2 picture, each 4.5 pixels wide.
  EXPECT_EQ(target.Canvas().Pixel(0, 0), clRed);
  EXPECT_EQ(target.Canvas().Pixel(3, 0), clRed);
  EXPECT_EQ(target.Canvas().Pixel(5, 0), clBlue);
  EXPECT_EQ(target.Canvas().Pixel(8, 8), clRed);
  EXPECT_EQ(target.Canvas().Pixel(9, 9), clWhite);
}

}  // namespace
