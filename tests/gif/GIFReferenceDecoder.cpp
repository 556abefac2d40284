// The plain LZW decoder the fast one is checked against: one pixel at a time through the
// output stack, one byte at a time from the stream. Kept only for the tests.
#include "GIFReferenceDecoder.h"

#include <algorithm>
#include <array>
#include <memory>
#include <optional>

#include "gif/GIFItems.h"

namespace {

constexpr int kTableSize = 4096;
constexpr int kMaxCodeSize = 12;
constexpr int kEndOfData = -1;
constexpr int kEndCode = -2;

struct InterlacePass {
  int32_t first_row;
  int32_t step;
};
constexpr std::array<InterlacePass, 4> kInterlacePasses{{{0, 8}, {4, 8}, {2, 4}, {1, 2}}};

/// Codes, least significant bit first, across data sub-blocks.
struct BitReader {
  TStream& stream;
  const TGIFWarningSink& warn;
  uint32_t bits = 0;
  int bit_count = 0;
  int block_left = 0;
  bool terminator_seen = false;
  bool stream_ended = false;

  /// The next byte of the data, or nothing at the terminator or the end of the stream.
  std::optional<uint8_t> NextByte() {
    while (block_left == 0) {
      if (terminator_seen || stream_ended) return std::nullopt;
      const std::optional<uint8_t> length = GIFReadByte(stream);
      if (!length) {
        stream_ended = true;
        return std::nullopt;
      }
      if (*length == 0) {
        terminator_seen = true;
        return std::nullopt;
      }
      block_left = *length;
      if (stream.Remaining() < block_left) {
        warn("Premature end of data");
        block_left = static_cast<int>(stream.Remaining());
        if (block_left == 0) stream_ended = true;
      }
    }
    --block_left;
    return GIFReadByte(stream);
  }

  /// A code of `size` bits, or kEndOfData when the data has run out.
  int Read(int size) {
    while (bit_count < size) {
      const std::optional<uint8_t> byte = NextByte();
      if (!byte) {
        if (bit_count == 0 && terminator_seen) warn("Decoder bit buffer under-run");
        return kEndOfData;
      }
      bits |= static_cast<uint32_t>(*byte) << bit_count;
      bit_count += 8;
    }
    const int code = static_cast<int>(bits & ((1u << size) - 1));
    bits >>= size;
    bit_count -= size;
    return code;
  }

  /// Moves past the rest of the data, up to and including the terminator.
  void SkipRest() {
    if (terminator_seen || stream_ended) return;
    stream.Seek(std::min<int64_t>(block_left, stream.Remaining()), soCurrent);
    block_left = 0;
    SkipSubBlocks(stream);
    terminator_seen = true;
  }
};

/// The decoding state of one frame: the string table and the output stack.
struct LZWContext {
  BitReader reader;
  int min_code_size;
  int clear_code;
  int end_code;
  int code_size = 0;
  int code_limit = 0;
  int first_free = 0;
  int previous = 0;
  int first_char = 0;
  bool started = false;
  std::array<uint16_t, kTableSize> prefix{};
  std::array<uint8_t, kTableSize> suffix{};
  std::array<uint8_t, kTableSize + 1> stack{};
  int stack_top = 0;

  LZWContext(TStream& stream, const TGIFWarningSink& warn, int size)
      : reader{stream, warn}, min_code_size(size), clear_code(1 << size), end_code((1 << size) + 1) {}

  void ResetTable() {
    for (int i = 0; i < kTableSize; ++i) {
      prefix[i] = 0;
      suffix[i] = i < clear_code ? static_cast<uint8_t>(i) : 0;
    }
    code_size = min_code_size + 1;
    code_limit = clear_code * 2;
    first_free = clear_code + 2;
  }

  void Push(int value) {
    if (stack_top >= static_cast<int>(stack.size())) throw GIFException("Circular decoder table entry");
    stack[static_cast<size_t>(stack_top++)] = static_cast<uint8_t>(value);
  }

  int NextCode() {
    if (!started) {
      // Decoding always begins as if the data started with a clear code.
      started = true;
      return clear_code;
    }
    return reader.Read(code_size);
  }

  /// Handles a clear code: the code after it (after any further clear codes) is the first
  /// pixel, whatever its value.
  int Restart() {
    ResetTable();
    int code = clear_code;
    while (code == clear_code) code = reader.Read(code_size);
    if (code < 0) return code;
    if (code == end_code) return kEndCode;
    previous = first_char = code;
    return code;
  }

  /// The next pixel value, or a negative value at the end of the data.
  int NextPixel() {
    if (stack_top > 0) return stack[static_cast<size_t>(--stack_top)];
    int code = NextCode();
    if (code < 0) return code;
    if (code == clear_code) return Restart();
    if (code == end_code) {
      reader.SkipRest();
      return kEndCode;
    }
    const int in_code = code;
    if (code >= first_free) {
      Push(first_char);
      code = previous;
    }
    while (code >= clear_code) {
      Push(suffix[static_cast<size_t>(code)]);
      if (prefix[static_cast<size_t>(code)] == code) throw GIFException("Circular decoder table entry");
      code = prefix[static_cast<size_t>(code)];
    }
    first_char = code;
    Push(code);
    if (first_free < kTableSize) {
      prefix[static_cast<size_t>(first_free)] = static_cast<uint16_t>(previous);
      suffix[static_cast<size_t>(first_free)] = static_cast<uint8_t>(first_char);
      ++first_free;
      if (first_free >= code_limit && code_size < kMaxCodeSize) {
        code_limit *= 2;
        ++code_size;
      }
    }
    previous = in_code;
    return stack[static_cast<size_t>(--stack_top)];
  }
};

/// Fills the rows of `pixels` in the given order until the data ends.
template <class RowOrder>
void DecodeRows(LZWContext& lzw, std::span<uint8_t> pixels, int32_t width, RowOrder&& rows) {
  bool ended = false;
  rows([&](int32_t row) {
    uint8_t* out = pixels.data() + static_cast<size_t>(row) * static_cast<size_t>(width);
    for (int32_t x = 0; x < width && !ended; ++x) {
      const int value = lzw.NextPixel();
      if (value < 0)
        ended = true;
      else
        out[x] = static_cast<uint8_t>(value);
    }
    return !ended;
  });
}

}  // namespace

int DecodeGIFPixelsReference(TStream& stream, std::span<uint8_t> pixels, int32_t width, int32_t height,
                             bool interlaced, const TGIFWarningSink& warn) {
  const std::optional<uint8_t> min_code_size = GIFReadByte(stream);
  if (!min_code_size) return 0;
  if (*min_code_size < 1 || *min_code_size > 11) throw GIFException("Invalid minimum code size");
  auto lzw = std::make_unique<LZWContext>(stream, warn, *min_code_size);
  if (width > 0 && height > 0 && pixels.size() >= static_cast<size_t>(width) * static_cast<size_t>(height)) {
    if (interlaced) {
      DecodeRows(*lzw, pixels, width, [height](auto&& row) {
        for (const InterlacePass& pass : kInterlacePasses)
          for (int32_t y = pass.first_row; y < height; y += pass.step)
            if (!row(y)) return;
      });
    } else {
      DecodeRows(*lzw, pixels, width, [height](auto&& row) {
        for (int32_t y = 0; y < height; ++y)
          if (!row(y)) return;
      });
    }
  }
  // Whatever the last code was, the stream moves past the rest of this frame's data.
  lzw->reader.SkipRest();
  return *min_code_size;
}
