#include "richtext/core/RVFuncs.h"

#include <algorithm>

#include "platform/core/SysUtils.h"
#include "platform/graphics/SystemColors.h"

TRVTag RVCopyTag(const TRVTag& tag, bool tagsArePChars) {
  TRVTag copy;
  if (tagsArePChars)
    copy.Text = tag.Text;
  else
    copy.Value = tag.Value;
  return copy;
}

bool RVAreTagsEqual(const TRVTag& tag1, const TRVTag& tag2, bool tagsArePChars) {
  return tagsArePChars ? tag1.Text == tag2.Text : tag1.Value == tag2.Value;
}

namespace {

/// Replaces every `unit`-byte tab character of `s` by `spacesInTab` blank characters.
std::string ExpandTabs(std::string_view s, int spacesInTab, size_t unit) {
  const std::string_view tab = unit == 2 ? std::string_view("\t\0", 2) : std::string_view("\t", 1);
  const std::string_view blank = unit == 2 ? std::string_view(" \0", 2) : std::string_view(" ", 1);
  const size_t whole = s.size() / unit * unit;
  std::string r;
  r.reserve(s.size());
  for (size_t i = 0; i < whole; i += unit) {
    const std::string_view ch = s.substr(i, unit);
    if (ch == tab)
      for (int k = 0; k < spacesInTab; ++k) r += blank;
    else
      r += ch;
  }
  r += s.substr(whole);
  return r;
}

}  // namespace

std::string RVExpandTabs(std::string_view s, int spacesInTab) {
  return ExpandTabs(s, spacesInTab, 1);
}

std::string RVExpandTabsW(std::string_view s, int spacesInTab) {
  return ExpandTabs(s, spacesInTab, 2);
}

int32_t RVScreenToDeviceX(int32_t value, const TRVFormatScale& resolution) {
  return MulDiv(value, resolution.DevicePPIX, resolution.ScreenPPIX);
}

int32_t RVScreenToDeviceY(int32_t value, const TRVFormatScale& resolution) {
  return MulDiv(value, resolution.DevicePPIY, resolution.ScreenPPIY);
}

int32_t RVDeviceToScreenX(int32_t value, const TRVFormatScale& resolution) {
  return MulDiv(value, resolution.ScreenPPIX, resolution.DevicePPIX);
}

int32_t RVDeviceToScreenY(int32_t value, const TRVFormatScale& resolution) {
  return MulDiv(value, resolution.ScreenPPIY, resolution.DevicePPIY);
}

void RVDeviceToScreenRect(TRect& rect, const TRVFormatScale& resolution) {
  rect.Left = RVDeviceToScreenX(rect.Left, resolution);
  rect.Right = RVDeviceToScreenX(rect.Right, resolution);
  rect.Top = RVDeviceToScreenY(rect.Top, resolution);
  rect.Bottom = RVDeviceToScreenY(rect.Bottom, resolution);
}

bool RVPointInRect(int32_t x, int32_t y, int32_t left, int32_t top, int32_t width, int32_t height) {
  return left <= x && x < static_cast<int64_t>(left) + width && top <= y &&
         y < static_cast<int64_t>(top) + height;
}

int RVCharPosInBuffer(std::string_view buffer, char ch, int len) {
  if (len <= 0) return 0;
  const size_t pos = buffer.substr(0, static_cast<size_t>(len)).find(ch);
  return pos == std::string_view::npos ? 0 : static_cast<int>(pos) + 1;
}

int RVColorToGrayLevel(TColor color) {
  const auto rgb = static_cast<uint32_t>(ColorToRGB(color));
  const double r = rgb & 0xFF, g = (rgb >> 8) & 0xFF, b = (rgb >> 16) & 0xFF;
  return static_cast<int>(Round(0.3 * r + 0.59 * g + 0.11 * b));
}

TColor RVColorToGray(TColor color) {
  if (color == clNone) return clNone;
  const int level = std::min(RVColorToGrayLevel(color), 255);
  return level | (level << 8) | (level << 16);
}

TColor RVSystemColorForPrinting(TColor color) {
  if (color == clWindowText) return clBlack;
  if (color == clWindow) return clWhite;
  return color;
}

TColor RVTextColorForColorMode(TColor color, TRVColorMode mode) {
  if (color == clNone) return clNone;
  switch (mode) {
    case 0:
      return color;
    case 1:
      return RVSystemColorForPrinting(color);
    case 2:
      return RVColorToGray(RVSystemColorForPrinting(color));
    default:
      return color == clWhite ? clWhite : clBlack;
  }
}

TColor RVBackColorForColorMode(TColor color, TRVColorMode mode) {
  if (color == clNone) return clNone;
  return mode >= 3 ? clWhite : RVTextColorForColorMode(color, mode);
}

std::string RVColorToHTML(TColor color) {
  if (color == clNone) return {};
  const TColor rgb = color == clWindowText ? clBlack : ColorToRGB(color);
  static constexpr char kDigits[] = "0123456789ABCDEF";
  std::string html = "#";
  for (int channel = 0; channel < 3; ++channel) {
    const unsigned value = (static_cast<uint32_t>(rgb) >> (8 * channel)) & 0xFF;
    html += kDigits[value >> 4];
    html += kDigits[value & 15];
  }
  return html;
}
