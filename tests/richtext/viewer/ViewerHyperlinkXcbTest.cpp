// A hyperlink in a shown viewer on a real X server (a private Xvfb through xvfb-run), driven
// by mouse events sent to the viewer's window: hovering a wrapped hyperlink tells the
// application once and shows the hyperlink cursor, and a click fires OnJump once with the
// hyperlink's number. Skips when xvfb-run is not installed.
#include <gtest/gtest.h>

#include <QTest>
#include <QWidget>
#include <chrono>
#include <string>
#include <thread>
#include <vector>

#include "platform/gui/Forms.h"
#include "platform/gui/WidgetSupport.h"
#include "platform/gui/XcbTestSupport.h"
#include "richtext/core/RVStyle.h"
#include "richtext/viewer/ViewerTestSupport.h"

namespace {

void Pump(TApplication& App) {
  for (int i = 0; i < 10; ++i) {
    App.ProcessMessages();
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
}

/// The centre of a hyperlink area in client coordinates of the viewer.
QPoint CentreOf(TRVViewer& Viewer, const TRVJumpInfo& Jump) {
  return QPoint(Jump.Left - Viewer.RVData().GetHOffs() + Jump.Width / 2,
                Jump.Top - Viewer.RVData().GetVOffs() + Jump.Height / 2);
}

void HoverAndClickAWrappedHyperlink() {
  TApplication& app = viewertest::App();
  ASSERT_FALSE(TApplication::Headless());
  TRVStyle sheet;
  sheet.TextStyles().Items(1)->Jump = true;
  TForm form;
  form.SetBounds(0, 0, 320, 240);
  auto* viewer = new TRVViewer(&form);
  viewer->SetParent(&form);
  viewer->SetBounds(10, 10, 160, 200);
  viewer->SetStyle(&sheet);
  viewer->SetFirstJumpNo(5);
  viewer->AddTextLineWithTag(u"Plain text first.", 0, 0, 0);
  viewer->AddTextLineWithTag(u"a hyperlink long enough to wrap over lines", 1, 0, 0);
  std::vector<int32_t> moves, jumps;
  viewer->OnRVMouseMove = [&](TCustomRVViewer*, int32_t id) { moves.push_back(id); };
  viewer->OnJump = [&](TCustomRVViewer*, int32_t id) { jumps.push_back(id); };
  form.Show();
  viewer->Format();
  Pump(app);

  const TRVList<TRVJumpInfo>& areas = viewer->RVData().Jumps();
  ASSERT_GE(areas.Count(), 2) << "the hyperlink wraps";
  EXPECT_EQ(areas[0]->Id, areas[areas.Count() - 1]->Id);
  EXPECT_GT(areas[areas.Count() - 1]->Top, areas[0]->Top);
  QWidget* client = ClientWidgetOf(viewer);
  ASSERT_NE(client, nullptr);

  QTest::mouseMove(client, QPoint(5, 5));
  Pump(app);
  EXPECT_TRUE(moves.empty()) << "plain text is no hyperlink";
  QTest::mouseMove(client, CentreOf(*viewer, *areas[0]));
  Pump(app);
  EXPECT_EQ(moves, std::vector<int32_t>{5});
  EXPECT_EQ(viewer->ShownCursor(), sheet.JumpCursor);
  EXPECT_EQ(viewer->Cursor(), crDefault) << "the property stays";
  const QPoint last = CentreOf(*viewer, *areas[areas.Count() - 1]);
  QTest::mouseMove(client, last);
  Pump(app);
  EXPECT_EQ(moves, std::vector<int32_t>{5}) << "another piece of the same hyperlink";

  QTest::mousePress(client, Qt::LeftButton, Qt::NoModifier, last);
  QTest::mouseRelease(client, Qt::LeftButton, Qt::NoModifier, last);
  Pump(app);
  EXPECT_EQ(jumps, std::vector<int32_t>{5});
  EXPECT_FALSE(viewer->SelectionExists());

  QTest::mouseMove(client, QPoint(5, 5));
  Pump(app);
  EXPECT_EQ(moves, (std::vector<int32_t>{5, -1}));
  EXPECT_EQ(viewer->ShownCursor(), crDefault);
}

TEST(ViewerHyperlinkXcbTest, HoverAndClickOnAWrappedHyperlink) {
  ZUK_RUN_UNDER_XSERVER("ViewerHyperlinkXcbTest.*");
  HoverAndClickAWrappedHyperlink();
}

}  // namespace
