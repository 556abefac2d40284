// Painting a header cell's content: what the advanced header-draw hooks are told, which
// elements they take from the header, and the header image giving way to the sort glyph.
#include <gtest/gtest.h>

#include "TreeTestSupport.h"
#include "platform/graphics/Bitmap.h"
#include "platform/graphics/ImageList.h"
#include "platform/gui/GuiTestSupport.h"

namespace {

constexpr int32_t kWidth = 200;
constexpr int32_t kHeight = 20;
constexpr TColor kImageColour = 0x00C000;

class HeaderPaintTest : public ::testing::Test {
 protected:
  void SetUp() override {
    tree.SetBounds(0, 0, kWidth, 100);
    tree.GetOptions().SetPaintOptions(tree.GetOptions().PaintOptions() & ~toThemeAware);
    TBitmap picture;
    picture.SetPixelFormat(pf24bit);
    picture.SetSize(16, 16);
    picture.Canvas().Brush().SetColor(kImageColour);
    picture.Canvas().FillRect(Rect(0, 0, 16, 16));
    images.SetSize(16, 16);
    images.AddMasked(&picture, clFuchsia);
    TNodeTreeHeader& header = tree.Header();
    header.SetHeight(kHeight);
    header.SetImages(&images);
    header.SetOptions(header.Options() | hoShowImages | hoShowSortGlyphs);
    column = header.Columns().Add();
    column->SetWidth(120);
    column->SetText(u"Caption");
    column->SetImageIndex(0);
    header.Columns().Add()->SetText(u"Next");
    header.SetSortColumn(0);
  }

  void Paint(TBitmap& bitmap) {
    bitmap.SetPixelFormat(pf24bit);
    bitmap.SetSize(kWidth, kHeight);
    tree.Header().Columns().PaintHeader(bitmap.Canvas(), Rect(0, 0, kWidth, kHeight), 0);
  }
  /// The header as it looks when the first cell has no image, caption or sort glyph.
  void PaintBlank(TBitmap& bitmap) {
    const std::u16string text = column->Text();
    column->SetText(u"");
    column->SetImageIndex(-1);
    tree.Header().SetSortColumn(-1);
    Paint(bitmap);
    column->SetText(text);
    column->SetImageIndex(0);
    tree.Header().SetSortColumn(0);
  }
  /// Records what the query hook is told and takes `take` from the header.
  void TakeElements(THeaderPaintElements take) {
    tree.OnHeaderDrawQueryElements = [this, take](TNodeTree*, THeaderPaintInfo& info,
                                                  THeaderPaintElements& elements) {
      if (info.Column != column) return;
      queried = info;
      elements = take;
    };
    tree.OnAdvancedHeaderDraw = [this](TNodeTree*, THeaderPaintInfo& info, THeaderPaintElements elements) {
      ASSERT_EQ(info.Column, column);
      drawn.push_back(elements);
    };
  }
  static int CountDifferences(TBitmap& a, TBitmap& b, const TRect& within) {
    int count = 0;
    for (int32_t y = within.Top; y < within.Bottom; ++y)
      for (int32_t x = within.Left; x < within.Right; ++x)
        count += a.Canvas().Pixel(x, y) != b.Canvas().Pixel(x, y);
    return count;
  }

