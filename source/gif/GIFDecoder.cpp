// The decoder reads a whole data sub-block at a time and writes each code's string straight
// into the frame's pixels, back to front, from a table that knows every string's length.
// A new sub-block is still fetched only when a code needs its bits, so the warnings, the
// errors and where a decoded frame leaves the stream are those of a decoder that reads the
// data byte by byte.
#include "gif/GIFDecoder.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <memory>
#include <optional>

#include "gif/GIFItems.h"

namespace {

constexpr int kTableSize = 4096;
constexpr int kMaxCodeSize = 12;
constexpr int kEndOfData = -1;

struct InterlacePass {
  int32_t firstRow;
  int32_t step;
};
constexpr std::array<InterlacePass, 4> kInterlacePasses{{{0, 8}, {4, 8}, {2, 4}, {1, 2}}};

/// Codes, least significant bit first, across data sub-blocks.
class BitReader {
 public:
  BitReader(TStream& stream, const TGIFWarningSink& warn) : stream_(stream), warn_(warn) {}

  /// A code of `size` bits, or kEndOfData when the data has run out.
  int Read(int size) {
    if (bit_count_ < size && !Refill(size)) {
      if (bit_count_ == 0 && terminator_seen_) warn_("Decoder bit buffer under-run");
      return kEndOfData;
    }
    const int code = static_cast<int>(bits_ & ((uint64_t{1} << size) - 1));
    bits_ >>= size;
    bit_count_ -= size;
    return code;
  }

  /// Moves past the rest of the data, up to and including the terminator.
  void SkipRest() {
    if (terminator_seen_ || stream_ended_) return;
    SkipSubBlocks(stream_);
    terminator_seen_ = true;
  }

 private:
  /// Takes bytes of the current sub-block into the bit buffer, fetching the next sub-block
  /// only while fewer than `size` bits are held; false when the data ends first.
  bool Refill(int size) {
    while (true) {
      while (at_ < size_ && bit_count_ <= 56) {
        bits_ |= static_cast<uint64_t>(block_[static_cast<size_t>(at_++)]) << bit_count_;
        bit_count_ += 8;
      }
      if (bit_count_ >= size) return true;
      if (!NextBlock()) return false;
    }
  }

  bool NextBlock() {
    while (at_ == size_) {
      if (terminator_seen_ || stream_ended_) return false;
      const std::optional<uint8_t> length = GIFReadByte(stream_);
      if (!length) {
        stream_ended_ = true;
        return false;
      }
      if (*length == 0) {
        terminator_seen_ = true;
        return false;
      }
      int64_t wanted = *length;
      if (stream_.Remaining() < wanted) {
        warn_("Premature end of data");
        wanted = stream_.Remaining();
        if (wanted == 0) stream_ended_ = true;
      }
      at_ = 0;
      size_ = static_cast<int>(std::max<int64_t>(stream_.Read(block_.data(), wanted), 0));
      if (size_ < wanted) stream_ended_ = true;
    }
    return true;
  }

  TStream& stream_;
  const TGIFWarningSink& warn_;
  uint64_t bits_ = 0;
  int bit_count_ = 0;
  std::array<uint8_t, 255> block_{};
  int at_ = 0;
  int size_ = 0;
  bool terminator_seen_ = false;
  bool stream_ended_ = false;
};

/// Where decoded pixels go: the rows of the frame in file order (the interlace passes for an
/// interlaced frame), as runs of contiguous bytes.
class PixelSink {
 public:
  /// `width` and `height` are above 0 and `pixels` holds them.
  PixelSink(std::span<uint8_t> pixels, int32_t width, int32_t height, bool interlaced)
      : pixels_(pixels), width_(width), height_(height), interlaced_(interlaced) {
    if (interlaced_) {
      StartRow();
    } else {
      // Rows without interlacing lie one after the other: the whole frame is one run.
      run_ = pixels_.data();
      run_left_ = static_cast<size_t>(width_) * static_cast<size_t>(height_);
    }
  }

  bool Full() const { return run_left_ == 0; }

  /// Room for `length` bytes in the current run, or null when the string crosses its end.
  uint8_t* Reserve(size_t length) {
    if (length > run_left_) return nullptr;
    uint8_t* at = run_;
    Advance(length);
    return at;
  }

