// TMetafile: a Windows metafile (with or without the placeable header) or an enhanced
// metafile, kept as its bytes with its size. Either draws by playing its records into the
// rectangle.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "platform/graphics/Graphic.h"

class TMetafile : public TGraphic {
 public:
  TMetafile();
  ~TMetafile() override;
  std::string ClassName() const override { return "TMetafile"; }

  /// Copies another TMetafile; nil empties it; anything else raises EConvertError.
  void Assign(const TPersistent* source) override;

  bool Empty() const override;
  /// The size in screen pixels (96 per inch) of the size in 0.01 mm.
  int32_t Width() const override;
  int32_t Height() const override;
  void SetWidth(int32_t width) override;
  void SetHeight(int32_t height) override;
  /// The size in units of 0.01 mm.
  int32_t MMWidth() const;
  int32_t MMHeight() const;
  void SetMMWidth(int32_t value);
  void SetMMHeight(int32_t value);
  /// True for an enhanced metafile (EMF).
  bool Enhanced() const;
  /// Units per inch of the placeable header (1440 unless loaded with another).
  int32_t Inch() const;

  /// An EMF, a WMF with the placeable header, or a WMF without one (then of size 0 x 0
  /// until the size is set). Raises EInvalidGraphic ("Metafile is not valid") otherwise.
  void LoadFromStream(TStream& stream) override;
  /// An EMF as loaded; a WMF with a placeable header describing the current size.
  void SaveToStream(TStream& stream) override;

  struct Impl;

 protected:
  void Draw(TCanvas& canvas, const TRect& rect) override;

 private:
  std::unique_ptr<Impl> impl_;
};
