#include "richtext/core/RVGraphicFuncs.h"

#include "platform/core/SysUtils.h"
#include "platform/graphics/Bitmap.h"
#include "platform/graphics/Canvas.h"
#include "platform/graphics/Graphic.h"
#include "platform/graphics/JPEGImage.h"

TRVGraphicFactoryProc& RVGraphicFactory() {
  static TRVGraphicFactoryProc factory = [](std::string_view ClassName) { return CreateGraphic(ClassName); };
  return factory;
}

TRVImportedGraphicFilterProc& RVImportedGraphicFilter() {
  static TRVImportedGraphicFilterProc filter = [](std::unique_ptr<TGraphic> Graphic) { return Graphic; };
  return filter;
}

std::unique_ptr<TGraphic> RVCreateGraphic(std::string_view ClassName) {
  const TRVGraphicFactoryProc& factory = RVGraphicFactory();
  return factory ? factory(ClassName) : CreateGraphic(ClassName);
}

std::unique_ptr<TGraphic> RVCopyGraphic(const TGraphic& Source) {
  std::unique_ptr<TGraphic> copy = RVCreateGraphic(Source.ClassName());
  if (!copy) throw EInvalidGraphic("Cannot copy a picture of class " + Source.ClassName());
  copy->Assign(&Source);
  return copy;
}

void RVSetGraphicPalette(TGraphic& Graphic, TRVPalette LogPalette) {
  if (LogPalette == nullptr) return;
  if (auto* jpeg = dynamic_cast<TJPEGImage*>(&Graphic)) jpeg->SetPixelFormat(jf8Bit);
  Graphic.SetPalette(*LogPalette);
}

bool RVIsGraphicTransparent(const TGraphic& Graphic) {
  return Graphic.Transparent();
}

bool RVIsGraphicEmpty(const TGraphic* Graphic) {
  return Graphic == nullptr || Graphic->Empty() || Graphic->Width() <= 0 || Graphic->Height() <= 0;
}

void RVGetDeviceResolution(TRVFormatScale& Resolution, TCanvas& Canvas) {
  constexpr int32_t kLayoutPPI = 96;
  // Every ratio divides by these: never let a device without a resolution make one 0.
  auto device = [&](int index) {
    const int value = Canvas.HasTarget() ? Canvas.GetDeviceCaps(index) : 0;
    return value > 0 ? value : kLayoutPPI;
  };
  Resolution.ScreenPPIX = kLayoutPPI;
  Resolution.ScreenPPIY = kLayoutPPI;
  Resolution.DevicePPIX = device(LOGPIXELSX);
  Resolution.DevicePPIY = device(LOGPIXELSY);
}

void RVStretchDrawPicture(TCanvas& Canvas, int32_t X, int32_t Y, int32_t Width, int32_t Height,
                          const TRVFormatScale& Resolution, TGraphic& Graphic, bool UseStretchDraw) {
  if (Width < 0) Width = Graphic.Width();
  if (Height < 0) Height = Graphic.Height();
  const int32_t w = RVScreenToDeviceX(Width, Resolution);
  const int32_t h = RVScreenToDeviceY(Height, Resolution);
  if (UseStretchDraw) {
    Canvas.StretchDraw(Bounds(X, Y, w, h), &Graphic);
    return;
  }
  auto* bitmap = dynamic_cast<TBitmap*>(&Graphic);
  if (bitmap == nullptr || bitmap->Empty()) return;
  const TCopyMode oldMode = Canvas.CopyMode();
  const int oldStretchMode = Canvas.SetStretchBltMode(HALFTONE);
  Canvas.SetCopyMode(cmSrcCopy);
  Canvas.CopyRect(Bounds(X, Y, w, h), bitmap->Canvas(), Rect(0, 0, bitmap->Width(), bitmap->Height()));
  Canvas.SetStretchBltMode(oldStretchMode);
  Canvas.SetCopyMode(oldMode);
}
