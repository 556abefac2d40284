#include "richtext/core/RVBack.h"

#include <optional>

#include "platform/graphics/Bitmap.h"
#include "platform/graphics/Canvas.h"
#include "platform/graphics/Graphic.h"
#include "platform/graphics/JPEGImage.h"
#include "richtext/core/CRVData.h"
#include "richtext/core/RVGraphicFuncs.h"

namespace {

/// Restores a canvas state saved on construction, also when drawing fails.
class TSavedDC {
 public:
  explicit TSavedDC(TCanvas& canvas) : canvas_(canvas), level_(canvas.SaveDC()) {}
  ~TSavedDC() { canvas_.RestoreDC(level_); }
  TSavedDC(const TSavedDC&) = delete;
  TSavedDC& operator=(const TSavedDC&) = delete;

 private:
  TCanvas& canvas_;
  int level_;
};

/// Copies a bitmap into `dest` (stretching) the way BitBlt/StretchBlt with SRCCOPY do.
void BlitBitmap(TCanvas& canvas, const TRect& dest, TBitmap& bitmap) {
  const TCopyMode oldMode = canvas.CopyMode();
  canvas.SetCopyMode(cmSrcCopy);
  canvas.CopyRect(dest, bitmap.Canvas(), Rect(0, 0, bitmap.Width(), bitmap.Height()));
  canvas.SetCopyMode(oldMode);
}

/// An opaque bitmap is copied as it is; a transparent one (over the colour filled under
/// it) and any other picture draw themselves.
TBitmap* OpaqueBitmap(TGraphic& picture) {
  auto* bitmap = dynamic_cast<TBitmap*>(&picture);
  return bitmap != nullptr && !bitmap->Transparent() ? bitmap : nullptr;
}

/// Draws a picture at its own size.
void DrawPicture(TCanvas& canvas, int32_t x, int32_t y, TGraphic& picture) {
  if (TBitmap* bitmap = OpaqueBitmap(picture))
    BlitBitmap(canvas, Bounds(x, y, bitmap->Width(), bitmap->Height()), *bitmap);
  else
    canvas.Draw(x, y, &picture);
}

void StretchPicture(TCanvas& canvas, const TRect& dest, TGraphic& picture) {
  if (TBitmap* bitmap = OpaqueBitmap(picture))
    BlitBitmap(canvas, dest, *bitmap);
  else
    canvas.StretchDraw(dest, &picture);
}

/// Division rounding toward minus infinity, so that areas left of or above the grid's
/// origin still get the tiles that reach into them.
int64_t FloorDiv(int64_t a, int64_t b) {
  const int64_t q = a / b;
  return (a % b != 0 && (a < 0) != (b < 0)) ? q - 1 : q;
}

/// Calls `draw(x, y)` for every tile of a W x H grid anchored at (originX, originY) that
/// meets the area [left, right) x [top, bottom) (all in the same coordinates).
template <typename DrawTile>
void ForEachTile(int32_t left, int32_t top, int32_t right, int32_t bottom, int32_t originX, int32_t originY,
                 int32_t w, int32_t h, DrawTile draw) {
  const int64_t firstCol = FloorDiv(static_cast<int64_t>(left) - originX, w);
  const int64_t lastCol = FloorDiv(static_cast<int64_t>(right) - 1 - originX, w);
  const int64_t firstRow = FloorDiv(static_cast<int64_t>(top) - originY, h);
  const int64_t lastRow = FloorDiv(static_cast<int64_t>(bottom) - 1 - originY, h);
  for (int64_t r = firstRow; r <= lastRow; ++r)
    for (int64_t c = firstCol; c <= lastCol; ++c)
      draw(static_cast<int32_t>(originX + c * w), static_cast<int32_t>(originY + r * h));
}

}  // namespace

TRVBackground::TRVBackground(bool CreateBitmap) {
  if (CreateBitmap) Bitmap_ = std::make_unique<TBitmap>();
}

TRVBackground::~TRVBackground() = default;

TRVItemBackgroundStyle TRVBackground::GetItemBackgroundStyle() const {
  switch (Style) {
    case bsStretched:
      return rvbsStretched;
    case bsTiled:
    case bsTiledAndScrolled:
      return rvbsTiled;
    case bsCentered:
      return rvbsCentered;
    case bsNoBitmap:
      break;
  }
  return rvbsColor;
}

void TRVBackground::SetItemBackgroundStyle(TRVItemBackgroundStyle Value) {
  switch (Value) {
    case rvbsColor:
      Style = bsNoBitmap;
      break;
    case rvbsStretched:
      Style = bsStretched;
      break;
    case rvbsTiled:
      Style = bsTiled;
      break;
    case rvbsCentered:
      Style = bsCentered;
      break;
  }
}

