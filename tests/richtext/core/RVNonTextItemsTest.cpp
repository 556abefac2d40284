// Non-text items: creation by style number, duplication and drawing of every kind, their
// sizes, feature answers, integer properties and RVF extra properties, and how embedded
// controls follow their document.
#include <gtest/gtest.h>

#include "platform/core/Streams.h"
#include "platform/graphics/Bitmap.h"
#include "platform/graphics/Canvas.h"
#include "platform/graphics/Controls.h"
#include "platform/graphics/Icon.h"
#include "platform/graphics/ImageList.h"
#include "platform/graphics/JPEGImage.h"
#include "platform/graphics/Metafile.h"
#include "platform/graphics/SystemColors.h"
#include "richtext/core/CRVData.h"
#include "richtext/core/DLines.h"
#include "richtext/core/RVMarker.h"
#include "richtext/core/RVNonTextItems.h"
#include "richtext/core/RVStyle.h"

namespace {

constexpr TColor kRed = RGBColor(255, 0, 0);
constexpr TColor kGreen = RGBColor(0, 255, 0);
constexpr TColor kBlue = RGBColor(0, 0, 255);
constexpr TColor kWhite = RGBColor(255, 255, 255);
constexpr TColor kHover = RGBColor(255, 0, 255);
constexpr TColor kSel = RGBColor(0, 128, 128);
constexpr TColor kInactiveSel = RGBColor(128, 128, 0);

std::string StreamText(TMemoryStream& stream) {
  return std::string(reinterpret_cast<const char*>(stream.Memory()), static_cast<size_t>(stream.Size()));
}

std::unique_ptr<TBitmap> SolidBitmap(int w, int h, TColor color) {
  auto b = std::make_unique<TBitmap>();
  b->SetPixelFormat(pf24bit);
  b->SetSize(w, h);
  b->Canvas().Brush().SetColor(color);
  b->Canvas().FillRect(Rect(0, 0, w, h));
  return b;
}

/// A document that records control notices and gives its controls a parent.
class TRecordingData : public TCustomRVData {
 public:
  void ControlAction(TRVControlAction Action, int ItemNo, TCustomRVItemInfo* Item) override {
    (void)Item;
    actions.push_back({Action, ItemNo});
  }
  TWinControl* GetParentControl() const override { return &parent; }

  std::vector<std::pair<TRVControlAction, int>> actions;
  mutable TWinControl parent;
};

class NonTextItemsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    style.HoverColor = kHover;
    style.SelColor = kSel;
    style.InactiveSelColor = kInactiveSel;
    style.TextStyles().Items(0)->Color = kBlue;
    data.SetRVStyle(&style);
    target.SetPixelFormat(pf24bit);
    target.SetSize(80, 60);
    Clear();
    images.SetSize(8, 8);
    images.AddMasked(SolidBitmap(8, 8, kRed).get(), clNone);
    images.AddMasked(SolidBitmap(8, 8, kGreen).get(), clNone);
  }
  void Clear() {
    target.Canvas().Brush().SetStyle(bsSolid);
    target.Canvas().Brush().SetColor(kWhite);
    target.Canvas().FillRect(Rect(0, 0, 80, 60));
  }
  TColor At(int x, int y) { return ColorToRGB(target.Canvas().Pixel(x, y)) & 0xFFFFFF; }
  TCanvas& Canvas() { return target.Canvas(); }

  TRVStyle style;
  TRecordingData data;
  TBitmap target;
  TCustomImageList images;
};

// ---------------------------------------------------------------------------------------
// Every kind

