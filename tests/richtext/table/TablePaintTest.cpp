// Table painting, checked pixel by pixel in a bitmap: backgrounds, the five border styles,
// rules, the dotted grid of hidden borders in an editor, the border hook, selected and edited
// cells, cell content at its place, and page breaks between rows.
#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <map>
#include <string>
#include <utility>
#include <vector>

#include "TableViewSupport.h"
#include "platform/graphics/Bitmap.h"
#include "platform/graphics/SystemColors.h"
#include "platform/gui/Forms.h"
#include "platform/gui/WindowGrab.h"

namespace {

using tabletest::Blank;
using tabletest::TFakeEditor;
using tabletest::TPaintDoc;

class TablePaintTest : public ::testing::Test {
 protected:
  void SetUp() override {
    doc.SetRVStyle(&style);
    doc.width = 300;
    doc.height = 200;
    auto item = TRVTableItemInfo::CreateWithSize(2, 2, &doc);
    table = item.get();
    doc.AddItem("", std::move(item));
    table->Color = clYellow;
  }
  /// Formats the document and paints it on white; X and Y receive the table's corner.
  TBitmap& Paint() {
    doc.Format(true);
    X = doc.DrawItems()[0]->Left;
    Y = doc.DrawItems()[0]->Top;
    Blank(bitmap, doc.width, doc.height);
    doc.Paint(bitmap.Canvas(), Rect(0, 0, doc.width, doc.height));
    return bitmap;
  }
  TColor At(int32_t x, int32_t y) { return bitmap.Canvas().Pixel(x, y); }
  /// Corners of the table as painted.
  int32_t Right() const { return X + table->FormattingInfo.Width - 1; }
  int32_t Bottom() const { return Y + table->FormattingInfo.Height - 1; }
  TRect CellRect(int r, int c) const {
    const TRVTableCellData* cell = table->GetCell(r, c);
    return Bounds(X + cell->Left, Y + cell->Top, cell->Width, cell->Height);
  }

