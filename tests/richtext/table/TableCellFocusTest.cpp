// The focus inside table cells of a viewer, as a user moves it with the mouse and the keys: a
// clicked link in a cell is the framed, focused item that Enter follows and Tab goes on from;
// a cell of a nested table is the focused sub-document of the cell around it, so its
// selection is what Copy takes and a click into another nested table drops it.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

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
  /// A Rows x Cols table whose cells hold one text each, in text style Style; appended to
  /// Owner (the viewer's document when null).
  TRVTableItemInfo* AddTable(int Rows, int Cols, int Style, const std::string& Prefix,
                             TCustomRVData* Owner = nullptr) {
    TCustomRVData* owner = Owner != nullptr ? Owner : &viewer.RVData();
    auto made = TRVTableItemInfo::CreateWithSize(Rows, Cols, owner);
    TRVTableItemInfo* table = made.get();
    for (int i = 0; i < Rows * Cols; ++i) {
      TRVTableCellData* cell = table->GetCell(i / Cols, i % Cols);
      cell->Clear();
      cell->AddTextItem(Prefix + std::to_string(i), Style, 0);
    }
    owner->AddItem("", std::move(made));
    return table;
  }
  /// The client point of character Offs of item ItemNo in Data (a cell at any depth),
  /// half-way down its line.
  TPoint PointIn(TCustomRVFormattedData& Data, int ItemNo, int32_t Offs) {
    int32_t x = 0, y = 0;
    Data.GetOrigin(x, y);
    const TRVDrawLineInfo& piece = *Data.DrawItems()[Data.GetFirstDrawItemOfItem(ItemNo)];
    TRVViewerRVData& root = viewer.RVData();
    return TPoint{x + piece.Left + Offs - root.GetHOffs(),
                  y + piece.Top + piece.Height / 2 - root.GetVOffs()};
  }
  void Click(const TPoint& P) {
    viewer.RVData().MouseDown(mbLeft, TShiftState(), P.X, P.Y);
    viewer.RVData().MouseUp(mbLeft, TShiftState(), P.X, P.Y);
  }
  void Drag(const TPoint& From, const TPoint& To) {
    viewer.RVData().MouseDown(mbLeft, TShiftState(), From.X, From.Y);
    viewer.RVData().MouseMove(TShiftState(ssLeft), To.X, To.Y);
    viewer.RVData().MouseUp(mbLeft, TShiftState(), To.X, To.Y);
  }
  void Press(uint16_t Key, TShiftState Shift = TShiftState()) { viewer.KeyDown(Key, Shift); }

  TRVStyle sheet;
  TRVViewer viewer;
  std::vector<int32_t> jumps;
};

TEST_F(TableCellFocusTest, AClickedLinkInACellIsFocusedForEnterAndTab) {
  viewer.AddTextLineWithTag(u"plain", 0, 0, 0);
  TRVTableItemInfo* table = AddTable(2, 2, 1, "link");
  viewer.Format();
  TRVViewerRVData& data = viewer.RVData();
  TRVTableCellData* second = table->GetCell(0, 1);
  Click(PointIn(*second, 0, 3));
  ASSERT_EQ(jumps, std::vector<int32_t>{1}) << "the click follows the second link";
  EXPECT_EQ(data.FocusRectData, second) << "the clicked link is framed";
  EXPECT_EQ(data.FocusRectItemNo, 0);
  EXPECT_EQ(data.FocusedItemNo, 1) << "the table holds the focused item";
  Press(VK_RETURN);
  EXPECT_EQ(jumps, (std::vector<int32_t>{1, 1})) << "Enter follows the clicked link";
  Press(VK_TAB);
  EXPECT_EQ(data.FocusRectData, table->GetCell(1, 0)) << "Tab goes on from the clicked link";
  Press(VK_TAB, TShiftState(ssShift));
  Press(VK_TAB, TShiftState(ssShift));
  EXPECT_EQ(data.FocusRectData, table->GetCell(0, 0));
}

TEST_F(TableCellFocusTest, ANestedTablesCellHoldsTheSelectionUntilAnotherTakesTheFocus) {
  TRVTableItemInfo* outer = AddTable(1, 1, 0, "outer");
  TRVTableCellData* holder = outer->GetCell(0, 0);
  TRVTableItemInfo* first = AddTable(1, 1, 0, "alpha beta ", holder);
  TRVTableItemInfo* second = AddTable(1, 1, 0, "gamma delta ", holder);
  viewer.Format();
  TRVTableCellData* firstCell = first->GetCell(0, 0);
  Drag(PointIn(*firstCell, 0, 1), PointIn(*firstCell, 0, 200));
  ASSERT_EQ(holder->GetFocusedSubData(), firstCell);
  EXPECT_EQ(holder->GetFocusedSubItem(), first);
  std::string copied;
  viewer.RVData().GetSelText(false, copied);
  EXPECT_EQ(copied, "alpha beta 0") << "Copy takes the selection of the nested cell";

  TRVTableCellData* secondCell = second->GetCell(0, 0);
  Click(PointIn(*secondCell, 0, 5));
  EXPECT_EQ(holder->GetFocusedSubData(), secondCell);
  EXPECT_FALSE(firstCell->SelectionExists()) << "the first nested cell gave up its selection";
  EXPECT_EQ(first->FocusedCellRow, -1) << "and its table its focused cell";

  // The nested table goes: the cell around it keeps no pointer to its cell.
  holder->DeleteItems(holder->GetItemCount() - 1, 1);
  EXPECT_EQ(holder->GetFocusedSubData(), nullptr);
}

}  // namespace
