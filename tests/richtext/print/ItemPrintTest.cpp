// How items print: the parts of pictures split across pages, the drawn pieces items make for
// printing, and what each kind draws into its bitmap or straight onto a printer canvas.
#include <gtest/gtest.h>

#include "PrintTestSupport.h"
#include "platform/gui/StdCtrls.h"
#include "richtext/core/RVError.h"
#include "richtext/core/RVItemPrint.h"
#include "richtext/viewer/RVPageDriver.h"
#include "richtext/viewer/RVPrintableData.h"

namespace {

using printtest::TPrintDocument;

/// Screen pixels are doubled on this device.
TRVFormatScale DoubleScale() {
  TRVFormatScale scale;
  scale.DevicePPIX = 192;
  scale.DevicePPIY = 192;
  return scale;
}

class SplitPictureTest : public ::testing::Test {
 protected:
  void SetUp() override {
    picture = doc.Picture(printtest::SolidBitmap(100, 300, clRed), 50);
    piece = std::make_unique<TRVMultiImagePrintInfo>(picture, DoubleScale());
  }
  /// (ImageTop, ImageHeight, device Height) of every part.
  std::vector<std::array<int32_t, 3>> Parts() const {
    std::vector<std::array<int32_t, 3>> parts;
    for (int i = 0; i < piece->PartsList().Count(); ++i) {
      const TRVImagePrintPart* part = piece->ImagePart(i);
      parts.push_back({part->ImageTop, part->ImageHeight, part->Height});
    }
    return parts;
  }

