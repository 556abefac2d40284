#include "richtext/core/RVUniMeasure.h"

#include <algorithm>

#include "platform/graphics/Canvas.h"
#include "platform/graphics/Font.h"

namespace {

bool IsTwoByte(TRVItemOptions options) {
  return (options & rvioTwoByteText) != 0;
}

/// The visual cell of each logical character, inverted: the character shown in each cell.
/// Empty when the placement does not describe every character exactly once.
std::vector<int> CharactersByCell(const TCharacterPlacement& placement, size_t count) {
  std::vector<int> byCell(count, -1);
  if (placement.Order.size() != count || placement.Dx.size() != count || placement.Classes.size() != count)
    return {};
  for (size_t k = 0; k < count; ++k) {
    const uint32_t cell = placement.Order[k];
    if (cell >= count || byCell[cell] != -1) return {};
    byCell[cell] = static_cast<int>(k);
  }
  return byCell;
}

/// Places the text; on success `byCell` holds the character of every visual cell.
bool PlaceText(TCanvas& canvas, const std::u16string& text, TCharacterPlacement& placement,
               std::vector<int>& byCell) {
  if (!canvas.GetCharacterPlacementW(text, placement)) return false;
  byCell = CharactersByCell(placement, text.size());
  return byCell.size() == text.size();
}

}  // namespace

std::u16string RVDecodeBytewise(TRVCodePage codePage, std::string_view s) {
  std::u16string wide = RVBytesToWideString(RVAnsiToUnicode(codePage, s));
  if (wide.size() == s.size()) return wide;
  // A multi-byte code page: decode byte by byte, so that offsets keep counting bytes.
  wide.clear();
  for (char c : s) {
    const std::u16string one = RVBytesToWideString(RVAnsiToUnicode(codePage, std::string_view(&c, 1)));
    wide.push_back(one.size() == 1 ? one[0] : u'?');
  }
  return wide;
}

std::u16string RVTextForCanvas(TCanvas& canvas, std::string_view s, TRVItemOptions options) {
  if (IsTwoByte(options)) return RVBytesToWideString(s);
  return RVDecodeBytewise(RVCodePageFromCharset(canvas.Font().Charset()), s);
}

int32_t RVTextWidth(std::string_view s, TCanvas& canvas, TRVItemOptions options) {
  if (IsTwoByte(options)) return canvas.TextExtentW(RVBytesToWideString(s)).cx;
  return canvas.TextExtent(s).cx;
}

void RVGetTextExtentEx(TCanvas& canvas, std::string_view s, int32_t maxWidth, TRVItemOptions options,
                       std::vector<int32_t>* widths, int& fit) {
  fit = 0;
  if (widths != nullptr) widths->clear();
  if (s.empty()) return;
  int32_t fitted = 0;
  if (IsTwoByte(options)) {
    const std::u16string wide = RVBytesToWideString(s);
    if (wide.empty()) return;
    canvas.GetTextExtentExPointW(wide, maxWidth, &fitted, widths);
  } else {
    canvas.GetTextExtentExPoint(s, maxWidth, &fitted, widths);
  }
  fit = std::max(0, fitted);
}

bool RVGetCharacterPlacement(TCanvas& canvas, std::string_view text, std::vector<int32_t>& positions,
                             TRVItemOptions options) {
  const std::u16string wide = RVTextForCanvas(canvas, text, options);
  TCharacterPlacement placement;
  std::vector<int> byCell;
  if (!PlaceText(canvas, wide, placement, byCell)) return false;
  const size_t n = wide.size();
  std::vector<int32_t> result(n + 1, 0);
  int32_t x = 0;
  for (size_t cell = 0; cell < n; ++cell) {
    const int k = byCell[cell];
    const int32_t width = placement.Dx[cell];
    if (placement.Classes[k] == 2) {
      // The caret after a right-to-left character stands on its left side.
      result[k + 1] = x;
      if (k == 0) result[0] = x + width;
    } else {
      result[k + 1] = x + width + 1;
      if (k == 0) result[0] = x;
    }
    x += width;
  }
  positions = std::move(result);
  return true;
}

bool RVTryDrawTextPlaced(int32_t x, int32_t y, int32_t height, bool enabled, TRVItemOptions options, int last,
                         int first, TCanvas& canvas, std::string_view text) {
  if (!enabled) return false;
  const std::u16string wide = RVTextForCanvas(canvas, text, options);
  TCharacterPlacement placement;
  std::vector<int> byCell;
  if (!PlaceText(canvas, wide, placement, byCell)) return false;
  const int n = static_cast<int>(wide.size());
  first = std::max(first, 1);
  last = std::min(last, n);
  auto wanted = [&](int k) { return k >= first - 1 && k <= last - 1; };
  std::vector<bool> drawn(static_cast<size_t>(n), false);
  // Every pass draws at least the leftmost undrawn cell of the range, so the loop ends.
  for (;;) {
    int start = 0;
    int32_t left = 0;
    while (start < n && !(wanted(byCell[start]) && !drawn[byCell[start]])) left += placement.Dx[start++];
    if (start == n) break;
    int lo = byCell[start], hi = lo;
    int end = start + 1;
    int32_t right = left + placement.Dx[start];
    drawn[lo] = true;
    // The run grows over cells to the right whose characters are logical neighbours of it.
    while (end < n) {
      const int k = byCell[end];
      if (!wanted(k) || drawn[k] || (k != hi + 1 && k != lo - 1)) break;
      lo = std::min(lo, k);
      hi = std::max(hi, k);
      drawn[k] = true;
      right += placement.Dx[end++];
    }
    const TRect clip{x + left, y, x + right, y + height};
    canvas.ExtTextOutW(x, y, ETO_OPAQUE | ETO_CLIPPED, &clip, wide);
  }
  return true;
}
