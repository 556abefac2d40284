// Private to the graphics layer: the pixels of a TBitmap for the other picture classes
// (JPEG, icons, image lists) as a DIB or as Qt images.
#pragma once

#include <QImage>

#include "platform/graphics/Bitmap.h"
#include "platform/graphics/BitmapCodec.h"

struct TBitmapAccess {
  /// The pixels, current (pending drawing finished); changes must be followed by Changed.
  static TDibImage& Dib(TBitmap& bitmap);
  static void SetDib(TBitmap& bitmap, TDibImage dib, TPixelFormat format);
  /// The bitmap as drawn: opaque, or with its transparent colour or alpha applied.
  static QImage DrawImage(TBitmap& bitmap);
  /// Replaces the pixels with `image` in the given format.
  static void SetImage(TBitmap& bitmap, const QImage& image, TPixelFormat format);
};

/// A DIB as a Qt image: Format_ARGB32 with the fourth byte as alpha when `use_alpha`, else
/// Format_RGB32.
QImage DibToQImage(const TDibImage& dib, bool useAlpha);
/// A Qt image as a DIB of `bits` bits per pixel (`colors` for indexed formats).
TDibImage QImageToDib(const QImage& image, int bits, bool is565, const std::vector<TRGBQuad>& colors);
