// Byte streams: the abstract TStream with its buffer helpers, an in-memory stream, a file
// stream and a read-only stream over an embedded resource.
#pragma once

#include <cstdint>
#include <cstdio>
#include <span>
#include <string>
#include <string_view>
#include <vector>

enum TSeekOrigin { soBeginning = 0, soCurrent = 1, soEnd = 2 };

class TStream {
 public:
  virtual ~TStream() = default;

  /// Reads up to `count` bytes; returns how many were read (0 at the end).
  virtual int64_t Read(void* buffer, int64_t count) = 0;
  /// Writes up to `count` bytes; returns how many were written.
  virtual int64_t Write(const void* buffer, int64_t count) = 0;
  /// Moves the position and returns the new one. Positions below 0 are clamped to 0.
  virtual int64_t Seek(int64_t offset, TSeekOrigin origin) = 0;
  virtual void SetSize(int64_t size);

  int64_t Position() { return Seek(0, soCurrent); }
  void SetPosition(int64_t pos) { Seek(pos, soBeginning); }
  virtual int64_t Size();
  /// Bytes between the position and the end (never negative).
  int64_t Remaining();

  /// Reads exactly `count` bytes or raises EReadError ("Stream read error").
  void ReadBuffer(void* buffer, int64_t count);
  /// Writes exactly `count` bytes or raises EWriteError ("Stream write error").
  void WriteBuffer(const void* buffer, int64_t count);
  void WriteBuffer(std::string_view bytes) { WriteBuffer(bytes.data(), static_cast<int64_t>(bytes.size())); }

  /// Copies `count` bytes from the source's position; a count of 0 copies the whole source
  /// from its start. Returns the number of bytes copied; a short source raises EReadError.
  int64_t CopyFrom(TStream& source, int64_t count);

  /// The `count` bytes at the position, lent from memory the stream holds, or null when the
  /// stream cannot lend them all (the default). The position does not move; the bytes stay
  /// valid until the stream is changed.
  virtual const uint8_t* PeekMemory(int64_t count);
  /// Room for `count` bytes at the position in memory the stream holds (the stream grows to
  /// hold them), or null when the stream has no such memory (the default). The position
  /// does not move; what is put there is the stream's content.
  virtual uint8_t* ReserveMemory(int64_t count);
};

/// Writes `count` bytes of `from`, transformed, to `to`; `from` and `to` are either the same
/// or do not overlap.
using TChunkTransform = void (*)(const uint8_t* from, uint8_t* to, size_t count);

/// The copy loop behind TStream::CopyFrom: copies `count` bytes (0 = the whole source from
/// its start) in chunks of at most `chunk` bytes, calling `transform` (may be null) on each
/// chunk on its way. Streams that lend their memory are copied in one pass without a buffer.
int64_t CopyStreamChunks(TStream& dest, TStream& source, int64_t count, int64_t chunk,
                         TChunkTransform transform);

/// The bytes from the stream's position to its end, lent from the stream's memory when it
/// can lend them (valid until the stream changes), else read into `storage`. The position
/// moves to the end.
std::string_view ReadRest(TStream& stream, std::string& storage);

/// A growable stream in memory.
class TMemoryStream : public TStream {
 public:
  TMemoryStream() = default;
  explicit TMemoryStream(std::string_view bytes);
  TMemoryStream(const TMemoryStream& other);
  TMemoryStream& operator=(const TMemoryStream& other);
  TMemoryStream(TMemoryStream&& other) noexcept;
  TMemoryStream& operator=(TMemoryStream&& other) noexcept;
  ~TMemoryStream() override;

  int64_t Read(void* buffer, int64_t count) override;
  int64_t Write(const void* buffer, int64_t count) override;
  int64_t Seek(int64_t offset, TSeekOrigin origin) override;
  void SetSize(int64_t size) override;
  int64_t Size() override { return static_cast<int64_t>(size_); }
  const uint8_t* PeekMemory(int64_t count) override;
  uint8_t* ReserveMemory(int64_t count) override;

  void Clear();
  uint8_t* Memory() { return data_; }
  const uint8_t* Memory() const { return data_; }
  std::span<const uint8_t> Bytes() const { return {data_, size_}; }
  /// The whole content as a byte string.
  std::string DataString() const { return std::string(reinterpret_cast<const char*>(data_), size_); }
  void LoadFromStream(TStream& source);
  void SaveToStream(TStream& dest) const;
  void LoadFromFile(const std::string& fileName);
  /// Writes the content as the file `fileName`; EFCreateError or EWriteError, with the
  /// system's reason, when the file cannot be created or written whole.
  void SaveToFile(const std::string& fileName) const;

 private:
  /// Makes room for `size` bytes. The buffer grows by half again its capacity through
  /// realloc, which moves a large buffer by remapping its pages instead of copying them
  /// into freshly faulted ones.
  void Grow(size_t size);
  /// Sets the size; new bytes are zero.
  void Resize(size_t size);

  uint8_t* data_ = nullptr;
  size_t size_ = 0;
  size_t capacity_ = 0;
  int64_t position_ = 0;
};

/// A read-only stream over bytes that live elsewhere (for example an embedded resource).
class TBytesStream : public TStream {
 public:
  TBytesStream(const uint8_t* data, int64_t size) : data_(data), size_(size) {}
  int64_t Read(void* buffer, int64_t count) override;
  int64_t Write(const void* buffer, int64_t count) override;
  int64_t Seek(int64_t offset, TSeekOrigin origin) override;
  int64_t Size() override { return size_; }
  const uint8_t* PeekMemory(int64_t count) override;

 private:
  const uint8_t* data_;
  int64_t size_;
  int64_t position_ = 0;
};

// File open modes, as the class library combines them.
constexpr unsigned fmOpenRead = 0x0000;
constexpr unsigned fmOpenWrite = 0x0001;
constexpr unsigned fmOpenReadWrite = 0x0002;
constexpr unsigned fmShareDenyWrite = 0x0020;
constexpr unsigned fmShareDenyNone = 0x0040;
constexpr unsigned fmCreate = 0xFF00;

/// A stream over a file. Opening failures raise EFOpenError / EFCreateError with the
/// file name in the message (and as FileName, with the errno value as SystemError). A signal
/// that is to end the program ends a wait in opening, reading or writing (EndIfSignalled).
class TFileStream : public TStream {
 public:
  TFileStream(const std::string& fileName, unsigned mode);
  /// Takes over `handle`, a descriptor of `fileName` open for reading or writing.
  TFileStream(int handle, const std::string& fileName) : file_name_(fileName), fd_(handle) {}
  ~TFileStream() override;
  TFileStream(const TFileStream&) = delete;
  TFileStream& operator=(const TFileStream&) = delete;

  int64_t Read(void* buffer, int64_t count) override;
  int64_t Write(const void* buffer, int64_t count) override;
  int64_t Seek(int64_t offset, TSeekOrigin origin) override;
  void SetSize(int64_t size) override;
  const std::string& FileName() const { return file_name_; }
  /// The errno value of the last write that fell short (ENOSPC when the system wrote
  /// nothing and said nothing), 0 before any did.
  int WriteError() const { return write_error_; }

 private:
  std::string file_name_;
  int fd_ = -1;
  int write_error_ = 0;
};
