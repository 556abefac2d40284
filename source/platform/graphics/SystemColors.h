// System colours resolved through one fixed table (the usual Windows 7 default scheme), so
// that drawn and exported colours never depend on the desktop theme.
#pragma once

#include <cstdint>

#include "platform/core/Colors.h"

/// Builds a colour from its red, green and blue parts (the RGB macro of the system).
constexpr TColor RGBColor(uint8_t r, uint8_t g, uint8_t b) {
  return static_cast<TColor>(r | (g << 8) | (b << 16));
}
constexpr uint8_t GetRValue(TColor c) {
  return static_cast<uint8_t>(c & 0xFF);
}
constexpr uint8_t GetGValue(TColor c) {
  return static_cast<uint8_t>((c >> 8) & 0xFF);
}
constexpr uint8_t GetBValue(TColor c) {
  return static_cast<uint8_t>((c >> 16) & 0xFF);
}

/// The RGB value (0x00BBGGRR) of system colour `index` (0..30); 0 for an unknown index.
TColor GetSysColor(int index);

/// An explicit colour unchanged; a system colour (high bit set) as its RGB value from the
/// fixed table. Special values such as clNone and clDefault come back unchanged.
TColor ColorToRGB(TColor color);
