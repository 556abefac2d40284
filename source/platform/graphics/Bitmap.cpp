#include "platform/graphics/Bitmap.h"

#include <QPainter>
#include <algorithm>
#include <bit>
#include <cstring>
#include <optional>
#include <unordered_map>

#include "platform/core/Resources.h"
#include "platform/core/SysUtils.h"
#include "platform/graphics/BitmapAccess.h"
#include "platform/graphics/Canvas.h"
#include "platform/graphics/CanvasDevice.h"
#include "platform/graphics/GraphicResources.h"
#include "platform/graphics/SystemColors.h"

namespace {

constexpr TRGBQuad kWhite{255, 255, 255, 255};
// A BMP file is at most the largest picture at 4 bytes a pixel plus its headers.
constexpr int64_t kMaxBitmapFileBytes = kMaxPicturePixels * 4 + (1 << 20);

int BitsOf(TPixelFormat format) {
  switch (format) {
    case pf1bit:
      return 1;
    case pf4bit:
      return 4;
    case pf8bit:
      return 8;
    case pf15bit:
    case pf16bit:
      return 16;
    case pf24bit:
      return 24;
    default:
      return 32;
  }
}

TPixelFormat FormatOf(const TDibImage& dib) {
  switch (dib.Bits) {
    case 1:
      return pf1bit;
    case 4:
      return pf4bit;
    case 8:
      return pf8bit;
    case 16:
      return dib.Is565 ? pf16bit : pf15bit;
    case 24:
      return pf24bit;
    default:
      return pf32bit;
  }
}

TRGBQuad QuadOf(TColor color) {
  const TColor rgb = ColorToRGB(color);
  return TRGBQuad{GetBValue(rgb), GetGValue(rgb), GetRValue(rgb), 255};
}

std::vector<uint8_t> ReadAll(TStream& stream, int64_t count) {
  if (count > kMaxBitmapFileBytes) throw EInvalidGraphic("Picture is too large");
  std::vector<uint8_t> bytes(static_cast<size_t>(std::max<int64_t>(count, 0)));
  if (!bytes.empty()) stream.ReadBuffer(bytes.data(), count);
  return bytes;
}

}  // namespace

QImage DibToQImage(const TDibImage& dib, bool useAlpha) {
  if (dib.Empty()) return QImage();
  QImage image(dib.Width, dib.Height, useAlpha ? QImage::Format_ARGB32 : QImage::Format_RGB32);
  if (image.isNull()) throw EOutOfResources("Out of system resources");
  std::vector<QRgb> table;
  for (const TRGBQuad& c : dib.Colors) table.push_back(qRgb(c.rgbRed, c.rgbGreen, c.rgbBlue));
  for (int32_t y = 0; y < dib.Height; ++y) {
    const uint8_t* src = dib.Row(y);
    auto* dest = reinterpret_cast<QRgb*>(image.scanLine(y));
    switch (dib.Bits) {
      case 32:
        for (int32_t x = 0; x < dib.Width; ++x) {
          const uint8_t* p = src + 4 * x;
          dest[x] = qRgba(p[2], p[1], p[0], useAlpha ? p[3] : 255);
        }
        break;
      case 24:
        for (int32_t x = 0; x < dib.Width; ++x) {
          const uint8_t* p = src + 3 * x;
          dest[x] = qRgb(p[2], p[1], p[0]);
        }
        break;
      case 8:
        for (int32_t x = 0; x < dib.Width; ++x)
          dest[x] = src[x] < table.size() ? table[src[x]] : qRgb(0, 0, 0);
        break;
      default:
        for (int32_t x = 0; x < dib.Width; ++x) {
          const TRGBQuad c = DibPixel(dib, x, y);
          dest[x] = qRgb(c.rgbRed, c.rgbGreen, c.rgbBlue);
        }
        break;
    }
  }
  return image;
}

