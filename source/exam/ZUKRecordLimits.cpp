#include "exam/ZUKRecordLimits.h"

#include "exam/ZUKException.h"
#include "exam/ZUKStream.h"

int32_t ReadRecordCount(TStream& stream, int64_t minRecordSize) {
  const int32_t n = ReadInt32(stream);
  if (n <= 0) return 0;
  if (static_cast<int64_t>(n) * minRecordSize > stream.Remaining()) throw EZUKIncorrectFileFormat();
  return n;
}

uint8_t ReadExhibitCount(TStream& stream) {
  const int32_t n = ReadInt32(stream);
  if (n < 0 || n > kMaxExhibitCount) throw EZUKIncorrectFileFormat();
  return static_cast<uint8_t>(n);
}

void CheckPageDepth(int depth) {
  if (depth > kMaxCaseStudyPageDepth) throw EZUKIncorrectFileFormat();
}