  TRVStyle style;
  TPaintDoc doc;
  TRVTableItemInfo* table = nullptr;
  TBitmap bitmap;
  int32_t X = 0, Y = 0;
};

TEST_F(TablePaintTest, ColourBordersFrameTheTableAndTheCells) {
  table->BorderWidth = 2;
  table->BorderStyle = rvtbColor;
  table->BorderColor = clRed;
  table->CellBorderWidth = 1;
  table->CellBorderStyle = rvtbColor;
  table->CellBorderColor = clBlue;
  table->GetCell(0, 0)->Color = clLime;
  Paint();
  EXPECT_EQ(At(X, Y), clRed);
  EXPECT_EQ(At(X + 1, Y + 1), clRed);
  EXPECT_EQ(At(Right() - 1, Bottom() - 1), clRed);
  EXPECT_EQ(At(X + 2, Y + 2), clYellow);  // border spacing shows the table's colour
  const TRect c00 = CellRect(0, 0);
  EXPECT_EQ(At(c00.Left + 3, c00.Top + 3), clLime);
  EXPECT_EQ(At(c00.Left - 1, c00.Top + 3), clBlue);
  EXPECT_EQ(At(c00.Right, c00.Bottom), clBlue);
  // A transparent cell shows the table behind it, inside its own border.
  const TRect c11 = CellRect(1, 1);
  EXPECT_EQ(At(c11.Left + 3, c11.Top + 3), clYellow);
  EXPECT_EQ(At(c11.Left - 1, c11.Top - 1), clBlue);

  // A colour border of no colour draws nothing.
  table->BorderColor = clNone;
  Paint();
  EXPECT_EQ(At(X, Y), clYellow);
}

TEST_F(TablePaintTest, ThreeDimensionalStylesLightTheTopLeft) {
  struct Case {
    TRVTableBorderStyle Style;
    TColor TopLeft, BottomRight;
  };
  // On a white document the highlight would vanish: button face takes its place.
  const Case cases[] = {{rvtbRaised, clBtnFace, clBtnShadow},
                        {rvtbLowered, clBtnShadow, clBtnFace},
                        {rvtbRaisedColor, clAqua, clNavy},
                        {rvtbLoweredColor, clNavy, clAqua}};
  table->BorderWidth = 2;
  table->BorderColor = clNavy;
  table->BorderLightColor = clAqua;
  for (const Case& c : cases) {
    table->BorderStyle = c.Style;
    Paint();
    SCOPED_TRACE(static_cast<int>(c.Style));
    for (int i = 0; i < 2; ++i) {
      EXPECT_EQ(At(X + i, Y + 5), ColorToRGB(c.TopLeft));
      EXPECT_EQ(At(X + 5, Y + i), ColorToRGB(c.TopLeft));
      EXPECT_EQ(At(Right() - i, Y + 5), ColorToRGB(c.BottomRight));
      EXPECT_EQ(At(X + 5, Bottom() - i), ColorToRGB(c.BottomRight));
    }
    EXPECT_EQ(At(X + 2, Y + 5), clYellow);
  }
  // On a coloured document the highlight itself is used.
  doc.color = clGray;
  table->BorderStyle = rvtbRaised;
  Paint();
  EXPECT_EQ(At(X, Y + 5), ColorToRGB(clBtnHighlight));
}

TEST_F(TablePaintTest, HiddenSidesAreDottedOnlyWhileEdited) {
  table->State |= rvtsEditMode;
  table->CellBorderWidth = 1;
  table->CellBorderStyle = rvtbColor;
  table->CellBorderColor = clBlue;
  table->GetCell(1, 1)->VisibleBorders.SetAll(false);
  Paint();
  const TColor face = ColorToRGB(clBtnFace);
  // The table's border of width 0 is a dotted outline: one pixel on, two off.
  EXPECT_EQ(At(X, Y), face);
  EXPECT_EQ(At(X + 1, Y), clYellow);
  EXPECT_EQ(At(X + 3, Y), face);
  int leftDots = 0;
  for (int32_t y = Y; y <= Bottom(); ++y) leftDots += At(X, y) == face;
  EXPECT_GE(leftDots, (Bottom() - Y) / 3 - 1);
  EXPECT_LE(leftDots, (Bottom() - Y) / 3 + 2);
  // The hidden cell border shows four dotted sides, and no blue.
  const TRect c11 = CellRect(1, 1);
  const int32_t l = c11.Left - 1, t = c11.Top - 1, r = c11.Right, b = c11.Bottom;
  EXPECT_EQ(At(l, t), face);
  EXPECT_EQ(At(r, t), face);
  EXPECT_EQ(At(l, b), face);
  EXPECT_EQ(At(r, b), face);
  EXPECT_EQ(At(l, t + 1), clYellow);
  // A visible cell border is drawn as usual.
  const TRect c00 = CellRect(0, 0);
  EXPECT_EQ(At(c00.Left - 1, c00.Top + 1), clBlue);

  // Asked to hide grid lines, or printed, the table shows none.
  table->Options |= rvtoHideGridLines;
  Paint();
  EXPECT_EQ(At(X, Y), clYellow);
  EXPECT_EQ(At(l, t), clYellow);
  table->Options &= ~rvtoHideGridLines;
  Blank(bitmap, doc.width, doc.height);
  table->PaintTo(bitmap.Canvas(), X, Y, Rect(0, 0, doc.width, doc.height), table->FormattingInfo,
                 rvtpPrinting, 0, 0, 2, 0);
  EXPECT_EQ(At(X, Y), clYellow);
  EXPECT_EQ(At(l, t), clYellow);
}

TEST_F(TablePaintTest, AbsurdWidthsFromAFileStillPaintPromptly) {
  table->BorderWidth = 1 << 26;
  table->BorderStyle = rvtbColor;
  table->BorderColor = clRed;
  table->CellBorderWidth = 1 << 20;
  table->CellBorderStyle = rvtbRaised;
  table->VRuleWidth = 1 << 26;
  table->VRuleColor = clBlue;
  Paint();
  EXPECT_EQ(At(X, Y), clRed);
  EXPECT_EQ(At(doc.width - 1, doc.height - 1), clRed);
}

TEST_F(TablePaintTest, BorderHookSuppressesOnlyTheBorderItDeclines) {
  table->BorderWidth = 1;
  table->BorderStyle = rvtbColor;
  table->BorderColor = clRed;
  table->CellBorderWidth = 1;
  table->CellBorderStyle = rvtbColor;
  table->CellBorderColor = clBlue;
  std::vector<std::string> asked;
  table->OnDrawBorder = [&](TRVTableItemInfo*, TCanvas&, const TRVTableBorder& border, bool& doDefault) {
    asked.push_back(std::to_string(border.Row) + "," + std::to_string(border.Col));
    if (border.Row < 0) doDefault = false;
  };
  Paint();
  EXPECT_EQ(asked, (std::vector<std::string>{"-1,-1", "0,0", "0,1", "1,0", "1,1"}));
  EXPECT_EQ(At(X, Y), clYellow);
  const TRect c00 = CellRect(0, 0);
  EXPECT_EQ(At(c00.Left - 1, c00.Top), clBlue);
}

TEST_F(TablePaintTest, RulesAreCentredInTheGaps) {
  table->VRuleWidth = 3;
  table->VRuleColor = clRed;
  table->HRuleWidth = 1;
  table->HRuleColor = clBlue;
  table->HOutermostRule = true;
  Paint();
  // The gap before the second column is 2 pixels; three lines start a pixel left of its centre.
  const int32_t gapEnd = CellRect(0, 1).Left;
  const int32_t y = CellRect(0, 0).Top + 4;
  EXPECT_EQ(At(gapEnd - 3, y), clYellow);
  EXPECT_EQ(At(gapEnd - 2, y), clRed);
  EXPECT_EQ(At(gapEnd - 1, y), clRed);
  EXPECT_EQ(At(gapEnd, y), clRed);
  EXPECT_EQ(At(gapEnd + 1, y), clYellow);
  // No outermost vertical rules were asked for.
  EXPECT_EQ(At(X + 1, y), clYellow);
  // A horizontal rule between the rows, and outermost ones in the border spacing.
  const int32_t x = CellRect(0, 0).Left + 4;
  EXPECT_EQ(At(x, CellRect(1, 0).Top - 1), clBlue);
  EXPECT_EQ(At(x, CellRect(1, 0).Top - 2), clYellow);
  EXPECT_EQ(At(x, Y + 1), clBlue);
  EXPECT_EQ(At(x, Bottom()), clBlue);
}

TEST_F(TablePaintTest, SelectedCellsTakeTheSelectionColour) {
  table->GetCell(0, 0)->Color = clLime;
  TRVTableCellData* text = table->GetCell(0, 1);
  text->Clear();
  text->AddTextItem("WWW", 0, 0);
  table->State |= rvtsCellsSelected;
  table->SelStartRow = 0;
  table->SelStartCol = 0;
  table->SelColOffs = 1;
  Paint();
  const TColor sel = ColorToRGB(style.InactiveSelColor);
  EXPECT_EQ(At(CellRect(0, 0).Left + 3, CellRect(0, 0).Top + 3), sel);
  EXPECT_EQ(At(CellRect(0, 1).Left + 3, CellRect(0, 1).Top + 3), sel);
  EXPECT_EQ(At(CellRect(1, 1).Left + 3, CellRect(1, 1).Top + 3), clYellow);
  // The selected cell's text is drawn as selected (no black glyphs), and only while painted.
  const TRect r = CellRect(0, 1);
  int black = 0;
  for (int32_t y = r.Top; y < r.Bottom; ++y)
    for (int32_t x = r.Left; x < r.Right; ++x) black += At(x, y) == clBlack;
  EXPECT_EQ(black, 0);
  EXPECT_EQ(text->StateFlags & rvstWholeDataSelected, 0u);
}

TEST_F(TablePaintTest, SelectionCoversWholeMergedCells) {
  table->Rows().InsertRows(2, 1, 1, false);
  table->Rows().InsertCols(2, 1, 1, false);
  ASSERT_TRUE(table->Rows().MergeCells(1, 1, 2, 2, true, false));
  table->State |= rvtsCellsSelected;
  table->SelStartRow = 0;
  table->SelStartCol = 0;
  table->SelRowOffs = 1;
  table->SelColOffs = 1;
  int top = 0, left = 0, cols = 0, rows = 0;
  ASSERT_TRUE(table->GetSelectionBounds(top, left, cols, rows));
  EXPECT_EQ((std::vector<int>{top, left, cols, rows}), (std::vector<int>{0, 0, 3, 3}));
  EXPECT_TRUE(table->IsCellSelected(2, 2));
  EXPECT_TRUE(table->IsCellSelected(0, 2));
  // Without the selection in force, or with an anchor outside the grid, nothing is selected.
  table->SelStartRow = 7;
  EXPECT_FALSE(table->IsCellSelected(0, 0));
  table->SelStartRow = 0;
  table->State &= ~rvtsCellsSelected;
  EXPECT_FALSE(table->IsCellSelected(0, 0));
}

TEST_F(TablePaintTest, CellContentIsDrawnWhereItsAlignmentPutsItAndNoWider) {
  style.TextStyles().Items(0)->Size = 48;
  TRVTableCellData* cell = table->GetCell(1, 1);
  cell->Clear();
  cell->AddTextItem("W", 0, 0);
  cell->BestHeight = 150;
  cell->VAlign = rvcBottom;
  table->BestWidth = 1;  // the columns squeezed to the minimum a word asks for
  Paint();
  const TRect r = CellRect(1, 1);
  ASSERT_LT(r.Width(), 40) << "the glyph is wider than its cell";
  int dark = 0, darkOutside = 0, darkInTopHalf = 0;
  for (int32_t y = 0; y < doc.height; ++y)
    for (int32_t x = 0; x < doc.width; ++x) {
      const TColor p = At(x, y);
      if ((p & 0xFF) > 100) continue;
      ++dark;
      darkOutside += !r.Contains(x, y);
      darkInTopHalf += y < r.Top + r.Height() / 2;
    }
  EXPECT_GT(dark, 20);
  EXPECT_EQ(darkOutside, 0);
  EXPECT_EQ(darkInTopHalf, 0);
}

TEST_F(TablePaintTest, AnEditedCellIsLeftToTheEditor) {
  TRVTableCellData* cell = table->GetCell(0, 0);
  cell->Clear();
  cell->AddTextItem("WWW", 0, 0);
  table->CellBorderColor = clRed;
  TFakeEditor editor(*table, 0, 0);
  Paint();
  const TRect r = CellRect(0, 0);
  int dark = 0;
  for (int32_t y = r.Top; y < r.Bottom; ++y)
    for (int32_t x = r.Left; x < r.Right; ++x) dark += (At(x, y) & 0xFF) < 100;
  EXPECT_EQ(dark, 0);
  // An editor that scrolls itself gets a hatch of the border colour on the window colour.
  editor.scrolls = true;
  Paint();
  int red = 0, window = 0;
  for (int32_t y = r.Top; y < r.Bottom; ++y)
    for (int32_t x = r.Left; x < r.Right; ++x) {
      red += At(x, y) == clRed;
      window += At(x, y) == ColorToRGB(clWindow);
    }
  EXPECT_GT(red, 5);
  EXPECT_GT(window, 5);
}

TEST_F(TablePaintTest, BackgroundPicturesAndTheBackgroundUnderACell) {
  // A tiled picture whose left half is red and right half blue.
  TBitmap picture;
  Blank(picture, 10, 4);
  picture.Canvas().Brush().SetColor(clRed);
  picture.Canvas().FillRect(Rect(0, 0, 5, 4));
  picture.Canvas().Brush().SetColor(clBlue);
  picture.Canvas().FillRect(Rect(5, 0, 10, 4));
  table->SetBackgroundImage(&picture);
  table->SetBackgroundStyle(rvbsTiled);
  TRVTableCellData* cell = table->GetCell(1, 1);
  cell->SetBackgroundImageEx(&picture);
  cell->SetBackgroundStyle(rvbsTiled);
  Paint();
  EXPECT_EQ(At(X, Y), clRed);
  EXPECT_EQ(At(X + 7, Y), clBlue);
  const TRect c11 = CellRect(1, 1);
  EXPECT_EQ(At(c11.Left, c11.Top), clRed);
  EXPECT_EQ(At(c11.Left + 6, c11.Top), clBlue);

  // The editor's view of the table under a cell continues the table's tiles.
  TBitmap under;
  Blank(under, 20, 4);
  const TRVTableCellData& c01 = *table->GetCell(0, 1);
  table->PaintBackgroundForCell(under.Canvas(), c01, Rect(0, 0, 20, 4));
  for (int32_t x = 0; x < 20; ++x)
    EXPECT_EQ(under.Canvas().Pixel(x, 0), (c01.Left + x) % 10 < 5 ? clRed : clBlue) << x;
}

TEST(TableSizingLineTest, DrawsThreeDotsEveryEightPixels) {
  TBitmap bitmap;
  Blank(bitmap, 3, 20);
  bitmap.Canvas().Pen().SetColor(clBlack);
  TRVTableItemInfo::DrawSizingLineV(bitmap.Canvas(), 1, 2, 13);
  std::string dots;
  for (int32_t y = 0; y < 20; ++y) dots += bitmap.Canvas().Pixel(1, y) == clBlack ? '#' : '.';
  EXPECT_EQ(dots, "..#.#.#...#.#.#.....");
}

}  // namespace

