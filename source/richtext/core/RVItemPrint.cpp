// How items print. A printer canvas has its own resolution: sizes of the style sheet are
// screen pixels and are scaled with the canvas's pixels per inch. Pictures and controls are
// rendered into a bitmap the printing layer stretches onto the page; split pieces show one
// run of rows per page.
#include "richtext/core/RVItemPrint.h"

#include <algorithm>

#include "platform/core/SysUtils.h"
#include "platform/graphics/Bitmap.h"
#include "platform/graphics/Canvas.h"
#include "platform/graphics/Controls.h"
#include "platform/graphics/ImageList.h"
#include "platform/gui/WindowGrab.h"
#include "richtext/core/CRVData.h"
#include "richtext/core/RVError.h"
#include "richtext/core/RVNonTextItems.h"
#include "richtext/core/RVStyle.h"

namespace {

constexpr int32_t kScreenPPI = 96;

/// Screen and device resolution of a canvas (the screen when it has no target).
TRVFormatScale CanvasScale(TCanvas& Canvas) {
  TRVFormatScale scale;
  scale.ScreenPPIX = kScreenPPI;
  scale.ScreenPPIY = kScreenPPI;
  if (Canvas.HasTarget()) {
    scale.DevicePPIX = std::max(1, Canvas.GetDeviceCaps(LOGPIXELSX));
    scale.DevicePPIY = std::max(1, Canvas.GetDeviceCaps(LOGPIXELSY));
  }
  return scale;
}

/// The part PartIndex of a split piece, null for a plain piece or an index outside it.
TRVImagePrintPart* PrintedPart(TRVDrawLineInfo* DrawItem, int PartIndex) {
  auto* multi = dynamic_cast<TRVMultiImagePrintInfo*>(DrawItem);
  return multi != nullptr && PartIndex >= 0 ? multi->ImagePart(PartIndex) : nullptr;
}

/// A device resolution of 0 (a broken record) counts as the screen's: it never divides.
int32_t ToScreenY(int32_t Value, const TRVFormatScale& Sad) {
  return Sad.DevicePPIY > 0 ? MulDiv(Value, Sad.ScreenPPIY, Sad.DevicePPIY) : Value;
}
int32_t ToDeviceY(int32_t Value, const TRVFormatScale& Sad) {
  return Sad.ScreenPPIY > 0 ? MulDiv(Value, Sad.DevicePPIY, Sad.ScreenPPIY) : Value;
}
int32_t ToDeviceX(int32_t Value, const TRVFormatScale& Sad) {
  return Sad.ScreenPPIX > 0 ? MulDiv(Value, Sad.DevicePPIX, Sad.ScreenPPIX) : Value;
}

/// The piece of a picture or control that prints through a bitmap: splittable with
/// MinHeightOnPage, else plain.
std::unique_ptr<TRVDrawLineInfo> CreateRectDrawItem(TRVRectItemInfo& Item, bool Splittable,
                                                    const TRVFormatScale* ScreenAndDevice) {
  if (!Splittable || Item.MinHeightOnPage <= 0 || !Item.QueryFeatureForStyle(rvsfPrintViaBitmap, nullptr))
    return std::make_unique<TRVDrawLineInfo>();
  const TRVFormatScale sad = ScreenAndDevice != nullptr ? *ScreenAndDevice : TRVFormatScale{};
  auto piece = std::make_unique<TRVMultiImagePrintInfo>(&Item, sad);
  piece->Width = ToDeviceX(Item.GetTotalWidth(), sad);
  piece->Height = ToDeviceY(Item.GetTotalHeight(), sad);
  return piece;
}

}  // namespace

// ---- split pieces -----------------------------------------------------------------------------

TRVImagePrintPart* TRVMultiImagePrintInfo::ImagePart(int Index) const {
  if (Index < 0 || Index >= PartsList().Count()) return nullptr;
  return dynamic_cast<TRVImagePrintPart*>(PartsList()[Index]);
}

bool TRVMultiImagePrintInfo::InitSplit() {
  if (Item == nullptr || Item->MinHeightOnPage <= 0) return false;
  auto part = std::make_unique<TRVImagePrintPart>();
  part->ImageTop = 0;
  part->ImageHeight = Item->GetImageHeight(nullptr);
  part->Height = ToDeviceY(part->ImageHeight, Sad);
  PartsList().Clear();
  PartsList().Add(std::move(part));
  return true;
}

