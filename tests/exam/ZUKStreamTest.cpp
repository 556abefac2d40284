#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <string_view>
#include <vector>

#include "exam/ZUKStream.h"
#include "platform/core/Exceptions.h"
#include "platform/core/TypInfo.h"

namespace {

std::string Bytes(TMemoryStream& s) {
  return s.DataString();
}

std::string Int32Bytes(int32_t v) {
  std::string out(4, '\0');
  std::memcpy(out.data(), &v, 4);
  return out;
}

std::string Pattern(size_t n) {
  std::string s(n, '\0');
  for (size_t i = 0; i < n; ++i) s[i] = static_cast<char>((i * 7 + 3) & 0xFF);
  return s;
}

}  // namespace

TEST(ZUKStreamTest, ScrambledStringXorsEachByteWithItsIndex) {
  TMemoryStream out;
  EXPECT_EQ(WriteScrambledString("abc", out), 3);
  EXPECT_EQ(Bytes(out), Int32Bytes(3) + std::string("\x61\x63\x61", 3));
  out.SetPosition(0);
  EXPECT_EQ(ReadScrambledString(out), "abc");
}

TEST(ZUKStreamTest, EmptyStringsAreOnlyALengthPrefix) {
  for (bool scrambled : {false, true}) {
    TMemoryStream out;
    EXPECT_EQ(scrambled ? WriteScrambledString("", out) : WriteString("", out), 0);
    EXPECT_EQ(Bytes(out), Int32Bytes(0));
  }
}

TEST(ZUKStreamTest, ScrambledBlockRestartsIndexEveryChunkLikeModulo256) {
  const std::string plain = Pattern(70000);
  TMemoryStream source(plain);
  TMemoryStream dest;
  EXPECT_EQ(CopyScrambled(dest, source, 0), 70000);
  const std::string out = dest.DataString();
  ASSERT_EQ(out.size(), plain.size());
  for (size_t i = 0; i < out.size(); ++i) {
    ASSERT_EQ(static_cast<uint8_t>(out[i]), static_cast<uint8_t>(plain[i] ^ static_cast<char>(i & 0xFF)))
        << "at " << i;
  }
  EXPECT_EQ(static_cast<uint8_t>(out[61440] ^ plain[61440]), 0);
  EXPECT_EQ(static_cast<uint8_t>(out[61441] ^ plain[61441]), 1);
}

TEST(ZUKStreamTest, CopyWithCountZeroRewindsTheSource) {
  TMemoryStream source(std::string("hello"));
  source.SetPosition(3);
  TMemoryStream dest;
  EXPECT_EQ(CopyUnscrambled(dest, source, 0), 5);
  EXPECT_EQ(dest.Size(), 5);
}

TEST(ZUKStreamTest, CopyRefusesAShortSource) {
  TMemoryStream source(std::string("abc"));
  TMemoryStream dest;
  EXPECT_THROW(CopyScrambled(dest, source, 10), EReadError);
}

TEST(ZUKStreamTest, ScramblingTwiceRestoresTheBuffer) {
  std::string data = Pattern(1000);
  const std::string original = data;
  ScrambleBuffer(reinterpret_cast<uint8_t*>(data.data()), 1000);
  EXPECT_NE(data, original);
  UnscrambleBuffer(reinterpret_cast<uint8_t*>(data.data()), 1000);
  EXPECT_EQ(data, original);
}

TEST(ZUKStreamTest, NegativeLengthReadsEmptyAndConsumesOnlyThePrefix) {
  const std::string bytes = Int32Bytes(-5) + "tail";
  {
    TMemoryStream in(bytes);
    std::string s = "old";
    ReadScrambledString(in, s);
    EXPECT_EQ(s, "");
    EXPECT_EQ(in.Position(), 4);
  }
  {
    TMemoryStream in(bytes);
    TMemoryStream dest(std::string("keep"));
    EXPECT_EQ(ReadScrambledStream(in, dest), -5);
    EXPECT_EQ(dest.DataString(), "keep");  // untouched
    EXPECT_EQ(in.Position(), 4);
  }
  {
    TMemoryStream in(bytes);
    SkipStream(in);
    EXPECT_EQ(in.Position(), 4);
    in.SetPosition(0);
    SkipString(in);
    EXPECT_EQ(in.Position(), 4);
  }
}

TEST(ZUKStreamTest, SubStreamsReadInPlaceLieInTheStreamsOwnMemory) {
  TMemoryStream in(Int32Bytes(3) + "abc" + Int32Bytes(-2) + Int32Bytes(0) + Int32Bytes(9) + "short");
  const std::span<const uint8_t> first = ReadStreamInPlace(in);
  EXPECT_EQ(std::string(first.begin(), first.end()), "abc");
  EXPECT_EQ(first.data(), in.Memory() + 4);
  EXPECT_EQ(in.Position(), 7);
  EXPECT_TRUE(ReadStreamInPlace(in).empty());
  EXPECT_EQ(in.Position(), 11);
  EXPECT_TRUE(ReadStreamInPlace(in).empty());
  EXPECT_EQ(in.Position(), 15);
  EXPECT_THROW(ReadStreamInPlace(in), EReadError);
}