TEST_F(NonTextItemsTest, EveryKindIsCreatedCopiedAndDrawn) {
  style.ListStyles().AddStyle()->Levels().AddLevel()->ListType = rvlstDecimal;
  const struct {
    TRVItemStyleNo styleNo;
    const char* className;
  } kinds[] = {{rvsBreak, "TRVBreakItemInfo"},           {rvsPicture, "TRVGraphicItemInfo"},
               {rvsHotPicture, "TRVHotGraphicItemInfo"}, {rvsBullet, "TRVBulletItemInfo"},
               {rvsHotspot, "TRVHotspotItemInfo"},       {rvsComponent, "TRVControlItemInfo"},
               {rvsListMarker, "TRVMarkerItemInfo"}};
  for (const auto& kind : kinds) {
    SCOPED_TRACE(kind.className);
    std::unique_ptr<TCustomRVItemInfo> item = RVCreateItemByStyleNo(kind.styleNo, &data);
    ASSERT_NE(item, nullptr);
    EXPECT_EQ(item->ClassName(), kind.className);
    EXPECT_EQ(item->StyleNo, kind.styleNo);
    item->ParaNo = 1;
    if (auto* picture = dynamic_cast<TRVGraphicItemInfo*>(item.get()))
      picture->Image = SolidBitmap(6, 4, kRed);
    if (auto* bullet = dynamic_cast<TRVBulletItemInfo*>(item.get())) bullet->ImageList = &images;
    if (auto* control = dynamic_cast<TRVControlItemInfo*>(item.get())) {
      control->Control = std::make_unique<TWinControl>();
      control->Control->SetBounds(0, 0, 30, 10);
    }
    if (auto* marker = dynamic_cast<TRVMarkerItemInfo*>(item.get())) marker->ListNo = 0;

    std::unique_ptr<TCustomRVItemInfo> copy = RVDuplicateItem(*item, &data);
    ASSERT_NE(copy, nullptr);
    EXPECT_EQ(copy->ClassName(), kind.className);
    EXPECT_EQ(copy->StyleNo, kind.styleNo);
    EXPECT_EQ(copy->ParaNo, 1);
    EXPECT_EQ(copy->GetRVFHeaderParams(&data), item->GetRVFHeaderParams(&data));

    auto piece = TRVDrawLineInfo::CreateAt(2, 2, 40, 20, 0, true);
    for (TCustomRVItemInfo* it : {item.get(), copy.get()}) {
      if (it->QueryFeature(rvfqOwnLine))
        it->PaintFullWidth(0, 80, 2, Canvas(), rvidsSelected | rvidsHover, &style, Rect(0, 0, 80, 60),
                           piece.get());
      else
        it->Paint(2, 2, Canvas(), rvidsSelected | rvidsHover | rvidsShowHot, &style, piece.get());
    }
    data.AddItem("", std::move(copy));
  }
  EXPECT_EQ(data.GetItemCount(), 7);
  data.Clear();
}

TEST_F(NonTextItemsTest, RecordKindsAndUnknownNumbersMakeNoItem) {
  for (TRVItemStyleNo n : {-2, -7, -8, -9, -9999}) EXPECT_EQ(RVCreateItemByStyleNo(n, &data), nullptr) << n;
}

// ---------------------------------------------------------------------------------------
// Breaks

TEST_F(NonTextItemsTest, BreakDrawsItsRuleInTheFirstTextStylesColour) {
  auto item = TRVBreakItemInfo::CreateEx(&data, 1, 0, clNone);
  item->PaintFullWidth(0, 80, 10, Canvas(), 0, &style, Rect(0, 0, 80, 60), nullptr);
  EXPECT_EQ(At(5, 15), kBlue);
  EXPECT_EQ(At(73, 15), kBlue);
  EXPECT_EQ(At(4, 15), kWhite);
  EXPECT_EQ(At(75, 15), kWhite);
  EXPECT_EQ(At(10, 14), kWhite);
}

TEST_F(NonTextItemsTest, SelectedBreakGetsSelectionLinesAboveAndBelow) {
  auto item = TRVBreakItemInfo::CreateEx(&data, 1, 0, kRed);
  item->PaintFullWidth(0, 80, 10, Canvas(), rvidsSelected, &style, Rect(0, 0, 80, 60), nullptr);
  EXPECT_EQ(At(10, 15), kRed);
  EXPECT_EQ(At(10, 14), kInactiveSel);
  EXPECT_EQ(At(10, 16), kInactiveSel);
  Clear();
  item->PaintFullWidth(0, 80, 10, Canvas(), rvidsSelected | rvidsControlFocused, &style, Rect(0, 0, 80, 60),
                       nullptr);
  EXPECT_EQ(At(10, 14), kSel);
}

