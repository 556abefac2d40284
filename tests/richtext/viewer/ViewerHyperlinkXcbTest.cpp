// A hyperlink in a shown viewer on a real X server (a private Xvfb through xvfb-run), driven
// by mouse events sent to the viewer's window: hovering a wrapped hyperlink tells the
// application once and shows the hyperlink cursor, and a click fires OnJump once with the
// hyperlink's number, also for a hyperlink inside a table cell; Tab goes through the links in
// table cells; the words of a table far narrower than them break inside their columns. Skips
// when xvfb-run is not installed.
#include <gtest/gtest.h>

#include <QTest>
#include <QWidget>
#include <chrono>
#include <string>
#include <thread>
#include <vector>

#include "platform/core/Streams.h"
#include "platform/graphics/Bitmap.h"
#include "platform/gui/Forms.h"
#include "platform/gui/StdCtrls.h"
#include "platform/gui/WidgetSupport.h"
#include "platform/gui/WindowGrab.h"
#include "platform/gui/XcbTestSupport.h"
#include "richtext/core/RVStyle.h"
#include "richtext/table/RVTable.h"
#include "richtext/table/RVTableCell.h"
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

/// A viewer on a shown form that logs the hyperlink numbers it reports.
struct TShownViewer {
  TShownViewer(TRVStyle& Sheet, int32_t Width, int32_t FirstJumpNo) : viewer(new TRVViewer(&form)) {
    form.SetBounds(0, 0, 320, 240);
    viewer->SetParent(&form);
    viewer->SetBounds(10, 10, Width, 200);
    viewer->SetStyle(&Sheet);
    viewer->SetFirstJumpNo(FirstJumpNo);
    viewer->OnRVMouseMove = [this](TCustomRVViewer*, int32_t id) { moves.push_back(id); };
    viewer->OnJump = [this](TCustomRVViewer*, int32_t id) { jumps.push_back(id); };
  }
  void ShowFormatted(TApplication& App) {
    form.Show();
    viewer->Format();
    Pump(App);
  }
  std::vector<int32_t> moves, jumps;  // outlive the viewer, which reports leaving as it goes
  TForm form;
  TRVViewer* viewer;  // owned by the form
};

