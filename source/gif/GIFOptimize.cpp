// Making a GIF smaller before it is saved: colour tables sorted by use, frames cropped to
// what they change, pixels that repeat the previous frame made transparent, and blocks that
// carry nothing removed.
#include <algorithm>
#include <numeric>

#include "gif/GIFImage.h"

namespace {

constexpr const char* kOptimizing = "Optimizing...";
constexpr uint8_t kCustomPaletteReduction = 9;

bool SameRect(const TRect& a, const TRect& b) {
  return a.Left == b.Left && a.Top == b.Top && a.Right == b.Right && a.Bottom == b.Bottom;
}

TRect Intersection(const TRect& a, const TRect& b) {
  return TRect{std::max(a.Left, b.Left), std::max(a.Top, b.Top), std::min(a.Right, b.Right),
               std::min(a.Bottom, b.Bottom)};
}

bool SameColor(const TRGBQuad& a, const TRGBQuad& b) {
  return a.rgbRed == b.rgbRed && a.rgbGreen == b.rgbGreen && a.rgbBlue == b.rgbBlue;
}

}  // namespace

// ---------------------------------------------------------------------------------------
// Graphic control extension

void TGIFGraphicControlExtension::SetTransparent(bool value) {
  packed_ = static_cast<uint8_t>((packed_ & ~0x01) | (value ? 0x01 : 0));
  if (SubImage()) SubImage()->GraphicControlChanged();
}

void TGIFGraphicControlExtension::SetTransparentColorIndex(uint8_t value) {
  if (SubImage()) {
    const int colors = SubImage()->EffectiveColorMap().Count();
    if (colors > 0 && value >= colors) {
      Warning(1, "Invalid color index");
      value = 0;
    }
  }
  StoreTransparentColorIndex(value);
}

void TGIFGraphicControlExtension::StoreTransparentColorIndex(uint8_t value) {
  transparent_index_ = value;
  if (SubImage()) SubImage()->GraphicControlChanged();
}

// ---------------------------------------------------------------------------------------
// Colour tables

std::vector<TGIFSubImage*> TGIFColorMap::Frames() const {
  std::vector<TGIFSubImage*> frames;
  if (auto* frame = dynamic_cast<TGIFSubImage*>(owner_)) {
    frames.push_back(frame);
  } else if (owner_ && owner_->Image()) {
    TGIFImage& image = *owner_->Image();
    for (int i = 0; i < image.Count(); ++i)
      if (&image.Images(i).EffectiveColorMap() == this) frames.push_back(&image.Images(i));
  }
  return frames;
}

std::array<int64_t, 256> TGIFColorMap::BuildHistogram() const {
  std::array<int64_t, 256> histogram{};
  for (TGIFSubImage* frame : Frames())
    for (uint8_t pixel : frame->data_) ++histogram[pixel];
  return histogram;
}

void TGIFColorMap::MapImages(const std::array<uint8_t, 256>& map) {
  for (TGIFSubImage* frame : Frames()) {
    for (uint8_t& pixel : frame->data_) pixel = map[pixel];
    if (TGIFGraphicControlExtension* control = frame->GraphicControlExtension())
      control->StoreTransparentColorIndex(map[control->TransparentColorIndex()]);
    frame->FreeRendering();
  }
  // The background colour keeps its colour when the global table is reordered.
  if (auto* header = dynamic_cast<TGIFHeader*>(owner_))
    header->BackgroundColorIndex = map[header->BackgroundColorIndex];
}

