#include "gif/GIFEncoder.h"

#include <algorithm>
#include <cstring>

#include "gif/GIFItems.h"

namespace {

constexpr int kMaxCodes = 4096;
constexpr int kLastCode = 4095;

}  // namespace

// ---------------------------------------------------------------------------------------

TGIFWriter::~TGIFWriter() {
  try {
    if (pending_) Flush();
  } catch (...) {
    // A failing target already reported its error to the encoder that used it.
  }
}

int64_t TGIFWriter::Read(void*, int64_t) {
  throw Exception("Invalid stream operation");
}

int64_t TGIFWriter::Seek(int64_t, TSeekOrigin) {
  throw Exception("Invalid stream operation");
}

void TGIFWriter::SetSize(int64_t) {
  throw Exception("Invalid stream operation");
}

int64_t TGIFWriter::Write(const void* buffer, int64_t count) {
  const auto* bytes = static_cast<const uint8_t*>(buffer);
  while (count > 0) {
    const int64_t room = static_cast<int64_t>(buffer_.size()) - buffer_count_;
    const int64_t n = std::min(count, room);
    std::memcpy(buffer_.data() + buffer_count_, bytes, static_cast<size_t>(n));
    pending_ = true;
    buffer_count_ += static_cast<int>(n);
    bytes += n;
    count -= n;
    if (buffer_count_ == static_cast<int>(buffer_.size())) Flush();
  }
  return bytes - static_cast<const uint8_t*>(buffer);
}

void TGIFWriter::Flush() {
  if (buffer_count_ > 1) {
    buffer_[0] = static_cast<uint8_t>(buffer_count_ - 1);
    target_.WriteBuffer(buffer_.data(), buffer_count_);
  }
  buffer_count_ = 1;
  pending_ = false;
}

// ---------------------------------------------------------------------------------------

void THashTable::Insert(uint32_t key, int code) {
  const int index = Find(key);
  if (index < 0) throw GIFException("Hash table full");
  Store(index, key, code);
}

int THashTable::Lookup(uint32_t key) const {
  const int index = Find(key);
  return index < 0 ? -1 : CodeAt(index);
}

// ---------------------------------------------------------------------------------------

void TGIFEncoder::Encode(TStream& stream, int bitsPerPixel, int colors, const uint8_t* data, bool interlace,
                         int32_t height, int32_t width) {
  bits_per_pixel_ = std::clamp(bitsPerPixel, 2, 8);
  const auto codeSize = static_cast<uint8_t>(bits_per_pixel_);
  stream.WriteBuffer(&codeSize, 1);

  initial_bits_per_code_ = bits_per_pixel_ + 1;
  bits_per_code_ = initial_bits_per_code_;
  max_code_ = (1 << bits_per_code_) - 1;
  clear_code_ = 1 << bits_per_pixel_;
  eof_code_ = clear_code_ + 1;
  base_code_ = clear_code_ + 2;
  clear_flag_ = false;
  bit_bucket_ = 0;
  bit_count_ = 0;

  data_ = data;
  pixel_ = data;
  colors_ = colors;
  width_ = width;
  height_ = height;
  interlace_ = interlace;
  count_ = interlace ? width : int64_t{width} * height;
  row_ = 0;
  pass_ = 0;
  step_ = 8;

  {
    TGIFWriter writer(stream);
    writer_ = &writer;
    struct Detach {
      TGIFWriter*& writer;
      ~Detach() { writer = nullptr; }
    } detach{writer_};
    if (data && width >= 1 && height >= 1) Compress();
    Output(eof_code_);
    writer.Flush();
  }
  const uint8_t terminator = 0;
  stream.WriteBuffer(&terminator, 1);
}

void TGIFEncoder::Output(int code) {
  PutCode(code);
  if (code == eof_code_ && bit_count_ > 0) {
    writer_->PutByte(static_cast<uint8_t>(bit_bucket_));
    bit_bucket_ = 0;
    bit_count_ = 0;
  }
}

void TGIFEncoder::Clear() {
  clear_flag_ = true;
  Output(clear_code_);
}

int TGIFEncoder::CurrentPixel() const {
  const int value = *pixel_;
  if (value >= colors_) throw GIFException("Color not in color table");
  return value;
}

