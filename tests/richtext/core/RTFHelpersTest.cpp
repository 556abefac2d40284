// The RTF text helpers: escaping of text, names and bookmark names, and UTF-16 text with
// and without 8-bit duplicates.
#include <gtest/gtest.h>

#include <ostream>

#include "platform/core/Streams.h"
#include "richtext/core/RVRTFWriter.h"
#include "richtext/core/RVUni.h"

namespace {

struct EscapeCase {
  const char* name;
  std::string text;
  bool rtfCode;
  std::string expected;
};
/// Names the case in test listings instead of dumping its bytes.
void PrintTo(const EscapeCase& c, std::ostream* os) {
  *os << c.name;
}

class RTFEscapeTest : public ::testing::TestWithParam<EscapeCase> {};

TEST_P(RTFEscapeTest, MakesRTFText) {
  EXPECT_EQ(RVMakeRTFStr(GetParam().text, GetParam().rtfCode), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, RTFEscapeTest,
    ::testing::Values(EscapeCase{"BracesAndBackslash", "a{b}\\c", false, "a\\{b\\}\\\\c"},
                      EscapeCase{"HighByte", "caf\xE9", false, "caf\\'e9"},
                      EscapeCase{"ByteOf127StaysAndOf128IsEscaped", "\x7F\x80", false, "\x7F\\'80"},
                      // Control bytes 26..31 would otherwise reach the reader raw.
                      EscapeCase{"EveryByteBelow32", std::string("\x01\x09\x0A\x0D\x1A\x1F", 6), false,
                                 "\\'01\\'09\\'0a\\'0d\\'1a\\'1f"},
                      EscapeCase{"ZeroByte", std::string("a\0b", 3), false, "a\\'00b"},
                      EscapeCase{"RTFCodeKeepsBracesButEscapesBytes", "{\\b x}\xE9\x1F", true,
                                 "{\\b x}\\'e9\\'1f"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(RTFNamesTest, StyleNamesTurnRTFSpecialsIntoUnderscores) {
  EXPECT_EQ(RVMakeRTFName("My {Style}\\1\xE9"), "My _Style__1\\'e9");
}

TEST(RTFNamesTest, BookmarkNamesKeepOnlyLettersAndDigits) {
  EXPECT_EQ(RVMakeRTFBookmarkName("Part 2-b.x\xE9Z9"), "Part_2_b_x_Z9");
}

TEST(RTFNamesTest, TableMarksByNestingLevel) {
  EXPECT_EQ(RVRTFTableMarks(0), "");
  EXPECT_EQ(RVRTFTableMarks(1), "\\intbl\\itap1");
  EXPECT_EQ(RVRTFTableMarks(3), "\\itap3");
}

std::string Unicode(std::u16string_view text, TRVCodePage codePage, bool rtfCode, bool duplicate) {
  TMemoryStream stream;
  RVWriteUnicodeRTF(stream, RVWideStringToBytes(text), codePage, rtfCode, duplicate);
  return stream.DataString();
}

TEST(RTFUnicodeTest, WritesASCIIAsTextAndOthersAsSignedUnits) {
  EXPECT_EQ(Unicode(u"a{\u20AC}", 1252, false, false), "a\\{\\u8364 \\}");
  // Units above 32767 are written as negative 16-bit numbers.
  EXPECT_EQ(Unicode(u"\uFF21\uFFFF", 1252, false, false), "\\u-223 \\u-1 ");
  // A zero unit is not text: it goes through \u as well.
  EXPECT_EQ(Unicode(std::u16string(1, u'\0'), 1252, false, false), "\\u0 ");
}

TEST(RTFUnicodeTest, DuplicatesEachUnitInTheCodePage) {
  EXPECT_EQ(Unicode(u"\u20AC\u00E9", 1252, false, true), "\\u8364 \\'80\\u233 \\'e9");
  // A character the code page lacks gets its "?" replacement.
  EXPECT_EQ(Unicode(u"\u4E2D", 1252, false, true), "\\u20013 ?");
}

TEST(RTFUnicodeTest, MultiByteDuplicateIsCountedWithUc) {
  EXPECT_EQ(Unicode(u"\u4E2D", 932, false, true), "\\uc2\\u20013 \\'92\\'86\\uc1 ");
}

TEST(RTFUnicodeTest, RTFCodeKeepsBraces) {
  EXPECT_EQ(Unicode(u"{\\b}", 1252, true, false), "{\\b}");
}

}  // namespace
