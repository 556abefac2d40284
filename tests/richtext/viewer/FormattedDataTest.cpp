#include <gtest/gtest.h>

#include "platform/graphics/Controls.h"
#include "richtext/core/RVNonTextItems.h"
#include "richtext/core/RVStyle.h"
#include "richtext/viewer/FormattedDataSupport.h"
#include "richtext/viewer/RVDataList.h"

using viewertest::AddPiece;
using viewertest::TFieldData;

namespace {

class FormattedDataTest : public ::testing::Test {
 protected:
  void SetUp() override {
    data.SetRVStyle(&style);
    style.TextStyles().Items(1)->Jump = true;
  }
  /// Item 0 "hello" (plain), item 1 a break, item 2 "link" (hyperlink style 1), each drawn once.
  void FillThreeItems() {
    data.AddTextItem("hello", 0, 0);
    data.AddItem("", TRVBreakItemInfo::CreateEx(&data, 1, 0, clNone));
    data.AddTextItem("link", 1, 0);
    AddPiece(data, 0, 0, 0, 50, 10, 1, 5);
    AddPiece(data, 1, 0, 10, 200, 2);
    AddPiece(data, 2, 0, 12, 30, 10, 1, 4);
  }

  TRVStyle style;
  TFieldData data;
};

TEST_F(FormattedDataTest, NewDataHasNoSizesSelectionOrPieces) {
  EXPECT_EQ(data.DocumentWidth, -1);
  EXPECT_EQ(data.TextWidth, -1);
  EXPECT_EQ(data.DocumentHeight, 0);
  EXPECT_EQ(data.LastFormattedItemNo, -1);
  EXPECT_EQ(data.SelStartNo, -1);
  EXPECT_EQ(data.FocusedItemNo, -1);
  EXPECT_EQ(data.DrawItems().Count(), 0);
}

TEST_F(FormattedDataTest, ClearKeepsLastSizesButDropsPiecesJumpsAndSelection) {
  FillThreeItems();
  data.DocumentWidth = 190;
  data.DocumentHeight = 32;
  data.TextWidth = 180;
  data.JumpCount = 3;
  data.Jumps().Add(std::make_unique<TRVJumpInfo>());
  data.SelectAll();
  data.Clear();
  EXPECT_EQ(data.GetItemCount(), 0);
  EXPECT_EQ(data.DrawItems().Count(), 0);
  EXPECT_EQ(data.Jumps().Count(), 0);
  EXPECT_EQ(data.JumpCount, 0);
  EXPECT_FALSE(data.SelectionExists());
  EXPECT_EQ(data.SelStartNo, -1);
  EXPECT_EQ(data.DocumentWidth, 190);
  EXPECT_EQ(data.DocumentHeight, 32);
  EXPECT_EQ(data.TextWidth, 180);
  EXPECT_EQ(data.StateFlags & rvstClearing, 0u);
}

TEST_F(FormattedDataTest, SelectAllSpansFirstToLastPieceAndNotifies) {
  data.SelectAll();
  EXPECT_TRUE(data.events.empty()) << "an empty document selects nothing";
  FillThreeItems();
  data.SelectAll();
  EXPECT_EQ(data.SelStartNo, 0);
  EXPECT_EQ(data.SelStartOffs, 1);
  EXPECT_EQ(data.SelEndNo, 2);
  EXPECT_EQ(data.SelEndOffs, 5);
  EXPECT_EQ(data.events, (std::vector<std::string>{"changed", "select"}));
  EXPECT_EQ(data.GetDrawItemStartOffset(1), 0);
  EXPECT_EQ(data.GetDrawItemEndOffset(1), 1);
}

TEST_F(FormattedDataTest, StateBitsAreReleasedWhenTheHostThrows) {
  FillThreeItems();
  data.SelectAll();
  data.throwOnSelect = true;
  EXPECT_THROW(data.Deselect(nullptr, true), Exception);
  EXPECT_EQ(data.StateFlags & rvstDeselecting, 0u);
  EXPECT_EQ(data.SelStartNo, -1);
  EXPECT_THROW(data.Clear(), Exception);
  EXPECT_EQ(data.StateFlags & (rvstClearing | rvstDeselecting), 0u);
  data.throwOnSelect = false;
  data.Clear();
  EXPECT_EQ(data.GetItemCount(), 0);
}

TEST_F(FormattedDataTest, DeselectDoesNotReenter) {
  struct TReentrant : TFieldData {
    void DoSelect() override {
      ++calls;
      Deselect(nullptr, true);
    }
    int calls = 0;
  } reentrant;
  reentrant.Deselect(nullptr, true);
  EXPECT_EQ(reentrant.calls, 1);
}

TEST_F(FormattedDataTest, ResetHoverTellsTheHostOnlyForAnInnerHover) {
  TFieldData inner;
  inner.StateFlags |= rvstHover;
  inner.LastJumpMovedAbove = 2;
  data.StateFlags |= rvstHover;
  data.LastJumpMovedAbove = 4;
  data.ResetHover();
  EXPECT_TRUE(data.events.empty());
  data.HoverSubData = &inner;
  data.ResetHover();
  EXPECT_EQ(data.events, std::vector<std::string>{"move-1"});
  EXPECT_EQ(inner.StateFlags & rvstHover, 0u);
  EXPECT_EQ(inner.LastJumpMovedAbove, -1);
  EXPECT_EQ(data.HoverSubData, nullptr);
  EXPECT_EQ(data.LastJumpMovedAbove, -1);
  EXPECT_EQ(data.StateFlags & rvstHover, 0u);
}

TEST_F(FormattedDataTest, FormatLinesIsSkippedWhileLockedOrResizing) {
  FillThreeItems();
  data.LockFormatting();
  data.Format(true);
  EXPECT_EQ(data.DrawItems().Count(), 3);
  data.UnlockFormatting();
  data.AreaResizing = true;
  data.Format(true);
  EXPECT_EQ(data.DrawItems().Count(), 3);
  EXPECT_FALSE(data.AreaResizing) << "the skipped call clears the flag";
  data.Format(true);
  ASSERT_EQ(data.DrawItems().Count(), 3);
  EXPECT_EQ(data.DrawItems()[1]->Width, data.TextWidth) << "laid out again";
  EXPECT_FALSE(data.FormattingLocked());
}

TEST_F(FormattedDataTest, FormattingLockIsReleasedWhenFormattingThrows) {
  struct TFailing : TFieldData {
    void ClearDrawLines() override { throw Exception("out of memory"); }
  } failing;
  failing.SetRVStyle(&style);
  EXPECT_THROW(failing.Format(true), Exception);
  EXPECT_FALSE(failing.FormattingLocked());
  EXPECT_EQ(failing.StateFlags & rvstKeepPosition, 0u);
  failing.LockFormatting();
  EXPECT_NO_THROW(failing.Format(true)) << "a locked document is not formatted at all";
}

// (hOffs, vOffs, width, height, step) = (0, 100, 200, 100, 10) for every case.
struct TShowCase {
  const char* name;
  int x, y, w, h;
  std::vector<std::string> scrolls;
};

TEST_F(FormattedDataTest, ScrollToShowRect) {
  const TShowCase cases[] = {
      {"inside the view", 10, 120, 20, 20, {}},
      {"below: bottom one step above the edge", 10, 250, 20, 20, {"v180"}},
      {"above: top at the edge", 10, 40, 20, 20, {"v40"}},
      {"taller than the view, top above the first step", 10, 105, 20, 150, {}},
      {"left of the view", -30, 120, 20, 20, {"h-80"}},
      {"right of the view", 190, 120, 20, 20, {"h140"}},
  };
  for (const TShowCase& c : cases) {
    data.scrolls.clear();
    data.vOffs = 100;
    data.ScrollToShowRect(c.x, c.y, c.w, c.h);
    EXPECT_EQ(data.scrolls, c.scrolls) << c.name;
  }
}

TEST_F(FormattedDataTest, FocusSearchSkipsPlainItems) {
  data.AddTextItem("a", 0, 0);
  data.AddTextItem("b", 1, 0);
  data.AddTextItem("c", 0, 0);
  data.AddTextItem("d", 1, 0);
  TCustomRVFormattedData* focusedData = nullptr;
  int focusedItem = -1;
  EXPECT_EQ(data.GetNextFocusedItem(-1, true, focusedData, focusedItem), 1);
  EXPECT_EQ(focusedData, &data);
  EXPECT_EQ(focusedItem, 1);
  EXPECT_EQ(data.GetNextFocusedItem(1, true, focusedData, focusedItem), 3) << "starts after a focusable item";
  EXPECT_EQ(data.GetNextFocusedItem(3, true, focusedData, focusedItem), -1);
  EXPECT_EQ(data.GetNextFocusedItem(-1, false, focusedData, focusedItem), 3);
  EXPECT_EQ(data.GetNextFocusedItem(3, false, focusedData, focusedItem), 1);
  EXPECT_EQ(data.GetNextFocusedItem(2, false, focusedData, focusedItem), 1);
  // Starts outside the items are searched from the nearest end, never read.
  EXPECT_EQ(data.GetNextFocusedItem(-5, true, focusedData, focusedItem), 1);
  EXPECT_EQ(data.GetNextFocusedItem(9, false, focusedData, focusedItem), 3);
  EXPECT_EQ(data.GetNextFocusedItem(9, true, focusedData, focusedItem), -1);
  data.FocusedItemNo = 9;
  data.ClearFocus();
  EXPECT_EQ(data.FocusedItemNo, -1);
}

TEST_F(FormattedDataTest, XorFigureIsDrawnAndErasedInPairs) {
  std::vector<std::string> drawn;
  const TObject owner, stranger;
  data.AssignXorDrawing(&owner, [&](TObject*, TShiftState, int32_t x, int32_t y) {
    drawn.push_back(std::to_string(x) + "," + std::to_string(y));
  });
  data.XorDrawingAt(3, 4);
  EXPECT_TRUE(data.XorDrawn());
  data.UnassignXorDrawing(&stranger);
  EXPECT_TRUE(data.UsingThisXorDrawing(&owner));
  EXPECT_TRUE(data.ClearXorDrawing());
  EXPECT_FALSE(data.ClearXorDrawing());
  data.XorDrawingAt(5, 6);
  data.UnassignXorDrawing(&owner);
  EXPECT_FALSE(data.XorDrawn());
  EXPECT_EQ(drawn, (std::vector<std::string>{"3,4", "3,4", "5,6", "5,6"}));
}

// ---- documents inside items ----------------------------------------------------------------

class TRowList : public TRVDataList {
 public:
  explicit TRowList(TCustomRVData* parent) : parent_(parent) {}
  TCustomRVData* GetParentRVData() const override { return parent_; }