  /// Copies `length` bytes across runs until the frame is full.
  void Write(const uint8_t* bytes, size_t length) {
    while (length > 0 && run_left_ > 0) {
      const size_t n = std::min(length, run_left_);
      std::memcpy(run_, bytes, n);
      bytes += n;
      length -= n;
      Advance(n);
    }
  }

 private:
  void Advance(size_t n) {
    run_ += n;
    run_left_ -= n;
    if (run_left_ == 0 && interlaced_) NextRow();
  }

  /// The next row of the interlace passes; the frame is full after the last one.
  void NextRow() {
    row_ += kInterlacePasses[static_cast<size_t>(pass_)].step;
    while (row_ >= height_) {
      if (++pass_ >= static_cast<int>(kInterlacePasses.size())) return;
      row_ = kInterlacePasses[static_cast<size_t>(pass_)].firstRow;
    }
    StartRow();
  }

  void StartRow() {
    run_ = pixels_.data() + static_cast<size_t>(row_) * static_cast<size_t>(width_);
    run_left_ = static_cast<size_t>(width_);
  }

  std::span<uint8_t> pixels_;
  int32_t width_;
  int32_t height_;
  bool interlaced_;
  int pass_ = 0;
  int32_t row_ = 0;
  uint8_t* run_ = nullptr;
  size_t run_left_ = 0;
};

/// The string table of one frame: for each code its prefix code, its last byte and the
/// length of its string.
struct LZWTable {
  std::array<uint16_t, kTableSize> prefix{};
  std::array<uint8_t, kTableSize> suffix{};
  std::array<uint16_t, kTableSize> length{};
  std::array<uint8_t, kTableSize> scratch{};    // a string that crosses the end of a run
  std::array<uint8_t, kTableSize + 1> stack{};  // a string walked in a damaged table
};

class LZWDecoder {
 public:
  LZWDecoder(TStream& stream, const TGIFWarningSink& warn, int minCodeSize)
      : reader_(stream, warn),
        min_code_size_(minCodeSize),
        clear_code_(1 << minCodeSize),
        end_code_((1 << minCodeSize) + 1),
        table_(std::make_unique<LZWTable>()) {
    for (int i = 0; i < clear_code_; ++i) {
      table_->suffix[static_cast<size_t>(i)] = static_cast<uint8_t>(i);
      table_->length[static_cast<size_t>(i)] = 1;
    }
  }

  /// Fills `sink` until it is full or the data ends; decoding starts as if the data began
  /// with a clear code.
  void Run(PixelSink& sink) {
    if (!Restart(sink)) return;
    while (!sink.Full()) {
      const int code = reader_.Read(code_size_);
      if (code < 0 || code == end_code_) return;
      if (code == clear_code_) {
        if (!Restart(sink)) return;
        continue;
      }
      // A code beyond the next free one is damage: it decodes as the next free code would,
      // and the table entries made after it may refer to codes not yet defined.
      if (code > first_free_ && !tolerant_) BecomeTolerant();
      if (tolerant_)
        EmitTolerant(code, sink);
      else
        Emit(code, sink);
    }
  }

  void SkipRest() { reader_.SkipRest(); }

 private:
  /// Resets the table and emits the first code after the clear code (after any further clear
  /// codes) as a pixel of its own value; false when the data ends there. A first code that is
  /// not a literal is damage, and the entries made after it refer to an undefined code.
  bool Restart(PixelSink& sink) {
    code_size_ = min_code_size_ + 1;
    code_limit_ = clear_code_ * 2;
    first_free_ = clear_code_ + 2;
    tolerant_ = false;
    int code = clear_code_;
    while (code == clear_code_) code = reader_.Read(code_size_);
    if (code < 0 || code == end_code_) return false;
    if (code > clear_code_) BecomeTolerant();
    previous_ = first_char_ = code;
    const auto literal = static_cast<uint8_t>(code);
    sink.Write(&literal, 1);
    return true;
  }

  /// From here to the next clear code strings are walked code by code: an undefined code
  /// reads as prefix 0 and suffix 0, and an entry may come to mean something else once a
  /// code it refers to gets defined, so no string length can be kept.
  void BecomeTolerant() {
    tolerant_ = true;
    LZWTable& t = *table_;
    // Codes up to the next free one are defined; those beyond it may hold an older table's.
    const auto from = static_cast<size_t>(first_free_);
    std::fill(t.prefix.begin() + static_cast<long>(from), t.prefix.end(), uint16_t{0});
    std::fill(t.suffix.begin() + static_cast<long>(from), t.suffix.end(), uint8_t{0});
  }

