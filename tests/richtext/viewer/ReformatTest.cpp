// Laying out a range again must give exactly what a full format gives: random documents,
// random edits, then the pieces and the document height are compared with a fresh format.
#include <gtest/gtest.h>

#include <memory>
#include <random>
#include <stdexcept>
#include <string>
#include <vector>

#include "FormattedDataSupport.h"
#include "richtext/core/RVNonTextItems.h"
#include "richtext/core/RVStyle.h"

namespace {

using viewertest::TFixedPitchData;

using viewertest::JumpSnapshot;
using viewertest::PieceSnapshot;

class ReformatTest : public ::testing::Test {
 protected:
  void SetUp() override {
    data.SetRVStyle(&style);
    data.width = 130;
    style.TextStyles().Items(1)->Jump = true;
    TParaInfos& paras = style.ParaStyles();
    paras.Items(1)->Alignment = rvaJustify;
    paras.AddStyle()->Alignment = rvaCenter;
    paras.Items(2)->SpaceBefore = 3;
    paras.Items(2)->SpaceAfter = 5;
    paras.AddStyle()->LineSpacing = 150;
    paras.Items(3)->FirstIndent = 15;
    paras.AddStyle()->BiDiMode = rvbdRightToLeft;
    paras.Items(4)->LineSpacingType = rvlsSpaceBetween;
    paras.Items(4)->LineSpacing = 2;
  }

  std::string Words(std::mt19937& rng) {
    std::string text;
    const int words = static_cast<int>(rng() % 6);
    for (int w = 0; w < words; ++w) {
      if (w > 0 || rng() % 3 == 0) text += ' ';
      text += std::string(1 + rng() % 9, static_cast<char>('a' + rng() % 26));
    }
    if (rng() % 4 == 0) text += ' ';
    return text;
  }

  // One paragraph of one to three items at ItemNo.
  int InsertParagraph(std::mt19937& rng, int ItemNo) {
    const int para = static_cast<int>(rng() % style.ParaStyles().Count());
    const bool withBreak = rng() % 10 == 0;  // a break is a paragraph of its own
    const int count = withBreak ? 1 : 1 + static_cast<int>(rng() % 3);
    for (int i = 0; i < count; ++i) {
      std::unique_ptr<TCustomRVItemInfo> item;
      std::string text;
      if (withBreak) {
        item = TRVBreakItemInfo::CreateEx(&data, 1, 0, clBlack);
      } else if (rng() % 6 == 0) {
        // Pictures raise their lines or move to lines of their own.
        auto picture = std::make_unique<TBitmap>();
        picture->SetSize(4 + static_cast<int>(rng() % 60), 4 + static_cast<int>(rng() % 30));
        item =
            TRVGraphicItemInfo::CreateWithPicture(&data, std::move(picture), static_cast<uint8_t>(rng() % 2));
      } else {
        auto textItem = std::make_unique<TRVTextItemInfo>(&data);
        textItem->StyleNo = static_cast<int>(rng() % 2);
        item = std::move(textItem);
        text = Words(rng);
      }
      item->ParaNo = para;
      if (i > 0) {
        if (rng() % 3 == 0)
          item->SetBR(true);
        else
          item->SetSameAsPrev(true);
      }
      data.GetItems().Insert(ItemNo + i, text, std::move(item));
    }
    return count;
  }

  // Items of the paragraph holding ItemNo.
  void ParagraphOf(int ItemNo, int& First, int& Last) {
    First = ItemNo;
    while (First > 0 && !data.GetItem(First)->IsParaStart()) --First;
    Last = ItemNo;
    while (Last + 1 < data.GetItemCount() && !data.GetItem(Last + 1)->IsParaStart()) ++Last;
  }

  int FirstPiece(int ItemNo) { return data.GetFirstDrawItemOfItem(ItemNo); }
  int LastPiece(int ItemNo) {
    int d = FirstPiece(ItemNo);
    while (d + 1 < data.DrawItems().Count() && data.DrawItems()[d + 1]->ItemNo == ItemNo) ++d;
    return d;
  }

