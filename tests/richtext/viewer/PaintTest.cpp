// Painting a formatted document into a bitmap and comparing it with a reference picture that
// was checked by eye; anti-aliased edges may differ a little between font renderers.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "FormattedDataSupport.h"
#include "platform/graphics/Bitmap.h"
#include "platform/graphics/PngFile.h"
#include "platform/graphics/SystemColors.h"
#include "richtext/core/RVNonTextItems.h"
#include "richtext/core/RVStyle.h"

namespace {

using viewertest::TFieldData;
using viewertest::TFixedPitchData;

// A document in an area as wide as its client area, as in a viewer.
class TAreaData : public TFieldData {
 public:
  int32_t GetAreaWidth() const override { return width; }
};

int ChannelDifference(TColor a, TColor b) {
  int worst = 0;
  for (int shift = 0; shift < 24; shift += 8)
    worst = std::max(worst,
                     std::abs(static_cast<int>((a >> shift) & 0xFF) - static_cast<int>((b >> shift) & 0xFF)));
  return worst;
}

class PaintTest : public ::testing::Test {
 protected:
  void SetUp() override {
    data.SetRVStyle(&style);
    data.width = 300;
    data.height = 200;
    TParaInfo& boxed = *style.ParaStyles().AddStyle();
    boxed.Background().Color = clYellow;
    boxed.Border().Style = rvbSingle;
    boxed.Border().Color = clBlue;
    boxed.LeftIndent = 10;
    style.ParaStyles().AddStyle()->Alignment = rvaCenter;
  }
  void PaintTo(TBitmap& bitmap) {
    bitmap.SetPixelFormat(pf24bit);
    bitmap.SetSize(data.width, data.height);
    bitmap.Canvas().Brush().SetColor(clWhite);
    bitmap.Canvas().FillRect(Rect(0, 0, data.width, data.height));
    data.Paint(bitmap.Canvas(), Rect(0, 0, data.width, data.height));
  }
  // Compares with the reference, writing it instead when asked to.
  void ExpectLooksLike(TBitmap& painted, const std::string& name) {
    const std::string file = std::string(ZUK_REFERENCE_DIR) + "/" + name + ".png";
    if (std::getenv("ZUK_UPDATE_REFERENCES") != nullptr) {
      ASSERT_TRUE(SaveBitmapToPng(painted, file));
    }
    TBitmap reference;
    ASSERT_TRUE(LoadBitmapFromPng(reference, file)) << file;
    ASSERT_EQ(reference.Width(), painted.Width());
    ASSERT_EQ(reference.Height(), painted.Height());
    int differing = 0;
    for (int y = 0; y < painted.Height(); ++y)
      for (int x = 0; x < painted.Width(); ++x)
        differing += ChannelDifference(painted.Canvas().Pixel(x, y), reference.Canvas().Pixel(x, y)) > 64;
    EXPECT_LE(differing, painted.Width() * painted.Height() / 200) << name;
  }