bool TRVBackground::IsEmpty() const {
  return Style == bsNoBitmap && (!Bitmap_ || Bitmap_->Empty());
}

bool TRVBackground::ScrollRequiresFullRedraw() const {
  if (RVIsGraphicEmpty(Bitmap_.get())) return false;
  return Style != bsNoBitmap && Style != bsTiledAndScrolled;
}

void TRVBackground::FreeImages() {
  Bitmap_.reset();
  ImageCopy_.reset();
}

void TRVBackground::AssignBitmap(const TGraphic* Source, TRVPaletteAction PaletteAction,
                                 TRVPalette LogPalette) {
  if (Source == Bitmap_.get()) return;
  // Copy first: a picture that cannot be copied leaves the old one in place.
  std::unique_ptr<TGraphic> copy = Source ? RVCopyGraphic(*Source) : nullptr;
  FreeImages();
  Bitmap_ = std::move(copy);
  UpdatePalette(PaletteAction, LogPalette);
}

void TRVBackground::AssignBitmap(const TGraphic* Source, TCustomRVData* RVData) {
  if (RVData)
    AssignBitmap(Source, RVData->GetDoInPaletteMode(), RVData->GetRVPalette());
  else
    AssignBitmap(Source, rvpaDoNothing, nullptr);
}

void TRVBackground::TakeBitmap(std::unique_ptr<TGraphic> Source, TRVPaletteAction PaletteAction,
                               TRVPalette LogPalette) {
  if (Source.get() == Bitmap_.get()) {
    (void)Source.release();  // already ours
    return;
  }
  Bitmap_ = std::move(Source);
  UpdatePalette(PaletteAction, LogPalette);
}

void TRVBackground::TakeBitmap(std::unique_ptr<TGraphic> Source, TCustomRVData* RVData) {
  if (RVData)
    TakeBitmap(std::move(Source), RVData->GetDoInPaletteMode(), RVData->GetRVPalette());
  else
    TakeBitmap(std::move(Source), rvpaDoNothing, nullptr);
}

std::unique_ptr<TGraphic> TRVBackground::ReleaseBitmap() {
  ImageCopy_.reset();
  return std::move(Bitmap_);
}

void TRVBackground::UpdatePalette(TRVPaletteAction PaletteAction, TRVPalette LogPalette) {
  ImageCopy_.reset();
  if (!Bitmap_) return;
  switch (PaletteAction) {
    case rvpaAssignPallette:
      if (LogPalette && !Bitmap_->Empty()) RVSetGraphicPalette(*Bitmap_, LogPalette);
      break;
    case rvpaCreateCopies:
    case rvpaCreateCopiesEx: {
      if (!LogPalette || Bitmap_->Empty()) break;
      std::unique_ptr<TGraphic> copy;
      if (PaletteAction == rvpaCreateCopiesEx && dynamic_cast<TJPEGImage*>(Bitmap_.get()))
        copy = std::make_unique<TBitmap>();
      else
        copy = RVCreateGraphic(Bitmap_->ClassName());
      if (!copy) break;  // a class the factory cannot make draws without a copy
      copy->Assign(Bitmap_.get());
      RVSetGraphicPalette(*copy, LogPalette);
      if (auto* bitmap = dynamic_cast<TBitmap*>(copy.get())) bitmap->SetIgnorePalette(true);
      ImageCopy_ = std::move(copy);
      break;
    }
    case rvpaDoNothing:
      break;
  }
}