  TRVStyle style;
  TFixedPitchData data;
};

TEST_F(ReformatTest, PartialLayoutMatchesAFullFormatAfterRandomEdits) {
  for (uint32_t seed = 1; seed <= 300; ++seed) {
    std::mt19937 rng(seed);
    data.Clear();
    const int paragraphs = 1 + static_cast<int>(rng() % 8);
    for (int p = 0; p < paragraphs; ++p) InsertParagraph(rng, data.GetItemCount());
    data.Format(true);
    for (int edit = 0; edit < 6; ++edit) {
      const int itemNo = static_cast<int>(rng() % data.GetItemCount());
      int first = 0, last = 0;
      ParagraphOf(itemNo, first, last);
      int prevFirst = first, nextLast = last, unused = 0;
      if (first > 0) ParagraphOf(first - 1, prevFirst, unused);
      if (last + 1 < data.GetItemCount()) ParagraphOf(last + 1, unused, nextLast);
      const int kind = static_cast<int>(rng() % 3);
      int startD = FirstPiece(first), endD = LastPiece(last), added = 0;
      if (kind == 0 && data.GetItem(itemNo)->IsTextItem()) {
        // As the editor does: the pieces of the changed item, widened to paragraphs.
        const int changedFirst = FirstPiece(itemNo), changedLast = LastPiece(itemNo);
        data.SetItemText(itemNo, Words(rng));
        int expandedFirst = 0, expandedLast = 0;
        data.ExpandToParaDrawItems(changedFirst, changedLast, expandedFirst, expandedLast);
        data.ReformatItemParas(expandedFirst, expandedLast, 0);
        const auto partial = PieceSnapshot(data);
        const auto partialJumps = JumpSnapshot(data, 1);
        const int32_t partialHeight = data.DocumentHeight;
        data.Format(true);
        ASSERT_EQ(partial, PieceSnapshot(data)) << "seed " << seed << " edit " << edit << " text";
        ASSERT_EQ(partialJumps, JumpSnapshot(data, 1)) << "seed " << seed << " edit " << edit << " text";
        ASSERT_EQ(partialHeight, data.DocumentHeight) << "seed " << seed << " edit " << edit << " text";
        continue;
      } else if (kind == 1) {
        added = InsertParagraph(rng, last + 1);
      } else if (kind == 2 && prevFirst != first) {
        startD = FirstPiece(prevFirst);
        added = -(last - first + 1);
        data.DeleteItems(first, last - first + 1);
      } else {
        continue;
      }
      ASSERT_NE(data.GetItemCount(), 0);
      // Paragraphs may join or split at the edges of an edit: the range covers neighbours.
      (void)nextLast;
      data.FormatParas(startD, endD, added);
      const auto partial = PieceSnapshot(data);
      const auto partialJumps = JumpSnapshot(data, 1);
      const int32_t partialHeight = data.DocumentHeight;
      data.Format(true);
      ASSERT_EQ(partial, PieceSnapshot(data)) << "seed " << seed << " edit " << edit << " kind " << kind;
      ASSERT_EQ(partialJumps, JumpSnapshot(data, 1))
          << "seed " << seed << " edit " << edit << " kind " << kind;
      ASSERT_EQ(partialHeight, data.DocumentHeight) << "seed " << seed << " edit " << edit;
    }
  }
}

TEST_F(ReformatTest, LongerParagraphMovesEverythingBelowByOneLine) {
  data.AddTextItem("aaaa", 0, 0);
  data.AddTextItem("bbbb", 0, 0);
  data.AddTextItem("cccc", 0, 0);
  data.Format(true);
  const int32_t height = data.DocumentHeight;
  const int32_t below = data.DrawItems()[2]->Top;
  data.SetItemText(1, "bbbb bbbb bbbb");
  data.FormatParas(1, 1, 0);
  ASSERT_EQ(data.DrawItems().Count(), 4);
  EXPECT_EQ(data.DrawItems()[3]->Top, below + 16);
  EXPECT_EQ(data.DocumentHeight, height + 16);
  EXPECT_EQ(data.GetItem(2)->DrawItemNo, 3);
  EXPECT_EQ(data.StateFlags & rvstPartialFormatting, 0u);

  // A failure half-way leaves no pieces that describe other items, and no bit set.
  data.throwOnMeasure = true;
  data.SetItemText(1, "bb");
  EXPECT_THROW(data.FormatParas(1, 2, 0), std::runtime_error);
  EXPECT_EQ(data.StateFlags & rvstPartialFormatting, 0u);
  EXPECT_EQ(data.DrawItems().Count(), 0);
  EXPECT_EQ(data.GetItemCount(), 3) << "the items stay";
  data.throwOnMeasure = false;
  data.Format(true);
  EXPECT_EQ(data.DrawItems().Count(), 3);
}

TEST_F(ReformatTest, SpacingAfterTheBlockIsInDevicePixelsAsInAFullFormat) {
  struct TTallDevice : TFixedPitchData {
    void GetScreenAndDeviceInfo(TCanvas* Canvas, TRVFormatScale& Scale) override {
      TFixedPitchData::GetScreenAndDeviceInfo(Canvas, Scale);
      Scale.DevicePPIY = 2 * Scale.ScreenPPIY;
    }
  } tall;
  tall.SetRVStyle(&style);
  tall.width = 130;
  for (const char* text : {"aaaa", "bbbb", "cccc"}) tall.AddTextItem(text, 0, 2);  // 3 before, 5 after
  for (int itemNo : {1, 2}) {  // the next paragraph follows, or the block ends the document
    tall.Format(true);
    tall.SetItemText(itemNo, "bbbb bbbb bbbb");
    const int piece = tall.GetFirstDrawItemOfItem(itemNo);
    tall.FormatParas(piece, piece, 0);
    const auto partial = std::pair(PieceSnapshot(tall), tall.DocumentHeight);
    tall.Format(true);
    EXPECT_EQ(partial, std::pair(PieceSnapshot(tall), tall.DocumentHeight)) << itemNo;
  }
}

// ---- checkpoints coming into view ----

class TCheckpointWatch : public TFixedPitchData {
 public:
  bool HasCheckpointVisible() const override { return true; }
  TCPEventKind GetCPEventKind() const override { return kind; }
  void DoCheckpointVisible(TCheckpointData Checkpoint) override { reported.push_back(Checkpoint); }