  TPrintDocument doc;
  TRVGraphicItemInfo* picture = nullptr;
  std::unique_ptr<TRVMultiImagePrintInfo> piece;
};

TEST_F(SplitPictureTest, InitSplitMakesOnePartOfTheWholePicture) {
  ASSERT_TRUE(piece->InitSplit());
  EXPECT_EQ(Parts(), (std::vector<std::array<int32_t, 3>>{{0, 300, 600}}));
  picture->MinHeightOnPage = 0;
  EXPECT_FALSE(piece->InitSplit());
}

TEST_F(SplitPictureTest, CanSplitAtKeepsBothPiecesAtLeastMinHeightOnPage) {
  struct TCase {
    int32_t DeviceHeight;
    bool Expected;
  };
  // Device heights are halved into picture rows; MinHeightOnPage is 50 rows of 300.
  for (const TCase& c : {TCase{0, false}, TCase{98, false}, TCase{100, true}, TCase{500, true},
                         TCase{520, false}, TCase{598, false}, TCase{602, true}}) {
    EXPECT_EQ(piece->CanSplitAt(c.DeviceHeight), c.Expected) << c.DeviceHeight;
  }
}

TEST_F(SplitPictureTest, SplitAtCutsTheLastPartAndRefusesShortPieces) {
  EXPECT_THROW(piece->SplitAt(200), ERVError);
  ASSERT_TRUE(piece->InitSplit());
  ASSERT_TRUE(piece->SplitAt(200));
  EXPECT_EQ(Parts(), (std::vector<std::array<int32_t, 3>>{{0, 100, 200}, {100, 200, 400}}));
  // 200 rows left: a cut after 180 would leave 20, one after 40 would keep only 40.
  EXPECT_FALSE(piece->SplitAt(360));
  EXPECT_FALSE(piece->SplitAt(80));
  ASSERT_TRUE(piece->SplitAt(300));
  EXPECT_EQ(Parts(), (std::vector<std::array<int32_t, 3>>{{0, 100, 200}, {100, 150, 300}, {250, 50, 100}}));
  // The last part is no taller than MinHeightOnPage: it is never cut again.
  EXPECT_FALSE(piece->SplitAt(60));
}

TEST_F(SplitPictureTest, ABrokenResolutionRecordNeverDivides) {
  piece->Sad = TRVFormatScale{0, 0, 0, 0, 0, 0};
  ASSERT_TRUE(piece->InitSplit());
  EXPECT_TRUE(piece->CanSplitAt(100));
  EXPECT_TRUE(piece->SplitAt(100));
}

TEST(ItemDrawPieceTest, OnlyPicturesAndControlsThatMaySplitGetSplittablePieces) {
  TPrintDocument doc;
  const TRVFormatScale scale = DoubleScale();
  TRVGraphicItemInfo* splittable = doc.Picture(printtest::SolidBitmap(30, 40, clRed), 10);
  auto piece = splittable->CreateDrawItem(&doc.Data(), &scale);
  auto* multi = dynamic_cast<TRVMultiImagePrintInfo*>(piece.get());
  ASSERT_NE(multi, nullptr);
  EXPECT_EQ(multi->Width, 2 * (30 + 2 * splittable->Spacing));
  EXPECT_EQ(multi->Height, 2 * (40 + 2 * splittable->Spacing));
  EXPECT_EQ(multi->Sad.DevicePPIY, 192);

  // A picture shown at another height is never split; nor is one without MinHeightOnPage.
  TRVGraphicItemInfo* resized = doc.Picture(printtest::SolidBitmap(30, 40, clRed), 10);
  resized->ImageHeight = 80;
  EXPECT_EQ(dynamic_cast<TRVMultiDrawItemInfo*>(resized->CreateDrawItem(&doc.Data(), &scale).get()), nullptr);
  resized->ImageHeight = 40;
  EXPECT_NE(dynamic_cast<TRVMultiDrawItemInfo*>(resized->CreateDrawItem(&doc.Data(), &scale).get()), nullptr);
  TRVGraphicItemInfo* whole = doc.Picture(printtest::SolidBitmap(30, 40, clRed), 0);
  EXPECT_EQ(dynamic_cast<TRVMultiDrawItemInfo*>(whole->CreateDrawItem(&doc.Data(), &scale).get()), nullptr);

  auto control = TRVControlItemInfo::CreateEx(&doc.Data(), std::make_unique<TEdit>(), 0);
  control->MinHeightOnPage = 5;
  EXPECT_NE(dynamic_cast<TRVMultiDrawItemInfo*>(control->CreateDrawItem(&doc.Data(), &scale).get()), nullptr);
  auto rule = TRVBreakItemInfo::CreateEx(&doc.Data(), 1, 0, clNone);
  EXPECT_EQ(dynamic_cast<TRVMultiDrawItemInfo*>(rule->CreateDrawItem(&doc.Data(), &scale).get()), nullptr);
}

// ---- rendering into bitmaps -------------------------------------------------------------------

class ItemBitmapTest : public ::testing::Test {
 protected:
  /// A white bitmap of the given size.
  static std::unique_ptr<TBitmap> Blank(int32_t width, int32_t height) {
    return printtest::SolidBitmap(width, height, clWhite);
  }
  /// An edit box of the given size showing Text, added to the document.
  TRVControlItemInfo* AddEdit(const std::string& text, int32_t width, int32_t height) {
    auto edit = std::make_unique<TEdit>();
    edit->SetText(text);
    edit->SetWidth(width);
    edit->SetHeight(height);
    auto control = TRVControlItemInfo::CreateEx(&doc.Data(), std::move(edit), 0);
    TRVControlItemInfo* item = control.get();
    doc.Item(std::move(control));
    return item;
  }
  TPrintDocument doc;
};

TEST_F(ItemBitmapTest, APictureShowsTheRowsOfItsPart) {
  TRVGraphicItemInfo* picture = doc.Picture(printtest::BandedBitmap(10, 30, 10), 5);
  TRVMultiImagePrintInfo piece(picture, TRVFormatScale{});
  ASSERT_TRUE(piece.InitSplit());
  ASSERT_TRUE(piece.SplitAt(10));
  ASSERT_TRUE(piece.SplitAt(10));
  const TColor bands[] = {clRed, clLime, clBlue};
  for (int part = 0; part < 3; ++part) {
    auto bitmap = Blank(10, 10);
    ASSERT_TRUE(picture->PrintToBitmap(*bitmap, false, &doc.Data(), 0, part, &piece));
    EXPECT_EQ(bitmap->Canvas().Pixel(5, 0), bands[part]) << part;
    EXPECT_EQ(bitmap->Canvas().Pixel(5, 9), bands[part]) << part;
  }
  // Without a part the picture starts at the top.
  auto whole = Blank(10, 30);
  picture->PrintToBitmap(*whole, false, &doc.Data(), 0, -1, nullptr);
  EXPECT_EQ(whole->Canvas().Pixel(5, 25), clBlue);
}

TEST_F(ItemBitmapTest, APictureOfAnotherDisplaySizeIsDrawnAtItsOwnSize) {
  TRVGraphicItemInfo* picture = doc.Picture(printtest::BandedBitmap(10, 30, 10), 0);
  picture->ImageWidth = 20;
  picture->ImageHeight = 60;
  auto bitmap = Blank(20, 60);
  ASSERT_TRUE(picture->PrintToBitmap(*bitmap, false, &doc.Data(), 0, -1, nullptr));
  // The printing layer stretches it to the display size afterwards.
  EXPECT_EQ(bitmap->Width(), 10);
  EXPECT_EQ(bitmap->Height(), 30);
  EXPECT_EQ(bitmap->Canvas().Pixel(5, 15), clLime);
  // At its own display size it is stretched over the bitmap it was given.
  picture->ImageWidth = 10;
  picture->ImageHeight = 30;
  auto same = Blank(20, 60);
  ASSERT_TRUE(picture->PrintToBitmap(*same, false, &doc.Data(), 0, -1, nullptr));
  EXPECT_EQ(same->Width(), 20);
  EXPECT_EQ(same->Canvas().Pixel(15, 50), clBlue);
}

TEST_F(ItemBitmapTest, BulletsAndHotspotsDrawTheirImageAtTheCorner) {
  auto bullet = TRVBulletItemInfo::CreateEx(&doc.Data(), &doc.images, 1, 0);
  auto bitmap = Blank(16, 16);
  EXPECT_TRUE(bullet->PrintToBitmap(*bitmap, false, &doc.Data(), 0, -1, nullptr));
  EXPECT_EQ(bitmap->Canvas().Pixel(8, 8), clNavy);
  auto hotspot = TRVHotspotItemInfo::CreateEx(&doc.Data(), &doc.images, 0, 1, 0);
  EXPECT_TRUE(hotspot->PrintToBitmap(*bitmap, false, &doc.Data(), 0, -1, nullptr));
  EXPECT_EQ(bitmap->Canvas().Pixel(8, 8), clLime);
  // An image that is not in the list draws nothing.
  auto missing = TRVBulletItemInfo::CreateEx(&doc.Data(), &doc.images, 7, 0);
  auto blank = Blank(16, 16);
  EXPECT_TRUE(missing->PrintToBitmap(*blank, false, &doc.Data(), 0, -1, nullptr));
  EXPECT_EQ(blank->Canvas().Pixel(8, 8), clWhite);
}

TEST_F(ItemBitmapTest, ImageListMarkersPrintTheirImageOnThePage) {
  TRVListLevel& level = *doc.style.ListStyles().AddStyle()->Levels().AddLevel();
  level.ListType = rvlstImageListCounter;
  level.ImageList = &doc.images;
  level.ImageIndex = 0;
  doc.ListItem("first", 0);
  doc.ListItem("second", 0);
  TRVPageDriver driver(doc.viewer);
  auto page = Blank(400, 300);
  ASSERT_EQ(driver.FormatPages(page->Canvas(), 400, 300), 1);
  driver.DrawPage(1, page->Canvas());
  // The counter picks the image: lime for the first item, navy for the second.
  TCustomMainPtblRVData& data = driver.Data();
  std::vector<TColor> shown;
  for (int d = 0; d < data.DrawItems().Count(); ++d) {
    const TRVDrawLineInfo& piece = *data.DrawItems()[d];
    if (data.GetItem(piece.ItemNo)->StyleNo != rvsListMarker) continue;
    shown.push_back(
        page->Canvas().Pixel(data.GetPrintableLeft() + piece.Left + 8, piece.Top - data.GetPageTop(1) + 8));
  }
  EXPECT_EQ(shown, (std::vector<TColor>{clLime, clNavy}));
}

TEST_F(ItemBitmapTest, AControlIsPicturedCentredInItsBitmap) {
  TRVControlItemInfo* item = AddEdit("Printed", 60, 20);
  // A smaller bitmap grows to the control's size.
  auto bitmap = printtest::SolidBitmap(10, 10, clFuchsia);
  ASSERT_TRUE(item->PrintToBitmap(*bitmap, false, &doc.Data(), 0, -1, nullptr));
  EXPECT_EQ(bitmap->Width(), 60);
  EXPECT_EQ(bitmap->Height(), 20);
  int pictured = 0;
  for (int y = 0; y < 20; ++y)
    for (int x = 0; x < 60; ++x) pictured += bitmap->Canvas().Pixel(x, y) != clFuchsia;
  EXPECT_GT(pictured, 60 * 20 / 2);
  // A control of no size has no picture: nothing is printed.
  item->Control->SetWidth(0);
  EXPECT_FALSE(item->PrintToBitmap(*bitmap, false, &doc.Data(), 0, -1, nullptr));
  EXPECT_EQ(RVMakeControlImage(nullptr), nullptr);
}

TEST_F(ItemBitmapTest, APercentWidthControlKeepsItsScreenWidthWhilePrinting) {
  auto control = TRVControlItemInfo::CreateEx(&doc.Data(), std::make_unique<TEdit>(), 0);
  control->PercentWidth = 50;
  TRVFormatScale printer;
  printer.DevicePPIX = 300;
  printer.DevicePPIY = 300;
  int32_t descent = 0, offset = 0;
  // 3000 printer pixels are 960 screen pixels.
  control->GetWidthRequirements(3000, nullptr, true, nullptr, &doc.Data(), &printer, false, descent, offset);
  EXPECT_EQ(control->Control->Width(), 960 / 2 - 2);
  control->GetWidthRequirements(600, nullptr, false, nullptr, &doc.Data(), nullptr, false, descent, offset);
  EXPECT_EQ(control->Control->Width(), 298);
}

TEST_F(ItemBitmapTest, ABreakPrintsItsRuleInTheColourMode) {
  struct TCase {
    TRVColorMode Mode;
    TColor Color;
    TColor Expected;
  };
  // A rule of no colour of its own takes the colour of text style 0.
  doc.style.TextStyles().Items(0)->Color = clBlue;
  for (const TCase& c : {TCase{0, clRed, clRed}, TCase{3, clRed, clBlack}, TCase{0, clNone, clBlue},
                         TCase{2, clNone, RVColorToGray(clBlue)}}) {
    auto rule = TRVBreakItemInfo::CreateEx(&doc.Data(), 1, 0, c.Color);
    TRVDrawLineInfo piece;
    piece.Width = 100;
    auto bitmap = Blank(120, 20);
    rule->PrintDirect(bitmap->Canvas(), 10, 2, false, false, &doc.Data(), c.Mode, -1, &piece);
    // From Left + 5 to Right - 5, at Top + 5.
    EXPECT_EQ(bitmap->Canvas().Pixel(60, 7), c.Expected) << int(c.Mode);
    EXPECT_EQ(bitmap->Canvas().Pixel(14, 7), clWhite);
    EXPECT_EQ(bitmap->Canvas().Pixel(106, 7), clWhite);
    EXPECT_EQ(bitmap->Canvas().Pixel(60, 9), clWhite);
  }
}

TEST_F(ItemBitmapTest, APicturePrintedStraightOntoTheCanvasKeepsItsSpacingAndDisplaySize) {
  TRVGraphicItemInfo* picture = doc.Picture(printtest::SolidBitmap(20, 10, clRed));
  picture->Spacing = 3;
  picture->ImageWidth = 40;
  auto page = Blank(100, 60);
  TCanvas& canvas = page->Canvas();
  canvas.Brush().SetColor(clYellow);
  picture->PrintDirect(canvas, 10, 5, false, false, &doc.Data(), 0, -1, nullptr);
  // Drawn at (13, 8), 40 x 10, and the canvas keeps its own state.
  EXPECT_EQ(canvas.Pixel(13, 8), clRed);
  EXPECT_EQ(canvas.Pixel(52, 17), clRed);
  EXPECT_EQ(canvas.Pixel(12, 8), clWhite);
  EXPECT_EQ(canvas.Pixel(13, 7), clWhite);
  EXPECT_EQ(canvas.Pixel(53, 8), clWhite);
  EXPECT_EQ(canvas.Pixel(13, 18), clWhite);
  EXPECT_EQ(canvas.Brush().Color(), clYellow);
}

// ---- pictures of controls ------------------------------------------------------------------------

/// The share of the pixels of Part that equal those of Whole at (X, Y).
double SharedPixels(TBitmap& whole, int32_t x, int32_t y, TBitmap& part) {
  int same = 0;
  for (int32_t row = 0; row < part.Height(); ++row)
    for (int32_t col = 0; col < part.Width(); ++col)
      same += whole.Canvas().Pixel(x + col, y + row) == part.Canvas().Pixel(col, row);
  return static_cast<double>(same) / (part.Width() * part.Height());
}

TEST_F(ItemBitmapTest, AContainerIsPicturedWithTheControlsInsideIt) {
  TGroupBox box;
  box.SetBounds(0, 0, 200, 120);
  box.SetCaption("Frame");
  auto* button = new TButton(&box);
  button->SetParent(&box);
  button->SetBounds(90, 60, 80, 30);
  button->SetCaption("Press");
  std::unique_ptr<TBitmap> whole = RVMakeControlImage(&box);
  ASSERT_NE(whole, nullptr);
  EXPECT_EQ(whole->Width(), 200);
  EXPECT_EQ(whole->Height(), 120);
  std::unique_ptr<TBitmap> alone = RVMakeControlImage(button);
  ASSERT_NE(alone, nullptr);
  // The button shows at its place inside the frame, and not where it is not.
  EXPECT_GT(SharedPixels(*whole, 90, 60, *alone), 0.9);
  EXPECT_LT(SharedPixels(*whole, 10, 60, *alone), 0.9);

  // Drawn onto another canvas, the picture lies at the given corner.
  auto page = printtest::SolidBitmap(260, 160, clFuchsia);
  RVDrawControl(&box, page->Canvas(), 30, 20);
  EXPECT_GT(SharedPixels(*page, 120, 80, *alone), 0.9);
  EXPECT_EQ(page->Canvas().Pixel(29, 19), clFuchsia);
  EXPECT_EQ(page->Canvas().Pixel(230, 140), clFuchsia);
}

TEST_F(ItemBitmapTest, ASplitControlShowsTheRowsOfItsPart) {
  TRVControlItemInfo* item = AddEdit("Rows", 60, 40);
  item->MinHeightOnPage = 10;
  TRVMultiImagePrintInfo piece(item, TRVFormatScale{});
  ASSERT_TRUE(piece.InitSplit());
  ASSERT_TRUE(piece.SplitAt(25));
  std::unique_ptr<TBitmap> image = RVMakeControlImage(item->Control.get());
  ASSERT_NE(image, nullptr);
  // Each part is the control's rows from its ImageTop on, in a bitmap that keeps its size.
  for (int partIndex = 0; partIndex < 2; ++partIndex) {
    const TRVImagePrintPart* part = piece.ImagePart(partIndex);
    auto bitmap = printtest::SolidBitmap(60, part->ImageHeight, clFuchsia);
    ASSERT_TRUE(item->PrintToBitmap(*bitmap, false, &doc.Data(), 0, partIndex, &piece));
    EXPECT_EQ(bitmap->Height(), part->ImageHeight);
    auto rows = printtest::SolidBitmap(60, part->ImageHeight, clFuchsia);
    rows->Canvas().Draw(0, -part->ImageTop, image.get());
    EXPECT_EQ(SharedPixels(*bitmap, 0, 0, *rows), 1.0) << partIndex;
  }
}

}  // namespace
