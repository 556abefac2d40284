// Formatting only what was appended, and keeping the selection and the view across a
// reformat after a resize.
#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "FormattedDataSupport.h"
#include "richtext/core/RVStyle.h"

namespace {

using viewertest::TFixedPitchData;

using viewertest::JumpSnapshot;
using viewertest::PieceSnapshot;

class TailFormatTest : public ::testing::Test {
 protected:
  void SetUp() override {
    data.SetRVStyle(&style);
    data.width = 130;
    data.height = 60;
    style.TextStyles().Items(1)->Jump = true;
    TParaInfos& paras = style.ParaStyles();
    paras.Items(1)->Alignment = rvaJustify;
    paras.AddStyle()->SpaceBefore = 4;
    paras.Items(2)->SpaceAfter = 6;
    paras.AddStyle()->LineSpacing = 150;
  }
  void FormatTail() { data.FormatLines(false, true, false, 0, nullptr, true, false); }
  // Appends one to three text items; the first continues the last paragraph now and then.
  void Append(std::mt19937& rng) {
    const int count = 1 + static_cast<int>(rng() % 3);
    for (int i = 0; i < count; ++i) {
      std::string text;
      for (int w = static_cast<int>(rng() % 5); w >= 0; --w)
        text += std::string(1 + rng() % 7, static_cast<char>('a' + rng() % 26)) + " ";
      const bool continues = data.GetItemCount() > 0 && (i > 0 || rng() % 3 == 0);
      const int para = continues ? -1 : static_cast<int>(rng() % style.ParaStyles().Count());
      data.AddTextItem(text, static_cast<int>(rng() % 2), para);
    }
  }

  TRVStyle style;
  TFixedPitchData data;
};

TEST_F(TailFormatTest, AppendedItemsLayOutAsAFullFormatWould) {
  for (uint32_t seed = 1; seed <= 200; ++seed) {
    std::mt19937 rng(seed);
    data.Clear();
    Append(rng);
    data.Format(false);
    for (int round = 0; round < 5; ++round) {
      Append(rng);
      FormatTail();
      const auto tail = PieceSnapshot(data);
      const auto tailJumps = JumpSnapshot(data, 1);
      const int32_t tailHeight = data.DocumentHeight;
      const int32_t tailJumpCount = data.JumpCount;
      ASSERT_EQ(data.LastFormattedItemNo, data.GetItemCount() - 1);
      data.Format(false);
      ASSERT_EQ(tail, PieceSnapshot(data)) << "seed " << seed << " round " << round;
      ASSERT_EQ(tailJumps, JumpSnapshot(data, 1)) << "seed " << seed << " round " << round;
      ASSERT_EQ(tailHeight, data.DocumentHeight) << "seed " << seed;
      ASSERT_EQ(tailJumpCount, data.JumpCount) << "seed " << seed;
    }
  }
}

TEST_F(TailFormatTest, OnlyTheNewParagraphsAreMeasured) {
  for (int i = 0; i < 50; ++i) data.AddTextItem("some words to lay out", 0, 0);
  data.Format(false);
  const int full = data.measures;
  data.AddTextItem("one more", 0, 0);
  data.measures = 0;
  FormatTail();
  EXPECT_LT(data.measures * 10, full);
  EXPECT_EQ(data.DrawItems()[data.DrawItems().Count() - 1]->ItemNo, 50);
}

TEST_F(TailFormatTest, ATailFormatScrollsToTheEndOrStaysWhereItWas) {
  for (int i = 0; i < 10; ++i) data.AddTextItem("line", 0, 0);
  data.Format(false);
  data.vOffs = 20;
  data.AddTextItem("appended", 0, 0);
  data.scrolls.clear();
  FormatTail();
  ASSERT_FALSE(data.scrolls.empty());
  EXPECT_EQ(data.scrolls.back(), "v" + std::to_string(data.DocumentHeight - data.height));

  data.SetOptions(data.GetOptions() & ~rvoScrollToEnd);
  data.AddTextItem("appended", 0, 0);
  data.scrolls.clear();
  FormatTail();
  ASSERT_FALSE(data.scrolls.empty());
  EXPECT_EQ(data.scrolls.back(), "v20");
}

TEST_F(TailFormatTest, ChangedWidthsLayOutEverything) {
  data.AddTextItem("aaaa bbbb cccc dddd", 0, 0);
  data.Format(false);
  data.width = 70;
  data.AddTextItem("eeee", 0, 0);
  FormatTail();
  const auto tail = PieceSnapshot(data);
  data.Format(false);
  EXPECT_EQ(tail, PieceSnapshot(data));
  EXPECT_EQ(data.DrawItems()[0]->Length, 4) << "the old paragraph wraps at the new width";
}

TEST_F(TailFormatTest, KeepingThePositionKeepsTheSelectedCharacters) {
  data.AddTextItem("aaaa bbbb cccc dddd eeee", 0, 0);
  data.AddTextItem("ffff gggg", 0, 0);
  data.Format(false);
  // From "b" of "bbbb" to after the second "g".
  data.ItemToDrawItem(0, 6, data.SelStartNo, data.SelStartOffs);
  data.ItemToDrawItem(1, 8, data.SelEndNo, data.SelEndOffs);
  data.width = 60;
  data.FormatLines(true, false, false, 0, nullptr, false, false);
  ASSERT_GT(data.DrawItems().Count(), 4);
  int itemNo = -1, offs = 0;
  data.DrawItemToItem(data.SelStartNo, data.SelStartOffs, itemNo, offs);
  EXPECT_EQ(itemNo, 0);
  EXPECT_EQ(offs, 6);
  data.DrawItemToItem(data.SelEndNo, data.SelEndOffs, itemNo, offs);
  EXPECT_EQ(itemNo, 1);
  EXPECT_EQ(offs, 8);

  // The item at the top of the view stays there, as far below its top as before.
  for (int i = 0; i < 20; ++i) data.AddTextItem("more lines", 0, 0);
  data.Format(false);
  data.vOffs = data.DrawItems()[data.GetFirstDrawItemOfItem(12)]->Top + 3;
  const int shown = data.FindDrawItemByY(data.vOffs, 1);
  const int shownItem = data.DrawItems()[shown]->ItemNo;
  const int32_t below = data.vOffs - data.DrawItems()[shown]->Top;
  data.width = 200;
  data.scrolls.clear();
  data.FormatLines(true, false, false, 0, nullptr, false, false);
  ASSERT_EQ(data.scrolls.size(), 1u);
  EXPECT_EQ(data.scrolls[0],
            "v" + std::to_string(data.DrawItems()[data.FindDrawItemOfItem(shownItem)]->Top + below));
  data.scrolls.clear();
  data.width = 150;
  data.FormatLines(true, false, true, 0, nullptr, false, false);
  EXPECT_TRUE(data.scrolls.empty()) << "not asked to restore the view";

  // Nothing changed: nothing is laid out again.
  data.measures = 0;
  data.FormatLines(true, false, false, 0, nullptr, false, false);
  EXPECT_EQ(data.measures, 0);
}

}  // namespace