  TRVStyle style;
  TAreaData data;
};

TEST_F(PaintTest, DocumentWithEveryKindOfPieceAndASelection) {
  style.TextStyles().Items(1)->Jump = true;
  data.AddTextItem("Plain text that wraps over more than one line here.", 0, 3);
  data.AddTextItem("A boxed paragraph on yellow", 0, 2);
  data.AddTextItem(" with a link", 1, -1);
  data.AddItem("", TRVBreakItemInfo::CreateEx(&data, 2, 0, clRed));
  auto picture = std::make_unique<TBitmap>();
  picture->SetPixelFormat(pf24bit);
  picture->SetSize(30, 20);
  picture->Canvas().Brush().SetColor(clGreen);
  picture->Canvas().FillRect(Rect(0, 0, 30, 20));
  data.AddTextItem("Picture:", 0, 0);
  data.AddPictureItem("", std::move(picture), -1, 0, TRVTag());
  data.Format(true);
  // Select from the third character of the first piece into the boxed paragraph.
  data.SelStartNo = 0;
  data.SelStartOffs = 3;
  data.SelEndNo = data.GetFirstDrawItemOfItem(1);
  data.SelEndOffs = 6;
  TBitmap painted;
  PaintTo(painted);
  ExpectLooksLike(painted, "document");

  // Selected pixels use the selection colour; the boxed paragraph keeps its yellow.
  int yellow = 0, selectedBack = 0;
  for (int y = 0; y < painted.Height(); ++y)
    for (int x = 0; x < painted.Width(); ++x) {
      yellow += painted.Canvas().Pixel(x, y) == clYellow;
      selectedBack += painted.Canvas().Pixel(x, y) == ColorToRGB(style.SelColor);
    }
  EXPECT_GT(yellow, 500);
  EXPECT_GT(selectedBack, 200);
}

TEST_F(PaintTest, EmptySelectionPaintsNothingSelected) {
  data.AddTextItem("Nothing selected", 0, 0);
  data.Format(true);
  TBitmap plain, emptySelection;
  PaintTo(plain);
  data.SelStartNo = data.SelEndNo = 0;
  data.SelStartOffs = data.SelEndOffs = 4;
  PaintTo(emptySelection);
  for (int y = 0; y < plain.Height(); ++y)
    for (int x = 0; x < plain.Width(); ++x)
      ASSERT_EQ(plain.Canvas().Pixel(x, y), emptySelection.Canvas().Pixel(x, y));
}

TEST_F(PaintTest, OnlyTheLinesInTheAreaAreDrawn) {
  for (int i = 0; i < 200; ++i) data.AddTextItem("line " + std::to_string(i), 0, 0);
  data.Format(true);
  std::vector<int32_t> tops;
  style.OnDrawStyleText = [&](TRVStyle&, const std::string&, TCanvas&, int, int32_t, int32_t, int32_t top,
                              int32_t, int32_t, TRVTextDrawStates, bool&) { tops.push_back(top); };
  data.vOffs = data.DocumentHeight / 2;
  TBitmap painted;
  PaintTo(painted);
  ASSERT_FALSE(tops.empty());
  EXPECT_LT(tops.size(), 30u);
  EXPECT_LE(*std::min_element(tops.begin(), tops.end()), 0) << "the line cut by the top edge is drawn";
  EXPECT_GE(*std::max_element(tops.begin(), tops.end()) + 20, data.height)
      << "so is the one cut by the bottom";
}

/// A picture that pagination splits: the break at place Index lies 7 × (Index + 1) below its top.
class TSplitPicture : public TRVGraphicItemInfo {
 public:
  using TRVGraphicItemInfo::TRVGraphicItemInfo;
  int32_t GetSoftPageBreakDY(int Index) const override { return 7 * (Index + 1); }
};

TEST_F(PaintTest, SoftPageBreaksAndTheEndCheckpointAreMarked) {
  for (int i = 0; i < 10; ++i) data.AddTextItem("line " + std::to_string(i), 0, 0);
  auto split = std::make_unique<TSplitPicture>(&data);
  split->StyleNo = rvsPicture;
  data.AddItem("", std::move(split));
  data.AddCheckpoint("end", true, TRVTag());
  data.SetOptions(data.GetOptions() | rvoShowPageBreaks | rvoShowCheckpoints);
  data.Format(false);
  std::vector<std::pair<int32_t, TRVPageBreakType>> breaks;
  style.OnDrawPageBreak = [&](TRVStyle&, TCanvas&, int32_t y, int32_t, TRVPageBreakType type, TObject*,
                              bool&) { breaks.emplace_back(y, type); };
  std::vector<std::pair<int32_t, int32_t>> checkpoints;
  style.OnDrawCheckpoint = [&](TRVStyle&, TCanvas&, int32_t x, int32_t y, int itemNo, int32_t, bool, TObject*,
                               bool&) { checkpoints.emplace_back(x, y + 1000 * itemNo); };
  data.SoftPageBreaks = std::make_unique<TRVSoftPageBreakList>(
      TRVSoftPageBreakList{{0, 1, -1},    // the first page needs no mark
                           {4, 3, -1},    // inside the fifth line
                           {10, 0, 1}});  // the second place inside the picture
  TBitmap painted;
  PaintTo(painted);
  const TRVDrawLines& pieces = data.DrawItems();
  ASSERT_EQ(breaks.size(), 2u);
  EXPECT_EQ(breaks[0], std::make_pair(pieces[4]->Top - 1, rvpbSoftPageBreak));
  EXPECT_EQ(breaks[1], std::make_pair(pieces[10]->Top - 1 + 14, rvpbSoftPageBreak));
  ASSERT_EQ(checkpoints.size(), 1u);
  EXPECT_EQ(checkpoints[0], std::make_pair(-1, data.DocumentHeight - 1000));

  // Marks below the painted area are not drawn; without the option none are.
  breaks.clear();
  data.height = pieces[5]->Top;
  PaintTo(painted);
  EXPECT_EQ(breaks.size(), 1u);
  data.SetOptions(data.GetOptions() & ~rvoShowPageBreaks);
  breaks.clear();
  PaintTo(painted);
  EXPECT_TRUE(breaks.empty());
}

TEST_F(PaintTest, PageBreaksCheckpointsAndRightToLeftSelection) {
  TParaInfo& rtl = *style.ParaStyles().AddStyle();
  rtl.BiDiMode = rvbdRightToLeft;
  TFontInfo& hebrew = *style.TextStyles().AddStyle();
  hebrew.FontName = "DejaVu Sans";
  hebrew.Unicode = true;
  hebrew.Size = 14;
  data.SetOptions(data.GetOptions() | rvoShowPageBreaks | rvoShowCheckpoints);
  data.AddTextItem("First page", 0, 0);
  data.AddCheckpoint("here", true, TRVTag());
  data.AddTextItem("A checkpoint marks this line", 0, 0);
  data.AddTextItem("After a hard page break", 0, 0);
  data.GetItem(2)->SetPageBreakBefore(true);
  data.AddWideTextItem(u"\u05D0\u05D1\u05D2\u05D3\u05D4 \u05D5\u05D6", style.TextStyles().Count() - 1,
                       style.ParaStyles().Count() - 1, TRVTag());
  data.AddTextItem("After a soft page break", 0, 0);
  data.AddCheckpoint("end", false, TRVTag());
  data.Format(false);
  data.SoftPageBreaks = std::make_unique<TRVSoftPageBreakList>(TRVSoftPageBreakList{{4, 1, -1}});
  // The second and third Hebrew letters.
  const int piece = data.GetFirstDrawItemOfItem(3);
  data.SelStartNo = data.SelEndNo = piece;
  data.SelStartOffs = 2;
  data.SelEndOffs = 4;
  TBitmap painted;
  PaintTo(painted);
  ExpectLooksLike(painted, "marks");
}

/// A picture that notes the draw state it is painted in.
template <class Base>
class TStateLoggingPicture : public Base {
 public:
  TStateLoggingPicture(TCustomRVData* RVData, TRVItemStyleNo StyleNo, std::vector<TRVItemDrawStates>& Log)
      : Base(RVData), log_(Log) {
    this->StyleNo = StyleNo;
    auto image = std::make_unique<TBitmap>();
    image->SetSize(20, 12);
    this->Image = std::move(image);
  }
  void Paint(int32_t X, int32_t Y, TCanvas& Canvas, TRVItemDrawStates State, TRVStyle* Style,
             TRVDrawLineInfo* DrawItem) override {
    log_.push_back(State);
    Base::Paint(X, Y, Canvas, State, Style, DrawItem);
  }

