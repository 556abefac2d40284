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
    viewer->SetParent(&form);
    viewer->SetBounds(10, 10, 200, 150);
    viewer->SetStyle(&sheet);
    form.Show();
  }
  /// Pixel colours along row Y of the window as shown, frame and bars included.
  std::vector<TColor> Row(int32_t Y) {
    for (int i = 0; i < 5; ++i) viewertest::App().ProcessMessages();
    TBitmap shown;
    EXPECT_TRUE(GrabControl(*viewer, shown));
    std::vector<TColor> row;
    for (int x = 0; x < shown.Width(); ++x) row.push_back(shown.Canvas().Pixel(x, Y));
    return row;
  }

  TRVStyle sheet;
  TForm form;
  TRVViewer* viewer = new TRVViewer(&form);
};

TEST_F(ViewerFrameTest, FlatBordersAreShadowAndFaceRings) {
  struct Case {
    bool ctl3D;
    TColor outer, inner;  // the outermost ring and the one inside it
  };
  for (const Case& c : {Case{false, 0xA0A0A0, clYellow}, Case{true, 0xF0F0F0, 0xA0A0A0}}) {
    viewer->SetCtl3D(c.ctl3D);
    ASSERT_EQ(viewer->BorderWidth(), c.ctl3D ? 2 : 1);
    const int32_t w = viewer->Width(), h = viewer->Height();
    const std::vector<TColor> top = Row(0), second = Row(1), middle = Row(h / 2);
    EXPECT_EQ(top[w / 2], c.outer) << c.ctl3D;
    EXPECT_EQ(middle.front(), c.outer) << c.ctl3D;
    EXPECT_EQ(middle.back(), c.outer) << c.ctl3D;
    EXPECT_EQ(Row(h - 1)[w / 2], c.outer) << c.ctl3D;
    EXPECT_EQ(second[w / 2], c.inner) << c.ctl3D;
    EXPECT_EQ(middle[1], c.inner) << c.ctl3D;
    if (c.ctl3D) {
      EXPECT_EQ(Row(h - 2)[w / 2], c.inner);
    }
  }
}

TEST_F(ViewerFrameTest, TheThemedBorderFollowsUseXPThemesAndStyleChanges) {
  // Only a tagged control leaves its 3D border to the theme.
  viewer->SetTag(TRVScroller::kThemedBorderTag);
  const int32_t open = OpenThemeHandleCount();
  const std::vector<TColor> themed = Row(0);
  ASSERT_NE(viewer->ThemeHandle(), 0u);
  viewer->SetUseXPThemes(false);
  EXPECT_EQ(OpenThemeHandleCount(), open - 1);
  EXPECT_NE(Row(0), themed);
  viewer->SetUseXPThemes(true);
  const HTHEME reopened = viewer->ThemeHandle();
  ASSERT_TRUE(SetApplicationStyle(CurrentStyleName()));
  EXPECT_EQ(Row(0), themed);
  EXPECT_NE(viewer->ThemeHandle(), reopened);
  delete viewer;
  EXPECT_EQ(OpenThemeHandleCount(), open - 1) << "the handle goes with the viewer";
}

TEST_F(ViewerFrameTest, ARightToLeftViewerHasItsVerticalBarOnTheLeft) {
  viewer->RVData().DocumentHeight = 3000;
  for (TRVBiDiMode mode : {rvbdRightToLeft, rvbdLeftToRight}) {
    viewer->SetBiDiMode(mode);
    viewer->RVData().SetDocumentAreaSize(100, 3000, true);
    const std::vector<TColor> row = Row(75);
    const int32_t b = viewer->BorderWidth();
    EXPECT_EQ(row[b + 3] != clYellow, mode == rvbdRightToLeft);
    EXPECT_EQ(row[row.size() - b - 3] != clYellow, mode == rvbdLeftToRight);
  }
}

}  // namespace
