// Hyperlinks inside table cells: laying a document out (fully, its tail, or a range again)
// numbers and places them exactly as building the hyperlink list from the pieces does, so a
// plain viewer, which never builds that list itself, hovers and clicks them.
#include <gtest/gtest.h>

#include <memory>
#include <random>
#include <string>
#include <tuple>
#include <vector>

#include "FormattedDataSupport.h"
#include "platform/core/Streams.h"
#include "richtext/core/RVStyle.h"
#include "richtext/table/RVTable.h"
#include "richtext/table/RVTableCell.h"
#include "richtext/viewer/ViewerTestSupport.h"

namespace {

using viewertest::TFixedPitchData;

using TArea = std::tuple<const TCustomRVData*, int32_t, int, int32_t, int32_t, int32_t, int32_t>;

/// Every area of List, the hyperlink numbers of all items (the document's and its cells'),
/// and the document's hyperlink count.
struct TJumpPicture {
  std::vector<TArea> areas;
  std::vector<int32_t> itemNumbers;
  int32_t count = 0;
  bool operator==(const TJumpPicture&) const = default;
};

void CollectItemNumbers(TCustomRVData& Data, std::vector<int32_t>& Numbers) {
  for (int i = 0; i < Data.GetItemCount(); ++i) {
    TCustomRVItemInfo* item = Data.GetItem(i);
    Numbers.push_back(item->JumpID);
    std::unique_ptr<TRVStoreSubRVData> state;
    for (TCustomRVData* sub = item->GetSubDocument(state, 0); sub != nullptr;
         sub = item->GetSubDocument(state, 4))
      CollectItemNumbers(*sub, Numbers);
  }
}

TJumpPicture PictureOf(TCustomRVFormattedData& Data, TRVList<TRVJumpInfo>& List) {
  TJumpPicture picture;
  for (int i = 0; i < List.Count(); ++i) {
    const TRVJumpInfo& j = *List[i];
    picture.areas.emplace_back(j.RVData, j.Id, j.DrawItemNo, j.Left, j.Top, j.Width, j.Height);
  }
  CollectItemNumbers(Data, picture.itemNumbers);
  picture.count = Data.JumpCount;
  return picture;
}

/// What formatting left, then what building the list afresh from the pieces gives.
std::pair<TJumpPicture, TJumpPicture> FormattedAndBuilt(TCustomRVFormattedData& Data) {
  TJumpPicture formatted = PictureOf(Data, Data.Jumps());
  TRVList<TRVJumpInfo> list;
  int start = 0;
  Data.BuildJumpList(start, &list);
  TJumpPicture built = PictureOf(Data, list);
  EXPECT_EQ(start, built.count);
  return {formatted, built};
}

/// A one-row table of two cells, each holding a hyperlink and plain text after it.
std::unique_ptr<TRVTableItemInfo> LinkTable(TCustomRVData* Owner, const std::string& Tag) {
  RVRegisterTableItemClass();
  auto table = TRVTableItemInfo::CreateWithSize(1, 2, Owner);
  for (int c = 0; c < 2; ++c) {
    TRVTableCellData* cell = table->GetCell(0, c);
    cell->Clear();
    cell->AddTextItem(Tag + std::to_string(c), 1, 0);
    cell->AddTextItem(" plain", 0, -1);
  }
  return table;
}

class TableHyperlinkTest : public ::testing::Test {
 protected:
  void SetUp() override {
    style.TextStyles().Items(1)->Jump = true;
    data.SetRVStyle(&style);
    data.width = 300;
    data.height = 200;
  }
  void ExpectSameAsBuilt(const std::string& What) {
    const auto [formatted, built] = FormattedAndBuilt(data);
    EXPECT_EQ(formatted, built) << What;
  }

