// Nested documents: the shared marker list in document order across nested documents,
// moving items between documents, finding containers, and removing unused styles.
#include <gtest/gtest.h>

#include "platform/graphics/Bitmap.h"
#include "platform/graphics/Controls.h"
#include "richtext/core/CRVData.h"
#include "richtext/core/RVMarker.h"
#include "richtext/core/RVNestedData.h"
#include "richtext/core/RVNonTextItems.h"
#include "richtext/core/RVStyle.h"

namespace {

class TTestContainerItem;

/// The enumeration state of the container's documents: the index of the current one.
class TTestCellState : public TRVStoreSubRVData {
 public:
  explicit TTestCellState(int index) : Index(index) {}
  int Index;
};

/// A document nested in a container item of another document (a stand-in for a cell).
class TTestCellData : public TCustomRVData {
 public:
  TTestCellData(TCustomRVData* parent, TTestContainerItem* holder, int index)
      : parent_(parent), holder_(holder), index_(index) {}
  ~TTestCellData() override { Clear(); }
  TCustomRVData* GetParentData() const override { return parent_; }
  TCustomRVData* GetRootData() override { return parent_->GetRootData(); }
  TCustomRVData* GetOuterParentData() const override { return parent_; }
  TCustomRVData* GetOuterRootData() override { return parent_->GetOuterRootData(); }
  void GetParentItemInfo(int& ParentItemNo, std::unique_ptr<TRVStoreSubRVData>& Location) override;

 private:
  TCustomRVData* parent_;
  TTestContainerItem* holder_;
  int index_;
};

/// An item holding `n` nested documents, enumerated as a table enumerates its cells.
class TTestContainerItem : public TRVFullLineItemInfo {
 public:
  TTestContainerItem(TCustomRVData* parent, int n) : TRVFullLineItemInfo(parent) {
    StyleNo = -70;
    for (int i = 0; i < n; ++i) cells.push_back(std::make_unique<TTestCellData>(parent, this, i));
  }
  TCustomRVData* GetSubDocument(std::unique_ptr<TRVStoreSubRVData>& State, int Direction) override {
    const int n = static_cast<int>(cells.size());
    auto* state = dynamic_cast<TTestCellState*>(State.get());
    int index = -1;
    if (Direction == 0) index = 0;
    if (Direction == 1) index = n - 1;
    if (Direction == 4 && state) index = state->Index + 1;
    if (Direction == 5 && state) index = state->Index - 1;
    if (index < 0 || index >= n) return nullptr;
    State = std::make_unique<TTestCellState>(index);
    return cells[static_cast<size_t>(index)].get();
  }
  void MarkStylesInUse(TRVIntegerList& text, TRVIntegerList& para, TRVIntegerList& lists) const override {
    TRVFullLineItemInfo::MarkStylesInUse(text, para, lists);
    for (const auto& cell : cells) cell->MarkStylesInUse(text, para, lists);
  }
  void RenumberStyles(const TRVIntegerList& text, const TRVIntegerList& para,
                      const TRVIntegerList& lists) override {
    TRVFullLineItemInfo::RenumberStyles(text, para, lists);
    for (const auto& cell : cells) cell->RenumberStyles(text, para, lists);
  }
  TTestCellData& Cell(int i) { return *cells[static_cast<size_t>(i)]; }

  std::vector<std::unique_ptr<TTestCellData>> cells;
};

void TTestCellData::GetParentItemInfo(int& ParentItemNo, std::unique_ptr<TRVStoreSubRVData>& Location) {
  ParentItemNo = parent_->FindItemIndex(holder_);
  Location = std::make_unique<TTestCellState>(index_);
}

/// A top-level document whose embedded controls lie on `parent`.
class TRootWithControl : public TCustomRVData {
 public:
  TWinControl* GetParentControl() const override { return &parent; }
  mutable TWinControl parent;
};

class NestedDataTest : public ::testing::Test {
 protected:
  void SetUp() override {
    TRVListInfo* list = style.ListStyles().AddStyle();
    TRVListLevel* level = list->Levels().AddLevel();
    level->ListType = rvlstDecimal;
    level->FormatString = "%0:s.";
    TRVListInfo* other = style.ListStyles().AddStyle();
    other->Levels().AddLevel()->ListType = rvlstUpperAlpha;
    other->Levels().Items(0)->FormatString = "%0:s)";
    root.SetRVStyle(&style);
  }
  /// Inserts a marker of `listNo` at the end of `data`, followed by a text in its paragraph.
  TRVMarkerItemInfo* AddMarker(TCustomRVData& data, int listNo = 0) {
    auto marker = TRVMarkerItemInfo::CreateForList(&data, listNo, 0, 1, false);
    TRVMarkerItemInfo* raw = marker.get();
    int itemNo = data.GetItemCount();
    bool fullReformat = false;
    int newListNo = 0;
    data.InsertItemObject(itemNo, "", std::move(marker), fullReformat, newListNo);
    data.AddTextItem("item", 0, -1);
    return raw;
  }
  TTestContainerItem* AddContainer(TCustomRVData& data, int cells) {
    auto item = std::make_unique<TTestContainerItem>(&data, cells);
    TTestContainerItem* raw = item.get();
    data.AddItem("", std::move(item));
    return raw;
  }
  std::vector<TRVMarkerItemInfo*> Listed(TCustomRVData& data) {
    std::vector<TRVMarkerItemInfo*> out;
    if (TRVMarkerList* list = data.GetMarkers(false))
      for (int i = 0; i < list->Count(); ++i) out.push_back(list->Items(i));
    return out;
  }

