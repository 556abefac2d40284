// Builders of enhanced metafiles for the player tests: records are a type and 32-bit
// parameters; the header makes one device unit 1 mm, with a frame of 100 x 100 units.
#pragma once

#include <array>
#include <bit>
#include <cstdint>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "GraphicsTestSupport.h"
#include "WmfRecords.h"

namespace emftest {

using gfxtest::Bytes;
using EmfRecord = std::pair<uint32_t, std::vector<uint32_t>>;
using EmfRecords = std::vector<EmfRecord>;

inline uint32_t U(int32_t v) {
  return static_cast<uint32_t>(v);
}
/// Two 16-bit coordinates in one parameter.
inline uint32_t Pt16(int x, int y) {
  return (static_cast<uint32_t>(x) & 0xFFFF) | (static_cast<uint32_t>(y) << 16);
}
inline uint32_t Float(float f) {
  return std::bit_cast<uint32_t>(f);
}

inline Bytes EmfOf(const EmfRecords& records, uint16_t handles = 8) {
  Bytes body;
  for (const auto& [type, params] : records) {
    gfxtest::Put32(body, type);
    gfxtest::Put32(body, static_cast<uint32_t>(8 + 4 * params.size()));
    for (uint32_t p : params) gfxtest::Put32(body, p);
  }
  for (uint32_t v : {14u, 20u, 0u, 16u, 20u}) gfxtest::Put32(body, v);  // end of file
  Bytes f;
  for (uint32_t v : {1u, 88u, 0u, 0u, 99u, 99u, 0u, 0u, 10000u, 10000u, 0x464D4520u, 0x10000u})
    gfxtest::Put32(f, v);
  gfxtest::Put32(f, static_cast<uint32_t>(88 + body.size()));
  gfxtest::Put32(f, static_cast<uint32_t>(records.size() + 2));
  gfxtest::Put16(f, handles);
  gfxtest::Put16(f, 0);
  for (uint32_t v : {0u, 0u, 0u, 100u, 100u, 100u, 100u}) gfxtest::Put32(f, v);  // device 100 x 100 mm
  f.insert(f.end(), body.begin(), body.end());
  return f;
}

inline EmfRecord CreateBrush(uint32_t index, TColor color, uint32_t style = 0) {
  return {39, {index, style, U(color), 0}};
}
inline EmfRecord CreatePen(uint32_t index, TColor color, uint32_t style = 0, int32_t width = 1) {
  return {38, {index, style, U(width), 0, U(color)}};
}
inline EmfRecord SelectObject(uint32_t index) {
  return {37, {index}};
}
inline EmfRecord Rect(uint32_t type, int l, int t, int r, int b) {
  return {type, {U(l), U(t), U(r), U(b)}};
}
/// A rectangle (43) filled with the current brush and outlined with the current pen.
inline EmfRecord Rectangle(int l, int t, int r, int b) {
  return Rect(43, l, t, r, b);
}

/// Object 1 a solid brush of `c`, object 2 a null pen, both selected.
inline EmfRecords FillWith(TColor c) {
  return {CreateBrush(1, c), CreatePen(2, 0, 5), SelectObject(1), SelectObject(2)};
}

/// A record of bounds (four zeros), a count and 16-bit points.
inline EmfRecord Poly16(uint32_t type, std::initializer_list<std::pair<int, int>> points) {
  std::vector<uint32_t> p = {0, 0, 0, 0, static_cast<uint32_t>(points.size())};
  for (const auto& [x, y] : points) p.push_back(Pt16(x, y));
  return {type, p};
}

inline EmfRecord Transform(uint32_t type, float m11, float m12, float m21, float m22, float dx, float dy,
                           std::optional<uint32_t> mode = std::nullopt) {
  std::vector<uint32_t> p = {Float(m11), Float(m12), Float(m21), Float(m22), Float(dx), Float(dy)};
  if (mode) p.push_back(*mode);
  return {type, p};
}

/// EXTSELECTCLIPRGN: region data of `rects` (left, top, right, bottom) combined by `mode`.
inline EmfRecord ClipRegion(uint32_t mode, std::initializer_list<std::array<int, 4>> rects) {
  std::vector<uint32_t> p = {static_cast<uint32_t>(rects.size() == 0 ? 0 : 32 + 16 * rects.size()), mode};
  if (rects.size() != 0) {
    p.insert(p.end(), {32, 1, static_cast<uint32_t>(rects.size()), static_cast<uint32_t>(16 * rects.size()),
                       0, 0, 0, 0});
    for (const auto& r : rects) p.insert(p.end(), {U(r[0]), U(r[1]), U(r[2]), U(r[3])});
  }
  return {75, p};
}

/// A 2 x 2 24-bit DIB, bottom-up: blue above, green below.
inline std::pair<Bytes, Bytes> TwoByTwo() {
  gfxtest::DibSpec dib;
  dib.width = 2;
  dib.height = 2;
  dib.pixels = gfxtest::PackRows(2, 2, 24, [](int, int r) { return r == 0 ? 0x00FF00u : 0x0000FFu; });
  const Bytes whole = gfxtest::BuildDib(dib);
  return {Bytes(whole.begin(), whole.begin() + 40), dib.pixels};
}

/// Parameters of `fixed` 32-bit fields, then a DIB header and pixels at the offsets named in
/// the fields at `offsets` (header offset, header size, pixel offset, pixel size).
inline std::vector<uint32_t> WithDib(std::vector<uint32_t> fixed, size_t offsets,
                                     const std::pair<Bytes, Bytes>& dib = TwoByTwo()) {
  const auto& [header, pixels] = dib;
  const uint32_t at = static_cast<uint32_t>(8 + 4 * fixed.size());
  fixed[offsets] = at;
  fixed[offsets + 1] = static_cast<uint32_t>(header.size());
  fixed[offsets + 2] = at + static_cast<uint32_t>(header.size());
  fixed[offsets + 3] = static_cast<uint32_t>(pixels.size());
  Bytes all = header;
  all.insert(all.end(), pixels.begin(), pixels.end());
  for (size_t i = 0; i < all.size(); i += 4)
    fixed.push_back(all[i] | (all[i + 1] << 8) | (all[i + 2] << 16) |
                    (static_cast<uint32_t>(all[i + 3]) << 24));
  return fixed;
}

/// EXTCREATEFONTINDIRECTW: object `index`, a logical font of `height` with a 16-bit face name.
inline EmfRecord LogFontW(uint32_t index, int32_t height, const std::u16string& face, int32_t weight = 400) {
  std::vector<uint32_t> font = {index, U(height), 0, 0, 0, U(weight), 0, 0};
  std::vector<uint16_t> chars(face.begin(), face.end());
  chars.resize(32, 0);
  for (size_t i = 0; i < chars.size(); i += 2)
    font.push_back(chars[i] | (static_cast<uint32_t>(chars[i + 1]) << 16));
  return {82, font};
}

/// The enhanced metafile in comment escapes of at most `piece` bytes each.
inline wmftest::Records EmbeddedPieces(const Bytes& emf, size_t piece) {
  wmftest::Records records;
  const size_t count = (emf.size() + piece - 1) / piece;
  for (size_t at = 0; at < emf.size(); at += piece) {
    const size_t size = std::min(piece, emf.size() - at);
    Bytes data;
    gfxtest::Put32(data, 0x43464D57);
    gfxtest::Put32(data, 1);
    gfxtest::Put32(data, 0x10000);
    gfxtest::Put16(data, 0);
    gfxtest::Put32(data, 0);
    gfxtest::Put32(data, static_cast<uint32_t>(count));
    gfxtest::Put32(data, static_cast<uint32_t>(size));
    gfxtest::Put32(data, static_cast<uint32_t>(emf.size() - at - size));
    gfxtest::Put32(data, static_cast<uint32_t>(emf.size()));
    data.insert(data.end(), emf.begin() + static_cast<std::ptrdiff_t>(at),
                emf.begin() + static_cast<std::ptrdiff_t>(at + size));
    if (data.size() % 2 != 0) data.push_back(0);
    std::vector<uint16_t> words = gfxtest::WordsOf(data);
    words.insert(words.begin(), {0x000F, static_cast<uint16_t>(34 + size)});
    records.push_back({0x0626, words});
  }
  return records;
}

}  // namespace emftest
