// Builders of Windows metafile records for the player tests: each gives the record's function
// and its 16-bit parameters as they are stored (WmfOf in GraphicsTestSupport.h makes the file).
#pragma once

#include <cstdint>
#include <utility>
#include <vector>

#include "GraphicsTestSupport.h"

namespace wmftest {

using gfxtest::Bytes;
using gfxtest::DibSpec;
using Record = std::pair<uint16_t, std::vector<uint16_t>>;

using Records = std::vector<Record>;

inline uint16_t Lo(uint32_t v) {
  return static_cast<uint16_t>(v);
}
inline uint16_t Hi(uint32_t v) {
  return static_cast<uint16_t>(v >> 16);
}
inline uint16_t W(int v) {
  return static_cast<uint16_t>(static_cast<int16_t>(v));
}

inline Record SolidBrush(TColor c) {
  return {0x02FC, {0, Lo(c), Hi(c), 0}};
}
inline Record Pen(TColor c, uint16_t style = 0, uint16_t width = 1) {
  return {0x02FA, {style, width, 0, Lo(c), Hi(c)}};
}
inline Record Select(uint16_t index) {
  return {0x012D, {index}};
}
inline Record Rectangle(int l, int t, int r, int b) {
  return {0x041B, {W(b), W(r), W(t), W(l)}};
}
inline Record PatBlt(uint32_t rop, int x, int y, int w, int h) {
  return {0x061D, {Lo(rop), Hi(rop), W(h), W(w), W(y), W(x)}};
}
inline Record MapMode(uint16_t mode) {
  return {0x0103, {mode}};
}
inline Record Escape(uint16_t function, std::vector<uint16_t> data = {}) {
  std::vector<uint16_t> words = {function, static_cast<uint16_t>(2 * data.size())};
  words.insert(words.end(), data.begin(), data.end());
  return {0x0626, words};
}

/// A 2 x 2 24-bit DIB, bottom-up: the top-left pixel red, the others blue.
inline std::vector<uint16_t> PatternBrushRecord() {
  DibSpec dib;
  dib.width = 2;
  dib.height = 2;
  dib.pixels =
      gfxtest::PackRows(2, 2, 24, [](int x, int r) { return x == 0 && r == 1 ? 0xFF0000u : 0x0000FFu; });
  std::vector<uint16_t> words = {5, 0};  // DIB pattern, RGB colours
  const std::vector<uint16_t> dibWords = gfxtest::WordsOf(gfxtest::BuildDib(dib));
  words.insert(words.end(), dibWords.begin(), dibWords.end());
  return words;
}

/// A STRETCHDIB record drawing a 4 x 4 DIB of one colour (8 bits with a grey palette, or
/// 24 bits) over units 10..30 with `rop`.
inline Record StretchDib(uint32_t rop, uint8_t value, uint16_t bits) {
  DibSpec dib;
  dib.width = 4;
  dib.height = 4;
  dib.bits = bits;
  if (bits == 8)
    for (int i = 0; i < 256; ++i)
      dib.colors.push_back({static_cast<uint8_t>(i), static_cast<uint8_t>(i), static_cast<uint8_t>(i)});
  dib.colors_used = bits == 8 ? 256 : 0;
  dib.pixels = gfxtest::PackRows(4, 4, bits, [&](int, int) { return bits == 8 ? value : value * 0x010101u; });
  std::vector<uint16_t> words = {Lo(rop), Hi(rop), 0, 4, 4, 0, 0, 20, 20, 10, 10};
  const std::vector<uint16_t> dibWords = gfxtest::WordsOf(gfxtest::BuildDib(dib));
  words.insert(words.end(), dibWords.begin(), dibWords.end());
  return {0x0F43, words};
}

}  // namespace wmftest