  TRVStyle style;
  TFixedPitchData data;
};

TEST_F(TableHyperlinkTest, FullFormatNumbersCellHyperlinksInDocumentOrder) {
  data.AddTextItem("before", 1, 0);
  data.AddItem("", LinkTable(&data, "t"));
  data.AddTextItem("after", 1, 0);
  data.Format(true);
  ExpectSameAsBuilt("full format");
  EXPECT_EQ(data.JumpCount, 4);
  EXPECT_EQ(data.GetItem(2)->JumpID, 3) << "the hyperlink after the table follows its cells";
}

TEST_F(TableHyperlinkTest, TailFormatAfterATableContinuesItsNumbers) {
  data.AddTextItem("before", 1, 0);
  data.AddItem("", LinkTable(&data, "t"));
  data.Format(false);
  data.AddTextItem("after", 1, 0);
  data.AddItem("", LinkTable(&data, "u"));
  data.FormatLines(false, true, false, 0, nullptr, true, false);
  ExpectSameAsBuilt("tail format");
  EXPECT_EQ(data.JumpCount, 6);
}

TEST_F(TableHyperlinkTest, ReformattedRangesKeepCellHyperlinksInStep) {
  data.AddTextItem("first", 1, 0);
  data.AddItem("", LinkTable(&data, "t"));
  data.AddTextItem("last", 1, 0);
  data.Format(true);
  // A hyperlink paragraph inserted before the table: the cells after it move one number on.
  auto inserted = std::make_unique<TRVTextItemInfo>(&data);
  inserted->StyleNo = 1;
  inserted->ParaNo = 0;
  data.GetItems().Insert(1, "new", std::move(inserted));
  data.FormatParas(0, 0, 1);
  ExpectSameAsBuilt("paragraph inserted before the table");
  EXPECT_EQ(data.JumpCount, 5);
  // The table itself laid out again: its areas are replaced, not doubled.
  const int tablePiece = data.GetFirstDrawItemOfItem(2);
  data.FormatParas(tablePiece, tablePiece, 0);
  ExpectSameAsBuilt("table laid out again");
  EXPECT_EQ(data.Jumps().Count(), 5);
  // The inserted hyperlink removed again: the cells move one number back.
  const int endPiece = data.GetFirstDrawItemOfItem(1);
  data.DeleteItems(1, 1);
  data.FormatParas(0, endPiece, -1);
  ExpectSameAsBuilt("paragraph deleted before the table");
  EXPECT_EQ(data.JumpCount, 4);
  // The table deleted: the areas of its cells go with it, never read again.
  const int tableEnd = data.GetFirstDrawItemOfItem(1);
  data.DeleteItems(1, 1);
  data.FormatParas(0, tableEnd, -1);
  ExpectSameAsBuilt("table deleted");
  EXPECT_EQ(data.JumpCount, 2);
  EXPECT_EQ(data.Jumps().Count(), 2);
}

TEST_F(TableHyperlinkTest, RandomEditsAroundTablesNumberAsAFreshList) {
  for (uint32_t seed = 1; seed <= 60; ++seed) {
    std::mt19937 rng(seed);
    data.Clear();
    // One paragraph at ItemNo: a table, a hyperlink or plain text.
    auto insert = [&](int itemNo) {
      const int kind = static_cast<int>(rng() % 3);
      if (kind == 0) {
        data.GetItems().Insert(itemNo, "", LinkTable(&data, "t"));
        return;
      }
      auto text = std::make_unique<TRVTextItemInfo>(&data);
      text->StyleNo = kind == 1 ? 1 : 0;
      text->ParaNo = 0;
      data.GetItems().Insert(itemNo, std::string(1 + rng() % 12, 'a'), std::move(text));
    };
    for (int i = 0; i < 5; ++i) insert(data.GetItemCount());
    data.Format(true);
    for (int edit = 0; edit < 6; ++edit) {
      const int itemNo = static_cast<int>(rng() % data.GetItemCount());
      const int first = data.GetFirstDrawItemOfItem(itemNo);
      int last = first;
      while (last + 1 < data.DrawItems().Count() && data.DrawItems()[last + 1]->ItemNo == itemNo) ++last;
      if (rng() % 2 == 0 || data.GetItemCount() < 3) {
        insert(itemNo + 1);
        data.FormatParas(first, last, 1);
      } else if (itemNo > 0) {
        // Deleting a paragraph lays out the one before it again.
        data.DeleteItems(itemNo, 1);
        data.FormatParas(data.GetFirstDrawItemOfItem(itemNo - 1), last, -1);
      } else {
        continue;
      }
      const auto [formatted, built] = FormattedAndBuilt(data);
      ASSERT_EQ(formatted, built) << "seed " << seed << " edit " << edit;
      data.Format(true);
      ASSERT_EQ(formatted, PictureOf(data, data.Jumps())) << "seed " << seed << " edit " << edit;
    }
  }
}

TEST(ViewerTableHyperlinkTest, CellHyperlinkOfALoadedDocumentHoversAndClicks) {
  viewertest::App();
  TRVStyle sheet;
  sheet.TextStyles().Items(1)->Jump = true;
  TMemoryStream rvf;
  {
    TRVViewer source;
    source.SetStyle(&sheet);
    source.AddTextLineWithTag(u"start", 1, 0, 0);
    source.AddItem("", LinkTable(&source.RVData(), "cell"));
    ASSERT_TRUE(source.SaveRVFToStream(rvf, false));
  }
  rvf.SetPosition(0);
  std::vector<int32_t> moves, jumps;  // the viewer tells about leaving the hyperlink as it goes
  TRVViewer viewer;
  viewer.SetStyle(&sheet);
  viewer.SetBounds(0, 0, 400, 300);
  viewer.SetFirstJumpNo(10);
  ASSERT_TRUE(viewer.LoadRVFFromStream(rvf));
  viewer.Format();
  viewer.OnRVMouseMove = [&](TCustomRVViewer*, int32_t id) { moves.push_back(id); };
  viewer.OnJump = [&](TCustomRVViewer*, int32_t id) { jumps.push_back(id); };

  TRVViewerRVData& data = viewer.RVData();
  {
    const auto [formatted, built] = FormattedAndBuilt(data);
    EXPECT_EQ(formatted, built);
  }
  // The second cell's hyperlink is the third of the document.
  const TRVJumpInfo* area = nullptr;
  for (int i = 0; i < data.Jumps().Count(); ++i)
    if (data.Jumps()[i]->Id == 2) area = data.Jumps()[i];
  ASSERT_NE(area, nullptr);
  EXPECT_NE(area->RVData, &data) << "the area belongs to the cell";
  const int32_t x = area->Left - data.GetHOffs() + area->Width / 2;
  const int32_t y = area->Top - data.GetVOffs() + area->Height / 2;
  data.MouseMove(TShiftState(), x, y);
  EXPECT_EQ(moves, std::vector<int32_t>{12});
  data.MouseDown(mbLeft, TShiftState(), x, y);
  data.MouseUp(mbLeft, TShiftState(), x, y);
  EXPECT_EQ(jumps, std::vector<int32_t>{12});
  // The word under the same point is found in the cell's own document.
  std::string word;
  TCustomRVFormattedData* holder = nullptr;
  int itemNo = -1, offs = 0, styleNo = -1;
  ASSERT_TRUE(data.GetWordAt(x, y, word, holder, itemNo, offs, styleNo));
  EXPECT_EQ(word, "cell1");
  EXPECT_EQ(holder, area->RVData);
  EXPECT_EQ(itemNo, 0);
  EXPECT_EQ(styleNo, 1);
}

}  // namespace
