#include "platform/core/Streams.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <new>
#include <utility>

#include "platform/core/Exceptions.h"
#include "platform/core/MemoryReserve.h"
#include "platform/core/SignalCleanup.h"

namespace {
constexpr int64_t kCopyChunk = 61440;

/// `what` "name". reason, with the file and the errno value kept beside the message.
template <typename E>
E FileError(const char* what, const std::string& fileName, int error) {
  return E(std::string(what) + " \"" + fileName + "\". " + std::strerror(error), fileName, error);
}

int64_t ResolveSeek(int64_t offset, TSeekOrigin origin, int64_t position, int64_t size) {
  int64_t base = 0;
  if (origin == soCurrent) base = position;
  if (origin == soEnd) base = size;
  const int64_t target = base + offset;
  return target < 0 ? 0 : target;
}
}  // namespace

void TStream::SetSize(int64_t) {
  throw EStreamError("Stream size cannot be changed");
}

int64_t TStream::Size() {
  const int64_t pos = Seek(0, soCurrent);
  const int64_t size = Seek(0, soEnd);
  Seek(pos, soBeginning);
  return size;
}

int64_t TStream::Remaining() {
  const int64_t left = Size() - Position();
  return left < 0 ? 0 : left;
}

void TStream::ReadBuffer(void* buffer, int64_t count) {
  if (count < 0) throw EReadError("Stream read error");
  if (count != 0 && Read(buffer, count) != count) throw EReadError("Stream read error");
}

void TStream::WriteBuffer(const void* buffer, int64_t count) {
  if (count < 0) throw EWriteError("Stream write error");
  if (count != 0 && Write(buffer, count) != count) throw EWriteError("Stream write error");
}

int64_t TStream::CopyFrom(TStream& source, int64_t count) {
  return CopyStreamChunks(*this, source, count, kCopyChunk, nullptr);
}

const uint8_t* TStream::PeekMemory(int64_t) {
  return nullptr;
}

uint8_t* TStream::ReserveMemory(int64_t) {
  return nullptr;
}

namespace {

void TransformChunks(const uint8_t* from, uint8_t* to, int64_t count, int64_t chunk,
                     TChunkTransform transform) {
  if (!transform) {
    std::memcpy(to, from, static_cast<size_t>(count));
    return;
  }
  for (int64_t done = 0; done < count; done += chunk)
    transform(from + done, to + done, static_cast<size_t>(std::min(chunk, count - done)));
}

}  // namespace

int64_t CopyStreamChunks(TStream& dest, TStream& source, int64_t count, int64_t chunk,
                         TChunkTransform transform) {
  if (count == 0) {
    source.SetPosition(0);
    count = source.Size();
  }
  if (count < 0 || chunk <= 0) throw EReadError("Stream read error");
  const int64_t total = count;
  if (count == 0) return 0;
  if (&source != &dest) {
    const bool lent = source.PeekMemory(count) != nullptr;
    // A source that cannot lend its bytes is read straight into the destination's memory,
    // but only when it holds them all: a short source must not make the destination grow.
    if (lent || count <= source.Remaining()) {
      // The destination may move its memory while it grows, so it comes first.
      if (uint8_t* to = dest.ReserveMemory(count)) {
        if (lent) {
          TransformChunks(source.PeekMemory(count), to, count, chunk, transform);
          source.Seek(count, soCurrent);
        } else {
          source.ReadBuffer(to, count);
          if (transform) TransformChunks(to, to, count, chunk, transform);
        }
        dest.Seek(count, soCurrent);
        return total;
      }
    }
  }
  std::vector<uint8_t> buffer(static_cast<size_t>(std::min(count, chunk)));
  while (count > 0) {
    const int64_t n = std::min(count, chunk);
    source.ReadBuffer(buffer.data(), n);
    if (transform) transform(buffer.data(), buffer.data(), static_cast<size_t>(n));
    dest.WriteBuffer(buffer.data(), n);
    count -= n;
  }
  return total;
}

std::string_view ReadRest(TStream& stream, std::string& storage) {
  const int64_t size = stream.Remaining();
  if (size == 0) return {};
  if (const uint8_t* lent = stream.PeekMemory(size)) {
    stream.Seek(size, soCurrent);
    return {reinterpret_cast<const char*>(lent), static_cast<size_t>(size)};
  }
  storage.resize(static_cast<size_t>(size));
  stream.ReadBuffer(storage.data(), size);
  return storage;
}