bool TGIFColorMap::Optimize() {
  if (Count() <= 1) return false;
  const bool global = dynamic_cast<TGIFHeader*>(owner_) != nullptr;
  if (global && (!owner_->Image() || owner_->Image()->Count() == 0)) return true;
  optimized_ = true;
  const std::array<int64_t, 256> histogram = BuildHistogram();
  std::vector<int> order(colors_.size());
  std::iota(order.begin(), order.end(), 0);
  std::stable_sort(order.begin(), order.end(), [&histogram](int a, int b) {
    return histogram[static_cast<size_t>(a)] > histogram[static_cast<size_t>(b)];
  });
  bool inPlace = true;
  for (size_t i = 0; i < order.size(); ++i) inPlace = inPlace && order[i] == static_cast<int>(i);
  if (inPlace) return true;

  // Indices beyond the table (undefined colours) keep their values.
  std::array<uint8_t, 256> map{};
  for (size_t i = 0; i < map.size(); ++i) map[i] = static_cast<uint8_t>(i);
  std::vector<Triple> sorted(colors_.size());
  size_t used = colors_.size();
  for (size_t i = 0; i < order.size(); ++i) {
    const auto oldIndex = static_cast<size_t>(order[i]);
    map[oldIndex] = static_cast<uint8_t>(i);
    sorted[i] = colors_[oldIndex];
    if (histogram[oldIndex] == 0 && used == colors_.size()) used = i;
  }
  MapImages(map);
  sorted.resize(used);
  colors_ = std::move(sorted);
  if (owner_ && owner_->Image()) owner_->Image()->bitmap_.reset();
  return true;
}

// ---------------------------------------------------------------------------------------
// Frames

void TGIFSubImage::FreeRendering() {
  bitmap_.reset();
  mask_stale_ = true;
  if (Image()) Image()->bitmap_.reset();
}

void TGIFSubImage::GraphicControlChanged() {
  LinkGraphicControl();
  FreeRendering();
}

uint8_t* TGIFSubImage::MutableScanline(int32_t y) {
  const uint8_t* row = Scanline(y);
  FreeRendering();
  return data_.data() + (row - data_.data());
}

TGIFGraphicControlExtension& TGIFSubImage::EnsureGraphicControl() {
  if (!graphic_control_) {
    extensions_.insert(extensions_.begin(), std::make_unique<TGIFGraphicControlExtension>(this));
    LinkGraphicControl();
  }
  return *graphic_control_;
}

void TGIFSubImage::DeleteExtension(const TGIFExtension* extension) {
  const auto it = std::find_if(extensions_.begin(), extensions_.end(),
                               [extension](const auto& item) { return item.get() == extension; });
  if (it == extensions_.end()) return;
  extensions_.erase(it);
  GraphicControlChanged();
}

void TGIFSubImage::Crop() {
  if (Empty() || !transparent_) return;
  const uint8_t key = graphic_control_->TransparentColorIndex();
  int32_t firstX = width_, lastX = -1, firstY = height_, lastY = -1;
  for (int32_t y = 0; y < height_; ++y) {
    const uint8_t* row = Scanline(y);
    for (int32_t x = 0; x < width_; ++x) {
      if (row[x] == key) continue;
      firstX = std::min(firstX, x);
      lastX = std::max(lastX, x);
      firstY = std::min(firstY, y);
      lastY = y;
    }
  }
  if (lastX < 0) {
    Clear();
    return;
  }
  const int32_t width = lastX - firstX + 1;
  const int32_t height = lastY - firstY + 1;
  if (width == width_ && height == height_) return;
  std::vector<uint8_t> box(static_cast<size_t>(width) * static_cast<size_t>(height));
  for (int32_t y = 0; y < height; ++y)
    std::copy_n(Scanline(firstY + y) + firstX, width, box.begin() + static_cast<ptrdiff_t>(y) * width);
  StoreBounds(left_ + firstX, top_ + firstY, width, height);
  data_ = std::move(box);
  FreeRendering();
}

