// Painting: a fixed tree (lines, buttons, images, selection, grid lines, columns) painted onto a
// bitmap and compared with reviewed reference pictures; the frame pieces (row erase, selection
// hiding, the area below the last node, button bitmaps, blending) checked pixel by pixel.
#include <gtest/gtest-spi.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>

#include "TreeTestSupport.h"
#include "platform/graphics/Bitmap.h"
#include "platform/graphics/ImageList.h"
#include "platform/graphics/PngFile.h"
#include "platform/graphics/SystemColors.h"
#include "platform/gui/Forms.h"
#include "platform/gui/GuiTestSupport.h"
#include "platform/gui/WindowGrab.h"
#include "platform/gui/XcbTestSupport.h"

namespace {

using treetest::Add;

constexpr TVTInternalPaintOptions kAllPaintOptions =
    poBackground | poColumnColor | poDrawFocusRect | poDrawSelection | poDrawDropMark | poGridLines;

/// A 16 x 16 image list with a blue and a green square.
void FillImages(TImageList& images) {
  TBitmap strip;
  strip.SetPixelFormat(pf24bit);
  strip.SetSize(32, 16);
  TCanvas& canvas = strip.Canvas();
  canvas.Brush().SetColor(clFuchsia);
  canvas.FillRect(Rect(0, 0, 32, 16));
  canvas.Brush().SetColor(clBlue);
  canvas.FillRect(Rect(2, 2, 14, 14));
  canvas.Brush().SetColor(clGreen);
  canvas.FillRect(Rect(18, 4, 30, 12));
  images.AddMasked(&strip, clFuchsia);
}

/// The fixed tree of the reference pictures.
class PaintedTree : public ::testing::Test {
 protected:
  void SetUp() override {
    tree.SetBounds(0, 0, 240, 200);
    tree.Font().SetName("Liberation Sans");
    tree.Font().SetHeight(-12);
    tree.SetDefaultNodeHeight(20);
    FillImages(images);
    tree.SetImages(&images);
    tree.OnGetImageIndex = [](TNodeTree* t, PNode node, TVTImageKind, int32_t, int32_t& index) {
      index = t->GetNodeLevel(node) == 0 ? 0 : 1;
    };
    TNodeTreeOptions& options = tree.GetOptions();
    options.SetPaintOptions((options.PaintOptions() | toShowHorzGridLines | toPopupMode) & ~toThemeAware);
    options.SetSelectionOptions(toMultiSelect);
    PNode a = Add(tree, nullptr, "Animals");
    PNode cats = Add(tree, a, "Cats");
    Add(tree, a, "Dogs");
    Add(tree, cats, "Lions");
    Add(tree, cats, "Tigers");
    PNode b = Add(tree, nullptr, "Birds");
    Add(tree, b, "Owls");
    Add(tree, nullptr, "Fish");
    tree.SetExpanded(a, true);
    tree.SetExpanded(cats, true);
    tree.SetSelected(cats, true);
    tree.SetSelected(tree.RootNode()->LastChild, true);
  }

  void Paint(TBitmap& out, const TRect& window) {
    out.SetPixelFormat(pf24bit);
    out.SetSize(window.Width(), window.Height());
    tree.PaintTree(out.Canvas(), window, Point(0, 0), kAllPaintOptions);
  }

  /// Compares with the reference picture of that name; a missing one fails, and is not written.
  void ExpectLooksLike(TBitmap& painted, const std::string& name,
                       const std::string& dir = ZUK_TREE_REFERENCE_DIR) {
    const std::string path = dir + "/" + name + ".png",
                      grab = std::string(ZUK_GRAB_DIR) + "/" + name + ".png";
    std::filesystem::create_directories(ZUK_GRAB_DIR);
    ASSERT_TRUE(SaveBitmapToPng(painted, grab));
    ASSERT_TRUE(std::filesystem::exists(path))
        << "no reference " << path << "; the painted picture is " << grab;
    TBitmap reference;
    ASSERT_TRUE(LoadBitmapFromPng(reference, path));
    ASSERT_EQ(reference.Width(), painted.Width());
    ASSERT_EQ(reference.Height(), painted.Height());
    // Glyph edges may differ a little between font rasterisers; everything else must match.
    int different = 0;
    for (int32_t y = 0; y < painted.Height(); ++y)
      for (int32_t x = 0; x < painted.Width(); ++x) {
        const TColor p = painted.Canvas().Pixel(x, y);
        const TColor r = reference.Canvas().Pixel(x, y);
        for (int shift = 0; shift < 24; shift += 8)
          if (std::abs(((p >> shift) & 0xFF) - ((r >> shift) & 0xFF)) > 64) {
            ++different;
            break;
          }
      }
    EXPECT_LE(different, painted.Width() * painted.Height() / 200)
        << name << ": " << different << " pixels differ";
  }

