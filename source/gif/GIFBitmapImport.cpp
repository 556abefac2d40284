// Making GIF frames from bitmaps: indexed pixels are taken with their colour table, other
// formats go through colour reduction first.
#include <algorithm>
#include <cstring>

#include "gif/GIFColorReduction.h"
#include "gif/GIFImage.h"
#include "platform/core/Exceptions.h"
#include "platform/graphics/Canvas.h"
#include "platform/graphics/Icon.h"
#include "platform/graphics/Metafile.h"

namespace {

constexpr const char* kConverting = "Converting...";

TColor QuadColor(const TRGBQuad& q) {
  return MakeColor(static_cast<uint32_t>(q.rgbRed) | (static_cast<uint32_t>(q.rgbGreen) << 8) |
                   (static_cast<uint32_t>(q.rgbBlue) << 16));
}

// The last colours met with their table indices; searched backwards from the last hit.
class TRecentColors {
 public:
  int Find(TColor color) {
    for (int n = 0, i = last_; n < count_; ++n, i = (i + kSize - 1) % kSize) {
      if (colors_[i] == color) {
        last_ = i;
        return indices_[i];
      }
    }
    return -1;
  }
  void Enter(TColor color, int index) {
    last_ = (last_ + 1) % kSize;
    colors_[last_] = color;
    indices_[last_] = index;
    if (count_ < kSize) ++count_;
  }

 private:
  static constexpr int kSize = 8;
  TColor colors_[kSize] = {};
  int indices_[kSize] = {};
  int count_ = 0;
  int last_ = kSize - 1;
};

}  // namespace

void TGIFSubImage::AssignBitmap(const TBitmap& source) {
  Clear();
  if (source.Empty()) return;

  const TPixelFormat format = source.PixelFormat();
  std::unique_ptr<TBitmap> bitmap;
  if (format == pf1bit || format == pf4bit || format == pf8bit) {
    bitmap = std::make_unique<TBitmap>();
    bitmap->Assign(&source);
  } else {
    const TGIFImage* image = Image();
    const auto reduction = static_cast<TColorReduction>(image ? image->ColorReduction : uint8_t{rmNetscape});
    const auto dither = static_cast<TDitherMode>(image ? image->DitherMode : uint8_t{dmNearest});
    bitmap = ReduceColors(source, reduction, dither, image ? image->ReductionBits : 8);
  }

  const int32_t width = bitmap->Width();
  const int32_t height = bitmap->Height();
  StoreBounds(0, 0, width, height);
  data_.assign(static_cast<size_t>(width) * static_cast<size_t>(height), 0);

  // A palette set before shows in the new frame: the ending asks the host to redraw.
  Reported(kConverting, Image() && Image()->TakePaletteModified(), [&] {
    ImportPixels(*bitmap);
    code_size_ = std::max(2, color_map_.BitsPerPixel());
    if (source.Transparent()) ImportMask(source);
  });
}

void TGIFSubImage::ImportPixels(TBitmap& bitmap) {
  const int32_t width = width_;
  const int32_t height = height_;
  const TPixelFormat bits = bitmap.PixelFormat();
  if (bits == pf24bit) {
    TRecentColors recent;
    for (int32_t y = 0; y < height; ++y) {
      RowProgress(kConverting, y);
      const uint8_t* row = bitmap.ScanLine(y);
      uint8_t* out = &data_[static_cast<size_t>(y) * static_cast<size_t>(width)];
      for (int32_t x = 0; x < width; ++x) {
        const TColor color = QuadColor(TRGBQuad{row[3 * x], row[3 * x + 1], row[3 * x + 2], 0});
        int index = recent.Find(color);
        if (index < 0) {
          index = color_map_.IndexOf(color);
          if (index < 0) index = color_map_.Add(color);  // a 257th colour raises "Color table overflow"
          recent.Enter(color, index);
        }
        out[x] = static_cast<uint8_t>(index);
      }
    }
  } else {
    for (const TRGBQuad& q : bitmap.ColorTable()) color_map_.Add(QuadColor(q));
    const int depth = bits == pf1bit ? 1 : bits == pf4bit ? 4 : 8;
    const int mask = (1 << depth) - 1;
    for (int32_t y = 0; y < height; ++y) {
      RowProgress(kConverting, y);
      const uint8_t* row = bitmap.ScanLine(y);
      uint8_t* out = &data_[static_cast<size_t>(y) * static_cast<size_t>(width)];
      for (int32_t x = 0; x < width; ++x) {
        const int64_t bit = static_cast<int64_t>(x) * depth;  // most significant bits first
        out[x] = static_cast<uint8_t>((row[bit / 8] >> (8 - depth - bit % 8)) & mask);
      }
    }
  }
}

