#include "richtext/core/RVNonTextItems.h"

#include "platform/core/SysUtils.h"
#include "platform/graphics/Bitmap.h"
#include "platform/graphics/Canvas.h"
#include "platform/graphics/Controls.h"
#include "platform/graphics/Icon.h"
#include "platform/graphics/ImageList.h"
#include "platform/graphics/JPEGImage.h"
#include "platform/graphics/Metafile.h"
#include "richtext/core/CRVData.h"
#include "richtext/core/RVGraphicFuncs.h"
#include "richtext/core/RVMarker.h"
#include "richtext/core/RVStyle.h"

void RVRegisterNonTextItemClasses() {
  RegisterGraphicClasses();
  RVSetBuiltInItemClass(rvsBreak, TRVBreakItemInfo::ItemClass());
  RVSetBuiltInItemClass(rvsPicture, TRVGraphicItemInfo::ItemClass());
  RVSetBuiltInItemClass(rvsHotPicture, TRVHotGraphicItemInfo::ItemClass());
  RVSetBuiltInItemClass(rvsBullet, TRVBulletItemInfo::ItemClass());
  RVSetBuiltInItemClass(rvsHotspot, TRVHotspotItemInfo::ItemClass());
  RVSetBuiltInItemClass(rvsComponent, TRVControlItemInfo::ItemClass());
  RVSetBuiltInItemClass(rvsListMarker, TRVMarkerItemInfo::ItemClass());
}

namespace {

/// Writes one "name=value" extra-property line.
void WriteIntProperty(TStream& stream, TRVItemIntPropCode code, int32_t value) {
  RVWriteLine(stream, std::string(RVItemIntPropNames[code]) + "=" + IntToStr(value));
}

int32_t ScaleX(int32_t value, const TRVFormatScale* scale) {
  return scale ? RVScreenToDeviceX(value, *scale) : value;
}

/// The frame colour of a selected item: the focused or the unfocused selection colour.
TColor SelectionColor(const TRVStyle& style, TRVItemDrawStates state) {
  return (state & rvidsControlFocused) ? style.SelColor : style.InactiveSelColor;
}

void DrawFrame(TCanvas& canvas, const TRect& r, TColor color) {
  canvas.Pen().SetStyle(psSolid);
  canvas.Pen().SetWidth(1);
  canvas.Pen().SetColor(color);
  canvas.Brush().SetStyle(bsClear);
  canvas.Rectangle(r);
  canvas.Brush().SetStyle(bsSolid);
}

/// The hypertext items fire their link through the document like hyperlink text.
void FireItemJump(const TCustomRVItemInfo& item, TCustomRVData* rvData) {
  if (rvData != nullptr && item.QueryFeatureForStyle(rvsfHyperlink, rvData->GetRVStyle()))
    rvData->DoItemJump(item.JumpID);
}

/// The bitmap behind a picture, for the bitmap-only properties; null for other pictures.
TBitmap* AsBitmap(const std::unique_ptr<TGraphic>& graphic) {
  return dynamic_cast<TBitmap*>(graphic.get());
}

}  // namespace

void RVDrawItemFrames(TCanvas& Canvas, const TRect& SpacingRect, TRVItemDrawStates State, TRVStyle* Style,
                      bool HoverOutside, bool SelectionFrame) {
  if (Style == nullptr) return;
  if ((State & rvidsHover) && Style->HoverColor != clNone) {
    TRect r = SpacingRect;
    if (HoverOutside) r = Rect(r.Left - 1, r.Top - 1, r.Right + 1, r.Bottom + 1);
    DrawFrame(Canvas, r, Style->HoverColor);
  }
  if (SelectionFrame && (State & rvidsSelected)) {
    const TColor color = SelectionColor(*Style, State);
    if (color != clNone) DrawFrame(Canvas, SpacingRect, color);
  }
}

// ---------------------------------------------------------------------------------------
// TRVBreakItemInfo

TRVBreakItemInfo::TRVBreakItemInfo(TCustomRVData* RVData) : TRVFullLineItemInfo(RVData) {}