namespace {

// The whole road on a window: a viewer formats its document, paints the table line, and the
// window shows the table's frame around its coloured cell.
TEST(TableInViewerTest, AViewerWindowShowsTheTable) {
  viewertest::App();
  TRVStyle style;
  TForm form;
  form.SetBounds(0, 0, 400, 240);
  auto* viewer = new TRVViewer(&form);
  viewer->SetParent(&form);
  viewer->SetBounds(0, 0, 360, 200);
  viewer->SetStyle(&style);
  auto made = TRVTableItemInfo::CreateWithSize(2, 3, &viewer->RVData());
  TRVTableItemInfo* table = made.get();
  table->BorderWidth = 1;
  table->BorderStyle = rvtbColor;
  table->BorderColor = clRed;
  table->BestWidth = 150;
  table->GetCell(1, 2)->Color = clLime;
  viewer->RVData().AddItem("", std::move(made));
  viewer->Format();
  form.Show();
  viewer->Repaint();
  viewertest::App().ProcessMessages();
  TBitmap grab;
  ASSERT_TRUE(GrabControl(*viewer, grab));
  // The red frame's bounding box is the table's size; the lime cell lies inside it.
  int32_t left = INT32_MAX, top = INT32_MAX, right = -1, bottom = -1, lime = 0;
  for (int32_t y = 0; y < grab.Height(); ++y)
    for (int32_t x = 0; x < grab.Width(); ++x) {
      const TColor c = grab.Canvas().Pixel(x, y);
      lime += c == clLime;
      if (c != clRed) continue;
      left = std::min(left, x);
      top = std::min(top, y);
      right = std::max(right, x);
      bottom = std::max(bottom, y);
    }
  ASSERT_GE(right, 0) << "no border on the window";
  EXPECT_EQ(right - left + 1, table->FormattingInfo.Width);
  EXPECT_EQ(bottom - top + 1, table->FormattingInfo.Height);
  const TRVTableCellData& cell = *table->GetCell(1, 2);
  EXPECT_EQ(lime, cell.Width * cell.Height);
}

TEST_F(TablePaintTest, ASoftPageBreakBetweenRowsIsMarkedAtTheRowsTop) {
  doc.SetOptions(doc.GetOptions() | rvoShowPageBreaks);
  std::vector<int32_t> marks;
  style.OnDrawPageBreak = [&](TRVStyle&, TCanvas&, int32_t Y, int32_t, TRVPageBreakType Type, TObject*,
                              bool&) {
    if (Type == rvpbSoftPageBreak) marks.push_back(Y);
  };
  doc.SoftPageBreaks = std::make_unique<TRVSoftPageBreakList>(TRVSoftPageBreakList{{0, 0, 1}});
  Paint();
  EXPECT_EQ(marks, std::vector<int32_t>{Y - 1 + table->GetCell(1, 0)->Top});
}

// A bitmap of an area's size shows those pixels of the whole picture, scrolled or not, a table
// in a cell included; the drawing events get positions on it, the tables keep client ones.
TEST_F(TablePaintTest, AnAreaOnABitmapOfItsSizeShowsThosePixelsOfTheWholePicture) {
  TRVTableCellData* cell = table->GetCell(1, 0);
  auto made = TRVTableItemInfo::CreateWithSize(2, 2, cell);
  TRVTableItemInfo* inner = made.get();
  inner->Color = clLime;
  inner->BorderWidth = 1;
  cell->AddItem("", std::move(made));
  table->GetCell(1, 1)->AddTextItem("cell text", 1, 0);
  for (int i = 0; i < 12; ++i) doc.AddTextItem("Line " + std::to_string(i) + " below the table", i % 2, 0);
  std::map<std::pair<int, int>, int32_t> tops;  // of the document's own runs
  style.OnDrawStyleText = [&](TRVStyle& Sheet, const std::string&, TCanvas&, int, int32_t, int32_t,
                              int32_t Top, int32_t, int32_t, TRVTextDrawStates, bool&) {
    if (Sheet.RVData == &doc) tops[{Sheet.ItemNo, Sheet.OffsetInItem}] = Top;
  };
  const auto places = [&] {
    return std::vector<int32_t>{table->ClientLeft, table->ClientTop, inner->ClientLeft, inner->ClientTop};
  };
  const struct {
    int32_t hOffs, vOffs;
    TRect area;
  } cases[] = {{0, 0, Rect(0, 40, 300, 100)}, {0, 30, Rect(0, 40, 300, 100)}, {3, 5, Rect(4, 30, 90, 75)}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.vOffs);
    doc.hOffs = c.hOffs, doc.vOffs = c.vOffs;
    tops.clear();
    Paint();
    const auto wholeTops = std::exchange(tops, {});
    const auto wholePlaces = places();
    TBitmap part;
    Blank(part, c.area.Width(), c.area.Height());
    doc.Paint(part.Canvas(), c.area);
    int differing = 0;
    for (int32_t y = 0; y < c.area.Height(); ++y)
      for (int32_t x = 0; x < c.area.Width(); ++x)
        differing += part.Canvas().Pixel(x, y) != At(c.area.Left + x, c.area.Top + y);
    EXPECT_EQ(differing, 0);
    for (const auto& [run, top] : tops) EXPECT_EQ(top, wholeTops.at(run) - c.area.Top);
    EXPECT_EQ(places(), wholePlaces) << "hit testing goes on in client coordinates";
  }
}

}  // namespace
