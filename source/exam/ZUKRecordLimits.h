// The smallest sizes of the exam file's records and the bounds the loaders enforce, so that
// a count or a nesting depth read from a file can never make a loader allocate, loop or
// recurse beyond what the file's own bytes could hold.
#pragma once

#include <cstdint>

#include "platform/core/Streams.h"

/// Section: int32 id, string length prefix.
constexpr int64_t kMinSectionRecordSize = 8;
/// Exam: type byte, int32 record count.
constexpr int64_t kMinExamRecordSize = 5;
/// Question set: type byte, int32 header value, int32 question count.
constexpr int64_t kMinQuestionSetRecordSize = 9;
/// Question: type byte, three int32s, the parts and answer length prefixes, and the
/// shortest tail of any kind (fill in the blank: an int32 and three booleans).
constexpr int64_t kMinQuestionRecordSize = 1 + 3 * 4 + 2 * 4 + 7;
/// Case-study page: title length prefix, int32 child count.
constexpr int64_t kMinCaseStudyPageSize = 8;
/// Style property list: the list-begin and list-end bytes.
constexpr int64_t kMinStylePropertyListSize = 2;

/// Case-study pages nest; deeper pages are refused as a corrupted file.
constexpr int kMaxCaseStudyPageDepth = 64;
/// Raises EZUKIncorrectFileFormat for a case-study page nested deeper than the limit.
void CheckPageDepth(int depth);
/// A question holds its exhibit count in a byte.
constexpr int32_t kMaxExhibitCount = 255;

/// Reads an int32 record count. A negative count means no records and gives 0; a count
/// whose records could not fit in what is left of `stream` raises EZUKIncorrectFileFormat.
int32_t ReadRecordCount(TStream& stream, int64_t minRecordSize);

/// Reads the int32 exhibit count of a question record; a value outside 0 .. 255 raises
/// EZUKIncorrectFileFormat (loading and skipping a record must agree on its length).
uint8_t ReadExhibitCount(TStream& stream);