bool TRVMultiImagePrintInfo::CanSplitAt(int32_t AHeight) {
  const int32_t rows = ToScreenY(AHeight, Sad);
  if (rows < 1 || Item == nullptr || !Item->QueryFeatureForStyle(rvsfPrintViaBitmap, nullptr)) return false;
  const int32_t minHeight = Item->MinHeightOnPage;
  if (minHeight < 1 || minHeight > rows) return false;
  const int32_t imageHeight = Item->GetImageHeight(nullptr);
  if (imageHeight - rows >= minHeight) return true;
  return imageHeight < rows;
}

bool TRVMultiImagePrintInfo::SplitAt(int32_t AHeight) {
  if (Item == nullptr || Item->MinHeightOnPage < 1) return false;
  if (PartsList().Count() == 0) throw ERVError("Internal printing error");
  TRVImagePrintPart* last = ImagePart(PartsList().Count() - 1);
  if (last == nullptr) throw ERVError("Internal printing error");
  const int32_t minHeight = Item->MinHeightOnPage;
  const int32_t rows = ToScreenY(AHeight, Sad);
  if (minHeight >= last->ImageHeight || last->ImageHeight - rows < minHeight || rows < minHeight)
    return false;
  auto next = std::make_unique<TRVImagePrintPart>();
  next->ImageTop = last->ImageTop + rows;
  next->ImageHeight = last->ImageHeight - rows;
  next->Height = ToDeviceY(next->ImageHeight, Sad);
  last->ImageHeight = rows;
  last->Height = ToDeviceY(rows, Sad);
  PartsList().Add(std::move(next));
  return true;
}

// ---- control pictures ------------------------------------------------------------------------

std::unique_ptr<TBitmap> RVMakeControlImage(TControl* Control) {
  auto* windowed = dynamic_cast<TWinControl*>(Control);
  if (windowed == nullptr || windowed->Width() <= 0 || windowed->Height() <= 0) return nullptr;
  windowed->HandleNeeded();
  auto image = std::make_unique<TBitmap>();
  if (!GrabControl(*windowed, *image) || image->Empty()) return nullptr;
  // The window's picture may include a frame of another size: keep the control's own size.
  if (image->Width() != windowed->Width() || image->Height() != windowed->Height()) {
    auto sized = std::make_unique<TBitmap>();
    sized->SetSize(windowed->Width(), windowed->Height());
    sized->Canvas().StretchDraw(Rect(0, 0, windowed->Width(), windowed->Height()), image.get());
    return sized;
  }
  return image;
}

void RVDrawControl(TControl* Control, TCanvas& Canvas, int32_t X, int32_t Y) {
  if (std::unique_ptr<TBitmap> image = RVMakeControlImage(Control)) Canvas.Draw(X, Y, image.get());
}

// ---- the items ----------------------------------------------------------------------------------

void TRVBreakItemInfo::PrintDirect(TCanvas& Canvas, int32_t X, int32_t Y, bool Preview, bool Correction,
                                   TCustomRVData* RVData, TRVColorMode ColorMode, int PartIndex,
                                   TRVDrawLineInfo* DrawItem) {
  (void)Preview, (void)Correction, (void)PartIndex;
  const TRVFormatScale scale = CanvasScale(Canvas);
  const TColor color =
      RVTextColorForColorMode(GetLineColor(RVData ? RVData->GetRVStyle() : nullptr), ColorMode);
  const int32_t width = DrawItem != nullptr ? DrawItem->Width : 0;
  TPen& pen = Canvas.Pen();
  pen.SetStyle(psInsideFrame);
  pen.SetMode(pmCopy);
  pen.SetColor(color == clNone ? clBlack : color);
  pen.SetWidth(std::max(1, ToDeviceY(LineWidth, scale)));
  const int32_t y = Y + ToDeviceY(5, scale);
  Canvas.MoveTo(X + ToDeviceX(5, scale), y);
  Canvas.LineTo(X + width - ToDeviceX(5, scale), y);
  pen.SetStyle(psSolid);
}