// ---------------------------------------------------------------------------------------

TMemoryStream::TMemoryStream(std::string_view bytes) {
  Resize(bytes.size());
  if (!bytes.empty()) std::memcpy(data_, bytes.data(), bytes.size());
}

TMemoryStream::TMemoryStream(const TMemoryStream& other) : TStream() {
  *this = other;
}

TMemoryStream& TMemoryStream::operator=(const TMemoryStream& other) {
  if (this == &other) return *this;
  Resize(other.size_);
  if (other.size_ != 0) std::memcpy(data_, other.data_, other.size_);
  position_ = other.position_;
  return *this;
}

TMemoryStream::TMemoryStream(TMemoryStream&& other) noexcept
    : data_(std::exchange(other.data_, nullptr)),
      size_(std::exchange(other.size_, 0)),
      capacity_(std::exchange(other.capacity_, 0)),
      position_(std::exchange(other.position_, 0)) {}

TMemoryStream& TMemoryStream::operator=(TMemoryStream&& other) noexcept {
  if (this == &other) return *this;
  std::free(data_);
  data_ = std::exchange(other.data_, nullptr);
  size_ = std::exchange(other.size_, 0);
  capacity_ = std::exchange(other.capacity_, 0);
  position_ = std::exchange(other.position_, 0);
  return *this;
}

TMemoryStream::~TMemoryStream() {
  std::free(data_);
}

void TMemoryStream::Grow(size_t size) {
  if (size <= capacity_) return;
  const size_t capacity = std::max({size, capacity_ + capacity_ / 2, size_t{64}});
  auto* moved = static_cast<uint8_t*>(std::realloc(data_, capacity));
  if (moved == nullptr) RaiseOutOfMemory();
  data_ = moved;
  capacity_ = capacity;
}

void TMemoryStream::Resize(size_t size) {
  Grow(size);
  if (size > size_) std::memset(data_ + size_, 0, size - size_);
  size_ = size;
}

int64_t TMemoryStream::Read(void* buffer, int64_t count) {
  if (count <= 0 || position_ >= Size()) return 0;
  const int64_t n = std::min(count, Size() - position_);
  std::memcpy(buffer, data_ + position_, static_cast<size_t>(n));
  position_ += n;
  return n;
}

int64_t TMemoryStream::Write(const void* buffer, int64_t count) {
  if (count <= 0) return 0;
  const int64_t end = position_ + count;
  if (end > Size()) {
    // Only a gap left by seeking past the end needs zeros; the rest is written at once.
    Grow(static_cast<size_t>(end));
    if (position_ > Size()) std::memset(data_ + size_, 0, static_cast<size_t>(position_) - size_);
    size_ = static_cast<size_t>(end);
  }
  std::memcpy(data_ + position_, buffer, static_cast<size_t>(count));
  position_ = end;
  return count;
}

int64_t TMemoryStream::Seek(int64_t offset, TSeekOrigin origin) {
  position_ = ResolveSeek(offset, origin, position_, Size());
  return position_;
}

const uint8_t* TMemoryStream::PeekMemory(int64_t count) {
  if (count < 0 || count > Size() - position_) return nullptr;
  return data_ + position_;
}

uint8_t* TMemoryStream::ReserveMemory(int64_t count) {
  if (count < 0) return nullptr;
  if (position_ + count > Size()) Resize(static_cast<size_t>(position_ + count));
  return data_ + position_;
}

void TMemoryStream::SetSize(int64_t size) {
  Resize(static_cast<size_t>(std::max<int64_t>(size, 0)));
  if (position_ > Size()) position_ = Size();
}

void TMemoryStream::Clear() {
  std::free(data_);
  data_ = nullptr;
  size_ = capacity_ = 0;
  position_ = 0;
}

void TMemoryStream::LoadFromStream(TStream& source) {
  source.SetPosition(0);
  const int64_t size = source.Size();
  SetSize(size);
  source.ReadBuffer(data_, size);
  position_ = 0;
}

