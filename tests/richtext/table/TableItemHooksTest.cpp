// What a table does as one item among a document's items: joining and leaving documents,
// telling its cells' items, the controls and the cell editor it owns, and the hyperlinks of
// its cells in the document's list.
#include <gtest/gtest.h>

#include <stdexcept>
#include <string>
#include <vector>

#include "TableTestSupport.h"
#include "TableViewSupport.h"
#include "platform/graphics/Controls.h"
#include "richtext/core/RVNonTextItems.h"

using namespace tabletest;

namespace {

/// A document that records which items it hears joining, and may pose as editor data.
class TNoticeDoc : public TDoc {
 public:
  void ItemAction(TRVItemAction Action, TCustomRVItemInfo* Item, std::string& Text,
                  TCustomRVData* RVData) override {
    if (Action == rviaInserted)
      joined.push_back(Item->StyleNo == rvsTable ? "table" : GetItemTextOf(Item, RVData));
    TDoc::ItemAction(Action, Item, Text, RVData);
  }
  bool IsEditData() const override { return editor; }
  static std::string GetItemTextOf(TCustomRVItemInfo* Item, TCustomRVData* RVData) {
    const int i = RVData->FindItemIndex(Item);
    return i >= 0 ? RVData->GetItemText(i) : "?";
  }
  std::vector<std::string> joined;
  bool editor = false;
};

std::unique_ptr<TRVTableItemInfo> TableWithTexts(int rows, int cols) {
  auto table = TRVTableItemInfo::CreateWithSize(rows, cols, nullptr);
  for (int r = 0; r < rows; ++r)
    for (int c = 0; c < cols; ++c) {
      TRVTableCellData* cell = table->GetCell(r, c);
      cell->Clear();
      cell->AddTextItem(std::to_string(r) + std::to_string(c), 0, 0);
    }
  return table;
}

TEST(TableItemHooksTest, JoiningADocumentReadiesTheCells) {
  TNoticeDoc doc;
  auto made = TableWithTexts(1, 2);
  TRVTableItemInfo* table = made.get();
  table->GetCell(0, 1)->Clear();
  doc.AddItem("", std::move(made));
  // A cell left without items gets a line to type into; the other keeps its text.
  ASSERT_EQ(table->GetCell(0, 1)->GetItemCount(), 1);
  EXPECT_EQ(table->GetCell(0, 1)->GetItemText(0), "");
  EXPECT_EQ(table->GetCell(0, 0)->GetItemText(0), "00");
  EXPECT_EQ(table->GetParentData(), &doc);
  EXPECT_EQ(table->State & (rvtsInserted | rvtsEditMode), rvtsInserted);
  // Tables are printed on the page, never through a bitmap.
  EXPECT_FALSE(table->QueryFeatureForStyle(rvsfPrintViaBitmap, &doc.Style));

  TNoticeDoc editorDoc;
  editorDoc.editor = true;
  TRVTableItemInfo* edited = editorDoc.AddTable(1, 1);
  EXPECT_EQ(edited->State & (rvtsInserted | rvtsEditMode), rvtsInserted | rvtsEditMode);
  // Taken out (to an undo record) and put back, it is still a table of the editor.
  edited->DetachFromData(&editorDoc, 0);
  EXPECT_EQ(edited->State & (rvtsInserted | rvtsEditMode), 0);
  edited->AttachToData(&editorDoc, 0);
  EXPECT_EQ(edited->State & (rvtsInserted | rvtsEditMode), rvtsInserted | rvtsEditMode);
}

TEST(TableItemHooksTest, CellItemsHearOnlyOfTheFirstJoining) {
  TNoticeDoc doc;
  doc.AddItem("", TableWithTexts(2, 1));
  EXPECT_EQ(doc.joined, (std::vector<std::string>{"00", "10", "table"}));

  // A table read from a file told its cells' items as they were read.
  TNoticeDoc read;
  auto table = TableWithTexts(2, 1);
  table->BeforeLoading(rvlfRVF);
  read.AddItem("", std::move(table));
  EXPECT_EQ(read.joined, (std::vector<std::string>{"table"}));
}

TEST(TableItemHooksTest, LeavingADocumentDropsTheEditorAndDetachesNestedTables) {
  TDoc doc;
  TRVTableItemInfo* table = doc.AddTable(1, 2);
  TRVTableCellData* cell = table->GetCell(0, 1);
  auto inner = TRVTableItemInfo::CreateWithSize(1, 1, cell);
  TRVTableItemInfo* nested = inner.get();
  cell->AddItem("", std::move(inner));
  ASSERT_EQ(nested->GetParentData(), cell);
  {
    TFakeEditor editor(*table, 0, 0);
    EXPECT_TRUE(table->OwnsInplaceEditor(&editor.control));
    TWinControl other;
    EXPECT_FALSE(table->OwnsInplaceEditor(&other));
    table->DetachFromData(&doc, 0);
    EXPECT_EQ(editor.closes, (std::vector<bool>{false}));
    EXPECT_FALSE(table->OwnsInplaceEditor(&editor.control));
  }
  EXPECT_EQ(table->GetParentData(), nullptr);
  EXPECT_EQ(nested->GetParentData(), nullptr);
  EXPECT_EQ(table->State & rvtsInserted, 0);

  table->AttachToData(&doc, 0);
  EXPECT_EQ(table->GetParentData(), &doc);
  EXPECT_EQ(nested->GetParentData(), cell);
  EXPECT_EQ(nested->GetCell(0, 0)->GetRVStyle(), &doc.Style);

  // Finishing an edit keeps what was typed.
  TFakeEditor editor(*table, 0, 1);
  table->FinishEditing();
  EXPECT_EQ(editor.closes, (std::vector<bool>{true}));
}

/// A document that records the control notices reaching it.
class TControlNoticeDoc : public TDoc {
 public:
  void ControlAction(TRVControlAction Action, int ItemNo, TCustomRVItemInfo* Item) override {
    notices.push_back({Action, ItemNo, Item});
  }
  struct TNotice {
    TRVControlAction action;
    int itemNo;
    TCustomRVItemInfo* item;
  };
  std::vector<TNotice> notices;
};

TEST(TableItemHooksTest, ControlsInCellsBelongToTheTableAndHearItsNotices) {
  TControlNoticeDoc doc;
  doc.AddTextItem("before", 0, 0);
  TRVTableItemInfo* table = doc.AddTable(2, 2);
  auto control = std::make_unique<TControl>();
  const TControl* held = control.get();
  TRVTableCellData* cell = table->GetCell(1, 1);
  cell->AddTextItem("x", 0, 0);
  cell->AddItem("", TRVControlItemInfo::CreateEx(cell, std::move(control), 0));
  TCustomRVItemInfo* holder = cell->GetItem(cell->GetItemCount() - 1);
  EXPECT_TRUE(table->OwnsControl(held));
  TControl other;
  EXPECT_FALSE(table->OwnsControl(&other));

  // The notice goes through the cell that holds the control, which names the table's place.
  doc.notices.clear();
  EXPECT_TRUE(table->ControlAction(rvcaMoveToUndoList, held));
  ASSERT_EQ(doc.notices.size(), 1u);
  EXPECT_EQ(doc.notices[0].action, rvcaMoveToUndoList);
  EXPECT_EQ(doc.notices[0].itemNo, 1);
  EXPECT_EQ(doc.notices[0].item, holder);
  // A control no cell holds is nobody's business.
  EXPECT_FALSE(table->ControlAction(rvcaDestroy, &other));
  EXPECT_EQ(doc.notices.size(), 1u);
}

/// An item that notes whether its table is busy while it is written, then fails the writing.
class TFailingItem : public TRVBreakItemInfo {
 public:
  explicit TFailingItem(TCustomRVData* RVData) : TRVBreakItemInfo(RVData) { StyleNo = rvsBreak; }
  void SaveRVF(TStream&, TCustomRVData*, int, int32_t, const std::string&, const TRVMultiDrawItemPart*,
               bool) override {
    busyWhileWritten = table != nullptr && table->IsBusy();
    throw std::runtime_error("disk full");
  }
  TRVTableItemInfo* table = nullptr;
  bool busyWhileWritten = false;
};

class TableJumpsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    doc.SetRVStyle(&style);
    doc.width = 400;
    doc.height = 300;
    style.TextStyles().Items(1)->Jump = true;
    doc.AddTextItem("before", 1, 0);
    auto made = TableWithTexts(2, 2);
    table = made.get();
    doc.AddItem("", std::move(made));
    // Links in two cells, the second of two pieces of one item.
    Link(0, 1, "first");
    Link(1, 0, "second");
  }
  void Link(int r, int c, const std::string& text) {
    TRVTableCellData* cell = table->GetCell(r, c);
    cell->Clear();
    cell->AddTextItem(text, 1, 0);
  }
  std::vector<int> Ids() {
    std::vector<int> ids;
    for (int i = 0; i < doc.Jumps().Count(); ++i) ids.push_back(doc.Jumps()[i]->Id);
    return ids;
  }

  TRVStyle style;
  TPaintDoc doc;
  TRVTableItemInfo* table = nullptr;
};