  /// Emit for a damaged table: walks the string of `code` (a code at or beyond the next free
  /// one stands for the previous string and its first byte) onto a bounded stack. A walk
  /// longer than the table is a loop of entries: "Circular decoder table entry".
  void EmitTolerant(int code, PixelSink& sink) {
    LZWTable& t = *table_;
    size_t top = 0;
    const auto push = [&](int value) {
      if (top >= t.stack.size()) throw GIFException("Circular decoder table entry");
      t.stack[top++] = static_cast<uint8_t>(value);
    };
    const int read = code;
    if (code >= first_free_) {
      push(first_char_);
      code = previous_;
    }
    while (code >= clear_code_) {
      push(t.suffix[static_cast<size_t>(code)]);
      if (t.prefix[static_cast<size_t>(code)] == code) throw GIFException("Circular decoder table entry");
      code = t.prefix[static_cast<size_t>(code)];
    }
    first_char_ = code;
    push(code);
    std::reverse(t.stack.begin(), t.stack.begin() + static_cast<long>(top));
    sink.Write(t.stack.data(), top);
    AddEntry();
    previous_ = read;
  }

  /// The next free code gets (previous code, first byte); the code size grows with the table.
  void AddEntry() {
    if (first_free_ >= kTableSize) return;
    LZWTable& t = *table_;
    const auto entry = static_cast<size_t>(first_free_);
    t.prefix[entry] = static_cast<uint16_t>(previous_);
    t.suffix[entry] = static_cast<uint8_t>(first_char_);
    if (!tolerant_) t.length[entry] = static_cast<uint16_t>(t.length[static_cast<size_t>(previous_)] + 1);
    ++first_free_;
    if (first_free_ >= code_limit_ && code_size_ < kMaxCodeSize) {
      code_limit_ *= 2;
      ++code_size_;
    }
  }

  /// Writes the string of `code` (a known code, or the next free one) and adds the table
  /// entry it implies.
  void Emit(int code, PixelSink& sink) {
    LZWTable& t = *table_;
    // The next free code stands for the previous string followed by its own first byte.
    const bool nextFree = code == first_free_;
    const int known = nextFree ? previous_ : code;
    const size_t length = t.length[static_cast<size_t>(known)] + (nextFree ? 1u : 0u);
    // Every entry extends an older one, so no string outgrows the table.
    if (length > t.scratch.size()) throw GIFException("Circular decoder table entry");
    uint8_t* out = sink.Reserve(length);
    uint8_t* const start = out ? out : t.scratch.data();
    uint8_t* p = start + length - 1;
    if (nextFree) *p-- = static_cast<uint8_t>(first_char_);
    int c = known;
    while (c >= clear_code_) {
      *p-- = t.suffix[static_cast<size_t>(c)];
      c = t.prefix[static_cast<size_t>(c)];
    }
    *p = static_cast<uint8_t>(c);
    first_char_ = c;
    if (!out) sink.Write(start, length);

    AddEntry();
    previous_ = code;
  }

  BitReader reader_;
  int min_code_size_;
  int clear_code_;
  int end_code_;
  int code_size_ = 0;
  int code_limit_ = 0;
  int first_free_ = 0;
  int previous_ = 0;
  int first_char_ = 0;
  bool tolerant_ = false;
  std::unique_ptr<LZWTable> table_;
};

}  // namespace

int DecodeGIFPixels(TStream& stream, std::span<uint8_t> pixels, int32_t width, int32_t height,
                    bool interlaced, const TGIFWarningSink& warn) {
  const std::optional<uint8_t> minCodeSize = GIFReadByte(stream);
  if (!minCodeSize) return 0;
  if (*minCodeSize < 1 || *minCodeSize > 11) throw GIFException("Invalid minimum code size");
  LZWDecoder decoder(stream, warn, *minCodeSize);
  if (width > 0 && height > 0 && pixels.size() >= static_cast<size_t>(width) * static_cast<size_t>(height)) {
    PixelSink sink(pixels, width, height, interlaced);
    decoder.Run(sink);
  }
  // Whatever the last code was, the stream moves past the rest of this frame's data.
  decoder.SkipRest();
  return *minCodeSize;
}