std::unique_ptr<TRVBreakItemInfo> TRVBreakItemInfo::CreateEx(TCustomRVData* RVData, uint8_t ALineWidth,
                                                             uint8_t AStyle, TColor AColor) {
  auto item = std::make_unique<TRVBreakItemInfo>(RVData);
  item->StyleNo = rvsBreak;
  item->LineWidth = ALineWidth;
  item->Style = AStyle;
  item->Color = AColor;
  return item;
}

bool TRVBreakItemInfo::QueryFeature(int Code) const {
  return Code != rvfqHasRVFDataLines && TRVFullLineItemInfo::QueryFeature(Code);
}

bool TRVBreakItemInfo::QueryFeatureForStyle(int Code, TRVStyle* AStyle) const {
  return Code != rvsfPrintViaBitmap && TRVFullLineItemInfo::QueryFeatureForStyle(Code, AStyle);
}

TColor TRVBreakItemInfo::GetLineColor(TRVStyle* AStyle) const {
  if (Color != clNone) return Color;
  if (AStyle != nullptr && AStyle->TextStyles().Count() > 0) return AStyle->TextStyles().Items(0)->Color;
  return clWindowText;
}

void TRVBreakItemInfo::PaintFullWidth(int32_t Left, int32_t Right, int32_t Top, TCanvas& Canvas,
                                      TRVItemDrawStates State, TRVStyle* AStyle, const TRect& ClipRect,
                                      TRVDrawLineInfo* DrawItem) {
  (void)ClipRect, (void)DrawItem;
  const int32_t y = Top + 5;
  Canvas.Pen().SetStyle(psSolid);
  Canvas.Pen().SetColor(GetLineColor(AStyle));
  Canvas.Pen().SetWidth(LineWidth);
  Canvas.MoveTo(Left + 5, y);
  Canvas.LineTo(Right - 5, y);
  Canvas.Pen().SetWidth(1);
  if (!(State & rvidsSelected) || AStyle == nullptr) return;
  const TColor color = SelectionColor(*AStyle, State);
  if (color == clNone) return;
  Canvas.Pen().SetColor(color);
  Canvas.MoveTo(Left + 5, y - 1);
  Canvas.LineTo(Right - 5, y - 1);
  Canvas.MoveTo(Left + 5, y + 1);
  Canvas.LineTo(Right - 5, y + 1);
}

std::string TRVBreakItemInfo::GetRVFHeaderParams(TCustomRVData* RVData) const {
  (void)RVData;
  return IntToStr(Color) + " " + IntToStr(Style) + " " + IntToStr(LineWidth);
}

void TRVBreakItemInfo::CopyProperties(const TCustomRVItemInfo& Source) {
  if (const auto* source = dynamic_cast<const TRVBreakItemInfo*>(&Source)) {
    LineWidth = source->LineWidth;
    Style = source->Style;
    Color = source->Color;
  }
  TRVFullLineItemInfo::CopyProperties(Source);
}

// ---------------------------------------------------------------------------------------
// TRVGraphicItemInfo

TRVGraphicItemInfo::TRVGraphicItemInfo(TCustomRVData* RVData) : TRVRectItemInfo(RVData) {}

TRVGraphicItemInfo::~TRVGraphicItemInfo() = default;

std::unique_ptr<TRVGraphicItemInfo> TRVGraphicItemInfo::CreateWithPicture(TCustomRVData* RVData,
                                                                          std::unique_ptr<TGraphic> Picture,
                                                                          uint8_t AVAlign) {
  auto item = std::make_unique<TRVGraphicItemInfo>(RVData);
  item->StyleNo = rvsPicture;
  item->Image = std::move(Picture);
  item->VAlign = AVAlign;
  return item;
}

int32_t TRVGraphicItemInfo::GetMinimumWidth(const TRVFormatScale* ScreenAndDevice, TCanvas* Canvas) {
  (void)Canvas;
  return ScaleX(GetImageWidth(nullptr) + 2 * Spacing, ScreenAndDevice);
}

bool TRVGraphicItemInfo::QueryFeature(int Code) const {
  switch (Code) {
    case rvfqHasContent:
      return Image != nullptr;
    case rvfqSelectOnClick:
    case rvfqChangesCanvasFont:
      return true;
    case rvfqMouseResizable:
      return Image != nullptr && dynamic_cast<const TIcon*>(Image.get()) == nullptr;
    default:
      return TRVRectItemInfo::QueryFeature(Code);
  }
}