TDibImage QImageToDib(const QImage& source, int bits, bool is565, const std::vector<TRGBQuad>& colors) {
  const QImage image = source.convertToFormat(QImage::Format_ARGB32);
  TDibImage dib = TDibImage::Create(image.width(), image.height(), bits, is565, colors, TRGBQuad{});
  std::unordered_map<QRgb, uint8_t> nearest;
  for (int y = 0; y < image.height(); ++y) {
    const auto* src = reinterpret_cast<const QRgb*>(image.constScanLine(y));
    uint8_t* row = dib.Row(y);
    for (int x = 0; x < image.width(); ++x) {
      const QRgb px = src[x];
      const TRGBQuad quad{static_cast<uint8_t>(qBlue(px)), static_cast<uint8_t>(qGreen(px)),
                          static_cast<uint8_t>(qRed(px)), static_cast<uint8_t>(qAlpha(px))};
      if (bits == 32) {
        std::memcpy(row + 4 * x, &quad, 4);
      } else if (bits == 8) {
        auto it = nearest.find(px | 0xFF000000u);
        if (it == nearest.end())
          it = nearest.emplace(px | 0xFF000000u, NearestColorIndex(dib.Colors, quad)).first;
        row[x] = it->second;
      } else {
        SetDibPixel(dib, x, y, quad);
      }
    }
  }
  return dib;
}

// ---------------------------------------------------------------------------------------

class TBitmapCanvasDevice;

/// The fourth bytes of a 32-bit DIB, set aside while Qt paints on its pixels (Qt takes them as
/// 255) and put back afterwards. A bitmap whose fourth bytes all hold one value, as most do,
/// needs no copy of them.
class TKeptAlpha {
 public:
  void Keep(TDibImage& dib) {
    kept_.clear();
    value_ = dib.Pixels.empty() ? 255 : dib.Pixels[3];
    uniform_ = AllFourthBytesAre(dib.Pixels, value_);
    if (uniform_ && value_ == 255) return;
    if (!uniform_) {
      kept_.resize(dib.Pixels.size() / 4);
      for (size_t i = 0; i < kept_.size(); ++i) kept_[i] = dib.Pixels[4 * i + 3];
    }
    SetAll(dib, 255);
  }

  void Restore(TDibImage& dib) {
    if (uniform_) {
      if (value_ != 255) SetAll(dib, value_);
      return;
    }
    for (size_t i = 0; i < kept_.size() && 4 * i + 3 < dib.Pixels.size(); ++i)
      dib.Pixels[4 * i + 3] = kept_[i];
    Forget();
  }

  /// Drops what was kept (the pixels are replaced as a whole).
  void Forget() {
    kept_.clear();
    kept_.shrink_to_fit();
    uniform_ = true;
    value_ = 255;
  }

 private:
  /// Compares eight bytes at a time, a block at a time, so that the loop vectorises.
  static bool AllFourthBytesAre(const std::vector<uint8_t>& pixels, uint8_t value) {
    if constexpr (std::endian::native != std::endian::little) {  // the mask below picks bytes 3 and 7
      for (size_t at = 3; at < pixels.size(); at += 4)
        if (pixels[at] != value) return false;
      return true;
    }
    constexpr uint64_t kMask = 0xFF000000FF000000u;
    const uint64_t expected = kMask & (uint64_t{value} * 0x0100000001000000u);
    constexpr size_t kBlock = 4096;
    size_t at = 0;
    for (; at + 8 <= pixels.size(); at += kBlock) {
      const size_t end = std::min(pixels.size() & ~size_t{7}, at + kBlock);
      uint64_t differ = 0;
      for (size_t i = at; i < end; i += 8) {
        uint64_t word;
        std::memcpy(&word, pixels.data() + i, sizeof word);
        differ |= (word & kMask) ^ expected;
      }
      if (differ) return false;
    }
    for (at = pixels.size() & ~size_t{7}; at + 3 < pixels.size(); at += 4)
      if (pixels[at + 3] != value) return false;
    return true;
  }

  static void SetAll(TDibImage& dib, uint8_t value) {
    for (size_t at = 3; at < dib.Pixels.size(); at += 4) dib.Pixels[at] = value;
  }

  std::vector<uint8_t> kept_;
  bool uniform_ = true;
  uint8_t value_ = 255;
};

struct TBitmap::Impl {
  TBitmap* owner = nullptr;
  TDibImage dib;
  TPixelFormat format = pfDevice;
  std::optional<QImage> paint_image;  // what the painter paints on: the DIB's own pixels or a copy
  bool painted_in_place = false;
  TKeptAlpha kept_alpha;  // the fourth bytes of 32-bit pixels while they are painted
  std::unique_ptr<QPainter> painter;
  std::unique_ptr<TCanvas> canvas;
  TTransparentMode transparent_mode = tmAuto;
  TColor transparent_color = clDefault;
  TAlphaFormat alpha_format = afIgnored;
  bool ignore_palette = false;

