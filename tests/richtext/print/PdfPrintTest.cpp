// Printing whole documents to PDF and reading the pages back with poppler: the page count,
// where the words are, and the colours of backgrounds and pictures.
#include <gtest/gtest.h>

#include <fstream>
#include <map>
#include <sstream>

#include "PrintTestSupport.h"
#include "platform/core/SysUtils.h"
#include "platform/graphics/Metafile.h"
#include "platform/graphics/MetafileCanvas.h"
#include "platform/graphics/PdfPrinter.h"
#include "platform/gui/StdCtrls.h"
#include "richtext/core/RVError.h"
#include "richtext/core/RVItemPrint.h"
#include "richtext/viewer/RVPageDriver.h"
#include "richtext/viewer/RVPrintableData.h"

namespace {

using printtest::TPrintDocument;
using printtest::TWord;

constexpr int32_t kResolution = 300;  // dots per inch the document is printed at
constexpr int32_t kRenderDPI = 50;    // dots per inch the pages are rendered back at

/// Page PageNo rendered at kRenderDPI.
bool RenderPage(const std::string& pdf, int pageNo, TBitmap& out) {
  const std::string prefix = pdf + ".page" + std::to_string(pageNo);
  const std::string page = std::to_string(pageNo);
  if (!printtest::RunCommand("pdftoppm -r " + std::to_string(kRenderDPI) + " -f " + page + " -l " + page +
                             " -singlefile -png '" + pdf + "' '" + prefix + "'"))
    return false;
  return LoadBitmapFromPng(out, prefix + ".png");
}

/// The rendered pixel at printer pixel (X, Y).
TColor PixelAt(TBitmap& page, int32_t X, int32_t Y) {
  return page.Canvas().Pixel(MulDiv(X, kRenderDPI, kResolution), MulDiv(Y, kRenderDPI, kResolution));
}

bool Near(TColor a, TColor b, int tolerance = 40) {
  for (int shift = 0; shift < 24; shift += 8)
    if (std::abs(static_cast<int>((a >> shift) & 0xFF) - static_cast<int>((b >> shift) & 0xFF)) > tolerance)
      return false;
  return true;
}

class PdfPrintTest : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!printtest::HavePoppler()) GTEST_SKIP() << "poppler-utils (pdftoppm, pdftotext) is not installed";
  }

  /// The page the drawn piece DItemNo starts on (pages that continue it come later).
  static int PageOf(TRVPageDriver& driver, int DItemNo) {
    TCustomMainPtblRVData& data = driver.Data();
    int page = 1;
    for (int p = 1; p <= data.PageCount(); ++p) {
      const TRVPageInfo& info = data.Page(p);
      if (info.StartDrawItemNo < DItemNo || (info.StartDrawItemNo == DItemNo && info.StartPart <= 1))
        page = p;
    }
    return page;
  }
  /// The device rectangle of piece DItemNo on its page (below a split part at the top of the
  /// page, the page's second Y applies).
  static TRect PieceRect(TRVPageDriver& driver, int DItemNo) {
    TCustomMainPtblRVData& data = driver.Data();
    const TRVDrawLineInfo& piece = *data.DrawItems()[DItemNo];
    const int pageNo = PageOf(driver, DItemNo);
    const TRVPageInfo& page = data.Page(pageNo);
    const bool afterSplit = page.StartPart > 0 && DItemNo > page.StartDrawItemNo;
    const int32_t pageTop = afterSplit ? data.GetPageTopAfterSplit(pageNo) : data.GetPageTop(pageNo);
    return Bounds(data.GetPrintableLeft() + piece.Left, piece.Top - pageTop, piece.Width, piece.Height);
  }
  /// The first drawn piece of the first item whose text is Text.
  static int PieceOfText(TRVPageDriver& driver, const std::string& text) {
    TCustomMainPtblRVData& data = driver.Data();
    for (int d = 0; d < data.DrawItems().Count(); ++d)
      if (data.GetItemText(data.DrawItems()[d]->ItemNo).rfind(text, 0) == 0) return d;
    return -1;
  }
  /// The first drawn piece of Item.
  static int PieceOfItem(TRVPageDriver& driver, const TCustomRVItemInfo* item) {
    TCustomMainPtblRVData& data = driver.Data();
    for (int d = 0; d < data.DrawItems().Count(); ++d)
      if (data.GetItem(data.DrawItems()[d]->ItemNo) == item) return d;
    return -1;
  }
  /// Expects the first word of piece DItemNo's text where the piece says it is.
  static void ExpectWordAtPiece(TRVPageDriver& driver, const std::vector<std::vector<TWord>>& words,
                                int DItemNo, const std::string& word) {
    ASSERT_GE(DItemNo, 0) << word;
    const int pageNo = PageOf(driver, DItemNo);
    ASSERT_LE(pageNo, static_cast<int>(words.size()));
    const TRect rect = PieceRect(driver, DItemNo);
    bool found = false;
    for (const TWord& w : words[pageNo - 1]) {
      if (w.Text != word) continue;
      found = true;
      // The word's box starts at the glyphs: a few pixels inside the piece.
      EXPECT_NEAR(w.Left, rect.Left, 15) << word;
      EXPECT_GE(w.Top, rect.Top - 10) << word;
      EXPECT_LE(w.Bottom, rect.Bottom + 10) << word;
    }
    EXPECT_TRUE(found) << word << " is not on page " << pageNo;
  }

  printtest::TTempFolder folder;
};