bool TRVGraphicItemInfo::PrintToBitmap(TBitmap& Bitmap, bool Preview, TCustomRVData* RVData,
                                       TRVColorMode ColorMode, int PartIndex, TRVDrawLineInfo* DrawItem) {
  (void)RVData, (void)ColorMode;
  if (!Image || Image->Empty()) return true;
  const TRVImagePrintPart* part = PrintedPart(DrawItem, PartIndex);
  const int32_t shift = part != nullptr ? -part->ImageTop : 0;
  TCanvas& canvas = Bitmap.Canvas();
  const TRect whole = Rect(0, 0, Bitmap.Width(), Bitmap.Height());
  if (ImageWidth <= 0 && ImageHeight <= 0) {
    canvas.Draw(0, shift, Preview && ImageCopy ? ImageCopy.get() : Image.get());
    return true;
  }
  if (Preview && ImageCopy) {
    canvas.StretchDraw(whole, ImageCopy.get());
    return true;
  }
  if (GetImageWidth(nullptr) == Image->Width() && GetImageHeight(nullptr) == Image->Height()) {
    canvas.StretchDraw(whole, Image.get());
    return true;
  }
  // Drawn at its own size; the printing layer stretches the bitmap to the display size.
  std::unique_ptr<TBitmap> background;
  if (Image->Transparent()) {
    background = std::make_unique<TBitmap>();
    background->Assign(&Bitmap);
  }
  Bitmap.SetWidth(Image->Width());
  if (part == nullptr) Bitmap.SetHeight(Image->Height());
  if (background) Bitmap.Canvas().StretchDraw(Rect(0, 0, Bitmap.Width(), Bitmap.Height()), background.get());
  Bitmap.Canvas().Draw(0, shift, Image.get());
  return true;
}

void TRVGraphicItemInfo::PrintDirect(TCanvas& Canvas, int32_t X, int32_t Y, bool Preview, bool Correction,
                                     TCustomRVData* RVData, TRVColorMode ColorMode, int PartIndex,
                                     TRVDrawLineInfo* DrawItem) {
  (void)Correction, (void)RVData, (void)ColorMode, (void)PartIndex, (void)DrawItem;
  if (!Image || Image->Empty()) return;
  const TRVFormatScale scale = CanvasScale(Canvas);
  const int level = Preview ? 0 : Canvas.SaveDC();
  const int32_t left = X + ToDeviceX(Spacing, scale);
  const int32_t top = Y + ToDeviceY(Spacing, scale);
  Canvas.StretchDraw(
      Bounds(left, top, ToDeviceX(GetImageWidth(nullptr), scale), ToDeviceY(GetImageHeight(nullptr), scale)),
      Image.get());
  if (!Preview) Canvas.RestoreDC(level);
}

std::unique_ptr<TRVDrawLineInfo> TRVGraphicItemInfo::CreateDrawItem(TCustomRVData* RVData,
                                                                    const TRVFormatScale* ScreenAndDevice) {
  (void)RVData;
  // A picture shown at another height is never split: its rows are not the picture's rows.
  const bool resized = ImageHeight > 0 && Image && ImageHeight != Image->Height();
  return CreateRectDrawItem(*this, !resized, ScreenAndDevice);
}

bool TRVBulletItemInfo::PrintToBitmap(TBitmap& Bitmap, bool Preview, TCustomRVData* RVData,
                                      TRVColorMode ColorMode, int PartIndex, TRVDrawLineInfo* DrawItem) {
  (void)Preview, (void)RVData, (void)ColorMode, (void)PartIndex, (void)DrawItem;
  if (HasImageToDraw(false)) ImageList->Draw(Bitmap.Canvas(), 0, 0, ImageIndex);
  return true;
}

bool TRVControlItemInfo::PrintToBitmap(TBitmap& Bitmap, bool Preview, TCustomRVData* RVData,
                                       TRVColorMode ColorMode, int PartIndex, TRVDrawLineInfo* DrawItem) {
  (void)Preview, (void)RVData, (void)ColorMode;
  std::unique_ptr<TBitmap> image = RVMakeControlImage(Control.get());
  if (!image) return false;
  if (MinHeightOnPage > 0) {
    const TRVImagePrintPart* part = PrintedPart(DrawItem, PartIndex);
    Bitmap.Canvas().Draw(0, part != nullptr ? -part->ImageTop : 0, image.get());
    return true;
  }
  if (Bitmap.Width() < image->Width()) Bitmap.SetWidth(image->Width());
  if (Bitmap.Height() < image->Height()) Bitmap.SetHeight(image->Height());
  Bitmap.Canvas().Draw((Bitmap.Width() - image->Width()) / 2, (Bitmap.Height() - image->Height()) / 2,
                       image.get());
  return true;
}

std::unique_ptr<TRVDrawLineInfo> TRVControlItemInfo::CreateDrawItem(TCustomRVData* RVData,
                                                                    const TRVFormatScale* ScreenAndDevice) {
  (void)RVData;
  return CreateRectDrawItem(*this, true, ScreenAndDevice);
}
