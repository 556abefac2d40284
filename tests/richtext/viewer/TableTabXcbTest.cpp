// Tab into links inside table cells on a real X server (xvfb-run; skips without it), with the
// keys sent to the windows: from the edit before the viewer to the first link in a cell, from
// cell to cell both ways, and out to the edit after it.
#include <gtest/gtest.h>

#include <QTest>
#include <chrono>
#include <thread>

#include "platform/gui/Forms.h"
#include "platform/gui/StdCtrls.h"
#include "platform/gui/WidgetSupport.h"
#include "platform/gui/XcbTestSupport.h"
#include "richtext/core/RVStyle.h"
#include "richtext/table/RVTable.h"
#include "richtext/table/RVTableCell.h"
#include "richtext/viewer/ViewerTestSupport.h"

namespace {

TEST(TableTabXcbTest, TabReachesLinksInsideTableCells) {
  ZUK_RUN_UNDER_XSERVER("TableTabXcbTest.*");
  TApplication& app = viewertest::App();
  RVRegisterTableItemClass();
  TRVStyle sheet;
  sheet.TextStyles().Items(1)->Jump = true;
  TForm form;
  form.SetBounds(0, 0, 400, 300);
  auto* before = new TEdit(&form);
  auto* viewer = new TRVViewer(&form);
  auto* after = new TEdit(&form);
  for (TWinControl* c : std::initializer_list<TWinControl*>{before, viewer, after})
    c->SetParent(&form), c->SetTabStop(true);
  viewer->SetBounds(0, 30, 300, 150);
  after->SetTop(200);
  viewer->SetStyle(&sheet);
  std::vector<int32_t> jumps;
  viewer->OnJump = [&](TCustomRVViewer*, int32_t id) { jumps.push_back(id); };
  // Cell (0, 0) holds plain text, the others a link each.
  viewer->AddTextLineWithTag(u"plain text", 0, 0, 0);
  auto made = TRVTableItemInfo::CreateWithSize(2, 2, &viewer->RVData());
  TRVTableItemInfo* table = made.get();
  for (int i = 0; i < 4; ++i) {
    table->GetCell(i / 2, i % 2)->Clear();
    table->GetCell(i / 2, i % 2)->AddTextItem("cell", i == 0 ? 0 : 1, 0);
  }
  viewer->AddItem("", std::move(made));
  form.Show();
  viewer->Format();
  auto press = [&](TWinControl* Target, Qt::Key Key, Qt::KeyboardModifiers Modifiers = Qt::NoModifier) {
    QTest::keyClick(ClientWidgetOf(Target), Key, Modifiers);
    for (int i = 0; i < 10; ++i, std::this_thread::sleep_for(std::chrono::milliseconds(10)))
      app.ProcessMessages();
  };
  before->SetFocus();
  press(before, Qt::Key_Tab);
  ASSERT_TRUE(viewer->Focused());
  const TRVViewerRVData& data = viewer->RVData();
  EXPECT_EQ(data.FocusRectData, table->GetCell(0, 1));
  EXPECT_EQ(data.FocusRectItemNo, 0);
  press(viewer, Qt::Key_Return);
  EXPECT_EQ(jumps, std::vector<int32_t>{0}) << "Enter follows the focused link";
  press(viewer, Qt::Key_Tab);
  press(viewer, Qt::Key_Tab);
  EXPECT_EQ(data.FocusRectData, table->GetCell(1, 1));
  press(viewer, Qt::Key_Tab, Qt::ShiftModifier);
  EXPECT_EQ(data.FocusRectData, table->GetCell(1, 0));
  press(viewer, Qt::Key_Tab);
  press(viewer, Qt::Key_Tab);
  EXPECT_TRUE(after->Focused()) << "past the last cell the focus leaves the viewer";
}

}  // namespace
