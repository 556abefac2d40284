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
  bool HasPendingData() const { return pending_; }

 private:
  TStream& target_;
  std::array<uint8_t, 256> buffer_{};  // length byte, then up to 255 data bytes
  int buffer_count_ = 1;
  bool pending_ = false;
};

/// 8009 slots (a prime) mapping a 20-bit key (prefix code x 256 + pixel) to a 12-bit code.
class THashTable {
 public:
  static constexpr int kSize = 8009;
  THashTable() { Clear(); }
  void Clear() { slots_.fill(kEmpty); }
  void Insert(uint32_t key, int code);
  /// The code stored for `key`, or -1.
  int Lookup(uint32_t key) const;

 private:
  static constexpr uint32_t kEmpty = 0xFFFFFFFF;
  static int KeyToIndex(uint32_t key) { return static_cast<int>(((key >> 4) ^ key) % kSize); }
  /// The probe step for `key`: 1 to kSize - 1, so that the probe reaches every slot.
  static int Step(uint32_t key) { return 1 + static_cast<int>(key % (kSize - 1)); }
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
  uint32_t bit_bucket_ = 0;
  int bit_count_ = 0;
  TGIFWriter* writer_ = nullptr;
};

class TLZWEncoder : public TGIFEncoder {
 protected:
  void Output(int code) override;
  void Clear() override;
  void Compress() override;

 private:
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