bool TGIFEncoder::NextPixel() {
  if (--count_ > 0) {
    ++pixel_;
    return true;
  }
  if (!interlace_) return false;
  row_ += step_;
  while (row_ >= height_) {
    ++pass_;
    switch (pass_) {
      case 1:
        row_ = 4;
        step_ = 8;
        break;
      case 2:
        row_ = 2;
        step_ = 4;
        break;
      case 3:
        row_ = 1;
        step_ = 2;
        break;
      default:
        return false;
    }
  }
  pixel_ = data_ + static_cast<size_t>(row_) * static_cast<size_t>(width_);
  count_ = width_;
  return true;
}

// ---------------------------------------------------------------------------------------

void TLZWEncoder::Output(int code) {
  TGIFEncoder::Output(code);
  if (clear_flag_) {
    bits_per_code_ = initial_bits_per_code_;
    max_code_ = (1 << bits_per_code_) - 1;
    clear_flag_ = false;
  } else if (free_code_ > max_code_) {
    GrowCodeSize();
  }
}

void TLZWEncoder::GrowCodeSize() {
  ++bits_per_code_;
  max_code_ = bits_per_code_ >= 12 ? kMaxCodes : (1 << bits_per_code_) - 1;
}

void TLZWEncoder::Clear() {
  if (table_) table_->Clear();
  free_code_ = clear_code_ + 2;
  TGIFEncoder::Clear();
}

/// Clear without the virtual calls: the clear code, an empty table, the first code size.
void TLZWEncoder::Restart() {
  table_->Clear();
  free_code_ = clear_code_ + 2;
  PutCode(clear_code_);
  bits_per_code_ = initial_bits_per_code_;
  max_code_ = (1 << bits_per_code_) - 1;
}

void TLZWEncoder::Compress() {
  table_ = std::make_unique<THashTable>();
  struct FreeTable {
    std::unique_ptr<THashTable>& table;
    ~FreeTable() { table.reset(); }
  } freeTable{table_};
  THashTable& table = *table_;
  Restart();
  // The whole walk keeps its state in locals; only the string being extended (the prefix)
  // crosses from one run of pixels to the next.
  const int colors = Colors();
  int prefix = -1;
  ForEachRun([&](const uint8_t* pixel, const uint8_t* last) {
    if (pixel == last) return;
    if (prefix < 0) {
      if (*pixel >= colors) throw GIFException("Color not in color table");
      prefix = *pixel++;
    }
    int freeCode = free_code_;
    for (; pixel != last; ++pixel) {
      const int value = *pixel;
      if (value >= colors) {
        free_code_ = freeCode;
        throw GIFException("Color not in color table");
      }
      const uint32_t key = (static_cast<uint32_t>(prefix) << 8) | static_cast<uint32_t>(value);
      const int slot = table.Find(key);
      const int code = table.CodeAt(slot);
      if (code >= 0) {
        prefix = code;
        continue;
      }
      free_code_ = freeCode;
      Emit(prefix);
      prefix = value;
      if (freeCode >= kLastCode) {
        Restart();
        freeCode = free_code_;
      } else {
        table.Store(slot, key, freeCode++);
      }
    }
    free_code_ = freeCode;
  });
  if (prefix >= 0) Emit(prefix);
}

// ---------------------------------------------------------------------------------------

void TRLEEncoder::Clear() {
  bump_limit_ = bump_limit_init_;
  clear_limit_ = clear_limit_init_;
  codes_out_ = 0;
  table_run_ = 0;
  TGIFEncoder::Clear();
  bits_per_code_ = initial_bits_per_code_;
}

void TRLEEncoder::OutputCodeDirect(int code) {
  clear_flag_ = false;
  Output(code);
  ++codes_out_;
  if (codes_out_ >= bump_limit_) {
    ++bits_per_code_;
    bump_limit_ += 1 << (bits_per_code_ - 1);
  }
  if (codes_out_ >= clear_limit_) Clear();
}

int TRLEEncoder::IntegerSqrt(int x) {
  if (x < 2) return x;
  int r = 1;
  for (int v = x; v; v >>= 2) r <<= 1;
  while (true) {
    const int next = (x / r + r) / 2;
    if (next == r || next == r + 1) return r;
    r = next;
  }
}

