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
  // {Ctl3D, outer ring, inner ring}: a shadow line round the page, or a face ring round a shadow ring.
  const TColor cases[][3] = {{0, 0xA0A0A0, clYellow}, {1, 0xF0F0F0, 0xA0A0A0}};
  for (const auto& [ctl3D, outer, inner] : cases) {
    viewer->SetCtl3D(ctl3D != 0);
    const int32_t w = viewer->Width(), h = viewer->Height();
    const std::vector<TColor> middle = Row(h / 2);
    for (TColor edge : {Row(0)[w / 2], middle.front(), middle.back(), Row(h - 1)[w / 2]})
      EXPECT_EQ(edge, outer);
    for (TColor ring : {Row(1)[w / 2], middle[1], Row(h - 2)[w / 2]}) EXPECT_EQ(ring, inner) << ctl3D;
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
