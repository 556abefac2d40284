#include "platform/graphics/BitmapCodec.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cstring>

#include "platform/graphics/ByteFields.h"

namespace {

constexpr uint32_t BI_RGB = 0;
constexpr uint32_t BI_RLE8 = 1;
constexpr uint32_t BI_RLE4 = 2;
constexpr uint32_t BI_BITFIELDS = 3;
constexpr uint32_t BI_ALPHABITFIELDS = 6;
constexpr size_t kFileHeaderSize = 14;
constexpr size_t kCoreHeaderSize = 12;
constexpr size_t kInfoHeaderSize = 40;
constexpr uint32_t kMaxColorsUsed = 1u << 16;

[[noreturn]] void Fail(const char* message) {
  throw EInvalidGraphic(message);
}

uint16_t U16(std::span<const uint8_t> d, size_t at) {
  return ReadU16LE(d, at, "Bitmap image is not valid");
}
uint32_t U32(std::span<const uint8_t> d, size_t at) {
  return ReadU32LE(d, at, "Bitmap image is not valid");
}

void PutU16(std::vector<uint8_t>& out, uint16_t v) {
  out.push_back(static_cast<uint8_t>(v));
  out.push_back(static_cast<uint8_t>(v >> 8));
}

void PutU32(std::vector<uint8_t>& out, uint32_t v) {
  for (int i = 0; i < 4; ++i) out.push_back(static_cast<uint8_t>(v >> (8 * i)));
}

/// What the info header says about the pixels.
struct DibHeader {
  int64_t width = 0;
  int64_t height = 0;  // positive; see top_down
  bool top_down = false;
  int bits = 0;
  uint32_t compression = BI_RGB;
  uint32_t colors_used = 0;
  std::array<uint32_t, 4> masks{};  // red, green, blue, alpha
  bool has_masks = false;
  size_t header_size = 0;
  size_t table_start = 0;  // after the header and any separate masks
  size_t entry_size = 4;
};

DibHeader ReadInfoHeader(std::span<const uint8_t> dib) {
  DibHeader h;
  h.header_size = U32(dib, 0);
  if (h.header_size < kCoreHeaderSize || h.header_size > dib.size()) Fail("Bitmap image is not valid");
  int planes = 0;
  if (h.header_size == kCoreHeaderSize) {
    h.width = U16(dib, 4);
    h.height = U16(dib, 6);
    planes = U16(dib, 8);
    h.bits = U16(dib, 10);
    h.entry_size = 3;
  } else {
    if (h.header_size < 16) Fail("Bitmap image is not valid");
    h.width = static_cast<int32_t>(U32(dib, 4));
    h.height = static_cast<int32_t>(U32(dib, 8));
    planes = U16(dib, 12);
    h.bits = U16(dib, 14);
    if (h.header_size >= 20) h.compression = U32(dib, 16);
    if (h.header_size >= 36) h.colors_used = U32(dib, 32);
    // The 64-byte OS/2 header uses 3 and 4 for its own Huffman and RLE24 codings.
    if (h.header_size == 64 && (h.compression == 3 || h.compression == 4))
      Fail("Unsupported bitmap compression");
    if (h.header_size >= 52) {
      h.masks = {U32(dib, 40), U32(dib, 44), U32(dib, 48), h.header_size >= 56 ? U32(dib, 52) : 0u};
    }
  }
  if (planes != 1) Fail("Bitmap image is not valid");
  if (h.height < 0) {
    h.top_down = true;
    h.height = -h.height;
  }
  if (h.width < 0) Fail("Bitmap image is not valid");
  CheckPictureSize(h.width, h.height);

  const int b = h.bits;
  if (b != 1 && b != 4 && b != 8 && b != 16 && b != 24 && b != 32) Fail("Unsupported bitmap pixel format");
  switch (h.compression) {
    case BI_RGB:
      break;
    case BI_RLE8:
      if (b != 8 || h.top_down) Fail("Bitmap image is not valid");
      break;
    case BI_RLE4:
      if (b != 4 || h.top_down) Fail("Bitmap image is not valid");
      break;
    case BI_BITFIELDS:
    case BI_ALPHABITFIELDS:
      if (b != 16 && b != 32) Fail("Bitmap image is not valid");
      h.has_masks = true;
      break;
    default:
      Fail("Unsupported bitmap compression");
  }
  h.table_start = h.header_size;
  if (h.has_masks && h.header_size < 52) {
    // Masks follow a 40-byte header: red, green, blue (and alpha for the alpha variant).
    const size_t n = h.compression == BI_ALPHABITFIELDS ? 4 : 3;
    for (size_t i = 0; i < n; ++i) h.masks[i] = U32(dib, h.header_size + 4 * i);
    h.table_start += 4 * n;
  }
  if (!h.has_masks) {
    if (b == 16) h.masks = {0x7C00, 0x03E0, 0x001F, 0};
    if (b == 32) h.masks = {0xFF0000, 0xFF00, 0xFF, 0};
  }
  if (h.colors_used > kMaxColorsUsed) Fail("Bitmap image is not valid");
  return h;
}

std::vector<TRGBQuad> ReadColorTable(std::span<const uint8_t> dib, const DibHeader& h, size_t pixelsAt) {
  if (h.bits > 8) return {};
  const size_t full = size_t{1} << h.bits;
  size_t count = h.colors_used == 0 ? full : std::min<size_t>(h.colors_used, full);
  // A table cut short by the pixel offset holds only the entries before the pixels.
  if (pixelsAt >= h.table_start) count = std::min(count, (pixelsAt - h.table_start) / h.entry_size);
  if (h.table_start + count * h.entry_size > dib.size()) Fail("Bitmap image is not valid");
  std::vector<TRGBQuad> colors(full);  // entries the file leaves out are black
  for (size_t i = 0; i < count; ++i) {
    const size_t at = h.table_start + i * h.entry_size;
    colors[i] = TRGBQuad{dib[at], dib[at + 1], dib[at + 2], 0};
  }
  return colors;
}

size_t TableBytes(const DibHeader& h) {
  if (h.bits <= 8) {
    const size_t full = size_t{1} << h.bits;
    return (h.colors_used == 0 ? full : h.colors_used) * h.entry_size;
  }
  return static_cast<size_t>(h.colors_used) * h.entry_size;
}

/// One bit-field channel: where it lies and how to widen it to 8 bits (scaled to the full
/// range and truncated, so that 5-bit 31 becomes 255 and 5-bit 16 becomes 131).
struct Channel {
  uint32_t mask = 0;
  int shift = 0;
  int bits = 0;
  uint8_t Extract(uint32_t pixel) const {
    if (bits == 0) return 0;
    const uint64_t v = (pixel & mask) >> shift;
    if (bits >= 8) return static_cast<uint8_t>(v >> (bits - 8));
    return static_cast<uint8_t>(v * 255 / ((1u << bits) - 1));
  }
  static Channel Of(uint32_t mask) {
    Channel c;
    if (mask == 0) return c;
    c.shift = std::countr_zero(mask);
    c.bits = std::countr_one(mask >> c.shift);
    c.mask = c.bits >= 32 ? 0xFFFFFFFFu : (((1u << c.bits) - 1) << c.shift);
    return c;
  }
};

void CopyRows(const uint8_t* src, int64_t srcStride, const DibHeader& h, TDibImage& out) {
  const int64_t rowBytes = std::min(srcStride, out.Stride());
  for (int64_t y = 0; y < h.height; ++y) {
    const int64_t destY = h.top_down ? y : h.height - 1 - y;
    std::memcpy(out.Row(static_cast<int32_t>(destY)), src + y * srcStride, static_cast<size_t>(rowBytes));
  }
}

/// Bit-field pixels whose layout is not one we keep as it is become 32-bit pixels.
void DecodeBitfields(const uint8_t* src, int64_t srcStride, const DibHeader& h, TDibImage& out) {
  const Channel r = Channel::Of(h.masks[0]);
  const Channel g = Channel::Of(h.masks[1]);
  const Channel b = Channel::Of(h.masks[2]);
  const Channel a = Channel::Of(h.masks[3]);
  const int bytes = h.bits / 8;
  for (int64_t y = 0; y < h.height; ++y) {
    const uint8_t* row = src + y * srcStride;
    uint8_t* dest = out.Row(static_cast<int32_t>(h.top_down ? y : h.height - 1 - y));
    for (int64_t x = 0; x < h.width; ++x) {
      const uint8_t* p = row + x * bytes;
      const uint32_t v = bytes == 2 ? static_cast<uint32_t>(p[0] | (p[1] << 8))
                                    : static_cast<uint32_t>(p[0] | (p[1] << 8) | (p[2] << 16)) |
                                          (static_cast<uint32_t>(p[3]) << 24);
      uint8_t* d = dest + x * 4;
      d[0] = b.Extract(v);
      d[1] = g.Extract(v);
      d[2] = r.Extract(v);
      d[3] = a.mask != 0 ? a.Extract(v) : 0;
    }
  }
}

/// Run-length pixels (8 or 4 bits): rows bottom-up; escapes end a line, end the picture or
/// move the position; pixels outside the picture are dropped, pixels never written stay 0.
void DecodeRle(std::span<const uint8_t> data, const DibHeader& h, std::vector<uint8_t>& indexes) {
  const int64_t w = h.width;
  const int64_t height = h.height;
  int64_t x = 0;
  int64_t y = 0;  // counted from the bottom row
  size_t pos = 0;
  const bool four = h.compression == BI_RLE4;
  auto put = [&](uint8_t index) {
    if (x < w && y < height) indexes[static_cast<size_t>((height - 1 - y) * w + x)] = index;
    ++x;
  };
  while (pos + 1 < data.size() && y < height) {
    const uint8_t count = data[pos];
    const uint8_t value = data[pos + 1];
    pos += 2;
    if (count > 0) {
      for (int i = 0; i < count; ++i) put(four ? ((i & 1) ? (value & 0x0F) : (value >> 4)) : value);
      continue;
    }
    if (value == 0) {  // end of line
      x = 0;
      ++y;
    } else if (value == 1) {  // end of picture
      break;
    } else if (value == 2) {  // delta
      if (pos + 1 >= data.size()) break;
      x += data[pos];
      y += data[pos + 1];
      pos += 2;
    } else {  // absolute run of `value` pixels, padded to a 16-bit boundary
      const size_t bytes = four ? (value + 1u) / 2u : value;
      if (pos + bytes > data.size()) Fail("Bitmap image is not valid");
      for (int i = 0; i < value; ++i) {
        const uint8_t byte = data[pos + (four ? static_cast<size_t>(i / 2) : static_cast<size_t>(i))];
        put(four ? ((i & 1) ? (byte & 0x0F) : (byte >> 4)) : byte);
      }
      pos += bytes + (bytes & 1);
    }
  }
}

void PackIndexes(const std::vector<uint8_t>& indexes, TDibImage& out) {
  for (int32_t y = 0; y < out.Height; ++y) {
    uint8_t* row = out.Row(y);
    for (int32_t x = 0; x < out.Width; ++x) {
      const uint8_t v =
          indexes[static_cast<size_t>(y) * static_cast<size_t>(out.Width) + static_cast<size_t>(x)];
      if (out.Bits == 8) {
        row[x] = v;
      } else if ((x & 1) == 0) {
        row[x / 2] = static_cast<uint8_t>((row[x / 2] & 0x0F) | (v << 4));
      } else {
        row[x / 2] = static_cast<uint8_t>((row[x / 2] & 0xF0) | (v & 0x0F));
      }
    }
  }
}

bool IsPlain32(const DibHeader& h) {
  return h.masks[0] == 0xFF0000 && h.masks[1] == 0xFF00 && h.masks[2] == 0xFF &&
         (h.masks[3] == 0 || h.masks[3] == 0xFF000000u);
}

}  // namespace

