// Builders of GIF files for the GIF tests: a plain LZW encoder, data sub-blocks, and a file
// builder that writes header, colour tables, extensions and frames byte by byte. Also the
// bridge to an independent decoder (Pillow through Python) when it is installed.
#pragma once

#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <fstream>
#include <map>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

#include "gif/GIFImage.h"
#include "platform/core/Streams.h"

namespace giftest {

using Bytes = std::vector<uint8_t>;

struct RGB {
  uint8_t r = 0, g = 0, b = 0;
};

inline void Put16(Bytes& b, uint32_t v) {
  b.push_back(static_cast<uint8_t>(v));
  b.push_back(static_cast<uint8_t>(v >> 8));
}

/// Cuts `data` into sub-blocks of at most `block` bytes and adds the 0 terminator.
inline Bytes SubBlocks(const Bytes& data, size_t block = 255) {
  Bytes out;
  for (size_t i = 0; i < data.size(); i += block) {
    const size_t n = std::min(block, data.size() - i);
    out.push_back(static_cast<uint8_t>(n));
    out.insert(out.end(), data.begin() + static_cast<long>(i), data.begin() + static_cast<long>(i + n));
  }
  out.push_back(0);
  return out;
}

/// Packs codes least significant bit first.
struct BitWriter {
  Bytes out;
  uint32_t acc = 0;
  int count = 0;
  void Put(int code, int size) {
    acc |= static_cast<uint32_t>(code) << count;
    count += size;
    while (count >= 8) {
      out.push_back(static_cast<uint8_t>(acc));
      acc >>= 8;
      count -= 8;
    }
  }
  Bytes Finish() {
    if (count > 0) out.push_back(static_cast<uint8_t>(acc));
    acc = 0;
    count = 0;
    return out;
  }
};

/// Plain LZW as GIF uses it: a clear code first, the table grows to 4096 entries, then a
/// clear code starts over; ends with the end code. The code width follows the decoder,
/// which adds each entry one code later than the encoder (and none for the first code
/// after a clear code).
inline Bytes LzwEncode(const Bytes& pixels, int min_code_size) {
  const int clear = 1 << min_code_size;
  BitWriter w;
  std::map<std::pair<int, int>, int> table;
  int size = min_code_size + 1;
  int next = clear + 2;          // the encoder's next free code
  int decoder_next = clear + 2;  // the decoder's, one code behind
  bool first_after_clear = true;
  const auto emit = [&](int code) {
    w.Put(code, size);
    if (!first_after_clear && decoder_next < 4096) {
      ++decoder_next;
      if (decoder_next >= (1 << size) && size < 12) ++size;
    }
    first_after_clear = false;
  };
  const auto restart = [&] {
    w.Put(clear, size);
    table.clear();
    size = min_code_size + 1;
    next = decoder_next = clear + 2;
    first_after_clear = true;
  };
  restart();
  int prefix = -1;
  for (uint8_t p : pixels) {
    if (prefix < 0) {
      prefix = p;
      continue;
    }
    auto it = table.find({prefix, p});
    if (it != table.end()) {
      prefix = it->second;
      continue;
    }
    emit(prefix);
    if (next < 4096)
      table[{prefix, p}] = next++;
    else
      restart();
    prefix = p;
  }
  if (prefix >= 0) emit(prefix);
  w.Put(clear + 1, size);
  return w.Finish();
}

/// Rows reordered as an interlaced frame stores them.
inline Bytes Interlace(const Bytes& pixels, int width, int height) {
  Bytes out;
  const int passes[4][2] = {{0, 8}, {4, 8}, {2, 4}, {1, 2}};
  for (auto& pass : passes)
    for (int y = pass[0]; y < height; y += pass[1])
      out.insert(out.end(), pixels.begin() + y * width, pixels.begin() + (y + 1) * width);
  return out;
}

inline void PutTable(Bytes& b, const std::vector<RGB>& table) {
  for (const RGB& c : table) {
    b.push_back(c.r);
    b.push_back(c.g);
    b.push_back(c.b);
  }
}

/// Table size bits for a table of 2^(n+1) entries.
inline uint8_t SizeBits(size_t entries) {
  uint8_t n = 0;
  while ((size_t{2} << n) < entries) ++n;
  return n;
}

struct FrameSpec {
  int left = 0, top = 0, width = 0, height = 0;
  Bytes pixels;  // row by row
  std::vector<RGB> local;
  bool interlaced = false;
  int min_code_size = 2;
};

/// A GIF file written piece by piece.
struct GifBuilder {
  Bytes bytes;

