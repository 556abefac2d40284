#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdlib>
#include <string>

#include "platform/core/Exceptions.h"
#include "platform/core/Resources.h"
#include "platform/core/Streams.h"

TEST(MemoryStreamTest, ReadsWritesAndSeeksWithinBounds) {
  TMemoryStream s;
  s.WriteBuffer("hello", 5);
  EXPECT_EQ(s.Size(), 5);
  EXPECT_EQ(s.Position(), 5);
  s.Seek(-2, soCurrent);
  char buf[8] = {};
  EXPECT_EQ(s.Read(buf, 8), 2);
  EXPECT_EQ(std::string(buf, 2), "lo");
  EXPECT_EQ(s.Read(buf, 8), 0);
  EXPECT_EQ(s.Seek(-100, soBeginning), 0);
  s.Seek(2, soEnd);  // past the end: reads nothing, a write extends
  EXPECT_EQ(s.Read(buf, 1), 0);
  s.WriteBuffer("!", 1);
  EXPECT_EQ(s.Size(), 8);
  EXPECT_EQ(s.DataString(), std::string("hello\0\0!", 8));
}

TEST(MemoryStreamTest, ReadBufferRaisesOnShortRead) {
  TMemoryStream s(std::string("abc"));
  char buf[4];
  EXPECT_THROW(s.ReadBuffer(buf, 4), EReadError);
  s.SetPosition(0);
  EXPECT_NO_THROW(s.ReadBuffer(buf, 3));
  EXPECT_THROW(s.ReadBuffer(buf, -1), EReadError);
}

TEST(MemoryStreamTest, CopyFromZeroCopiesTheWholeSourceFromItsStart) {
  TMemoryStream source(std::string("0123456789"));
  source.SetPosition(7);
  TMemoryStream dest;
  EXPECT_EQ(dest.CopyFrom(source, 0), 10);
  EXPECT_EQ(dest.DataString(), "0123456789");
  source.SetPosition(7);
  TMemoryStream part;
  EXPECT_EQ(part.CopyFrom(source, 3), 3);
  EXPECT_EQ(part.DataString(), "789");
  source.SetPosition(8);
  EXPECT_THROW(part.CopyFrom(source, 3), EReadError);
}

TEST(MemoryStreamTest, SetSizeClampsThePosition) {
  TMemoryStream s(std::string("abcdef"));
  s.Seek(0, soEnd);
  s.SetSize(2);
  EXPECT_EQ(s.Position(), 2);
  EXPECT_EQ(s.Remaining(), 0);
}

TEST(MemoryStreamTest, GrowingAgainAfterShrinkingGivesZeros) {
  TMemoryStream s(std::string("abcdef"));
  s.SetSize(2);
  s.SetSize(4);
  EXPECT_EQ(s.DataString(), std::string("ab\0\0", 4));
  s.SetSize(1);
  s.SetPosition(3);
  s.WriteBuffer("!", 1);
  EXPECT_EQ(s.DataString(), std::string("a\0\0!", 4));
}

TEST(MemoryStreamTest, KeepsItsBytesThroughGrowthCopiesAndMoves) {
  TMemoryStream s;
  std::string expected;
  for (int i = 0; i < 100000; ++i) {
    const std::string piece = std::to_string(i) + ' ';
    s.WriteBuffer(piece.data(), static_cast<int64_t>(piece.size()));
    expected += piece;
  }
  ASSERT_EQ(s.DataString(), expected);
  TMemoryStream copy(s);
  s.SetSize(3);
  EXPECT_EQ(copy.DataString(), expected);
  TMemoryStream moved(std::move(copy));
  copy = moved;
  moved = std::move(s);
  EXPECT_EQ(moved.DataString(), "0 1");
  EXPECT_EQ(copy.DataString(), expected);
}

TEST(StreamTest, TheRestIsLentByMemoryAndReadFromOtherStreams) {
  TMemoryStream memory(std::string("0123456789"));
  memory.SetPosition(4);
  std::string storage;
  const std::string_view lent = ReadRest(memory, storage);
  EXPECT_EQ(lent, "456789");
  EXPECT_EQ(reinterpret_cast<const uint8_t*>(lent.data()), memory.Memory() + 4);
  EXPECT_EQ(memory.Position(), 10);
  EXPECT_EQ(ReadRest(memory, storage), "");

  char path[] = "/tmp/zuk-streams-XXXXXX";
  const int fd = mkstemp(path);
  ASSERT_GE(fd, 0);
  close(fd);
  {
    TFileStream file(path, fmCreate);
    file.WriteBuffer("abcdef", 6);
    file.SetPosition(2);
    EXPECT_EQ(ReadRest(file, storage), "cdef");
    EXPECT_EQ(file.Position(), 6);
  }
  unlink(path);
}