void TGIFSubImage::ImportMask(const TBitmap& source) {
  // The transparent pixels are those of the bitmap's transparent colour.
  TBitmap colors;
  colors.Assign(&source);
  const uint32_t keyColor = static_cast<uint32_t>(colors.TransparentColor()) & 0xFFFFFF;
  colors.SetPixelFormat(pf24bit);
  if (colors.Width() != width_ || colors.Height() != height_) return;
  ImportTransparency([&colors, keyColor](int32_t x, int32_t y) {
    const uint8_t* p = colors.ScanLine(y) + 3 * x;
    return (p[2] | (uint32_t{p[1]} << 8) | (uint32_t{p[0]} << 16)) == keyColor;
  });
}

void TGIFSubImage::ImportTransparency(const std::function<bool(int32_t x, int32_t y)>& transparent) {
  color_map_.Optimize();
  if (color_map_.Count() == 0 || color_map_.Count() >= 256) return;
  const int key = color_map_.Add(MakeColor(0));
  bool used = false;
  for (int32_t y = 0; y < height_; ++y) {
    uint8_t* out = &data_[static_cast<size_t>(y) * static_cast<size_t>(width_)];
    for (int32_t x = 0; x < width_; ++x) {
      if (!transparent(x, y)) continue;
      out[x] = static_cast<uint8_t>(key);
      used = true;
    }
  }
  if (!used) {
    color_map_.Delete(key);
    return;
  }
  extensions_.push_back(std::make_unique<TGIFGraphicControlExtension>(this));
  LinkGraphicControl();
  graphic_control_->SetTransparentColorIndex(static_cast<uint8_t>(key));
  graphic_control_->SetTransparent(true);
  code_size_ = std::max(2, color_map_.BitsPerPixel());
}

namespace {

/// `graphic` drawn on a 24-bit bitmap of its size filled with `background`.
std::unique_ptr<TBitmap> DrawnOn(const TGraphic& graphic, TColor background) {
  auto bitmap = std::make_unique<TBitmap>();
  bitmap->SetPixelFormat(pf24bit);
  bitmap->SetSize(graphic.Width(), graphic.Height());
  bitmap->Canvas().Brush().SetColor(background);
  bitmap->Canvas().FillRect(Rect(0, 0, graphic.Width(), graphic.Height()));
  bitmap->Canvas().StretchDraw(Rect(0, 0, graphic.Width(), graphic.Height()),
                               const_cast<TGraphic*>(&graphic));
  return bitmap;
}

bool SamePixel(TBitmap& a, TBitmap& b, int32_t x, int32_t y) {
  return std::memcmp(a.ScanLine(y) + 3 * x, b.ScanLine(y) + 3 * x, 3) == 0;
}

}  // namespace

void TGIFSubImage::AssignGraphic(const TGraphic& source) {
  if (const auto* bitmap = dynamic_cast<const TBitmap*>(&source)) {
    AssignBitmap(*bitmap);
    return;
  }
  Clear();
  if (source.Empty() || source.Width() <= 0 || source.Height() <= 0) return;
  // The picture is drawn at its own size, twice for the transparency: its size is bounded
  // as a frame's is.
  CheckGIFFrameSize(source.Width(), source.Height());
  if (dynamic_cast<const TIcon*>(&source) != nullptr || dynamic_cast<const TMetafile*>(&source) != nullptr) {
    // Drawn on white and on black: the pixels the picture leaves untouched (an icon's masked
    // ones, a metafile's background) differ between the two.
    std::unique_ptr<TBitmap> onWhite = DrawnOn(source, clWhite);
    std::unique_ptr<TBitmap> onBlack = DrawnOn(source, clBlack);
    AssignBitmap(*onWhite);
    if (Empty() || onWhite->Width() != width_ || onWhite->Height() != height_) return;
    ImportTransparency([&](int32_t x, int32_t y) { return !SamePixel(*onWhite, *onBlack, x, y); });
    return;
  }
  TBitmap bitmap;
  try {
    bitmap.Assign(&source);
  } catch (const EConvertError&) {
    AssignBitmap(*DrawnOn(source, clWhite));
    return;
  }
  AssignBitmap(bitmap);
}

int TGIFImage::AddBitmap(const TBitmap& source) {
  return Add(&source);
}
