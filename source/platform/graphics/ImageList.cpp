#include "platform/graphics/ImageList.h"

#include <QImage>
#include <algorithm>
#include <vector>

#include "platform/graphics/Bitmap.h"
#include "platform/graphics/BitmapAccess.h"
#include "platform/graphics/Canvas.h"
#include "platform/graphics/CanvasDevice.h"

struct TCustomImageList::Impl {
  int32_t width = 16;
  int32_t height = 16;
  TColor bk_color = clNone;
  std::vector<QImage> images;  // Format_ARGB32, width x height each
};

TCustomImageList::TCustomImageList(TComponent* owner) : TComponent(owner), impl_(std::make_unique<Impl>()) {}
TCustomImageList::~TCustomImageList() {
  for (TChangeLink* link : links_) link->sender_ = nullptr;
}

TChangeLink::~TChangeLink() {
  if (sender_ != nullptr) sender_->UnRegisterChanges(this);
}

void TCustomImageList::RegisterChanges(TChangeLink* link) {
  if (link == nullptr || link->sender_ == this) return;
  if (link->sender_ != nullptr) link->sender_->UnRegisterChanges(link);
  link->sender_ = this;
  links_.push_back(link);
}

void TCustomImageList::UnRegisterChanges(TChangeLink* link) {
  if (link == nullptr || link->sender_ != this) return;
  link->sender_ = nullptr;
  std::erase(links_, link);
}

int32_t TCustomImageList::Width() const {
  return impl_->width;
}
int32_t TCustomImageList::Height() const {
  return impl_->height;
}
void TCustomImageList::SetWidth(int32_t width) {
  SetSize(width, impl_->height);
}
void TCustomImageList::SetHeight(int32_t height) {
  SetSize(impl_->width, height);
}

void TCustomImageList::SetSize(int32_t width, int32_t height) {
  if (width < 1 || height < 1) return;
  CheckPictureSize(width, height);
  if (width == impl_->width && height == impl_->height) return;
  impl_->width = width;
  impl_->height = height;
  impl_->images.clear();
  Changed();
}

int TCustomImageList::Count() const {
  return static_cast<int>(impl_->images.size());
}
TColor TCustomImageList::BkColor() const {
  return impl_->bk_color;
}
void TCustomImageList::SetBkColor(TColor color) {
  impl_->bk_color = color;
}

namespace {

/// Cuts a strip into images of the list's size; `transparent(x, y)` tells the pixels to clear.
template <typename F>
int AddStrip(std::vector<QImage>& images, const QImage& strip, int32_t w, int32_t h, F transparent) {
  if (strip.isNull() || strip.width() < w) return -1;
  const int first = static_cast<int>(images.size());
  const int count = strip.width() / w;
  for (int i = 0; i < count; ++i) {
    QImage image(w, h, QImage::Format_ARGB32);
    image.fill(0);
    for (int y = 0; y < h && y < strip.height(); ++y) {
      const auto* src = reinterpret_cast<const QRgb*>(strip.constScanLine(y));
      auto* dest = reinterpret_cast<QRgb*>(image.scanLine(y));
      for (int x = 0; x < w; ++x) {
        const int sx = i * w + x;
        dest[x] = transparent(sx, y) ? 0 : src[sx];
      }
    }
    images.push_back(std::move(image));
  }
  return first;
}

}  // namespace

int TCustomImageList::Add(TBitmap* image, TBitmap* mask) {
  if (image == nullptr || image->Empty()) return -1;
  const QImage strip = TBitmapAccess::DrawImage(*image).convertToFormat(QImage::Format_ARGB32);
  QImage maskImage;
  if (mask != nullptr && !mask->Empty())
    maskImage = TBitmapAccess::DrawImage(*mask).convertToFormat(QImage::Format_RGB32);
  const int first = AddStrip(impl_->images, strip, impl_->width, impl_->height, [&](int x, int y) {
    if (!maskImage.isNull()) return maskImage.valid(x, y) && (maskImage.pixel(x, y) & 0xFFFFFFu) == 0xFFFFFFu;
    return qAlpha(strip.pixel(x, y)) == 0;
  });
  if (first >= 0) Changed();
  return first;
}