TEST_F(TableJumpsTest, CellLinksJoinTheListNumberedOnInReadingOrder) {
  doc.Format(true);
  ASSERT_EQ(Ids(), (std::vector<int>{0, 1, 2}));
  for (int i = 1; i <= 2; ++i) {
    const TRVJumpInfo& jump = *doc.Jumps()[i];
    const TRVTableCellData* cell = i == 1 ? table->GetCell(0, 1) : table->GetCell(1, 0);
    EXPECT_EQ(jump.RVData, cell);
    EXPECT_EQ(cell->GetItem(0)->JumpID, i);
    // The area lies inside the cell as painted.
    const TRVDrawLineInfo& piece = *doc.DrawItems()[table->DrawItemNo];
    const int32_t left = piece.Left + cell->Left, top = piece.Top + cell->Top;
    EXPECT_GE(jump.Left, left);
    EXPECT_GE(jump.Top, top);
    EXPECT_LE(jump.Left + jump.Width, left + cell->Width);
    EXPECT_LE(jump.Top + jump.Height, top + cell->Height);
  }
}

TEST_F(TableJumpsTest, TheEditedCellLendsItsNumbersToTheEditor) {
  TFakeEditor editor(*table, 0, 1);
  editor.jumps = 4;
  doc.Format(true);
  EXPECT_EQ(editor.firstJumpNo, 1);
  EXPECT_EQ(Ids(), (std::vector<int>{0, 5}));
}