/// A document of several pages with every kind of item, lists, a paragraph background and a
/// picture split over three pages, followed by a page break.
class EveryKindDocument : public TPrintDocument {
 public:
  static constexpr int32_t kBand = 100;  // rows of one colour band of the tall picture

  EveryKindDocument() {
    TFontInfo& big = *style.TextStyles().AddStyle();
    big.Size = 16;
    big.Style = TFontStyles{fsBold};
    TParaInfo& yellow = *style.ParaStyles().AddStyle();
    yellow.Background().Color = clYellow;
    TRVListLevel& numbers = *style.ListStyles().AddStyle()->Levels().AddLevel();
    numbers.ListType = rvlstDecimal;
    numbers.FormatString = "%0:s.";
    numbers.LeftIndent = 24;

    Text("Kangaroo title", 6);
    Text("Yellowpara has a yellow background", 0, 2);
    ListItem("Listone", 0);
    ListItem("Listtwo", 0);
    Item(TRVBreakItemInfo::CreateEx(&Data(), 2, 0, clBlack));
    red = Picture(printtest::SolidBitmap(120, 80, clRed));
    Text("Imagelist images follow");
    Item(TRVBulletItemInfo::CreateEx(&Data(), &images, 0, 0), -1);
    Item(TRVHotspotItemInfo::CreateEx(&Data(), &images, 1, 0, 0), -1);
    auto edit = std::make_unique<TEdit>();
    edit->SetText("Editbox");
    edit->SetWidth(120);
    edit->SetHeight(24);
    Item(TRVControlItemInfo::CreateEx(&Data(), std::move(edit), 0));
    Item(TRVHotGraphicItemInfo::CreateWithPicture(&Data(), printtest::SolidBitmap(40, 40, clFuchsia), 0));
    // A metafile prints straight onto the page rather than through a bitmap.
    auto metafile = std::make_unique<TMetafile>();
    metafile->SetWidth(60);
    metafile->SetHeight(40);
    {
      TMetafileCanvas canvas(*metafile);
      canvas.Brush().SetColor(clTeal);
      canvas.FillRect(Rect(0, 0, 60, 40));
    }
    teal = Picture(std::move(metafile));
    for (int i = 0; i < 30; ++i) Text("Filler line " + std::to_string(i) + " keeps the first page busy.");
    tall = Picture(printtest::BandedBitmap(300, 2400, EveryKindDocument::kBand), 60);
    Text("Afterpicture text comes right below it");
    Text("Lastpage starts a page of its own");
    Data().GetItem(Data().GetItemCount() - 1)->SetPageBreakBefore(true);
  }

  TRVGraphicItemInfo* red = nullptr;
  TRVGraphicItemInfo* teal = nullptr;
  TRVGraphicItemInfo* tall = nullptr;
};

