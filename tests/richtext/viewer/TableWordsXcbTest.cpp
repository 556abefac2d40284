// A table far narrower than its words, shown on a real X server (xvfb-run; skipped without
// it): each column widens to its widest word and indents, so each cell's text stays on one
// line and no text paints over the red rule between the cells.
#include <gtest/gtest.h>

#include <chrono>
#include <thread>
#include <vector>

#include "platform/graphics/Bitmap.h"
#include "platform/gui/Forms.h"
#include "platform/gui/WindowGrab.h"
#include "platform/gui/XcbTestSupport.h"
#include "richtext/core/RVStyle.h"
#include "richtext/table/RVTableCell.h"
#include "richtext/viewer/ViewerTestSupport.h"

namespace {

TEST(TableWordsXcbTest, ColumnsOfAShownTableHoldTheirWidestWords) {
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
  for (int i = 0; i < 20; ++i) {
    app.ProcessMessages();
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
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
  EXPECT_LE(textRows, 24) << "one line of text in each cell";
}

}  // namespace