  TCPEventKind kind = cpeWhenVisible;
  std::vector<TCheckpointData> reported;
};

TEST(CheckpointVisibilityTest, EachChangeIsReportedOnce) {
  TRVStyle style;
  TCheckpointWatch data;
  data.SetRVStyle(&style);
  for (int i = 0; i < 40; ++i) {
    if (i == 10 || i == 30) data.AddCheckpoint("cp" + std::to_string(i), true, TRVTag());
    data.AddTextItem("line", 0, 0);
  }
  data.Format(true);
  TRVCPInfo* at10 = data.GetItem(10)->Checkpoint.get();
  ASSERT_NE(at10, nullptr);
  ASSERT_EQ(data.DrawItems()[10]->Top, 5 + 160);

  data.CheckCheckpointVisibility();  // below the view: nothing was reported before
  EXPECT_TRUE(data.reported.empty());
  data.vOffs = 150;
  data.CheckCheckpointVisibility();
  data.vOffs = 155;
  data.CheckCheckpointVisibility();
  ASSERT_EQ(data.reported.size(), 1u);
  EXPECT_EQ(data.reported[0], at10);
  data.vOffs = 170;  // the next one is below the view
  data.CheckCheckpointVisibility();
  data.CheckCheckpointVisibility();
  ASSERT_EQ(data.reported.size(), 2u);
  EXPECT_EQ(data.reported[1], nullptr);

  // As section start, the checkpoint above the view stays the one in force.
  data.kind = cpeAsSectionStart;
  data.CheckCheckpointVisibility();
  ASSERT_EQ(data.reported.size(), 3u);
  EXPECT_EQ(data.reported[2], at10);
  data.ClearDrawLines();
  EXPECT_EQ(data.LastRaisedCP, nullptr);
}

}  // namespace

// ---- what a partial layout touches ----

