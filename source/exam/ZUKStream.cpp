#include "exam/ZUKStream.h"

#include <array>
#include <cstring>
#include <limits>

#include "platform/core/ComponentStreaming.h"
#include "platform/core/Exceptions.h"

namespace {

// The XOR key of byte i is i mod 256, so one 256-byte table holds the key of every block
// of 256 bytes; the transform runs sixteen bytes at a time against it.
struct KeyTable {
  alignas(16) std::array<uint8_t, 256> bytes{};
  KeyTable() {
    for (int i = 0; i < 256; ++i) bytes[static_cast<size_t>(i)] = static_cast<uint8_t>(i);
  }
};
const KeyTable kKeys;

using Lanes = uint8_t __attribute__((vector_size(16)));

/// Writes byte i of `from` XORed with i mod 256 to `to`; `from` may be `to`.
void XorIndex(const uint8_t* from, uint8_t* to, size_t count) {
  size_t i = 0;
  for (; i + 256 <= count; i += 256) {
    for (size_t k = 0; k < 256; k += 16) {
      Lanes data;
      Lanes key;
      std::memcpy(&data, from + i + k, sizeof data);
      std::memcpy(&key, kKeys.bytes.data() + k, sizeof key);
      data ^= key;
      std::memcpy(to + i + k, &data, sizeof data);
    }
  }
  for (; i < count; ++i) to[i] = static_cast<uint8_t>(from[i] ^ static_cast<uint8_t>(i));
}

void XorIndex(uint8_t* buffer, size_t count) {
  XorIndex(buffer, buffer, count);
}

int64_t CopyTransformed(TStream& dest, TStream& source, int64_t count) {
  return CopyStreamChunks(dest, source, count, kScrambleChunkSize, XorIndex);
}

// Reads `size` bytes, or gives zeros and moves to the end when fewer are left.
template <typename T>
T ReadValue(TStream& stream) {
  T value{};
  uint8_t raw[sizeof(T)];
  if (stream.Read(raw, sizeof(T)) != static_cast<int64_t>(sizeof(T))) {
    stream.Seek(0, soEnd);
    return T{};
  }
  std::memcpy(&value, raw, sizeof(T));
  return value;
}

void Skip(TStream& stream, int64_t count) {
  if (count > stream.Remaining()) throw EReadError("Stream read error");
  stream.Seek(count, soCurrent);
}

/// Reads a length prefix and checks that its body fits in what is left of the stream.
int32_t ReadCheckedLength(TStream& stream) {
  const int32_t n = ReadInt32(stream);
  if (n > 0 && n > stream.Remaining()) throw EReadError("Stream read error");
  return n;
}

int32_t ReadSubStream(TStream& stream, TStream& dest, bool scrambled) {
  const int32_t n = ReadCheckedLength(stream);
  if (n > 0) {
    dest.SetSize(0);
    dest.SetPosition(0);
    if (scrambled)
      CopyTransformed(dest, stream, n);
    else
      dest.CopyFrom(stream, n);
    dest.SetPosition(0);
  }
  return n;
}

int64_t WriteSubStream(TStream& source, TStream& stream, bool scrambled) {
  const int64_t size = source.Size();
  if (size > std::numeric_limits<int32_t>::max()) throw EWriteError("Stream write error");
  WriteInt32(static_cast<int32_t>(size), stream);
  if (size > 0) {
    source.SetPosition(0);
    if (scrambled)
      CopyTransformed(stream, source, size);
    else
      stream.CopyFrom(source, size);
  }
  return size;
}

void ReadText(TStream& stream, std::string& s, bool scrambled) {
  const int32_t n = ReadCheckedLength(stream);
  if (n <= 0) {
    s.clear();
    return;
  }
  s.resize(static_cast<size_t>(n));
  stream.ReadBuffer(s.data(), n);
  if (scrambled) XorIndex(reinterpret_cast<uint8_t*>(s.data()), s.size());
}

int32_t WriteText(const std::string& s, TStream& stream, bool scrambled) {
  if (s.size() > static_cast<size_t>(std::numeric_limits<int32_t>::max()))
    throw EWriteError("Stream write error");
  const auto n = static_cast<int32_t>(s.size());
  WriteInt32(n, stream);
  if (n > 0) {
    if (scrambled) {
      std::string copy = s;
      XorIndex(reinterpret_cast<uint8_t*>(copy.data()), copy.size());
      stream.WriteBuffer(copy.data(), n);
    } else {
      stream.WriteBuffer(s.data(), n);
    }
  }
  return n;
}

}  // namespace

