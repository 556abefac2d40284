// PNG files for bitmaps: reference pictures of the painting tests, picture dumps, and PNG
// pictures that documents carry.
#pragma once

#include <string>
#include <string_view>

class TBitmap;

/// Writes the bitmap as drawn to a PNG file; false when the file cannot be written.
bool SaveBitmapToPng(TBitmap& Bitmap, const std::string& FileName);
/// Replaces the bitmap with a PNG file's picture (24 bits per pixel); false, leaving the
/// bitmap as it was, when the file is missing or not a PNG picture.
bool LoadBitmapFromPng(TBitmap& Bitmap, const std::string& FileName);
/// The same for the bytes of a PNG picture. Transparent parts are drawn on white, as on a page.
bool LoadBitmapFromPngData(TBitmap& Bitmap, std::string_view Data);