bool TRVGraphicItemInfo::QueryFeatureForStyle(int Code, TRVStyle* Style) const {
  if (Code == rvsfPrintViaBitmap) return dynamic_cast<const TMetafile*>(Image.get()) == nullptr;
  return TRVRectItemInfo::QueryFeatureForStyle(Code, Style);
}

int32_t TRVGraphicItemInfo::GetImageWidth(TRVStyle* Style) const {
  (void)Style;
  if (ImageWidth >= 1) return ImageWidth;
  return Image ? Image->Width() : 0;
}

int32_t TRVGraphicItemInfo::GetImageHeight(TRVStyle* Style) const {
  (void)Style;
  if (ImageHeight >= 1) return ImageHeight;
  return Image ? Image->Height() : 0;
}

void TRVGraphicItemInfo::Paint(int32_t X, int32_t Y, TCanvas& Canvas, TRVItemDrawStates State,
                               TRVStyle* Style, TRVDrawLineInfo* DrawItem) {
  (void)DrawItem;
  const int32_t s = Spacing;
  const int32_t w = GetImageWidth(Style);
  const int32_t h = GetImageHeight(Style);
  const TRect content = Bounds(X + s, Y + s, w, h);
  if (auto* copy = AsBitmap(ImageCopy); copy != nullptr && !copy->Empty()) {
    // The palette copy is blitted: at its own size, or stretched to the display size.
    const TCopyMode oldMode = Canvas.CopyMode();
    Canvas.SetCopyMode(cmSrcCopy);
    Canvas.CopyRect(content, copy->Canvas(), Rect(0, 0, copy->Width(), copy->Height()));
    Canvas.SetCopyMode(oldMode);
  } else if (TGraphic* picture = ImageCopy ? ImageCopy.get() : Image.get()) {
    if (ImageWidth > 0 || ImageHeight > 0)
      Canvas.StretchDraw(content, picture);
    else
      Canvas.Draw(X + s, Y + s, picture);
  }
  RVDrawItemFrames(Canvas, Bounds(X, Y, w + 2 * s, h + 2 * s), State, Style, true, true);
}

std::string TRVGraphicItemInfo::GetRVFHeaderParams(TCustomRVData* RVData) const {
  (void)RVData;
  return IntToStr(VAlign);
}

int TRVGraphicItemInfo::CountRVFExtraProperties() const {
  int count = TRVRectItemInfo::CountRVFExtraProperties();
  count += (ImageWidth > 0) + (ImageHeight > 0) + (MinHeightOnPage > 0);
  if (TBitmap* bitmap = AsBitmap(Image); bitmap != nullptr && bitmap->Transparent())
    count += bitmap->TransparentMode() == tmFixed ? 3 : 2;
  return count;
}

void TRVGraphicItemInfo::SaveRVFExtraProperties(TStream& Stream) const {
  TRVRectItemInfo::SaveRVFExtraProperties(Stream);
  if (ImageWidth > 0) WriteIntProperty(Stream, rvipImageWidth, ImageWidth);
  if (ImageHeight > 0) WriteIntProperty(Stream, rvipImageHeight, ImageHeight);
  if (MinHeightOnPage > 0) WriteIntProperty(Stream, rvipMinHeightOnPage, MinHeightOnPage);
  TBitmap* bitmap = AsBitmap(Image);
  if (bitmap == nullptr || !bitmap->Transparent()) return;
  WriteIntProperty(Stream, rvipTransparent, 1);
  WriteIntProperty(Stream, rvipTransparentMode, bitmap->TransparentMode());
  if (bitmap->TransparentMode() == tmFixed)
    WriteIntProperty(Stream, rvipTransparentColor, bitmap->TransparentColor());
}

void TRVGraphicItemInfo::CopyProperties(const TCustomRVItemInfo& Source) {
  if (const auto* source = dynamic_cast<const TRVGraphicItemInfo*>(&Source)) {
    Image = source->Image ? RVCopyGraphic(*source->Image) : nullptr;
    ImageCopy = source->ImageCopy ? RVCopyGraphic(*source->ImageCopy) : nullptr;
    ImageWidth = source->ImageWidth;
    ImageHeight = source->ImageHeight;
  }
  TRVRectItemInfo::CopyProperties(Source);
}