  GifBuilder& Header(const char* version, int width, int height, const std::vector<RGB>& global = {},
                     uint8_t background = 0, uint8_t aspect = 0) {
    bytes.insert(bytes.end(), {'G', 'I', 'F'});
    bytes.insert(bytes.end(), version, version + 3);
    Put16(bytes, static_cast<uint32_t>(width));
    Put16(bytes, static_cast<uint32_t>(height));
    bytes.push_back(global.empty() ? 0 : static_cast<uint8_t>(0x80 | 0x70 | SizeBits(global.size())));
    bytes.push_back(background);
    bytes.push_back(aspect);
    PutTable(bytes, global);
    return *this;
  }
  GifBuilder& GraphicControl(uint8_t disposal, bool transparent, uint8_t index, uint16_t delay = 0) {
    bytes.insert(bytes.end(), {0x21, 0xF9, 4});
    bytes.push_back(static_cast<uint8_t>((disposal << 2) | (transparent ? 1 : 0)));
    Put16(bytes, delay);
    bytes.push_back(index);
    bytes.push_back(0);
    return *this;
  }
  GifBuilder& Extension(uint8_t label, const Bytes& head, const Bytes& data) {
    bytes.insert(bytes.end(), {0x21, label});
    bytes.insert(bytes.end(), head.begin(), head.end());
    const Bytes blocks = SubBlocks(data);
    bytes.insert(bytes.end(), blocks.begin(), blocks.end());
    return *this;
  }
  GifBuilder& Frame(const FrameSpec& f) {
    bytes.push_back(0x2C);
    Put16(bytes, static_cast<uint32_t>(f.left));
    Put16(bytes, static_cast<uint32_t>(f.top));
    Put16(bytes, static_cast<uint32_t>(f.width));
    Put16(bytes, static_cast<uint32_t>(f.height));
    uint8_t packed = f.interlaced ? 0x40 : 0;
    if (!f.local.empty()) packed |= static_cast<uint8_t>(0x80 | SizeBits(f.local.size()));
    bytes.push_back(packed);
    PutTable(bytes, f.local);
    bytes.push_back(static_cast<uint8_t>(f.min_code_size));
    const Bytes stored = f.interlaced ? Interlace(f.pixels, f.width, f.height) : f.pixels;
    const Bytes blocks = SubBlocks(LzwEncode(stored, f.min_code_size));
    bytes.insert(bytes.end(), blocks.begin(), blocks.end());
    return *this;
  }
  GifBuilder& Trailer() {
    bytes.push_back(0x3B);
    return *this;
  }
};

inline std::vector<RGB> Palette4() {
  return {{255, 0, 0}, {0, 255, 0}, {0, 0, 255}, {255, 255, 255}};
}

/// Loads the bytes into a new image, collecting warnings.
struct Loaded {
  TGIFImage image;
  std::vector<std::string> warnings;
  explicit Loaded(const Bytes& bytes) {
    image.OnGIFWarning = [this](TObject*, int, const std::string& m) { warnings.push_back(m); };
    TMemoryStream stream(std::string_view(reinterpret_cast<const char*>(bytes.data()), bytes.size()));
    image.LoadFromStream(stream);
  }
  bool Warned(const std::string& m) const {
    for (const auto& w : warnings)
      if (w == m) return true;
    return false;
  }
};

inline bool HavePillow() {
  return std::system("/usr/bin/python3 -c 'import PIL' >/dev/null 2>&1") == 0;
}

/// What a Python snippet prints about the GIF opened by Pillow as `im` (with `keepDecoded`,
/// Pillow keeps what it decoded of a frame it stops in, the rest 0); nothing when it cannot.
inline std::optional<Bytes> PillowOutput(const Bytes& gif, const std::string& code,
                                         bool keepDecoded = false) {
  char name[] = "/tmp/giftestXXXXXX";
  const int fd = mkstemp(name);
  if (fd < 0) return std::nullopt;
  close(fd);
  std::ofstream(name, std::ios::binary)
      .write(reinterpret_cast<const char*>(gif.data()), static_cast<std::streamsize>(gif.size()));
  const std::string command =
      std::string("/usr/bin/python3 -c \"import sys;from PIL import Image,ImageFile;") +
      (keepDecoded ? "ImageFile.LOAD_TRUNCATED_IMAGES=True;" : "") + "im=Image.open('" + name + "');" + code +
      "\"";
  FILE* pipe = popen(command.c_str(), "r");
  Bytes out;
  if (pipe) {
    int c;
    while ((c = fgetc(pipe)) != EOF) out.push_back(static_cast<uint8_t>(c));
    if (pclose(pipe) != 0) out.clear();
  }
  std::remove(name);
  if (out.empty()) return std::nullopt;
  return out;
}

/// The first frame's colour indices as Pillow reads them, or nothing when it cannot.
inline std::optional<Bytes> PillowIndices(const Bytes& gif, bool keepDecoded = false) {
  return PillowOutput(gif, "sys.stdout.buffer.write(bytes(im.getdata()))", keepDecoded);
}

inline Bytes FramePixels(TGIFSubImage& frame) {
  Bytes out;
  for (int y = 0; y < frame.Height(); ++y)
    out.insert(out.end(), frame.Scanline(y), frame.Scanline(y) + frame.Width());
  return out;
}

}  // namespace giftest