void TGIFSubImage::Merge(TGIFSubImage& previous) {
  if (Empty() || previous.Empty()) return;
  if (const TGIFGraphicControlExtension* control = previous.GraphicControlExtension())
    if (control->Disposal() == dmBackground || control->Disposal() == dmPrevious) return;
  const TRect overlap = Intersection(BoundsRect(), previous.BoundsRect());
  if (overlap.Left >= overlap.Right || overlap.Top >= overlap.Bottom) return;

  TGIFColorMap& map = EffectiveColorMap();
  TGIFColorMap& previousMap = previous.EffectiveColorMap();
  const bool sameTable = &map == &previousMap;
  // Frames without any colour table draw with a grey ramp; a new table entry would change
  // every colour of such a frame.
  if (map.Count() == 0 || previousMap.Count() == 0) return;
  if (!transparent_ && map.Count() >= 256) return;
  const int previousKey =
      previous.Transparent() ? previous.GraphicControlExtension()->TransparentColorIndex() : -1;
  int key = transparent_ ? graphic_control_->TransparentColorIndex() : -1;
  bool newKey = false;

  // A frame that is not yet transparent needs an index that none of its pixels uses: the
  // transparent index of a frame on the global table when this frame is on it too and does
  // not use that index, else a new black entry of its table.
  const auto takeKey = [&]() {
    if (Image() && &map == &Image()->Header().ColorMap()) {
      for (int i = 0; i < Image()->Count() && key < 0; ++i) {
        TGIFSubImage& other = Image()->Images(i);
        if (&other == this || &other.EffectiveColorMap() != &map || !other.Transparent()) continue;
        const uint8_t candidate = other.GraphicControlExtension()->TransparentColorIndex();
        if (std::find(data_.begin(), data_.end(), candidate) == data_.end()) key = candidate;
      }
    }
    if (key < 0) key = map.Add(MakeColor(0));
    newKey = true;
  };

  for (int32_t y = overlap.Top; y < overlap.Bottom; ++y) {
    uint8_t* row = data_.data() + static_cast<size_t>(y - top_) * static_cast<size_t>(width_);
    const uint8_t* previousRow = previous.Scanline(y - previous.top_);
    for (int32_t x = overlap.Left; x < overlap.Right; ++x) {
      uint8_t& pixel = row[x - left_];
      const uint8_t under = previousRow[x - previous.left_];
      if (pixel == key || under == previousKey) continue;
      const bool same = sameTable ? pixel == under : SameColor(map.Quad(pixel), previousMap.Quad(under));
      if (!same) continue;
      if (key < 0) takeKey();
      pixel = static_cast<uint8_t>(key);
    }
  }
  if (newKey) {
    TGIFGraphicControlExtension& control = EnsureGraphicControl();
    control.SetTransparentColorIndex(static_cast<uint8_t>(key));
    control.SetTransparent(true);
  }
  FreeRendering();
}

// ---------------------------------------------------------------------------------------
// The image

void TGIFImage::Delete(int index) {
  if (index < 0 || index >= Count()) throw GIFException("Invalid frame index");
  images_.erase(images_.begin() + index);
  bitmap_.reset();
}

void TGIFImage::Optimize(uint8_t options, uint8_t colorReduction, uint8_t ditherMode, int32_t reductionBits) {
  (void)ditherMode;
  (void)reductionBits;
  if (images_.empty()) return;
  // Colours are never reduced here; a custom palette cannot even be asked for.
  if (!(options & ooCleanup) && (options & ooReduceColors) && colorReduction == kCustomPaletteReduction)
    throw GIFException("Invalid reduction method");

  // Painters read the frames this changes: they are stopped, and the list stays locked so
  // that no painter of another thread starts or ends while the frames change. The change is
  // reported once the list is free again: a handler that draws may wait for a painter.
  StopAllPainters();
  {
    const std::shared_ptr<TGIFPainterList> list = painters_;
    const std::lock_guard lock(list->Lock);
    OptimizeFrames(options);
  }
  bitmap_.reset();
  Changed();
}