void TRVGraphicItemInfo::UpdatePaletteInfo(TRVPaletteAction Action, bool ForceRecreateCopy,
                                           TRVPalette Palette) {
  const bool copyMode = Action == rvpaCreateCopies || Action == rvpaCreateCopiesEx;
  if (!copyMode || ForceRecreateCopy || Palette == nullptr) ImageCopy.reset();
  if (!Image || Palette == nullptr) return;
  if (Action == rvpaAssignPallette) {
    RVSetGraphicPalette(*Image, Palette);
    return;
  }
  if (!copyMode || ImageCopy) return;
  std::unique_ptr<TGraphic> copy;
  if (Action == rvpaCreateCopiesEx && dynamic_cast<TJPEGImage*>(Image.get()))
    copy = std::make_unique<TBitmap>();
  else
    copy = RVCreateGraphic(Image->ClassName());
  if (!copy) return;  // a class the factory cannot make draws without a copy
  copy->Assign(Image.get());
  RVSetGraphicPalette(*copy, Palette);
  if (auto* bitmap = dynamic_cast<TBitmap*>(copy.get())) bitmap->SetIgnorePalette(true);
  ImageCopy = std::move(copy);
}

void TRVGraphicItemInfo::DetachFromData(TCustomRVData* RVData, int ItemNo) {
  ImageCopy.reset();
  TRVRectItemInfo::DetachFromData(RVData, ItemNo);
}

bool TRVGraphicItemInfo::SetIntPropertyByCode(int Code, int32_t Value) {
  switch (Code) {
    case rvipImageWidth:
      ImageWidth = Value;
      return true;
    case rvipImageHeight:
      ImageHeight = Value;
      return true;
    case rvipMinHeightOnPage:
      MinHeightOnPage = Value;
      return true;
    case rvipTransparent:
    case rvipTransparentMode:
    case rvipTransparentColor: {
      TBitmap* bitmap = AsBitmap(Image);
      if (bitmap == nullptr) return false;
      if (Code == rvipTransparent)
        bitmap->SetTransparent(Value != 0);
      else if (Code == rvipTransparentMode)
        bitmap->SetTransparentMode(Value == 0 ? tmAuto : tmFixed);
      else
        bitmap->SetTransparentColor(Value);
      return true;
    }
    default:
      return TRVRectItemInfo::SetIntPropertyByCode(Code, Value);
  }
}

bool TRVGraphicItemInfo::GetIntPropertyByCode(int Code, int32_t& Value) const {
  switch (Code) {
    case rvipImageWidth:
      Value = ImageWidth;
      return true;
    case rvipImageHeight:
      Value = ImageHeight;
      return true;
    case rvipMinHeightOnPage:
      Value = MinHeightOnPage;
      return true;
    case rvipTransparent:
    case rvipTransparentMode:
    case rvipTransparentColor: {
      TBitmap* bitmap = AsBitmap(Image);
      if (bitmap == nullptr) return false;
      if (Code == rvipTransparent)
        Value = bitmap->Transparent() ? 1 : 0;
      else if (Code == rvipTransparentMode)
        Value = bitmap->TransparentMode();
      else
        Value = bitmap->TransparentColor();
      return true;
    }
    default:
      return TRVRectItemInfo::GetIntPropertyByCode(Code, Value);
  }
}

// ---------------------------------------------------------------------------------------
// TRVHotGraphicItemInfo

std::unique_ptr<TRVHotGraphicItemInfo> TRVHotGraphicItemInfo::CreateWithPicture(
    TCustomRVData* RVData, std::unique_ptr<TGraphic> Picture, uint8_t AVAlign) {
  auto item = std::make_unique<TRVHotGraphicItemInfo>(RVData);
  item->StyleNo = rvsHotPicture;
  item->Image = std::move(Picture);
  item->VAlign = AVAlign;
  return item;
}

bool TRVHotGraphicItemInfo::QueryFeatureForStyle(int Code, TRVStyle* Style) const {
  if (Code == rvsfHyperlink || Code == rvsfFocusable || Code == rvsfDottedFocus) return true;
  return TRVGraphicItemInfo::QueryFeatureForStyle(Code, Style);
}