/// Remembers what a reformat asked the control to repaint.
class TBandData : public TFixedPitchData {
 public:
  void InvalidateControlRect(const TRect& Rect) override { bands.push_back(Rect); }
  void SetDocumentAreaSize(int32_t, int32_t Height, bool) override {
    // A shorter document scrolls the view up when it would show space below the end.
    if (clampScroll) vOffs = std::max(0, std::min(vOffs, Height - height));
  }

  std::vector<TRect> bands;
  bool clampScroll = false;
};

class ReformatRangeTest : public ::testing::Test {
 protected:
  void SetUp() override {
    data.SetRVStyle(&style);
    data.width = 110;
    data.height = 60;
    for (int i = 0; i < 10; ++i) data.AddTextItem("line " + std::to_string(i), 0, 0);
    data.Format(true);
  }

  TRVStyle style;
  TBandData data;
};

TEST_F(ReformatRangeTest, RepaintedBandCoversTheBlockAndWhatMoved) {
  // Same height: the block and ten pixels around it.
  data.SetItemText(2, "other");
  data.FormatParas(2, 2, 0);
  ASSERT_EQ(data.bands.size(), 1u);
  EXPECT_EQ(data.bands[0].Top, 5 + 32 - 10);
  EXPECT_EQ(data.bands[0].Bottom, 5 + 48 + 10);
  EXPECT_EQ(data.bands[0].Right, 110);

  // One line more: everything below moved, down to the bottom of the view.
  data.vOffs = 16;
  data.SetItemText(2, "aaaa bbbb cccc");
  data.FormatParas(2, 2, 0);
  ASSERT_EQ(data.bands.size(), 2u);
  EXPECT_EQ(data.bands[1].Top, 5 + 32 - 10 - 16);
  EXPECT_EQ(data.bands[1].Bottom, data.height);

  // Moved lines that end inside the view end the band there.
  data.vOffs = 100;
  data.height = 300;
  data.SetItemText(8, "aaaa bbbb cccc");
  data.FormatParas(9, 9, 0);
  ASSERT_EQ(data.bands.size(), 3u);
  const TRVDrawLineInfo& last = *data.DrawItems()[data.DrawItems().Count() - 1];
  EXPECT_EQ(data.bands[2].Bottom, last.Top + last.Height + 10 - 100);
}

TEST_F(ReformatRangeTest, ScrollingForTheNewSizeRepaintsEverything) {
  data.clampScroll = true;
  data.vOffs = data.DocumentHeight - data.height;
  data.DeleteItems(9, 1);
  data.FormatParas(8, 9, -1);
  ASSERT_EQ(data.bands.size(), 1u);
  EXPECT_EQ(data.bands[0].Top, 0);
  EXPECT_EQ(data.bands[0].Bottom, data.height);
}

TEST_F(ReformatRangeTest, ExpandingReachesOneParagraphBeyondEachSide) {
  // Items 3 and 4 become one paragraph of two items.
  data.GetItem(4)->SetSameAsPrev(true);
  data.Format(true);
  int first = -1, last = -1;
  data.ExpandToParaDrawItems(4, 4, first, last);
  EXPECT_EQ(first, 2);
  EXPECT_EQ(last, 6);
  data.ExpandToParaDrawItems(0, 0, first, last);
  EXPECT_EQ(first, 0);
  EXPECT_EQ(last, 1);
  const int end = data.DrawItems().Count() - 1;
  data.ExpandToParaDrawItems(end, end, first, last);
  EXPECT_EQ(first, end - 1);
  EXPECT_EQ(last, end);
}

TEST_F(ReformatRangeTest, ReformattingAnItemTakesTheWholeLineItContinues) {
  data.AddTextItem(" tail", 0, -1);  // continues item 9
  data.Format(true);
  data.SetItemText(9, "aaaa bbbb cccc");
  // Only the piece of the continuing item is named: its line starts at item 9.
  const int piece = data.GetFirstDrawItemOfItem(10);
  data.ReformatItemParas(piece, piece, 0);
  const auto partial = PieceSnapshot(data);
  data.Format(true);
  EXPECT_EQ(partial, PieceSnapshot(data));
}
