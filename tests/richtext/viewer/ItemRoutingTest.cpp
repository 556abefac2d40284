// Presses routed into items with cells (tables) and past an open in-place editor, the
// program's editor class that handles empty presses itself, the focus moving into an item's
// documents, and the XOR figure following the mouse.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "FormattedDataSupport.h"
#include "platform/graphics/Controls.h"
#include "richtext/core/RVNonTextItems.h"
#include "richtext/core/RVStyle.h"

namespace {

using viewertest::Join;
using viewertest::TFixedPitchData;

/// The program's editor class, as far as documents can tell: by its class name.
class TProgramEditor : public TWinControl {
 public:
  std::string ClassName() const override { return "TZUKEdit"; }
};

class TRoutingData : public TFixedPitchData {
 public:
  TWinControl* GetParentControl() const override { return parent; }
  TWinControl* GetInplaceEditor() override { return editor; }
  void DestroyInplaceEditor() override {
    if (editor == nullptr) return;
    editor = nullptr;
    events.push_back("editor closed");
  }
  bool HasRVMouseDown() const override { return true; }
  bool HasJump() const override { return true; }
  void DoRVMouseDown(TMouseButton, TShiftState, int ItemNo, int32_t, int32_t) override {
    events.push_back("down" + std::to_string(ItemNo));
  }

  TWinControl* parent = nullptr;
  TWinControl* editor = nullptr;
};

/// A 40 by 20 table-like item of two cells side by side (the right one may not be edited),
/// 4 pixels of border around them. It logs into its document's events.
class TCellItem : public TRVGraphicItemInfo {
 public:
  TCellItem(TCustomRVData* RVData, TRoutingData& Log) : TRVGraphicItemInfo(RVData), log_(Log) {
    auto bitmap = std::make_unique<TBitmap>();
    bitmap->SetSize(40, 20);
    Image = std::move(bitmap);
    StyleNo = rvsTable;
  }
  bool GetCellAtPoint(int32_t X, int32_t Y, int& Row, int& Col) override {
    if (Y < 4 || Y >= 18 || X < 4 || X >= 38) return false;
    Row = 0;
    Col = X < 21 ? 0 : 1;
    return true;
  }
  bool CanEditCell(int, int Col) override { return Col == 0; }
  void DoCellClick(int Row, int Col) override {
    log_.events.push_back("cell click " + std::to_string(Row) + "," + std::to_string(Col));
  }
  bool MouseDownHook(TMouseButton, TShiftState, int32_t, int32_t, int, TCustomRVData*) override {
    log_.events.push_back("into the cell");
    return false;
  }
  bool MoveFocusInside(bool GoForward, TCustomRVData*& FocusedData, int& FocusedItemNo) override {
    if (!inner) return false;
    FocusedData = inner;
    FocusedItemNo = GoForward ? 0 : 7;
    return true;
  }
  TCustomRVData* inner = nullptr;

 private:
  TRoutingData& log_;
};

class ItemRoutingTest : public ::testing::Test {
 protected:
  // Item 0 "text" on the first line (y 5..21), item 1 the cell item on the second line.
  void SetUp() override {
    data.SetRVStyle(&style);
    data.width = 310;
    data.AddTextItem("text", 0, 0);
    auto cells = std::make_unique<TCellItem>(&data, data);
    table = cells.get();
    data.AddItem("", std::move(cells));
    data.Format(true);
    const TRVDrawLineInfo& piece = *data.DrawItems()[data.GetFirstDrawItemOfItem(1)];
    left = piece.Left;
    top = piece.Top;
    data.events.clear();
  }
  void Press(int32_t X, int32_t Y) {
    data.events.clear();
    data.MouseDown(mbLeft, 0, X, Y);
  }

