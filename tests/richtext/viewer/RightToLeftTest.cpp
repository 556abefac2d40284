// Right-to-left text: selected characters are painted where the canvas places them, and
// clicks find the character boundary under the mouse in the order the text is shown.
#include <gtest/gtest.h>

#include <algorithm>
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

  TRVStyle style;
  TFieldData data;
};

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

TEST_F(RightToLeftTest, SelectedLettersArePaintedOverTheirShapedGlyphs) {
  // {text, selection from, to, caret left of it, caret right of it}: the first Hebrew letter is the
  // rightmost; of "salam" in Arabic the second and third letters join into one ligature
  const struct {
    const char16_t* text;
    int from, to, left, right;
  } cases[] = {{kWord, 1, 2, 1, 0}, {u"\u0633\u0644\u0627\u0645", 2, 4, 3, 1}};
  for (const auto& [text, from, to, left, right] : cases) {
    data.Clear();
    data.AddWideTextItem(text, 0, style.ParaStyles().Count() - 1, TRVTag());
    data.Format(false);
    data.SelStartNo = data.SelEndNo = 0;
    data.SelStartOffs = from;
    data.SelEndOffs = to;
    TBitmap painted;
    painted.SetPixelFormat(pf24bit);
    painted.SetSize(data.width, data.height);
    painted.Canvas().Brush().SetColor(clWhite);
    painted.Canvas().FillRect(Rect(0, 0, data.width, data.height));
    data.Paint(painted.Canvas(), Rect(0, 0, data.width, data.height));
    style.ApplyStyle(*data.GetCanvas(), 0, rvbdRightToLeft);
    const std::vector<int32_t> xs = shapedtext::CaretXs(*data.GetCanvas(), text, true);
    ASSERT_EQ(xs.size(), 5u);
    const int32_t x0 = Piece().Left + xs[left], x1 = Piece().Left + xs[right];
    int32_t minX = data.width, maxX = -1, ink = 0;
    for (int y = Piece().Top; y < Piece().Top + Piece().Height; ++y)
      for (int x = 0; x < data.width; ++x)
        if (painted.Canvas().Pixel(x, y) == ColorToRGB(style.SelColor))
          minX = std::min(minX, x), maxX = std::max(maxX, x);
        else
          ink += x >= x0 && x < x1;
    EXPECT_EQ(minX, x0) << from;
    EXPECT_EQ(maxX, x1 - 1) << from;
    EXPECT_GT(ink, 10) << "the glyphs show over the selection " << from;
  }
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
