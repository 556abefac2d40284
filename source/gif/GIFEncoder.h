// The pixel encoders that write a frame's colour indices as GIF image data: the minimum
// code size byte, LZW codes packed least significant bit first into data sub-blocks of at
// most 255 bytes, and a 0 length byte. Two encoders share that framing: a true LZW encoder
// with a hash table and a run-length encoder that only ever needs short table strings.
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "platform/core/Streams.h"

using TGIFEncoderWarning = std::function<void(const std::string& message)>;

/// Write-only stream that cuts what is written into data sub-blocks on a target stream.
/// Reading, seeking and resizing raise "Invalid stream operation".
class TGIFWriter : public TStream {
 public:
  explicit TGIFWriter(TStream& target) : target_(target) {}
  ~TGIFWriter() override;
  int64_t Read(void* buffer, int64_t count) override;
  int64_t Write(const void* buffer, int64_t count) override;
  int64_t Seek(int64_t offset, TSeekOrigin origin) override;
  void SetSize(int64_t size) override;
  /// Writes the buffered bytes as one sub-block (nothing when none are buffered).
  void Flush();
  void PutByte(uint8_t value) {
    pending_ = true;
    buffer_[static_cast<size_t>(buffer_count_++)] = value;
    if (buffer_count_ == static_cast<int>(buffer_.size())) Flush();
  }
  bool HasPendingData() const { return pending_; }

 private:
  TStream& target_;
  std::array<uint8_t, 256> buffer_{};  // length byte, then up to 255 data bytes
  int buffer_count_ = 1;
  bool pending_ = false;
};

/// 8192 slots mapping a 20-bit key (prefix code x 256 + pixel) to a 12-bit code. Probing
/// is linear, so it reaches every slot; the encoder never fills more than 4096 of them,
/// which keeps the probes short, and the index is a mask, which keeps the lookup (on which
/// every pixel waits) short too.
class THashTable {
 public:
  static constexpr int kSize = 8192;
  THashTable() { Clear(); }
  void Clear() { slots_.fill(kEmpty); }
  void Insert(uint32_t key, int code);
  /// The code stored for `key`, or -1.
  int Lookup(uint32_t key) const;

  /// The slot that holds `key`, else the empty slot where it would go; -1 when the table is
  /// full and does not hold it.
  int Find(uint32_t key) const {
    int index = KeyToIndex(key);
    for (int probes = 0; probes < kSize; ++probes) {
      const uint32_t entry = slots_[static_cast<size_t>(index)];
      if (entry == kEmpty || (entry >> 12) == key) return index;
      index = (index + 1) & (kSize - 1);
    }
    return -1;
  }
  /// The code in slot `index` (from Find), or -1 when the slot is empty.
  int CodeAt(int index) const {
    const uint32_t entry = slots_[static_cast<size_t>(index)];
    return entry == kEmpty ? -1 : static_cast<int>(entry & 0xFFF);
  }
  void Store(int index, uint32_t key, int code) {
    slots_[static_cast<size_t>(index)] = (key << 12) | static_cast<uint32_t>(code & 0xFFF);
  }

 private:
  static constexpr uint32_t kEmpty = 0xFFFFFFFF;
  static_assert((kSize & (kSize - 1)) == 0, "the index is masked");
  static int KeyToIndex(uint32_t key) { return static_cast<int>(((key >> 12) ^ key) & (kSize - 1)); }
  std::array<uint32_t, kSize> slots_;
};

/// Base of both encoders: code output, bit packing and the pixel walk (interlaced or not).
class TGIFEncoder {
 public:
  virtual ~TGIFEncoder() = default;
  TGIFEncoderWarning OnGIFWarning;
  /// Writes `data` (`width` x `height` colour indices, row by row) as image data. Every
  /// pixel must be below `colors`, else "Color not in color table" is raised.
  void Encode(TStream& stream, int bitsPerPixel, int colors, const uint8_t* data, bool interlace,
              int32_t height, int32_t width);