void TRVHotGraphicItemInfo::FireJump(TCustomRVData* RVData) {
  FireItemJump(*this, RVData);
}

// ---------------------------------------------------------------------------------------
// TRVBulletItemInfo, TRVHotspotItemInfo

std::unique_ptr<TRVBulletItemInfo> TRVBulletItemInfo::CreateEx(TCustomRVData* RVData,
                                                               TCustomImageList* AImageList,
                                                               int32_t AImageIndex, uint8_t AVAlign) {
  auto item = std::make_unique<TRVBulletItemInfo>(RVData);
  item->StyleNo = rvsBullet;
  item->ImageList = AImageList;
  item->ImageIndex = AImageIndex;
  item->VAlign = AVAlign;
  return item;
}

int32_t TRVBulletItemInfo::GetMinimumWidth(const TRVFormatScale* ScreenAndDevice, TCanvas* Canvas) {
  (void)Canvas;
  return ScaleX(GetImageWidth(nullptr) + 2 * Spacing, ScreenAndDevice);
}

bool TRVBulletItemInfo::QueryFeature(int Code) const {
  if (Code == rvfqHasContent) return ImageList != nullptr;
  if (Code == rvfqSelectOnClick) return true;
  return TRVRectItemInfo::QueryFeature(Code);
}

int32_t TRVBulletItemInfo::GetImageWidth(TRVStyle* Style) const {
  (void)Style;
  return ImageList ? ImageList->Width() : 0;
}

int32_t TRVBulletItemInfo::GetImageHeight(TRVStyle* Style) const {
  (void)Style;
  return ImageList ? ImageList->Height() : 0;
}

bool TRVBulletItemInfo::HasImageToDraw(bool Hot) const {
  const int32_t index = GetImageIndexToDraw(Hot);
  return ImageList != nullptr && index >= 0 && index < ImageList->Count();
}

void TRVBulletItemInfo::Paint(int32_t X, int32_t Y, TCanvas& Canvas, TRVItemDrawStates State, TRVStyle* Style,
                              TRVDrawLineInfo* DrawItem) {
  (void)DrawItem;
  const bool hot = (State & rvidsShowHot) != 0;
  const int32_t s = Spacing;
  if (HasImageToDraw(hot)) {
    const int32_t index = GetImageIndexToDraw(hot);
    if ((State & rvidsSelected) && Style != nullptr)
      ImageList->DrawEx(Canvas, index, X + s, Y + s, SelectionColor(*Style, State),
                        ILD_TRANSPARENT | ILD_SELECTED);
    else
      ImageList->DrawEx(Canvas, index, X + s, Y + s, clNone, ILD_TRANSPARENT);
  }
  RVDrawItemFrames(Canvas, Bounds(X, Y, GetImageWidth(Style) + 2 * s, GetImageHeight(Style) + 2 * s), State,
                   Style, false, false);
}

std::string TRVBulletItemInfo::GetRVFHeaderParams(TCustomRVData* RVData) const {
  (void)RVData;
  return IntToStr(ImageList ? ImageList->Tag() : 0) + " " + IntToStr(ImageIndex);
}

void TRVBulletItemInfo::CopyProperties(const TCustomRVItemInfo& Source) {
  if (const auto* source = dynamic_cast<const TRVBulletItemInfo*>(&Source)) {
    ImageList = source->ImageList;
    ImageIndex = source->ImageIndex;
  }
  TRVRectItemInfo::CopyProperties(Source);
}

std::unique_ptr<TRVHotspotItemInfo> TRVHotspotItemInfo::CreateEx(TCustomRVData* RVData,
                                                                 TCustomImageList* AImageList,
                                                                 int32_t AImageIndex, int32_t AHotImageIndex,
                                                                 uint8_t AVAlign) {
  auto item = std::make_unique<TRVHotspotItemInfo>(RVData);
  item->StyleNo = rvsHotspot;
  item->ImageList = AImageList;
  item->ImageIndex = AImageIndex;
  item->HotImageIndex = AHotImageIndex;
  item->VAlign = AVAlign;
  return item;
}