  TRVStyle style;
  TCustomRVData root;
};

TEST_F(NestedDataTest, MarkersInNestedDocumentsJoinTheRootListInDocumentOrder) {
  TRVMarkerItemInfo* first = AddMarker(root);
  TTestContainerItem* table = AddContainer(root, 2);
  TRVMarkerItemInfo* last = AddMarker(root);
  // Inserted out of document order: the list still follows the document.
  TRVMarkerItemInfo* inCell1 = AddMarker(table->Cell(1));
  TRVMarkerItemInfo* inCell0 = AddMarker(table->Cell(0));
  EXPECT_EQ(Listed(root), (std::vector<TRVMarkerItemInfo*>{first, inCell0, inCell1, last}));
  EXPECT_EQ(table->Cell(0).GetMarkers(false), root.GetMarkers(false));
  EXPECT_EQ(first->DisplayString, "1.");
  EXPECT_EQ(inCell0->DisplayString, "2.");
  EXPECT_EQ(inCell1->DisplayString, "3.");
  EXPECT_EQ(last->DisplayString, "4.");
  EXPECT_EQ(inCell1->OwnerData, &table->Cell(1));
}

TEST_F(NestedDataTest, FindPreviousMarkerWalksIntoAndOutOfNestedDocuments) {
  TRVMarkerItemInfo* first = AddMarker(root);
  TTestContainerItem* table = AddContainer(root, 3);
  TRVMarkerItemInfo* inCell1 = AddMarker(table->Cell(1));
  table->Cell(2).AddTextItem("text", 0, 0);
  // From the end of the root: the last marker inside the container, searched backwards.
  EXPECT_EQ(root.FindPreviousMarker(root.GetItemCount() - 1), inCell1);
  // From a later cell: the earlier cell's marker; from the first cell: out to the root.
  EXPECT_EQ(table->Cell(2).FindPreviousMarker(0), inCell1);
  EXPECT_EQ(table->Cell(0).FindPreviousMarker(-1), first);
  EXPECT_EQ(root.FindPreviousMarker(-1), nullptr);
  EXPECT_EQ(root.FindItemOrContainer(0, table->Cell(1).GetItem(0)), root.FindItemIndex(table));
  EXPECT_EQ(root.FindItemOrContainer(0, first), 0);
  EXPECT_EQ(root.FindItemOrContainer(1, first), -1);
}

TEST_F(NestedDataTest, RemovingMarkersRenumbersTheirListAndTheLastFreesTheList) {
  AddMarker(root);
  TRVMarkerItemInfo* second = AddMarker(root);
  TRVMarkerItemInfo* third = AddMarker(root);
  EXPECT_EQ(third->Counter, 3);
  root.DeleteItems(0, 2);  // the first marker and its text
  EXPECT_EQ(second->Counter, 1);
  EXPECT_EQ(third->Counter, 2);
  EXPECT_EQ(third->DisplayString, "2.");
  root.Clear();
  EXPECT_EQ(root.GetMarkers(false), nullptr);
}

TEST_F(NestedDataTest, RemovingAMarkerRenumbersItsOwnListEvenWhenAnotherFollows) {
  AddMarker(root, 0);
  AddMarker(root, 1);
  TRVMarkerItemInfo* later = AddMarker(root, 0);
  EXPECT_EQ(later->Counter, 2);
  root.DeleteItems(0, 2);
  EXPECT_EQ(later->Counter, 1);
  EXPECT_EQ(later->DisplayString, "1.");
}

TEST_F(NestedDataTest, MarkersLeaveTheRootListWhenTheirDocumentGoes) {
  AddMarker(root);
  TTestContainerItem* table = AddContainer(root, 1);
  TRVMarkerItemInfo* inCell = AddMarker(table->Cell(0));
  TRVMarkerItemInfo* after = AddMarker(root);
  EXPECT_EQ(after->Counter, 3);
  root.DeleteItems(root.FindItemIndex(table), 1);
  EXPECT_EQ(Listed(root).size(), 2u);
  EXPECT_EQ(after->Counter, 2);
  (void)inCell;
}

TEST_F(NestedDataTest, DetachAndAttachMoveAMarkerOutOfAndIntoTheList) {
  AddMarker(root);
  TRVMarkerItemInfo* second = AddMarker(root);
  second->DetachFromData(&root, 2);
  EXPECT_EQ(Listed(root).size(), 1u);
  EXPECT_EQ(second->OwnerData, nullptr);
  second->AttachToData(&root, 2);
  EXPECT_EQ(Listed(root).size(), 2u);
  EXPECT_EQ(second->Counter, 2);
  root.RenumberMarker(2, false);
  EXPECT_EQ(second->Counter, 2);
}

TEST_F(NestedDataTest, FindLastMarkerOfLists) {
  AddMarker(root, 0);
  AddMarker(root, 1);
  AddMarker(root, 0);
  AddMarker(root, 1);
  TRVIntegerList zero;
  zero.AddValue(0);
  EXPECT_EQ(root.FindLastMarkerOfLists(-1, zero), 2);
  EXPECT_EQ(root.FindLastMarkerOfLists(2, zero), -1);
  TRVIntegerList none;
  none.AddValue(7);
  EXPECT_EQ(root.FindLastMarkerOfLists(-1, none), -1);
  root.Clear();
  EXPECT_EQ(root.FindLastMarkerOfLists(-1, zero), -1);
}

TEST_F(NestedDataTest, MovingItemsKeepsTheirStylesAndContinuesNumbering) {
  AddMarker(root);
  TCustomRVData source;
  source.SetRVStyle(&style);
  TRVMarkerItemInfo* moved = AddMarker(source);
  source.AddTextItem("styled", 3, 1);
  source.AddItem("", TRVBreakItemInfo::CreateEx(&source, 2, 0, clRed));
  source.AddItem("pic", TRVGraphicItemInfo::CreateWithPicture(&source, std::make_unique<TBitmap>(), 0));
  source.AddCheckpoint("cp", false, TRVTag());
  EXPECT_EQ(moved->Counter, 1);

  const int before = root.GetItemCount();
  root.AppendItemsFrom(&source);
  EXPECT_EQ(source.GetItemCount(), 0);
  EXPECT_EQ(source.GetMarkers(false), nullptr);
  ASSERT_EQ(root.GetItemCount(), before + 5);
  EXPECT_EQ(root.GetItem(before), moved);
  EXPECT_EQ(moved->Counter, 2);
  EXPECT_EQ(moved->OwnerData, &root);
  EXPECT_EQ(Listed(root).size(), 2u);
  EXPECT_EQ(root.GetItemStyleNo(before + 2), 3);
  EXPECT_EQ(root.GetItemParaNo(before + 2), 1);
  EXPECT_EQ(root.GetItemText(before + 2), "styled");
  EXPECT_EQ(root.GetItemStyleNo(before + 3), rvsBreak);
  EXPECT_EQ(static_cast<TRVBreakItemInfo*>(root.GetItem(before + 3))->LineWidth, 2);
  EXPECT_EQ(root.GetItemText(before + 4), "pic");
  EXPECT_NE(root.GetPendingCheckpoint(), nullptr);
}

TEST_F(NestedDataTest, MovingOutOfANestedDocumentReordersTheSharedList) {
  TTestContainerItem* table = AddContainer(root, 1);
  TRVMarkerItemInfo* inCell = AddMarker(table->Cell(0));
  table->Cell(0).AddTextItem("styled", 5, 1);
  TRVMarkerItemInfo* after = AddMarker(root);
  EXPECT_EQ(Listed(root), (std::vector<TRVMarkerItemInfo*>{inCell, after}));
  root.AppendItemsFrom(&table->Cell(0));
  EXPECT_EQ(Listed(root), (std::vector<TRVMarkerItemInfo*>{after, inCell}));
  EXPECT_EQ(after->Counter, 1);
  EXPECT_EQ(inCell->Counter, 2);
  EXPECT_EQ(inCell->OwnerData, &root);
  EXPECT_EQ(root.GetItemStyleNo(root.GetItemCount() - 1), 5);
  EXPECT_EQ(root.GetItemParaNo(root.GetItemCount() - 1), 1);
  EXPECT_EQ(table->Cell(0).GetItemCount(), 0);
}

TEST_F(NestedDataTest, AnItemThatJoinsItsPredecessorJoinsTheDestinationsLastParagraph) {
  root.AddTextItem("first", 0, 1);
  TCustomRVData source;
  source.SetRVStyle(&style);
  source.AddTextItem("joins", 0, 0);
  source.GetItem(0)->SetSameAsPrev(true);
  source.AddTextItem("new para", 0, 0);
  root.AppendItemsFrom(&source);
  EXPECT_TRUE(root.GetItem(1)->GetSameAsPrev());
  EXPECT_EQ(root.GetItemParaNo(1), 1);
  EXPECT_TRUE(root.StartsParagraph(2));
  EXPECT_EQ(root.GetItemParaNo(2), 0);
}

TEST_F(NestedDataTest, MovingBetweenDocumentsOfDifferentTagKindsIsRefused) {
  TCustomRVData source;
  source.SetOptions(source.GetOptions() | rvoTagsArePChars);
  source.AddTextItem("x", 0, 0);
  EXPECT_THROW(root.AppendItemsFrom(&source), ERVError);
  EXPECT_EQ(source.GetItemCount(), 1);
  EXPECT_EQ(root.GetItemCount(), 0);
}

TEST_F(NestedDataTest, ClampItemNo) {
  int itemNo = 9;
  root.ClampItemNo(itemNo);
  EXPECT_EQ(itemNo, 0);
  for (int i = 0; i < 5; ++i) root.AddTextItem("t", 0, 0);
  const std::pair<int, int> cases[] = {{9, 4}, {-3, 0}, {2, 2}};
  for (auto [given, expected] : cases) {
    itemNo = given;
    root.ClampItemNo(itemNo);
    EXPECT_EQ(itemNo, expected) << given;
  }
}

TEST_F(NestedDataTest, NestedDocumentsAskTheRootForTheParentControl) {
  TRootWithControl top;
  auto* table = AddContainer(top, 1);
  EXPECT_EQ(table->Cell(0).GetParentControl(), &top.parent);
  EXPECT_EQ(root.GetParentControl(), nullptr);
  auto control = std::make_unique<TWinControl>();
  TWinControl* raw = control.get();
  table->Cell(0).AddItem("", TRVControlItemInfo::CreateEx(&table->Cell(0), std::move(control), 0));
  EXPECT_EQ(raw->Parent(), &top.parent);
}

TEST_F(NestedDataTest, UnusedStylesAreRemovedAndItemsRenumbered) {
  // Six text styles, two paragraph styles, two list styles.
  style.TextStyles().Items(3)->NextStyleNo = 5;
  style.TextStyles().Items(4)->NextStyleNo = 3;
  style.DefUnicodeStyle = 4;
  TTestContainerItem* table = AddContainer(root, 1);
  table->Cell(0).AddTextItem("cell", 4, 1);
  root.AddTextItem("root", 2, 0);
  TRVMarkerItemInfo* marker = AddMarker(root, 1);

  const TRVStyleRenumbering maps = RVDeleteUnusedStyles(root, true, true, true);
  EXPECT_EQ(style.TextStyles().Count(), 3);  // 0 (always kept), 2, 4
  EXPECT_EQ(style.ParaStyles().Count(), 2);
  EXPECT_EQ(style.ListStyles().Count(), 1);
  EXPECT_EQ(table->Cell(0).GetItemStyleNo(0), 2);
  EXPECT_EQ(table->Cell(0).GetItemParaNo(0), 1);
  EXPECT_EQ(root.GetItemStyleNo(root.GetItemCount() - 3), 1);
  EXPECT_EQ(marker->ListNo, 0);
  EXPECT_EQ(style.TextStyles().Items(2)->NextStyleNo, -1);  // style 3 went away
  EXPECT_EQ(style.DefUnicodeStyle, 2);
  EXPECT_EQ(maps.TextStylesMap.Count(), 6);
  EXPECT_EQ(maps.TextStylesMap[4], 3);
  EXPECT_EQ(maps.TextStylesMap[3], 0);
  EXPECT_EQ(maps.ListStylesMap[1], 2);
}

TEST_F(NestedDataTest, OnlyTheChosenKindsOfStylesAreRemoved) {
  root.AddTextItem("x", 1, 0);
  RVDeleteUnusedStyles(root, false, true, false);
  EXPECT_EQ(style.TextStyles().Count(), 6);
  EXPECT_EQ(style.ParaStyles().Count(), 1);
  EXPECT_EQ(style.ListStyles().Count(), 2);
  TCustomRVData noSheet;
  EXPECT_EQ(RVDeleteUnusedStyles(noSheet, true, true, true).TextStylesMap.Count(), 0);
}

}  // namespace