TEST_F(NonTextItemsTest, BreakAnswersAsAFullLineWithoutDataLines) {
  auto item = TRVBreakItemInfo::CreateEx(&data, 2, 5, clNone);
  EXPECT_TRUE(item->QueryFeature(rvfqOwnLine));
  EXPECT_FALSE(item->QueryFeature(rvfqHasRVFDataLines));
  EXPECT_TRUE(item->QueryFeature(rvfqHasContent));
  EXPECT_FALSE(item->QueryFeatureForStyle(rvsfPrintViaBitmap, &style));
  EXPECT_EQ(item->GetRVFHeaderParams(&data), "536870911 5 2");
  item->SetBR(true);
  EXPECT_FALSE(item->GetBR());
}

// ---------------------------------------------------------------------------------------
// Pictures

TEST_F(NonTextItemsTest, PictureSizesIncludeTheSpacing) {
  auto item = TRVGraphicItemInfo::CreateWithPicture(&data, SolidBitmap(32, 16, kRed), 0);
  EXPECT_EQ(item->GetTotalWidth(), 34);
  EXPECT_EQ(item->GetTotalHeight(), 18);
  EXPECT_EQ(item->GetMinimumWidth(nullptr, nullptr), 34);
  TRVFormatScale scale{96, 96, 192, 192};
  EXPECT_EQ(item->GetMinimumWidth(&scale, nullptr), 68);
  item->ImageWidth = 64;
  EXPECT_EQ(item->GetImageWidth(&style), 64);
  EXPECT_EQ(item->GetTotalWidth(), 66);
  EXPECT_EQ(item->GetImageHeight(&style), 16);
}

TEST_F(NonTextItemsTest, PictureIsDrawnInsideItsSpacingWithFrames) {
  auto item = TRVGraphicItemInfo::CreateWithPicture(&data, SolidBitmap(4, 4, kRed), 0);
  item->Spacing = 2;
  item->Paint(10, 10, Canvas(), 0, &style, nullptr);
  EXPECT_EQ(At(12, 12), kRed);
  EXPECT_EQ(At(15, 15), kRed);
  EXPECT_EQ(At(11, 11), kWhite);
  EXPECT_EQ(At(16, 16), kWhite);
  Clear();
  item->Paint(10, 10, Canvas(), rvidsHover | rvidsSelected | rvidsControlFocused, &style, nullptr);
  EXPECT_EQ(At(9, 9), kHover);  // hover: one pixel outside the spacing rectangle
  EXPECT_EQ(At(10, 12), kSel);  // selection: on the spacing rectangle
  EXPECT_EQ(At(17, 12), kSel);  // its right edge (the rectangle is 8 wide)
  EXPECT_EQ(At(12, 12), kRed);
}

TEST_F(NonTextItemsTest, PictureWithDisplaySizeIsStretched) {
  auto item = TRVGraphicItemInfo::CreateWithPicture(&data, SolidBitmap(2, 2, kGreen), 0);
  item->ImageWidth = 10;
  item->ImageHeight = 6;
  item->Paint(0, 0, Canvas(), 0, &style, nullptr);
  EXPECT_EQ(At(10, 6), kGreen);
  EXPECT_EQ(At(11, 7), kWhite);
}

TEST_F(NonTextItemsTest, PictureFeatures) {
  auto item = TRVGraphicItemInfo::CreateWithPicture(&data, SolidBitmap(2, 2, kGreen), 0);
  EXPECT_TRUE(item->QueryFeature(rvfqHasContent));
  EXPECT_TRUE(item->QueryFeature(rvfqSelectOnClick));
  EXPECT_TRUE(item->QueryFeature(rvfqChangesCanvasFont));
  EXPECT_TRUE(item->QueryFeature(rvfqMouseResizable));
  EXPECT_FALSE(item->QueryFeature(rvfqOwnLine));
  EXPECT_TRUE(item->QueryFeatureForStyle(rvsfPrintViaBitmap, &style));
  EXPECT_FALSE(item->QueryFeatureForStyle(rvsfHyperlink, &style));
  EXPECT_EQ(item->GetItemPicture(), item->Image.get());
  item->Image = std::make_unique<TIcon>();
  EXPECT_FALSE(item->QueryFeature(rvfqMouseResizable));
  item->Image = std::make_unique<TMetafile>();
  EXPECT_FALSE(item->QueryFeatureForStyle(rvsfPrintViaBitmap, &style));
  item->Image.reset();
  EXPECT_FALSE(item->QueryFeature(rvfqHasContent));

  auto hot = TRVHotGraphicItemInfo::CreateWithPicture(&data, SolidBitmap(2, 2, kGreen), 0);
  EXPECT_EQ(hot->StyleNo, rvsHotPicture);
  for (int code : {rvsfHyperlink, rvsfFocusable, rvsfDottedFocus})
    EXPECT_TRUE(hot->QueryFeatureForStyle(code, &style)) << code;
  EXPECT_FALSE(hot->QueryFeatureForStyle(rvsfHoverDrawn, &style));
}

