// The style sheet's drawing services on a bitmap canvas: colours by drawing state and
// printing mode, scaled fonts, paragraph borders and backgrounds, checkpoints, page breaks,
// and the events that replace the default drawing; plus the sheet's construction defaults.
#include <gtest/gtest.h>

#include "platform/core/SysUtils.h"
#include "platform/graphics/Bitmap.h"
#include "platform/graphics/Canvas.h"
#include "platform/graphics/Icon.h"
#include "platform/graphics/Picture.h"
#include "platform/graphics/SystemColors.h"
#include "richtext/core/RVStyle.h"

namespace {

class RVStyleDrawTest : public ::testing::Test {
 protected:
  void SetUp() override {
    bitmap.SetPixelFormat(pf24bit);
    bitmap.SetSize(60, 40);
  }
  TCanvas& C() { return bitmap.Canvas(); }
  TColor At(int x, int y) { return C().Pixel(x, y); }

  TBitmap bitmap;
  TRVStyle sheet;
};

TEST_F(RVStyleDrawTest, NewSheetHasTheDefaultStyles) {
  const char* textNames[] = {"Normal text", "Heading", "Subheading", "Keywords", "Jump 1", "Jump 2"};
  ASSERT_EQ(sheet.TextStyles().Count(), 6);
  for (int i = 0; i < 6; ++i) EXPECT_EQ(sheet.TextStyles()[i].StyleName, textNames[i]);
  EXPECT_EQ(sheet.TextStyles()[1].Color, clBlue);
  EXPECT_TRUE(sheet.TextStyles()[1].Style.Contains(fsBold));
  EXPECT_TRUE(sheet.TextStyles()[5].Jump);
  EXPECT_EQ(sheet.TextStyles()[5].JumpCursor, crJump);
  ASSERT_EQ(sheet.ParaStyles().Count(), 2);
  EXPECT_EQ(sheet.ParaStyles()[0].StyleName, "Paragraph Style");
  EXPECT_EQ(sheet.ParaStyles()[1].StyleName, "Centered");
  EXPECT_EQ(sheet.ListStyles().Count(), 0);
  EXPECT_NE(GetScreenCursor(crJump), nullptr);
}

TEST_F(RVStyleDrawTest, InvalidPictureIsMadeOnFirstUse) {
  EXPECT_EQ(sheet.InvalidPictureIfAny(), nullptr);
  EXPECT_GT(sheet.InvalidPicture().Width(), 0);
  sheet.SetInvalidPicture(nullptr);
  EXPECT_EQ(sheet.InvalidPictureIfAny(), nullptr);
}

TEST_F(RVStyleDrawTest, ColoursByDrawingState) {
  TFontInfo& f = sheet.TextStyles()[4];  // a jump
  f.Color = clGreen;
  f.BackColor = clYellow;
  f.HoverBackColor = clAqua;
  sheet.HoverColor = clRed;
  sheet.InactiveSelTextColor = clNone;
  struct Case {
    const char* name;
    TRVTextDrawStates state;
    TColor text, brush;
  };
  const Case cases[] = {
      {"selected, focused", rvtsSelected | rvtsControlFocused, clHighlightText, clHighlight},
      {"selected, inactive: no text colour falls back", rvtsSelected, clGreen, clHighlight},
      {"hover uses the sheet's colour", rvtsHover, clRed, clAqua},
      {"plain", 0, clGreen, clYellow},
  };
  for (const Case& c : cases) {
    sheet.ApplyStyleColor(C(), 4, c.state, false, 0);
    EXPECT_EQ(C().Font().Color(), c.text) << c.name;
    EXPECT_EQ(C().Brush().Color(), c.brush) << c.name;
    EXPECT_EQ(C().Brush().Style(), bsSolid) << c.name;
  }
}

TEST_F(RVStyleDrawTest, PrintingColourModes) {
  TFontInfo& f = sheet.TextStyles()[0];
  f.Color = clWindowText;
  f.BackColor = clNavy;
  struct Case {
    TRVColorMode mode;
    TColor text, brush;
  };
  const Case cases[] = {
      {0, clWindowText, clNavy}, {1, clBlack, clNavy}, {2, clBlack, RVColorToGray(clNavy)},
      {3, clBlack, clWhite},  // the background is lighter than the text: black on white
      {4, clBlack, clNone},
  };
  for (const Case& c : cases) {
    sheet.ApplyStyleColor(C(), 0, 0, true, c.mode);
    EXPECT_EQ(C().Font().Color(), c.text) << int(c.mode);
    EXPECT_EQ(C().Brush().Color(), c.brush) << int(c.mode);
    EXPECT_EQ(C().Brush().Style(), c.brush == clNone ? bsClear : bsSolid) << int(c.mode);
  }
  f.Color = clYellow;  // the text is lighter than the background: white on black
  sheet.ApplyStyleColor(C(), 0, 0, true, 3);
  EXPECT_EQ(C().Font().Color(), clWhite);
  EXPECT_EQ(C().Brush().Color(), clBlack);
  f.BackColor = clNone;
  f.Color = clWindow;  // prints as white
  sheet.ApplyStyleColor(C(), 0, 0, true, 3);
  EXPECT_EQ(C().Font().Color(), clWhite);
  EXPECT_EQ(C().Brush().Style(), bsClear);
}

TEST_F(RVStyleDrawTest, ApplyStyleSelectsFontAndSpacing) {
  TFontInfo& f = sheet.TextStyles()[1];
  f.FontName = "Liberation Serif";
  f.Size = 14;
  f.CharSpacing = 3;
  sheet.ApplyStyle(C(), 1, rvbdUnspecified);
  EXPECT_EQ(C().Font().Name(), "Liberation Serif");
  EXPECT_EQ(C().Font().Size(), 14);
  EXPECT_TRUE(C().Font().Style().Contains(fsBold));
  EXPECT_EQ(C().GetTextCharacterExtra(), 3);
  f.BiDiMode = rvbdRightToLeft;
  sheet.ApplyStyle(C(), 1, rvbdUnspecified);
  EXPECT_EQ(C().GetTextCharacterExtra(), 0);
  EXPECT_EQ(C().GetTextAlign(), TA_RTLREADING);
}

TEST_F(RVStyleDrawTest, CharScaleStretchesTheAverageCharacterWidth) {
  TFontInfo& f = sheet.TextStyles()[0];
  f.Size = 20;
  sheet.ApplyStyle(C(), 0, rvbdLeftToRight);
  TTextMetric tm;
  ASSERT_TRUE(C().GetTextMetrics(tm));
  ASSERT_GT(tm.tmAveCharWidth, 0);
  f.CharScale = 150;
  sheet.ApplyStyle(C(), 0, rvbdLeftToRight);
  EXPECT_EQ(C().Font().Width(), tm.tmAveCharWidth * 150 / 100);
  EXPECT_EQ(C().Font().Height(), -MulDiv(20, C().Font().PixelsPerInch(), 72));
  f.CharScale = 100;
  sheet.ApplyStyle(C(), 0, rvbdLeftToRight);
  EXPECT_EQ(C().Font().Width(), 0) << "an unscaled style drops the previous stretch";
}

TEST_F(RVStyleDrawTest, ToLogFont) {
  TFontInfo f;
  f.Size = 12;
  f.Style = {fsBold, fsStrikeOut};
  f.Charset = GREEK_CHARSET;
  f.FontName = "Tahoma";
  const TLogFont lf = f.ToLogFont(C());
  EXPECT_EQ(lf.lfHeight, -16);
  EXPECT_EQ(lf.lfWeight, 700);
  EXPECT_EQ(lf.lfItalic, 0);
  EXPECT_EQ(lf.lfStrikeOut, 1);
  EXPECT_EQ(lf.lfCharSet, GREEK_CHARSET);
  EXPECT_EQ(lf.lfFaceName, "Tahoma");
  EXPECT_EQ(lf.lfWidth, 0);
}

TEST_F(RVStyleDrawTest, DoubleBorderDrawsTwoFramesTwoPixelsApart) {
  TRVBorder border;
  border.Style = rvbDouble;
  border.Color = clRed;
  border.Draw(Rect(10, 10, 30, 30), C());
  EXPECT_EQ(At(20, 10), clRed);   // inner frame
  EXPECT_EQ(At(20, 9), clWhite);  // gap
  EXPECT_EQ(At(20, 8), clRed);    // outer frame
  EXPECT_EQ(At(10, 20), clRed);
  EXPECT_EQ(At(8, 20), clRed);
  EXPECT_EQ(At(30, 20), clRed);
  EXPECT_EQ(At(32, 20), clRed);
  EXPECT_EQ(At(20, 20), clWhite);
  EXPECT_EQ(At(20, 7), clWhite);
}

TEST_F(RVStyleDrawTest, BorderOffsetsAndHiddenSides) {
  TRVBorder border;
  border.Style = rvbSingle;
  border.Color = clBlue;
  border.BorderOffsets().SetAll(2);
  border.VisibleBorders().Left = false;
  border.Draw(Rect(10, 10, 30, 30), C());
  EXPECT_EQ(At(20, 8), clBlue);
  EXPECT_EQ(At(32, 20), clBlue);
  EXPECT_EQ(At(8, 20), clWhite);
}

TEST_F(RVStyleDrawTest, BorderWithoutColourPrintsBlackInBlackAndWhite) {
  TRVBorder border;
  border.Style = rvbSingle;
  border.Color = clNone;
  TRVFormatScale screen;
  border.DrawScaled(Rect(10, 10, 30, 30), C(), 3, screen);
  EXPECT_EQ(At(20, 10), clBlack);
  TRVBorder none;
  none.Draw(Rect(10, 10, 30, 30), C());  // rvbNone draws nothing over what is there
  EXPECT_EQ(At(20, 20), clWhite);
}

TEST_F(RVStyleDrawTest, BorderScaledToTheDevice) {
  TRVBorder border;
  border.Style = rvbSingle;
  border.Color = clRed;
  border.BorderOffsets().SetAll(2);
  TRVFormatScale device;
  device.DevicePPIX = device.DevicePPIY = 192;  // twice the screen
  border.DrawScaled(Rect(20, 10, 40, 30), C(), 0, device);
  // 2 pixels of offset become 4 (the top edge at y = 6), the line 2 pixels wide.
  EXPECT_EQ(At(30, 5), clRed);
  EXPECT_EQ(At(30, 6), clRed);
  EXPECT_EQ(At(30, 7), clWhite);
  EXPECT_EQ(At(30, 4), clWhite);
}

TEST_F(RVStyleDrawTest, ParagraphBackgroundFillsItsRectangle) {
  sheet.ParaStyles()[1].Background().Color = clRed;
  sheet.DrawParaBack(C(), 1, Rect(5, 5, 15, 15), false, 0);
  EXPECT_EQ(At(5, 5), clRed);
  EXPECT_EQ(At(14, 14), clRed);
  EXPECT_EQ(At(15, 15), clWhite);
  EXPECT_EQ(C().Brush().Style(), bsClear);
  sheet.ParaStyles()[1].Background().Color = clBlue;
  sheet.DrawParaBack(C(), 1, Rect(20, 5, 30, 15), true, 3);
  EXPECT_EQ(At(25, 10), clWhite) << "black-and-white printing draws no backgrounds";
  sheet.DrawParaBack(C(), 1, Rect(20, 5, 30, 15), true, 2);
  EXPECT_EQ(At(25, 10), RVColorToGray(clBlue));
}

TEST_F(RVStyleDrawTest, EventsReplaceTheDefaultDrawing) {
  sheet.ParaStyles()[0].Background().Color = clRed;
  int calls = 0;
  sheet.OnDrawParaBack = [&](TRVStyle& sender, TCanvas&, int paraNo, const TRect& r, bool& doDefault) {
    EXPECT_EQ(&sender, &sheet);
    EXPECT_EQ(paraNo, 0);
    EXPECT_EQ(r, Rect(1, 2, 3, 4));
    ++calls;
    doDefault = false;
  };
  sheet.DrawParaBack(C(), 0, Rect(1, 2, 3, 4), false, 0);
  EXPECT_EQ(calls, 1);
  EXPECT_EQ(At(1, 2), clWhite);
}

TEST_F(RVStyleDrawTest, DrawStyleTextHandsCapitalsAndContextToTheEvent) {
  sheet.TextStyles()[2].StyleEx = rvfsAllCaps;
  std::string seen;
  int seenItem = -1;
  sheet.OnDrawStyleText = [&](TRVStyle& s, const std::string& text, TCanvas&, int styleNo, int32_t, int32_t,
                              int32_t, int32_t, int32_t, TRVTextDrawStates, bool& doDefault) {
    seen = text;
    seenItem = s.ItemNo;
    EXPECT_EQ(styleNo, 2);
    EXPECT_EQ(s.OffsetInItem, 3);
    doDefault = false;
  };
  sheet.DrawStyleText("abc", C(), 7, 3, 2, nullptr, 0, 0, 0, 30, 10, 0, false, false, 0, rvbdUnspecified);
  EXPECT_EQ(seen, "ABC");
  EXPECT_EQ(seenItem, 7);
}

TEST_F(RVStyleDrawTest, DrawStyleTextDrawsInTheStyleColours) {
  TFontInfo& f = sheet.TextStyles()[0];
  f.Size = 20;
  f.BackColor = clYellow;
  sheet.ApplyStyle(C(), 0, rvbdUnspecified);
  sheet.ApplyStyleColor(C(), 0, 0, false, 0);
  sheet.DrawStyleText("W", C(), 0, 1, 0, nullptr, 10, 0, 0, 40, 30, 0, false, false, 0, rvbdUnspecified);
  EXPECT_EQ(At(2, 2), clYellow) << "the leading space is filled with the background";
  int dark = 0;
  for (int y = 0; y < 30; ++y)
    for (int x = 10; x < 40; ++x) dark += At(x, y) == clBlack;
  EXPECT_GT(dark, 10) << "the text is drawn after the leading space";
}

TEST_F(RVStyleDrawTest, HoverSensitivity) {
  EXPECT_FALSE(sheet.IsStyleHoverSensitive(4));
  sheet.HoverColor = clRed;
  EXPECT_TRUE(sheet.IsStyleHoverSensitive(4));
  sheet.HoverColor = clNone;
  sheet.TextStyles()[4].HoverBackColor = clYellow;
  EXPECT_TRUE(sheet.IsStyleHoverSensitive(4));
  sheet.OnStyleHoverSensitive = [](TRVStyle&, int, bool& sensitive) { sensitive = false; };
  EXPECT_FALSE(sheet.IsStyleHoverSensitive(4));
  EXPECT_EQ(sheet.GetHoverColorForStyle(4), clNone);
  sheet.TextStyles()[4].HoverColor = clLime;
  EXPECT_EQ(sheet.GetHoverColorForStyle(4), clLime);
}

TEST_F(RVStyleDrawTest, CheckpointMarkAndDottedLine) {
  sheet.CheckpointColor = clBlue;
  sheet.DrawCheckpoint(C(), 20, 20, 0, 0, false, nullptr, 60);
  EXPECT_EQ(At(18, 18), clBlue);  // the small square
  EXPECT_EQ(At(21, 21), clBlue);
  int dots = 0;
  for (int x = 30; x < 60; ++x) dots += At(x, 20) == clBlue;
  EXPECT_GT(dots, 5);
  EXPECT_LT(dots, 30);
}

TEST_F(RVStyleDrawTest, PageBreakLineEndsInAFoldedCorner) {
  sheet.PageBreakColor = clRed;
  sheet.DrawPageBreak(C(), 10, 0, rvpbPageBreak, nullptr, 60);
  EXPECT_EQ(At(5, 10), clRed);
  // The line ends at x = 60 - 8, where a triangle down to y + 8 folds the corner.
  EXPECT_EQ(At(52, 15), clRed);
  EXPECT_EQ(At(56, 18), clRed);
  EXPECT_EQ(At(55, 10), clWhite);
  EXPECT_EQ(At(53, 17), ColorToRGB(clWindow)) << "filled with the window colour";
  sheet.SoftPageBreakColor = clBlue;
  sheet.DrawPageBreak(C(), 30, 0, rvpbSoftPageBreak, nullptr, 60);
  EXPECT_EQ(At(5, 30), clBlue);
}

}  // namespace
