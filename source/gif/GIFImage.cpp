#include "gif/GIFImage.h"

#include <algorithm>
#include <cstring>

#include "gif/GIFColorReduction.h"
#include "gif/GIFDecoder.h"
#include "gif/GIFEncoder.h"
#include "platform/graphics/Canvas.h"
#include "platform/graphics/Picture.h"
#include "platform/graphics/ScreenCanvas.h"
#include "platform/graphics/SystemColors.h"
#include "platform/gui/Application.h"
#include "platform/gui/Synchronize.h"

void CheckGIFFrameSize(int64_t width, int64_t height) {
  if (width * height > kGIFMaxFramePixels) throw GIFException("Image is too large");
}

bool GIFImageRenderOnLoad = false;
bool GIFImageOptimizeOnStream = false;
bool GIFScreenIsPaletteDevice = false;

namespace {

constexpr uint8_t kImageSeparator = 0x2C;       // ','
constexpr uint8_t kExtensionIntroducer = 0x21;  // '!'
constexpr uint8_t kTrailer = 0x3B;              // ';'
// An LZW code yields at most 4096 pixels, so a file fills at most this many pixels per
// byte; together the frames of a file may hold that much (and never less than one frame of
// the largest size), which keeps a small file of many huge, empty frames from exhausting
// memory.
constexpr int64_t kPixelsPerFileByte = 4096 * 8;
constexpr const char* kLoading = "Loading...";
constexpr const char* kSaving = "Saving...";
constexpr const char* kRendering = "Rendering...";
/// Long work on rows reports its progress this often.
constexpr int32_t kProgressRows = 32;

int32_t ScaleInto(int32_t origin, int64_t value, int64_t target, int64_t source) {
  return origin + static_cast<int32_t>(value * target / source);
}

/// 2^bits evenly spaced greys, from black to white, for frames without a colour table.
std::vector<TRGBQuad> MakeGreyRamp(int bits) {
  const int count = 1 << bits;
  std::vector<TRGBQuad> ramp(static_cast<size_t>(count));
  for (int i = 0; i < count; ++i) {
    const auto grey = static_cast<uint8_t>(count == 1 ? 0 : i * 255 / (count - 1));
    ramp[static_cast<size_t>(i)] = TRGBQuad{grey, grey, grey, 0};
  }
  return ramp;
}

/// The 256-entry table of a frame's active colour table (a grey ramp without one); entries
/// beyond the table are black.
std::vector<TRGBQuad> TableColors(TGIFSubImage& frame) {
  TGIFColorMap& map = frame.EffectiveColorMap();
  if (map.Count() == 0) {
    std::vector<TRGBQuad> ramp = MakeGreyRamp(std::clamp(frame.CodeSize(), 1, 8));
    ramp.resize(256);
    return ramp;
  }
  std::vector<TRGBQuad> colors(256);
  for (int i = 0; i < map.Count(); ++i) colors[static_cast<size_t>(i)] = map.Quad(i);
  return colors;
}

/// A palette as a 256-entry colour table (black beyond the palette).
std::vector<TRGBQuad> PaletteColors(const std::vector<TPaletteEntry>& palette) {
  std::vector<TRGBQuad> colors(256);
  for (size_t i = 0; i < std::min<size_t>(palette.size(), 256); ++i)
    colors[i] = TRGBQuad{palette[i].peBlue, palette[i].peGreen, palette[i].peRed, 0};
  return colors;
}

std::vector<TRGBQuad> WebColors() {
  return PaletteColors(WebPalette());
}

/// Index 255 is no web colour: it marks the transparent pixels of a web rendering.
constexpr uint8_t kWebTransparent = 255;

std::unique_ptr<TBitmap> MakeIndexedBitmap(int32_t width, int32_t height,
                                           const std::vector<TRGBQuad>& colors) {
  auto bitmap = std::make_unique<TBitmap>();
  bitmap->SetPixelFormat(pf8bit);
  bitmap->SetSize(width, height);
  bitmap->SetColorTable(colors);
  return bitmap;
}

}  // namespace

// ---------------------------------------------------------------------------------------

TGIFSubImage::TGIFSubImage(TGIFImage* image) : TGIFItem(image), color_map_(this) {}

TGIFSubImage::~TGIFSubImage() = default;

TGIFColorMap& TGIFSubImage::EffectiveColorMap() {
  if (color_map_.Count() == 0 && Image() && Image()->Header().ColorMap().Count() > 0)
    return Image()->Header().ColorMap();
  return color_map_;
}