  /// Finishes pending drawing: the painted image goes back into the DIB.
  void Flush() {
    if (!painter) return;
    painter->end();
    painter.reset();
    if (!paint_image) return;
    if (painted_in_place) {
      paint_image.reset();
      if (dib.Bits == 32) kept_alpha.Restore(dib);
      return;
    }
    dib = QImageToDib(*paint_image, dib.Bits, dib.Is565, dib.Colors);
    paint_image.reset();
  }

  QPainter* BeginPaint() {
    if (dib.Empty()) return nullptr;
    if (!painter) {
      // Qt's 32-bit pixels are words, which have a DIB's byte order only on little-endian
      // machines; 24-bit pixels are bytes in a DIB's order everywhere.
      painted_in_place = dib.Bits == 24 || (dib.Bits == 32 && std::endian::native == std::endian::little);
      if (painted_in_place) {
        // Such pixels are laid out as Qt's own: they are painted where they are. Qt takes the
        // fourth byte of 32-bit pixels as opaque, and drawing must not change it.
        if (dib.Bits == 32) kept_alpha.Keep(dib);
        paint_image = QImage(dib.Pixels.data(), dib.Width, dib.Height, static_cast<qsizetype>(dib.Stride()),
                             dib.Bits == 32 ? QImage::Format_RGB32 : QImage::Format_BGR888);
      } else {
        paint_image = DibToQImage(dib, false);
      }
      painter = std::make_unique<QPainter>();
      if (!painter->begin(&*paint_image)) {
        painter.reset();
        paint_image.reset();
        if (dib.Bits == 32) kept_alpha.Restore(dib);
        return nullptr;
      }
    }
    return painter.get();
  }

  void Replace(TDibImage image, TPixelFormat newFormat) {
    // Pending drawing is dropped with the pixels it was for.
    if (painter) {
      painter->end();
      painter.reset();
    }
    paint_image.reset();
    kept_alpha.Forget();
    dib = std::move(image);
    format = newFormat;
  }
};

class TBitmapCanvasDevice : public TCanvasDevice {
 public:
  explicit TBitmapCanvasDevice(TBitmap::Impl* impl) : impl_(impl) {}
  QPainter* BeginPaint() override {
    QPainter* p = impl_->BeginPaint();
    if (p != nullptr) impl_->owner->SetModified(true);
    return p;
  }
  void EndPaint() override { impl_->Flush(); }
  TSize Size() const override { return TSize{impl_->dib.Width, impl_->dib.Height}; }
  const QImage* Image() override {
    impl_->Flush();
    source_ = DibToQImage(impl_->dib, false);
    return &source_;
  }
  TColor GetPixel(int32_t x, int32_t y) override {
    if (x < 0 || y < 0 || x >= impl_->dib.Width || y >= impl_->dib.Height) return -1;
    const TRGBQuad c = DibPixel(impl_->dib, x, y);
    return RGBColor(c.rgbRed, c.rgbGreen, c.rgbBlue);
  }
  void SetPixel(int32_t x, int32_t y, TColor color) override {
    SetDibPixel(impl_->dib, x, y, QuadOf(color));
    impl_->owner->SetModified(true);
  }
  int BitsPerPixel() const override { return impl_->dib.Bits; }

 private:
  TBitmap::Impl* impl_;
  QImage source_;
};

TBitmap::TBitmap() : impl_(std::make_unique<Impl>()) {
  impl_->owner = this;
  impl_->dib.Bits = 32;
}

TBitmap::~TBitmap() {
  // The canvas ends its painting through the device, which needs the rest of Impl.
  impl_->canvas.reset();
}

void TBitmap::Assign(const TPersistent* source) {
  if (source == this) return;
  if (source == nullptr) {
    impl_->Replace(TDibImage{0, 0, BitsOf(impl_->format), false, {}, {}}, impl_->format);
    Changed();
    return;
  }
  if (const auto* other = dynamic_cast<const TBitmap*>(source)) {
    auto* src = const_cast<TBitmap*>(other);
    src->impl_->Flush();
    impl_->Replace(src->impl_->dib, src->impl_->format);
    impl_->transparent_mode = src->impl_->transparent_mode;
    impl_->transparent_color = src->impl_->transparent_color;
    impl_->alpha_format = src->impl_->alpha_format;
    impl_->ignore_palette = src->impl_->ignore_palette;
    transparent_ = src->transparent_;
    Changed();
    return;
  }
  TGraphic::Assign(source);
}

