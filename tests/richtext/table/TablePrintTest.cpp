// Printing tables: the layout at a device's resolution with printable cell documents, rows
// that merged cells tie together, and heading rows that may repeat on every page.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <vector>

#include "TableTestSupport.h"
#include "TableViewSupport.h"
#include "richtext/core/RVError.h"
#include "richtext/print/PrintTestSupport.h"
#include "richtext/table/RVTablePrint.h"
#include "richtext/viewer/RVPageDriver.h"

using namespace tabletest;

namespace {

TEST(TableRowBlocksTest, MergedCellsTieRowsIntoBlocks) {
  TDoc doc;
  TRVTableItemInfo* t = doc.AddTable(5, 2);
  ASSERT_TRUE(t->Rows().MergeCells(0, 0, 1, 2, true, false));  // rows 0-1
  ASSERT_TRUE(t->Rows().MergeCells(1, 1, 1, 2, true, false));  // rows 1-2, chained to the first
  EXPECT_EQ(t->GetBlockEnd(0), 2);
  EXPECT_EQ(t->GetBlockEnd(1), 2);
  EXPECT_EQ(t->GetBlockEnd(3), 3);
  EXPECT_EQ(t->GetBlockStart(2), 0);
  EXPECT_EQ(t->GetBlockStart(1), 0);
  EXPECT_EQ(t->GetBlockStart(3), 3);
  // A cell covering a row from above ties it too, even when the walk starts below the cell.
  ASSERT_TRUE(t->Rows().MergeCells(3, 0, 2, 2, true, false));  // rows 3-4, both columns
  EXPECT_EQ(t->GetBlockEnd(4), 4);
  EXPECT_EQ(t->GetBlockStart(4), 3);
}

TEST(TableRowBlocksTest, HeadingsRepeatOnlyWhenNothingReachesBelowThem) {
  TDoc doc;
  TRVTableItemInfo* t = doc.AddTable(4, 2);
  EXPECT_FALSE(t->CanUseHeadings());
  t->HeadingRowCount = 2;
  EXPECT_TRUE(t->CanUseHeadings());
  t->HeadingRowCount = 10;  // cut to the rows there are
  EXPECT_TRUE(t->CanUseHeadings());
  // The second heading row holds a cell reaching into the third row.
  ASSERT_TRUE(t->Rows().MergeCells(1, 1, 1, 2, true, false));
  t->HeadingRowCount = 2;
  EXPECT_FALSE(t->CanUseHeadings());
  // One heading row spanned by a cell into the next: no headings either.
  t->HeadingRowCount = 1;
  EXPECT_TRUE(t->CanUseHeadings());
  ASSERT_TRUE(t->Rows().MergeCells(0, 0, 1, 2, true, false));
  EXPECT_FALSE(t->CanUseHeadings());
}

/// A printable cell of a fixed content height that records where the layout puts it.
class TFakePrintable : public TRVTablePrintableCell {
 public:
  explicit TFakePrintable(int32_t height) : height_(height) {}
  int32_t FormatForWidth(int32_t Width) override {
    formattedWidth = Width;
    return height_;
  }
  void Place(int32_t Left, int32_t Top, int32_t Width, int32_t Height) override {
    placed = {Left, Top, Width, Height};
  }
  int32_t GetContentHeight() const override { return height_; }
  int32_t GetPlacedHeight() const override { return placed.empty() ? 0 : placed[3]; }
  void Print(TCanvas&, int32_t, int32_t, bool, bool) override {}
  int32_t formattedWidth = -1;
  std::vector<int32_t> placed;