// ---------------------------------------------------------------------------------------

TDibImage TDibImage::Create(int32_t width, int32_t height, int bits, bool is565, std::vector<TRGBQuad> colors,
                            TRGBQuad fill) {
  CheckPictureSize(width, height);
  TDibImage image;
  image.Width = width;
  image.Height = height;
  image.Bits = bits;
  image.Is565 = bits == 16 && is565;
  if (bits <= 8) {
    image.Colors = colors.empty() ? DefaultColorTable(bits) : std::move(colors);
    image.Colors.resize(size_t{1} << bits);
  }
  image.Pixels.assign(static_cast<size_t>(image.Stride() * std::max(height, 0)), 0);
  if (height <= 0 || width <= 0) return image;
  for (int32_t x = 0; x < width; ++x) SetDibPixel(image, x, 0, fill);
  const size_t stride = static_cast<size_t>(image.Stride());
  for (int32_t y = 1; y < height; ++y) std::memcpy(image.Row(y), image.Row(0), stride);
  return image;
}

TRGBQuad DibPixel(const TDibImage& image, int32_t x, int32_t y) {
  if (x < 0 || y < 0 || x >= image.Width || y >= image.Height) return TRGBQuad{};
  const uint8_t* row = image.Row(y);
  auto indexed = [&](uint8_t i) {
    TRGBQuad c = i < image.Colors.size() ? image.Colors[i] : TRGBQuad{};
    c.rgbReserved = 255;
    return c;
  };
  switch (image.Bits) {
    case 1:
      return indexed((row[x / 8] >> (7 - x % 8)) & 1);
    case 4:
      return indexed((x & 1) ? (row[x / 2] & 0x0F) : (row[x / 2] >> 4));
    case 8:
      return indexed(row[x]);
    case 16: {
      const uint16_t v = static_cast<uint16_t>(row[2 * x] | (row[2 * x + 1] << 8));
      const Channel r = Channel::Of(image.Is565 ? 0xF800 : 0x7C00);
      const Channel g = Channel::Of(image.Is565 ? 0x07E0 : 0x03E0);
      const Channel b = Channel::Of(0x001F);
      return TRGBQuad{b.Extract(v), g.Extract(v), r.Extract(v), 255};
    }
    case 24:
      return TRGBQuad{row[3 * x], row[3 * x + 1], row[3 * x + 2], 255};
    default:
      return TRGBQuad{row[4 * x], row[4 * x + 1], row[4 * x + 2], row[4 * x + 3]};
  }
}

