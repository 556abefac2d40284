// Small routines that the document, item, style-sheet, background and printing code share:
// item tags, tab expansion, screen/device scaling of lengths, hit rectangles, byte search and
// the colours used by the printing colour modes.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "platform/core/Colors.h"
#include "platform/graphics/GraphicsTypes.h"

/// The user tag of an item or checkpoint. A document whose option rvoTagsArePChars is clear
/// uses `Value`; one where it is set uses `Text`, where an empty optional is the null tag.
struct TRVTag {
  int32_t Value = 0;
  std::optional<std::string> Text;
};

/// A copy of the tag as the document's tag kind sees it: the text (a new copy, or null) when
/// tags are texts, the integer otherwise.
TRVTag RVCopyTag(const TRVTag& tag, bool tagsArePChars);
/// Integers compare as values; texts are equal when both are null, or both present and
/// equal byte for byte.
bool RVAreTagsEqual(const TRVTag& tag1, const TRVTag& tag2, bool tagsArePChars);

/// Every tab byte replaced by `spacesInTab` blanks (none when it is 0 or less).
std::string RVExpandTabs(std::string_view s, int spacesInTab);
/// The same for UTF-16 text held in a byte string (a trailing odd byte is kept as it is).
std::string RVExpandTabsW(std::string_view s, int spacesInTab);

/// The screen-and-device record: pixels per inch of the screen and of the output device,
/// and the left and right margins already converted to the device.
struct TRVFormatScale {
  int32_t ScreenPPIX = 96;
  int32_t ScreenPPIY = 96;
  int32_t DevicePPIX = 96;
  int32_t DevicePPIY = 96;
  int32_t LeftMargin = 0;
  int32_t RightMargin = 0;
};

/// MulDiv of a length by device / screen (the first two) or screen / device (the last two)
/// pixels per inch of the axis.
int32_t RVScreenToDeviceX(int32_t value, const TRVFormatScale& resolution);
int32_t RVScreenToDeviceY(int32_t value, const TRVFormatScale& resolution);
int32_t RVDeviceToScreenX(int32_t value, const TRVFormatScale& resolution);
int32_t RVDeviceToScreenY(int32_t value, const TRVFormatScale& resolution);
/// A device rectangle in screen pixels: left and right on the X ratio, top and bottom on the Y
/// ratio.
void RVDeviceToScreenRect(TRect& rect, const TRVFormatScale& resolution);

/// True when left <= x < left + width and top <= y < top + height.
bool RVPointInRect(int32_t x, int32_t y, int32_t left, int32_t top, int32_t width, int32_t height);

/// The 1-based position of the first `ch` among the first `len` bytes of `buffer` (cut to
/// its size); 0 when absent or when there is nothing to search.
int RVCharPosInBuffer(std::string_view buffer, char ch, int len);

/// Colour modes of painting and printing: 0 colours as they are, 1 system colours fixed for
/// printing, 2 grey, 3 (and above) black and white.
using TRVColorMode = uint8_t;

/// 0.3 R + 0.59 G + 0.11 B of the colour's RGB value, rounded half to even.
int RVColorToGrayLevel(TColor color);
/// clNone stays clNone; any other colour becomes the grey of its level (at most 255).
TColor RVColorToGray(TColor color);
/// clWindowText becomes black and clWindow white; other colours stay as they are.
TColor RVSystemColorForPrinting(TColor color);
/// The colour of text and lines in the colour mode (clNone stays clNone): 3 and above turn
/// everything but white into black.
TColor RVTextColorForColorMode(TColor color, TRVColorMode mode);
/// The same for backgrounds, except that mode 3 and above always give white.
TColor RVBackColorForColorMode(TColor color, TRVColorMode mode);

/// A colour as HTML writes it: "#" and six upper-case hexadecimal digits, red first (system
/// colours resolved, clWindowText taken as black); clNone gives an empty text.
std::string RVColorToHTML(TColor color);
