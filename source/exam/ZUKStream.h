// Value encodings of the exam files: little-endian bytes, booleans, int32s and doubles,
// length-prefixed strings and sub-streams, plain or scrambled with the keyless index XOR.
// Every loader, skipper and writer of exam objects goes through these helpers.
#pragma once

#include <cstdint>
#include <span>
#include <string>

#include "platform/core/Streams.h"

class TPersistent;

/// Largest chunk the scrambling copies transform at once; the index restarts at 0 for
/// every chunk, which is the same as counting it modulo 256 over the whole block.
constexpr int64_t kScrambleChunkSize = 61440;
static_assert(kScrambleChunkSize % 256 == 0, "chunks must keep the index pattern continuous");

/// XORs byte i of `buffer` with i mod 256 for i in [0, count). Its own inverse.
void ScrambleBuffer(uint8_t* buffer, uint16_t count);
void UnscrambleBuffer(uint8_t* buffer, uint16_t count);

/// Copies `count` bytes from the position of `source` to `dest`, scrambling on the way.
/// A count of 0 copies the whole source from its start. A short source raises EReadError.
int64_t CopyScrambled(TStream& dest, TStream& source, int64_t count);
int64_t CopyUnscrambled(TStream& dest, TStream& source, int64_t count);

// Readers give 0 (false) when the stream ends early and leave the position at the end;
// a truncated file is then caught by the trailer check of the exam reader.
uint8_t ReadByte(TStream& stream);
bool ReadBool(TStream& stream);
int32_t ReadInt32(TStream& stream);
double ReadDouble(TStream& stream);

int WriteByte(uint8_t value, TStream& stream);
int WriteBool(bool value, TStream& stream);
int WriteInt32(int32_t value, TStream& stream);
int WriteDouble(double value, TStream& stream);

/// Skips advance the position; skipping past the end raises EReadError.
void SkipByte(TStream& stream);
void SkipBool(TStream& stream);
void SkipInt32(TStream& stream);
void SkipDouble(TStream& stream);

/// Reads an int32 length n; when n > 0 empties `dest`, copies n bytes into it and rewinds
/// it. A length that runs past the end of `stream` raises EReadError before anything is
/// copied. Returns n; `dest` is untouched when n <= 0.
int32_t ReadStream(TStream& stream, TStream& dest);
int32_t ReadScrambledStream(TStream& stream, TStream& dest);
/// Reads an int32 length n and answers the n plain bytes that follow where they lie in the
/// stream's memory (nothing when n <= 0), moving past them; they stay valid while `stream`
/// is unchanged. A length that runs past the end raises EReadError, the position then
/// just after the length.
std::span<const uint8_t> ReadStreamInPlace(TMemoryStream& stream);
/// Writes the size of `source` and, when above 0, all of it from its start.
int64_t WriteStream(TStream& source, TStream& stream);
int64_t WriteScrambledStream(TStream& source, TStream& stream);
void SkipStream(TStream& stream);

void ReadString(TStream& stream, std::string& s);
void ReadScrambledString(TStream& stream, std::string& s);
std::string ReadString(TStream& stream);
std::string ReadScrambledString(TStream& stream);
int32_t WriteString(const std::string& s, TStream& stream);
int32_t WriteScrambledString(const std::string& s, TStream& stream);
void SkipString(TStream& stream);

/// Reads one published-property list into `instance` (the list begins with the list-begin
/// marker and ends with the end-of-list marker, which is consumed), leaving the stream just
/// after it so that several lists can follow each other. Used for the exam's styles.
void ReadObjectProperties(TPersistent& instance, TStream& stream);