uint8_t NearestColorIndex(const std::vector<TRGBQuad>& colors, TRGBQuad color) {
  int best = 0;
  int bestDistance = 1 << 30;
  for (size_t i = 0; i < colors.size() && i < 256; ++i) {
    const TRGBQuad& c = colors[i];
    const int d = std::abs(c.rgbRed - color.rgbRed) + std::abs(c.rgbGreen - color.rgbGreen) +
                  std::abs(c.rgbBlue - color.rgbBlue);
    if (d < bestDistance) {
      bestDistance = d;
      best = static_cast<int>(i);
      if (d == 0) break;
    }
  }
  return static_cast<uint8_t>(best);
}

void SetDibPixel(TDibImage& image, int32_t x, int32_t y, TRGBQuad c) {
  if (x < 0 || y < 0 || x >= image.Width || y >= image.Height) return;
  uint8_t* row = image.Row(y);
  switch (image.Bits) {
    case 1: {
      const uint8_t bit = static_cast<uint8_t>(0x80 >> (x % 8));
      if (NearestColorIndex(image.Colors, c) != 0)
        row[x / 8] |= bit;
      else
        row[x / 8] &= static_cast<uint8_t>(~bit);
      break;
    }
    case 4: {
      const uint8_t i = NearestColorIndex(image.Colors, c);
      row[x / 2] = (x & 1) ? static_cast<uint8_t>((row[x / 2] & 0xF0) | i)
                           : static_cast<uint8_t>((row[x / 2] & 0x0F) | (i << 4));
      break;
    }
    case 8:
      row[x] = NearestColorIndex(image.Colors, c);
      break;
    case 16: {
      uint16_t v;
      if (image.Is565)
        v = static_cast<uint16_t>(((c.rgbRed >> 3) << 11) | ((c.rgbGreen >> 2) << 5) | (c.rgbBlue >> 3));
      else
        v = static_cast<uint16_t>(((c.rgbRed >> 3) << 10) | ((c.rgbGreen >> 3) << 5) | (c.rgbBlue >> 3));
      row[2 * x] = static_cast<uint8_t>(v);
      row[2 * x + 1] = static_cast<uint8_t>(v >> 8);
      break;
    }
    case 24:
      row[3 * x] = c.rgbBlue;
      row[3 * x + 1] = c.rgbGreen;
      row[3 * x + 2] = c.rgbRed;
      break;
    default:
      row[4 * x] = c.rgbBlue;
      row[4 * x + 1] = c.rgbGreen;
      row[4 * x + 2] = c.rgbRed;
      row[4 * x + 3] = c.rgbReserved;
      break;
  }
}