 private:
  std::vector<TRVItemDrawStates>& log_;
};

// Fixed-width glyphs, in an area as wide as the client area.
class TFixedAreaData : public TFixedPitchData {
 public:
  int32_t GetAreaWidth() const override { return width; }
};

struct TTextCall {
  std::string text;
  int32_t left, width, spaceBefore;
  TRVTextDrawStates state;
};

class PaintStateTest : public ::testing::Test {
 protected:
  void SetUp() override {
    data.SetRVStyle(&style);
    data.width = 300;
    data.height = 100;
    style.OnDrawStyleText = [&](TRVStyle&, const std::string& s, TCanvas&, int, int32_t spaceBefore,
                                int32_t left, int32_t, int32_t width, int32_t, TRVTextDrawStates state,
                                bool&) {
      calls.push_back({s, left, width, spaceBefore, state});
    };
    data.AddTextItem("abcdefgh", 0, 0);
    data.AddItem("",
                 std::make_unique<TStateLoggingPicture<TRVHotGraphicItemInfo>>(&data, rvsHotPicture, hot));
    data.AddItem("", std::make_unique<TStateLoggingPicture<TRVGraphicItemInfo>>(&data, rvsPicture, plain));
    data.GetItem(1)->SetSameAsPrev(true);
    data.GetItem(2)->SetSameAsPrev(true);
    data.Format(true);
  }
  void Select(int StartNo, int StartOffs, int EndNo, int EndOffs) {
    data.SelStartNo = StartNo;
    data.SelStartOffs = StartOffs;
    data.SelEndNo = EndNo;
    data.SelEndOffs = EndOffs;
  }
  void Paint() {
    calls.clear();
    hot.clear();
    plain.clear();
    TBitmap bitmap;
    bitmap.SetPixelFormat(pf24bit);
    bitmap.SetSize(data.width, data.height);
    data.Paint(bitmap.Canvas(), Rect(0, 0, data.width, data.height));
  }

