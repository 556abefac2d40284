// TBitmap: a device-independent bitmap that reads every BMP/DIB variant, writes BMP files,
// has a canvas to draw on, direct row access (ScanLine), a pixel format and a transparent
// colour.
#pragma once

#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <vector>

#include "platform/graphics/Graphic.h"

class TCanvas;

/// Storage of the pixels: pfDevice is the screen's format (32 bits per pixel here);
/// pf15bit is 5-5-5 and pf16bit 5-6-5 in 16-bit words; pf24bit blue, green, red bytes;
/// pf32bit blue, green, red, alpha.
enum TPixelFormat { pfDevice, pf1bit, pf4bit, pf8bit, pf15bit, pf16bit, pf24bit, pf32bit, pfCustom };
enum TTransparentMode { tmAuto, tmFixed };
/// How a 32-bit bitmap's fourth byte is drawn: ignored, straight alpha, premultiplied alpha.
enum TAlphaFormat { afIgnored, afDefined, afPremultiplied };

class TBitmap : public TGraphic {
 public:
  TBitmap();
  ~TBitmap() override;
  std::string ClassName() const override { return "TBitmap"; }

  /// Copies a TBitmap (pixels, format, transparency); nil empties the bitmap; other
  /// graphics convert themselves when they can (JPEG), else EConvertError.
  void Assign(const TPersistent* source) override;

  bool Empty() const override;
  int32_t Width() const override;
  int32_t Height() const override;
  /// Resizing keeps the pixels of the common area; new pixels are white.
  void SetWidth(int32_t width) override;
  void SetHeight(int32_t height) override;
  void SetSize(int32_t width, int32_t height);

  /// A BMP file ("BM" header). Raises EInvalidGraphic for anything else or bad data.
  void LoadFromStream(TStream& stream) override;
  void SaveToStream(TStream& stream) override;
  /// A packed DIB: info header, colour table and pixels, without the file header.
  void LoadFromDIB(std::span<const uint8_t> dib);
  /// The bitmap resource of that name (type "BITMAP", a packed DIB).
  void LoadFromResourceName(const std::string& name);
  /// Component data: a 4-byte size, then the BMP file.
  void ReadData(TStream& stream) override;
  void WriteData(TStream& stream) override;

  TPixelFormat PixelFormat() const;
  /// Converts the pixels; indexed formats map colours to the nearest colour-table entry.
  void SetPixelFormat(TPixelFormat format);
  /// Colour table of an indexed bitmap (2, 16 or 256 entries); empty for other formats.
  std::vector<TRGBQuad> ColorTable() const;
  void SetColorTable(const std::vector<TRGBQuad>& colors);
  std::vector<TPaletteEntry> GetPalette() const override;
  void SetPalette(const std::vector<TPaletteEntry>& palette) override;
  bool IgnorePalette() const;
  void SetIgnorePalette(bool value);

  /// The canvas that draws on this bitmap.
  TCanvas& Canvas();
  /// Row `row` (0 = top) of the pixels in the pixel format's layout, rows padded to 4 bytes.
  /// Raises EInvalidGraphicOperation ("Scan line index out of range") outside the bitmap.
  uint8_t* ScanLine(int32_t row);
  /// Bytes from one row to the next.
  int64_t RowBytes() const;

  TTransparentMode TransparentMode() const;
  void SetTransparentMode(TTransparentMode mode);
  /// With tmAuto the colour of the bottom-left pixel (with 0x02000000 added), else the
  /// colour set.
  TColor TransparentColor();
  /// clDefault returns to tmAuto; any other colour sets tmFixed.
  void SetTransparentColor(TColor color);
  TAlphaFormat AlphaFormat() const;
  void SetAlphaFormat(TAlphaFormat format);

  struct Impl;

 protected:
  void Draw(TCanvas& canvas, const TRect& rect) override;
  void Changed() override;

 private:
  friend struct TBitmapAccess;
  std::unique_ptr<Impl> impl_;
};