void ScrambleBuffer(uint8_t* buffer, uint16_t count) {
  XorIndex(buffer, count);
}
void UnscrambleBuffer(uint8_t* buffer, uint16_t count) {
  XorIndex(buffer, count);
}

int64_t CopyScrambled(TStream& dest, TStream& source, int64_t count) {
  return CopyTransformed(dest, source, count);
}
int64_t CopyUnscrambled(TStream& dest, TStream& source, int64_t count) {
  return CopyTransformed(dest, source, count);
}

uint8_t ReadByte(TStream& stream) {
  return ReadValue<uint8_t>(stream);
}
bool ReadBool(TStream& stream) {
  return ReadValue<uint8_t>(stream) != 0;
}
int32_t ReadInt32(TStream& stream) {
  return ReadValue<int32_t>(stream);
}
double ReadDouble(TStream& stream) {
  return ReadValue<double>(stream);
}

int WriteByte(uint8_t value, TStream& stream) {
  stream.WriteBuffer(&value, 1);
  return 1;
}

int WriteBool(bool value, TStream& stream) {
  return WriteByte(value ? 1 : 0, stream);
}

int WriteInt32(int32_t value, TStream& stream) {
  stream.WriteBuffer(&value, 4);
  return 4;
}

int WriteDouble(double value, TStream& stream) {
  stream.WriteBuffer(&value, 8);
  return 8;
}

void SkipByte(TStream& stream) {
  Skip(stream, 1);
}
void SkipBool(TStream& stream) {
  Skip(stream, 1);
}
void SkipInt32(TStream& stream) {
  Skip(stream, 4);
}
void SkipDouble(TStream& stream) {
  Skip(stream, 8);
}

int32_t ReadStream(TStream& stream, TStream& dest) {
  return ReadSubStream(stream, dest, false);
}
int32_t ReadScrambledStream(TStream& stream, TStream& dest) {
  return ReadSubStream(stream, dest, true);
}
std::span<const uint8_t> ReadStreamInPlace(TMemoryStream& stream) {
  const int32_t n = ReadCheckedLength(stream);
  if (n <= 0) return {};
  const uint8_t* bytes = stream.PeekMemory(n);
  stream.Seek(n, soCurrent);
  return {bytes, static_cast<size_t>(n)};
}
int64_t WriteStream(TStream& source, TStream& stream) {
  return WriteSubStream(source, stream, false);
}
int64_t WriteScrambledStream(TStream& source, TStream& stream) {
  return WriteSubStream(source, stream, true);
}

void SkipStream(TStream& stream) {
  const int32_t n = ReadInt32(stream);
  if (n >= 1) Skip(stream, n);
}

void ReadString(TStream& stream, std::string& s) {
  ReadText(stream, s, false);
}
void ReadScrambledString(TStream& stream, std::string& s) {
  ReadText(stream, s, true);
}

std::string ReadString(TStream& stream) {
  std::string s;
  ReadText(stream, s, false);
  return s;
}

std::string ReadScrambledString(TStream& stream) {
  std::string s;
  ReadText(stream, s, true);
  return s;
}

int32_t WriteString(const std::string& s, TStream& stream) {
  return WriteText(s, stream, false);
}
int32_t WriteScrambledString(const std::string& s, TStream& stream) {
  return WriteText(s, stream, true);
}

void SkipString(TStream& stream) {
  const int32_t n = ReadInt32(stream);
  if (n > 0) Skip(stream, n);
}

void ReadObjectProperties(TPersistent& instance, TStream& stream) {
  ReadPropertyList(stream, instance);
}