  TNodeTree tree;
  TImageList images;
  TNodeTreeColumn* column = nullptr;
  THeaderPaintInfo queried;
  std::vector<THeaderPaintElements> drawn;
};

TEST_F(HeaderPaintTest, TakenElementsAreLeftToTheAdvancedHook) {
  TBitmap plain, blank, allTaken, textTaken;
  Paint(plain);
  PaintBlank(blank);
  ASSERT_GT(CountDifferences(plain, blank, Rect(0, 0, 120, kHeight)), 20);

  TakeElements(hpeHeaderGlyph | hpeText | hpeSortGlyph | hpeDropMark);
  Paint(allTaken);
  EXPECT_EQ(CountDifferences(allTaken, blank, Rect(0, 0, kWidth, kHeight)), 0);
  EXPECT_EQ(drawn,
            (std::vector<THeaderPaintElements>{hpeHeaderGlyph | hpeText | hpeSortGlyph | hpeDropMark}));

  // Taking only the caption: image and sort glyph stay, the caption's pixels are the blank cell's.
  drawn.clear();
  TakeElements(hpeText);
  Paint(textTaken);
  const TRect text = queried.TextRectangle;
  ASSERT_FALSE(text.IsEmpty());
  EXPECT_GT(CountDifferences(plain, blank, text), 0);
  EXPECT_EQ(CountDifferences(textTaken, blank, text), 0);
  const TRect outsideText[] = {Rect(0, 0, text.Left, kHeight), Rect(text.Right, 0, kWidth, kHeight)};
  for (const TRect& r : outsideText) EXPECT_EQ(CountDifferences(textTaken, plain, r), 0);
  EXPECT_EQ(drawn, (std::vector<THeaderPaintElements>{hpeText}));
}

TEST_F(HeaderPaintTest, HooksAreNeededInPairsAndCalledOnlyForTakenElements) {
  TBitmap plain, painted;
  Paint(plain);
  // Taking nothing draws as without hooks and never calls the drawing hook.
  TakeElements(0);
  Paint(painted);
  EXPECT_EQ(CountDifferences(painted, plain, Rect(0, 0, kWidth, kHeight)), 0);
  EXPECT_TRUE(drawn.empty());
  // A query hook alone takes nothing: nobody would draw what it takes.
  TakeElements(hpeText | hpeHeaderGlyph);
  tree.OnAdvancedHeaderDraw = nullptr;
  Paint(painted);
  EXPECT_EQ(CountDifferences(painted, plain, Rect(0, 0, kWidth, kHeight)), 0);
}

TEST_F(HeaderPaintTest, AdvancedHookDrawsOverTheCellAndCannotDisturbTheNextOne) {
  TBitmap plain, painted;
  Paint(plain);
  TakeElements(hpeText);
  tree.OnAdvancedHeaderDraw = [](TNodeTree*, THeaderPaintInfo& info, THeaderPaintElements) {
    TCanvas& canvas = *info.TargetCanvas;
    canvas.Brush().SetColor(clRed);
    canvas.FillRect(info.TextRectangle);
    // Left behind on purpose: a clip that would hide everything after it and another font colour.
    canvas.IntersectClipRect(Rect(0, 0, 0, 0));
    canvas.Font().SetColor(clLime);
  };
  Paint(painted);
  const TRect text = queried.TextRectangle;
  EXPECT_EQ(painted.Canvas().Pixel(text.Left + 1, text.Top + 1), clRed);
  // The header image and the whole second cell are as before.
  EXPECT_EQ(painted.Canvas().Pixel(queried.GlyphPos.X + 8, queried.GlyphPos.Y + 8), kImageColour);
  EXPECT_EQ(CountDifferences(painted, plain, Rect(120, 0, kWidth, kHeight)), 0);
}

TEST_F(HeaderPaintTest, HookIsToldWhereTheHeaderWouldDraw) {
  TakeElements(hpeText);
  TBitmap painted;
  Paint(painted);
  EXPECT_EQ(queried.PaintRectangle, Rect(0, 0, 120, kHeight));
  EXPECT_TRUE(queried.ShowHeaderGlyph);
  EXPECT_TRUE(queried.ShowSortGlyph);
  EXPECT_EQ(queried.SortGlyphIndex, 3);  // ascending, without themes
  EXPECT_FALSE(queried.IsDownIndex);
  EXPECT_EQ(queried.DropMark, dmmNone);
  EXPECT_EQ(painted.Canvas().Pixel(queried.GlyphPos.X + 8, queried.GlyphPos.Y + 8), kImageColour);
  // Image, caption and sort glyph follow each other inside the cell, clear of its 2-pixel border.
  EXPECT_GE(queried.GlyphPos.X, 2);
  EXPECT_GE(queried.TextRectangle.Left, queried.GlyphPos.X + 16);
  EXPECT_GE(queried.SortGlyphPos.X, queried.TextRectangle.Right);
  EXPECT_LE(queried.SortGlyphPos.X + 16, 118);

  // A pressed cell moves everything by (1, 1); a descending sort uses the other glyph.
  const THeaderPaintInfo normal = queried;
  tree.Header().Columns().DownIndex = 0;
  tree.Header().SetSortAscending(false);
  Paint(painted);
  EXPECT_TRUE(queried.IsDownIndex);
  EXPECT_EQ(queried.GlyphPos, Point(normal.GlyphPos.X + 1, normal.GlyphPos.Y + 1));
  EXPECT_EQ(queried.SortGlyphPos, Point(normal.SortGlyphPos.X + 1, normal.SortGlyphPos.Y + 1));
  TRect moved = normal.TextRectangle;
  moved.Offset(1, 1);
  EXPECT_EQ(queried.TextRectangle, moved);
  EXPECT_EQ(queried.SortGlyphIndex, 2);
}

TEST_F(HeaderPaintTest, HeaderImageGivesWayToAnOverlappingSortGlyph) {
  // Too narrow for both: the clipped layout pushes the sort glyph over the image.
  column->SetText(u"");
  column->SetWidth(30);
  TakeElements(hpeText);
  TBitmap painted;
  Paint(painted);
  ASSERT_TRUE(queried.ShowSortGlyph);
  ASSERT_LT(queried.SortGlyphPos.X, queried.GlyphPos.X + 16);  // they do overlap
  EXPECT_FALSE(queried.ShowHeaderGlyph);
  for (int32_t y = 0; y < kHeight; ++y)
    for (int32_t x = 0; x < 30; ++x) ASSERT_NE(painted.Canvas().Pixel(x, y), kImageColour) << x << "," << y;
  // Right-to-left columns keep both.
  column->SetBiDiMode(bdRightToLeft);
  Paint(painted);
  EXPECT_TRUE(queried.ShowHeaderGlyph);
  // With room for both, both show.
  column->SetBiDiMode(bdLeftToRight);
  column->SetWidth(60);
  Paint(painted);
  EXPECT_TRUE(queried.ShowHeaderGlyph);
  EXPECT_EQ(painted.Canvas().Pixel(queried.GlyphPos.X + 8, queried.GlyphPos.Y + 8), kImageColour);
}

}  // namespace
