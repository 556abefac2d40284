// Drawn pieces: partial replacement of a run of pieces through the pending deleted range,
// and the text a piece shows.
#include <gtest/gtest.h>

#include "richtext/core/CRVData.h"
#include "richtext/core/DLines.h"
#include "richtext/core/RVUni.h"

namespace {

/// A list of `n` pieces whose ItemNo is their original position.
void Fill(TRVDrawLines& lines, int n) {
  for (int i = 0; i < n; ++i) lines.Add(TRVDrawLineInfo::CreateAt(0, i * 10, 5, 10, i, true));
}

std::vector<int> ItemNos(const TRVDrawLines& lines) {
  std::vector<int> out;
  for (int i = 0; i < lines.Count(); ++i) out.push_back(lines.GetItem(i) ? lines.GetItem(i)->ItemNo : -1);
  return out;
}

std::unique_ptr<TRVDrawLineInfo> Piece(int itemNo) {
  return TRVDrawLineInfo::CreateAt(1, 2, 3, 4, itemNo, false);
}

TEST(DrawLinesTest, CreateAtStoresPositionAndSize) {
  auto p = TRVDrawLineInfo::CreateAt(7, 8, 9, 10, 11, true);
  EXPECT_EQ(p->Left, 7);
  EXPECT_EQ(p->Top, 8);
  EXPECT_EQ(p->Width, 9);
  EXPECT_EQ(p->Height, 10);
  EXPECT_EQ(p->ItemNo, 11);
  EXPECT_TRUE(p->FromNewLine);
  EXPECT_FALSE(p->InitSplit());
  EXPECT_FALSE(p->CanSplitAt(5));
}

TEST(DrawLinesTest, RefillingTheWholeMarkedRunKeepsTheCountAndLeavesNoRange) {
  TRVDrawLines lines;
  Fill(lines, 8);
  lines.MarkDeleted(3, 5);
  EXPECT_EQ(lines.DeletedFirst(), 3);
  EXPECT_EQ(lines.DeletedCount(), 3);
  EXPECT_EQ(lines.GetItem(4), nullptr);
  for (int i = 3; i <= 5; ++i) lines.InsertReusing(i, Piece(100 + i));
  EXPECT_EQ(lines.DeletedCount(), 0);
  lines.PackDeleted();
  EXPECT_EQ(ItemNos(lines), (std::vector<int>{0, 1, 2, 103, 104, 105, 6, 7}));
}

TEST(DrawLinesTest, PackingAPartlyRefilledRunClosesTheGap) {
  TRVDrawLines lines;
  Fill(lines, 8);
  lines.MarkDeleted(3, 5);
  lines.InsertReusing(3, Piece(42));
  lines.PackDeleted();
  EXPECT_EQ(ItemNos(lines), (std::vector<int>{0, 1, 2, 42, 6, 7}));
  EXPECT_EQ(lines.DeletedCount(), 0);
}

TEST(DrawLinesTest, InsertingBeyondTheRangeInsertsNormally) {
  TRVDrawLines lines;
  Fill(lines, 4);
  lines.MarkDeleted(1, 1);
  lines.InsertReusing(1, Piece(50));
  lines.InsertReusing(2, Piece(51));  // the range is used up: a real insertion
  lines.PackDeleted();
  EXPECT_EQ(ItemNos(lines), (std::vector<int>{0, 50, 51, 2, 3}));
}

TEST(DrawLinesTest, DeleteReusingWidensTheRangeTowardTheFront) {
  TRVDrawLines lines;
  Fill(lines, 8);
  lines.MarkDeleted(4, 5);
  lines.DeleteReusing(3);
  EXPECT_EQ(lines.DeletedFirst(), 3);
  EXPECT_EQ(lines.DeletedCount(), 3);
  lines.InsertReusing(3, Piece(30));
  lines.PackDeleted();
  EXPECT_EQ(ItemNos(lines), (std::vector<int>{0, 1, 2, 30, 6, 7}));
}

TEST(DrawLinesTest, ReuseOutsideTheRangeIsRefused) {
  TRVDrawLines lines;
  Fill(lines, 8);
  lines.MarkDeleted(3, 5);
  EXPECT_THROW(lines.InsertReusing(4, Piece(1)), EListError);
  EXPECT_THROW(lines.DeleteReusing(6), EListError);
}

TEST(DrawLinesTest, WithoutARangeReuseOperationsInsertAndDelete) {
  TRVDrawLines lines;
  Fill(lines, 3);
  lines.InsertReusing(1, Piece(9));
  lines.DeleteReusing(0);
  EXPECT_EQ(ItemNos(lines), (std::vector<int>{9, 1, 2}));
  lines.PackDeleted();
  EXPECT_EQ(lines.Count(), 3);
}

TEST(DrawLinesTest, DeleteRangeHandsThePiecesBackInOneMove) {
  TRVDrawLines lines;
  Fill(lines, 6);
  TRVDrawLineInfo* kept = lines.GetItem(2);
  auto removed = lines.DeleteRange(1, 3);
  ASSERT_EQ(removed.size(), 3u);
  EXPECT_EQ(removed[1].get(), kept);
  EXPECT_EQ(ItemNos(lines), (std::vector<int>{0, 4, 5}));
}

TEST(DrawLinesTest, OutOfRangeIndexesRaise) {
  TRVDrawLines lines;
  Fill(lines, 2);
  EXPECT_THROW(lines.GetItem(2), EListError);
  EXPECT_THROW(lines.MarkDeleted(1, 2), EListError);
}

class DrawItemTextTest : public ::testing::Test {
 protected:
  void SetUp() override {
    data.AddTextItem("Hello world", 0, 0);
    data.AddItem(RVWideStringToBytes(u"\u0416\u0417abc"), MakeWide());
  }
  std::unique_ptr<TCustomRVItemInfo> MakeWide() {
    auto item = RVCreateItemByStyleNo(0, &data);
    item->ItemOptions |= rvioTwoByteText;
    return item;
  }
  void AddPiece(int itemNo, int offs, int length) {
    auto p = TRVDrawLineInfo::CreateAt(0, 0, 10, 10, itemNo, true);
    p->Offs = offs;
    p->Length = length;
    lines.Add(std::move(p));
  }
  TCustomRVData data;
  TRVDrawLines lines;
};

TEST_F(DrawItemTextTest, PieceTextIsTheShownCharacters) {
  AddPiece(0, 7, 5);
  EXPECT_EQ(lines.GetDrawItemText(0, data.GetItems()), "world");
}

TEST_F(DrawItemTextTest, PartIsCutAtThePiecesEnd) {
  AddPiece(0, 7, 5);
  EXPECT_EQ(lines.GetDrawItemTextPart(0, data.GetItems(), 3, 10), "rld");
  EXPECT_EQ(lines.GetDrawItemTextPart(0, data.GetItems(), 1, 2), "wo");
  EXPECT_EQ(lines.GetDrawItemTextPart(0, data.GetItems(), 6, 2), "");
}

TEST_F(DrawItemTextTest, TwoByteTextCountsCharacters) {
  AddPiece(1, 2, 3);
  EXPECT_EQ(lines.GetDrawItemText(0, data.GetItems()), RVWideStringToBytes(u"\u0417ab"));
  EXPECT_EQ(lines.GetDrawItemTextPart(0, data.GetItems(), 2, 1), RVWideStringToBytes(u"a"));
}

}  // namespace