TGIFVersion TGIFSubImage::GetVersion() const {
  if (color_map_.Optimized()) return gv89a;
  for (const auto& extension : extensions_)
    if (extension->GetVersion() == gv89a) return gv89a;
  return gv87a;
}

uint8_t TGIFSubImage::Pixels(int32_t x, int32_t y) const {
  if (x < 0 || x >= width_ || y < 0 || y >= height_ || data_.empty())
    throw GIFException("Invalid pixel coordinates");
  return data_[static_cast<size_t>(y) * static_cast<size_t>(width_) + static_cast<size_t>(x)];
}

const uint8_t* TGIFSubImage::Scanline(int32_t y) const {
  if (data_.empty()) throw GIFException("Image is empty");
  if (y < 0 || y >= height_) throw GIFException("Invalid pixel coordinates");
  return data_.data() + static_cast<size_t>(y) * static_cast<size_t>(width_);
}

void TGIFSubImage::Clear() {
  extensions_.clear();
  color_map_.Clear();
  data_.clear();
  left_ = top_ = width_ = height_ = 0;
  packed_ = 0;
  code_size_ = 0;
  transparent_ = false;
  graphic_control_ = nullptr;
  bitmap_.reset();
  mask_stale_ = true;
  palette_.clear();
}

void TGIFSubImage::LinkGraphicControl() {
  // Only the first graphic control extension belongs to the frame; any later one is kept
  // for writing back but does not make the frame transparent.
  graphic_control_ = nullptr;
  for (const auto& extension : extensions_)
    if (auto* control = dynamic_cast<TGIFGraphicControlExtension*>(extension.get())) {
      graphic_control_ = control;
      break;
    }
  transparent_ = graphic_control_ && graphic_control_->Transparent();
}

void TGIFSubImage::StoreDescriptorBounds(int32_t left, int32_t top, int32_t width, int32_t height) {
  left_ = left;
  top_ = top;
  width_ = width;
  height_ = height;
  if (Image()) Image()->bitmap_.reset();
}

void TGIFSubImage::StoreBounds(int32_t left, int32_t top, int32_t width, int32_t height) {
  StoreDescriptorBounds(left, top, width, height);
  if (Image()) Image()->GrowScreen(*this);
}

void TGIFSubImage::Reported(const char* message, bool redraw, const std::function<void()>& work) {
  if (Image())
    Image()->Reported(this, message, redraw, work);
  else
    work();
}

void TGIFSubImage::RowProgress(const char* message, int32_t row) {
  if (Image() && height_ > 0 && row % kProgressRows == 0)
    Image()->Progress(this, psRunning, static_cast<uint8_t>(int64_t{row} * 100 / height_), false, TRect{},
                      message);
}

void TGIFSubImage::SetBounds(int32_t left, int32_t top, int32_t width, int32_t height) {
  for (const int32_t value : {left, top, width, height})
    if (value < 0 || value > 0xFFFF) throw GIFException("Invalid image dimensions");
  CheckGIFFrameSize(width, height);
  const bool resized = width != width_ || height != height_;
  StoreBounds(left, top, width, height);
  if (!resized) return;
  FreeRendering();
  data_.assign(static_cast<size_t>(width) * static_cast<size_t>(height), 0);
}

void TGIFSubImage::LoadFromStream(TStream& stream) {
  Clear();
  LoadExtensions(stream, *this, extensions_);
  LinkGraphicControl();
  const std::optional<uint8_t> separator = GIFReadByte(stream);
  if (!separator) return;
  stream.Seek(-1, soCurrent);
  // Anything but an image separator here (the trailer, a 0 or a stray byte) leaves the
  // frame without pixels; the frame list decides what the byte means.
  if (*separator != kImageSeparator) return;

  uint8_t descriptor[10];
  ReadCheck(stream, descriptor, sizeof descriptor);
  int32_t left = descriptor[1] | (descriptor[2] << 8);
  int32_t top = descriptor[3] | (descriptor[4] << 8);
  int32_t width = descriptor[5] | (descriptor[6] << 8);
  int32_t height = descriptor[7] | (descriptor[8] << 8);
  packed_ = descriptor[9];
  if ((width == 0 || height == 0) && Image()) {
    width = Image()->Header().Width;
    height = Image()->Header().Height;
    Warning(1, "Image exceeds Logical Screen size");
  }
  // Sides are 16-bit, so only the pixel count (the memory a frame takes) needs a bound.
  CheckGIFFrameSize(width, height);
  if (packed_ & 0x80) {
    color_map_.LoadFromStream(stream, 2 << (packed_ & 7));
    color_map_.SetOptimized(packed_ & 0x20);
  }
  if (Image()) Image()->ReservePixels(int64_t{width} * height);
  // The file's logical screen is kept as it is, so that it is saved back unchanged.
  StoreDescriptorBounds(left, top, width, height);

  const uint8_t fill = transparent_ ? graphic_control_->TransparentColorIndex() : 0;
  data_.assign(static_cast<size_t>(width) * static_cast<size_t>(height), fill);
  code_size_ = DecodeGIFPixels(stream, data_, width, height, Interlaced(),
                               [this](const std::string& message) { Warning(1, message); });
  if (GIFImageRenderOnLoad) Render();
}

