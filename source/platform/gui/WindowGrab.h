// Pictures of windows: what a control's window shows on the screen, frame and scroll bars
// included, as a bitmap (for screenshots in tests and in the program's reports); and bitmaps
// kept as PNG files (reference pictures of tests).
#pragma once

#include <string>

class TBitmap;
class TWinControl;

/// Paints the control's window into `out` (24 bits per pixel); false when it has no window.
bool GrabControl(TWinControl& control, TBitmap& out);
/// Grabs the control's window into a PNG file; false when it has no window or the file cannot
/// be written.
bool GrabControlToPNG(TWinControl& control, const std::string& path);
/// Writes the bitmap as a PNG file; false when the file cannot be written.
bool SaveBitmapToPNG(TBitmap& bitmap, const std::string& path);
/// Reads a PNG file into `out` (24 bits per pixel); false when it cannot be read.
bool LoadBitmapFromPNG(TBitmap& out, const std::string& path);
