// TCustomImageList: a list of same-sized images (with transparency) that bullets, hotspots
// and list markers draw by index.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/core/Classes.h"
#include "platform/core/Colors.h"

class TBitmap;
class TCanvas;

// DrawEx styles.
constexpr uint32_t ILD_NORMAL = 0x0000;
constexpr uint32_t ILD_TRANSPARENT = 0x0001;
constexpr uint32_t ILD_BLEND25 = 0x0002;
constexpr uint32_t ILD_FOCUS = ILD_BLEND25;
constexpr uint32_t ILD_BLEND50 = 0x0004;
constexpr uint32_t ILD_SELECTED = ILD_BLEND50;

class TCustomImageList;

/// One listener among any number on an image list: it hears every change while registered
/// and unregisters itself when it goes first.
class TChangeLink {
 public:
  TChangeLink() = default;
  TChangeLink(const TChangeLink&) = delete;
  TChangeLink& operator=(const TChangeLink&) = delete;
  ~TChangeLink();
  TCustomImageList* Sender() const { return sender_; }

  std::function<void(TCustomImageList&)> OnChange;

 private:
  friend class TCustomImageList;
  TCustomImageList* sender_ = nullptr;
};

class TCustomImageList : public TComponent {
 public:
  /// An empty list of 16 x 16 images.
  explicit TCustomImageList(TComponent* owner = nullptr);
  ~TCustomImageList() override;
  std::string ClassName() const override { return "TCustomImageList"; }

  int32_t Width() const;
  int32_t Height() const;
  /// Changing the size removes every image.
  void SetWidth(int32_t width);
  void SetHeight(int32_t height);
  void SetSize(int32_t width, int32_t height);
  int Count() const;
  /// Background drawn behind images by DrawEx without ILD_TRANSPARENT; clNone for none.
  TColor BkColor() const;
  void SetBkColor(TColor color);

  /// Adds the images in `image` (a strip of Width-wide images, left to right); pixels whose
  /// `mask` pixel is white are transparent (no mask: all opaque, or the bitmap's own
  /// transparency). Returns the index of the first image added, -1 when none fits.
  int Add(TBitmap* image, TBitmap* mask);
  /// As Add, with the pixels of `mask_color` transparent.
  int AddMasked(TBitmap* image, TColor maskColor);
  void Delete(int index);
  void Clear();
  /// Sizes `image` to Width x Height and draws image `index` over it (the transparent parts
  /// of the image keep the bitmap's pixels, white for a new bitmap); false for a bad index.
  bool GetBitmap(int index, TBitmap* image) const;

  /// Draws image `index` at (x, y); a disabled image is drawn greyed. A bad index draws
  /// nothing.
  void Draw(TCanvas& canvas, int32_t x, int32_t y, int index, bool enabled = true) const;
  /// Draws with a style: ILD_TRANSPARENT (or BkColor clNone) leaves the background, else it
  /// is filled with BkColor; ILD_BLEND25 / ILD_BLEND50 mix the image with `blend_color`.
  void DrawEx(TCanvas& canvas, int index, int32_t x, int32_t y, TColor blendColor, uint32_t style) const;

  std::function<void(TCustomImageList&)> OnChange;
  /// Adds `link` to the listeners (moving it from any other list); registering twice
  /// keeps one entry.
  void RegisterChanges(TChangeLink* link);
  void UnRegisterChanges(TChangeLink* link);

  struct Impl;

 private:
  friend struct TImageListAccess;
  void Changed();
  std::unique_ptr<Impl> impl_;
  std::vector<TChangeLink*> links_;
};

/// The image list components place on forms.
class TImageList : public TCustomImageList {
 public:
  using TCustomImageList::TCustomImageList;
  std::string ClassName() const override { return "TImageList"; }
};