int TCustomImageList::AddMasked(TBitmap* image, TColor maskColor) {
  if (image == nullptr || image->Empty()) return -1;
  const QImage strip = TBitmapAccess::DrawImage(*image).convertToFormat(QImage::Format_ARGB32);
  const QRgb key = ToQColor(maskColor & 0xFFFFFF).rgb() & 0xFFFFFFu;
  const int first = AddStrip(impl_->images, strip, impl_->width, impl_->height,
                             [&](int x, int y) { return (strip.pixel(x, y) & 0xFFFFFFu) == key; });
  if (first >= 0) Changed();
  return first;
}

void TCustomImageList::Delete(int index) {
  if (index < 0 || index >= Count()) return;
  impl_->images.erase(impl_->images.begin() + index);
  Changed();
}

void TCustomImageList::Clear() {
  if (impl_->images.empty()) return;
  impl_->images.clear();
  Changed();
}

bool TCustomImageList::GetBitmap(int index, TBitmap* image) const {
  if (image == nullptr || index < 0 || index >= Count()) return false;
  // The image is drawn over the bitmap: a new bitmap's pixels are white, so the transparent
  // parts come out white (not black) when the bitmap is saved without its alpha bytes.
  image->SetSize(impl_->width, impl_->height);
  Draw(image->Canvas(), 0, 0, index);
  image->Canvas().Flush();
  return true;
}

void TCustomImageList::Draw(TCanvas& canvas, int32_t x, int32_t y, int index, bool enabled) const {
  if (index < 0 || index >= Count()) return;
  QImage image = impl_->images[static_cast<size_t>(index)];
  if (!enabled) {
    // Greyed: each pixel's grey level, lightened halfway to white.
    for (int row = 0; row < image.height(); ++row) {
      auto* p = reinterpret_cast<QRgb*>(image.scanLine(row));
      for (int col = 0; col < image.width(); ++col) {
        const int grey = qGray(p[col]);
        const int light = (grey + 255) / 2;
        p[col] = qRgba(light, light, light, qAlpha(p[col]));
      }
    }
  }
  TCanvasAccess::DrawImage(canvas, image, Bounds(x, y, image.width(), image.height()));
}

void TCustomImageList::DrawEx(TCanvas& canvas, int index, int32_t x, int32_t y, TColor blendColor,
                              uint32_t style) const {
  if (index < 0 || index >= Count()) return;
  QImage image = impl_->images[static_cast<size_t>(index)];
  const int share = (style & ILD_BLEND50) ? 50 : (style & ILD_BLEND25) ? 25 : 0;
  if (share > 0 && blendColor != clNone) {
    const QColor blend = ToQColor(blendColor);
    for (int row = 0; row < image.height(); ++row) {
      auto* p = reinterpret_cast<QRgb*>(image.scanLine(row));
      for (int col = 0; col < image.width(); ++col) {
        const QRgb c = p[col];
        auto mix = [share](int a, int b) { return (a * (100 - share) + b * share) / 100; };
        p[col] = qRgba(mix(qRed(c), blend.red()), mix(qGreen(c), blend.green()), mix(qBlue(c), blend.blue()),
                       qAlpha(c));
      }
    }
  }
  const TRect dest = Bounds(x, y, image.width(), image.height());
  if ((style & ILD_TRANSPARENT) == 0 && impl_->bk_color != clNone) {
    TBrush saved;
    saved.Assign(canvas.Brush());
    canvas.Brush().SetColor(impl_->bk_color);
    canvas.Brush().SetStyle(bsSolid);
    canvas.FillRect(dest);
    canvas.Brush().Assign(saved);
  }
  TCanvasAccess::DrawImage(canvas, image, dest);
}

void TCustomImageList::Changed() {
  if (OnChange) OnChange(*this);
  // A listener may unregister itself (or another) while it is told.
  const std::vector<TChangeLink*> links = links_;
  for (TChangeLink* link : links)
    if (std::find(links_.begin(), links_.end(), link) != links_.end() && link->OnChange)
      link->OnChange(*this);
}

QImage TImageListAccess::Image(const TCustomImageList& list, int index) {
  if (index < 0 || index >= list.Count()) return QImage();
  return list.impl_->images[static_cast<size_t>(index)];
}
