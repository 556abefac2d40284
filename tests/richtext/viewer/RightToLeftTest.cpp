// Right-to-left text: selected characters are painted where the canvas places them, and
// clicks find the character boundary under the mouse in the order the text is shown.
#include <gtest/gtest.h>

#include <algorithm>
#include <utility>
#include <vector>

#include "FormattedDataSupport.h"
#include "platform/graphics/Bitmap.h"
#include "platform/graphics/ShapedTextOracle.h"
#include "platform/graphics/SystemColors.h"
#include "richtext/core/RVStyle.h"
#include "richtext/core/RVUni.h"
#include "richtext/core/RVUniMeasure.h"

namespace {

using viewertest::TFieldData;

// Four Hebrew letters: the first one logically is the rightmost on the screen.
constexpr char16_t kWord[] = u"\u05D0\u05D1\u05D2\u05D3";

class RightToLeftTest : public ::testing::Test {
 protected:
  void SetUp() override {
    data.SetRVStyle(&style);
    data.width = 300;
    data.height = 60;
    TParaInfo& para = *style.ParaStyles().AddStyle();
    para.BiDiMode = rvbdRightToLeft;
    style.TextStyles().Items(0)->FontName = "DejaVu Sans";
    style.TextStyles().Items(0)->Unicode = true;
    data.AddWideTextItem(kWord, 0, style.ParaStyles().Count() - 1, TRVTag());
    data.Format(false);
    ASSERT_EQ(data.DrawItems().Count(), 1);
  }
  const TRVDrawLineInfo& Piece() { return *data.DrawItems()[0]; }
  /// Caret positions of the word in the style's font, from the piece's left.
  std::vector<int32_t> Carets() {
    TCanvas& canvas = *data.GetCanvas();
    style.ApplyStyle(canvas, 0, rvbdRightToLeft);
    std::vector<int32_t> carets;
    EXPECT_TRUE(RVGetCharacterPlacement(canvas, RVWideStringToBytes(kWord), carets, rvioTwoByteText));
    return carets;
  }

  /// Paints the piece with characters StartOffs .. EndOffs - 1 selected on white; the leftmost
  /// and rightmost x painted in the selection colour (-1 for none).
  std::pair<int32_t, int32_t> SelectedSpan(int StartOffs, int EndOffs, TBitmap& Painted) {
    data.SelStartNo = data.SelEndNo = 0;
    data.SelStartOffs = StartOffs;
    data.SelEndOffs = EndOffs;
    Painted.SetPixelFormat(pf24bit);
    Painted.SetSize(data.width, data.height);
    Painted.Canvas().Brush().SetColor(clWhite);
    Painted.Canvas().FillRect(Rect(0, 0, data.width, data.height));
    data.Paint(Painted.Canvas(), Rect(0, 0, data.width, data.height));
    const TColor selected = ColorToRGB(style.SelColor);
    int32_t minX = data.width, maxX = -1;
    for (int y = 0; y < data.height; ++y)
      for (int x = 0; x < data.width; ++x)
        if (Painted.Canvas().Pixel(x, y) == selected) minX = std::min(minX, x), maxX = std::max(maxX, x);
    return {maxX < 0 ? -1 : minX, maxX};
  }

  TRVStyle style;
  TFieldData data;
};

TEST_F(RightToLeftTest, SelectedFirstLetterIsPaintedAtTheRightEnd) {
  TBitmap painted;
  const auto [minX, maxX] = SelectedSpan(1, 2, painted);
  const std::vector<int32_t> carets = Carets();
  ASSERT_EQ(carets.size(), 5u);
  ASSERT_GE(maxX, 0) << "something is painted selected";
  EXPECT_EQ(minX, Piece().Left + carets[1]);
  EXPECT_EQ(maxX, Piece().Left + carets[0] - 1);
}

TEST_F(RightToLeftTest, ClicksFindBoundariesInShownOrder) {
  const std::vector<int32_t> carets = Carets();
  ASSERT_EQ(carets.size(), 5u);
  int d = -1, offs = 0;
  data.FindDrawItemAtPos(Piece().Left + Piece().Width - 1, Piece().Top + 2, true, d, offs);
  EXPECT_EQ(d, 0);
  EXPECT_EQ(offs, 1) << "the right edge is before the first letter";
  data.FindDrawItemAtPos(Piece().Left + 1, Piece().Top + 2, true, d, offs);
  EXPECT_EQ(offs, 5) << "the left edge is after the last letter";
  data.FindDrawItemAtPos(Piece().Left + carets[2], Piece().Top + 2, true, d, offs);
  EXPECT_EQ(offs, 3);
}

// "salam": four Arabic letters that join, the second and third into one ligature.
constexpr char16_t kJoined[] = u"\u0633\u0644\u0627\u0645";

TEST_F(RightToLeftTest, PartOfAJoinedWordIsPaintedOverItsShapedGlyphs) {
  data.Clear();
  data.AddWideTextItem(kJoined, 0, style.ParaStyles().Count() - 1, TRVTag());
  data.Format(false);
  ASSERT_EQ(data.DrawItems().Count(), 1);
  TBitmap painted;
  const auto [minX, maxX] = SelectedSpan(2, 4, painted);
  TCanvas& canvas = *data.GetCanvas();
  style.ApplyStyle(canvas, 0, rvbdRightToLeft);
  const std::vector<int32_t> xs = shapedtext::CaretXs(canvas, kJoined, true);
  EXPECT_EQ(minX, Piece().Left + xs[3]);
  EXPECT_EQ(maxX, Piece().Left + xs[1] - 1);
  int32_t ink = 0;
  for (int y = Piece().Top; y < Piece().Top + Piece().Height; ++y)
    for (int x = Piece().Left + xs[3]; x < Piece().Left + xs[1]; ++x)
      ink += painted.Canvas().Pixel(x, y) != ColorToRGB(style.SelColor);
  EXPECT_GT(ink, 10) << "the ligature's glyph shows over the selection";
}

TEST_F(RightToLeftTest, WordsOfARightToLeftStyleAreFoundInShownOrder) {
  TFontInfo& rtl = *style.TextStyles().AddStyle();
  rtl.Assign(style.TextStyles().Items(0));
  rtl.BiDiMode = rvbdRightToLeft;
  data.Clear();
  data.AddWideTextItem(u"\u05D0\u05D1 \u05D2\u05D3", style.TextStyles().Count() - 1, 0, TRVTag());
  data.Format(false);
  std::string word;
  TCustomRVFormattedData* found = nullptr;
  int itemNo = -1, offs = 0, styleNo = 0;
  ASSERT_TRUE(
      data.GetWordAt(Piece().Left + Piece().Width - 2, Piece().Top + 2, word, found, itemNo, offs, styleNo));
  EXPECT_EQ(RVBytesToWideString(word), u"\u05D0\u05D1");
}

}  // namespace