TEST_F(NonTextItemsTest, PictureIntegerProperties) {
  auto item = TRVGraphicItemInfo::CreateWithPicture(&data, SolidBitmap(2, 2, kGreen), 0);
  const struct {
    int code;
    int32_t value;
    int32_t expected;
  } cases[] = {{rvipImageWidth, 40, 40},      {rvipImageHeight, 30, 30},
               {rvipMinHeightOnPage, 12, 12}, {rvipVShift, -50, -50},
               {rvipVShiftAbs, 7, 1},         {rvipSpacing, -5, 0},
               {rvipSpacing, 3, 3},           {rvipTransparent, 1, 1},
               {rvipTransparentMode, 1, 1},   {rvipTransparentColor, kRed, kRed},
               {rvipDeleteProtect, 1, 1}};
  for (const auto& c : cases) {
    EXPECT_TRUE(item->SetIntPropertyByCode(c.code, c.value)) << c.code;
    int32_t value = -1;
    EXPECT_TRUE(item->GetIntPropertyByCode(c.code, value)) << c.code;
    EXPECT_EQ(value, c.expected) << c.code;
  }
  int32_t value = 0;
  EXPECT_FALSE(item->SetIntPropertyByCode(rvipUnknown, 1));
  EXPECT_FALSE(item->SetIntPropertyByCode(rvipResizable, 1));
  EXPECT_FALSE(item->GetIntPropertyByCode(rvipResizable, value));

  // The transparency codes apply to bitmaps only.
  auto jpeg = std::make_unique<TJPEGImage>();
  jpeg->Assign(SolidBitmap(8, 8, kRed).get());
  item->Image = std::move(jpeg);
  EXPECT_FALSE(item->SetIntPropertyByCode(rvipTransparent, 1));
  EXPECT_FALSE(item->GetIntPropertyByCode(rvipTransparentColor, value));
}

TEST_F(NonTextItemsTest, PictureWritesTheExtraPropertiesThatDifferFromDefaults) {
  auto bitmap = SolidBitmap(2, 2, kGreen);
  bitmap->SetTransparentColor(kRed);
  bitmap->SetTransparent(true);
  auto item = TRVGraphicItemInfo::CreateWithPicture(&data, std::move(bitmap), 0);
  item->DeleteProtect = true;
  item->VShift = 20;
  item->Spacing = 2;
  item->ImageWidth = 64;
  item->MinHeightOnPage = 5;
  TMemoryStream stream;
  item->SaveRVFExtraProperties(stream);
  const std::string expected =
      "unremovable=1\r\nvshift=20\r\nspacing=2\r\nwidth=64\r\nminheightonpage=5\r\n"
      "transparent=1\r\ntmode=1\r\ntcolor=255\r\n";
  EXPECT_EQ(StreamText(stream), expected);
  EXPECT_EQ(item->CountRVFExtraProperties(), 8);

  auto plain = TRVGraphicItemInfo::CreateWithPicture(&data, SolidBitmap(2, 2, kGreen), 3);
  EXPECT_EQ(plain->CountRVFExtraProperties(), 0);
  EXPECT_EQ(plain->GetRVFHeaderParams(&data), "3");
}

