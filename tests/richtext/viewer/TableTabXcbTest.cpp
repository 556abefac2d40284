// Tab through a viewer whose focusable items sit in table cells, on a real X server (a private
// Xvfb through xvfb-run), with the keys sent to the windows: Tab from the control before the
// viewer lands on the first hyperlink inside the cells, Enter there follows it, further Tabs
// go from cell to cell (Shift+Tab back) and then out to the next control. Skips when xvfb-run
// is not installed.
#include <gtest/gtest.h>

#include <QTest>
#include <QWidget>
#include <chrono>
#include <thread>
#include <vector>

#include "platform/gui/Forms.h"
#include "platform/gui/StdCtrls.h"
#include "platform/gui/WidgetSupport.h"
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

void TabIntoTableCells() {
  TApplication& app = viewertest::App();
  ASSERT_FALSE(TApplication::Headless());
  RVRegisterTableItemClass();
  TRVStyle sheet;
  sheet.TextStyles().Items(1)->Jump = true;
  TForm form;
  form.SetBounds(0, 0, 400, 300);
  auto* before = new TEdit(&form);
  auto* viewer = new TRVViewer(&form);
  auto* after = new TEdit(&form);
  for (TWinControl* c : {static_cast<TWinControl*>(before), static_cast<TWinControl*>(viewer),
                         static_cast<TWinControl*>(after)}) {
    c->SetParent(&form);
    c->SetTabStop(true);
  }
  viewer->SetBounds(0, 30, 300, 150);
  after->SetTop(200);
  viewer->SetStyle(&sheet);
  std::vector<int32_t> jumps;
  viewer->OnJump = [&](TCustomRVViewer*, int32_t id) { jumps.push_back(id); };
  // Plain text, then a table whose first cell holds no link and whose others hold one each.
  viewer->AddTextLineWithTag(u"plain text", 0, 0, 0);
  auto made = TRVTableItemInfo::CreateWithSize(2, 2, &viewer->RVData());
  TRVTableItemInfo* table = made.get();
  for (int r = 0; r < 2; ++r)
    for (int c = 0; c < 2; ++c) {
      table->GetCell(r, c)->Clear();
      table->GetCell(r, c)->AddTextItem(r + c == 0 ? "nothing" : "link", r + c == 0 ? 0 : 1, 0);
    }
  viewer->AddItem("", std::move(made));
  form.Show();
  viewer->Format();
  Pump(app);

  before->SetFocus();
  Pump(app);
  ASSERT_TRUE(before->Focused());
  QTest::keyClick(ClientWidgetOf(before), Qt::Key_Tab);
  Pump(app);
  ASSERT_TRUE(viewer->Focused());
  TRVViewerRVData& data = viewer->RVData();
  EXPECT_EQ(data.FocusRectData, table->GetCell(0, 1)) << "the first link is in cell (0, 1)";
  EXPECT_EQ(data.FocusRectItemNo, 0);

  QTest::keyClick(ClientWidgetOf(viewer), Qt::Key_Return);
  Pump(app);
  EXPECT_EQ(jumps, std::vector<int32_t>{0}) << "Enter follows the focused link";

  auto press = [&](Qt::Key Key, Qt::KeyboardModifiers Modifiers = Qt::NoModifier) {
    QTest::keyClick(ClientWidgetOf(viewer), Key, Modifiers);
    Pump(app);
  };
  press(Qt::Key_Tab);
  EXPECT_EQ(data.FocusRectData, table->GetCell(1, 0));
  press(Qt::Key_Tab);
  EXPECT_EQ(data.FocusRectData, table->GetCell(1, 1));
  press(Qt::Key_Tab, Qt::ShiftModifier);
  EXPECT_EQ(data.FocusRectData, table->GetCell(1, 0)) << "Shift+Tab goes back a cell";
  press(Qt::Key_Tab);
  press(Qt::Key_Tab);
  EXPECT_TRUE(after->Focused()) << "past the last cell the focus leaves the viewer";
}

TEST(TableTabXcbTest, TabReachesLinksInsideTableCells) {
  ZUK_RUN_UNDER_XSERVER("TableTabXcbTest.*");
  TabIntoTableCells();
}

}  // namespace
