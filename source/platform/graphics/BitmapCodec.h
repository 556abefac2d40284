// Private to the graphics layer: device-independent bitmaps in memory and the BMP/DIB reader
// and writer. The reader takes every variant in use (1, 4, 8, 16, 24, 32 bits per pixel,
// RLE4, RLE8, bit fields, OS/2 core headers, top-down rows, with or without the file header)
// and checks every size against the data before it allocates.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <vector>

#include "platform/graphics/GraphicsTypes.h"

/// Pixels kept as a DIB: rows top-down, each padded to a multiple of 4 bytes. 16-bit pixels
/// are 5-5-5 or (Is565) 5-6-5 words; 24-bit pixels blue, green, red; 32-bit pixels blue,
/// green, red and a fourth byte (alpha or unused). Indexed images carry their colour table.
struct TDibImage {
  int32_t Width = 0;
  int32_t Height = 0;
  int Bits = 24;
  bool Is565 = false;
  std::vector<TRGBQuad> Colors;
  std::vector<uint8_t> Pixels;

  int64_t Stride() const { return StrideFor(Width, Bits); }
  uint8_t* Row(int32_t y) { return Pixels.data() + Stride() * y; }
  const uint8_t* Row(int32_t y) const { return Pixels.data() + Stride() * y; }
  bool Empty() const { return Width <= 0 || Height <= 0; }

  static int64_t StrideFor(int64_t width, int bits) { return ((width * bits + 31) / 32) * 4; }
  /// A new image of that size and format, every pixel set to `fill` (an index for indexed
  /// formats, else a colour).
  static TDibImage Create(int32_t width, int32_t height, int bits, bool is565, std::vector<TRGBQuad> colors,
                          TRGBQuad fill);
};

/// The colour of pixel (x, y); the fourth byte is the pixel's alpha for 32-bit images and
/// 255 otherwise.
TRGBQuad DibPixel(const TDibImage& image, int32_t x, int32_t y);
void SetDibPixel(TDibImage& image, int32_t x, int32_t y, TRGBQuad color);
/// Index of the colour-table entry nearest to `color` (least sum of channel differences).
uint8_t NearestColorIndex(const std::vector<TRGBQuad>& colors, TRGBQuad color);
/// The image in another format; indexed targets map colours to `colors` (or keep the
/// image's table when it is indexed and `colors` is empty).
TDibImage ConvertDib(const TDibImage& image, int bits, bool is565, const std::vector<TRGBQuad>& colors);
/// The default colour table of a new indexed image of `bits` bits per pixel.
std::vector<TRGBQuad> DefaultColorTable(int bits);

/// Decodes a BMP file (starting with "BM"). Raises EInvalidGraphic on bad or truncated data.
TDibImage DecodeBitmapFile(std::span<const uint8_t> file);
/// Decodes a packed DIB (info header, colour table, pixels). `bits_offset`, when given, is
/// where the pixels start relative to the header (used when it lies inside the data and
/// after the header).
TDibImage DecodePackedDib(std::span<const uint8_t> dib, std::optional<int64_t> bitsOffset = std::nullopt);
/// Encodes as a BMP file: 40-byte info header (bit fields for 5-6-5), colour table, rows
/// bottom-up.
std::vector<uint8_t> EncodeBitmapFile(const TDibImage& image);