void TMemoryStream::SaveToStream(TStream& dest) const {
  dest.WriteBuffer(data_, static_cast<int64_t>(size_));
}

void TMemoryStream::LoadFromFile(const std::string& fileName) {
  TFileStream f(fileName, fmOpenRead | fmShareDenyWrite);
  LoadFromStream(f);
}

void TMemoryStream::SaveToFile(const std::string& fileName) const {
  TFileStream f(fileName, fmCreate);
  const auto size = static_cast<int64_t>(size_);
  if (f.Write(data_, size) != size)
    throw FileError<EWriteError>("Cannot write file", fileName, f.WriteError());
}

// ---------------------------------------------------------------------------------------

int64_t TBytesStream::Read(void* buffer, int64_t count) {
  if (count <= 0 || position_ >= size_) return 0;
  const int64_t n = std::min(count, size_ - position_);
  std::memcpy(buffer, data_ + position_, static_cast<size_t>(n));
  position_ += n;
  return n;
}

const uint8_t* TBytesStream::PeekMemory(int64_t count) {
  if (count < 0 || count > size_ - position_) return nullptr;
  return data_ + position_;
}

int64_t TBytesStream::Write(const void*, int64_t) {
  throw EStreamError("Can't write to a read-only stream");
}

int64_t TBytesStream::Seek(int64_t offset, TSeekOrigin origin) {
  position_ = ResolveSeek(offset, origin, position_, size_);
  return position_;
}

// ---------------------------------------------------------------------------------------

TFileStream::TFileStream(const std::string& fileName, unsigned mode) : file_name_(fileName) {
  if (mode == fmCreate || (mode & 0xFF00) == fmCreate) {
    fd_ = ::open(fileName.c_str(), O_RDWR | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
    if (fd_ < 0) throw FileError<EFCreateError>("Cannot create file", fileName, errno);
    return;
  }
  int flags = O_RDONLY;
  if ((mode & 3) == fmOpenWrite) flags = O_WRONLY;
  if ((mode & 3) == fmOpenReadWrite) flags = O_RDWR;
  fd_ = ::open(fileName.c_str(), flags | O_CLOEXEC);
  if (fd_ < 0 && errno == EINTR) EndIfSignalled();
  if (fd_ < 0) throw FileError<EFOpenError>("Cannot open file", fileName, errno);
  struct stat st {};
  if (::fstat(fd_, &st) == 0 && S_ISDIR(st.st_mode)) {
    ::close(fd_);
    fd_ = -1;
    throw FileError<EFOpenError>("Cannot open file", fileName, EISDIR);
  }
}

TFileStream::~TFileStream() {
  if (fd_ >= 0) ::close(fd_);
}

int64_t TFileStream::Read(void* buffer, int64_t count) {
  int64_t done = 0;
  auto* p = static_cast<uint8_t*>(buffer);
  while (done < count) {
    EndIfSignalled();  // a signal may have cut the last wait short
    const ssize_t n = ::read(fd_, p + done, static_cast<size_t>(count - done));
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) break;
    done += n;
  }
  return done;
}

int64_t TFileStream::Write(const void* buffer, int64_t count) {
  int64_t done = 0;
  const auto* p = static_cast<const uint8_t*>(buffer);
  while (done < count) {
    EndIfSignalled();  // a signal may have cut the last wait short
    const ssize_t n = ::write(fd_, p + done, static_cast<size_t>(count - done));
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) {
      write_error_ = n < 0 ? errno : ENOSPC;
      break;
    }
    done += n;
  }
  return done;
}

int64_t TFileStream::Seek(int64_t offset, TSeekOrigin origin) {
  const int whence = origin == soBeginning ? SEEK_SET : (origin == soCurrent ? SEEK_CUR : SEEK_END);
  off_t r = ::lseek(fd_, static_cast<off_t>(offset), whence);
  if (r < 0) r = ::lseek(fd_, 0, SEEK_SET);
  return static_cast<int64_t>(r);
}

void TFileStream::SetSize(int64_t size) {
  if (::ftruncate(fd_, static_cast<off_t>(std::max<int64_t>(size, 0))) != 0)
    throw EStreamError("Cannot set the size of \"" + file_name_ + "\"");
  if (Position() > size) Seek(0, soEnd);
}
