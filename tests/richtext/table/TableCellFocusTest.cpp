// The focus inside table cells of a viewer, moved with the mouse and the keys.
#include <gtest/gtest.h>

#include "richtext/core/RVStyle.h"
#include "richtext/table/RVTable.h"
#include "richtext/table/RVTableCell.h"
#include "richtext/viewer/ViewerTestSupport.h"

namespace {

class TableCellFocusTest : public ::testing::Test {
 protected:
  void SetUp() override {
    viewertest::App();
    RVRegisterTableItemClass();
    sheet.TextStyles().Items(1)->Jump = true;
    viewer.SetStyle(&sheet);
    viewer.SetBounds(0, 0, 500, 400);
    viewer.OnJump = [&](TCustomRVViewer*, int32_t Id) { jumps.push_back(Id); };
  }
  /// Appends a table whose cells hold Text and their index.
  TRVTableItemInfo* AddTable(TCustomRVData& Owner, int Rows, int Cols, int Style, const std::string& Text) {
    auto made = TRVTableItemInfo::CreateWithSize(Rows, Cols, &Owner);
    for (int i = 0; i < Rows * Cols; ++i)
      made->GetCell(i / Cols, i % Cols)->Clear(),
          made->GetCell(i / Cols, i % Cols)->AddTextItem(Text + std::to_string(i), Style, 0);
    Owner.AddItem("", std::move(made));
    return static_cast<TRVTableItemInfo*>(Owner.GetItem(Owner.GetItemCount() - 1));
  }
  /// Presses at Offs pixels into Cell's first item and releases at ToOffs.
  void Drag(TRVTableCellData& Cell, int32_t Offs, int32_t ToOffs) {
    int32_t x = 0, y = 0;
    Cell.GetOrigin(x, y);
    TRVViewerRVData& root = viewer.RVData();
    const TRVDrawLineInfo& piece = *Cell.DrawItems()[0];
    x += piece.Left - root.GetHOffs(), y += piece.Top + piece.Height / 2 - root.GetVOffs();
    root.MouseDown(mbLeft, TShiftState(), x + Offs, y);
    root.MouseMove(TShiftState(ssLeft), x + ToOffs, y);
    root.MouseUp(mbLeft, TShiftState(), x + ToOffs, y);
  }

  TRVStyle sheet;
  TRVViewer viewer;
  std::vector<int32_t> jumps;
};

TEST_F(TableCellFocusTest, AClickedLinkInACellIsFocusedForEnterAndTab) {
  viewer.AddTextLineWithTag(u"plain", 0, 0, 0);
  TRVTableItemInfo* table = AddTable(viewer.RVData(), 2, 2, 1, "link");
  viewer.Format();
  Drag(*table->GetCell(0, 1), 3, 3);
  EXPECT_EQ(viewer.RVData().FocusRectData, table->GetCell(0, 1));
  for (uint16_t key : {VK_RETURN, VK_TAB}) viewer.KeyDown(key, TShiftState());
  EXPECT_EQ(jumps, (std::vector<int32_t>{1, 1})) << "Enter follows the clicked link";
  EXPECT_EQ(viewer.RVData().FocusRectData, table->GetCell(1, 0)) << "Tab goes on from the clicked link";
}

TEST_F(TableCellFocusTest, ANestedTablesCellHoldsTheSelectionUntilAnotherTakesTheFocus) {
  TRVTableCellData* holder = AddTable(viewer.RVData(), 1, 1, 0, "outer")->GetCell(0, 0);
  TRVTableItemInfo* first = AddTable(*holder, 1, 1, 0, "alpha beta ");
  TRVTableItemInfo* second = AddTable(*holder, 1, 1, 0, "gamma delta ");
  viewer.Format();
  Drag(*first->GetCell(0, 0), 1, 200);
  EXPECT_EQ(holder->GetFocusedSubItem(), first);
  std::string copied;
  viewer.RVData().GetSelText(false, copied);
  EXPECT_EQ(copied, "alpha beta 0") << "Copy takes the selection of the nested cell";
  Drag(*second->GetCell(0, 0), 5, 5);
  EXPECT_TRUE(holder->GetFocusedSubData() == second->GetCell(0, 0) &&
              !first->GetCell(0, 0)->SelectionExists());
  holder->DeleteItems(holder->GetItemCount() - 1, 1);
  EXPECT_EQ(holder->GetFocusedSubData(), nullptr);
}

}  // namespace
