// The viewer's window frame: with themes on, the single border is drawn in the desktop
// theme's look and follows a change of the desktop style; UseXPThemes turns that off and on.
// A right-to-left viewer has its vertical scroll bar on the left.
#include <gtest/gtest.h>

#include "platform/graphics/Bitmap.h"
#include "platform/gui/Forms.h"
#include "platform/gui/StyleDrawing.h"
#include "platform/gui/WindowGrab.h"
#include "richtext/core/RVStyle.h"
#include "richtext/viewer/ViewerTestSupport.h"
#include "themes/UxTheme.h"

namespace {

class ViewerFrameTest : public ::testing::Test {
 protected:
  void SetUp() override {
    viewertest::App();
    sheet.Color = clYellow;
    form.SetBounds(0, 0, 320, 240);
    viewer = new TRVViewer(&form);
    viewer->SetParent(&form);
    viewer->SetBounds(10, 10, 200, 150);
    viewer->SetStyle(&sheet);
  }
  /// The window as shown: frame, scroll bars and client area.
  void Grab(TBitmap& Out) {
    form.Show();
    for (int i = 0; i < 5; ++i) viewertest::App().ProcessMessages();
    EXPECT_TRUE(GrabControl(*viewer, Out));
  }
  /// The top row of the frame, left to right.
  std::vector<TColor> TopRow(TBitmap& Picture) {
    std::vector<TColor> row;
    for (int x = 0; x < Picture.Width(); ++x) row.push_back(Picture.Canvas().Pixel(x, 0));
    return row;
  }

  TRVStyle sheet;
  TForm form;
  TRVViewer* viewer = nullptr;  // owned by the form
};

TEST_F(ViewerFrameTest, TheThemedBorderFollowsUseXPThemesAndStyleChanges) {
  const int32_t openBefore = OpenThemeHandleCount();
  TBitmap themed;
  Grab(themed);
  ASSERT_TRUE(StyleAvailable());
  const HTHEME first = viewer->ThemeHandle();
  ASSERT_NE(first, 0u) << "a shown viewer draws its border with the theme";
  EXPECT_EQ(OpenThemeHandleCount(), openBefore + 1);

  viewer->SetUseXPThemes(false);
  EXPECT_EQ(viewer->ThemeHandle(), 0u);
  EXPECT_EQ(OpenThemeHandleCount(), openBefore);
  TBitmap plain;
  Grab(plain);
  EXPECT_NE(TopRow(themed), TopRow(plain)) << "the two borders look different";

  viewer->SetUseXPThemes(true);
  ASSERT_NE(viewer->ThemeHandle(), 0u);
  // A new desktop style: the theme is opened again for it.
  const HTHEME reopened = viewer->ThemeHandle();
  ASSERT_TRUE(SetApplicationStyle(CurrentStyleName()));
  for (int i = 0; i < 5; ++i) viewertest::App().ProcessMessages();
  EXPECT_NE(viewer->ThemeHandle(), reopened);
  EXPECT_EQ(OpenThemeHandleCount(), openBefore + 1);
  // The client area keeps its place inside either border.
  TBitmap again;
  Grab(again);
  EXPECT_EQ(again.Canvas().Pixel(viewer->BorderWidth() + 5, viewer->BorderWidth() + 5), clYellow);

  delete viewer;
  EXPECT_EQ(OpenThemeHandleCount(), openBefore) << "the handle goes with the viewer";
}

TEST_F(ViewerFrameTest, ARightToLeftViewerHasItsVerticalBarOnTheLeft) {
  viewer->SetBiDiMode(rvbdRightToLeft);
  form.Show();
  viewer->RVData().DocumentHeight = 3000;
  viewer->RVData().SetDocumentAreaSize(100, 3000, true);
  TBitmap shown;
  Grab(shown);
  const int32_t b = viewer->BorderWidth();
  const int32_t mid = shown.Height() / 2;
  EXPECT_NE(shown.Canvas().Pixel(b + 3, mid), clYellow) << "the bar is on the left";
  EXPECT_EQ(shown.Canvas().Pixel(shown.Width() - b - 3, mid), clYellow) << "the document reaches the right";
  viewer->SetBiDiMode(rvbdLeftToRight);
  viewer->RVData().SetDocumentAreaSize(100, 3000, true);
  Grab(shown);
  EXPECT_EQ(shown.Canvas().Pixel(b + 3, mid), clYellow);
  EXPECT_NE(shown.Canvas().Pixel(shown.Width() - b - 3, mid), clYellow);
}

}  // namespace