bool TBitmap::Empty() const {
  return impl_->dib.Width <= 0 || impl_->dib.Height <= 0;
}
int32_t TBitmap::Width() const {
  return impl_->dib.Width;
}
int32_t TBitmap::Height() const {
  return impl_->dib.Height;
}
void TBitmap::SetWidth(int32_t width) {
  SetSize(width, impl_->dib.Height);
}
void TBitmap::SetHeight(int32_t height) {
  SetSize(impl_->dib.Width, height);
}

void TBitmap::SetSize(int32_t width, int32_t height) {
  if (width < 0) width = 0;
  if (height < 0) height = 0;
  if (width == impl_->dib.Width && height == impl_->dib.Height) return;
  impl_->Flush();
  const TDibImage& old = impl_->dib;
  TDibImage resized = TDibImage::Create(width, height, old.Bits, old.Is565, old.Colors, kWhite);
  const int32_t w = std::min(width, old.Width);
  const int32_t h = std::min(height, old.Height);
  const size_t bytes = static_cast<size_t>((static_cast<int64_t>(w) * old.Bits + 7) / 8);
  for (int32_t y = 0; y < h; ++y) {
    if (old.Bits >= 8) {
      std::memcpy(resized.Row(y), old.Row(y), bytes);
    } else {
      for (int32_t x = 0; x < w; ++x) SetDibPixel(resized, x, y, DibPixel(old, x, y));
    }
  }
  impl_->Replace(std::move(resized), impl_->format);
  Changed();
}

void TBitmap::LoadFromStream(TStream& stream) {
  const std::vector<uint8_t> bytes = ReadAll(stream, stream.Remaining());
  TDibImage dib = DecodeBitmapFile(bytes);
  const TPixelFormat format = FormatOf(dib);
  impl_->Replace(std::move(dib), format);
  Changed();
}

void TBitmap::SaveToStream(TStream& stream) {
  impl_->Flush();
  const std::vector<uint8_t> bytes = EncodeBitmapFile(impl_->dib);
  stream.WriteBuffer(bytes.data(), static_cast<int64_t>(bytes.size()));
}

void TBitmap::LoadFromDIB(std::span<const uint8_t> dib) {
  TDibImage image = DecodePackedDib(dib);
  const TPixelFormat format = FormatOf(image);
  impl_->Replace(std::move(image), format);
  Changed();
}

void TBitmap::LoadFromResourceName(const std::string& name) {
  RegisterGraphicResources();
  TResourceStream stream(name, "BITMAP");
  const std::vector<uint8_t> bytes = ReadAll(stream, stream.Size());
  LoadFromDIB(bytes);
}

void TBitmap::ReadData(TStream& stream) {
  int32_t size = 0;
  stream.ReadBuffer(&size, 4);
  if (size < 0 || size > stream.Remaining()) throw EInvalidGraphic("Bitmap image is not valid");
  TMemoryStream data;
  if (size > 0) data.CopyFrom(stream, size);
  data.SetPosition(0);
  LoadFromStream(data);
}

void TBitmap::WriteData(TStream& stream) {
  TMemoryStream data;
  SaveToStream(data);
  const auto size = static_cast<int32_t>(data.Size());
  stream.WriteBuffer(&size, 4);
  stream.WriteBuffer(data.Memory(), size);
}

TPixelFormat TBitmap::PixelFormat() const {
  return impl_->format;
}

void TBitmap::SetPixelFormat(TPixelFormat format) {
  if (format == pfCustom || format == impl_->format) return;
  impl_->Flush();
  const int bits = BitsOf(format);
  const bool is565 = format == pf16bit;
  if (bits == impl_->dib.Bits && is565 == impl_->dib.Is565) {
    impl_->format = format;
    Changed();
    return;
  }
  TDibImage converted = ConvertDib(impl_->dib, bits, is565, {});
  impl_->Replace(std::move(converted), format);
  Changed();
}

std::vector<TRGBQuad> TBitmap::ColorTable() const {
  return impl_->dib.Bits <= 8 ? impl_->dib.Colors : std::vector<TRGBQuad>{};
}

void TBitmap::SetColorTable(const std::vector<TRGBQuad>& colors) {
  if (impl_->dib.Bits > 8) return;
  impl_->Flush();
  std::vector<TRGBQuad> table = colors;
  table.resize(size_t{1} << impl_->dib.Bits);
  impl_->dib.Colors = std::move(table);
  Changed();
}

std::vector<TPaletteEntry> TBitmap::GetPalette() const {
  std::vector<TPaletteEntry> palette;
  for (const TRGBQuad& c : ColorTable()) palette.push_back(TPaletteEntry{c.rgbRed, c.rgbGreen, c.rgbBlue, 0});
  return palette;
}