TDibImage ConvertDib(const TDibImage& image, int bits, bool is565, const std::vector<TRGBQuad>& colors) {
  std::vector<TRGBQuad> table = colors;
  if (bits <= 8 && table.empty()) table = image.Bits <= 8 ? image.Colors : DefaultColorTable(bits);
  TDibImage out = TDibImage::Create(image.Width, image.Height, bits, is565, table, TRGBQuad{});
  for (int32_t y = 0; y < image.Height; ++y)
    for (int32_t x = 0; x < image.Width; ++x) SetDibPixel(out, x, y, DibPixel(image, x, y));
  return out;
}

std::vector<TRGBQuad> DefaultColorTable(int bits) {
  static const std::array<TRGBQuad, 16> kVga = {{
      {0, 0, 0, 0},
      {0, 0, 128, 0},
      {0, 128, 0, 0},
      {0, 128, 128, 0},
      {128, 0, 0, 0},
      {128, 0, 128, 0},
      {128, 128, 0, 0},
      {192, 192, 192, 0},
      {128, 128, 128, 0},
      {0, 0, 255, 0},
      {0, 255, 0, 0},
      {0, 255, 255, 0},
      {255, 0, 0, 0},
      {255, 0, 255, 0},
      {255, 255, 0, 0},
      {255, 255, 255, 0},
  }};
  if (bits == 1) return {TRGBQuad{0, 0, 0, 0}, TRGBQuad{255, 255, 255, 0}};
  std::vector<TRGBQuad> table(kVga.begin(), kVga.end());
  if (bits == 4) return table;
  // Eight bits: the 16 colours above, a 6 x 6 x 6 colour cube and a grey ramp.
  for (int r = 0; r < 6; ++r)
    for (int g = 0; g < 6; ++g)
      for (int b = 0; b < 6; ++b)
        table.push_back(TRGBQuad{static_cast<uint8_t>(b * 51), static_cast<uint8_t>(g * 51),
                                 static_cast<uint8_t>(r * 51), 0});
  for (int i = 0; table.size() < 256; ++i) {
    const uint8_t v = static_cast<uint8_t>(8 + i * 10);
    table.push_back(TRGBQuad{v, v, v, 0});
  }
  return table;
}