void TGIFSubImage::SaveToStream(TStream& stream) {
  for (const auto& extension : extensions_) extension->SaveToStream(stream);
  if (Empty()) return;
  if (color_map_.Count() > 0) {
    packed_ = static_cast<uint8_t>(0x80 | (color_map_.Optimized() ? 0x20 : 0) |
                                   ((color_map_.BitsPerPixel() - 1) & 7));
  } else {
    packed_ &= 0x58;  // interlace and reserved bits
  }
  const auto lo = [](int32_t v) { return static_cast<uint8_t>(std::clamp(v, 0, 0xFFFF)); };
  const auto hi = [](int32_t v) { return static_cast<uint8_t>(std::clamp(v, 0, 0xFFFF) >> 8); };
  const uint8_t descriptor[10] = {kImageSeparator, lo(left_),  hi(left_),   lo(top_),    hi(top_),
                                  lo(width_),      hi(width_), lo(height_), hi(height_), packed_};
  stream.WriteBuffer(descriptor, sizeof descriptor);
  color_map_.SaveToStream(stream);

  int bits = 0;
  int colors = 0;
  if (color_map_.Count() > 0) {
    bits = color_map_.BitsPerPixel();
    colors = color_map_.Count();
  } else if (Image() && Image()->BitsPerPixel() > 0) {
    bits = Image()->BitsPerPixel();
    colors = 1 << bits;
  } else {
    // No colour table anywhere: the pixels index the grey ramp, so the code size must hold
    // the frame's largest index.
    const uint8_t largest = *std::max_element(data_.begin(), data_.end());
    bits = std::max(code_size_, ::BitsPerPixel(largest + 1));
    colors = 1 << std::min(bits, 8);
  }
  EncodeGIFPixels(stream, Image() ? Image()->Compression : 0, bits, colors, data_.data(), Interlaced(),
                  height_, width_, [this](const std::string& message) { Warning(1, message); });
}

void TGIFSubImage::Render() {
  if (bitmap_ || Empty()) return;
  Reported(kRendering, false, [this] {
    if (Image() && Image()->UsesWebPalette()) {
      RenderWeb();
      return;
    }
    bitmap_ = MakeIndexedBitmap(width_, height_, Colors());
    for (int32_t y = 0; y < height_; ++y) {
      RowProgress(kRendering, y);
      std::memcpy(bitmap_->ScanLine(y), Scanline(y), static_cast<size_t>(width_));
    }
  });
  // The first rendering in a newly set palette is where the host sees the new colours.
  if (Image() && Image()->TakePaletteModified()) Image()->Changed();
}

void TGIFSubImage::RenderWeb() {
  const std::vector<TRGBQuad> colors = TableColors(*this);
  bitmap_ = MakeIndexedBitmap(width_, height_, WebColors());
  const int key = transparent_ ? graphic_control_->TransparentColorIndex() : -1;
  // Mask rows are word-aligned, one bit a pixel, the leftmost pixel in the top bit.
  const int64_t maskStride = ((int64_t{width_} + 15) / 8) & ~int64_t{1};
  web_mask_.assign(key >= 0 ? static_cast<size_t>(maskStride * height_) : 0, 0);
  bool masked = false;
  TNetscapeColorLookup lookup;
  TFloydSteinbergDitherer ditherer(width_, lookup);
  for (int32_t y = 0; y < height_; ++y) {
    RowProgress(kRendering, y);
    const uint8_t* row = Scanline(y);
    uint8_t* out = bitmap_->ScanLine(y);
    uint8_t* maskRow = key >= 0 ? web_mask_.data() + maskStride * y : nullptr;
    // The ditherer walks the rows in serpentine order; each pixel is taken at its column.
    for (int32_t n = 0; n < width_; ++n) {
      const int x = ditherer.Column();
      if (row[x] == key) {
        maskRow[x / 8] = static_cast<uint8_t>(maskRow[x / 8] | (0x80 >> (x % 8)));
        masked = true;
        ditherer.NextColumn();  // a transparent pixel spreads no error
        continue;
      }
      const TRGBQuad& c = colors[row[x]];
      uint8_t r = 0, g = 0, b = 0;
      out[x] = ditherer.Dither(c.rgbRed, c.rgbGreen, c.rgbBlue, r, g, b);
    }
    ditherer.NextLine();
  }
  if (!masked) web_mask_.clear();
}

