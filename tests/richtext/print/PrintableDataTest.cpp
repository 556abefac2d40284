// The printable document data: its pages, the checks of page numbers, the page drawing's
// errors and colours, and documents drawn inside a rectangle of another one.
#include <gtest/gtest.h>

#include "PrintTestSupport.h"
#include "platform/graphics/PdfPrinter.h"
#include "richtext/core/RVError.h"
#include "richtext/core/RVItemPrint.h"
#include "richtext/viewer/RVPageDriver.h"
#include "richtext/viewer/RVPrintableData.h"

namespace {

using printtest::TPrintDocument;

/// Adds a page to Data.
TRVPageInfo& AddPage(TCustomMainPtblRVData& data, int32_t startY, int32_t startDrawItemNo, int32_t startPart,
                     int32_t startY2 = 0) {
  auto& page = static_cast<TRVPageInfo&>(*data.Pages().Add());
  page.StartY = startY;
  page.StartDrawItemNo = startDrawItemNo;
  page.StartPart = startPart;
  page.StartY2 = startY2;
  return page;
}

/// Answers the ERVError message of Call, or "" when it raised none.
template <typename F>
std::string ErrorOf(F&& call) {
  try {
    call();
  } catch (const ERVError& e) {
    return e.Message();
  }
  return "";
}

class PrintableDataTest : public ::testing::Test {
 protected:
  void SetUp() override {
    for (int i = 0; i < 6; ++i) doc.Text("Line " + std::to_string(i));
    data = std::make_unique<TCustomMainPtblRVData>(&doc.viewer);
    data->ShareItemsFrom(&doc.Data());
    canvasBitmap.SetSize(10, 10);
    data->Prepare(&canvasBitmap.Canvas());
    data->PrintableWidth = 400;
    data->PrintableHeight = 300;
    data->Format(true);
  }