// ---------------------------------------------------------------------------------------

TDibImage DecodePackedDib(std::span<const uint8_t> dib, std::optional<int64_t> bitsOffset) {
  const DibHeader h = ReadInfoHeader(dib);
  size_t pixelsAt = h.table_start + TableBytes(h);
  if (bitsOffset && *bitsOffset >= static_cast<int64_t>(h.table_start) &&
      *bitsOffset < static_cast<int64_t>(dib.size()))
    pixelsAt = static_cast<size_t>(*bitsOffset);
  const std::vector<TRGBQuad> colors = ReadColorTable(dib, h, pixelsAt);
  if (pixelsAt > dib.size()) Fail("Bitmap image is not valid");
  const std::span<const uint8_t> data = dib.subspan(pixelsAt);

  TDibImage out;
  out.Width = static_cast<int32_t>(h.width);
  out.Height = static_cast<int32_t>(h.height);
  out.Colors = colors;
  // 5-5-5, 5-6-5 and plain 32-bit pixels are kept as they are; other bit fields become
  // 32-bit pixels.
  const bool is555 = h.masks[0] == 0x7C00 && h.masks[1] == 0x03E0 && h.masks[2] == 0x001F;
  const bool is565 = h.masks[0] == 0xF800 && h.masks[1] == 0x07E0 && h.masks[2] == 0x001F;
  out.Bits = h.bits == 16 && !is555 && !is565 ? 32 : h.bits;
  out.Is565 = h.bits == 16 && is565;
  const bool raw = out.Bits == h.bits && (h.bits != 32 || IsPlain32(h));
  if (out.Empty()) return out;
  out.Pixels.assign(static_cast<size_t>(out.Stride() * out.Height), 0);

  if (h.compression == BI_RLE8 || h.compression == BI_RLE4) {
    std::vector<uint8_t> indexes(static_cast<size_t>(h.width * h.height), 0);
    DecodeRle(data, h, indexes);
    PackIndexes(indexes, out);
    return out;
  }
  const int64_t srcStride = TDibImage::StrideFor(h.width, h.bits);
  // The last row need not carry its padding.
  const int64_t needed = srcStride * (h.height - 1) + (h.width * h.bits + 7) / 8;
  if (static_cast<int64_t>(data.size()) < needed) Fail("Bitmap image is not valid");
  std::vector<uint8_t> padded;
  const uint8_t* src = data.data();
  if (static_cast<int64_t>(data.size()) < srcStride * h.height) {
    padded.assign(data.begin(), data.end());
    padded.resize(static_cast<size_t>(srcStride * h.height), 0);
    src = padded.data();
  }
  if (raw)
    CopyRows(src, srcStride, h, out);
  else
    DecodeBitfields(src, srcStride, h, out);
  return out;
}

