// The item resizer's own arithmetic: where the handles are, which one a point grabs, and the
// frame a drag makes (minimum size, Ctrl for symmetry, proportions on corners and with
// Shift), checked on a 100 x 50 item at (40, 30) in a document scrolled by (5, 10).
#include <gtest/gtest.h>

#include <functional>
#include <memory>

#include "platform/graphics/Bitmap.h"
#include "richtext/core/DLines.h"
#include "richtext/core/RVNonTextItems.h"
#include "richtext/editor/EditorTestSupport.h"
#include "richtext/editor/RVItemResizer.h"

namespace {

constexpr int32_t kHOffs = 5;
constexpr int32_t kVOffs = 10;

class ItemResizerTest : public ::testing::Test {
 protected:
  void SetUp() override {
    piece.Left = 40;
    piece.Top = 30;
    piece.Width = 100;
    piece.Height = 50;
    piece.ItemNo = 3;
    picture.Spacing = 0;
  }
  /// The client point of a point of the item's box.
  static int32_t X(int32_t x) { return 40 + x - kHOffs; }
  static int32_t Y(int32_t y) { return 30 + y - kVOffs; }
  /// Grabs the handle at box point (x, y) and drags it to box point (toX, toY).
  TRect Drag(TRVItemResizer& r, int32_t x, int32_t y, int32_t toX, int32_t toY, TShiftState shift = 0) {
    EXPECT_TRUE(r.MouseDown(X(x), Y(y), kVOffs, kHOffs));
    r.MouseMove(shift, X(toX), Y(toY), kVOffs, kHOffs);
    return r.DragRect;
  }