void TRVBackground::Draw(TCanvas& Canvas, TRect Rect, int32_t XOffs, int32_t YOffs, int32_t XShift,
                         int32_t YShift, int32_t Width, int32_t Height, TColor Color, bool Clip) const {
  TGraphic* picture = PictureToDraw();
  std::optional<TSavedDC> saved;
  if (Clip) {
    saved.emplace(Canvas);
    Canvas.IntersectClipRect(Rect);
    Canvas.MoveWindowOrg(-Rect.Left, -Rect.Top);
  }
  Rect.Offset(-XShift, -YShift);

  const bool hasPicture = !RVIsGraphicEmpty(picture);
  if (Color != clNone &&
      (!hasPicture || RVIsGraphicTransparent(*picture) || Style == bsNoBitmap || Style == bsCentered)) {
    Canvas.Brush().SetStyle(bsSolid);
    Canvas.Brush().SetColor(Color);
    Canvas.FillRect(::Rect(0, 0, Rect.Width(), Rect.Height()));
  }
  if (!hasPicture) return;

  const int32_t w = picture->Width();
  const int32_t h = picture->Height();
  switch (Style) {
    case bsCentered:
      DrawPicture(Canvas, (Width - w) / 2 - Rect.Left, (Height - h) / 2 - Rect.Top, *picture);
      break;
    case bsTiled:
      ForEachTile(Rect.Left, Rect.Top, Rect.Right, Rect.Bottom, 0, 0, w, h,
                  [&](int32_t x, int32_t y) { DrawPicture(Canvas, x - Rect.Left, y - Rect.Top, *picture); });
      break;
    case bsTiledAndScrolled:
      ForEachTile(Rect.Left + XOffs, Rect.Top + YOffs, Rect.Right + XOffs, Rect.Bottom + YOffs, 0, 0, w, h,
                  [&](int32_t x, int32_t y) {
                    DrawPicture(Canvas, x - XOffs - Rect.Left, y - YOffs - Rect.Top, *picture);
                  });
      break;
    case bsStretched:
      StretchPicture(Canvas, Bounds(-Rect.Left, -Rect.Top, Width, Height), *picture);
      break;
    case bsNoBitmap:
      break;
  }
}

void TRVBackground::DrawScaled(TCanvas& Canvas, const TRect& Rect, const TRect& FullRect,
                               const TRVFormatScale& Resolution, TColor Color, TRVPalette Palette,
                               const TRVPageBackgroundProc& PageBackground, int32_t PageParam) const {
  TSavedDC saved(Canvas);
  Canvas.IntersectClipRect(Rect);
  Canvas.MoveWindowOrg(-Rect.Left, -Rect.Top);

  TGraphic* picture = PictureToDraw();
  const bool hasPicture = !RVIsGraphicEmpty(picture);
  if (Color != clNone && (!hasPicture || Style == bsNoBitmap || Style == bsCentered)) {
    Canvas.Brush().SetStyle(bsSolid);
    Canvas.Brush().SetColor(Color);
    Canvas.FillRect(::Rect(0, 0, Rect.Width(), Rect.Height()));
  }
  if (!hasPicture || Style == bsNoBitmap) return;

  // The picture is rendered once at its own size, on the colour (or, when transparent and
  // without a colour, on the page's own background for each tile).
  const int32_t w = picture->Width();
  const int32_t h = picture->Height();
  TBitmap tile;
  tile.SetPixelFormat(pf32bit);
  tile.SetSize(w, h);
  if (Palette) tile.SetPalette(*Palette);
  const bool perTileBackground = RVIsGraphicTransparent(*picture) && Color == clNone;
  auto renderTile = [&](int32_t screenX, int32_t screenY) {
    TCanvas& c = tile.Canvas();
    if (Color != clNone) {
      c.Brush().SetStyle(bsSolid);
      c.Brush().SetColor(Color);
      c.FillRect(::Rect(0, 0, w, h));
    }
    if (perTileBackground && PageBackground) PageBackground(c, screenX, screenY, PageParam);
    c.Draw(0, 0, picture);
  };
  if (!perTileBackground) renderTile(0, 0);

  const int32_t tw = RVScreenToDeviceX(w, Resolution);
  const int32_t th = RVScreenToDeviceY(h, Resolution);
  if (tw <= 0 || th <= 0) return;
  // Device position of FullRect's corner in the coordinates of Rect's corner.
  const int32_t fx = FullRect.Left - Rect.Left;
  const int32_t fy = FullRect.Top - Rect.Top;
  auto drawTileAt = [&](int32_t x, int32_t y, int32_t width, int32_t height) {
    if (perTileBackground)
      renderTile(RVDeviceToScreenX(x - fx, Resolution), RVDeviceToScreenY(y - fy, Resolution));
    BlitBitmap(Canvas, Bounds(x, y, width, height), tile);
  };
  switch (Style) {
    case bsStretched:
      drawTileAt(fx, fy, FullRect.Width(), FullRect.Height());
      break;
    case bsTiled:
    case bsTiledAndScrolled:
      ForEachTile(0, 0, Rect.Width(), Rect.Height(), fx, fy, tw, th,
                  [&](int32_t x, int32_t y) { drawTileAt(x, y, tw, th); });
      break;
    case bsCentered:
      drawTileAt(fx + (FullRect.Width() - tw) / 2, fy + (FullRect.Height() - th) / 2, tw, th);
      break;
    case bsNoBitmap:
      break;
  }
}