TEST(ZUKStreamTest, OverrunningLengthRaisesBeforeCopying) {
  const std::string bytes = Int32Bytes(1000000) + "short";
  TMemoryStream dest(std::string("keep"));
  TMemoryStream in1(bytes);
  EXPECT_THROW(ReadStream(in1, dest), EReadError);
  EXPECT_EQ(dest.DataString(), "keep");
  TMemoryStream in2(bytes);
  EXPECT_THROW(ReadScrambledString(in2), EReadError);
  TMemoryStream in3(bytes);
  EXPECT_THROW(SkipString(in3), EReadError);
  TMemoryStream in4(bytes);
  EXPECT_THROW(SkipStream(in4), EReadError);
  TMemoryStream in5(Int32Bytes(0x7FFFFFFF));
  EXPECT_THROW(ReadString(in5), EReadError);
}

TEST(ZUKStreamTest, ValueReadersGiveZeroAtTheEnd) {
  TMemoryStream in(std::string("\x01\x02", 2));
  EXPECT_EQ(ReadInt32(in), 0);
  EXPECT_EQ(in.Position(), 2);
  EXPECT_EQ(ReadByte(in), 0);
  EXPECT_FALSE(ReadBool(in));
  EXPECT_EQ(ReadDouble(in), 0.0);
  EXPECT_EQ(in.Position(), 2);
  EXPECT_THROW(SkipInt32(in), EReadError);
}

TEST(ZUKStreamTest, ValuesRoundTripLittleEndian) {
  TMemoryStream s;
  EXPECT_EQ(WriteByte(0xA8, s), 1);
  EXPECT_EQ(WriteBool(true, s), 1);
  EXPECT_EQ(WriteInt32(-2, s), 4);
  EXPECT_EQ(WriteDouble(1.5, s), 8);
  EXPECT_EQ(s.DataString().substr(0, 6), std::string("\xA8\x01\xFE\xFF\xFF\xFF", 6));
  s.SetPosition(0);
  EXPECT_EQ(ReadByte(s), 0xA8);
  EXPECT_TRUE(ReadBool(s));
  EXPECT_EQ(ReadInt32(s), -2);
  EXPECT_EQ(ReadDouble(s), 1.5);
}

TEST(ZUKStreamTest, BooleanReadsAnyNonZeroByteAsTrue) {
  TMemoryStream s(std::string("\x07", 1));
  EXPECT_TRUE(ReadBool(s));
}

TEST(ZUKStreamTest, SubStreamsRoundTripFromTheSourceStartAndRewindTheDestination) {
  const std::string content = Pattern(100000);
  TMemoryStream source(content);
  source.SetPosition(500);  // writers take the whole source whatever its position
  TMemoryStream file;
  EXPECT_EQ(WriteScrambledStream(source, file), 100000);
  EXPECT_EQ(WriteStream(source, file), 100000);
  TMemoryStream empty;
  EXPECT_EQ(WriteScrambledStream(empty, file), 0);
  file.SetPosition(0);
  TMemoryStream dest(std::string("previous content that is longer than nothing"));
  EXPECT_EQ(ReadScrambledStream(file, dest), 100000);
  EXPECT_EQ(dest.Position(), 0);
  EXPECT_EQ(dest.DataString(), content);
  TMemoryStream dest2;
  EXPECT_EQ(ReadStream(file, dest2), 100000);
  EXPECT_EQ(dest2.DataString(), content);
  EXPECT_EQ(ReadScrambledStream(file, dest2), 0);
  EXPECT_EQ(file.Position(), file.Size());
}

namespace {

// A small persistent class standing in for a style: two published properties.
class TStyleLike : public TPersistent {
  ZUK_PUBLISHED(TStyleLike)
 public:
  ZUK_CLASS_NAME(TStyleLike)
  int32_t Size = 10;
  std::string FontName;
};

const TPropertyList& TStyleLike::ClassProperties() {
  static const TPropertyList list = TPropertyBuilder<TStyleLike>(TPersistent::ClassProperties())
                                        .String("FontName", &TStyleLike::FontName, &TStyleLike::FontName)
                                        .Integer("Size", &TStyleLike::Size, &TStyleLike::Size)
                                        .Default(10)
                                        .Build();
  return list;
}

std::string ShortString(const std::string& s) {
  return std::string(1, static_cast<char>(s.size())) + s;
}

}  // namespace

