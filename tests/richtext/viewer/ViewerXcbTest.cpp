// The viewer on a real X server (a private Xvfb through xvfb-run): a shown viewer paints its
// background and carries real scroll bars. The window is grabbed to a picture file under the
// build folder as PNG. The test re-runs itself under xvfb-run and skips when it is not installed.
#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <thread>

#include "platform/graphics/Bitmap.h"
#include "platform/gui/Forms.h"
#include "platform/gui/WindowGrab.h"
#include "platform/gui/XcbTestSupport.h"
#include "richtext/core/RVStyle.h"
#include "richtext/viewer/ViewerTestSupport.h"

namespace {

void ShowAndGrab() {
  TApplication& app = viewertest::App();
  ASSERT_FALSE(TApplication::Headless());
  TRVStyle sheet;
  sheet.Color = clYellow;
  TForm form;
  form.SetBounds(0, 0, 320, 240);
  auto* viewer = new TRVViewer(&form);
  viewer->SetParent(&form);
  viewer->SetBounds(10, 10, 200, 150);
  viewer->SetStyle(&sheet);
  form.Show();
  // A document much taller and wider than the view: both bars can scroll.
  viewer->RVData().DocumentHeight = 3000;
  viewer->RVData().SetDocumentAreaSize(900, 3000, true);
  for (int i = 0; i < 20; ++i) {
    app.ProcessMessages();
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
  TBitmap grab;
  ASSERT_TRUE(GrabControl(*viewer, grab));
  std::filesystem::create_directories(ZUK_GRAB_DIR);
  ASSERT_TRUE(GrabControlToPNG(*viewer, std::string(ZUK_GRAB_DIR) + "/viewer.png"));

  ASSERT_EQ(grab.Width(), 200);
  ASSERT_EQ(grab.Height(), 150);
  const TRect client = viewer->ClientRect();
  EXPECT_LT(client.Width(), 200 - 10) << "a vertical bar and the frame take room";
  EXPECT_LT(client.Height(), 150 - 10) << "a horizontal bar and the frame take room";
  // The background fills the client area; the frame and the bars do not look like it.
  const int32_t border = viewer->BorderWidth();
  EXPECT_EQ(grab.Canvas().Pixel(border + 5, border + 5), clYellow);
  EXPECT_EQ(grab.Canvas().Pixel(border + client.Width() - 2, border + client.Height() - 2), clYellow);
  EXPECT_NE(grab.Canvas().Pixel(0, 0), clYellow);
  EXPECT_NE(grab.Canvas().Pixel(200 - border - 3, 75), clYellow) << "vertical bar";
  EXPECT_NE(grab.Canvas().Pixel(100, 150 - border - 3), clYellow) << "horizontal bar";
}

TEST(ViewerXcbTest, ShownViewerPaintsItsBackgroundBesideRealScrollBars) {
  ZUK_RUN_UNDER_XSERVER("ViewerXcbTest.*");
  ShowAndGrab();
}

}  // namespace