  TRVStyle style;
  TRoutingData data;
  TCellItem* table = nullptr;
  int32_t left = 0, top = 0;
  TWinControl editor;
  TProgramEditor programEditor;
};

TEST_F(ItemRoutingTest, PressesAreRoutedIntoCells) {
  struct Case {
    const char* name;
    bool programEditor;
    bool editorOpen;
    int32_t x, y;  // relative to the cell item's piece (y < 0: on the text line)
    const char* events;
  };
  const std::vector<Case> cases = {
      {"an editable cell", false, false, 10, 10, "into the cell down1 changed"},
      {"a cell that may not be edited", false, false, 30, 10, "cell click 0,1"},
      {"the border between cells: the item may size or select", false, false, 1, 1,
       "into the cell down1 changed"},
      {"text, an editor open: the editor closes", false, true, 10, -10, "editor closed down0 changed"},
      {"a refused cell, an editor open: it closes first", false, true, 30, 10,
       "editor closed cell click 0,1"},
      {"program editor, a refused cell: its editor stays open", true, true, 30, 10, "cell click 0,1"},
      {"program editor, an editable cell: the editor closes", true, true, 10, 10,
       "editor closed into the cell down1 changed"},
      {"program editor, below every piece", true, false, 10, 200, ""},
      {"another control, below every piece", false, false, 10, 200, "down-1 changed"},
  };
  for (const Case& c : cases) {
    data.parent = c.programEditor ? &programEditor : nullptr;
    data.editor = c.editorOpen ? &editor : nullptr;
    data.Deselect(nullptr, false);
    const int32_t y = c.y < 0 ? 10 : top + c.y;
    Press(left + c.x, y);
    EXPECT_EQ(Join(data.events), c.events) << c.name;
    data.MouseUp(mbLeft, 0, left + c.x, y);
  }
}

TEST_F(ItemRoutingTest, PressTakenByACellClicksNoEarlierHyperlink) {
  style.TextStyles().Items(1)->Jump = true;
  data.AddTextItem("link", 1, 0);
  data.Format(true);
  const TRVDrawLineInfo& link = *data.DrawItems()[data.GetFirstDrawItemOfItem(2)];
  const int32_t y = link.Top + 5;
  // Pressed on the hyperlink, but a drag selected text: no click.
  data.MouseDown(mbLeft, 0, link.Left + 2, y);
  data.MouseMove(0, link.Left + 22, y);
  data.MouseUp(mbLeft, 0, link.Left + 22, y);
  data.Deselect(nullptr, false);
  // A press in a cell that may not be edited, a release on the hyperlink.
  Press(left + 30, top + 10);
  data.MouseUp(mbLeft, 0, link.Left + 2, y);
  EXPECT_EQ(Join(data.events), "cell click 0,1");
}

TEST_F(ItemRoutingTest, ProgramEditorIgnoresDoubleClicks) {
  data.parent = &programEditor;
  data.DblClickAt(7, 10);
  EXPECT_EQ(Join(data.events), "");
  data.parent = nullptr;
  data.DblClickAt(7, 10);
  EXPECT_EQ(Join(data.events), "changed select") << "the word is selected";
  EXPECT_TRUE(data.SelectionExists());
}

TEST_F(ItemRoutingTest, FocusSearchAsksItemsWithDocuments) {
  TFixedPitchData cell;
  TCustomRVFormattedData* focusedData = nullptr;
  int focusedItem = -1;
  EXPECT_EQ(data.GetNextFocusedItem(-1, true, focusedData, focusedItem), -1) << "no focusable cell yet";
  table->inner = &cell;
  EXPECT_EQ(data.GetNextFocusedItem(-1, true, focusedData, focusedItem), 1);
  EXPECT_EQ(focusedData, &cell);
  EXPECT_EQ(focusedItem, 0);
  EXPECT_EQ(data.GetNextFocusedItem(-1, false, focusedData, focusedItem), 1);
  EXPECT_EQ(focusedItem, 7) << "backwards the item gives its last focusable place";
}

TEST_F(ItemRoutingTest, XorFigureFollowsTheMouse) {
  std::vector<std::string> drawn;
  const TObject owner;
  data.AssignXorDrawing(&owner, [&](TObject*, TShiftState, int32_t x, int32_t y) {
    drawn.push_back(std::to_string(x) + "," + std::to_string(y));
  });
  data.MouseMove(0, 10, 12);
  data.MouseMove(0, 30, 14);
  EXPECT_EQ(Join(drawn), "10,12 10,12 30,14") << "erased where it was, drawn where the mouse is";
  EXPECT_TRUE(data.XorDrawn());
  data.UnassignXorDrawing(&owner);
  EXPECT_FALSE(data.XorDrawn());
}

class TScrollCountingData : public TRVViewerRVData {
 public:
  using TRVViewerRVData::TRVViewerRVData;
  void AfterAutoScroll() override { ++steps; }
  int steps = 0;
};

TEST(ViewerAutoScrollTest, DocumentHearsOfEachScrollStep) {
  viewertest::App();
  TRVStyle sheet;
  viewertest::TViewerWith<TScrollCountingData> viewer;
  viewer.SetStyle(&sheet);
  viewer.SetAutoScrollDeltas(10, 10);  // inside the client area: no scrolling
  viewer.Perform(WM_TIMER, TCustomRVViewer::kAutoScrollTimer);
  EXPECT_EQ(viewer.Data().steps, 0);
  viewer.SetAutoScrollDeltas(10, -30);  // above the client area
  ASSERT_NE(viewer.AutoScrollDeltaV(), 0);
  viewer.Perform(WM_TIMER, TCustomRVViewer::kAutoScrollTimer);
  EXPECT_EQ(viewer.Data().steps, 1);
}

}  // namespace
