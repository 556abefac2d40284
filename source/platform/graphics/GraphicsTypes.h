// Plain geometry and colour records shared by the graphics classes (points, sizes,
// rectangles, colour-table entries) and the exceptions raised for bad pictures.
#pragma once

#include <cstdint>

#include "platform/core/Colors.h"
#include "platform/core/Exceptions.h"

struct TPoint {
  int32_t X = 0;
  int32_t Y = 0;
  friend bool operator==(const TPoint&, const TPoint&) = default;
};

struct TSize {
  int32_t cx = 0;
  int32_t cy = 0;
  friend bool operator==(const TSize&, const TSize&) = default;
};

/// A rectangle whose right and bottom edges are exclusive.
struct TRect {
  int32_t Left = 0;
  int32_t Top = 0;
  int32_t Right = 0;
  int32_t Bottom = 0;

  int32_t Width() const { return Right - Left; }
  int32_t Height() const { return Bottom - Top; }
  bool IsEmpty() const { return Right <= Left || Bottom <= Top; }
  bool Contains(int32_t x, int32_t y) const { return x >= Left && x < Right && y >= Top && y < Bottom; }
  void Offset(int32_t dx, int32_t dy) {
    Left += dx;
    Right += dx;
    Top += dy;
    Bottom += dy;
  }
  friend bool operator==(const TRect&, const TRect&) = default;
};

inline TPoint Point(int32_t x, int32_t y) {
  return TPoint{x, y};
}
inline TRect Rect(int32_t left, int32_t top, int32_t right, int32_t bottom) {
  return TRect{left, top, right, bottom};
}
inline TRect Bounds(int32_t left, int32_t top, int32_t width, int32_t height) {
  return TRect{left, top, left + width, top + height};
}

/// One entry of a bitmap's colour table, in the byte order of the file formats.
struct TRGBQuad {
  uint8_t rgbBlue = 0;
  uint8_t rgbGreen = 0;
  uint8_t rgbRed = 0;
  uint8_t rgbReserved = 0;
  friend bool operator==(const TRGBQuad&, const TRGBQuad&) = default;
};

/// One entry of a logical palette.
struct TPaletteEntry {
  uint8_t peRed = 0;
  uint8_t peGreen = 0;
  uint8_t peBlue = 0;
  uint8_t peFlags = 0;
  friend bool operator==(const TPaletteEntry&, const TPaletteEntry&) = default;
};

/// A picture that cannot be read, or an operation a picture class does not support.
ZUK_DECLARE_EXCEPTION(EInvalidGraphic, Exception)
ZUK_DECLARE_EXCEPTION(EInvalidGraphicOperation, Exception)

/// Largest picture the readers accept: at most 100 million pixels in all, so that a long
/// thin picture (65535 x 1) is as welcome as a square one; the bound on one side only keeps
/// row sizes in bits well inside 32-bit arithmetic.
constexpr int32_t kMaxPictureSide = 1 << 20;
constexpr int64_t kMaxPicturePixels = 100'000'000;

/// Raises EInvalidGraphic unless 0 <= width, height within the limits above.
void CheckPictureSize(int64_t width, int64_t height);
