// Measuring and placing item text on a canvas with the fonts the tests install.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/graphics/Bitmap.h"
#include "platform/graphics/Canvas.h"
#include "platform/graphics/Font.h"
#include "richtext/core/RVUniMeasure.h"

namespace {

std::string W(std::u16string_view text) {
  return RVWideStringToBytes(text);
}

// Hebrew letters alef, bet, gimel: right-to-left characters.
constexpr char16_t kHebrew[] = u"\u05D0\u05D1\u05D2";

class UniMeasureTest : public ::testing::Test {
 protected:
  void SetUp() override {
    bitmap.SetPixelFormat(pf24bit);
    bitmap.SetSize(200, 30);
    C().Font().SetName("DejaVu Sans");
    C().Font().SetSize(12);
  }
  TCanvas& C() { return bitmap.Canvas(); }

  TBitmap bitmap;
};

TEST_F(UniMeasureTest, BytewiseDecodingKeepsOneUnitPerByte) {
  // 0x82 0xA0 is one character of code page 932: offsets would no longer count bytes.
  const std::u16string wide = RVDecodeBytewise(932, "a\x82\xA0z");
  ASSERT_EQ(wide.size(), 4u);
  EXPECT_EQ(wide[0], u'a');
  EXPECT_EQ(wide[3], u'z');
  EXPECT_EQ(RVDecodeBytewise(1251, "\xC0\xE1"), u"\u0410\u0431");
}

TEST_F(UniMeasureTest, WidthsAgreeForBothKindsOfText) {
  EXPECT_EQ(RVTextWidth("", C(), 0), 0);
  const int32_t ansi = RVTextWidth("Width", C(), 0);
  EXPECT_GT(ansi, 0);
  EXPECT_EQ(RVTextWidth(W(u"Width"), C(), rvioTwoByteText), ansi);
}

TEST_F(UniMeasureTest, ExtentCountsTheCharactersThatFit) {
  int fit = -1;
  std::vector<int32_t> widths{1, 2, 3};
  RVGetTextExtentEx(C(), "", 100, 0, &widths, fit);
  EXPECT_EQ(fit, 0);
  EXPECT_TRUE(widths.empty());

  const std::string text = W(u"abcdefgh");
  RVGetTextExtentEx(C(), text, 10000, rvioTwoByteText, &widths, fit);
  EXPECT_EQ(fit, 8);
  ASSERT_EQ(widths.size(), 8u);
  for (size_t i = 1; i < widths.size(); ++i) EXPECT_GT(widths[i], widths[i - 1]);
  EXPECT_EQ(widths.back(), RVTextWidth(text, C(), rvioTwoByteText));
  // Exactly the prefixes no wider than the limit fit, in 8-bit text as in UTF-16.
  RVGetTextExtentEx(C(), "abcdefgh", widths[2], 0, nullptr, fit);
  EXPECT_EQ(fit, 3);
  RVGetTextExtentEx(C(), text, widths[2] - 1, rvioTwoByteText, nullptr, fit);
  EXPECT_EQ(fit, 2);
}

TEST_F(UniMeasureTest, PlacementPutsCaretsInVisualOrder) {
  std::vector<int32_t> ltr;
  ASSERT_TRUE(RVGetCharacterPlacement(C(), "ab", ltr, 0));
  ASSERT_EQ(ltr.size(), 3u);
  EXPECT_EQ(ltr[0], 0);
  EXPECT_LT(ltr[1], ltr[2]);
  EXPECT_EQ(ltr[2], RVTextWidth("ab", C(), 0) + 1);

  std::vector<int32_t> rtl;
  ASSERT_TRUE(RVGetCharacterPlacement(C(), W(kHebrew), rtl, rvioTwoByteText));
  ASSERT_EQ(rtl.size(), 4u);
  // Before the first letter is the right edge; each later caret stands further left.
  EXPECT_EQ(rtl[0], RVTextWidth(W(kHebrew), C(), rvioTwoByteText));
  EXPECT_GT(rtl[0], rtl[1]);
  EXPECT_GT(rtl[1], rtl[2]);
  EXPECT_GT(rtl[2], rtl[3]);
  EXPECT_EQ(rtl[3], 0);

  // Mixed text: the Latin word stays left, the Hebrew run is reversed after it.
  std::vector<int32_t> mixed;
  ASSERT_TRUE(RVGetCharacterPlacement(C(), W(u"ab \u05D0\u05D1"), mixed, rvioTwoByteText));
  ASSERT_EQ(mixed.size(), 6u);
  EXPECT_LT(mixed[2], mixed[3]);
  EXPECT_GT(mixed[4], mixed[5]) << "the caret after the last letter is left of the one before it";
  EXPECT_GT(mixed[5], mixed[3] - 2);
}

TEST_F(UniMeasureTest, PlacedDrawingCoversOnlyTheCellsOfTheRange) {
  C().Brush().SetColor(clWhite);
  C().FillRect(Rect(0, 0, 200, 30));
  C().SetBkColor(clRed);
  const std::string text = W(kHebrew);
  EXPECT_FALSE(RVTryDrawTextPlaced(10, 5, 20, false, rvioTwoByteText, 3, 1, C(), text));
  EXPECT_EQ(C().Pixel(12, 10), clWhite) << "not enabled: nothing is drawn";

  std::vector<int32_t> carets;
  ASSERT_TRUE(RVGetCharacterPlacement(C(), text, carets, rvioTwoByteText));
  // The first letter alone is the rightmost cell.
  ASSERT_TRUE(RVTryDrawTextPlaced(10, 5, 20, true, rvioTwoByteText, 1, 1, C(), text));
  int32_t minX = 1000, maxX = -1;
  for (int y = 0; y < 30; ++y)
    for (int x = 0; x < 200; ++x)
      if (C().Pixel(x, y) != clWhite) {
        minX = std::min(minX, x);
        maxX = std::max(maxX, x);
        EXPECT_GE(y, 5);
        EXPECT_LT(y, 25);
      }
  EXPECT_EQ(minX, 10 + carets[1]);
  EXPECT_EQ(maxX, 10 + carets[0] - 1);
  // A range beyond the text is cut to it; an empty range draws nothing but succeeds.
  EXPECT_TRUE(RVTryDrawTextPlaced(10, 5, 20, true, rvioTwoByteText, 99, 3, C(), text));
  EXPECT_TRUE(RVTryDrawTextPlaced(10, 5, 20, true, rvioTwoByteText, 1, 2, C(), text));
}

}  // namespace