/// A document that records which sub-documents it is told to give up.
class TFocusDoc : public TPaintDoc {
 public:
  void UnassignFocusedSubData(TCustomRVFormattedData* RVData) override {
    released.push_back(RVData);
    TPaintDoc::UnassignFocusedSubData(RVData);
  }
  std::vector<TCustomRVFormattedData*> released;
};

/// A 2 x 2 table of texts in a formatted document.
class TableInDocumentTest : public ::testing::Test {
 protected:
  void SetUp() override {
    doc.SetRVStyle(&style);
    doc.width = 400;
    doc.height = 300;
    auto made = TableWithTexts(2, 2);
    table = made.get();
    doc.AddItem("", std::move(made));
  }
  TRVStyle style;
  TFocusDoc doc;
  TRVTableItemInfo* table = nullptr;
};

TEST_F(TableInDocumentTest, WritingTheCellsKeepsTheTableBusyUntilItEnds) {
  TRVTableCellData* cell = table->GetCell(0, 0);
  cell->Clear();
  auto probe = std::make_unique<TFailingItem>(cell);
  TFailingItem* item = probe.get();
  item->table = table;
  cell->AddItem("", std::move(probe));
  doc.Format(true);
  EXPECT_FALSE(table->IsBusy());
  TMemoryStream stream;
  EXPECT_ANY_THROW(table->SaveRVF(stream, &doc, 0, 0, "", nullptr, false));
  EXPECT_TRUE(item->busyWhileWritten);
  // A failed write does not leave the table deaf to the mouse.
  EXPECT_FALSE(table->IsBusy());
}

TEST_F(TableInDocumentTest, ReleasingTheFocusedCellGivesItUpOnce) {
  // A focused slot that a merged cell covers stands for that cell.
  ASSERT_TRUE(table->Rows().MergeCells(1, 0, 2, 1, true, false));
  table->FocusedCellRow = 1;
  table->FocusedCellCol = 1;
  table->ClearFocusHook();
  EXPECT_EQ(doc.released, (std::vector<TCustomRVFormattedData*>{table->GetCell(1, 0)}));
  EXPECT_EQ(table->FocusedCellRow, -1);
  EXPECT_EQ(table->FocusedCellCol, -1);
  table->ClearFocusHook();
  EXPECT_EQ(doc.released.size(), 1u);

  // A focused cell that no longer lies in the grid (rows deleted meanwhile) is forgotten.
  table->FocusedCellRow = 5;
  table->FocusedCellCol = 0;
  EXPECT_EQ(table->GetFocusedCell(), nullptr);
  EXPECT_EQ(table->FocusedCellRow, -1);
  table->FocusedCellRow = 5;
  table->ClearFocusHook();
  EXPECT_EQ(doc.released.size(), 1u);
}

TEST_F(TableInDocumentTest, LosingTheFocusDeselectsTheCellAndKeepsTheEditorsText) {
  doc.Format(true);
  TRVTableCellData* cell = table->GetCell(0, 1);
  cell->SelectAll();
  ASSERT_TRUE(cell->SelectionExists());
  TRVTableCellData* other = table->GetCell(1, 1);
  other->SelectAll();
  table->FocusedCellRow = 0;
  table->FocusedCellCol = 1;
  TFakeEditor editor(*table, 1, 0);
  table->FocusLost();
  EXPECT_FALSE(cell->SelectionExists());
  // Only the focused cell is touched.
  EXPECT_TRUE(other->SelectionExists());
  EXPECT_EQ(table->FocusedCellRow, -1);
  EXPECT_EQ(editor.closes, (std::vector<bool>{true}));
  // Nothing focused and no editor: nothing to do.
  table->FocusLost();
  EXPECT_TRUE(other->SelectionExists());
}

}  // namespace
