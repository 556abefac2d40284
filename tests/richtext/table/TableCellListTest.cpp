// Numbered paragraphs inside table cells count on from the paragraphs before the table and
// on into those after it, however the table came into the document: read from RVF, built by
// the program before it was inserted, or taken out and put back by undo.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "TableTestSupport.h"

using namespace tabletest;

namespace {

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
