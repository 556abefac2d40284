// Canvas drawing on a bitmap: figure edges as the program's drawing code expects them
// (exclusive right and bottom edges, lines without their last pixel), reversible XOR drawing,
// clipping, window origin, saved states, text placement and measurement.
#include <gtest/gtest.h>

#include "GraphicsTestSupport.h"
#include "platform/graphics/CanvasDevice.h"

using namespace gfxtest;

namespace {

class CanvasTest : public ::testing::Test {
 protected:
  void SetUp() override {
    bitmap.SetPixelFormat(pf24bit);
    bitmap.SetSize(40, 30);  // new pixels are white
  }
  TCanvas& C() { return bitmap.Canvas(); }
  TColor At(int x, int y) { return C().Pixel(x, y); }
  /// Number of pixels in `r` that are not white.
  int Painted(const TRect& r) {
    int n = 0;
    for (int y = r.Top; y < r.Bottom; ++y)
      for (int x = r.Left; x < r.Right; ++x) n += At(x, y) != clWhite;
    return n;
  }
  TBitmap bitmap;
};

TEST_F(CanvasTest, NewBitmapIsWhite) {
  EXPECT_EQ(Painted(Rect(0, 0, 40, 30)), 0);
}

TEST_F(CanvasTest, RectangleCoversLeftTopToRightBottomExclusive) {
  C().Pen().SetColor(clBlack);
  C().Brush().SetColor(clRed);
  C().Rectangle(2, 3, 8, 7);
  EXPECT_EQ(At(2, 3), clBlack);
  EXPECT_EQ(At(7, 6), clBlack);
  EXPECT_EQ(At(4, 5), clRed);
  EXPECT_EQ(At(8, 3), clWhite);
  EXPECT_EQ(At(2, 7), clWhite);
  EXPECT_EQ(Painted(Rect(0, 0, 40, 30)), 6 * 4);

  // Without a pen the fill stops one pixel short on the right and at the bottom.
  C().Pen().SetStyle(psClear);
  C().Brush().SetColor(clBlue);
  C().Rectangle(10, 10, 14, 13);
  EXPECT_EQ(Painted(Rect(10, 10, 20, 20)), 3 * 2);
  EXPECT_EQ(At(12, 11), clBlue);
}

TEST_F(CanvasTest, RoundRectLeavesItsCornersOutAndFallsBackToARectangle) {
  C().Pen().SetColor(clBlack);
  C().Brush().SetColor(clRed);
  C().RoundRect(2, 2, 22, 14, 8, 8);
  EXPECT_EQ(At(2, 2), clWhite);  // corners are cut
  EXPECT_EQ(At(21, 13), clWhite);
  EXPECT_EQ(At(12, 2), clBlack);  // straight edges keep the pen
  EXPECT_EQ(At(2, 8), clBlack);
  EXPECT_EQ(At(12, 13), clBlack);
  EXPECT_EQ(At(12, 8), clRed);    // the brush fills the inside
  EXPECT_EQ(At(22, 8), clWhite);  // right and bottom stay exclusive
  EXPECT_EQ(At(12, 14), clWhite);

  // Corners below two pixels (or a zero radius) draw the same pixels as a plain rectangle.
  C().RoundRect(30, 2, 36, 6, 1, 0);
  EXPECT_EQ(At(30, 2), clBlack);
  EXPECT_EQ(At(35, 5), clBlack);
  EXPECT_EQ(At(32, 3), clRed);
  EXPECT_EQ(Painted(Rect(28, 0, 40, 8)), 6 * 4);
}

TEST_F(CanvasTest, LinesLeaveOutTheirLastPixel) {
  C().Pen().SetColor(clBlack);
  C().MoveTo(1, 1);
  C().LineTo(6, 1);
  C().LineTo(6, 5);
  EXPECT_EQ(Painted(Rect(0, 0, 6, 2)), 5);  // x = 1..5 on row 1 from the first line
  EXPECT_EQ(At(6, 1), clBlack);             // drawn by the second line
  EXPECT_EQ(At(6, 5), clWhite);
  EXPECT_EQ(C().PenPos(), Point(6, 5));
}

// Every one-pixel line covers its first point and stops one pixel short of its end, in any
// direction, row, pen mode and window origin (Qt's own thin lines drop a pixel at one end or
// the other depending on direction).
TEST_F(CanvasTest, EveryLineCoversFromItsStartToOneBeforeItsEnd) {
  struct Case {
    TPoint from, to;
  };
  const Case cases[] = {
      {{2, 1}, {12, 1}}, {{2, 7}, {12, 7}},  {{2, 20}, {12, 20}}, {{12, 5}, {2, 5}}, {{3, 2}, {3, 12}},
      {{3, 12}, {3, 2}}, {{2, 2}, {12, 12}}, {{12, 12}, {2, 2}},  {{2, 2}, {12, 7}}, {{12, 7}, {2, 2}},
      {{2, 7}, {12, 2}}, {{2, 2}, {7, 12}},  {{7, 12}, {2, 2}},   {{5, 5}, {6, 5}},  {{5, 5}, {4, 4}},
  };
  const TPenMode modes[] = {pmCopy, pmXor, pmNot, pmNotXor, pmBlack, pmMask};
  const TPoint origins[] = {{0, 0}, {-3, -2}, {1, -4}};
  for (const TPoint origin : origins)
    for (const TPenMode mode : modes)
      for (const Case& c : cases) {
        TBitmap b;
        b.SetPixelFormat(pf24bit);
        b.SetSize(40, 30);
        TCanvas& canvas = b.Canvas();
        canvas.Pen().SetColor(clRed);  // visible in every mode on white
        canvas.Pen().SetMode(mode);
        canvas.SetWindowOrg(origin.X, origin.Y);
        canvas.MoveTo(c.from.X, c.from.Y);
        canvas.LineTo(c.to.X, c.to.Y);
        int painted = 0;
        for (int y = -5; y < 25; ++y)
          for (int x = -5; x < 35; ++x) painted += canvas.Pixel(x, y) != clWhite && canvas.Pixel(x, y) != -1;
        const int length = std::max(std::abs(c.to.X - c.from.X), std::abs(c.to.Y - c.from.Y));
        SCOPED_TRACE(testing::Message()
                     << "(" << c.from.X << "," << c.from.Y << ")-(" << c.to.X << "," << c.to.Y << ") mode "
                     << int(mode) << " origin " << origin.X << "," << origin.Y);
        EXPECT_EQ(painted, length);
        EXPECT_NE(canvas.Pixel(c.from.X, c.from.Y), clWhite);
        EXPECT_EQ(canvas.Pixel(c.to.X, c.to.Y), clWhite);
      }
}

TEST_F(CanvasTest, PolylineAndDashedLinesKeepTheirEnds) {
  C().Pen().SetColor(clBlack);
  const TPoint points[] = {{2, 2}, {12, 2}, {12, 8}, {2, 8}};
  C().Polyline(points);
  EXPECT_EQ(Painted(Rect(0, 0, 40, 30)), 10 + 6 + 10);
  EXPECT_EQ(At(2, 8), clWhite);
  EXPECT_EQ(At(11, 2), clBlack);
  EXPECT_EQ(At(12, 7), clBlack);

  // A dotted line still starts on its first pixel and stops before its end, in any direction.
  C().Pen().SetStyle(psDot);
  C().MoveTo(30, 20);
  C().LineTo(10, 20);
  EXPECT_EQ(At(30, 20), clBlack);
  EXPECT_EQ(At(10, 20), clWhite);
  const int dots = Painted(Rect(0, 20, 40, 21));
  EXPECT_GT(dots, 3);
  EXPECT_LT(dots, 20);
}

TEST_F(CanvasTest, FillRectAndFrameRectUseTheBrush) {
  C().Brush().SetColor(clGreen);
  C().FillRect(Rect(1, 1, 4, 3));
  EXPECT_EQ(Painted(Rect(0, 0, 40, 30)), 6);
  C().Brush().SetColor(clNavy);
  C().FrameRect(Rect(10, 10, 15, 14));
  EXPECT_EQ(Painted(Rect(10, 10, 15, 14)), 5 * 4 - 3 * 2);
  EXPECT_EQ(At(12, 12), clWhite);
  C().Brush().SetStyle(bsClear);
  C().FillRect(Rect(20, 20, 30, 30));
  EXPECT_EQ(Painted(Rect(20, 20, 30, 30)), 0);
}

TEST_F(CanvasTest, XorRectangleTouchesEveryPixelOnce) {
  C().Pen().SetColor(clRed);
  C().Pen().SetMode(pmXor);
  C().Brush().SetColor(clBlue);
  C().Rectangle(2, 2, 10, 8);
  // Border: pen XOR white; inside: brush XOR white; nothing outside.
  for (int y = 2; y < 8; ++y)
    for (int x = 2; x < 10; ++x) {
      const bool border = x == 2 || x == 9 || y == 2 || y == 7;
      EXPECT_EQ(At(x, y), border ? clAqua : clYellow) << x << "," << y;
    }
  EXPECT_EQ(Painted(Rect(0, 0, 40, 30)), 8 * 6);
  C().Rectangle(2, 2, 10, 8);
  EXPECT_EQ(Painted(Rect(0, 0, 40, 30)), 0);

  // A dotted border still has its corners where they belong.
  C().Pen().SetMode(pmCopy);
  C().Pen().SetStyle(psDot);
  C().Brush().SetStyle(bsClear);
  C().Rectangle(20, 10, 30, 20);
  EXPECT_EQ(At(20, 10), clRed);
  EXPECT_GT(Painted(Rect(20, 10, 30, 20)), 8);
  EXPECT_LT(Painted(Rect(20, 10, 30, 20)), 36);  // fewer than a solid border
  EXPECT_EQ(Painted(Rect(21, 11, 29, 19)), 0);
  EXPECT_EQ(Painted(Rect(30, 0, 40, 30)) + Painted(Rect(0, 20, 40, 30)), 0);
}

TEST_F(CanvasTest, HatchedBrushKeepsTheBackgroundBetweenItsLines) {
  C().Brush().SetColor(clRed);
  C().Brush().SetStyle(bsCross);
  EXPECT_EQ(C().GetBkMode(), TRANSPARENT);
  C().FillRect(Rect(0, 0, 20, 20));
  const int red = Painted(Rect(0, 0, 20, 20));
  EXPECT_GT(red, 0);
  EXPECT_LT(red, 20 * 20 / 2);
  EXPECT_EQ(Painted(Rect(20, 0, 40, 30)), 0);

  // An opaque background mode fills the gaps with the background colour.
  C().SetBkMode(OPAQUE);
  C().SetBkColor(clBlue);
  C().FillRect(Rect(20, 0, 40, 20));
  int blue = 0, redLines = 0;
  for (int y = 0; y < 20; ++y)
    for (int x = 20; x < 40; ++x) {
      blue += At(x, y) == clBlue;
      redLines += At(x, y) == clRed;
    }
  EXPECT_GT(blue, redLines);
  EXPECT_EQ(blue + redLines, 20 * 20);

  // Back to a solid brush: text backgrounds are opaque in its colour again.
  C().Brush().SetStyle(bsSolid);
  EXPECT_EQ(C().GetBkMode(), OPAQUE);
  EXPECT_EQ(C().GetBkColor(), clRed);
}

TEST_F(CanvasTest, XorAndNotDrawingIsUndoneByDrawingAgain) {
  C().Brush().SetColor(RGBColor(10, 200, 30));
  C().FillRect(Rect(0, 0, 40, 30));
  const std::vector<uint32_t> before = PixelsOf(bitmap);
  for (TPenMode mode : {pmXor, pmNot, pmNotXor}) {
    C().Pen().SetMode(mode);
    C().Pen().SetColor(RGBColor(255, 0, 255));
    C().MoveTo(5, 5);
    C().LineTo(30, 5);
    EXPECT_NE(PixelsOf(bitmap), before) << mode;
    C().MoveTo(5, 5);
    C().LineTo(30, 5);
    EXPECT_EQ(PixelsOf(bitmap), before) << mode;
  }
  C().Pen().SetMode(pmNot);
  C().MoveTo(0, 9);
  C().LineTo(2, 9);
  EXPECT_EQ(At(0, 9), RGBColor(245, 55, 225));
}

TEST_F(CanvasTest, ClippingAndWindowOriginAndSavedStates) {
  const int saved = C().SaveDC();
  C().IntersectClipRect(Rect(5, 5, 10, 10));
  C().Brush().SetColor(clRed);
  C().FillRect(Rect(0, 0, 40, 30));
  EXPECT_EQ(C().ClipRect(), Rect(5, 5, 10, 10));
  EXPECT_EQ(C().Pixel(4, 4), -1);  // outside the clip region
  EXPECT_TRUE(C().RestoreDC(saved));
  EXPECT_EQ(Painted(Rect(0, 0, 40, 30)), 25);
  EXPECT_FALSE(C().HasClip());
  EXPECT_EQ(C().Brush().Color(), clWhite);

  // Logical (20, 20) is drawn at device (0, 0); clipping given in logical units.
  C().SetWindowOrg(20, 20);
  C().Brush().SetColor(clBlue);
  C().IntersectClipRect(Rect(20, 20, 22, 40));
  C().FillRect(Rect(20, 20, 30, 30));
  C().SetWindowOrg(0, 0);
  EXPECT_EQ(C().Pixel(0, 0), clBlue);
  EXPECT_EQ(C().Pixel(1, 9), clBlue);
  EXPECT_EQ(C().Pixel(2, 0), -1);  // outside the clip region
  C().ResetClip();
  EXPECT_EQ(Painted(Rect(0, 0, 40, 30)), 25 + 2 * 10);
  EXPECT_FALSE(C().RestoreDC(5));
}

TEST_F(CanvasTest, TextBackgroundFollowsTheBrush) {
  C().Font().SetName("Liberation Sans");
  C().Font().SetHeight(-14);
  C().Font().SetColor(clBlack);
  C().Brush().SetColor(clYellow);
  const TSize extent = C().TextExtent("Hi");
  ASSERT_GT(extent.cx, 0);
  C().TextOut(2, 2, "Hi");
  // The whole text cell is filled: its corners carry the background colour.
  EXPECT_EQ(At(2, 2), clYellow);
  EXPECT_EQ(At(2 + extent.cx - 1, 2 + extent.cy - 1), clYellow);
  EXPECT_EQ(At(2 + extent.cx, 2), clWhite);
  EXPECT_EQ(C().PenPos(), Point(2 + extent.cx, 2));

  C().Brush().SetStyle(bsClear);
  C().TextOut(22, 2, "Hi");
  int yellow = 0, dark = 0;
  for (int y = 0; y < 30; ++y)
    for (int x = 21; x < 40; ++x) {
      yellow += At(x, y) == clYellow;
      dark += GetRValue(At(x, y)) < 128;
    }
  EXPECT_EQ(yellow, 0);
  EXPECT_GT(dark, 0);
}

TEST_F(CanvasTest, BaselineAlignmentPutsTheBaselineOnY) {
  C().Font().SetName("Liberation Sans");
  C().Font().SetHeight(-16);
  C().Brush().SetStyle(bsClear);
  TTextMetric tm;
  ASSERT_TRUE(C().GetTextMetrics(tm));
  C().SetTextAlign(TA_BASELINE);
  C().TextOut(2, 20, "HH");  // no descenders
  EXPECT_GT(Painted(Rect(0, 20 - tm.tmAscent, 40, 20)), 0);
  EXPECT_EQ(Painted(Rect(0, 21, 40, 30)), 0);
  EXPECT_EQ(Painted(Rect(0, 0, 40, 20 - tm.tmAscent)), 0);
}

TEST(CanvasText, MetricsAndExtentsAgree) {
  TCanvas canvas;  // measuring needs no target
  canvas.Font().SetName("Liberation Sans");
  canvas.Font().SetHeight(-20);
  TTextMetric tm;
  ASSERT_TRUE(canvas.GetTextMetrics(tm));
  EXPECT_EQ(tm.tmHeight, tm.tmAscent + tm.tmDescent);
  EXPECT_EQ(tm.tmHeight - tm.tmInternalLeading, 20);
  EXPECT_GT(tm.tmAveCharWidth, 0);
  EXPECT_EQ(tm.tmPitchAndFamily & 1, 1);  // proportional
  EXPECT_EQ(canvas.TextExtent("Word").cy, tm.tmHeight);

  std::vector<int32_t> widths;
  int32_t fit = -1;
  const TSize whole = canvas.GetTextExtentExPoint("Words", 1000, &fit, &widths);
  ASSERT_EQ(widths.size(), 5u);
  EXPECT_EQ(fit, 5);
  EXPECT_EQ(whole.cx, canvas.TextWidth("Words"));
  EXPECT_EQ(widths.back(), whole.cx);
  for (size_t i = 1; i < widths.size(); ++i) EXPECT_GT(widths[i], widths[i - 1]);
  canvas.GetTextExtentExPoint("Words", widths[1], &fit, nullptr);
  EXPECT_EQ(fit, 2);
  canvas.GetTextExtentExPointW(u"", 10, &fit, nullptr);
  EXPECT_EQ(fit, 0);

  // Character extra spacing widens every character.
  const int32_t plain = canvas.TextWidth("abc");
  EXPECT_EQ(canvas.SetTextCharacterExtra(3), 0);
  EXPECT_EQ(canvas.TextWidth("abc"), plain + 9);
  canvas.SetTextCharacterExtra(0);

  // A wider average character width stretches the text.
  canvas.Font().SetWidth(tm.tmAveCharWidth * 2);
  EXPECT_GT(canvas.TextWidth("abcdef"), plain * 3 / 2);

  TOutlineTextMetric otm;
  ASSERT_TRUE(canvas.GetOutlineTextMetrics(otm));
  EXPECT_GE(otm.otmsUnderscoreSize, 1);
  EXPECT_LT(otm.otmsUnderscorePosition, 0);  // below the baseline
}

TEST(CanvasText, CharacterSetDecidesHowBytesAreRead) {
  TCanvas canvas;
  canvas.Font().SetName("DejaVu Sans");
  canvas.Font().SetHeight(-16);
  canvas.Font().SetCharset(RUSSIAN_CHARSET);
  // 0xC6 is Cyrillic Zhe in code page 1251 and the Latin AE ligature in 1252.
  EXPECT_EQ(canvas.TextWidth("\xC6\xC6"), canvas.TextExtentW(u"\u0416\u0416").cx);
  canvas.Font().SetCharset(ANSI_CHARSET);
  EXPECT_EQ(canvas.TextWidth("\xC6\xC6"), canvas.TextExtentW(u"\u00C6\u00C6").cx);
  // Johab: two bytes make one Hangul syllable.
  canvas.Font().SetCharset(JOHAB_CHARSET);
  EXPECT_EQ(canvas.TextWidth("\x88\x61"), canvas.TextExtentW(u"\uAC00").cx);
}

TEST(CanvasText, PlacementGivesCellsInVisualOrder) {
  TCanvas canvas;
  canvas.Font().SetName("DejaVu Sans");
  canvas.Font().SetHeight(-16);
  TCharacterPlacement p;
  ASSERT_TRUE(canvas.GetCharacterPlacementW(u"ab\u05D0\u05D1", p));
  ASSERT_EQ(p.Order.size(), 4u);
  EXPECT_EQ(p.Order[0], 0u);
  EXPECT_EQ(p.Order[1], 1u);
  // The Hebrew pair runs right to left: its first character is drawn right of the second.
  EXPECT_EQ(p.Order[2], 3u);
  EXPECT_EQ(p.Order[3], 2u);
  EXPECT_EQ(p.Classes[2], 2);
  EXPECT_EQ(p.Classes[0], 0);
}

TEST_F(CanvasTest, CopyRectAndStretchDrawMovePixels) {
  TBitmap source;
  FillBitmap(source, 2, 2, [](int x, int y) { return x == y ? clRed : clBlue; });
  C().StretchDraw(Rect(0, 0, 4, 4), &source);
  EXPECT_EQ(At(0, 0), clRed);
  EXPECT_EQ(At(1, 1), clRed);
  EXPECT_EQ(At(2, 0), clBlue);
  EXPECT_EQ(At(3, 3), clRed);
  EXPECT_EQ(At(4, 4), clWhite);

  C().CopyRect(Rect(10, 10, 12, 12), source.Canvas(), Rect(0, 0, 2, 2));
  EXPECT_EQ(At(10, 10), clRed);
  EXPECT_EQ(At(11, 10), clBlue);

  source.SetTransparentColor(clBlue);
  source.SetTransparent(true);
  C().Draw(20, 20, &source);
  EXPECT_EQ(At(20, 20), clRed);
  EXPECT_EQ(At(21, 20), clWhite);
}

TEST_F(CanvasTest, CopyModesCombineSourceTargetAndBrush) {
  constexpr TColor s = 0x3366F0, d = 0x55AACC, b = 0x0FF00F;
  const std::pair<TCopyMode, TColor> rows[] = {
      {cmSrcCopy, s},       {cmSrcAnd, s & d},       {cmSrcPaint, s | d},    {cmSrcInvert, s ^ d},
      {cmNotSrcCopy, ~s},   {cmSrcErase, s & ~d},    {cmMergePaint, ~s | d}, {cmNotSrcErase, ~(s | d)},
      {cmBlackness, 0},     {cmWhiteness, 0xFFFFFF}, {cmDstInvert, ~d},      {cmPatCopy, b},
      {cmPatInvert, b ^ d}, {cmDstCopy, d}};
  TBitmap source;
  FillBitmap(source, 1, 1, [](int, int) { return s; });
  C().Brush().SetColor(b);
  for (const auto& [mode, expected] : rows) {
    C().SetPixel(0, 0, d);
    C().SetCopyMode(mode);
    C().CopyRect(Rect(0, 0, 1, 1), source.Canvas(), Rect(0, 0, 1, 1));
    EXPECT_EQ(At(0, 0), expected & 0xFFFFFF) << std::hex << mode;
  }
}

TEST(CanvasDevice, DrawsOnAnImageOwnedElsewhere) {
  QImage image(8, 8, QImage::Format_RGB32);
  image.fill(Qt::white);
  {
    TCanvas canvas(std::make_unique<TImageCanvasDevice>(&image));
    canvas.Brush().SetColor(clRed);
    canvas.FillRect(Rect(1, 1, 3, 3));
    EXPECT_EQ(canvas.Pixel(2, 2), clRed);
    EXPECT_EQ(canvas.TargetSize(), (TSize{8, 8}));
  }
  EXPECT_EQ(image.pixel(1, 1) & 0xFFFFFF, 0xFF0000u);
  EXPECT_EQ(image.pixel(3, 3) & 0xFFFFFF, 0xFFFFFFu);
}

TEST(CanvasText, NoTargetDrawsNothingButMeasures) {
  TCanvas canvas;
  EXPECT_FALSE(canvas.HasTarget());
  canvas.Rectangle(0, 0, 10, 10);
  canvas.TextOut(0, 0, "x");
  EXPECT_EQ(canvas.Pixel(0, 0), -1);
  EXPECT_GT(canvas.TextWidth("x"), 0);
  EXPECT_EQ(canvas.GetDeviceCaps(LOGPIXELSX), 96);
}

}  // namespace