void HoverAndClickAWrappedHyperlink() {
  TApplication& app = viewertest::App();
  ASSERT_FALSE(TApplication::Headless());
  TRVStyle sheet;
  sheet.TextStyles().Items(1)->Jump = true;
  TShownViewer shown(sheet, 160, 5);
  TRVViewer* viewer = shown.viewer;
  std::vector<int32_t>& moves = shown.moves;
  std::vector<int32_t>& jumps = shown.jumps;
  viewer->AddTextLineWithTag(u"Plain text first.", 0, 0, 0);
  viewer->AddTextLineWithTag(u"a hyperlink long enough to wrap over lines", 1, 0, 0);
  shown.ShowFormatted(app);

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

/// A hyperlink in the second cell of a table, in a document read from RVF: the viewer hears
/// of it and clicks it as of any other.
void HoverAndClickAHyperlinkInACell() {
  TApplication& app = viewertest::App();
  TRVStyle sheet;
  sheet.TextStyles().Items(1)->Jump = true;
  TMemoryStream rvf;
  {
    RVRegisterTableItemClass();
    TRVViewer source;
    source.SetStyle(&sheet);
    source.AddTextLineWithTag(u"over the table", 1, 0, 0);
    auto table = TRVTableItemInfo::CreateWithSize(1, 2, &source.RVData());
    for (int c = 0; c < 2; ++c) {
      table->GetCell(0, c)->Clear();
      table->GetCell(0, c)->AddTextItem("cell", 1, 0);
    }
    source.AddItem("", std::move(table));
    ASSERT_TRUE(source.SaveRVFToStream(rvf, false));
  }
  rvf.SetPosition(0);
  TShownViewer shown(sheet, 280, 7);
  TRVViewer* viewer = shown.viewer;
  ASSERT_TRUE(viewer->LoadRVFFromStream(rvf));
  shown.ShowFormatted(app);

  const TRVList<TRVJumpInfo>& areas = viewer->RVData().Jumps();
  ASSERT_EQ(areas.Count(), 3);
  const TRVJumpInfo& second = *areas[2];
  EXPECT_NE(second.RVData, &viewer->RVData()) << "the area belongs to the cell";
  QWidget* client = ClientWidgetOf(viewer);
  ASSERT_NE(client, nullptr);
  const QPoint centre = CentreOf(*viewer, second);
  QTest::mouseMove(client, centre);
  Pump(app);
  EXPECT_EQ(shown.moves, std::vector<int32_t>{9});
  EXPECT_EQ(viewer->ShownCursor(), sheet.JumpCursor);
  QTest::mousePress(client, Qt::LeftButton, Qt::NoModifier, centre);
  QTest::mouseRelease(client, Qt::LeftButton, Qt::NoModifier, centre);
  Pump(app);
  EXPECT_EQ(shown.jumps, std::vector<int32_t>{9});
}

TEST(ViewerHyperlinkXcbTest, HoverAndClickOnAWrappedHyperlink) {
  ZUK_RUN_UNDER_XSERVER("ViewerHyperlinkXcbTest.HoverAndClickOnAWrappedHyperlink");
  HoverAndClickAWrappedHyperlink();
}

TEST(ViewerHyperlinkXcbTest, HoverAndClickOnAHyperlinkInATableCell) {
  ZUK_RUN_UNDER_XSERVER("ViewerHyperlinkXcbTest.HoverAndClickOnAHyperlinkInATableCell");
  HoverAndClickAHyperlinkInACell();
}

TEST(ViewerHyperlinkXcbTest, TabReachesLinksInsideTableCells) {
  ZUK_RUN_UNDER_XSERVER("ViewerHyperlinkXcbTest.TabReachesLinksInsideTableCells");
  TApplication& app = viewertest::App();
  RVRegisterTableItemClass();
  TRVStyle sheet;
  sheet.TextStyles().Items(1)->Jump = true;
  TShownViewer shown(sheet, 280, 0);
  TRVViewer* viewer = shown.viewer;
  auto *before = new TEdit(&shown.form), *after = new TEdit(&shown.form);
  for (TWinControl* c : {before, after}) {
    c->SetParent(&shown.form);
    c->SetTabStop(true);
  }
  before->SetTabOrder(0);
  viewer->AddTextLineWithTag(u"plain text", 0, 0, 0);
  auto made = TRVTableItemInfo::CreateWithSize(2, 2, &viewer->RVData());
  TRVTableItemInfo* table = made.get();
  for (int i = 0; i < 4; ++i) {
    table->GetCell(i / 2, i % 2)->Clear();
    table->GetCell(i / 2, i % 2)->AddTextItem("cell", i != 0, 0);
  }
  viewer->AddItem("", std::move(made));
  shown.ShowFormatted(app);
  before->SetFocus();
  // {Shift held, cell focused after the Tab}, the first from the edit before; cell (0, 0) is plain
  // text; past the last cell the focus leaves the viewer
  const int steps[][3] = {{0, 0, 1}, {0, 1, 0}, {0, 1, 1}, {1, 1, 0}, {0, 1, 1}, {0, -1, -1}};
  for (const auto& [shift, row, col] : steps) {
    QTest::keyClick(ClientWidgetOf(row == 0 ? static_cast<TWinControl*>(before) : viewer), Qt::Key_Tab,
                    shift ? Qt::ShiftModifier : Qt::NoModifier);
    Pump(app);
    EXPECT_TRUE(row < 0 ? after->Focused() : viewer->RVData().FocusRectData == table->GetCell(row, col))
        << row << col;
  }
}

TEST(ViewerHyperlinkXcbTest, LongWordsOfAShownTableBreakInsideTheirColumns) {
  ZUK_RUN_UNDER_XSERVER("ViewerHyperlinkXcbTest.LongWordsOfAShownTableBreakInsideTheirColumns");
  TApplication& app = viewertest::App();
  RVRegisterTableItemClass();
  TRVStyle sheet;
  sheet.ParaStyles().AddStyle()->LeftIndent = 24;
  TShownViewer shown(sheet, 280, 0);
  auto table = TRVTableItemInfo::CreateWithSize(1, 2, &shown.viewer->RVData());
  table->BestWidth = 40;
  table->CellBorderWidth = 1;
  table->CellBorderStyle = rvtbColor;
  table->CellBorderColor = table->CellBorderLightColor = clRed;
  const char* words[] = {"Pneumonoultramicroscopic", "Antidisestablishment"};
  for (int c = 0; c < 2; ++c) {
    table->GetCell(0, c)->Clear();
    table->GetCell(0, c)->AddTextItem(words[c], 0, c == 0 ? 0 : sheet.ParaStyles().Count() - 1);
  }
  shown.viewer->AddItem("", std::move(table));
  shown.ShowFormatted(app);
  TBitmap grab;
  ASSERT_TRUE(GrabControl(*shown.viewer, grab));
  // Columns mostly red are the cells' frames; the inner ones are the rule between the cells.
  std::vector<int32_t> red;
  for (int32_t x = 0; x < grab.Width(); ++x) {
    int n = 0;
    for (int32_t y = 0; y < grab.Height(); ++y) n += grab.Canvas().Pixel(x, y) == clRed;
    if (n >= 8) red.push_back(x);
  }
  ASSERT_GE(red.size(), 3u);
  int left = 0, right = 0, textRows = 0;
  for (int32_t y = 0; y < grab.Height(); ++y) {
    bool row = false;
    for (int32_t x = 0; x < grab.Width(); ++x) {
      const TColor c = grab.Canvas().Pixel(x, y);
      if ((c & 0xFF) >= 100 || ((c >> 8) & 0xFF) >= 100 || ((c >> 16) & 0xFF) >= 100) continue;
      row = true;
      (x < red[1] ? left : right)++;
      EXPECT_FALSE(x >= red[1] && x <= red[red.size() - 2]) << "text over the rule at " << x << ", " << y;
    }
    textRows += row;
  }
  EXPECT_GT(left, 50);
  EXPECT_GT(right, 50);
  EXPECT_GT(textRows, 48) << "the words do not widen their columns: they break over several lines";
}

}  // namespace