  TNodeTree tree;
  TImageList images;
};

TEST_F(PaintedTree, MatchesTheReferencePicture) {
  TBitmap painted;
  Paint(painted, Rect(0, 0, 240, 200));
  ExpectLooksLike(painted, "tree");
}

TEST_F(PaintedTree, WithColumnsMatchesTheReferencePicture) {
  TNodeTreeColumns& columns = tree.Header().Columns();
  TNodeTreeColumn* name = columns.Add();
  name->SetWidth(150);
  name->SetText(u"Name");
  TNodeTreeColumn* size = columns.Add();
  size->SetWidth(90);
  size->SetText(u"Size");
  size->SetColor(0xE0F0FF);
  tree.GetOptions().SetPaintOptions(tree.GetOptions().PaintOptions() | toShowVertGridLines);
  tree.OnPaintNode = [](TNodeTree* t, TVTPaintInfo& info) {
    const std::u16string text = info.Column == 0 ? t->TextData(info.Node)->Text : u"12";
    info.Canvas->SetBkMode(TRANSPARENT);
    info.Canvas->Brush().SetStyle(bsClear);
    info.Canvas->Font().SetColor(clBlack);
    info.Canvas->TextRectW(info.ContentRect, info.ContentRect.Left, info.ContentRect.Top + 3, text);
  };
  TBitmap painted;
  painted.SetPixelFormat(pf24bit);
  painted.SetSize(240, 200);
  tree.Header().SetHeight(20);
  tree.Header().SetStyle(3);
  tree.Header().SetSortColumn(0);
  tree.Header().SetOptions(tree.Header().Options() | hoShowSortGlyphs);
  columns.PaintHeader(painted.Canvas(), Rect(0, 0, 240, 20), 0);
  tree.PaintTree(painted.Canvas(), Rect(0, 0, 240, 180), Point(0, 20), kAllPaintOptions);
  ExpectLooksLike(painted, "tree-columns");
}

TEST_F(PaintedTree, AMissingReferenceFailsAndIsNotWritten) {
  TBitmap painted;
  Paint(painted, Rect(0, 0, 4, 4));
  std::string folder = (std::filesystem::temp_directory_path() / "zuk-reference-XXXXXX").string();
  ASSERT_NE(mkdtemp(folder.data()), nullptr);
  ::testing::TestPartResultArray results;
  {
    ::testing::ScopedFakeTestPartResultReporter intercept(
        ::testing::ScopedFakeTestPartResultReporter::INTERCEPT_ONLY_CURRENT_THREAD, &results);
    ExpectLooksLike(painted, "lost", folder);
  }
  EXPECT_TRUE(std::filesystem::is_empty(folder));
  std::filesystem::remove_all(folder);
  ASSERT_EQ(results.size(), 1);  // and says where the painted picture is
  EXPECT_TRUE(results.GetTestPartResult(0).fatally_failed() &&
              std::string(results.GetTestPartResult(0).message()).find(ZUK_GRAB_DIR "/lost.png") !=
                  std::string::npos);
}

TEST_F(PaintedTree, WindowPartwayIntoARowStartsWithThatRow) {
  TBitmap whole;
  Paint(whole, Rect(0, 0, 240, 200));
  TBitmap part;
  Paint(part, Rect(0, 27, 240, 127));
  for (int32_t y = 0; y < 100; y += 7)
    for (int32_t x = 0; x < 240; x += 5)
      ASSERT_EQ(part.Canvas().Pixel(x, y), whole.Canvas().Pixel(x, y + 27)) << x << "," << y;
}

TEST_F(PaintedTree, HiddenSelectionDrawsNoSelectionColours) {
  const TColor fill = ColorToRGB(tree.Colors(ciFocusedSelectionFill));
  TBitmap painted;
  Paint(painted, Rect(0, 0, 240, 200));
  auto countFill = [&](TBitmap& bitmap) {
    int count = 0;
    for (int32_t y = 0; y < bitmap.Height(); ++y)
      for (int32_t x = 0; x < bitmap.Width(); ++x) count += bitmap.Canvas().Pixel(x, y) == fill ? 1 : 0;
    return count;
  };
  EXPECT_GT(countFill(painted), 100);
  tree.GetOptions().SetPaintOptions((tree.GetOptions().PaintOptions() | toHideSelection) & ~toPopupMode);
  Paint(painted, Rect(0, 0, 240, 200));
  EXPECT_EQ(countFill(painted), 0);
}

TEST_F(PaintedTree, FocusRectangleShowsOnAnUnfocusedTree) {
  const TRect birds = Rect(0, 100, 240, 120);  // an unselected row
  TBitmap plain, focused;
  Paint(plain, birds);
  tree.SetFocusedNode(tree.GetFirst()->NextSibling);
  Paint(focused, birds);
  EXPECT_FALSE(tree.Focused());
  EXPECT_FALSE(focused.Equals(plain));
}

TEST_F(PaintedTree, SelectionCornersFollowTheCurveRadius) {
  // "Cats" is the selected second row (y 20..39); full-row selection frames the whole row.
  tree.GetOptions().SetSelectionOptions(tree.GetOptions().SelectionOptions() | toFullRowSelect);
  const TColor border = ColorToRGB(tree.Colors(ciFocusedSelectionBorder));
  const TColor background = ColorToRGB(tree.Color());
  TBitmap square;
  Paint(square, Rect(0, 0, 240, 200));
  EXPECT_EQ(square.Canvas().Pixel(0, 20), border);
  EXPECT_EQ(square.Canvas().Pixel(239, 20), border);

  tree.SetSelectionCurveRadius(8);
  TBitmap round;
  Paint(round, Rect(0, 0, 240, 200));
  EXPECT_EQ(round.Canvas().Pixel(0, 20), background);
  EXPECT_EQ(round.Canvas().Pixel(239, 20), background);
  EXPECT_EQ(round.Canvas().Pixel(120, 20), border);  // the straight top edge stays
  EXPECT_EQ(round.Canvas().Pixel(0, 30), border);
}

TEST_F(PaintedTree, RealWindowShowsWhatPaintTreeDraws) {
  ZUK_RUN_UNDER_XSERVER("PaintedTree.RealWindowShowsWhatPaintTreeDraws");
  TForm form;
  form.SetBounds(0, 0, 260, 220);
  tree.SetParent(&form);
  form.Show();
  ASSERT_TRUE(guitest::PumpUntil([&] { return tree.HandleAllocated(); }));
  QTest::qWait(200);
  guitest::Pump();
  TBitmap grabbed;
  ASSERT_TRUE(GrabControl(tree, grabbed));
  ASSERT_TRUE(SaveBitmapToPng(grabbed, std::string(ZUK_GRAB_DIR) + "/tree-window.png"));
  const TRect client = tree.ClientRect();
  TBitmap painted;
  Paint(painted, Rect(0, 0, client.Width(), client.Height()));
  int different = 0;
  for (int32_t y = 0; y < client.Height(); ++y)
    for (int32_t x = 0; x < client.Width(); ++x)
      different += grabbed.Canvas().Pixel(x, y) != painted.Canvas().Pixel(x, y) ? 1 : 0;
  EXPECT_EQ(different, 0);
}

TEST(TreePaintTest, ThemedHeaderAndButtonsUseTheDesktopStyle) {
  TNodeTree tree;
  tree.SetBounds(0, 0, 200, 100);
  tree.HandleNeeded();  // themes apply to trees with a window
  ASSERT_TRUE(tree.UseThemes());
  TNodeTreeColumn* column = tree.Header().Columns().Add();
  column->SetWidth(120);
  column->SetText(u"Themed");
  tree.Header().SetHeight(20);
  TBitmap themed;
  themed.SetPixelFormat(pf24bit);
  themed.SetSize(200, 20);
  tree.Header().Columns().PaintHeader(themed.Canvas(), Rect(0, 0, 200, 20), 0);
  tree.GetOptions().SetPaintOptions(tree.GetOptions().PaintOptions() & ~toThemeAware);
  ASSERT_FALSE(tree.UseThemes());
  TBitmap plain;
  plain.SetPixelFormat(pf24bit);
  plain.SetSize(200, 20);
  tree.Header().Columns().PaintHeader(plain.Canvas(), Rect(0, 0, 200, 20), 0);
  int different = 0;
  for (int32_t y = 0; y < 20; ++y)
    for (int32_t x = 0; x < 200; ++x)
      different += themed.Canvas().Pixel(x, y) != plain.Canvas().Pixel(x, y) ? 1 : 0;
  EXPECT_GT(different, 50);
}

TEST(TreePaintTest, BackgroundPictureIsTiledAndScrollsWithTheTree) {
  TNodeTree tree;
  tree.SetBounds(0, 0, 60, 80);
  tree.SetDefaultNodeHeight(7);
  for (int i = 0; i < 5; ++i) tree.InsertNode(nullptr, amAddChildLast);
  TBitmap& picture = tree.Background();
  picture.SetPixelFormat(pf24bit);
  picture.SetSize(5, 3);
  for (int32_t y = 0; y < 3; ++y)
    for (int32_t x = 0; x < 5; ++x)
      picture.Canvas().SetPixel(x, y, static_cast<TColor>(0x102030 + 0x10 * x + 0x1000 * y));
  TNodeTreeOptions& options = tree.GetOptions();
  options.SetPaintOptions((options.PaintOptions() | toShowBackground) & ~(toShowTreeLines | toShowButtons));
  TBitmap painted;
  painted.SetPixelFormat(pf24bit);
  painted.SetSize(60, 60);
  // A window 10 pixels down the tree: rows and the area below them continue the same tiling.
  tree.PaintTree(painted.Canvas(), Rect(0, 10, 60, 70), Point(0, 0), poBackground);
  for (int32_t y = 0; y < 60; ++y)
    for (int32_t x = 0; x < 60; ++x)
      ASSERT_EQ(painted.Canvas().Pixel(x, y), picture.Canvas().Pixel(x % 5, (y + 10) % 3)) << x << "," << y;
}

TEST(TreePaintTest, SelectionRectangleIsBlendedOverRowsAndTheAreaBelow) {
  TNodeTree tree;
  tree.SetBounds(0, 0, 60, 60);
  tree.SetDefaultNodeHeight(10);
  tree.SetColor(clWhite);
  tree.GetOptions().SetPaintOptions(tree.GetOptions().PaintOptions() & ~(toShowTreeLines | toShowButtons));
  tree.InsertNode(nullptr, amAddChildLast);
  tree.SetDrawSelectionMode(smBlendedRectangle);
  tree.SetSelectionBlendFactor(128);
  tree.SetColors(ciSelectionRectangleBlend, 0x0000FF);   // red
  tree.SetColors(ciSelectionRectangleBorder, 0x000000);  // black frame
  tree.SetSelectionRect(Rect(40, 25, 10, 5));            // given the wrong way round
  tree.IncludeState(tsRectSelecting);
  TBitmap painted;
  painted.SetPixelFormat(pf24bit);
  painted.SetSize(60, 60);
  tree.PaintTree(painted.Canvas(), Rect(0, 0, 60, 60), Point(0, 0), poDrawSelection);
  const TColor blended = 0x7F7FFF;                      // half white, half red
  EXPECT_EQ(painted.Canvas().Pixel(20, 8), blended);    // inside, on the row
  EXPECT_EQ(painted.Canvas().Pixel(20, 20), blended);   // inside, below the last row
  EXPECT_EQ(painted.Canvas().Pixel(10, 15), 0x000000);  // the frame
  EXPECT_EQ(painted.Canvas().Pixel(45, 15), clWhite);   // outside
  tree.ExcludeState(tsRectSelecting);
  tree.PaintTree(painted.Canvas(), Rect(0, 0, 60, 60), Point(0, 0), poDrawSelection);
  EXPECT_EQ(painted.Canvas().Pixel(20, 20), clWhite);
}

TEST(TreePaintTest, HotStripIsBuiltFromTheSharedImages) {
  TNodeTree tree;
  tree.SetBounds(0, 0, 200, 100);
  tree.GetOptions().SetPaintOptions(tree.GetOptions().PaintOptions() & ~toThemeAware);
  TNodeTreeHeader& header = tree.Header();
  header.SetHeight(20);
  header.SetStyle(3);
  header.SetOptions(header.Options() | hoHotTrack);
  TNodeTreeColumns& columns = header.Columns();
  columns.Add()->SetWidth(100);
  columns.Add()->SetWidth(30);
  // What a picture of the shared list looks like at (x, y) over the XP-like hot fill.
  auto expected = [](int index, int32_t x, int32_t y) {
    TBitmap piece;
    piece.SetPixelFormat(pf24bit);
    piece.SetSize(16, 16);
    piece.Canvas().Brush().SetColor(0xF3F8FA);
    piece.Canvas().FillRect(Rect(0, 0, 16, 16));
    UtilityImages().Draw(piece.Canvas(), 0, 0, index);
    return piece.Canvas().Pixel(x, y);
  };
  TBitmap painted;
  painted.SetPixelFormat(pf24bit);
  painted.SetSize(200, 20);
  for (int32_t hover : {0, 1}) {
    columns.HoverIndex = hover;
    columns.PaintHeader(painted.Canvas(), Rect(0, 0, 200, 20), 0);
    for (int32_t row = 0; row < 3; ++row) {
      if (hover == 0) {
        // Wide: left end, repeated middle, right end.
        EXPECT_EQ(painted.Canvas().Pixel(0, 17 + row), expected(6, 0, row)) << row;
        EXPECT_EQ(painted.Canvas().Pixel(40, 17 + row), expected(7, 8, row)) << row;
        EXPECT_EQ(painted.Canvas().Pixel(99, 17 + row), expected(8, 15, row)) << row;
      } else {
        // Narrow: the left end covers only the left half, the right end the rest.
        EXPECT_EQ(painted.Canvas().Pixel(100, 17 + row), expected(6, 0, row)) << row;
        EXPECT_EQ(painted.Canvas().Pixel(129, 17 + row), expected(8, 15, row)) << row;
      }
    }
  }
  EXPECT_NE(expected(6, 0, 0), expected(7, 0, 0));  // the ends are rounded
  EXPECT_NE(expected(8, 15, 0), expected(7, 15, 0));
}

TEST(TreePaintTest, EmptyTreePaintsOnlyTheBackground) {
  TNodeTree tree;
  tree.SetColor(0x336699);
  TBitmap painted;
  painted.SetPixelFormat(pf24bit);
  painted.SetSize(50, 40);
  tree.PaintTree(painted.Canvas(), Rect(0, 0, 50, 40), Point(0, 0), kAllPaintOptions);
  for (int32_t y = 0; y < 40; y += 3)
    for (int32_t x = 0; x < 50; x += 3) ASSERT_EQ(painted.Canvas().Pixel(x, y), 0x336699);
}

TEST(TreePaintTest, CustomLineStyleTakesThePatternTheOwnerSupplies) {
  TNodeTree tree;
  const uint8_t dotted[8] = {0xAA, 0x55, 0xAA, 0x55, 0xAA, 0x55, 0xAA, 0x55};
  static constexpr uint8_t kDashes[8] = {0x0F, 0x0F, 0x0F, 0x0F, 0x0F, 0x0F, 0x0F, 0x0F};
  auto pattern = [&] { return std::vector<uint8_t>(tree.LinePattern(), tree.LinePattern() + 8); };
  tree.SetLineStyle(lsCustomStyle);
  EXPECT_EQ(pattern(), std::vector<uint8_t>(dotted, dotted + 8));  // no hook: dots
  tree.OnGetLineStyle = [](TNodeTree*, const uint8_t*& bits) { bits = kDashes; };
  tree.BuildButtonBitmaps(false, true);
  EXPECT_EQ(pattern(), std::vector<uint8_t>(kDashes, kDashes + 8));
  tree.SetLineStyle(lsDotted);  // only the custom style asks
  EXPECT_EQ(pattern(), std::vector<uint8_t>(dotted, dotted + 8));
  tree.OnGetLineStyle = [](TNodeTree*, const uint8_t*& bits) { bits = nullptr; };
  tree.SetLineStyle(lsCustomStyle);
  EXPECT_EQ(pattern(), std::vector<uint8_t>(dotted, dotted + 8));
}

TEST(TreePaintTest, RightToLeftCellsMayLeaveOutTheirVerticalGridLine) {
  TNodeTree tree;
  tree.SetBounds(0, 0, 200, 100);
  tree.SetColors(ciGridLine, clRed);
  tree.GetOptions().SetPaintOptions((tree.GetOptions().PaintOptions() | toShowVertGridLines) & ~toThemeAware);
  TNodeTreeColumns& columns = tree.Header().Columns();
  columns.Add()->SetWidth(100);
  columns.Add()->SetWidth(100);
  Add(tree, nullptr, "One");
  std::vector<int32_t> asked;
  tree.OnSkipVerticalGridLine = [&](TNodeTree*, PNode, int32_t column, bool& skip) {
    asked.push_back(column);
    skip = true;
  };
  // Red pixels on the first column's right edge, in the first row.
  auto linePixels = [&] {
    TBitmap painted;
    painted.SetPixelFormat(pf24bit);
    painted.SetSize(200, 100);
    tree.PaintTree(painted.Canvas(), Rect(0, 0, 200, 100), Point(0, 0), poGridLines);
    int count = 0;
    for (int32_t y = 0; y < tree.DefaultNodeHeight(); ++y) count += painted.Canvas().Pixel(99, y) == clRed;
    return count;
  };
  EXPECT_GT(linePixels(), 2);  // left-to-right: drawn, the hook is not asked
  EXPECT_TRUE(asked.empty());
  columns.Column(0)->SetBiDiMode(bdRightToLeft);
  EXPECT_EQ(linePixels(), 0);
  EXPECT_EQ(asked, (std::vector<int32_t>{0}));
  tree.OnSkipVerticalGridLine = nullptr;
  EXPECT_GT(linePixels(), 2);
}

TEST(TreePaintTest, TriangleButtonsWhateverTheFillMode) {
  TNodeTree tree;
  tree.SetButtonFillMode(fmWindowColor);
  tree.SetButtonStyle(bsTriangle);
  TBitmap& plus = tree.PlusBitmap();
  TBitmap& minus = tree.MinusBitmap();
  ASSERT_EQ(plus.Width(), 9);
  // The plus triangle points right: its left column is filled, its right column is not.
  EXPECT_EQ(plus.Canvas().Pixel(2, 4), clBlack);
  EXPECT_EQ(plus.Canvas().Pixel(8, 4), 0xFF00FF);
  // The minus triangle points down.
  EXPECT_EQ(minus.Canvas().Pixel(4, 3), clBlack);
  EXPECT_EQ(minus.Canvas().Pixel(4, 8), 0xFF00FF);
  tree.SetButtonStyle(bsRectangle);
  EXPECT_EQ(plus.Canvas().Pixel(4, 3), ColorToRGB(tree.Font().Color()));  // the plus's vertical stroke
  EXPECT_NE(minus.Canvas().Pixel(4, 3), ColorToRGB(tree.Font().Color()));
}

TEST(TreePaintTest, ShadedButtonsComeFromTheirPicturesAndPaint) {
  TNodeTree tree;
  tree.SetBounds(0, 0, 100, 60);
  tree.GetOptions().SetPaintOptions(tree.GetOptions().PaintOptions() & ~toThemeAware);
  tree.SetButtonFillMode(fmShaded);
  TBitmap& plus = tree.PlusBitmap();
  TBitmap& minus = tree.MinusBitmap();
  ASSERT_EQ(plus.Width(), 9);
  ASSERT_EQ(minus.Height(), 9);
  EXPECT_EQ(plus.Canvas().Pixel(0, 0), 0xFF00FF);  // rounded, transparent corners
  EXPECT_EQ(minus.Canvas().Pixel(8, 8), 0xFF00FF);
  EXPECT_EQ(plus.Canvas().Pixel(4, 2), clBlack);  // the plus's vertical stroke
  EXPECT_EQ(plus.Canvas().Pixel(2, 4), clBlack);
  EXPECT_EQ(minus.Canvas().Pixel(2, 4), clBlack);
  EXPECT_NE(minus.Canvas().Pixel(4, 2), clBlack);
  // The fill is shaded: lighter at the top than at the bottom.
  EXPECT_GT(plus.Canvas().Pixel(2, 1) & 0xFF, plus.Canvas().Pixel(2, 7) & 0xFF);
  // A tree with a button paints with them.
  PNode parent = Add(tree, nullptr, "Parent");
  Add(tree, parent, "Child");
  TBitmap painted;
  painted.SetPixelFormat(pf24bit);
  painted.SetSize(100, 60);
  tree.PaintTree(painted.Canvas(), Rect(0, 0, 100, 60), Point(0, 0), kAllPaintOptions);
  int black = 0;
  for (int32_t y = 0; y < tree.DefaultNodeHeight(); ++y)
    for (int32_t x = 0; x < tree.Indent(); ++x) black += painted.Canvas().Pixel(x, y) == clBlack;
  EXPECT_GE(black, 9);  // both strokes of the plus
}

TEST(TreePaintTest, ProportionalAlignmentRoundsTheButtonPlace) {
  TNodeTree tree;
  tree.SetBounds(0, 0, 100, 60);
  tree.GetOptions().SetPaintOptions(tree.GetOptions().PaintOptions() & ~(toThemeAware | toShowTreeLines));
  tree.SetButtonStyle(bsTriangle);
  tree.SetNodeAlignment(naProportional);
  tree.SetDefaultNodeHeight(18);
  PNode parent = Add(tree, nullptr, "Parent");
  Add(tree, parent, "Child");
  TBitmap painted;
  painted.SetPixelFormat(pf24bit);
  painted.SetSize(100, 60);
  tree.PaintTree(painted.Canvas(), Rect(0, 0, 100, 60), Point(0, 0), 0);
  int32_t firstBlack = -1;
  for (int32_t y = 0; y < 18 && firstBlack < 0; ++y)
    for (int32_t x = 0; x < tree.Indent(); ++x)
      if (painted.Canvas().Pixel(x, y) == clBlack) firstBlack = y;
  // (18 - 9) x 50% is 4.5, rounded to 5; the 9-pixel button is centred there: 5 + 4 - 4.
  EXPECT_EQ(firstBlack, 5);
}

TEST(TreePaintTest, BlendingMixesTheColourAndRefusesOtherFormats) {
  TBitmap target;
  target.SetPixelFormat(pf32bit);
  target.SetSize(4, 4);
  target.Canvas().Brush().SetColor(0x000000);
  target.Canvas().FillRect(Rect(0, 0, 4, 4));
  BlendRectangle(nullptr, &target, Rect(0, 0, 2, 2), Point(1, 1), bmConstantAlphaAndColor, 128,
                 0x0000FF);  // red
  EXPECT_EQ(target.Canvas().Pixel(1, 1), 0x00007F);
  EXPECT_EQ(target.Canvas().Pixel(2, 2), 0x00007F);
  EXPECT_EQ(target.Canvas().Pixel(0, 0), 0x000000);
  EXPECT_EQ(target.Canvas().Pixel(3, 3), 0x000000);

  TBitmap source;
  source.SetPixelFormat(pf32bit);
  source.SetSize(2, 2);
  source.Canvas().Brush().SetColor(0xFFFFFF);
  source.Canvas().FillRect(Rect(0, 0, 2, 2));
  BlendRectangle(&source, &target, Rect(0, 0, 1, 1), Point(0, 0), bmConstantAlpha, 256, 0);
  EXPECT_EQ(target.Canvas().Pixel(0, 0), 0xFFFFFF);

  TBitmap wrong;
  wrong.SetPixelFormat(pf24bit);
  wrong.SetSize(2, 2);
  wrong.Canvas().Brush().SetColor(0x101010);
  wrong.Canvas().FillRect(Rect(0, 0, 2, 2));
  try {
    BlendRectangle(nullptr, &wrong, Rect(0, 0, 2, 2), Point(0, 0), bmConstantAlphaAndColor, 128, 0);
    FAIL();
  } catch (const EAssertionFailed& error) {
    EXPECT_STREQ(error.what(), "Alpha blending error: bitmap must use 32 bpp.");
  }
  EXPECT_EQ(wrong.Canvas().Pixel(0, 0), 0x101010);
}

}  // namespace