TEST_F(PdfPrintTest, EveryKindOfItemLandsWhereThePiecesSay) {
  EveryKindDocument doc;
  TRVPageDriver driver(doc.viewer);
  const std::string pdf = folder.File("every.pdf");
  const int pages = driver.PrintToPDF(pdf, kResolution);
  const auto words = printtest::ReadWords(pdf, kResolution);
  ASSERT_EQ(static_cast<int>(words.size()), pages);
  ASSERT_GE(pages, 4);

  for (const std::string word :
       {"Kangaroo", "Yellowpara", "Listone", "Listtwo", "Imagelist", "Afterpicture", "Lastpage"})
    ExpectWordAtPiece(driver, words, PieceOfText(driver, word), word);
  // The page break puts the last paragraph at the top of the last page.
  EXPECT_EQ(PageOf(driver, PieceOfText(driver, "Lastpage")), pages);
  ASSERT_FALSE(words.back().empty());
  EXPECT_EQ(words.back().front().Text, "Lastpage");
  // List markers print their numbers in front of the items.
  const int listPage = PageOf(driver, PieceOfText(driver, "Listone"));
  int markers = 0;
  for (const TWord& w : words[listPage - 1]) markers += w.Text == "1." || w.Text == "2.";
  EXPECT_EQ(markers, 2);
}

TEST_F(PdfPrintTest, CharacterSpacingPrintsAtThePrintersScale) {
  TPrintDocument doc;
  TFontInfo& spaced = *doc.style.TextStyles().AddStyle();
  spaced.Size = 20;
  spaced.CharSpacing = 12;
  const int spacedNo = doc.style.TextStyles().Count() - 1;
  doc.Text("Spacedwordhere", spacedNo);
  TRVPageDriver driver(doc.viewer);
  const std::string pdf = folder.File("spacing.pdf");
  driver.PrintToPDF(pdf, kResolution);
  const auto words = printtest::ReadWords(pdf, kResolution);
  ASSERT_EQ(words.size(), 1u);
  ASSERT_FALSE(words[0].empty());
  // The letters (spaced apart, they may be read as words of their own) fill the piece the
  // formatting measured with the spacing in printer pixels: 12 screen pixels are 37 here;
  // unscaled, the text would end over 300 pixels short.
  double left = words[0][0].Left, right = words[0][0].Right;
  for (const TWord& w : words[0]) {
    left = std::min(left, w.Left);
    right = std::max(right, w.Right);
  }
  const TRect piece = PieceRect(driver, 0);
  EXPECT_NEAR(left, piece.Left, 15);
  EXPECT_NEAR(right, piece.Right, 60);
}