 private:
  int32_t height_;
};

TEST(TablePrintLayoutTest, PrintableCellsAreMeasuredAndPlacedAtTheDeviceResolution) {
  TDoc doc;
  TRVTableItemInfo* t = doc.AddTable(2, 2);
  ASSERT_TRUE(t->Rows().MergeCells(0, 1, 1, 2, true, false));  // right column, both rows
  t->GetCell(1, 0)->BestHeight = 30;
  TRVFormatScale twice{96, 96, 192, 192, 0, 0};
  t->DeviceScale = &twice;
  TRVTableItemFormattingInfo info;
  auto* a = new TFakePrintable(50);   // (0,0)
  auto* b = new TFakePrintable(300);  // (0,1), two rows high
  info.Cells.emplace_back(a);
  info.Cells.emplace_back(b);
  info.Cells.emplace_back(nullptr);  // (1,0): an empty cell prints nothing
  info.Cells.emplace_back(nullptr);  // covered slot
  t->BestWidth = 200;
  t->Format(0, info, true);
  EXPECT_EQ(info.Width, 400);
  // Row 0 holds the 50 high content; row 1 its best height, doubled. The merged cell needs
  // 300 + 2 x 2 padding; its rows offer their heights and 2 x (4 padding + 4 spacing) - 4.
  EXPECT_EQ(info.RowHeights[0] + info.RowHeights[1], 300 + 4 - 12);
  EXPECT_GE(info.RowHeights[1], 60);
  // Printable documents stand inside the padding, as wide as their columns.
  EXPECT_EQ(a->formattedWidth, info.ColWidths[0]);
  EXPECT_EQ(a->placed, (std::vector<int32_t>{info.ColStarts[0] + 2, info.RowStarts[0] + 2, info.ColWidths[0],
                                             info.RowHeights[0]}));
  EXPECT_EQ(b->placed[1], info.RowStarts[0] + 2);
  EXPECT_EQ(b->placed[3], 300);
  // The cells on the screen keep their own layout.
  EXPECT_EQ(t->GetCell(0, 0)->Width, 0);
  t->DeviceScale = nullptr;
}

// ---- cutting a table into parts of rows ------------------------------------------------

class TableSplitTest : public ::testing::Test {
 protected:
  /// Five rows, 40 pixels of content each; two columns.
  void SetUp() override {
    table = doc.AddTable(5, 2);
    for (int r = 0; r < 5; ++r)
      for (int c = 0; c < 2; ++c) table->GetCell(r, c)->BestHeight = 40;
  }
  /// Lays out the table into a new print piece (at the screen's resolution).
  void Lay() {
    piece = std::make_unique<TRVTablePrintInfo>(table);
    table->Format(600, piece->FormattingInfo, true);
  }
  /// (FirstRow, RowCount, Height) of every part.
  std::vector<std::array<int32_t, 3>> Parts() const {
    std::vector<std::array<int32_t, 3>> parts;
    for (int i = 0; i < piece->PartsList().Count(); ++i) {
      const auto* part = static_cast<const TRVTablePrintPart*>(piece->PartsList()[i]);
      parts.push_back({part->FirstRow, part->RowCount, part->Height});
    }
    return parts;
  }
  /// Splits the last part at Height until it fits or cannot be split.
  void SplitAll(int32_t height) {
    while (piece->PartsList().Last()->Height > height && piece->SplitAt(height)) {
    }
  }