std::vector<uint8_t> TGIFSubImage::WebDrawPixels() {
  Render();
  std::vector<uint8_t> pixels(static_cast<size_t>(width_) * static_cast<size_t>(height_));
  const int64_t maskStride = ((int64_t{width_} + 15) / 8) & ~int64_t{1};
  for (int32_t y = 0; y < height_; ++y) {
    uint8_t* out = pixels.data() + static_cast<size_t>(y) * static_cast<size_t>(width_);
    std::memcpy(out, bitmap_->ScanLine(y), static_cast<size_t>(width_));
    if (web_mask_.empty()) continue;
    const uint8_t* maskRow = web_mask_.data() + maskStride * y;
    for (int32_t x = 0; x < width_; ++x)
      if (maskRow[x / 8] & (0x80 >> (x % 8))) out[x] = kWebTransparent;
  }
  return pixels;
}

std::vector<TPaletteEntry> TGIFSubImage::Palette() {
  if (bitmap_) return bitmap_->GetPalette();
  if (!palette_.empty()) return palette_;
  if (Image() && Image()->UsesWebPalette()) return WebPalette();
  if (color_map_.Count() == 0 && Image()) return Image()->GetPalette();
  return color_map_.ExportPalette();
}

void TGIFSubImage::SetPalette(const std::vector<TPaletteEntry>& palette) {
  if (palette == palette_) return;
  palette_ = palette;
  if (bitmap_ ? bitmap_->GetPalette() == palette : palette.empty()) return;
  FreeRendering();
  if (Image()) Image()->MarkPaletteModified();
}

std::vector<TRGBQuad> TGIFSubImage::Colors() {
  if (!palette_.empty()) return PaletteColors(palette_);
  if (color_map_.Count() == 0 && Image() && !Image()->image_palette_.empty())
    return PaletteColors(Image()->image_palette_);
  return TableColors(*this);
}

TBitmap* TGIFSubImage::Bitmap() {
  Render();
  return bitmap_.get();
}

bool TGIFSubImage::HasMask() {
  if (mask_stale_) {
    has_mask_ =
        transparent_ && !Empty() &&
        std::find(data_.begin(), data_.end(), graphic_control_->TransparentColorIndex()) != data_.end();
    mask_stale_ = false;
  }
  return has_mask_;
}

void TGIFSubImage::Draw(TCanvas& canvas, const TRect& rect, const TSize& screen, bool transparent,
                        bool tile) {
  if (Empty() || screen.cx <= 0 || screen.cy <= 0) return;
  // The pixels are drawn from the colour indices themselves: a large frame never exists a
  // second time as a bitmap while it is drawn (except on the web palette, where the
  // rendering's indices are drawn).
  const bool web = Image() && Image()->UsesWebPalette();
  const std::vector<TRGBQuad> colors = web ? WebColors() : Colors();
  const std::vector<uint8_t> webPixels = web ? WebDrawPixels() : std::vector<uint8_t>();
  TIndexedPixels pixels;
  pixels.Pixels = web ? webPixels.data() : data_.data();
  pixels.Width = pixels.Stride = width_;
  pixels.Height = height_;
  pixels.Colors = colors;
  if (transparent && web && !web_mask_.empty())
    pixels.TransparentIndex = kWebTransparent;
  else if (transparent && !web && HasMask())
    pixels.TransparentIndex = graphic_control_->TransparentColorIndex();
  if (tile) {
    for (int64_t y = int64_t{rect.Top} + top_; y < rect.Bottom; y += screen.cy)
      for (int64_t x = int64_t{rect.Left} + left_; x < rect.Right; x += screen.cx)
        canvas.DrawIndexed(Bounds(static_cast<int32_t>(x), static_cast<int32_t>(y), width_, height_), pixels);
    return;
  }
  canvas.DrawIndexed(TargetRect(rect, screen), pixels);
}

TRect TGIFSubImage::TargetRect(const TRect& rect, const TSize& screen) const {
  if (screen.cx <= 0 || screen.cy <= 0) return TRect{};
  return TRect{ScaleInto(rect.Left, left_, rect.Width(), screen.cx),
               ScaleInto(rect.Top, top_, rect.Height(), screen.cy),
               ScaleInto(rect.Left, int64_t{left_} + width_, rect.Width(), screen.cx),
               ScaleInto(rect.Top, int64_t{top_} + height_, rect.Height(), screen.cy)};
}

