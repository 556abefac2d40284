#include "platform/graphics/PngFile.h"

#include <QImage>
#include <QPainter>
#include <QString>
#include <climits>

#include "platform/graphics/BitmapAccess.h"

namespace {

/// The picture, drawn on white when it has transparent parts, as the bitmap's 24-bit image.
void setOpaqueImage(TBitmap& bitmap, const QImage& image) {
  QImage opaque(image.size(), QImage::Format_RGB32);
  opaque.fill(Qt::white);
  {
    QPainter painter(&opaque);
    painter.drawImage(0, 0, image);
  }
  TBitmapAccess::SetImage(bitmap, opaque, pf24bit);
}

}  // namespace

bool SaveBitmapToPng(TBitmap& Bitmap, const std::string& FileName) {
  return TBitmapAccess::DrawImage(Bitmap).save(QString::fromStdString(FileName), "PNG");
}

bool LoadBitmapFromPng(TBitmap& Bitmap, const std::string& FileName) {
  QImage image;
  if (!image.load(QString::fromStdString(FileName), "PNG") || image.isNull()) return false;
  setOpaqueImage(Bitmap, image);
  return true;
}

bool LoadBitmapFromPngData(TBitmap& Bitmap, std::string_view Data) {
  // Qt's reader refuses pictures above its allocation limit, so a header that claims a huge
  // size costs nothing.
  if (Data.empty() || Data.size() > static_cast<size_t>(INT_MAX)) return false;
  QImage image;
  if (!image.loadFromData(reinterpret_cast<const uchar*>(Data.data()), static_cast<int>(Data.size()),
                          "PNG") ||
      image.isNull())
    return false;
  setOpaqueImage(Bitmap, image);
  return true;
}