bool TRVHotspotItemInfo::QueryFeatureForStyle(int Code, TRVStyle* Style) const {
  switch (Code) {
    case rvsfHyperlink:
    case rvsfFocusable:
    case rvsfDottedFocus:
      return true;
    case rvsfHoverDrawn:
      return ImageIndex != HotImageIndex;
    default:
      return TRVBulletItemInfo::QueryFeatureForStyle(Code, Style);
  }
}

std::string TRVHotspotItemInfo::GetRVFHeaderParams(TCustomRVData* RVData) const {
  return TRVBulletItemInfo::GetRVFHeaderParams(RVData) + " " + IntToStr(HotImageIndex);
}

void TRVHotspotItemInfo::CopyProperties(const TCustomRVItemInfo& Source) {
  if (const auto* source = dynamic_cast<const TRVHotspotItemInfo*>(&Source))
    HotImageIndex = source->HotImageIndex;
  TRVBulletItemInfo::CopyProperties(Source);
}

void TRVHotspotItemInfo::FireJump(TCustomRVData* RVData) {
  FireItemJump(*this, RVData);
}

// ---------------------------------------------------------------------------------------
// TRVControlItemInfo

TRVControlItemInfo::TRVControlItemInfo(TCustomRVData* RVData) : TRVRectItemInfo(RVData) {}

TRVControlItemInfo::~TRVControlItemInfo() = default;

std::unique_ptr<TRVControlItemInfo> TRVControlItemInfo::CreateEx(TCustomRVData* RVData,
                                                                 std::unique_ptr<TControl> AControl,
                                                                 uint8_t AVAlign) {
  auto item = std::make_unique<TRVControlItemInfo>(RVData);
  item->StyleNo = rvsComponent;
  // The item is the control's only owner from now on.
  if (AControl && AControl->Owner() != nullptr)
    (void)AControl->Owner()->RemoveComponent(AControl.get()).release();
  item->Control = std::move(AControl);
  item->VAlign = AVAlign;
  return item;
}

int32_t TRVControlItemInfo::GetMinimumWidth(const TRVFormatScale* ScreenAndDevice, TCanvas* Canvas) {
  if (PercentWidth > 0 && PercentWidth <= 100)
    return TRVRectItemInfo::GetMinimumWidth(ScreenAndDevice, Canvas);
  return ScaleX(GetImageWidth(nullptr) + 2 * Spacing, ScreenAndDevice);
}

bool TRVControlItemInfo::QueryFeature(int Code) const {
  switch (Code) {
    case rvfqHasContent:
      return Control != nullptr;
    case rvfqSelectOnClick:
    case rvfqOwnsControlDirectly:
    case rvfqHandlesOutside:
      return true;
    case rvfqMouseResizable:
      return Resizable && PercentWidth == 0;
    default:
      return TRVRectItemInfo::QueryFeature(Code);
  }
}

bool TRVControlItemInfo::QueryFeatureForStyle(int Code, TRVStyle* Style) const {
  switch (Code) {
    case rvsfFocusable: {
      const auto* control = dynamic_cast<const TWinControl*>(Control.get());
      return control != nullptr && control->TabStop() && control->CanFocus();
    }
    case rvsfDottedFocus:
      return false;
    default:
      return TRVRectItemInfo::QueryFeatureForStyle(Code, Style);
  }
}

void TRVControlItemInfo::Paint(int32_t X, int32_t Y, TCanvas& Canvas, TRVItemDrawStates State,
                               TRVStyle* Style, TRVDrawLineInfo* DrawItem) {
  (void)DrawItem;
  const int32_t s = Spacing;
  RVDrawItemFrames(Canvas, Bounds(X, Y, GetImageWidth(Style) + 2 * s, GetImageHeight(Style) + 2 * s), State,
                   Style, true, true);
}

int32_t TRVControlItemInfo::GetImageWidth(TRVStyle* Style) const {
  (void)Style;
  return Control ? Control->Width() : 0;
}

int32_t TRVControlItemInfo::GetImageHeight(TRVStyle* Style) const {
  (void)Style;
  return Control ? Control->Height() : 0;
}

void TRVControlItemInfo::Inserting(TCustomRVData* RVData, bool Clearing) {
  if (!Control) return;
  Control->SetVisible(false);
  Control->SetParent(!Clearing && RVData != nullptr ? RVData->GetParentControl() : nullptr);
}