void TBitmap::SetPalette(const std::vector<TPaletteEntry>& palette) {
  std::vector<TRGBQuad> table;
  for (const TPaletteEntry& e : palette) table.push_back(TRGBQuad{e.peBlue, e.peGreen, e.peRed, 0});
  SetColorTable(table);
}

bool TBitmap::IgnorePalette() const {
  return impl_->ignore_palette;
}
void TBitmap::SetIgnorePalette(bool value) {
  impl_->ignore_palette = value;
}

TCanvas& TBitmap::Canvas() {
  if (!impl_->canvas)
    impl_->canvas = std::make_unique<TCanvas>(std::make_unique<TBitmapCanvasDevice>(impl_.get()));
  return *impl_->canvas;
}

uint8_t* TBitmap::ScanLine(int32_t row) {
  if (row < 0 || row >= impl_->dib.Height || impl_->dib.Width <= 0)
    throw EInvalidGraphicOperation("Scan line index out of range");
  impl_->Flush();
  SetModified(true);
  return impl_->dib.Row(row);
}

int64_t TBitmap::RowBytes() const {
  return impl_->dib.Stride();
}

TTransparentMode TBitmap::TransparentMode() const {
  return impl_->transparent_mode;
}

void TBitmap::SetTransparentMode(TTransparentMode mode) {
  if (mode == impl_->transparent_mode) return;
  impl_->transparent_mode = mode;
  if (mode == tmAuto) impl_->transparent_color = clDefault;
  Changed();
}

TColor TBitmap::TransparentColor() {
  if (impl_->transparent_mode == tmFixed && impl_->transparent_color != clDefault)
    return impl_->transparent_color;
  if (Empty()) return clDefault;
  impl_->Flush();
  const TRGBQuad c = DibPixel(impl_->dib, 0, impl_->dib.Height - 1);
  return RGBColor(c.rgbRed, c.rgbGreen, c.rgbBlue) | 0x02000000;
}

void TBitmap::SetTransparentColor(TColor color) {
  impl_->transparent_color = color;
  impl_->transparent_mode = color == clDefault ? tmAuto : tmFixed;
  Changed();
}

TAlphaFormat TBitmap::AlphaFormat() const {
  return impl_->alpha_format;
}

void TBitmap::SetAlphaFormat(TAlphaFormat format) {
  if (format == impl_->alpha_format) return;
  impl_->alpha_format = format;
  Changed();
}

void TBitmap::Draw(TCanvas& canvas, const TRect& rect) {
  if (Empty()) return;
  TCanvasAccess::DrawImage(canvas, TBitmapAccess::DrawImage(*this), rect);
}

void TBitmap::Changed() {
  TGraphic::Changed();
}

// ---------------------------------------------------------------------------------------

TDibImage& TBitmapAccess::Dib(TBitmap& bitmap) {
  bitmap.impl_->Flush();
  return bitmap.impl_->dib;
}

void TBitmapAccess::SetDib(TBitmap& bitmap, TDibImage dib, TPixelFormat format) {
  bitmap.impl_->Replace(std::move(dib), format);
  bitmap.Changed();
}

QImage TBitmapAccess::DrawImage(TBitmap& bitmap) {
  TBitmap::Impl& impl = *bitmap.impl_;
  impl.Flush();
  const bool alpha = impl.dib.Bits == 32 && impl.alpha_format != afIgnored;
  QImage image = DibToQImage(impl.dib, alpha);
  if (alpha && impl.alpha_format == afPremultiplied)
    image.reinterpretAsFormat(QImage::Format_ARGB32_Premultiplied);
  if (!bitmap.Transparent()) return image;
  const QRgb key = ToQColor(bitmap.TransparentColor() & 0xFFFFFF).rgb() & 0xFFFFFFu;
  image = image.convertToFormat(QImage::Format_ARGB32);
  for (int y = 0; y < image.height(); ++y) {
    auto* row = reinterpret_cast<QRgb*>(image.scanLine(y));
    for (int x = 0; x < image.width(); ++x)
      if ((row[x] & 0xFFFFFFu) == key) row[x] = 0;
  }
  return image;
}

void TBitmapAccess::SetImage(TBitmap& bitmap, const QImage& image, TPixelFormat format) {
  const int bits = BitsOf(format);
  TDibImage dib = QImageToDib(image, bits, format == pf16bit,
                              bits <= 8 ? DefaultColorTable(bits) : std::vector<TRGBQuad>{});
  SetDib(bitmap, std::move(dib), format);
}