void TGIFImage::OptimizeFrames(uint8_t options) {
  const int64_t frames = Count();
  const int64_t total = 6 * frames;
  int64_t done = 0;
  const auto step = [&](int64_t steps) {
    done += steps;
    Progress(this, psRunning, static_cast<uint8_t>(std::min<int64_t>(done * 100 / total, 100)), false,
             TRect{}, kOptimizing);
  };
  Reported(this, kOptimizing, false, [&] {
    // Colour tables sorted by use.
    if (options & ooColorMap) {
      if (header_.ColorMap().Count() > 0) header_.ColorMap().Optimize();
      for (const auto& frame : images_) {
        if (frame->ColorMap().Count() > 0) frame->ColorMap().Optimize();
        step(1);
      }
    } else {
      step(Count());
    }

    // Transparency nobody uses, disposal nobody sees.
    if (options & ooCleanup) {
      for (const auto& frame : images_) {
        if (frame->Transparent()) {
          const uint8_t key = frame->GraphicControlExtension()->TransparentColorIndex();
          if (std::find(frame->data_.begin(), frame->data_.end(), key) == frame->data_.end())
            frame->GraphicControlExtension()->SetTransparent(false);
        }
        step(1);
      }
      for (int i = 0; i < Count(); ++i) {
        TGIFSubImage& frame = Images(i);
        TGIFGraphicControlExtension* control = frame.GraphicControlExtension();
        if (i + 1 < Count() && control &&
            (control->Disposal() == dmBackground || control->Disposal() == dmPrevious)) {
          TGIFSubImage& next = Images(i + 1);
          if (!next.Transparent() &&
              SameRect(Intersection(frame.BoundsRect(), next.BoundsRect()), frame.BoundsRect()))
            control->SetDisposal(dmNone);
        }
        step(1);
      }
    } else {
      step(int64_t{2} * Count());
    }

    // Pixels that repeat the previous frame.
    if (options & ooMerge) {
      for (int i = Count() - 1; i >= 1; --i) {
        int previous = i - 1;
        while (previous > 0) {
          const TGIFGraphicControlExtension* control = Images(previous).GraphicControlExtension();
          if (!control || control->Disposal() != dmPrevious) break;
          --previous;
        }
        Images(i).Merge(Images(previous));
        step(1);
      }
      step(1);
    } else {
      step(Count());
    }

    // Transparent borders; frames cropped to nothing go, their delay kept by the frame before.
    if (options & ooCrop) {
      for (int i = Count() - 1; i >= 0; --i) {
        TGIFSubImage& frame = Images(i);
        if (!frame.Empty() && frame.Transparent()) {
          const uint16_t delay = frame.GraphicControlExtension()->Delay();
          frame.Crop();
          if (frame.Empty()) {
            if (i > 0 && delay > 0) {
              TGIFGraphicControlExtension& control = Images(i - 1).EnsureGraphicControl();
              control.SetDelay(static_cast<uint16_t>(std::min(control.Delay() + delay, 0xFFFF)));
            }
            Delete(i);
          }
        }
        step(1);
      }
    } else {
      step(frames);
    }

    // Blocks that carry nothing.
    if (options & ooCleanup) {
      for (int i = Count() - 1; i >= 0; --i) {
        TGIFSubImage& frame = Images(i);
        std::vector<const TGIFExtension*> needless;
        for (const auto& extension : frame.Extensions()) {
          const TGIFExtension* item = extension.get();
          if (dynamic_cast<const TGIFCommentExtension*>(item) ||
              dynamic_cast<const TGIFTextExtension*>(item) ||
              dynamic_cast<const TGIFUnknownAppExtension*>(item) ||
              (dynamic_cast<const TGIFAppExtNSLoop*>(item) && !(i == 0 && Count() > 1)))
            needless.push_back(item);
        }
        for (const TGIFExtension* item : needless) frame.DeleteExtension(item);
        if (const TGIFGraphicControlExtension* control = frame.GraphicControlExtension()) {
          const bool single = Count() == 1;
          if ((control->Delay() == 0 || single) && !control->Transparent() && !control->UserInput() &&
              (control->Disposal() < dmBackground || single))
            frame.DeleteExtension(control);
        }
        if (frame.Empty() && frame.Extensions().empty()) Delete(i);
      }
    }
    step(frames);
  });
}
