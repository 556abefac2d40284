// The controls of an interactive diagram: a line control placed over its line and drawing it
// in its window (offscreen and on an X server), and a relationship's hidden controls.
#include <gtest/gtest.h>

#include <filesystem>

#include "exam/ZUKDragObject.h"
#include "platform/graphics/Bitmap.h"
#include "platform/graphics/PngFile.h"
#include "platform/graphics/SystemColors.h"
#include "platform/gui/Forms.h"
#include "platform/gui/GuiTestSupport.h"
#include "platform/gui/StdCtrls.h"
#include "platform/gui/WindowGrab.h"
#include "platform/gui/XcbTestSupport.h"

namespace {

bool HasInk(TBitmap& bitmap, const TRect& r) {
  const TColor ink = ColorToRGB(clWindowText);
  for (int y = r.Top; y < r.Bottom; ++y)
    for (int x = r.Left; x < r.Right; ++x)
      if (bitmap.Canvas().Pixel(x, y) == ink) return true;
  return false;
}

/// A line from (50, 40) to (10, 100) in a form, grabbed from its window.
void ExpectLineDrawn(const std::string& grabName) {
  TForm form;
  form.SetBounds(0, 0, 120, 140);
  TSimpleLine line;
  line.SetX1(50);
  line.SetY1(40);
  line.SetX2(10);
  line.SetY2(100);
  line.SetParent(&form);
  form.Show();
  ASSERT_TRUE(guitest::PumpUntil([&] { return line.HandleAllocated(); }));
  guitest::Pump();
  TBitmap grabbed;
  ASSERT_TRUE(GrabControl(line, grabbed));
  std::filesystem::create_directories(ZUK_GRAB_DIR);
  SaveBitmapToPng(grabbed, std::string(ZUK_GRAB_DIR) + "/" + grabName + ".png");
  ASSERT_EQ(grabbed.Width(), 44);
  ASSERT_EQ(grabbed.Height(), 64);
  EXPECT_TRUE(HasInk(grabbed, Rect(40, 0, 44, 6)));    // near (50, 40)
  EXPECT_TRUE(HasInk(grabbed, Rect(0, 58, 5, 64)));    // near (10, 100)
  EXPECT_TRUE(HasInk(grabbed, Rect(20, 28, 25, 36)));  // the middle
  EXPECT_FALSE(HasInk(grabbed, Rect(0, 0, 10, 10)));   // the other corners
  EXPECT_FALSE(HasInk(grabbed, Rect(34, 54, 44, 64)));
}

TEST(DiagramControlsTest, LineControlCoversItsLine) {
  TSimpleLine line;
  line.SetX1(50);
  line.SetY1(40);
  line.SetX2(10);
  line.SetY2(100);
  EXPECT_EQ(line.BoundsRect(), Rect(8, 38, 52, 102));
  line.SetY2(40);  // a level line still has room for its pen
  EXPECT_EQ(line.BoundsRect(), Rect(8, 38, 52, 42));
}

TEST(DiagramControlsTest, LineControlDrawsItsLine) {
  ExpectLineDrawn("line-control");
}

TEST(DiagramControlsTest, LineControlDrawsItsLineOnAnXServer) {
  ZUK_RUN_UNDER_XSERVER("DiagramControlsTest.LineControlDrawsItsLineOnAnXServer");
  ExpectLineDrawn("line-control-xcb");
}

TEST(DiagramControlsTest, RelationshipControlsStartHiddenOnTheirParent) {
  TForm parent;
  {
    TRelationship relationship(&parent);
    EXPECT_EQ(parent.ControlCount(), 3);
    EXPECT_FALSE(relationship.Line1().Visible());
    EXPECT_FALSE(relationship.Line2().Visible());
    EXPECT_FALSE(relationship.Label().Visible());
    ASSERT_NE(relationship.Label().Font(), nullptr);
    EXPECT_EQ(relationship.Label().Font()->Size(), 10);
  }
  EXPECT_EQ(parent.ControlCount(), 0);
}

}  // namespace