  TRVDrawLineInfo piece;
  TRVGraphicItemInfo picture{nullptr};
};

TEST_F(ItemResizerTest, TakesItsSizeAndItemFromTheDrawItem) {
  TRVItemResizer r(&piece, &picture, 7);
  EXPECT_EQ(r.Width, 100);
  EXPECT_EQ(r.Height, 50);
  EXPECT_EQ(r.ItemNo, 3);
  EXPECT_EQ(r.DrawItemNo, 7);
  EXPECT_FALSE(r.Dragging);
}

TEST_F(ItemResizerTest, HandlesSitThreePixelsInsideOrOutsideTheBox) {
  struct Case {
    uint8_t place;
    int32_t x, y;
    int handle;  // -1: none
  };
  const Case cases[] = {
      {rvhpInside, 3, 3, 0},     {rvhpInside, 97, 3, 1},   {rvhpInside, 97, 47, 2},
      {rvhpInside, 3, 47, 3},    {rvhpInside, 50, 3, 4},   {rvhpInside, 97, 25, 5},
      {rvhpInside, 50, 47, 6},   {rvhpInside, 3, 25, 7},   {rvhpInside, 6, 6, 0},
      {rvhpInside, 7, 3, -1},    {rvhpInside, 50, 25, -1}, {rvhpOutside, -3, -3, 0},
      {rvhpOutside, 103, 53, 2}, {rvhpOutside, 3, 3, -1},  {2, 0, 0, 0},
      {2, 100, 25, 5},
  };
  for (const Case& c : cases) {
    TRVItemResizer r(&piece, &picture, 0);
    r.HandlePlace = c.place;
    int index = -1;
    const bool hit = r.GetHandleAt(X(c.x), Y(c.y), index, kVOffs, kHOffs);
    EXPECT_EQ(hit ? index : -1, c.handle) << "place " << int(c.place) << " at " << c.x << "," << c.y;
  }
}

TEST_F(ItemResizerTest, CursorsFollowTheHandleDirections) {
  EXPECT_EQ(TRVItemResizer::GetCursor(0), crSizeNWSE);
  EXPECT_EQ(TRVItemResizer::GetCursor(1), crSizeNESW);
  EXPECT_EQ(TRVItemResizer::GetCursor(2), crSizeNWSE);
  EXPECT_EQ(TRVItemResizer::GetCursor(3), crSizeNESW);
  EXPECT_EQ(TRVItemResizer::GetCursor(4), crSizeNS);
  EXPECT_EQ(TRVItemResizer::GetCursor(5), crSizeWE);
  EXPECT_EQ(TRVItemResizer::GetCursor(6), crSizeNS);
  EXPECT_EQ(TRVItemResizer::GetCursor(7), crSizeWE);
}

TEST_F(ItemResizerTest, GrabKeepsTheOffsetFromTheHandle) {
  TRVItemResizer r(&piece, &picture, 0);
  // Handle 5 (right-middle) stands at (97, 25); its side is at x 100. A grab at (98, 26)
  // is 2 left and 1 below that side, so moving the pointer by 10 moves the side by 10.
  const TRect rect = Drag(r, 98, 26, 108, 26);
  EXPECT_EQ(r.DragHandle, 5);
  EXPECT_EQ(r.DeltaX, -2);
  EXPECT_EQ(r.DeltaY, 1);
  EXPECT_EQ(rect.Left, 0);
  EXPECT_EQ(rect.Right, 110);
  EXPECT_EQ(rect.Top, 0);
  EXPECT_EQ(rect.Bottom, 50);
}

TEST_F(ItemResizerTest, DraggingPastTheOppositeSideLeavesTwoPixels) {
  TRVItemResizer r(&piece, &picture, 0);
  TRect rect = Drag(r, 97, 25, -60, 25);
  EXPECT_EQ(rect.Right - rect.Left, 2);
  EXPECT_EQ(rect.Left, 0);
  TRVItemResizer top(&piece, &picture, 0);
  rect = Drag(top, 50, 3, 50, 90);
  EXPECT_EQ(rect.Bottom - rect.Top, 2);
  EXPECT_EQ(rect.Bottom, 50);
}

TEST_F(ItemResizerTest, SideHandlesKeepProportionsOnlyWithShift) {
  TRVItemResizer free(&piece, &picture, 0);
  TRect rect = Drag(free, 97, 25, 147, 25);
  EXPECT_EQ(rect.Right, 150);
  EXPECT_EQ(rect.Bottom, 50);

  TRVItemResizer shifted(&piece, &picture, 0);
  rect = Drag(shifted, 97, 25, 147, 25, ssShift);
  EXPECT_EQ(rect.Right, 150);
  EXPECT_EQ(rect.Bottom, 75) << "width 1.5 times: height follows";
}

TEST_F(ItemResizerTest, CornerHandlesAlwaysKeepProportions) {
  TRVItemResizer r(&piece, &picture, 0);
  // Bottom-right pulled to 200 x 60 (the grab is 3 pixels inside the corner): the height
  // grew less, so it follows the width.
  TRect rect = Drag(r, 97, 47, 197, 57);
  EXPECT_EQ(rect.Right, 200);
  EXPECT_EQ(rect.Bottom, 100);
  // Top-left pulled inwards to a 60 x 40 frame: the height shrank less, so the width
  // follows it back out to 80.
  TRVItemResizer topLeft(&piece, &picture, 0);
  rect = Drag(topLeft, 3, 3, 43, 13);
  EXPECT_EQ(rect.Top, 10);
  EXPECT_EQ(rect.Bottom, 50);
  EXPECT_EQ(rect.Right, 100);
  EXPECT_EQ(rect.Left, 20) << "40 high keeps 100:50, so 80 wide";
}

TEST_F(ItemResizerTest, ProportionsCountWithoutTheSpacing) {
  picture.Spacing = 5;  // the picture proper is 90 x 40
  TRVItemResizer r(&piece, &picture, 0);
  const TRect rect = Drag(r, 97, 47, 187, 47);
  EXPECT_EQ(rect.Right, 190);
  EXPECT_EQ(rect.Bottom, 84) << "40 x 190 / 90, rounded";
}

TEST_F(ItemResizerTest, CtrlResizesSymmetricallyAboutTheCentre) {
  TRVItemResizer r(&piece, &picture, 0);
  const TRect rect = Drag(r, 97, 25, 107, 25, ssCtrl);
  EXPECT_EQ(rect.Left, -10);
  EXPECT_EQ(rect.Right, 110);
  EXPECT_EQ(rect.Right - rect.Left, 120) << "10 pixels wider on each side";
  EXPECT_EQ(rect.Top, 0);
  EXPECT_EQ(rect.Bottom, 50);
}

TEST_F(ItemResizerTest, ReleaseTakesTheFrameSizeUnlessCancelled) {
  TRVItemResizer r(&piece, &picture, 0);
  Drag(r, 97, 25, 127, 25);
  r.MouseUp();
  EXPECT_FALSE(r.Dragging);
  EXPECT_EQ(r.Width, 130);
  EXPECT_EQ(r.Height, 50);

  TRVItemResizer cancelled(&piece, &picture, 0);
  Drag(cancelled, 97, 25, 127, 25);
  cancelled.Cancel();
  EXPECT_FALSE(cancelled.Dragging);
  EXPECT_TRUE(cancelled.Cancelled);
  cancelled.MouseUp();
  EXPECT_EQ(cancelled.Width, 100);
  EXPECT_FALSE(cancelled.Cancelled);
}

TEST_F(ItemResizerTest, PressAwayFromTheHandlesStartsNoDrag) {
  TRVItemResizer r(&piece, &picture, 0);
  EXPECT_FALSE(r.MouseDown(X(50), Y(25), kVOffs, kHOffs));
  EXPECT_FALSE(r.Dragging);
}

/// A white canvas after drawing.
std::unique_ptr<TBitmap> DrawnOnWhite(const std::function<void(TCanvas&)>& draw) {
  editortest::App();
  auto bitmap = std::make_unique<TBitmap>();
  bitmap->SetPixelFormat(pf24bit);
  bitmap->SetSize(200, 120);
  TCanvas& canvas = bitmap->Canvas();
  canvas.Brush().SetColor(clWhite);
  canvas.FillRect(TRect{0, 0, 200, 120});
  draw(canvas);
  return bitmap;
}

/// Pixels that are not white in row y from x0 to x1.
int InkInRow(TBitmap& bitmap, int32_t y, int32_t x0, int32_t x1) {
  int ink = 0;
  for (int32_t x = x0; x < x1; ++x) ink += bitmap.Canvas().Pixel(x, y) != clWhite ? 1 : 0;
  return ink;
}

TEST_F(ItemResizerTest, HandlesAreDrawnAtTheScrolledBox) {
  TRVItemResizer r(&piece, &picture, 0);
  auto bitmap = DrawnOnWhite([&](TCanvas& c) { r.Draw(c, kHOffs, kVOffs); });
  // Handle 0's outer square runs from its centre (3, 3 in the box) less 3.
  EXPECT_EQ(bitmap->Canvas().Pixel(X(0), Y(0)), clBlack);
  EXPECT_EQ(bitmap->Canvas().Pixel(X(50), Y(25)), clWhite);
  EXPECT_EQ(InkInRow(*bitmap, Y(0), X(10), X(40)), 0) << "nothing between the handles";
}

TEST_F(ItemResizerTest, DrawingTheFrameTwiceRemovesIt) {
  TRVItemResizer r(&piece, &picture, 0);
  Drag(r, 97, 25, 127, 25);
  auto once = DrawnOnWhite([&](TCanvas& c) { r.DrawDragRect(c, kHOffs, kVOffs); });
  EXPECT_GT(InkInRow(*once, Y(0), X(0), X(130)), 20) << "a dotted top edge 130 wide";
  auto twice = DrawnOnWhite([&](TCanvas& c) {
    r.DrawDragRect(c, kHOffs, kVOffs);
    r.DrawDragRect(c, kHOffs, kVOffs);
  });
  EXPECT_EQ(InkInRow(*twice, Y(0), X(0), X(130)), 0);
}

}  // namespace