TDibImage DecodeBitmapFile(std::span<const uint8_t> file) {
  if (file.size() < kFileHeaderSize + 4 || file[0] != 'B' || file[1] != 'M')
    Fail("Bitmap image is not valid");
  const int64_t offBits = U32(file, 10);
  return DecodePackedDib(file.subspan(kFileHeaderSize), offBits - static_cast<int64_t>(kFileHeaderSize));
}

std::vector<uint8_t> EncodeBitmapFile(const TDibImage& image) {
  const bool bitfields = image.Bits == 16 && image.Is565;
  const size_t table = image.Bits <= 8 ? image.Colors.size() : 0;
  const size_t headerEnd = kFileHeaderSize + kInfoHeaderSize + (bitfields ? 12 : 0) + table * 4;
  const int64_t stride = image.Stride();
  const int64_t bitsSize = stride * image.Height;
  std::vector<uint8_t> out;
  out.reserve(headerEnd + static_cast<size_t>(bitsSize));
  out.push_back('B');
  out.push_back('M');
  PutU32(out, static_cast<uint32_t>(headerEnd + static_cast<size_t>(bitsSize)));
  PutU32(out, 0);
  PutU32(out, static_cast<uint32_t>(headerEnd));
  PutU32(out, kInfoHeaderSize);
  PutU32(out, static_cast<uint32_t>(image.Width));
  PutU32(out, static_cast<uint32_t>(image.Height));
  PutU16(out, 1);
  PutU16(out, static_cast<uint16_t>(image.Bits));
  PutU32(out, bitfields ? BI_BITFIELDS : BI_RGB);
  PutU32(out, static_cast<uint32_t>(bitsSize));
  PutU32(out, 0);
  PutU32(out, 0);
  const bool fullTable = image.Bits <= 8 && table == (size_t{1} << image.Bits);
  PutU32(out, image.Bits <= 8 && !fullTable ? static_cast<uint32_t>(table) : 0);
  PutU32(out, 0);
  if (bitfields) {
    PutU32(out, 0xF800);
    PutU32(out, 0x07E0);
    PutU32(out, 0x001F);
  }
  for (size_t i = 0; i < table; ++i) {
    const TRGBQuad& c = image.Colors[i];
    out.push_back(c.rgbBlue);
    out.push_back(c.rgbGreen);
    out.push_back(c.rgbRed);
    out.push_back(0);
  }
  for (int32_t y = image.Height - 1; y >= 0; --y) {
    const uint8_t* row = image.Row(y);
    out.insert(out.end(), row, row + stride);
  }
  return out;
}