TEST_F(NonTextItemsTest, DuplicatedPictureOwnsCopiesOfItsPictures) {
  auto item = TRVGraphicItemInfo::CreateWithPicture(&data, SolidBitmap(3, 2, kGreen), 1);
  item->ImageWidth = 9;
  item->Tag.Value = 5;
  std::unique_ptr<TCustomRVItemInfo> copy = RVDuplicateItem(*item, &data);
  auto* picture = dynamic_cast<TRVGraphicItemInfo*>(copy.get());
  ASSERT_NE(picture, nullptr);
  ASSERT_NE(picture->Image, nullptr);
  EXPECT_NE(picture->Image.get(), item->Image.get());
  EXPECT_EQ(picture->Image->Width(), 3);
  EXPECT_EQ(picture->ImageWidth, 9);
  EXPECT_EQ(picture->VAlign, 1);
  EXPECT_EQ(picture->ImageCopy, nullptr);
  EXPECT_EQ(picture->Tag.Value, 5);
  item.reset();
  EXPECT_EQ(picture->Image->Height(), 2);
}

TEST_F(NonTextItemsTest, PaletteCopiesOfPictures) {
  const std::vector<TPaletteEntry> palette(16, TPaletteEntry{1, 2, 3, 0});
  auto item = TRVGraphicItemInfo::CreateWithPicture(&data, SolidBitmap(3, 3, kGreen), 0);
  item->UpdatePaletteInfo(rvpaCreateCopies, false, &palette);
  ASSERT_NE(item->ImageCopy, nullptr);
  TGraphic* first = item->ImageCopy.get();
  item->UpdatePaletteInfo(rvpaCreateCopies, false, &palette);
  EXPECT_EQ(item->ImageCopy.get(), first);  // kept
  item->UpdatePaletteInfo(rvpaCreateCopies, true, &palette);
  ASSERT_NE(item->ImageCopy, nullptr);  // made again
  // The copy is what gets drawn.
  item->Paint(0, 0, Canvas(), 0, &style, nullptr);
  EXPECT_EQ(At(2, 2), kGreen);
  item->DetachFromData(&data, 0);
  EXPECT_EQ(item->ImageCopy, nullptr);
  item->UpdatePaletteInfo(rvpaCreateCopies, false, &palette);
  item->UpdatePaletteInfo(rvpaDoNothing, false, &palette);
  EXPECT_EQ(item->ImageCopy, nullptr);
}

// ---------------------------------------------------------------------------------------
// Bullets and hotspots

TEST_F(NonTextItemsTest, BulletDrawsItsImageAndHotspotItsHotImage) {
  auto bullet = TRVBulletItemInfo::CreateEx(&data, &images, 1, 0);
  EXPECT_EQ(bullet->GetTotalWidth(), 10);
  EXPECT_EQ(bullet->GetMinimumWidth(nullptr, nullptr), 10);
  bullet->Paint(0, 0, Canvas(), 0, &style, nullptr);
  EXPECT_EQ(At(1, 1), kGreen);
  EXPECT_EQ(At(8, 8), kGreen);
  EXPECT_EQ(At(9, 9), kWhite);

  auto hotspot = TRVHotspotItemInfo::CreateEx(&data, &images, 1, 0, 0);
  hotspot->Paint(20, 0, Canvas(), 0, &style, nullptr);
  EXPECT_EQ(At(21, 1), kGreen);
  hotspot->Paint(20, 0, Canvas(), rvidsShowHot | rvidsHover, &style, nullptr);
  EXPECT_EQ(At(21, 1), kRed);
  EXPECT_EQ(At(20, 5), kHover);  // the hover frame is the spacing rectangle itself
  EXPECT_EQ(hotspot->GetRVFHeaderParams(&data), "0 1 0");
}

TEST_F(NonTextItemsTest, SelectedBulletIsBlendedWithTheSelectionColour) {
  auto bullet = TRVBulletItemInfo::CreateEx(&data, &images, 1, 0);
  bullet->Paint(0, 0, Canvas(), rvidsSelected, &style, nullptr);
  EXPECT_NE(At(4, 4), kGreen);
  EXPECT_NE(At(4, 4), kWhite);
  EXPECT_EQ(At(0, 0), kWhite);  // no frame for a selected bullet
}

