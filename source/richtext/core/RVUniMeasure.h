// Measuring and placing item text on a canvas. The text is an item's byte string: UTF-16,
// two bytes a character, with rvioTwoByteText in the options; otherwise 8-bit text in the
// code page of the canvas font's character set. Counts, widths and positions are per
// character of the item (bytes of 8-bit text, UTF-16 units of Unicode text).
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "richtext/core/RVItemOptions.h"
#include "richtext/core/RVUni.h"

class TCanvas;

/// 8-bit text of `codePage` as UTF-16 with exactly one unit per byte, so that offsets into
/// the bytes stay offsets into the result; a byte that does not decode on its own becomes "?".
std::u16string RVDecodeBytewise(TRVCodePage codePage, std::string_view s);
/// The item text as the canvas draws it: one UTF-16 unit per character of the item.
std::u16string RVTextForCanvas(TCanvas& canvas, std::string_view s, TRVItemOptions options);

/// Width of the whole text in the canvas's font.
int32_t RVTextWidth(std::string_view s, TCanvas& canvas, TRVItemOptions options);
/// The number of leading characters whose extent fits into `maxWidth` and, when `widths` is
/// given, the extents of the first 1, 2, ... characters. An empty text fits 0.
void RVGetTextExtentEx(TCanvas& canvas, std::string_view s, int32_t maxWidth, TRVItemOptions options,
                       std::vector<int32_t>* widths, int& fit);
/// Caret positions of the text in visual order: `positions[k]` is the x of the caret before
/// the k-th character (0-based) and `positions[n]` the one after the last. Right-to-left
/// characters put the caret after them on their left side. `positions` is filled only when
/// the canvas could place the text; the result says whether it could.
bool RVGetCharacterPlacement(TCanvas& canvas, std::string_view text, std::vector<int32_t>& positions,
                             TRVItemOptions options);
/// When `enabled`, draws the characters first..last (1-based, logical order) of the text
/// placed at (x, y), `height` high, in visual order: each run of them that is contiguous on
/// the screen is drawn opaque, clipped to its own cells. Answers whether the text could be
/// placed; draws nothing and answers false when not enabled.
bool RVTryDrawTextPlaced(int32_t x, int32_t y, int32_t height, bool enabled, TRVItemOptions options, int last,
                         int first, TCanvas& canvas, std::string_view text);