TEST(FileStreamTest, CreatesWritesReopensAndReportsMissingFiles) {
  char dirTemplate[] = "/tmp/zukstreamXXXXXX";
  ASSERT_NE(mkdtemp(dirTemplate), nullptr);
  const std::string path = std::string(dirTemplate) + "/data.bin";
  {
    TFileStream f(path, fmCreate);
    f.WriteBuffer("abcdef", 6);
  }
  {
    TFileStream f(path, fmOpenRead | fmShareDenyWrite);
    EXPECT_EQ(f.Size(), 6);
    f.Seek(2, soBeginning);
    char buf[4];
    f.ReadBuffer(buf, 4);
    EXPECT_EQ(std::string(buf, 4), "cdef");
    EXPECT_THROW(f.ReadBuffer(buf, 1), EReadError);
  }
  EXPECT_THROW(TFileStream(path + ".missing", fmOpenRead), EFOpenError);
  EXPECT_THROW(TFileStream(dirTemplate, fmOpenRead), EFOpenError);
  EXPECT_THROW(TFileStream(std::string(dirTemplate) + "/no/such/dir/x", fmCreate), EFCreateError);
  unlink(path.c_str());
  rmdir(dirTemplate);
}

TEST(ResourceStreamTest, FindsRegisteredResourcesCaseInsensitively) {
  static const unsigned char data[] = {'x', '=', '1'};
  RegisterResource("Test_Table", "TEXT", data, 3);
  TResourceStream s("TEST_TABLE", "text");
  EXPECT_EQ(s.Size(), 3);
  char buf[3];
  s.ReadBuffer(buf, 3);
  EXPECT_EQ(std::string(buf, 3), "x=1");
  EXPECT_THROW(s.Write("a", 1), EStreamError);
  EXPECT_THROW(TResourceStream("MISSING", "TEXT"), EResNotFound);
  EXPECT_FALSE(FindResource("Test_Table", "BITMAP"));
}

/// A stream over memory that does not lend it, as a file stream does not.
class TUnlentStream : public TMemoryStream {
 public:
  using TMemoryStream::TMemoryStream;
  const uint8_t* PeekMemory(int64_t) override { return nullptr; }
};

void AddOne(const uint8_t* from, uint8_t* to, size_t count) {
  for (size_t i = 0; i < count; ++i) to[i] = static_cast<uint8_t>(from[i] + 1);
}

TEST(StreamTest, CopiesFromAStreamThatDoesNotLendItsMemory) {
  // Read straight into the destination's memory, transformed there chunk by chunk.
  TUnlentStream source(std::string("0123456789"));
  source.SetPosition(2);
  TMemoryStream dest(std::string("ab"));
  dest.SetPosition(1);
  EXPECT_EQ(CopyStreamChunks(dest, source, 5, 2, AddOne), 5);
  EXPECT_EQ(dest.DataString(), "a34567");
  EXPECT_EQ(dest.Position(), 6);
  EXPECT_EQ(source.Position(), 7);
  EXPECT_EQ(CopyStreamChunks(dest, source, 3, 2, nullptr), 3);
  EXPECT_EQ(dest.DataString(), "a34567789");

  // A count beyond what the source holds fails without the destination growing to it.
  source.SetPosition(8);
  TMemoryStream target;
  EXPECT_THROW(CopyStreamChunks(target, source, int64_t{1} << 40, 4096, nullptr), EReadError);
  EXPECT_LE(target.Size(), 2);
}

TEST(MemoryStreamTest, CopyFromItselfReadsBeforeItWrites) {
  TMemoryStream s("abcdef");
  // Source and destination share one position: the bytes read are written back after them.
  EXPECT_EQ(s.CopyFrom(s, 3), 3);
  EXPECT_EQ(s.DataString(), "abcabc");
}