// ---------------------------------------------------------------------------------------

TGIFImage::TGIFImage() : header_(this) {}

TGIFImage::~TGIFImage() {
  StopAllPainters();
  {
    // What is still listed runs in the caller (synchronous) or is the painter whose own
    // handler is freeing the image: it goes on without the image and ends by itself.
    const std::lock_guard lock(painters_->Lock);
    for (TGIFPainter* painter : painters_->Items) {
      painter->image_ = nullptr;
      painter->orphaned_ = true;
    }
    painters_->Items.clear();
    painters_->ImageAlive = false;
  }
  ReapGIFPainters(this);
}

void TGIFImage::Warning(TObject* sender, int severity, const std::string& message) {
  if (OnGIFWarning) OnGIFWarning(sender, severity, message);
}

void TGIFImage::Clear() {
  StopAllPainters();
  bitmap_.reset();
  images_.clear();
  header_.Clear();
  image_palette_.clear();
}

void TGIFImage::GrowScreen(const TGIFSubImage& frame) {
  bool warned = false;
  const int64_t right = int64_t{frame.Left()} + frame.Width();
  const int64_t bottom = int64_t{frame.Top()} + frame.Height();
  if (right > header_.Width) {
    if (header_.Width > 0) {
      Warning(&header_, 1, "Image width too small for contained frames");
      warned = true;
    }
    header_.Width = static_cast<uint16_t>(std::min<int64_t>(right, 0xFFFF));
  }
  if (bottom > header_.Height) {
    if (header_.Height > 0) {
      Warning(&header_, 1, "Image height too small for contained frames");
      warned = true;
    }
    header_.Height = static_cast<uint16_t>(std::min<int64_t>(bottom, 0xFFFF));
  }
  if (warned) Warning(&header_, 1, "Image exceeds Logical Screen size");
  bitmap_.reset();
}

void TGIFImage::ReservePixels(int64_t pixels) {
  if (pixels_left_ < 0) return;  // a frame loaded on its own: only its own size is bounded
  if (pixels > pixels_left_) throw GIFException("Image is too large");
  pixels_left_ -= pixels;
}

void TGIFImage::SetWidth(int32_t width) {
  for (const auto& frame : images_)
    if (frame->Left() + frame->Width() > width)
      throw GIFException("Image width too small for contained frames");
  if (width == header_.Width) return;
  header_.Width = static_cast<uint16_t>(std::clamp(width, 0, 0xFFFF));
  bitmap_.reset();
  Changed();
}

void TGIFImage::SetHeight(int32_t height) {
  for (const auto& frame : images_)
    if (frame->Top() + frame->Height() > height)
      throw GIFException("Image height too small for contained frames");
  if (height == header_.Height) return;
  header_.Height = static_cast<uint16_t>(std::clamp(height, 0, 0xFFFF));
  bitmap_.reset();
  Changed();
}

TSize TGIFImage::ScreenSize() const {
  TSize size{header_.Width, header_.Height};
  for (const auto& frame : images_) {
    size.cx = std::max(size.cx, frame->Left() + frame->Width());
    size.cy = std::max(size.cy, frame->Top() + frame->Height());
  }
  return size;
}

void TGIFImage::Reported(TObject* sender, const char* message, bool redrawAtEnd,
                         const std::function<void()>& work) {
  Progress(sender, psStarting, 0, false, TRect{}, message);
  try {
    work();
  } catch (...) {
    Progress(sender, psEnding, 0, redrawAtEnd, TRect{}, message);
    throw;
  }
  Progress(sender, psEnding, 100, redrawAtEnd, TRect{}, message);
}

void TGIFImage::LoadFromStream(TStream& stream) {
  const int64_t start = stream.Position();
  struct EndBudget {
    int64_t& left;
    ~EndBudget() { left = -1; }
  } endBudget{pixels_left_};
  Reported(this, kLoading, true, [&] {
    try {
      LoadFrames(stream, start);
    } catch (...) {
      stream.SetPosition(start);
      throw;
    }
  });
  Changed();
}