void TRVControlItemInfo::GetWidthRequirements(int32_t Width, TRVDrawLineInfo* DrawItem, bool Printing,
                                              TCanvas* Canvas, TCustomRVData* RVData,
                                              const TRVFormatScale* ScreenAndDevice, bool FormatFlag,
                                              int32_t& Descent, int32_t& Offset) {
  (void)DrawItem, (void)Canvas, (void)RVData, (void)FormatFlag;
  // A printer's line width is in device pixels; the control itself lives on the screen.
  if (Printing && ScreenAndDevice != nullptr && ScreenAndDevice->DevicePPIX > 0)
    Width = RVDeviceToScreenX(Width, *ScreenAndDevice);
  if (Control && PercentWidth > 0 && PercentWidth <= 100)
    Control->SetWidth(static_cast<int32_t>(static_cast<int64_t>(Width) * PercentWidth / 100 - 2));
  Descent = GetSpacing();
  Offset = 0;
}

void TRVControlItemInfo::SetControlPosition(int32_t Left, int32_t Top, bool RestoreTop) {
  if (!Control) return;
  Control->SetLeft(Left + Spacing);
  Control->SetTag(Top + Spacing);
  if (RestoreTop) Control->SetTop(Control->Tag());
  Control->SetVisible(true);
}

std::string TRVControlItemInfo::GetRVFHeaderParams(TCustomRVData* RVData) const {
  (void)RVData;
  return IntToStr(VAlign);
}

int TRVControlItemInfo::CountRVFExtraProperties() const {
  return TRVRectItemInfo::CountRVFExtraProperties() + (MinHeightOnPage > 0) + (Resizable ? 1 : 0);
}

void TRVControlItemInfo::SaveRVFExtraProperties(TStream& Stream) const {
  TRVRectItemInfo::SaveRVFExtraProperties(Stream);
  if (MinHeightOnPage > 0) WriteIntProperty(Stream, rvipMinHeightOnPage, MinHeightOnPage);
  if (Resizable) WriteIntProperty(Stream, rvipResizable, 1);
}

void TRVControlItemInfo::CopyProperties(const TCustomRVItemInfo& Source) {
  if (const auto* source = dynamic_cast<const TRVControlItemInfo*>(&Source)) {
    PercentWidth = source->PercentWidth;
    Resizable = source->Resizable;
  }
  TRVRectItemInfo::CopyProperties(Source);
}

bool TRVControlItemInfo::OwnsControl(const TObject* AControl) const {
  return AControl != nullptr && AControl == Control.get();
}

void TRVControlItemInfo::DetachFromData(TCustomRVData* RVData, int ItemNo) {
  if (RVData != nullptr) RVData->NotifyControlAction(rvcaMoveToUndoList, ItemNo, this);
  TRVRectItemInfo::DetachFromData(RVData, ItemNo);
}

void TRVControlItemInfo::AttachToData(TCustomRVData* RVData, int ItemNo) {
  if (RVData == nullptr) return;
  RVData->NotifyControlAction(rvcaMoveFromUndoList, ItemNo, this);
  if (Control) Control->SetParent(RVData->GetParentControl());
}

void TRVControlItemInfo::Focus() {
  // A control that cannot take the focus now (hidden, disabled) is left alone rather than
  // raising from inside the viewer's focus handling.
  if (auto* control = dynamic_cast<TWinControl*>(Control.get()); control != nullptr && control->CanFocus())
    control->SetFocus();
}

bool TRVControlItemInfo::SetIntPropertyByCode(int Code, int32_t Value) {
  switch (Code) {
    case rvipMinHeightOnPage:
      MinHeightOnPage = Value;
      return true;
    case rvipResizable:
      Resizable = Value != 0;
      return true;
    default:
      return TRVRectItemInfo::SetIntPropertyByCode(Code, Value);
  }
}

bool TRVControlItemInfo::GetIntPropertyByCode(int Code, int32_t& Value) const {
  switch (Code) {
    case rvipMinHeightOnPage:
      Value = MinHeightOnPage;
      return true;
    case rvipResizable:
      Value = Resizable ? 1 : 0;
      return true;
    default:
      return TRVRectItemInfo::GetIntPropertyByCode(Code, Value);
  }
}
