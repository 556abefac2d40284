// Copying GIF images and frames, and turning other pictures into GIF images and back.
#include "gif/GIFImage.h"
#include "platform/core/Exceptions.h"
#include "platform/graphics/Picture.h"

namespace {

constexpr const char* kCopying = "Copying...";
constexpr uint8_t kTrailer = 0x3B;  // ';'

}  // namespace

void TGIFSubImage::Assign(const TGIFSubImage& source) {
  if (&source == this) return;
  Clear();
  // Every extension kind knows how to write and read itself, so a copy is written and read
  // back; the trailer stops the reading after the last one.
  TMemoryStream copy;
  for (const auto& extension : source.extensions_) extension->SaveToStream(copy);
  GIFWriteByte(copy, kTrailer);
  copy.SetPosition(0);
  LoadExtensions(copy, *this, extensions_);
  LinkGraphicControl();
  color_map_.Assign(source.color_map_);
  packed_ = source.packed_;
  code_size_ = source.code_size_;
  StoreDescriptorBounds(source.left_, source.top_, source.width_, source.height_);
  data_ = source.data_;
}

void TGIFSubImage::Assign(const TPersistent* source) {
  if (source == this) return;
  if (source == nullptr) {
    Clear();
  } else if (const auto* frame = dynamic_cast<const TGIFSubImage*>(source)) {
    Assign(*frame);
  } else if (const auto* graphic = dynamic_cast<const TGraphic*>(source)) {
    AssignGraphic(*graphic);
  } else if (const auto* picture = dynamic_cast<const TPicture*>(source)) {
    Assign(picture->Graphic());
  } else {
    TGIFItem::Assign(source);  // nothing else becomes a frame: the conversion error
  }
}

void TGIFSubImage::AssignTo(TPersistent* dest) const {
  if (auto* bitmap = dynamic_cast<TBitmap*>(dest)) {
    // The rendering is a cache; making it does not change the frame.
    bitmap->Assign(const_cast<TGIFSubImage*>(this)->Bitmap());
    return;
  }
  TGIFItem::AssignTo(dest);
}

void TGIFImage::Assign(const TPersistent* source) {
  if (source == this) return;
  if (source == nullptr) {
    Clear();
    Changed();
    return;
  }
  if (const auto* other = dynamic_cast<const TGIFImage*>(source)) {
    // The copy keeps this image's own handlers and reports its progress to them.
    Clear();
    Reported(this, kCopying, false, [&] {
      header_.Assign(other->header_);
      // Compression, reduction bits and animation speed are how this image is saved and
      // played; they stay as they are.
      DrawOptions = other->DrawOptions;
      ColorReduction = other->ColorReduction;
      DitherMode = other->DitherMode;
      BackgroundColor = other->BackgroundColor;
      ThreadPriority = other->ThreadPriority;
      OnPaintBegin = other->OnPaintBegin;
      OnFrameBegin = other->OnFrameBegin;
      OnFrameEnd = other->OnFrameEnd;
      OnLoopBegin = other->OnLoopBegin;
      OnPaintEnd = other->OnPaintEnd;
      const auto count = static_cast<int64_t>(other->images_.size());
      for (int64_t i = 0; i < count; ++i) {
        auto frame = std::make_unique<TGIFSubImage>(this);
        frame->Assign(*other->images_[static_cast<size_t>(i)]);
        images_.push_back(std::move(frame));
        Progress(this, psRunning, static_cast<uint8_t>((i + 1) * 100 / count), false, TRect{}, kCopying);
      }
    });
    Changed();
    return;
  }
  if (dynamic_cast<const TGraphic*>(source)) {
    Clear();
    try {
      Add(source);
    } catch (const EConvertError&) {
      TGraphic::Assign(source);  // reports that the source cannot be assigned
    }
    return;
  }
  TGraphic::Assign(source);
}

void TGIFImage::AssignTo(TPersistent* dest) const {
  if (auto* bitmap = dynamic_cast<TBitmap*>(dest)) {
    // The rendering is a cache; making it does not change the picture.
    bitmap->Assign(const_cast<TGIFImage*>(this)->Bitmap());
    return;
  }
  TGraphic::AssignTo(dest);
}
