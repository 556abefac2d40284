// A table far narrower than its words, shown on a real X server (a private Xvfb through
// xvfb-run): every column widens to its widest word and indents, so each cell's text stays on
// one line and never paints over the red rule between the cells. The test re-runs itself
// under xvfb-run and skips when it is not installed.
#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <string>
#include <thread>
#include <vector>

#include "platform/graphics/Bitmap.h"
#include "platform/gui/Forms.h"
#include "platform/gui/WindowGrab.h"
#include "platform/gui/XcbTestSupport.h"
#include "richtext/core/RVParaInfo.h"
#include "richtext/core/RVStyle.h"
#include "richtext/table/RVTable.h"
#include "richtext/table/RVTableCell.h"
#include "richtext/viewer/ViewerTestSupport.h"

namespace {

bool IsText(TColor c) {
  return (c & 0xFF) < 100 && ((c >> 8) & 0xFF) < 100 && ((c >> 16) & 0xFF) < 100;
}

void ShowTableOfLongWords() {
  TApplication& app = viewertest::App();
  ASSERT_FALSE(TApplication::Headless());
  RVRegisterTableItemClass();
  TRVStyle sheet;
  sheet.Color = clWhite;
  TParaInfo* indented = sheet.ParaStyles().AddStyle();
  indented->LeftIndent = 24;
  indented->RightIndent = 12;
  const int indentedNo = sheet.ParaStyles().Count() - 1;
  TForm form;
  form.SetBounds(0, 0, 520, 200);
  auto* viewer = new TRVViewer(&form);
  viewer->SetParent(&form);
  viewer->SetBounds(0, 0, 500, 180);
  viewer->SetStyle(&sheet);
  auto made = TRVTableItemInfo::CreateWithSize(1, 2, &viewer->RVData());
  made->BestWidth = 40;
  made->CellBorderWidth = 1;
  made->CellBorderStyle = rvtbColor;
  made->CellBorderColor = clRed;
  made->CellBorderLightColor = clRed;
  made->CellHSpacing = 0;
  const char* words[] = {"Pneumonoultramicroscopic", "Antidisestablishment"};
  for (int c = 0; c < 2; ++c) {
    TRVTableCellData* cell = made->GetCell(0, c);
    cell->Clear();
    cell->AddTextItem(words[c], 0, c == 0 ? 0 : indentedNo);
  }
  TRVTableItemInfo* table = made.get();
  viewer->AddItem("", std::move(made));
  viewer->Format();
  form.Show();
  for (int i = 0; i < 20; ++i) {
    app.ProcessMessages();
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
  TBitmap grab;
  ASSERT_TRUE(GrabControl(*viewer, grab));
  std::filesystem::create_directories(ZUK_GRAB_DIR);
  GrabControlToPNG(*viewer, std::string(ZUK_GRAB_DIR) + "/table-words.png");

  // The rule between the cells: the red column in the middle of the table's rows.
  const TRVTableCellData& first = *table->GetCell(0, 0);
  int32_t top = grab.Height(), bottom = -1;
  std::vector<int32_t> redColumns;
  for (int32_t x = 0; x < grab.Width(); ++x) {
    int red = 0;
    for (int32_t y = 0; y < grab.Height(); ++y)
      if (grab.Canvas().Pixel(x, y) == clRed) {
        ++red;
        top = std::min(top, y);
        bottom = std::max(bottom, y);
      }
    if (red >= first.Height / 2) redColumns.push_back(x);
  }
  // The outer frame left and right, and the inner rule (one or two columns) between them.
  ASSERT_GE(redColumns.size(), 3u);
  const int32_t ruleFrom = redColumns[1], ruleTo = redColumns[redColumns.size() - 2];
  // Text on both sides, none of it on the rule, and each cell's text one line high.
  int leftText = 0, rightText = 0;
  std::vector<bool> textRows(static_cast<size_t>(grab.Height()), false);
  for (int32_t y = top; y <= bottom; ++y)
    for (int32_t x = 0; x < grab.Width(); ++x) {
      if (!IsText(grab.Canvas().Pixel(x, y))) continue;
      (x < ruleFrom ? leftText : rightText)++;
      textRows[static_cast<size_t>(y)] = true;
      EXPECT_FALSE(x >= ruleFrom && x <= ruleTo) << "text over the rule at " << x << ", " << y;
    }
  EXPECT_GT(leftText, 50);
  EXPECT_GT(rightText, 50);
  int textHeight = 0;
  for (bool on : textRows) textHeight += on;
  EXPECT_LE(textHeight, 24) << "one line of text in each cell";
}

TEST(TableWordsXcbTest, ColumnsOfAShownTableHoldTheirWidestWords) {
  ZUK_RUN_UNDER_XSERVER("TableWordsXcbTest.*");
  ShowTableOfLongWords();
}

}  // namespace
