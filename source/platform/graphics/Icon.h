// TIcon: an icon or cursor file (ICO/CUR) with its images; the best image for a 32 x 32
// icon is drawn with its transparency (AND mask or 32-bit alpha), and the file's bytes are
// saved unchanged.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "platform/graphics/Graphic.h"

class TIcon : public TGraphic {
 public:
  TIcon();
  ~TIcon() override;
  std::string ClassName() const override { return "TIcon"; }

  /// Copies another TIcon; nil empties the icon; anything else raises EConvertError.
  void Assign(const TPersistent* source) override;
  /// A TBitmap destination gets the icon's image as 32-bit pixels with alpha.
  void AssignTo(TPersistent* dest) const override;

  bool Empty() const override;
  int32_t Width() const override;
  int32_t Height() const override;
  /// Reads an ICO or CUR file from the stream's position to its end.
  void LoadFromStream(TStream& stream) override;
  /// Writes the bytes that were loaded.
  void SaveToStream(TStream& stream) override;

  /// True when the file was a cursor; HotSpot is then the chosen image's hot spot.
  bool IsCursor() const;
  TPoint HotSpot() const;

  struct Impl;

 protected:
  void Draw(TCanvas& canvas, const TRect& rect) override;

 private:
  std::unique_ptr<Impl> impl_;
};