  TPrintDocument doc;
  TBitmap canvasBitmap;
  std::unique_ptr<TCustomMainPtblRVData> data;
};

TEST_F(PrintableDataTest, SharesTheItemsOfTheDocumentItPrints) {
  EXPECT_TRUE(data->ShareItems());
  EXPECT_EQ(data->GetItemCount(), 6);
  EXPECT_EQ(data->DrawItems().Count(), 6);
  // Its formatting leaves the document's own drawn-piece numbers alone.
  doc.viewer.Format();
  EXPECT_EQ(doc.Data().GetItem(3)->DrawItemNo, 3);
  data.reset();
  EXPECT_EQ(doc.Data().GetItemCount(), 6);
}

TEST(PageInfoTest, AssignCopiesTheStartOnly) {
  TCollection pages(CollectionItemClass<TRVPageInfo>());
  auto& source = static_cast<TRVPageInfo&>(*pages.Add());
  source.StartY = 11;
  source.StartDrawItemNo = 22;
  source.StartPart = 3;
  source.StartY2 = 44;
  auto& copy = static_cast<TRVPageInfo&>(*pages.Add());
  copy.StartPart = 5;
  copy.StartY2 = 66;
  copy.Assign(&source);
  EXPECT_EQ(copy.StartY, 11);
  EXPECT_EQ(copy.StartDrawItemNo, 22);
  EXPECT_EQ(copy.StartPart, 5);
  EXPECT_EQ(copy.StartY2, 66);
}

TEST_F(PrintableDataTest, EveryPageAccessorChecksThePageNumber) {
  AddPage(*data, 0, 0, 0);
  AddPage(*data, 100, 3, 0);
  const std::string invalid = "Invalid page number is specified for printing";
  EXPECT_EQ(ErrorOf([&] { data->CheckPageNo(0); }), invalid);
  EXPECT_EQ(ErrorOf([&] { data->CheckPageNo(3); }), invalid);
  EXPECT_EQ(ErrorOf([&] { data->CheckPageNo(2); }), "");
  EXPECT_EQ(ErrorOf([&] { data->GetPageTop(0); }), invalid);
  EXPECT_EQ(ErrorOf([&] { data->GetPageTopAfterSplit(3); }), invalid);
  int start = 0, part = 0, end = 0;
  EXPECT_EQ(ErrorOf([&] { data->GetDrawItemsRange(-1, start, part, end); }), invalid);
  // Drawing a page that does not exist draws nothing.
  auto bitmap = printtest::SolidBitmap(50, 50, clFuchsia);
  data->DrawPage(3, bitmap->Canvas(), false, false);
  EXPECT_EQ(bitmap->Canvas().Pixel(25, 25), clFuchsia);
}

TEST_F(PrintableDataTest, ThePageRangeEndsWhereTheNextPageStarts) {
  AddPage(*data, 0, 0, 0);
  AddPage(*data, 100, 3, 0);
  AddPage(*data, 150, 4, 2, 170);
  AddPage(*data, 200, 4, 3, 210);
  struct TCase {
    int PageNo, StartNo, StartPart, EndNo;
    bool SplitsEnd;
  };
  // Page 2 ends with the first part of piece 4, which page 3 continues; page 3 ends with
  // the same piece, and the last page runs to the end. The selection bounds name the split items.
  for (const TCase& c : {TCase{1, 0, -1, 2, false}, TCase{2, 3, -1, 4, true}, TCase{3, 4, 1, 4, true},
                         TCase{4, 4, 2, 5, false}}) {
    int start = -9, part = -9, end = -9, first = -9, firstOffs = -9, last = -9, lastOffs = -9;
    data->GetDrawItemsRange(c.PageNo, start, part, end);
    EXPECT_EQ(std::tuple(start, part, end), std::tuple(c.StartNo, c.StartPart, c.EndNo)) << c.PageNo;
    TCustomRVItemInfo *startPartial = nullptr, *endPartial = nullptr;
    data->GetPageSelectionBounds(c.PageNo, first, firstOffs, last, lastOffs, startPartial, endPartial);
    EXPECT_EQ(std::tuple(first, firstOffs, last, lastOffs),
              std::tuple(c.StartNo, 1, c.EndNo, data->GetItemEndOffset(c.EndNo)));
    EXPECT_EQ(startPartial, c.StartPart >= 0 ? data->GetItem(c.StartNo) : nullptr) << c.PageNo;
    EXPECT_EQ(endPartial, c.SplitsEnd ? data->GetItem(c.EndNo) : nullptr) << c.PageNo;
  }
  data->PrintableTop = 20;
  EXPECT_EQ(data->GetPageTop(2), 80);
  EXPECT_EQ(data->GetPageTopAfterSplit(3), 150);
}

TEST_F(PrintableDataTest, DrawingWithoutAStyleSheetIsAnError) {
  AddPage(*data, 0, 0, 0);
  doc.viewer.SetStyle(nullptr);
  auto bitmap = printtest::SolidBitmap(50, 50, clWhite);
  EXPECT_EQ(ErrorOf([&] { data->DrawPage(1, bitmap->Canvas(), false, false); }),
            "Style of printable TRVViewer component is not assigned");
  doc.viewer.SetStyle(&doc.style);
}

TEST_F(PrintableDataTest, TheStoredItemRangeIsForgottenOnClear) {
  int first = 0, last = 0;
  data->StoreItemRange(2, 4);
  ASSERT_TRUE(data->GetStoredItemRange(first, last));
  EXPECT_EQ(first, 2);
  EXPECT_EQ(last, 4);
  data->Clear();
  EXPECT_FALSE(data->GetStoredItemRange(first, last));
}

// ---- colours of the page -------------------------------------------------------------------------

/// Prints page 1 of Doc in colour mode Mode on a bitmap and answers a pixel of the printable
/// area where no text is.
TColor PaperOf(TPrintDocument& doc, TRVColorMode mode, bool transparent) {
  TRVPageDriver driver(doc.viewer);
  driver.ColorMode = mode;
  driver.LeftMarginMM = driver.TopMarginMM = driver.RightMarginMM = driver.BottomMarginMM = 5;
  auto page = printtest::SolidBitmap(300, 200, clFuchsia);
  driver.Data().Transparent = transparent;
  EXPECT_EQ(driver.FormatPages(page->Canvas(), 300, 200), 1);
  driver.DrawPage(1, page->Canvas());
  // Outside the printable area (5 mm, 19 pixels) the page is not touched.
  EXPECT_EQ(page->Canvas().Pixel(5, 5), clFuchsia);
  return page->Canvas().Pixel(250, 150);
}

TEST(PrintedPageColourTest, TheColourModeDecidesThePaperColour) {
  TPrintDocument doc;
  doc.Text("x");
  const TColor orange = 0x0080C0FF;
  doc.viewer.SetColor(orange);
  EXPECT_EQ(PaperOf(doc, 0, false), orange);
  EXPECT_EQ(PaperOf(doc, 2, false), RVColorToGray(orange));
  EXPECT_EQ(PaperOf(doc, 3, false), clWhite);
  EXPECT_EQ(PaperOf(doc, 3, true), clFuchsia);
  // The window colour is white on paper in mode 1, whatever the screen shows.
  doc.viewer.SetColor(clWindow);
  EXPECT_EQ(PaperOf(doc, 1, false), clWhite);
}

TEST(PrintedPageColourTest, AFailingItemLeavesNoWorkBitmapsBehind) {
  // An item whose printing fails: the exception passes DrawPage and nothing leaks.
  class TFailingItem : public TRVRectItemInfo {
   public:
    explicit TFailingItem(TCustomRVData* RVData) : TRVRectItemInfo(RVData) { StyleNo = -20; }
    int32_t GetImageWidth(TRVStyle*) const override { return 10; }
    int32_t GetImageHeight(TRVStyle*) const override { return 10; }
    int32_t GetTotalWidth() const override { return 12; }
    int32_t GetTotalHeight() const override { return 12; }
    bool PrintToBitmap(TBitmap&, bool, TCustomRVData*, TRVColorMode, int, TRVDrawLineInfo*) override {
      throw Exception("printing failed");
    }
  };
  TPrintDocument doc;
  doc.viewer.Background().TakeBitmap(printtest::SolidBitmap(8, 8, clAqua), nullptr);
  doc.viewer.Background().Style = bsTiled;
  doc.Text("before");
  doc.Item(std::make_unique<TFailingItem>(&doc.Data()));
  TRVPageDriver driver(doc.viewer);
  auto page = printtest::SolidBitmap(300, 200, clWhite);
  driver.FormatPages(page->Canvas(), 300, 200);
  EXPECT_THROW(driver.DrawPage(1, page->Canvas()), Exception);
  // The page background was drawn before the failure, and the next page draws again.
  EXPECT_EQ(page->Canvas().Pixel(150, 110), clAqua);
  EXPECT_THROW(driver.DrawPage(1, page->Canvas()), Exception);
}

TEST(PrintedPageColourTest, AnEmptyDocumentPrintsOneBlankPage) {
  TPrintDocument doc;
  doc.viewer.SetColor(clAqua);
  TRVPageDriver driver(doc.viewer);
  auto page = printtest::SolidBitmap(300, 200, clWhite);
  EXPECT_EQ(driver.FormatPages(page->Canvas(), 300, 200), 1);
  driver.DrawPage(1, page->Canvas());
  EXPECT_EQ(page->Canvas().Pixel(150, 100), clAqua);
}

TEST(PrintedPageColourTest, AnEnormousDisplaySizePrintsWithoutAnEnormousBitmap) {
  TPrintDocument doc;
  TRVGraphicItemInfo* picture = doc.Picture(printtest::SolidBitmap(4, 4, clRed));
  // What a file may say: 100000 x 100000 pixels (ten billion).
  picture->ImageWidth = 100000;
  picture->ImageHeight = 100000;
  TRVPageDriver driver(doc.viewer);
  auto page = printtest::SolidBitmap(300, 200, clWhite);
  driver.FormatPages(page->Canvas(), 300, 200);
  EXPECT_NO_THROW(driver.DrawPage(1, page->Canvas()));
  EXPECT_EQ(page->Canvas().Pixel(150, 100), clRed);
}

TEST(PrintedPageColourTest, ADeviceResolutionOfZeroNeverDivides) {
  // A printer that reports no resolution at all.
  class TNoResolutionData : public TCustomMainPtblRVData {
   public:
    using TCustomMainPtblRVData::TCustomMainPtblRVData;
    void GetScreenAndDeviceInfo(TCanvas*, TRVFormatScale& Scale) override {
      Scale = TRVFormatScale{0, 0, 0, 0, 0, 0};
    }
  };
  TPrintDocument doc;
  doc.Text("text");
  doc.Picture(printtest::SolidBitmap(20, 20, clRed), 5);
  doc.Data().GetItem(0)->ParaNo = 0;
  TNoResolutionData data(&doc.viewer);
  data.ShareItemsFrom(&doc.Data());
  auto page = printtest::SolidBitmap(300, 200, clWhite);
  data.Prepare(&page->Canvas());
  data.PrintableWidth = 200;
  data.PrintableHeight = 150;
  data.Format(true);
  AddPage(data, 0, 0, 0);
  EXPECT_NO_THROW(data.DrawPage(1, page->Canvas(), false, false));
}

/// A 20 x 20 picture whose fuchsia frame is transparent around a lime square.
std::unique_ptr<TBitmap> FramedSquare() {
  auto bitmap = printtest::SolidBitmap(20, 20, clFuchsia);
  bitmap->Canvas().Brush().SetColor(clLime);
  bitmap->Canvas().FillRect(Rect(6, 6, 14, 14));
  bitmap->SetTransparent(true);
  return bitmap;
}

TEST(PrintedPageColourTest, ATransparentPictureKeepsWhatLiesBehindIt) {
  TPrintDocument doc;
  doc.viewer.SetColor(clSilver);
  TParaInfo& yellow = *doc.style.ParaStyles().AddStyle();
  yellow.Background().Color = clYellow;
  TParaInfo& right = *doc.style.ParaStyles().AddStyle();
  right.Alignment = rvaRight;
  doc.Picture(FramedSquare())->ParaNo = 2;
  doc.Picture(FramedSquare())->ParaNo = 0;
  doc.Picture(FramedSquare())->ParaNo = 3;
  TRVPageDriver driver(doc.viewer);
  driver.ColorMode = 0;
  auto page = printtest::SolidBitmap(400, 300, clWhite);
  ASSERT_EQ(driver.FormatPages(page->Canvas(), 400, 300), 1);
  auto frameColour = [&](int DItemNo) {
    const TRVDrawLineInfo& piece = *driver.Data().DrawItems()[DItemNo];
    const int32_t x = driver.Data().GetPrintableLeft() + piece.Left + 3;
    const int32_t y = piece.Top - driver.Data().GetPageTop(1) + 3;
    EXPECT_EQ(page->Canvas().Pixel(x + 10, y + 10), clLime) << DItemNo;
    return page->Canvas().Pixel(x, y);
  };
  // On the paragraph's colour, and on the document's colour.
  driver.DrawPage(1, page->Canvas());
  EXPECT_EQ(frameColour(0), clYellow);
  EXPECT_EQ(frameColour(1), clSilver);
  // On the page background where the picture stands: its left half is aqua, its right navy.
  auto halves = printtest::SolidBitmap(2, 1, clAqua);
  halves->Canvas().SetPixel(1, 0, clNavy);
  doc.viewer.Background().TakeBitmap(std::move(halves), nullptr);
  doc.viewer.Background().Style = bsStretched;
  driver.DrawPage(1, page->Canvas());
  EXPECT_EQ(frameColour(0), clYellow);
  EXPECT_EQ(frameColour(1), clAqua);
  EXPECT_EQ(frameColour(2), clNavy);
}

// ---- a document inside a rectangle ---------------------------------------------------------------

TEST(RectPrintableDataTest, ADocumentInARectangleDrawsAtTheRectangle) {
  TPrintDocument doc;
  doc.style.TextStyles().Items(0)->Color = clBlack;
  doc.Text("MMMMMMMM");
  TPrintDocument cellDoc;
  cellDoc.Text("WWWW");
  TRVPageDriver driver(doc.viewer);
  auto page = printtest::SolidBitmap(400, 300, clWhite);
  driver.FormatPages(page->Canvas(), 400, 300);
  TCustomMainPtblRVData& main = driver.Data();

  TRectPtblRVData cell(&cellDoc.viewer, &main, &cellDoc.Data());
  cell.Left = 200;
  cell.DX = 10;
  cell.Top = 150;
  cell.DY = 5;
  cell.Width = 150;
  cell.Height = 60;
  cell.Color = clYellow;
  EXPECT_EQ(cell.GetPrintableLeft(), 210);
  EXPECT_EQ(cell.GetPrintableTop(), 155);
  EXPECT_EQ(cell.MainData(), &main);
  EXPECT_EQ(cell.GetCanvas(), main.GetCanvas());
  EXPECT_EQ(cell.GetRootData(), main.GetRootData());
  EXPECT_EQ(cell.GetParentData(), &main);
  main.ColorMode = 3;
  EXPECT_EQ(cell.GetColorMode(), 3);
  main.ColorMode = 0;

  cell.Format(true);
  ASSERT_EQ(cell.DrawItems().Count(), 1);
  cell.DrawPage(1, page->Canvas(), false, false);
  // The rectangle's colour fills it, and its text lies inside it.
  EXPECT_EQ(page->Canvas().Pixel(340, 200), clYellow);
  EXPECT_EQ(page->Canvas().Pixel(205, 200), clWhite);
  int ink = 0;
  for (int y = 155; y < 215; ++y)
    for (int x = 210; x < 360; ++x) ink += (page->Canvas().Pixel(x, y) & 0xFF) < 100;
  EXPECT_GT(ink, 20);
}

TEST(RectPrintableDataTest, ARectangleWithoutAParentDrawsOnItsOwn) {
  TPrintDocument cellDoc;
  cellDoc.Picture(FramedSquare());
  TRectPtblRVData cell(&cellDoc.viewer, nullptr, &cellDoc.Data());
  cell.DrawOnParentBack = true;
  cell.Width = 100;
  cell.Height = 60;
  cell.Color = clYellow;
  EXPECT_EQ(cell.GetRootData(), &cell);
  EXPECT_EQ(cell.MainData(), nullptr);
  EXPECT_EQ(cell.GetCanvas(), nullptr);
  EXPECT_EQ(cell.GetColorMode(), 1);
  auto page = printtest::SolidBitmap(200, 100, clWhite);
  EXPECT_NO_THROW(cell.DrawPage(1, page->Canvas(), false, false));
  EXPECT_EQ(page->Canvas().Pixel(90, 50), clYellow);
}

TEST(RectPrintableDataTest, BehindPicturesTheParentShowsThroughWhenAsked) {
  TPrintDocument doc;
  doc.viewer.SetColor(clSilver);
  doc.Text("x");
  TPrintDocument cellDoc;
  cellDoc.Picture(FramedSquare());
  TRVPageDriver driver(doc.viewer);
  driver.ColorMode = 0;
  auto page = printtest::SolidBitmap(400, 300, clWhite);
  driver.FormatPages(page->Canvas(), 400, 300);
  driver.DrawPage(1, page->Canvas());

  TRectPtblRVData cell(&cellDoc.viewer, &driver.Data(), &cellDoc.Data());
  cell.Left = 100;
  cell.Top = 120;
  cell.Width = 100;
  cell.Height = 60;
  cell.Color = clYellow;
  cell.Format(true);
  ASSERT_EQ(cell.DrawItems().Count(), 1);
  const TRVDrawLineInfo& piece = *cell.DrawItems()[0];
  const int32_t x = cell.GetPrintableLeft() + piece.Left + 3;
  const int32_t y = cell.GetPrintableTop() + piece.Top + 3;
  cell.DrawPage(1, page->Canvas(), false, false);
  EXPECT_EQ(page->Canvas().Pixel(x + 10, y + 10), clLime);
  EXPECT_EQ(page->Canvas().Pixel(x, y), clYellow);
  // Passed up, the frame shows the parent's colour, while the rectangle keeps its own.
  cell.DrawOnParentBack = true;
  cell.DrawPage(1, page->Canvas(), false, false);
  EXPECT_EQ(page->Canvas().Pixel(x + 10, y + 10), clLime);
  EXPECT_EQ(page->Canvas().Pixel(x, y), clSilver);
  EXPECT_EQ(page->Canvas().Pixel(cell.GetPrintableLeft() + 90, y), clYellow);
}

// ---- paragraph and text backgrounds ----------------------------------------------------------------

/// Prints pages of a document on a PDF printer of 192 dots per inch (two device pixels a screen
/// pixel) and records the rectangles the style sheet's background handlers are given.
class PageBackgroundTest : public ::testing::Test {
 protected:
  void SetUp() override {
    yellow = doc.style.ParaStyles().AddStyle();
    yellow->Background().Color = clYellow;
    yellowNo = doc.style.ParaStyles().Count() - 1;
    doc.style.OnDrawParaBack = [this](TRVStyle&, TCanvas&, int paraNo, const TRect& rect, bool&) {
      paraRects.emplace_back(paraNo, rect);
    };
    doc.style.OnDrawTextBack = [this](TRVStyle&, TCanvas&, int, int32_t left, int32_t top, int32_t width,
                                      int32_t height, TRVTextDrawStates,
                                      bool&) { textRects.push_back(Bounds(left, top, width, height)); };
  }
  void TearDown() override {
    if (driver) driver->Data().Prepare(nullptr);
    if (printer) printer->Abort();
  }
  /// Formats the document for the printer; answers the page count.
  int Format() {
    printer = std::make_unique<TPdfPrinter>(folder.File("backs.pdf"), 192);
    printer->BeginDoc();
    driver = std::make_unique<TRVPageDriver>(doc.viewer);
    return driver->FormatPages(printer->Canvas(), printer->PageWidth(), printer->PageHeight());
  }
  void DrawPage(int pageNo) {
    paraRects.clear();
    textRects.clear();
    driver->DrawPage(pageNo, printer->Canvas());
  }
  /// The page rectangle of drawn piece DItemNo, with the page top PageTop.
  TRect PieceRect(int DItemNo, int32_t pageTop) {
    TCustomMainPtblRVData& data = driver->Data();
    const TRVDrawLineInfo& piece = *data.DrawItems()[DItemNo];
    return Bounds(data.GetPrintableLeft() + piece.Left, piece.Top - pageTop, piece.Width, piece.Height);
  }