 private:
  TCustomRVData* parent_;
};

class TCellData : public TRVItemFormattedData {
 public:
  using TRVItemFormattedData::TRVItemFormattedData;
  int32_t GetWidth() const override { return 40; }
  int32_t GetHeight() const override { return 20; }
  TColor GetColor() const override { return clNone; }
  void GetOrigin(int32_t& X, int32_t& Y) override {
    X = 100;
    Y = 200;
  }
};

TEST_F(FormattedDataTest, ItemDocumentsAnswerFromTheirListAndRoot) {
  TRowList row(&data);
  auto* cell = new TCellData(&row);
  row.Add(std::unique_ptr<TRVItemFormattedData>(cell));
  EXPECT_EQ(cell->GetParentData(), &data);
  EXPECT_EQ(cell->GetRootData(), &data);
  EXPECT_EQ(cell->GetOuterRootData(), &data);
  EXPECT_EQ(cell->GetRVStyle(), &style);

  data.viewerState = 0xFFFF;
  EXPECT_EQ(cell->GetViewerState(), 18);
  EXPECT_THROW(cell->SetViewerState(1), ERVError);
  try {
    cell->SetViewerState(1);
  } catch (const ERVError& e) {
    EXPECT_STREQ(e.what(), "This method is not supported for TRVItemFormattedData");
  }
  EXPECT_EQ(cell->GetVSmallStep(), 0);
  EXPECT_EQ(cell->GetBackground(), nullptr);

  EXPECT_EQ(cell->GetLastVisibleItem(), -1);
  for (int i = 0; i < 5; ++i) cell->AddTextItem("x", 0, 0);
  EXPECT_EQ(cell->GetFirstVisibleItem(), 0);
  EXPECT_EQ(cell->GetLastVisibleItem(), 4);

  data.vOffs = 1000;
  cell->ScrollToShowRect(10, 10, 5, 5);
  EXPECT_EQ(data.scrolls, std::vector<std::string>{"v210"})
      << "(110, 210): inside horizontally, above vertically";

  cell->DoSelect();
  EXPECT_EQ(data.events, std::vector<std::string>{"select"}) << "selection news go to the root";
}

/// A control that counts what it is asked to repaint.
class TCountingControl : public TWinControl {
 public:
  void Invalidate() override { ++invalidates; }
  void Update() override { ++updates; }
  int invalidates = 0;
  int updates = 0;
};

TEST_F(FormattedDataTest, ItemDocumentRepaintsThroughTheControlShowingIt) {
  struct TShownData : TFieldData {
    TWinControl* GetParentControl() const override { return control; }
    TWinControl* control = nullptr;
  } shown;
  shown.SetRVStyle(&style);
  TRowList row(&shown);
  auto* cell = new TCellData(&row);
  row.Add(std::unique_ptr<TRVItemFormattedData>(cell));
  cell->InvalidateControl();  // no control yet: nothing to do
  TCountingControl control;
  shown.control = &control;
  cell->InvalidateControl();
  EXPECT_EQ(control.invalidates, 1);
  cell->UpdateControl();
  EXPECT_EQ(control.updates, 1);
  cell->RefreshControl();
  EXPECT_EQ(control.invalidates, 2) << "a refresh repaints at once";
  EXPECT_EQ(control.updates, 2);
}

TEST_F(FormattedDataTest, FreeItemDocumentWithoutListHasNoRoot) {
  TCellData lone(nullptr);
  EXPECT_EQ(lone.GetRootData(), &lone);
  EXPECT_EQ(lone.GetViewerState(), 18);
  lone.ScrollToShowRect(0, 0, 1, 1);
  lone.DoSelect();
  EXPECT_EQ(lone.GetCanvas(), nullptr);
}

}  // namespace