int TRLEEncoder::RunCodeCost(int count, int repCodes) {
  int cost = 0;
  const int64_t perRep = int64_t{repCodes} * (repCodes + 1) / 2;
  while (count >= perRep) {
    cost += repCodes;
    count -= static_cast<int>(perRep);
  }
  if (count > 0) {
    int64_t n = IntegerSqrt(count);
    while (n * (n + 1) >= 2 * int64_t{count}) --n;
    while (n * (n + 1) < 2 * int64_t{count}) ++n;
    cost += static_cast<int>(n);
  }
  return cost;
}

void TRLEEncoder::FlushAfterClear(int count) {
  clear_limit_ = max_run_codes_;
  table_run_pixel_ = run_pixel_;
  int n = 1;
  while (count > 0) {
    if (n == 1) {
      table_run_ = 1;
      OutputPixel();
      --count;
    } else if (count >= n) {
      table_run_ = n;
      OutputCodeDirect(base_code_ + n - 2);
      count -= n;
    } else {
      ++table_run_;
      OutputCodeDirect(count == 1 ? run_pixel_ : base_code_ + count - 2);
      count = 0;
    }
    n = codes_out_ == 0 ? 1 : n + 1;
  }
  clear_limit_ = clear_limit_init_;
  if (codes_out_ >= clear_limit_) Clear();
}

void TRLEEncoder::FlushByClearOrRepeat(int count) {
  if (1 + RunCodeCost(count, max_run_codes_) < count) {
    Clear();
    FlushAfterClear(count);
  } else {
    for (; count > 0; --count) OutputPixel();
  }
}

void TRLEEncoder::FlushByTable(int count) {
  int repMax = count / table_run_;
  int leftOver = count % table_run_;
  int repLeft = leftOver ? 1 : 0;
  if (codes_out_ + repMax + repLeft > max_run_codes_) {
    repMax = max_run_codes_ - codes_out_;
    leftOver = count - repMax * table_run_;
    repLeft = 1 + RunCodeCost(leftOver, max_run_codes_);
  }
  if (1 + RunCodeCost(count, max_run_codes_) < repMax + repLeft) {
    Clear();
    FlushAfterClear(count);
    return;
  }
  clear_limit_ = max_run_codes_;
  for (; repMax > 0; --repMax) OutputCodeDirect(base_code_ + table_run_ - 2);
  if (leftOver) {
    if (clear_flag_)
      FlushAfterClear(leftOver);
    else
      OutputCodeDirect(leftOver == 1 ? run_pixel_ : base_code_ + leftOver - 2);
  }
  clear_limit_ = clear_limit_init_;
  if (codes_out_ >= clear_limit_) Clear();
}

void TRLEEncoder::Flush(int count) {
  if (count == 1)
    OutputPixel();
  else if (clear_flag_)
    FlushAfterClear(count);
  else if (table_run_ >= 2 && table_run_pixel_ == run_pixel_)
    FlushByTable(count);
  else
    FlushByClearOrRepeat(count);
}

void TRLEEncoder::Compress() {
  max_run_codes_ = kLastCode - base_code_;
  bump_limit_init_ = clear_code_ - 1;
  clear_limit_init_ = bits_per_pixel_ >= 4 ? bump_limit_init_ - 1 : 9;
  run_pixel_ = -1;
  run_length_ = 0;
  table_run_pixel_ = -1;
  Clear();
  do {
    const int pixel = CurrentPixel();
    if (run_length_ > 0 && pixel != run_pixel_) Flush(run_length_);
    if (pixel != run_pixel_) {
      run_pixel_ = pixel;
      run_length_ = 1;
    } else {
      ++run_length_;
    }
  } while (NextPixel());
  Flush(run_length_);
}

// ---------------------------------------------------------------------------------------

void EncodeGIFPixels(TStream& stream, int compression, int bitsPerPixel, int colors, const uint8_t* data,
                     bool interlace, int32_t height, int32_t width, const TGIFEncoderWarning& warn) {
  std::unique_ptr<TGIFEncoder> encoder;
  if (compression == 1)
    encoder = std::make_unique<TRLEEncoder>();
  else
    encoder = std::make_unique<TLZWEncoder>();
  encoder->OnGIFWarning = warn;
  encoder->Encode(stream, bitsPerPixel, colors, data, interlace, height, width);
}