TEST(ZUKStreamTest, PropertyListsFollowEachOtherOnOneStream) {
  // list begin, FontName = "Arial" (string), Size = 12 (8-bit integer), end; then a second
  // list with Size = 300 (16-bit integer), then a trailing byte that must stay unread.
  const std::string bytes = std::string("\x01", 1) + ShortString("FontName") + "\x06" + ShortString("Arial") +
                            ShortString("Size") + "\x02\x0C" + std::string("\x00", 1) +
                            std::string("\x01", 1) + ShortString("Size") + "\x03\x2C\x01" +
                            std::string("\x00", 1) + "Z";
  TMemoryStream in(bytes);
  TStyleLike first;
  TStyleLike second;
  ReadObjectProperties(first, in);
  ReadObjectProperties(second, in);
  EXPECT_EQ(first.FontName, "Arial");
  EXPECT_EQ(first.Size, 12);
  EXPECT_EQ(second.FontName, "");
  EXPECT_EQ(second.Size, 300);
  EXPECT_EQ(in.Position(), static_cast<int64_t>(bytes.size()) - 1);
}

TEST(ZUKStreamTest, PropertyListWithUnknownPropertyOrCutShortRaisesReadError) {
  const std::string good = std::string("\x01", 1) + ShortString("Size") + "\x02\x0C" + std::string("\x00", 1);
  for (size_t cut = 0; cut < good.size(); ++cut) {
    TMemoryStream in(good.substr(0, cut));
    TStyleLike style;
    EXPECT_THROW(ReadObjectProperties(style, in), EReadError) << "cut at " << cut;
  }
  TMemoryStream unknown(std::string("\x01", 1) + ShortString("Colour") + "\x02\x0C" + std::string("\x00", 1));
  TStyleLike style;
  EXPECT_THROW(ReadObjectProperties(style, unknown), EReadError);
}

namespace {

/// The transform as the format defines it, one byte at a time.
std::string ReferenceScramble(std::string_view bytes) {
  std::string out(bytes);
  for (size_t i = 0; i < out.size(); ++i) out[i] = static_cast<char>(out[i] ^ static_cast<char>(i & 0xFF));
  return out;
}

/// A stream that lends no memory, so copies through it take the buffered road.
class OpaqueStream : public TStream {
 public:
  explicit OpaqueStream(std::string bytes) : inner_(bytes) {}
  int64_t Read(void* buffer, int64_t count) override { return inner_.Read(buffer, count); }
  int64_t Write(const void* buffer, int64_t count) override { return inner_.Write(buffer, count); }
  int64_t Seek(int64_t offset, TSeekOrigin origin) override { return inner_.Seek(offset, origin); }
  std::string Bytes() const { return inner_.DataString(); }

 private:
  TMemoryStream inner_;
};

}  // namespace

// Lengths around the 16-byte lanes, the 256-byte key period and the chunk size, from
// unaligned positions, through streams that lend memory and through ones that do not.
TEST(ZUKStreamTest, ScrambledCopiesMatchTheBytewiseTransformAtEveryBoundary) {
  std::vector<size_t> lengths;
  for (size_t n = 1; n <= 600; ++n) lengths.push_back(n);
  for (const size_t base : {size_t{61440}, size_t{122880}})
    for (size_t n = base - 17; n <= base + 17; ++n) lengths.push_back(n);
  const std::string payload = Pattern(122880 + 64);
  for (const size_t offset : {size_t{0}, size_t{1}, size_t{15}}) {
    for (const size_t n : lengths) {
      const std::string source_bytes = payload.substr(0, offset + n);
      const std::string expected = ReferenceScramble(std::string_view(source_bytes).substr(offset));
      SCOPED_TRACE(testing::Message() << "offset " << offset << ", length " << n);

      TMemoryStream source(source_bytes);
      source.SetPosition(static_cast<int64_t>(offset));
      TMemoryStream dest("xyz");
      dest.SetPosition(3);
      ASSERT_EQ(CopyScrambled(dest, source, static_cast<int64_t>(n)), static_cast<int64_t>(n));
      ASSERT_EQ(dest.DataString(), "xyz" + expected);
      ASSERT_EQ(source.Position(), static_cast<int64_t>(offset + n));

      OpaqueStream opaque_source(source_bytes);
      opaque_source.SetPosition(static_cast<int64_t>(offset));
      OpaqueStream opaque_dest("");
      CopyUnscrambled(opaque_dest, opaque_source, static_cast<int64_t>(n));
      ASSERT_EQ(opaque_dest.Bytes(), expected);

      std::string in_place = source_bytes;
      if (n <= 0xFFFF) {
        UnscrambleBuffer(reinterpret_cast<uint8_t*>(in_place.data()) + offset, static_cast<uint16_t>(n));
        ASSERT_EQ(in_place.substr(offset), expected);
      }
    }
  }
}

TEST(ZUKStreamTest, ScrambledCopyIntoAStreamPositionedPastItsEndFillsTheGapWithZeros) {
  TMemoryStream source(Pattern(300));
  TMemoryStream dest("ab");
  dest.SetPosition(5);
  EXPECT_EQ(CopyScrambled(dest, source, 300), 300);
  EXPECT_EQ(dest.DataString(), std::string("ab\0\0\0", 5) + ReferenceScramble(Pattern(300)));
  EXPECT_EQ(dest.Position(), 305);
}