  TRVStyle style;
  TFixedAreaData data;
  std::vector<TTextCall> calls;
  std::vector<TRVItemDrawStates> hot, plain;
};

TEST_F(PaintStateTest, SelectionReachesRunsAndItemsInTheirDrawStates) {
  ASSERT_EQ(data.DrawItems().Count(), 3);
  const int32_t left = data.DrawItems()[0]->Left;

  // From before "c" to before the plain picture: the run is drawn whole, then "cdefgh"
  // selected from the width of "ab"; the hot picture is selected, the plain one is not.
  Select(0, 3, 2, 0);
  Paint();
  ASSERT_EQ(calls.size(), 2u);
  EXPECT_EQ(calls[0].text, "abcdefgh");
  EXPECT_EQ(calls[0].state & rvtsSelected, 0);
  EXPECT_EQ(calls[1].text, "cdefgh");
  EXPECT_EQ(calls[1].left, left + 20);
  constexpr TRVTextDrawStates beginsPiece = 0x10;
  EXPECT_EQ(calls[1].state & (rvtsSelected | beginsPiece), rvtsSelected);
  ASSERT_EQ(hot.size(), 1u);
  ASSERT_EQ(plain.size(), 1u);
  EXPECT_EQ(hot[0] & rvidsSelected, rvidsSelected);
  EXPECT_EQ(plain[0] & rvidsSelected, 0);

  // The whole run in one selected call; the selection ending after the plain picture takes it.
  Select(0, 1, 2, 1);
  Paint();
  ASSERT_EQ(calls.size(), 1u);
  EXPECT_EQ(calls[0].state & rvtsSelected, rvtsSelected);
  EXPECT_EQ(plain[0] & rvidsSelected, rvidsSelected);

  // Characters 3 and 4 only; a selection starting after a picture leaves it out.
  Select(0, 3, 0, 5);
  Paint();
  ASSERT_EQ(calls.size(), 2u);
  EXPECT_EQ(calls[1].text, "cd");
  EXPECT_EQ(calls[1].width, 20);
  Select(1, 1, 2, 1);
  Paint();
  EXPECT_EQ(hot[0] & rvidsSelected, 0);
  EXPECT_EQ(plain[0] & rvidsSelected, rvidsSelected);

  // With the whole data selected, everything is, whatever the selection says.
  Select(-1, 0, -1, 0);
  data.StateFlags |= rvstWholeDataSelected;
  Paint();
  ASSERT_EQ(calls.size(), 1u);
  EXPECT_EQ(calls[0].state & rvtsSelected, rvtsSelected);
  EXPECT_EQ(hot[0] & rvidsSelected, rvidsSelected);
  EXPECT_EQ(plain[0] & rvidsSelected, rvidsSelected);
}

TEST_F(PaintStateTest, OnlyTheHoveredHyperlinkShowsItsHotLook) {
  // The hot picture is the document's first hyperlink, number 0: the number every item that
  // is no hyperlink keeps too.
  ASSERT_EQ(data.GetItem(1)->JumpID, 0);
  data.StateFlags |= rvstHover;
  data.LastJumpMovedAbove = 0;
  Paint();
  ASSERT_EQ(hot.size(), 1u);
  ASSERT_EQ(plain.size(), 1u);
  EXPECT_EQ(hot[0] & (rvidsShowHot | rvidsSelected), rvidsShowHot);
  EXPECT_EQ(plain[0] & (rvidsShowHot | rvidsHover), 0) << "a plain picture is never hovered";
  EXPECT_EQ(calls[0].state & rvtsHover, 0) << "nor is text of a style that is no hyperlink";

  data.LastJumpMovedAbove = -1;
  Paint();
  EXPECT_EQ(hot[0] & rvidsShowHot, 0);
  data.LastJumpMovedAbove = 0;
  data.StateFlags &= ~rvstHover;
  Paint();
  EXPECT_EQ(hot[0] & rvidsShowHot, 0);
}

TEST(ParagraphBackgroundTest, AParagraphCutByTheTopOfTheAreaGetsItsWholeBackground) {
  TRVStyle style;
  TFixedAreaData data;
  data.SetRVStyle(&style);
  data.width = 110;
  data.height = 40;
  TParaInfo& boxed = *style.ParaStyles().AddStyle();
  boxed.LeftIndent = 10;
  boxed.FirstIndent = -5;
  boxed.RightIndent = 3;
  boxed.Background().BorderOffsets().Left = 2;
  boxed.Background().BorderOffsets().Top = 1;
  const int boxedNo = style.ParaStyles().Count() - 1;
  data.AddTextItem("aaaa", 0, 0);
  data.AddTextItem("bbbbbbbb bbbbbbbb bbbbbbbb bbbbbbbb bbbbbbbb", 0, boxedNo);
  data.AddTextItem("cccc", 0, 0);
  data.Format(true);
  std::vector<std::pair<int, TRect>> backs;
  style.OnDrawParaBack = [&](TRVStyle&, TCanvas&, int paraNo, const TRect& rect, bool&) {
    backs.emplace_back(paraNo, rect);
  };
  const TRVDrawLines& pieces = data.DrawItems();
  const int first = data.GetFirstDrawItemOfItem(1), last = data.GetFirstDrawItemOfItem(2) - 1;
  ASSERT_GE(last - first, 3) << "the paragraph takes several lines";
  data.vOffs = pieces[first + 2]->Top;
  TBitmap bitmap;
  bitmap.SetPixelFormat(pf24bit);
  bitmap.SetSize(data.width, data.height);
  data.Paint(bitmap.Canvas(), Rect(0, 0, data.width, data.height));

  ASSERT_FALSE(backs.empty());
  EXPECT_EQ(backs[0].first, boxedNo) << "painting starts with the paragraph the area cuts";
  const TRect& rect = backs[0].second;
  EXPECT_EQ(rect.Left, 5 + 10 - 5 - 2);
  EXPECT_EQ(rect.Top, pieces[first]->Top - data.vOffs - 1);
  EXPECT_EQ(rect.Right, 110 - 5 - 3);
  EXPECT_EQ(rect.Bottom, pieces[last]->Top + pieces[last]->Height - data.vOffs);
  EXPECT_EQ(std::count_if(backs.begin(), backs.end(), [&](const auto& b) { return b.first == boxedNo; }), 1);
}

}  // namespace