void TGIFImage::LoadFrames(TStream& stream, int64_t start) {
  Clear();
  pixels_left_ = std::max(kGIFMaxFramePixels, (stream.Size() - start) * kPixelsPerFileByte);
  header_.LoadFromStream(stream);
  while (true) {
    std::optional<uint8_t> byte = GIFReadByte(stream);
    while (byte == 0) byte = GIFReadByte(stream);  // zero bytes between blocks are padding
    if (!byte) break;
    stream.Seek(-1, soCurrent);
    if (*byte == kTrailer) break;
    if (*byte != kExtensionIntroducer && *byte != kImageSeparator) {
      Warning(this, 1, "Unknown GIF block type");
      break;
    }
    auto frame = std::make_unique<TGIFSubImage>(this);
    frame->LoadFromStream(stream);
    images_.push_back(std::move(frame));
    const int64_t size = std::max<int64_t>(stream.Size(), 1);
    Progress(this, psRunning,
             static_cast<uint8_t>(std::clamp<int64_t>(stream.Position() * 100 / size, 0, 100)),
             GIFImageRenderOnLoad, TRect{}, kLoading);
  }
  const std::optional<uint8_t> trailer = GIFReadByte(stream);
  if (trailer && *trailer != kTrailer) Warning(this, 1, "Invalid Image trailer");
}

void TGIFImage::SaveToStream(TStream& stream) {
  Reported(this, kSaving, true, [&] {
    // An image without frames has no version: the header refuses it before writing.
    header_.SaveToStream(stream);
    const auto count = static_cast<int64_t>(images_.size());
    for (int64_t i = 0; i < count; ++i) {
      images_[static_cast<size_t>(i)]->SaveToStream(stream);
      Progress(this, psRunning, static_cast<uint8_t>((i + 1) * 100 / count), false, TRect{}, kSaving);
    }
    GIFWriteByte(stream, kTrailer);
  });
}

TGIFVersion TGIFImage::Version() const {
  TGIFVersion version = gvUnknown;
  for (const auto& frame : images_) {
    version = std::max(version, frame->GetVersion());
    if (version == gv89a) break;
  }
  return version;
}

int TGIFImage::ColorResolution() const {
  int resolution = header_.ColorResolution();
  for (const auto& frame : images_) resolution = std::max(resolution, frame->ColorMap().BitsPerPixel() - 1);
  return resolution;
}

int TGIFImage::BitsPerPixel() const {
  int bits = header_.BitsPerPixel();
  for (const auto& frame : images_) bits = std::max(bits, frame->ColorMap().BitsPerPixel());
  return bits;
}

bool TGIFImage::UsesWebPalette() const {
  return (DrawOptions & doDitherToWebPalette) &&
         (!(DrawOptions & doDitherOnPaletteDeviceOnly) || GIFScreenIsPaletteDevice);
}

void TGIFImage::PaletteChanged() {
  image_palette_.clear();
  FreeRenderings();
}

void TGIFImage::FreeRenderings() {
  bitmap_.reset();
  for (const auto& frame : images_) frame->FreeRendering();
}

int TGIFImage::Add(std::unique_ptr<TGIFSubImage> frame) {
  if (!frame) throw GIFException("Object type not supported for operation");
  frame->image_ = this;
  for (const auto& extension : frame->extensions_) extension->image_ = this;
  GrowScreen(*frame);
  frame->FreeRendering();
  images_.push_back(std::move(frame));
  Changed();
  return Count() - 1;
}

int TGIFImage::Add(const TObject* source) {
  const auto* graphic = dynamic_cast<const TGraphic*>(source);
  if (graphic == nullptr) throw GIFException("Object type not supported for operation");
  auto frame = std::make_unique<TGIFSubImage>(this);
  frame->AssignGraphic(*graphic);
  images_.push_back(std::move(frame));
  bitmap_.reset();
  Changed();
  return Count() - 1;
}

void TGIFImage::WriteData(TStream& stream) {
  if (GIFImageOptimizeOnStream)
    Optimize(ooCrop | ooMerge | ooCleanup | ooColorMap | ooReduceColors, 0, DitherMode, ReductionBits);
  TGraphic::WriteData(stream);
}

std::vector<TPaletteEntry> TGIFImage::GetPalette() const {
  // The first frame answers the image's palette when it has no table of its own; asked
  // again here, there is no table anywhere. Drawing such a file uses a grey ramp, which is
  // no palette of the file's: it is answered only once a rendering holds it.
  if (in_get_palette_) throw GIFException("No global or local color table defined");
  in_get_palette_ = true;
  struct Reset {
    bool& flag;
    ~Reset() { flag = false; }
  } reset{in_get_palette_};
  if (bitmap_) {
    std::vector<TPaletteEntry> rendering = bitmap_->GetPalette();  // none on a true-colour one
    if (!rendering.empty()) return rendering;
  }
  if (!image_palette_.empty()) return image_palette_;
  if (UsesWebPalette()) return WebPalette();
  if (header_.ColorMap().Count() > 0) return header_.ColorMap().ExportPalette();
  if (images_.empty()) return {};
  return images_.front()->Palette();
}

