// Builders of picture files for the graphics tests (BMP/DIB with hand-written headers, ICO,
// metafile headers), and access to the independent decoders the tests compare against
// (Pillow through Python, djpeg), which are used when installed.
#pragma once

#include <unistd.h>

#include <array>
#include <cstdint>
#include <cstdio>
#include <fstream>
#include <memory>
#include <optional>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include "platform/core/Streams.h"
#include "platform/graphics/Bitmap.h"
#include "platform/graphics/Canvas.h"
#include "platform/graphics/Icon.h"
#include "platform/graphics/SystemColors.h"

namespace gfxtest {

using Bytes = std::vector<uint8_t>;

inline void Put16(Bytes& b, uint32_t v) {
  b.push_back(static_cast<uint8_t>(v));
  b.push_back(static_cast<uint8_t>(v >> 8));
}
inline void Put32(Bytes& b, uint32_t v) {
  for (int i = 0; i < 4; ++i) b.push_back(static_cast<uint8_t>(v >> (8 * i)));
}

/// A DIB described field by field. Pixel data is given as it is stored in the file.
struct DibSpec {
  uint32_t header_size = 40;  // 12, 40, 108 or 124
  int32_t width = 0;
  int32_t height = 0;  // negative for top-down
  uint16_t bits = 24;
  uint32_t compression = 0;
  uint32_t colors_used = 0;
  std::vector<uint32_t> masks;                 // written after a 40-byte header or inside v4/v5
  std::vector<std::array<uint8_t, 3>> colors;  // RGB
  Bytes pixels;
};

inline Bytes BuildDib(const DibSpec& s) {
  Bytes b;
  Put32(b, s.header_size);
  if (s.header_size == 12) {
    Put16(b, static_cast<uint32_t>(s.width));
    Put16(b, static_cast<uint32_t>(s.height));
    Put16(b, 1);
    Put16(b, s.bits);
  } else {
    Put32(b, static_cast<uint32_t>(s.width));
    Put32(b, static_cast<uint32_t>(s.height));
    Put16(b, 1);
    Put16(b, s.bits);
    Put32(b, s.compression);
    Put32(b, static_cast<uint32_t>(s.pixels.size()));
    Put32(b, 2835);
    Put32(b, 2835);
    Put32(b, s.colors_used);
    Put32(b, 0);
    if (s.header_size > 40) {
      for (size_t i = 0; i < 4; ++i) Put32(b, i < s.masks.size() ? s.masks[i] : 0);
      Put32(b, 0x73524742);  // 'sRGB'
      while (b.size() < s.header_size) b.push_back(0);
    } else {
      for (uint32_t m : s.masks) Put32(b, m);
    }
  }
  for (const auto& c : s.colors) {
    b.push_back(c[2]);
    b.push_back(c[1]);
    b.push_back(c[0]);
    if (s.header_size != 12) b.push_back(0);
  }
  b.insert(b.end(), s.pixels.begin(), s.pixels.end());
  return b;
}

/// A BMP file: the file header, then the DIB. `off_bits` overrides the pixel offset.
inline Bytes BuildBmp(const DibSpec& s, std::optional<uint32_t> offBits = std::nullopt) {
  const Bytes dib = BuildDib(s);
  Bytes b = {'B', 'M'};
  Put32(b, static_cast<uint32_t>(14 + dib.size()));
  Put32(b, 0);
  Put32(b, offBits ? *offBits : static_cast<uint32_t>(14 + dib.size() - s.pixels.size()));
  b.insert(b.end(), dib.begin(), dib.end());
  return b;
}

/// Rows of packed pixels, each padded to 4 bytes, with `value(x, row)` giving the stored
/// value of the pixel (an index, or the raw 16/24/32-bit value) in storage order.
template <typename F>
Bytes PackRows(int32_t width, int32_t rows, int bits, F value) {
  Bytes out;
  const size_t stride = static_cast<size_t>(((width * bits + 31) / 32) * 4);
  for (int32_t r = 0; r < rows; ++r) {
    Bytes row(stride, 0);
    for (int32_t x = 0; x < width; ++x) {
      const uint32_t v = value(x, r);
      switch (bits) {
        case 1:
          row[static_cast<size_t>(x / 8)] |= static_cast<uint8_t>((v & 1) << (7 - x % 8));
          break;
        case 4:
          row[static_cast<size_t>(x / 2)] |= static_cast<uint8_t>((v & 15) << ((x & 1) ? 0 : 4));
          break;
        default:
          for (int i = 0; i < bits / 8; ++i)
            row[static_cast<size_t>(x * (bits / 8) + i)] = static_cast<uint8_t>(v >> (8 * i));
      }
    }
    out.insert(out.end(), row.begin(), row.end());
  }
  return out;
}

inline TMemoryStream StreamOf(const Bytes& b) {
  return TMemoryStream(std::string_view(reinterpret_cast<const char*>(b.data()), b.size()));
}

/// Every pixel of a bitmap as 0xRRGGBB, row by row from the top.
inline std::vector<uint32_t> PixelsOf(TBitmap& bitmap) {
  std::vector<uint32_t> out;
  for (int32_t y = 0; y < bitmap.Height(); ++y)
    for (int32_t x = 0; x < bitmap.Width(); ++x) {
      const TColor c = bitmap.Canvas().Pixel(x, y);
      out.push_back((static_cast<uint32_t>(GetRValue(c)) << 16) | (GetGValue(c) << 8) | GetBValue(c));
    }
  return out;
}

inline std::string TempPath(const std::string& name) {
  return "/tmp/zuk_gfx_" + std::to_string(getpid()) + "_" + name;
}

inline void WriteFile(const std::string& path, const Bytes& b) {
  std::ofstream f(path, std::ios::binary);
  f.write(reinterpret_cast<const char*>(b.data()), static_cast<std::streamsize>(b.size()));
}

inline std::optional<std::string> RunCommand(const std::string& command) {
  FILE* p = popen(command.c_str(), "r");
  if (p == nullptr) return std::nullopt;
  std::string out;
  char buffer[4096];
  size_t n;
  while ((n = fread(buffer, 1, sizeof buffer, p)) > 0) out.append(buffer, n);
  if (pclose(p) != 0) return std::nullopt;
  return out;
}

/// The Python interpreter that has Pillow, or "" when none has.
inline const std::string& PillowPython() {
  static const std::string python = [] {
    for (const char* candidate : {"/usr/bin/python3", "python3"}) {
      const std::string cmd = std::string(candidate) + " -c 'import PIL.Image' 2>/dev/null";
      if (RunCommand(cmd)) return std::string(candidate);
    }
    return std::string();
  }();
  return python;
}

/// The pixels Pillow decodes from `file` as 0xRRGGBB, or nullopt when Pillow cannot read it.
inline std::optional<std::vector<uint32_t>> PillowPixels(const Bytes& file, int32_t& width, int32_t& height) {
  const std::string path = TempPath("pillow.bmp");
  WriteFile(path, file);
  const std::string script =
      "import sys; from PIL import Image; im = Image.open(sys.argv[1]).convert('RGB'); "
      "print(im.size[0], im.size[1]); print(' '.join('%d' % ((r << 16) | (g << 8) | b) for r, g, b in "
      "im.getdata()))";
  const auto out = RunCommand(PillowPython() + " -c \"" + script + "\" " + path + " 2>/dev/null");
  std::remove(path.c_str());
  if (!out) return std::nullopt;
  std::istringstream in(*out);
  in >> width >> height;
  std::vector<uint32_t> pixels;
  uint32_t v;
  while (in >> v) pixels.push_back(v);
  return pixels;
}

inline bool HaveDjpeg() {
  static const bool have = RunCommand("command -v djpeg >/dev/null 2>&1 && echo yes").has_value();
  return have;
}

/// A placeable metafile header on a box of `right` x `bottom` units, `inch` a inch, then the
/// metafile header and the end-of-file record.
inline Bytes PlaceableWmf(int16_t right, int16_t bottom, uint16_t inch) {
  Bytes f;
  Put32(f, 0x9AC6CDD7);
  Put16(f, 0);
  Put16(f, 0);
  Put16(f, 0);
  Put16(f, static_cast<uint16_t>(right));
  Put16(f, static_cast<uint16_t>(bottom));
  Put16(f, inch);
  Put32(f, 0);
  uint16_t sum = 0;
  for (size_t i = 0; i < 20; i += 2) sum ^= static_cast<uint16_t>(f[i] | (f[i + 1] << 8));
  Put16(f, sum);
  // Header record (type 1, 9 words, version 0x300), then the end-of-file record.
  Put16(f, 1);
  Put16(f, 9);
  Put16(f, 0x300);
  Put32(f, 12);
  Put16(f, 0);
  Put32(f, 3);
  Put16(f, 0);
  Put32(f, 3);
  Put16(f, 0);
  return f;
}

/// A placeable metafile of the given records (function and 16-bit parameters each) on a
/// box of `size` x `size` units, `inch` a inch.
inline Bytes WmfOf(const std::vector<std::pair<uint16_t, std::vector<uint16_t>>>& records, int16_t size,
                   uint16_t objects, uint16_t inch = 1440) {
  Bytes f = PlaceableWmf(size, size, inch);
  f.resize(22 + 18);  // the two headers, without the end-of-file record
  f[22 + 10] = static_cast<uint8_t>(objects);
  for (const auto& [function, params] : records) {
    Put32(f, static_cast<uint32_t>(3 + params.size()));
    Put16(f, function);
    for (uint16_t w : params) Put16(f, w);
  }
  Put32(f, 3);
  Put16(f, 0);
  return f;
}

inline std::vector<uint16_t> WordsOf(const Bytes& bytes) {
  std::vector<uint16_t> words;
  for (size_t i = 0; i + 1 < bytes.size(); i += 2)
    words.push_back(static_cast<uint16_t>(bytes[i] | (bytes[i + 1] << 8)));
  return words;
}

/// A bitmap of the given size filled by `color(x, y)` (a TColor).
template <typename F>
void FillBitmap(TBitmap& bitmap, int32_t w, int32_t h, F color) {
  bitmap.SetPixelFormat(pf24bit);
  bitmap.SetSize(w, h);
  for (int32_t y = 0; y < h; ++y)
    for (int32_t x = 0; x < w; ++x) bitmap.Canvas().SetPixel(x, y, color(x, y));
}

/// An icon of the given size whose left half is opaque `color` and whose right half is
/// transparent (a 32-bit icon image with alpha).
inline std::unique_ptr<TIcon> HalfTransparentIcon(int width, int height, TColor color) {
  const uint32_t c = static_cast<uint32_t>(color),
                 bgr = ((c >> 16) & 0xFF) | (c & 0xFF00) | ((c & 0xFF) << 16);
  const int maskRow = ((width + 31) / 32) * 4;
  Bytes ico;
  Put16(ico, 0), Put16(ico, 1), Put16(ico, 1);
  ico.insert(ico.end(), {static_cast<uint8_t>(width), static_cast<uint8_t>(height), 0, 0});
  Put16(ico, 1), Put16(ico, 32),
      Put32(ico, static_cast<uint32_t>(40 + width * height * 4 + maskRow * height));
  Put32(ico, 22), Put32(ico, 40), Put32(ico, static_cast<uint32_t>(width));
  Put32(ico, static_cast<uint32_t>(height * 2)), Put16(ico, 1), Put16(ico, 32);
  ico.resize(ico.size() + 24, 0);
  for (int i = 0; i < width * height; ++i) Put32(ico, bgr | (i % width < width / 2 ? 0xFF000000u : 0));
  ico.resize(ico.size() + static_cast<size_t>(maskRow * height), 0);
  auto icon = std::make_unique<TIcon>();
  TMemoryStream stream = StreamOf(ico);
  icon->LoadFromStream(stream);
  return icon;
}

}  // namespace gfxtest
