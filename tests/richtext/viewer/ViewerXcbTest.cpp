// The viewer on a real X server (a private Xvfb through xvfb-run): a shown viewer paints its
// background and carries real scroll bars. The window is grabbed to a picture file under the
// build folder as PNG. The test re-runs itself under xvfb-run and skips when it is not installed.
#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <string>
#include <thread>

#include "platform/graphics/Bitmap.h"
#include "platform/gui/Forms.h"
#include "platform/gui/WindowGrab.h"
#include "platform/gui/XcbTestSupport.h"
#include "richtext/core/RVParaInfo.h"
#include "richtext/core/RVStyle.h"
#include "richtext/viewer/ViewerTestSupport.h"

namespace {

/// Lets the shown viewer paint, then grabs it into Grab and into a PNG file named Name.
void LetPaintAndGrab(TApplication& App, TRVViewer& Viewer, const std::string& Name, TBitmap& Grab) {
  for (int i = 0; i < 20; ++i) {
    App.ProcessMessages();
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
  ASSERT_TRUE(GrabControl(Viewer, Grab));
  std::filesystem::create_directories(ZUK_GRAB_DIR);
  ASSERT_TRUE(GrabControlToPNG(Viewer, std::string(ZUK_GRAB_DIR) + "/" + Name + ".png"));
}

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
  TBitmap grab;
  LetPaintAndGrab(app, *viewer, "viewer", grab);
  if (::testing::Test::HasFatalFailure()) return;

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

void ShowDocumentAndCompare() {
  TApplication& app = viewertest::App();
  ASSERT_FALSE(TApplication::Headless());
  TRVStyle sheet;
  sheet.Color = clWhite;
  TParaInfo& boxed = *sheet.ParaStyles().AddStyle();
  boxed.Background().Color = clYellow;
  boxed.Border().Style = rvbSingle;
  boxed.Border().Color = clBlue;
  sheet.TextStyles().Items(1)->Jump = true;
  TForm form;
  form.SetBounds(0, 0, 320, 240);
  auto* viewer = new TRVViewer(&form);
  viewer->SetParent(&form);
  viewer->SetBounds(10, 10, 240, 160);
  viewer->SetStyle(&sheet);
  viewer->AddTextLineWithTag(u"A first paragraph of plain text that wraps.", 0, 0, 0);
  viewer->AddTextLineWithTag(u"A boxed paragraph", 0, 2, 0);
  viewer->AddTextLineWithTag(u"with a link", 1, -1, 0);
  form.Show();
  viewer->Format();
  viewer->RVData().SelStartNo = 0;
  viewer->RVData().SelStartOffs = 3;
  viewer->RVData().SelEndNo = 1;
  viewer->RVData().SelEndOffs = 4;
  viewer->Invalidate();
  TBitmap grab;
  LetPaintAndGrab(app, *viewer, "viewer-document", grab);
  if (::testing::Test::HasFatalFailure()) return;

  const TRect client = viewer->ClientRect();
  TBitmap offscreen;
  offscreen.SetPixelFormat(pf24bit);
  offscreen.SetSize(client.Width(), client.Height());
  viewer->RVData().PaintBuffered(offscreen.Canvas());
  const int32_t border = viewer->BorderWidth();
  int differing = 0, yellow = 0;
  for (int y = 0; y < client.Height(); ++y)
    for (int x = 0; x < client.Width(); ++x) {
      const TColor shown = grab.Canvas().Pixel(border + x, border + y);
      differing += shown != offscreen.Canvas().Pixel(x, y);
      yellow += shown == clYellow;
    }
  EXPECT_GT(yellow, 300) << "the boxed paragraph is on the screen";
  EXPECT_LE(differing, client.Width() * client.Height() / 200) << "the window shows what the buffer holds";
}

TEST(ViewerXcbTest, ShownViewerShowsTheSamePictureAsTheOffscreenPaint) {
  ZUK_RUN_UNDER_XSERVER("ViewerXcbTest.*");
  ShowDocumentAndCompare();
}

TEST(ViewerXcbTest, ShownViewerPaintsItsBackgroundBesideRealScrollBars) {
  ZUK_RUN_UNDER_XSERVER("ViewerXcbTest.*");
  ShowAndGrab();
}

}  // namespace
