#include <gtest/gtest.h>

#include <climits>
#include <string>

#include "platform/graphics/Bitmap.h"
#include "platform/graphics/Canvas.h"
#include "richtext/core/RVFuncs.h"
#include "richtext/core/RVGraphicFuncs.h"
#include "richtext/core/RVUni.h"

namespace {

TEST(RVFuncsTest, TagsCopyAndCompareByTheDocumentsTagKind) {
  const TRVTag text{5, std::string("abc")};
  const TRVTag copy = RVCopyTag(text, true);
  EXPECT_EQ(copy.Text, std::optional<std::string>("abc"));
  EXPECT_TRUE(RVAreTagsEqual(text, copy, true));
  EXPECT_EQ(RVCopyTag(text, false).Value, 5);
  EXPECT_FALSE(RVCopyTag(text, false).Text.has_value());

  const TRVTag null{};
  const TRVTag empty{0, std::string()};
  EXPECT_TRUE(RVAreTagsEqual(null, TRVTag{7, std::nullopt}, true));  // both null texts
  EXPECT_FALSE(RVAreTagsEqual(null, empty, true));                   // null is not ""
  EXPECT_FALSE(RVAreTagsEqual(text, TRVTag{5, std::string("abd")}, true));
  EXPECT_TRUE(RVAreTagsEqual(text, TRVTag{5, std::nullopt}, false));  // integers only
  EXPECT_FALSE(RVAreTagsEqual(TRVTag{1, {}}, TRVTag{2, {}}, false));
}

TEST(RVFuncsTest, ExpandTabs) {
  EXPECT_EQ(RVExpandTabs("no tab", 4), "no tab");
  EXPECT_EQ(RVExpandTabs("a\tb", 4), "a    b");
  EXPECT_EQ(RVExpandTabs("\t\t", 1), "  ");
  EXPECT_EQ(RVExpandTabs("a\tb", 0), "ab");
  EXPECT_EQ(RVExpandTabs("a\tb", -2), "ab");
  EXPECT_EQ(RVExpandTabsW(RVWideStringToBytes(u"a\tb"), 2), RVWideStringToBytes(u"a  b"));
  // U+0909 has a tab as its low byte and is no tab; a trailing odd byte is kept.
  EXPECT_EQ(RVExpandTabsW(RVWideStringToBytes(u"\u0909") + "\t", 3), RVWideStringToBytes(u"\u0909") + "\t");
}

TEST(RVFuncsTest, ScreenAndDeviceScaling) {
  const TRVFormatScale printer{96, 96, 600, 300, 0, 0};
  EXPECT_EQ(RVScreenToDeviceX(96, printer), 600);
  EXPECT_EQ(RVScreenToDeviceY(96, printer), 300);
  EXPECT_EQ(RVDeviceToScreenX(600, printer), 96);
  EXPECT_EQ(RVDeviceToScreenY(301, printer), 96);                              // 96.32 rounds to 96
  EXPECT_EQ(RVScreenToDeviceX(1, TRVFormatScale{96, 96, 144, 144, 0, 0}), 2);  // 1.5 rounds away from 0
  // A rectangle scales each side on its own axis.
  TRect rect = Rect(600, 300, 1200, 903);
  RVDeviceToScreenRect(rect, printer);
  EXPECT_EQ(rect, Rect(96, 96, 192, 289));
}

// Shrunk onto a device of half the resolution, a black and white checkerboard turns grey; the
// device keeps its own stretch mode.
TEST(RVFuncsTest, ABitmapStretchedOntoADeviceIsSmoothed) {
  TBitmap board, device;
  board.SetSize(2, 2);
  for (int i = 0; i < 4; ++i) board.Canvas().SetPixel(i % 2, i / 2, (i == 0 || i == 3) ? clBlack : clWhite);
  device.SetSize(1, 1);
  RVStretchDrawPicture(device.Canvas(), 0, 0, -1, -1, TRVFormatScale{96, 96, 48, 48, 0, 0}, board, false);
  const int green = (device.Canvas().Pixel(0, 0) >> 8) & 0xFF;
  EXPECT_TRUE(green > 0x40 && green < 0xC0) << green;
  EXPECT_EQ(device.Canvas().SetStretchBltMode(BLACKONWHITE), BLACKONWHITE)
      << "the device's stretch mode is restored";
}

TEST(RVFuncsTest, PointInRectExcludesRightAndBottomEdges) {
  EXPECT_TRUE(RVPointInRect(10, 20, 10, 20, 5, 5));
  EXPECT_TRUE(RVPointInRect(14, 24, 10, 20, 5, 5));
  EXPECT_FALSE(RVPointInRect(15, 24, 10, 20, 5, 5));
  EXPECT_FALSE(RVPointInRect(14, 25, 10, 20, 5, 5));
  EXPECT_FALSE(RVPointInRect(9, 20, 10, 20, 5, 5));
  EXPECT_FALSE(RVPointInRect(10, 20, 10, 20, 0, 5));
  EXPECT_TRUE(RVPointInRect(INT_MAX - 1, 0, INT_MAX - 10, 0, 100, 1));  // no overflow
}

TEST(RVFuncsTest, CharPosInBuffer) {
  EXPECT_EQ(RVCharPosInBuffer("abcabc", 'c', 6), 3);
  EXPECT_EQ(RVCharPosInBuffer("abcabc", 'c', 2), 0);
  EXPECT_EQ(RVCharPosInBuffer("abc", 'x', 3), 0);
  EXPECT_EQ(RVCharPosInBuffer("abc", 'a', 0), 0);
  EXPECT_EQ(RVCharPosInBuffer("", 'a', 5), 0);
  EXPECT_EQ(RVCharPosInBuffer("abc", 'c', 100), 3);  // the length is cut to the buffer
  EXPECT_EQ(RVCharPosInBuffer(std::string_view("a\0b", 3), '\0', 3), 2);
}

TEST(RVFuncsTest, GreyLevels) {
  EXPECT_EQ(RVColorToGrayLevel(clRed), 76);  // 76.5 rounds half to even
  EXPECT_EQ(RVColorToGray(clRed), 0x4C4C4C);
  EXPECT_EQ(RVColorToGrayLevel(clLime), 150);
  EXPECT_EQ(RVColorToGrayLevel(clBlue), 28);
  EXPECT_EQ(RVColorToGray(clWhite), clWhite);
  EXPECT_EQ(RVColorToGray(clNone), clNone);
  EXPECT_EQ(RVColorToGray(clBtnFace), 0xF0F0F0);  // system colours by their RGB value
}

TEST(RVFuncsTest, ColorModes) {
  const struct {
    TColor color;
    TRVColorMode mode;
    TColor text, back;
  } cases[] = {
      {clRed, 0, clRed, clRed},
      {clWindow, 0, clWindow, clWindow},
      {clWindowText, 1, clBlack, clBlack},
      {clWindow, 1, clWhite, clWhite},
      {clBtnFace, 1, clBtnFace, clBtnFace},
      {clRed, 2, 0x4C4C4C, 0x4C4C4C},
      {clWindow, 2, clWhite, clWhite},
      {clRed, 3, clBlack, clWhite},
      {0xFEFFFF, 3, clBlack, clWhite},  // light but not exactly white
      {clWhite, 3, clWhite, clWhite},
      {clYellow, 4, clBlack, clWhite},
      {clNone, 0, clNone, clNone},
      {clNone, 3, clNone, clNone},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(RVTextColorForColorMode(c.color, c.mode), c.text)
        << std::hex << c.color << " mode " << int(c.mode);
    EXPECT_EQ(RVBackColorForColorMode(c.color, c.mode), c.back)
        << std::hex << c.color << " mode " << int(c.mode);
  }
  EXPECT_EQ(RVSystemColorForPrinting(clHighlight), clHighlight);
}

}  // namespace
