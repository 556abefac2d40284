// Pictures of windows: what a control's window shows on the screen, frame and scroll bars
// included, as a bitmap or a PNG file (for screenshots in tests and in the program's reports).
#pragma once

#include <string>

class TBitmap;
class TWinControl;

/// Paints the control's window into `out` (24 bits per pixel); false when it has no window.
bool GrabControl(TWinControl& control, TBitmap& out);
/// Grabs the control's window into a PNG file; false when it has no window or the file cannot
/// be written.
bool GrabControlToPNG(TWinControl& control, const std::string& path);