void TGIFImage::SetPalette(const std::vector<TPaletteEntry>& palette) {
  if (palette == image_palette_) return;
  image_palette_ = palette;
  if (bitmap_ ? bitmap_->GetPalette() == palette : palette.empty()) return;
  FreeRenderings();
  MarkPaletteModified();
}

void TGIFImage::MarkPaletteModified() {
  palette_modified_ = true;
  Changed();
}

std::vector<TRGBQuad> TGIFImage::ScreenColors() {
  try {
    const std::vector<TPaletteEntry> palette = GetPalette();
    if (!palette.empty()) return PaletteColors(palette);
  } catch (const GIFException&) {
    // No table anywhere: the frame's grey ramp is all there is.
  }
  return images_.front()->Colors();
}

TBitmap* TGIFImage::Bitmap() {
  if (images_.empty()) return nullptr;
  if (bitmap_) return bitmap_.get();
  TGIFSubImage& first = *images_.front();
  const TSize screen = ScreenSize();
  if (screen.cx <= 0 || screen.cy <= 0) return nullptr;
  // On the web palette the first frame's rendering holds the indices to copy.
  const bool web = UsesWebPalette();
  const std::vector<TRGBQuad> frameColors = web ? WebColors() : first.Colors();
  const bool fills = first.Width() == screen.cx && first.Height() == screen.cy;
  const std::vector<TRGBQuad> screenColors = fills ? frameColors : ScreenColors();
  if (screenColors != frameColors) {
    // The frame's indices mean other colours in the image's palette: a true-colour picture
    // keeps the frame's own colours on the palette's background.
    auto bitmap = std::make_unique<TBitmap>();
    bitmap->SetPixelFormat(pf32bit);
    bitmap->SetSize(screen.cx, screen.cy);
    const TRGBQuad& background = screenColors.front();
    bitmap->Canvas().Brush().SetColor(RGBColor(background.rgbRed, background.rgbGreen, background.rgbBlue));
    bitmap->Canvas().FillRect(Bounds(0, 0, screen.cx, screen.cy));
    first.Draw(bitmap->Canvas(), Bounds(0, 0, screen.cx, screen.cy), screen, false, false);
    bitmap_ = std::move(bitmap);
    return bitmap_.get();
  }
  TBitmap* rendering = web ? first.Bitmap() : nullptr;
  bitmap_ = MakeIndexedBitmap(screen.cx, screen.cy, screenColors);
  for (int32_t y = 0; y < screen.cy; ++y)
    std::memset(bitmap_->ScanLine(y), 0, static_cast<size_t>(screen.cx));
  if (!first.Empty()) {
    for (int32_t y = 0; y < first.Height(); ++y)
      std::memcpy(bitmap_->ScanLine(first.Top() + y) + first.Left(),
                  rendering ? rendering->ScanLine(y) : first.Scanline(y), static_cast<size_t>(first.Width()));
  }
  return bitmap_.get();
}

void TGIFImage::DrawBuffer(TCanvas& canvas, const TRect& rect) {
  if (!(DrawOptions & doTile)) {
    canvas.StretchDraw(rect, bitmap_.get());
    return;
  }
  for (int64_t y = rect.Top; y < rect.Bottom; y += std::max(bitmap_->Height(), 1))
    for (int64_t x = rect.Left; x < rect.Right; x += std::max(bitmap_->Width(), 1))
      canvas.Draw(static_cast<int32_t>(x), static_cast<int32_t>(y), bitmap_.get());
}