TEST_F(NonTextItemsTest, ImageIndexOutsideTheListDrawsNothing) {
  for (int32_t index : {-1, 2, 1000}) {
    auto bullet = TRVBulletItemInfo::CreateEx(&data, &images, index, 0);
    EXPECT_FALSE(bullet->HasImageToDraw(false)) << index;
    bullet->Paint(0, 0, Canvas(), 0, &style, nullptr);
    EXPECT_EQ(At(4, 4), kWhite) << index;
  }
  auto hotspot = TRVHotspotItemInfo::CreateEx(&data, &images, 0, 7, 0);
  EXPECT_TRUE(hotspot->HasImageToDraw(false));
  EXPECT_FALSE(hotspot->HasImageToDraw(true));
  auto noList = TRVBulletItemInfo::CreateEx(&data, nullptr, 0, 0);
  EXPECT_FALSE(noList->QueryFeature(rvfqHasContent));
  EXPECT_EQ(noList->GetTotalWidth(), 2);
}

TEST_F(NonTextItemsTest, HotspotHoverDependsOnDistinctImages) {
  auto same = TRVHotspotItemInfo::CreateEx(&data, &images, 1, 1, 0);
  auto distinct = TRVHotspotItemInfo::CreateEx(&data, &images, 0, 1, 0);
  EXPECT_FALSE(same->QueryFeatureForStyle(rvsfHoverDrawn, &style));
  EXPECT_TRUE(distinct->QueryFeatureForStyle(rvsfHoverDrawn, &style));
  EXPECT_TRUE(same->QueryFeatureForStyle(rvsfHyperlink, &style));
  auto bullet = TRVBulletItemInfo::CreateEx(&data, &images, 0, 0);
  EXPECT_FALSE(bullet->QueryFeatureForStyle(rvsfHyperlink, &style));
  std::unique_ptr<TCustomRVItemInfo> copy = RVDuplicateItem(*distinct, &data);
  auto* hot = dynamic_cast<TRVHotspotItemInfo*>(copy.get());
  ASSERT_NE(hot, nullptr);
  EXPECT_EQ(hot->ImageList, &images);
  EXPECT_EQ(hot->ImageIndex, 0);
  EXPECT_EQ(hot->HotImageIndex, 1);
}

// ---------------------------------------------------------------------------------------
// Controls

TEST_F(NonTextItemsTest, ControlSizesAndPercentWidth) {
  auto control = std::make_unique<TWinControl>();
  control->SetBounds(0, 0, 100, 20);
  auto item = TRVControlItemInfo::CreateEx(&data, std::move(control), 0);
  EXPECT_EQ(item->GetTotalWidth(), 102);
  EXPECT_EQ(item->GetTotalHeight(), 22);
  EXPECT_EQ(item->GetMinimumWidth(nullptr, nullptr), 102);
  item->Spacing = 4;
  item->PercentWidth = 50;
  int32_t descent = 0, offset = -1;
  item->GetWidthRequirements(400, nullptr, false, nullptr, &data, nullptr, false, descent, offset);
  EXPECT_EQ(item->Control->Width(), 198);
  EXPECT_EQ(descent, 4);
  EXPECT_EQ(offset, 0);
  EXPECT_EQ(item->GetMinimumWidth(nullptr, nullptr), 20);
  EXPECT_FALSE(item->QueryFeature(rvfqMouseResizable));
  item->Resizable = true;
  EXPECT_FALSE(item->QueryFeature(rvfqMouseResizable));
  item->PercentWidth = 0;
  EXPECT_TRUE(item->QueryFeature(rvfqMouseResizable));
  for (int code : {rvfqHasContent, rvfqSelectOnClick, rvfqOwnsControlDirectly, rvfqHandlesOutside})
    EXPECT_TRUE(item->QueryFeature(code)) << code;
}

TEST_F(NonTextItemsTest, ControlTakesTheFocusOnlyWhenItCan) {
  auto control = std::make_unique<TWinControl>();
  TWinControl* raw = control.get();
  auto item = TRVControlItemInfo::CreateEx(&data, std::move(control), 0);
  EXPECT_FALSE(item->QueryFeatureForStyle(rvsfFocusable, &style));
  raw->SetTabStop(true);
  EXPECT_TRUE(item->QueryFeatureForStyle(rvsfFocusable, &style));
  EXPECT_FALSE(item->QueryFeatureForStyle(rvsfDottedFocus, &style));
  item->Focus();
  EXPECT_TRUE(raw->Focused());
  raw->SetEnabled(false);
  EXPECT_FALSE(item->QueryFeatureForStyle(rvsfFocusable, &style));
  EXPECT_TRUE(item->OwnsControl(raw));
  EXPECT_FALSE(item->OwnsControl(&data.parent));
}