TEST_F(PdfPrintTest, BackgroundsPicturesAndSplitPartsShowTheirColours) {
  EveryKindDocument doc;
  TRVPageDriver driver(doc.viewer);
  const std::string pdf = folder.File("colours.pdf");
  driver.PrintToPDF(pdf, kResolution);
  TCustomMainPtblRVData& data = driver.Data();
  auto center = [](const TRect& r) { return TPoint{(r.Left + r.Right) / 2, (r.Top + r.Bottom) / 2}; };

  // The red picture, the yellow paragraph (right of its text), the bullet and the hot picture.
  const int redPiece = PieceOfItem(driver, doc.red);
  TBitmap page;
  ASSERT_TRUE(RenderPage(pdf, PageOf(driver, redPiece), page));
  const TPoint redAt = center(PieceRect(driver, redPiece));
  EXPECT_TRUE(Near(PixelAt(page, redAt.X, redAt.Y), clRed)) << std::hex << PixelAt(page, redAt.X, redAt.Y);
  const TRect yellowLine = PieceRect(driver, PieceOfText(driver, "Yellowpara"));
  const int32_t farRight = data.GetPrintableLeft() + data.GetWidth() - 40;
  EXPECT_TRUE(Near(PixelAt(page, farRight, (yellowLine.Top + yellowLine.Bottom) / 2), clYellow));
  EXPECT_TRUE(Near(PixelAt(page, farRight, yellowLine.Bottom + 40), clWhite));
  for (int d = 0; d < data.DrawItems().Count(); ++d) {
    const TCustomRVItemInfo* item = data.GetItem(data.DrawItems()[d]->ItemNo);
    TColor expected = clNone;
    if (item->StyleNo == rvsBullet) expected = clLime;
    if (item->StyleNo == rvsHotspot) expected = clNavy;
    if (item->StyleNo == rvsHotPicture) expected = clFuchsia;
    if (expected == clNone) continue;
    const TPoint at = center(PieceRect(driver, d));
    EXPECT_TRUE(Near(PixelAt(page, at.X, at.Y), expected)) << "item kind " << item->StyleNo;
  }

  // The edit box shows its frame and text where its piece is.
  for (int d = 0; d < data.DrawItems().Count(); ++d) {
    if (data.GetItem(data.DrawItems()[d]->ItemNo)->StyleNo != rvsComponent) continue;
    ASSERT_TRUE(RenderPage(pdf, PageOf(driver, d), page));
    const TRect rect = PieceRect(driver, d);
    int ink = 0;
    for (int32_t y = rect.Top; y < rect.Bottom; y += 6)
      for (int32_t x = rect.Left; x < rect.Right; x += 6) ink += !Near(PixelAt(page, x, y), clWhite, 60);
    EXPECT_GT(ink, 80);
  }

  // The metafile covers its whole piece at the printer's scale.
  const int tealPiece = PieceOfItem(driver, doc.teal);
  ASSERT_TRUE(RenderPage(pdf, PageOf(driver, tealPiece), page));
  const TRect tealRect = PieceRect(driver, tealPiece);
  for (const TPoint& at : {center(tealRect), TPoint{tealRect.Right - 20, tealRect.Bottom - 20}})
    EXPECT_TRUE(Near(PixelAt(page, at.X, at.Y), clTeal)) << std::hex << PixelAt(page, at.X, at.Y);

  // The tall picture: every part shows the rows it says it shows, each band in its colour.
  const int tallPiece = PieceOfItem(driver, doc.tall);
  auto* split = dynamic_cast<TRVMultiImagePrintInfo*>(data.DrawItems()[tallPiece]);
  ASSERT_NE(split, nullptr);
  ASSERT_GE(split->PartsList().Count(), 3);
  const TColor bands[] = {clRed, clLime, clBlue};
  const TRect tallRect = PieceRect(driver, tallPiece);
  const int firstPage = PageOf(driver, tallPiece);
  for (int k = 0; k < split->PartsList().Count(); ++k) {
    const TRVImagePrintPart* part = split->ImagePart(k);
    ASSERT_TRUE(RenderPage(pdf, firstPage + k, page));
    const int32_t partTop =
        k == 0 ? tallRect.Top + MulDiv(doc.tall->Spacing, kResolution, 96) : data.GetPrintableTop();
    const int32_t x = tallRect.Left + tallRect.Width() / 2;
    for (int32_t row = part->ImageTop / EveryKindDocument::kBand * EveryKindDocument::kBand +
                       EveryKindDocument::kBand / 2;
         row < part->ImageTop + part->ImageHeight; row += EveryKindDocument::kBand) {
      if (row < part->ImageTop) continue;
      const int32_t y = partTop + MulDiv(row - part->ImageTop, kResolution, 96);
      EXPECT_TRUE(Near(PixelAt(page, x, y), bands[(row / EveryKindDocument::kBand) % 3]))
          << "part " << k << " row " << row << " pixel " << std::hex << PixelAt(page, x, y);
    }
  }
}

TEST(PdfPrinterTest, FailuresLeaveNoFileBehind) {
  printtest::TTempFolder folder;
  TPrintDocument doc;
  doc.Text("Nothing to see");
  TRVPageDriver driver(doc.viewer);
  EXPECT_THROW(driver.PrintToPDF(folder.File("missing/folder/out.pdf")), EFCreateError);
  // Margins that leave no room fail the print, and the started file is removed.
  driver.LeftMarginMM = 150;
  driver.RightMarginMM = 150;
  const std::string pdf = folder.File("nothing.pdf");
  EXPECT_THROW(driver.PrintToPDF(pdf), ERVError);
  EXPECT_FALSE(std::filesystem::exists(pdf));
  // The canvas of the failed print is not kept: formatting again does nothing.
  driver.Data().Format(true);
  EXPECT_EQ(driver.Data().GetCanvas(), nullptr);
}

