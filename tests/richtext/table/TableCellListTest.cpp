// Numbered paragraphs inside table cells count on from the paragraphs before the table and
// on into those after it, however the table came into the document: read from RVF, built by
// the program before it was inserted, or taken out and put back by undo.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "TableTestSupport.h"
#include "richtext/core/RVMarker.h"

using namespace tabletest;

namespace {

/// Appends a numbered paragraph of list 0 with Text to Data.
void AddNumbered(TCustomRVData& Data, const std::string& Text) {
  Data.AddItem("", TRVMarkerItemInfo::CreateForList(&Data, 0, 0, 1, false));
  Data.AddMarkerToList(Data.GetItemCount() - 1);
  Data.AddTextItem(Text, 0, -1);
}

/// The counters of every marker in document order, cells included, as "text=counter".
void Collect(TCustomRVData& Data, std::string& Out) {
  for (int i = 0; i < Data.GetItemCount(); ++i) {
    TCustomRVItemInfo* item = Data.GetItem(i);
    if (item->StyleNo == rvsListMarker && i + 1 < Data.GetItemCount())
      Out += Data.GetItemText(i + 1) + "=" + std::to_string(static_cast<TRVMarkerItemInfo*>(item)->Counter) +
             " ";
    std::unique_ptr<TRVStoreSubRVData> state;
    for (TCustomRVData* sub = item->GetSubDocument(state, 0); sub != nullptr;
         sub = item->GetSubDocument(state, 4))
      Collect(*sub, Out);
  }
}

std::string Counters(TCustomRVData& Data) {
  std::string out;
  Collect(Data, out);
  return out;
}

class TableCellListTest : public ::testing::Test {
 protected:
  void SetUp() override { doc.Style.ListStyles().AddStyle()->Levels().AddLevel()->ListType = rvlstDecimal; }
  /// "a", a 1 x 2 table filled by Fill, then "d".
  template <typename F>
  void Build(F Fill) {
    AddNumbered(doc, "a");
    auto table = TRVTableItemInfo::CreateWithSize(1, 2, &doc);
    Fill(*table);
    doc.AddItem("", std::move(table));
    AddNumbered(doc, "d");
  }
  static void FillCells(TRVTableItemInfo& Table) {
    for (int c = 0; c < 2; ++c) {
      TRVTableCellData* cell = Table.GetCell(0, c);
      cell->Clear();
      AddNumbered(*cell, std::string(1, static_cast<char>('b' + c)));
    }
  }
  TDoc doc;
};

TEST_F(TableCellListTest, ATableBuiltBeforeItsInsertionNumbersInDocumentOrder) {
  Build(FillCells);
  EXPECT_EQ(Counters(doc), "a=1 b=2 c=3 d=4 ");
}

TEST_F(TableCellListTest, ReadingRVFKeepsTheNumberingOfCells) {
  Build(FillCells);
  TMemoryStream rvf;
  ASSERT_TRUE(doc.SaveRVFToStream(rvf, false, clNone, nullptr, nullptr));
  TDoc read;
  read.Style.ListStyles().AddStyle()->Levels().AddLevel()->ListType = rvlstDecimal;
  rvf.SetPosition(0);
  TColor color = clNone;
  ASSERT_TRUE(read.LoadRVFFromStream(rvf, color, nullptr, nullptr));
  EXPECT_EQ(Counters(read), "a=1 b=2 c=3 d=4 ");
  // The markers are the read document's: deleting the table renumbers what follows it.
  read.DeleteItems(2, 1);
  EXPECT_EQ(Counters(read), "a=1 d=2 ");
}

TEST_F(TableCellListTest, ANestedTableNumbersInsideItsCell) {
  Build([](TRVTableItemInfo& Table) {
    FillCells(Table);
    TRVTableCellData* cell = Table.GetCell(0, 0);
    auto inner = TRVTableItemInfo::CreateWithSize(1, 1, cell);
    inner->GetCell(0, 0)->Clear();
    AddNumbered(*inner->GetCell(0, 0), "inner");
    cell->AddItem("", std::move(inner));
  });
  EXPECT_EQ(Counters(doc), "a=1 b=2 inner=3 c=4 d=5 ");
}

}  // namespace