TEST_F(NonTextItemsTest, ControlFollowsItsDocument) {
  auto control = std::make_unique<TWinControl>();
  TWinControl* raw = control.get();
  data.AddItem("", TRVControlItemInfo::CreateEx(&data, std::move(control), 0));
  EXPECT_EQ(raw->Parent(), &data.parent);
  EXPECT_FALSE(raw->Visible());
  EXPECT_EQ(data.FindItemByOwnedObject(raw), 0);

  auto* item = static_cast<TRVControlItemInfo*>(data.GetItem(0));
  item->SetControlPosition(10, 20, false);
  EXPECT_EQ(raw->Left(), 11);
  EXPECT_EQ(raw->Top(), 0);
  EXPECT_EQ(raw->Tag(), 21);
  EXPECT_TRUE(raw->Visible());
  item->SetControlPosition(10, 20, true);
  EXPECT_EQ(raw->Top(), 21);

  item->DetachFromData(&data, 0);
  item->AttachToData(&data, 0);
  ASSERT_EQ(data.actions.size(), 2u);
  EXPECT_EQ(data.actions[0].first, rvcaMoveToUndoList);
  EXPECT_EQ(data.actions[1].first, rvcaMoveFromUndoList);
  data.Clear();
  EXPECT_EQ(data.parent.ControlCount(), 0);
  EXPECT_EQ(data.actions.back().first, rvcaDestroy);
}

TEST_F(NonTextItemsTest, ControlWithAnOwnerIsTakenFromIt) {
  TComponent owner;
  auto* control = new TWinControl(&owner);
  auto item = TRVControlItemInfo::CreateEx(&data, std::unique_ptr<TControl>(control), 0);
  EXPECT_EQ(owner.ComponentCount(), 0);
  EXPECT_EQ(item->Control.get(), control);
}

TEST_F(NonTextItemsTest, ControlPropertiesAndCopy) {
  auto item = TRVControlItemInfo::CreateEx(&data, std::make_unique<TWinControl>(), 2);
  EXPECT_TRUE(item->SetIntPropertyByCode(rvipResizable, 1));
  EXPECT_TRUE(item->SetIntPropertyByCode(rvipMinHeightOnPage, 9));
  EXPECT_FALSE(item->SetIntPropertyByCode(rvipImageWidth, 9));
  item->PercentWidth = 30;
  TMemoryStream stream;
  item->SaveRVFExtraProperties(stream);
  EXPECT_EQ(StreamText(stream), "minheightonpage=9\r\nresizable=1\r\n");
  EXPECT_EQ(item->CountRVFExtraProperties(), 2);
  EXPECT_EQ(item->GetRVFHeaderParams(&data), "2");
  std::unique_ptr<TCustomRVItemInfo> copy = RVDuplicateItem(*item, &data);
  auto* control = dynamic_cast<TRVControlItemInfo*>(copy.get());
  ASSERT_NE(control, nullptr);
  EXPECT_EQ(control->Control, nullptr);
  EXPECT_EQ(control->PercentWidth, 30);
  EXPECT_TRUE(control->Resizable);
  EXPECT_EQ(control->MinHeightOnPage, 9);
}

TEST_F(NonTextItemsTest, ControlDrawsOnlyItsFrames) {
  auto control = std::make_unique<TWinControl>();
  control->SetBounds(0, 0, 10, 10);
  auto item = TRVControlItemInfo::CreateEx(&data, std::move(control), 0);
  item->Paint(5, 5, Canvas(), 0, &style, nullptr);
  EXPECT_EQ(At(6, 6), kWhite);
  item->Paint(5, 5, Canvas(), rvidsHover | rvidsSelected, &style, nullptr);
  EXPECT_EQ(At(4, 4), kHover);
  EXPECT_EQ(At(5, 8), kInactiveSel);
  EXPECT_EQ(At(8, 8), kWhite);
}

}  // namespace
