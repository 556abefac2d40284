// Tables in a viewer on a real X server (xvfb-run; skipped without it): Tab into links inside
// cells and on out, and a table far narrower than its words, whose words break inside the columns.
#include <gtest/gtest.h>

#include <QTest>
#include <chrono>
#include <thread>
#include <vector>

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

/// Lets the X server and the application deliver what is pending.
void Settle(TApplication& app, int rounds, int ms) {
  for (int i = 0; i < rounds; ++i, std::this_thread::sleep_for(std::chrono::milliseconds(ms)))
    app.ProcessMessages();
}

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
    Settle(app, 10, 10);
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

TEST(TableWordsXcbTest, LongWordsOfAShownTableBreakInsideTheirColumns) {
  ZUK_RUN_UNDER_XSERVER("TableWordsXcbTest.*");
  TApplication& app = viewertest::App();
  RVRegisterTableItemClass();
  TRVStyle sheet;
  sheet.ParaStyles().AddStyle()->LeftIndent = 24;
  TForm form;
  form.SetBounds(0, 0, 520, 200);
  auto* viewer = new TRVViewer(&form);
  viewer->SetParent(&form);
  viewer->SetBounds(0, 0, 500, 180);
  viewer->SetStyle(&sheet);
  auto table = TRVTableItemInfo::CreateWithSize(1, 2, &viewer->RVData());
  table->BestWidth = 40;
  table->CellBorderWidth = 1;
  table->CellBorderStyle = rvtbColor;
  table->CellBorderColor = table->CellBorderLightColor = clRed;
  const char* words[] = {"Pneumonoultramicroscopic", "Antidisestablishment"};
  for (int c = 0; c < 2; ++c) {
    table->GetCell(0, c)->Clear();
    table->GetCell(0, c)->AddTextItem(words[c], 0, c == 0 ? 0 : sheet.ParaStyles().Count() - 1);
  }
  viewer->AddItem("", std::move(table));
  viewer->Format();
  form.Show();
  Settle(app, 20, 20);
  TBitmap grab;
  ASSERT_TRUE(GrabControl(*viewer, grab));
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
