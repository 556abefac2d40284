#include "platform/graphics/PngFile.h"

#include <QImage>
#include <QString>

#include "platform/graphics/BitmapAccess.h"

bool SaveBitmapToPng(TBitmap& Bitmap, const std::string& FileName) {
  return TBitmapAccess::DrawImage(Bitmap).save(QString::fromStdString(FileName), "PNG");
}

bool LoadBitmapFromPng(TBitmap& Bitmap, const std::string& FileName) {
  QImage image;
  if (!image.load(QString::fromStdString(FileName), "PNG") || image.isNull()) return false;
  TBitmapAccess::SetImage(Bitmap, image.convertToFormat(QImage::Format_RGB32), pf24bit);
  return true;
}