  TDoc doc;
  TRVTableItemInfo* table = nullptr;
  std::unique_ptr<TRVTablePrintInfo> piece;
};

TEST_F(TableSplitTest, RowsGoOntoPagesWhole) {
  Lay();
  // Rows start at 2, 46, 90, 134 and 178; the table is 222 high, 6 of it outside the rows.
  ASSERT_EQ(piece->FormattingInfo.Height, 222);
  EXPECT_THROW(piece->SplitAt(100), ERVError);  // no part yet
  ASSERT_TRUE(piece->InitSplit());
  EXPECT_EQ(Parts(), (std::vector<std::array<int32_t, 3>>{{0, 5, 222}}));
  SplitAll(100);
  EXPECT_EQ(Parts(), (std::vector<std::array<int32_t, 3>>{{0, 2, 90}, {2, 2, 90}, {4, 1, 46}}));
  // A part of one row is not split any further.
  EXPECT_FALSE(piece->SplitAt(10));
  // The first row fits when its bottom and the outside stay below the height.
  EXPECT_TRUE(piece->CanSplitAt(47));
  EXPECT_FALSE(piece->CanSplitAt(46));
  // Without row splitting the table is never cut.
  table->PrintOptions &= ~rvtoRowsSplit;
  EXPECT_FALSE(piece->InitSplit());
}

TEST_F(TableSplitTest, RowsTiedByAMergedCellStayOnOnePage) {
  ASSERT_TRUE(table->Rows().MergeCells(1, 0, 1, 2, true, false));  // rows 1-2 of the first column
  Lay();
  ASSERT_TRUE(piece->InitSplit());
  SplitAll(100);
  EXPECT_EQ(Parts(), (std::vector<std::array<int32_t, 3>>{{0, 1, 46}, {1, 2, 90}, {3, 2, 90}}));
  // Chained to a merged cell at the top, the first block is rows 0..2: row 1, holding no
  // cell of its own, is 10 high, so the block ends at 100 and 6 lie outside the rows.
  EXPECT_TRUE(table->Rows().MergeCells(0, 1, 1, 2, true, false));  // rows 0-1 of the second column
  Lay();
  EXPECT_FALSE(piece->CanSplitAt(104));
  EXPECT_TRUE(piece->CanSplitAt(105));
}

TEST_F(TableSplitTest, HeadingRowsRepeatAboveEveryPart) {
  table->HeadingRowCount = 1;
  Lay();
  ASSERT_TRUE(piece->UseHeadings);
  ASSERT_TRUE(piece->InitSplit());
  EXPECT_EQ(Parts(), (std::vector<std::array<int32_t, 3>>{{1, 4, 222}}));
  SplitAll(150);
  // Each part: the heading row's 44, its own rows, and the 6 outside.
  EXPECT_EQ(Parts(), (std::vector<std::array<int32_t, 3>>{{1, 2, 134}, {3, 2, 134}}));
  // A heading row tied to the next by a merged cell is not repeated.
  ASSERT_TRUE(table->Rows().MergeCells(0, 0, 1, 2, true, false));
  Lay();
  EXPECT_FALSE(piece->UseHeadings);
}

// ---- printed pages ----------------------------------------------------------------------

class TablePagesTest : public ::testing::Test {
 protected:
  void SetUp() override {
    auto made = TRVTableItemInfo::CreateWithSize(rows, 2, &doc.Data());
    table = made.get();
    table->BorderWidth = 1;
    table->BorderStyle = rvtbColor;
    table->BorderColor = clRed;
    table->Color = clNone;
    table->GetCell(0, 0)->Color = clLime;
    for (int r = 0; r < rows; ++r) {
      TRVTableCellData* cell = table->GetCell(r, 1);
      cell->Clear();
      cell->AddTextItem("Row " + std::to_string(r), 0, 0);
      cell->BestHeight = 60;
    }
    doc.Item(std::move(made));
    doc.viewer.Format();
  }
  /// Prints the pages on white bitmaps; answers the page count.
  int Print(int32_t width, int32_t height) {
    TRVPageDriver driver(doc.viewer);
    TBitmap canvasBitmap;
    Blank(canvasBitmap, width, height);
    const int count = driver.FormatPages(canvasBitmap.Canvas(), width, height);
    pages.clear();
    for (int p = 1; p <= count; ++p) {
      pages.push_back(std::make_unique<TBitmap>());
      Blank(*pages.back(), width, height);
      driver.DrawPage(p, pages.back()->Canvas());
    }
    return count;
  }
  int Count(TBitmap& page, TColor color) {
    int n = 0;
    for (int32_t y = 0; y < page.Height(); ++y)
      for (int32_t x = 0; x < page.Width(); ++x) n += page.Canvas().Pixel(x, y) == color;
    return n;
  }
  static constexpr int rows = 12;
  printtest::TPrintDocument doc;
  TRVTableItemInfo* table = nullptr;
  std::vector<std::unique_ptr<TBitmap>> pages;
};

TEST_F(TablePagesTest, ATallTableIsPrintedOverSeveralPagesWithItsHeadings) {
  // 12 rows of about 64 pixels on pages with about 450 pixels of room.
  ASSERT_GE(Print(500, 600), 2);
  for (const auto& page : pages) {
    EXPECT_GT(Count(*page, clRed), 100) << "every page shows a part of the table with its frame";
  }
  const int limeOnFirst = Count(*pages[0], clLime);
  EXPECT_GT(limeOnFirst, 100);
  EXPECT_EQ(Count(*pages[1], clLime), 0);
  // With a heading row, the coloured first row heads every page.
  table->HeadingRowCount = 1;
  doc.viewer.Format();
  ASSERT_GE(Print(500, 600), 2);
  for (const auto& page : pages) EXPECT_EQ(Count(*page, clLime), limeOnFirst);
  // Cell text is printed: dark pixels inside the frame.
  int dark = 0;
  for (int32_t y = 0; y < pages[0]->Height(); ++y)
    for (int32_t x = 0; x < pages[0]->Width(); ++x) dark += (pages[0]->Canvas().Pixel(x, y) & 0xFF) < 80;
  EXPECT_GT(dark, 50);
}

TEST_F(TablePagesTest, WithoutRowSplittingTheTableIsNotCut) {
  table->PrintOptions &= ~rvtoRowsSplit;
  Print(500, 600);
  EXPECT_GT(Count(*pages[0], clLime), 100);
  for (size_t p = 1; p < pages.size(); ++p) EXPECT_EQ(Count(*pages[p], clRed), 0);
}

TEST(TablePdfTest, APrintedTableReadsBackRowByRowOverItsPages) {
  if (!printtest::HavePoppler()) GTEST_SKIP() << "poppler-utils (pdftoppm, pdftotext) is not installed";
  printtest::TPrintDocument doc;
  constexpr int kRows = 30;
  auto made = TRVTableItemInfo::CreateWithSize(kRows, 2, &doc.Data());
  made->HeadingRowCount = 1;
  for (int r = 0; r < kRows; ++r)
    for (int c = 0; c < 2; ++c) {
      TRVTableCellData* cell = made->GetCell(r, c);
      cell->Clear();
      cell->AddTextItem(
          r == 0 ? (c == 0 ? "Name" : "Value") : "cell" + std::to_string(r) + "x" + std::to_string(c), 0, 0);
      cell->BestHeight = 60;
    }
  doc.Item(std::move(made));
  doc.viewer.Format();
  printtest::TTempFolder folder;
  const std::string pdf = folder.File("table.pdf");
  TRVPageDriver driver(doc.viewer);
  const int pages = driver.PrintToPDF(pdf, 300);
  ASSERT_GE(pages, 2);
  const auto text = printtest::RunCommand("pdftotext -layout '" + pdf + "' - 2>/dev/null");
  ASSERT_TRUE(text.has_value());
  // Every row once, in order; the heading row on every page.
  size_t at = 0;
  for (int r = 1; r < kRows; ++r) {
    const size_t found = text->find("cell" + std::to_string(r) + "x1", at);
    ASSERT_NE(found, std::string::npos) << r << "\n" << *text;
    at = found;
  }
  size_t headings = 0;
  for (size_t pos = text->find("Name"); pos != std::string::npos; pos = text->find("Name", pos + 1))
    ++headings;
  EXPECT_EQ(headings, static_cast<size_t>(pages));
}

TEST(TablePrintPieceTest, EmptySingleCellsGetNoPrintableDocument) {
  printtest::TPrintDocument doc;
  auto made = TRVTableItemInfo::CreateWithSize(2, 2, &doc.Data());
  TRVTableItemInfo* table = made.get();
  TRVTableCellData* filled = table->GetCell(1, 1);
  filled->Clear();
  filled->AddTextItem("text", 0, 0);
  doc.Item(std::move(made));
  TCustomMainPtblRVData main(&doc.viewer);
  auto piece = table->CreateDrawItem(&main, nullptr);
  auto* print = dynamic_cast<TRVTablePrintInfo*>(piece.get());
  ASSERT_NE(print, nullptr);
  ASSERT_EQ(print->FormattingInfo.Cells.size(), 4u);
  EXPECT_EQ(print->FormattingInfo.Cells[0], nullptr);
  EXPECT_EQ(print->FormattingInfo.Cells[2], nullptr);
  auto* cell = dynamic_cast<TCellPtblRVData*>(print->FormattingInfo.Cells[3].get());
  ASSERT_NE(cell, nullptr);
  EXPECT_EQ(cell->Cell(), filled);
  EXPECT_EQ(cell->GetRVStyle(), &doc.style);
}

TEST(TablePdfTest, LongWordsBreakInsideTheirColumnsWithIndentsAndLists) {
  if (!printtest::HavePoppler()) GTEST_SKIP() << "poppler-utils (pdftoppm, pdftotext) is not installed";
  printtest::TPrintDocument doc;
  doc.style.ParaStyles().AddStyle()->LeftIndent = 30;
  doc.style.ListStyles().AddStyle()->Levels().AddLevel()->LeftIndent = 40;
  const std::string letters = "MWH";  // each printed piece tells its column by its letter
  auto made = TRVTableItemInfo::CreateWithSize(1, 3, &doc.Data());
  made->BestWidth = 60;
  const int paras[] = {0, doc.style.ParaStyles().Count() - 1, -1};
  for (int c = 0; c < 3; ++c) {
    TRVTableCellData* cell = made->GetCell(0, c);
    if (paras[c] < 0) cell->AddItem("", TRVMarkerItemInfo::CreateForList(cell, 0, 0, 1, false));
    cell->AddTextItem(std::string(16, letters[static_cast<size_t>(c)]), 0, paras[c]);
  }
  doc.Item(std::move(made));
  doc.viewer.Format();
  printtest::TTempFolder folder;
  ASSERT_EQ(TRVPageDriver(doc.viewer).PrintToPDF(folder.File("words.pdf"), 300), 1);
  const auto pages = printtest::ReadWords(folder.File("words.pdf"), 300);
  ASSERT_EQ(pages.size(), 1u);
  auto column = [&](const printtest::TWord& w) { return static_cast<int>(letters.find(w.Text[0])); };
  int pieces[4] = {};  // by column + 1: 0 for the words of none
  for (const printtest::TWord& a : pages[0]) {
    ++pieces[column(a) + 1];
    for (const printtest::TWord& b : pages[0])
      EXPECT_TRUE(column(a) < 0 || column(b) <= column(a) || a.Right < b.Left) << a.Text << " " << b.Text;
  }
  EXPECT_GT(*std::min_element(pieces + 1, pieces + 4), 1) << "a word widened its column";
}

}  // namespace