  TPrintDocument doc;
  TParaInfo* yellow = nullptr;
  int yellowNo = -1;
  printtest::TTempFolder folder;
  std::unique_ptr<TPdfPrinter> printer;
  std::unique_ptr<TRVPageDriver> driver;
  std::vector<std::pair<int, TRect>> paraRects;
  std::vector<TRect> textRects;
};

TEST_F(PageBackgroundTest, AParagraphBackgroundSpansItsLinesBetweenItsIndents) {
  yellow->LeftIndent = 20;
  yellow->FirstIndent = -10;
  yellow->RightIndent = 30;
  std::string words;
  for (int i = 0; i < 60; ++i) words += "wrapping words ";
  doc.Text("Before");
  doc.Text(words, 0, yellowNo);
  doc.Text("After");
  ASSERT_EQ(Format(), 1);
  DrawPage(1);
  TCustomMainPtblRVData& data = driver->Data();
  const int lines = data.DrawItems().Count();
  ASSERT_GT(lines, 4);
  const int32_t pageTop = data.GetPageTop(1);

  // With the handler every paragraph is offered its rectangle once, in order; indents are
  // screen pixels, doubled.
  ASSERT_EQ(paraRects.size(), 3u);
  EXPECT_EQ(paraRects[1].first, yellowNo);
  const TRect& back = paraRects[1].second;
  EXPECT_EQ(back.Left, data.GetPrintableLeft() + 2 * (20 - 10));
  EXPECT_EQ(back.Right, data.GetPrintableLeft() + data.GetWidth() - 2 * 30);
  const TRVDrawLineInfo& last = *data.DrawItems()[lines - 2];
  EXPECT_EQ(back.Top, PieceRect(1, pageTop).Top);
  EXPECT_EQ(back.Bottom, last.Top + last.Height + last.ExtraSpaceBelow - pageTop);

  // Every line of text is offered its own rectangle on the page.
  ASSERT_EQ(static_cast<int>(textRects.size()), lines);
  for (int d = 0; d < lines; ++d) EXPECT_EQ(textRects[d], PieceRect(d, pageTop)) << d;
}

TEST_F(PageBackgroundTest, ASplitPictureHasItsParagraphBackgroundOnEachPage) {
  TRVGraphicItemInfo* picture = doc.Picture(printtest::SolidBitmap(200, 1600, clRed), 40);
  picture->ParaNo = yellowNo;
  picture->Spacing = 5;
  doc.Text("After", 0, yellowNo);
  ASSERT_EQ(Format(), 2);
  TCustomMainPtblRVData& data = driver->Data();
  auto* split = dynamic_cast<TRVMultiImagePrintInfo*>(data.DrawItems()[0]);
  ASSERT_NE(split, nullptr);
  ASSERT_EQ(split->PartsList().Count(), 2);

  // Page 1: from the piece's top over the spacing above the picture and its first part.
  DrawPage(1);
  ASSERT_EQ(paraRects.size(), 1u);
  EXPECT_EQ(paraRects[0].first, yellowNo);
  const int32_t top1 = PieceRect(0, data.GetPageTop(1)).Top;
  EXPECT_EQ(paraRects[0].second.Top, top1);
  EXPECT_EQ(paraRects[0].second.Bottom, top1 + 2 * picture->Spacing + split->PartsList()[0]->Height);

  // Page 2: the second part at the top of the page, then the next paragraph below it.
  DrawPage(2);
  ASSERT_EQ(paraRects.size(), 2u);
  EXPECT_EQ(paraRects[0].second.Top, data.GetPrintableTop());
  EXPECT_EQ(paraRects[0].second.Bottom, data.GetPrintableTop() + split->PartsList()[1]->Height);
  const TRect after = PieceRect(1, data.GetPageTopAfterSplit(2));
  EXPECT_EQ(paraRects[1].second.Top, after.Top);
  EXPECT_GE(after.Top, data.GetPrintableTop() + split->PartsList()[1]->Height);
  ASSERT_EQ(textRects.size(), 1u);
  EXPECT_EQ(textRects[0], after);
}

}  // namespace