void TGIFImage::Draw(TCanvas& canvas, const TRect& rect) {
  if (drawing_now_ || images_.empty()) return;
  // A handler of a painter may free this image while we wait for it: the shared list tells.
  const std::shared_ptr<TGIFPainterList> list = painters_;
  drawing_now_ = true;
  struct ClearFlag {
    TGIFImage& image;
    const std::shared_ptr<TGIFPainterList>& list;
    ~ClearFlag() {
      if (list->ImageAlive) image.drawing_now_ = false;
    }
  } clearFlag{*this, list};

  // Only a canvas on the screen is animated, a window's or the buffer a control paints it
  // through: pictures drawn into other bitmaps (exports, printing) get the first frame at
  // once, and no painter thread.
  // Painters hand their steps to the application's GUI thread; without one there is none.
  const bool animate = images_.size() > 1 && (DrawOptions & doAnimate) && CanvasShowsOnScreen(canvas) &&
                       Application != nullptr;
  if (!animate) {
    images_.front()->Draw(canvas, rect, ScreenSize(), DrawOptions & doTransparent, DrawOptions & doTile);
    return;
  }
  // A painter thread outlives the paint message whose canvas Draw gets, so it always paints
  // into the image's buffer; only a synchronous painter may draw on the canvas itself.
  const bool direct = (DrawOptions & doDirectDraw) && !(DrawOptions & doAsynchronous);
  if (bitmap_ && !direct) {
    DrawBuffer(canvas, rect);
    return;
  }
  {
    const std::lock_guard lock(list->Lock);
    if (list->Own != nullptr && list->Own->Canvas() == &canvas && list->Own->Rect() == rect) return;
  }
  StopOwnPainter();
  if (!list->ImageAlive) return;
  TCanvas* target = &canvas;
  TRect targetRect = rect;
  if (!direct) {
    const TSize screen = ScreenSize();
    bitmap_ = std::make_unique<TBitmap>();
    bitmap_->SetPixelFormat(pf32bit);
    bitmap_->SetSize(screen.cx, screen.cy);
    targetRect = Bounds(0, 0, screen.cx, screen.cy);
    bitmap_->Canvas().CopyRect(targetRect, canvas, rect);
    target = &bitmap_->Canvas();
  }
  TGIFPainter* painter = StartPainter(&list->Own, *target, targetRect, DrawOptions);
  if (!list->ImageAlive) return;
  if (painter != nullptr) {
    painter->Start();
    // Show the first frame now: wait for it, running the painter's steps meanwhile.
    for (;;) {
      {
        const std::lock_guard lock(list->Lock);
        if (list->Own != painter || painter->Started() || painter->Terminated()) break;
      }
      if (!CheckSynchronize()) std::this_thread::yield();
    }
    if (!list->ImageAlive) return;
  }
  if (!direct && bitmap_) DrawBuffer(canvas, rect);
}

TGIFPainter* TGIFImage::StartPainter(TGIFPainter** painter, TCanvas& canvas, const TRect& rect,
                                     uint16_t options) {
  ReapGIFPainters();
  const std::shared_ptr<TGIFPainterList> list = painters_;
  std::unique_lock lock(list->Lock);
  if (painter != nullptr) *painter = nullptr;
  if (images_.empty() || rect.IsEmpty()) return nullptr;
  if (images_.size() == 1) options &= static_cast<uint16_t>(~(doAsynchronous | doAnimate));
  auto made = std::make_unique<TGIFPainter>(this, &canvas, rect, options, painter);
  made->OnPaintBegin = OnPaintBegin;
  made->OnFrameBegin = OnFrameBegin;
  made->OnFrameEnd = OnFrameEnd;
  made->OnLoopBegin = OnLoopBegin;
  made->OnPaintEnd = OnPaintEnd;
  list->Items.push_back(made.get());
  // A painter on a thread owns itself until it ends; then the list of ended painters does.
  if (options & doAsynchronous) {
    made->SetPriority(ThreadPriority);
    return made.release();
  }
  lock.unlock();

  // From here on this image may be freed by a handler; only the painter is touched.
  try {
    made->Execute();
  } catch (...) {
    made->error_ = std::current_exception();
  }
  made->PainterTerminated();
  const std::exception_ptr error = made->error_;
  made.reset();
  if (error) std::rethrow_exception(error);
  return nullptr;
}

void TGIFImage::StopOwnPainter() {
  const std::shared_ptr<TGIFPainterList> list = painters_;
  for (;;) {
    {
      const std::lock_guard lock(list->Lock);
      TGIFPainter* painter = list->Own;
      if (painter == nullptr) break;
      painter->Stop();
      if (!painter->Asynchronous() || painter->StepRunningHere()) break;
    }
    if (!CheckSynchronize()) std::this_thread::yield();
  }
  if (list->ImageAlive) bitmap_.reset();
}

void TGIFImage::StopAllPainters() {
  const std::shared_ptr<TGIFPainterList> list = painters_;
  for (;;) {
    int waiting = 0;
    {
      const std::lock_guard lock(list->Lock);
      for (auto it = list->Items.rbegin(); it != list->Items.rend(); ++it) {
        (*it)->Stop();
        if ((*it)->Asynchronous() && !(*it)->StepRunningHere()) ++waiting;
      }
    }
    if (waiting == 0) break;
    if (!CheckSynchronize()) std::this_thread::yield();
  }
  if (list->ImageAlive) bitmap_.reset();
}

void RegisterGIFImage() {
  RegisterGraphicClasses();
  RegisterGraphicClass("TGIFImage", [] { return std::make_unique<TGIFImage>(); });
  TPicture::RegisterFileFormat("gif", "GIF Image", "TGIFImage");
}