TEST(PdfPrinterTest, PagesAreA4AtTheResolution) {
  printtest::TTempFolder folder;
  TPdfPrinter printer(folder.File("blank.pdf"), 200);
  EXPECT_THROW(printer.Canvas(), EInvalidOperation);
  printer.BeginDoc();
  EXPECT_NEAR(printer.PageWidth(), MulDiv(210 * 10, 200, 254), 1);
  EXPECT_NEAR(printer.PageHeight(), MulDiv(297 * 10, 200, 254), 1);
  EXPECT_EQ(printer.Canvas().GetDeviceCaps(LOGPIXELSY), 200);
  printer.NewPage();
  EXPECT_EQ(printer.PageNumber(), 2);
  printer.EndDoc();
  EXPECT_FALSE(printer.Printing());
  if (!printtest::HavePoppler())
    GTEST_SKIP() << "poppler-utils is not installed: the page count is not read back";
  const auto info = printtest::RunCommand("pdfinfo '" + folder.File("blank.pdf") + "' 2>/dev/null");
  EXPECT_TRUE(info && std::regex_search(*info, std::regex("Pages: +2\n"))) << info.value_or("no pdfinfo");
}

/// Colour modes: the page colour and the text colour as each mode prints them.
TEST_F(PdfPrintTest, ColourModesChangePageAndTextColours) {
  struct TCase {
    TRVColorMode Mode;
    TColor Page;
    bool GreyText;
    bool BlackText;
  };
  const TColor orange = 0x0080C0FF;
  const TColor grey = RVColorToGray(orange);
  for (const TCase& c : {TCase{0, orange, false, false}, TCase{1, orange, false, false},
                         TCase{2, grey, true, false}, TCase{3, clWhite, false, true}}) {
    SCOPED_TRACE(static_cast<int>(c.Mode));
    TPrintDocument doc;
    doc.viewer.SetColor(orange);
    doc.style.TextStyles().Items(0)->Color = clRed;
    doc.style.TextStyles().Items(0)->Size = 28;
    doc.Text("WWWW");
    TRVPageDriver driver(doc.viewer);
    driver.ColorMode = c.Mode;
    const std::string pdf = folder.File("mode" + std::to_string(c.Mode) + ".pdf");
    driver.PrintToPDF(pdf, kResolution);
    TBitmap page;
    ASSERT_TRUE(RenderPage(pdf, 1, page));
    const TCustomMainPtblRVData& data = driver.Data();
    EXPECT_TRUE(Near(PixelAt(page, data.GetPrintableLeft() + 600, data.GetPrintableTop() + 600), c.Page, 8));
    // Outside the printable area the paper stays white.
    EXPECT_TRUE(Near(PixelAt(page, 20, 20), clWhite, 8));
    // The darkest pixel of the word is its ink.
    const TRect word = PieceRect(driver, 0);
    TColor ink = clWhite;
    int darkest = 255 * 3;
    for (int32_t y = word.Top; y < word.Bottom; y += 3)
      for (int32_t x = word.Left; x < word.Right; x += 3) {
        const TColor p = PixelAt(page, x, y);
        const int sum = (p & 0xFF) + ((p >> 8) & 0xFF) + ((p >> 16) & 0xFF);
        if (sum < darkest) {
          darkest = sum;
          ink = p;
        }
      }
    const int r = ink & 0xFF, g = (ink >> 8) & 0xFF, b = (ink >> 16) & 0xFF;
    if (c.BlackText) {
      EXPECT_LT(r + g + b, 60);
    } else if (c.GreyText) {
      EXPECT_NEAR(r, g, 12);
      EXPECT_NEAR(g, b, 12);
    } else {
      EXPECT_GT(r, 180);
      EXPECT_LT(g, 80);
    }
  }
}

}  // namespace