 protected:
  virtual void Output(int code);
  virtual void Clear();
  virtual void Compress() = 0;
  /// The current pixel, checked against the colour count.
  int CurrentPixel() const;
  /// Moves to the next pixel; false when there is none.
  bool NextPixel();
  /// Packs `code` with the current code size and passes whole bytes to the writer.
  void PutCode(int code) {
    bit_bucket_ |= static_cast<uint64_t>(code) << bit_count_;
    bit_count_ += bits_per_code_;
    while (bit_count_ >= 8) {
      writer_->PutByte(static_cast<uint8_t>(bit_bucket_));
      bit_bucket_ >>= 8;
      bit_count_ -= 8;
    }
  }
  /// Calls `run(first, last)` for the pixels in the order they are written: the whole image
  /// at once, or each row of the interlace passes.
  template <class Run>
  void ForEachRun(Run&& run) const {
    if (!interlace_) {
      run(data_, data_ + static_cast<size_t>(width_) * static_cast<size_t>(height_));
      return;
    }
    constexpr int kPasses[4][2] = {{0, 8}, {4, 8}, {2, 4}, {1, 2}};
    for (const auto& pass : kPasses)
      for (int32_t row = pass[0]; row < height_; row += pass[1]) {
        const uint8_t* first = data_ + static_cast<size_t>(row) * static_cast<size_t>(width_);
        run(first, first + width_);
      }
  }
  int Colors() const { return colors_; }

  int bits_per_code_ = 0;
  int initial_bits_per_code_ = 0;
  int max_code_ = 0;
  int clear_code_ = 0;
  int eof_code_ = 0;
  int base_code_ = 0;
  int bits_per_pixel_ = 0;
  bool clear_flag_ = false;

 private:
  const uint8_t* data_ = nullptr;
  const uint8_t* pixel_ = nullptr;
  int colors_ = 0;
  int32_t width_ = 0, height_ = 0;
  bool interlace_ = false;
  int64_t count_ = 0;
  int32_t row_ = 0;
  int step_ = 8;
  int pass_ = 0;
  uint64_t bit_bucket_ = 0;
  int bit_count_ = 0;
  TGIFWriter* writer_ = nullptr;
};

class TLZWEncoder : public TGIFEncoder {
 protected:
  void Output(int code) override;
  void Clear() override;
  void Compress() override;

 private:
  /// Output without the virtual call: the code, then the code size the next code needs.
  void Emit(int code) {
    PutCode(code);
    if (free_code_ > max_code_) GrowCodeSize();
  }
  void GrowCodeSize();
  void Restart();

  std::unique_ptr<THashTable> table_;
  int free_code_ = 0;
};

class TRLEEncoder : public TGIFEncoder {
 protected:
  void Clear() override;
  void Compress() override;

 private:
  void OutputCodeDirect(int code);
  void OutputPixel() { OutputCodeDirect(run_pixel_); }
  static int IntegerSqrt(int x);
  static int RunCodeCost(int count, int repCodes);
  void FlushAfterClear(int count);
  void FlushByClearOrRepeat(int count);
  void FlushByTable(int count);
  void Flush(int count);

  int max_run_codes_ = 0;
  int bump_limit_init_ = 0;
  int clear_limit_init_ = 0;
  int run_pixel_ = -1;
  int run_length_ = 0;
  int codes_out_ = 0;
  int bump_limit_ = 0;
  int clear_limit_ = 0;
  int table_run_ = 0;
  int table_run_pixel_ = -1;
};

/// Encodes with the run-length encoder when `compression` is 1, else with LZW.
void EncodeGIFPixels(TStream& stream, int compression, int bitsPerPixel, int colors, const uint8_t* data,
                     bool interlace, int32_t height, int32_t width, const TGIFEncoderWarning& warn);
