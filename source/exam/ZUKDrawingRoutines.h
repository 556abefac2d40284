// Drawing pieces the printed answer pictures share: text laid out in a rectangle (word-wrapped,
// centred, with or without mnemonic ampersands), the push-button frame and the raised panel
// edge in the classic 3-D colours, and the conversions of the pictures' texts to UTF-16.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "platform/graphics/GraphicsTypes.h"

class TBitmap;
class TCanvas;

// Layout bits of DrawTextInRect.
constexpr uint32_t DT_CENTER = 0x0001;      // each line centred in the rectangle
constexpr uint32_t DT_VCENTER = 0x0004;     // centred vertically, with DT_SINGLELINE only
constexpr uint32_t DT_WORDBREAK = 0x0010;   // lines broken at blanks to fit the width
constexpr uint32_t DT_SINGLELINE = 0x0020;  // one line, line breaks drawn as they are
constexpr uint32_t DT_CALCRECT = 0x0400;    // measure only: the rectangle takes the text's size
constexpr uint32_t DT_NOPREFIX = 0x0800;    // "&" is an ordinary character

/// Draws `text` into `rect`, clipped to it, from its top, in the canvas font and font colour;
/// the text cells are filled with the brush colour unless the brush is clear. Without
/// DT_NOPREFIX an "&" is a mnemonic mark that is not shown ("&&" shows one "&"). With
/// DT_CALCRECT nothing is drawn and `rect` is set to the text's extent from its top left.
/// Returns the height of the laid-out text.
int32_t DrawTextInRect(TCanvas& canvas, std::u16string_view text, TRect& rect, uint32_t format);

/// A push button's frame: two raised rings and the inside filled with the button face.
void DrawPushButtonFrame(TCanvas& canvas, const TRect& rect);
/// A raised edge of two rings around `rect`; the inside is left alone.
void DrawRaisedEdge(TCanvas& canvas, const TRect& rect);

/// The largest width or height of a printed picture; positions and sizes read from a file
/// that would make a larger one are refused.
constexpr int64_t kMaxPrintedPictureSide = 16384;
/// Raises EZUKIncorrectFileFormat unless both sides lie in 0 .. kMaxPrintedPictureSide.
void CheckPrintedPictureSize(int64_t width, int64_t height);

/// Sets the height of `bitmap`; the rows it gains take the colour of its canvas brush.
void SetBitmapHeight(TBitmap& bitmap, int32_t height);

/// User-interface text (UTF-8) as UTF-16.
std::u16string UiTextW(std::string_view text);
/// The localised text of `key` as UTF-16.
std::u16string LocalizedTextW(const std::string& key);
/// Exam data text, 8-bit in the ANSI code page, as UTF-16.
std::u16string ExamTextW(std::string_view text);
