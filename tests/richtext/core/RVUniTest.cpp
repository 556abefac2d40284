#include <gtest/gtest.h>

#include <cstdlib>
#include <random>
#include <string>

#include "platform/core/CodePages.h"
#include "platform/core/Streams.h"
#include "richtext/core/RVError.h"
#include "richtext/core/RVUni.h"

namespace {

using LB = TRVLineBreakClass;

/// UTF-16 text as the engine holds it: two bytes a character, low byte first.
std::string W(std::u16string_view text) {
  return RVWideStringToBytes(text);
}

class AcpGuard {
 public:
  explicit AcpGuard(uint32_t cp) : saved_(GetACP()) { SetACP(cp); }
  ~AcpGuard() { SetACP(saved_); }

 private:
  uint32_t saved_;
};

TEST(RVUniCharsTest, CopyCountsInCharactersOfEitherKind) {
  EXPECT_EQ(RVCopyChars(W(u"abc"), 2, 1, rvioTwoByteText), W(u"b"));  // bytes 3 and 4
  EXPECT_EQ(RVCopyChars("abc", 2, 5, 0), "bc");
  EXPECT_EQ(RVCopyChars("abc", 0, 2, 0), "ab");  // a start before the text counts from 1
  EXPECT_EQ(RVCopyChars("abc", 4, 1, 0), "");
  EXPECT_EQ(RVCopyChars("abc", 1, -1, 0), "");
  // A trailing odd byte is no character and is never copied.
  const std::string odd = W(u"ab") + "x";
  EXPECT_EQ(RVCharCount(odd, rvioTwoByteText), 2);
  EXPECT_EQ(RVCopyChars(odd, 2, 10, rvioTwoByteText), W(u"b"));
  EXPECT_EQ(RVCopyChars(odd, 3, 1, rvioTwoByteText), "");
}

TEST(RVUniCharsTest, DeleteAndInsertStayOnCharacterBoundaries) {
  std::string s = W(u"abcd");
  RVDeleteChars(s, 2, 2, rvioTwoByteText);
  EXPECT_EQ(s, W(u"ad"));
  RVDeleteChars(s, 3, 1, rvioTwoByteText);  // outside the text: nothing
  RVDeleteChars(s, 0, 1, rvioTwoByteText);
  EXPECT_EQ(s, W(u"ad"));
  RVDeleteChars(s, 2, 100, rvioTwoByteText);
  EXPECT_EQ(s, W(u"a"));

  s = W(u"ad");
  RVInsertChars(W(u"bc"), s, 2, rvioTwoByteText);
  EXPECT_EQ(s, W(u"abcd"));
  RVInsertChars(W(u"e"), s, 99, rvioTwoByteText);
  EXPECT_EQ(s, W(u"abcde"));
  RVInsertChars(W(u"_"), s, -3, rvioTwoByteText);
  EXPECT_EQ(s, W(u"_abcde"));
  std::string a = "ac";
  RVInsertChars("b", a, 2, 0);
  EXPECT_EQ(a, "abc");
}

TEST(RVUniCharsTest, SpaceTestsAndScansStayInside) {
  const std::string s = W(u"a \u0120");  // U+0120 has the low byte of a space
  EXPECT_TRUE(RVIsSpaceAt(s, 2, rvioTwoByteText));
  EXPECT_FALSE(RVIsSpaceAt(s, 3, rvioTwoByteText));
  EXPECT_FALSE(RVIsSpaceAt(s, 4, rvioTwoByteText));
  EXPECT_FALSE(RVIsSpaceAt(s, 0, rvioTwoByteText));
  EXPECT_TRUE(RVIsSpaceAt("a b", 2, 0));
  EXPECT_EQ(RVScanCharW(s, u'\u0120', 3), 2);
  EXPECT_EQ(RVScanCharW(s, u'\u0120', 2), -1);
  EXPECT_EQ(RVScanCharW(s, u'\u0120', 1000), 2);  // the count is cut to the text
  EXPECT_EQ(RVScanCharW(s.substr(0, 5), u'\u0120', 3), -1);
}

TEST(RVUniCodePageTest, CharsetTables) {
  const struct {
    int charset;
    TRVCodePage cp;
    int language;
  } cases[] = {
      {0, 1252, 1024},   {1, 0, 1024},      {2, 0, 1024},      {77, 2, 1024},     {128, 932, 1041},
      {129, 949, 1042},  {130, 1361, 2066}, {134, 936, 2052},  {136, 950, 1028},  {161, 1253, 1032},
      {162, 1254, 1055}, {163, 1258, 1066}, {177, 1255, 1037}, {178, 1256, 1024}, {186, 1257, 1024},
      {204, 1251, 1049}, {222, 874, 1054},  {238, 1250, 1024}, {255, 1, 1024},    {200, 0, 1024},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(RVCodePageFromCharset(c.charset), c.cp) << c.charset;
    EXPECT_EQ(RVLanguageFromCharset(c.charset), c.language) << c.charset;
  }
}

TEST(RVUniCodePageTest, EveryCharsetCodePageConvertsBothWays) {
  AcpGuard guard(1252);
  const struct {
    int charset;
    std::string bytes;
    std::u16string text;
  } cases[] = {
      {0, "Caf\xE9", u"Caf\u00E9"},
      {204, "\xCF\xF0\xE8\xE2\xE5\xF2", u"\u041F\u0440\u0438\u0432\u0435\u0442"},
      {238, "\xBF\xF3\xB3\xE6", u"\u017C\u00F3\u0142\u0107"},
      {161, "\xC5\xEB\xEB\xDC", u"\u0395\u03BB\u03BB\u03AC"},
      {162, "\xDD\xF0", u"\u0130\u011F"},
      {177, "\xF9\xEC\xE5\xED", u"\u05E9\u05DC\u05D5\u05DD"},
      {178, "\xD3\xE1\xC7\xE3", u"\u0633\u0644\u0627\u0645"},
      {186, "\xC0\xFE", u"\u0104\u017E"},
      {163, "Vi\xEA\xF2t", u"Vi\u1EC7t"},
      {222, "\xCA\xC7", u"\u0E2A\u0E27"},
      {128, "\x93\xFA\x96\x7B", u"\u65E5\u672C"},
      {134, "\xD6\xD0\xCE\xC4", u"\u4E2D\u6587"},
      {129, "\xC7\xD1\xB1\xB9", u"\uD55C\uAD6D"},
      {136, "\xA4\xA4\xA4\xE5", u"\u4E2D\u6587"},
      {130, "\xD0\x65\x8A\x82", u"\uD55C\uAD6D"},
      {255, "\x82", u"\u00E9"},  // OEM code page 850 with the ANSI code page 1252
      {77, "\x8E", u"\u00E9"},   // Macintosh Roman
  };
  for (const auto& c : cases) {
    const TRVCodePage cp = RVCodePageFromCharset(c.charset);
    EXPECT_EQ(RVAnsiToUnicode(cp, c.bytes), W(c.text)) << c.charset;
    EXPECT_EQ(RVUnicodeToAnsi(cp, W(c.text)), c.bytes) << c.charset;
  }
}

TEST(RVUniCodePageTest, FallsBackToTheAnsiCodePage) {
  AcpGuard guard(1251);
  EXPECT_EQ(RVAnsiToUnicode(12345, "\xC0"), W(u"\u0410"));
  EXPECT_EQ(RVUnicodeToAnsi(12345, W(u"\u0410")), "\xC0");
  EXPECT_EQ(RVAnsiToUnicode(0, ""), "");
  EXPECT_EQ(RVUnicodeToAnsi(1252, ""), "");
  // Characters the code page lacks come out as "?".
  EXPECT_EQ(RVUnicodeToAnsi(1252, W(u"a\u4E00\U0001F600b")), "a??b");
}

TEST(RVUniCodePageTest, TypedBytesFollowTheInputLanguageNotTheAnsiCodePage) {
  GTEST_FLAG_SET(death_test_style, "threadsafe");  // a fresh process, whose desktop locale is set here
  EXPECT_EXIT(
      {
        setenv("LC_ALL", "ru_RU.UTF-8", 1);
        SetACP(1252);
        std::exit(RVGetKeyboardCodePage() == 1251 && RVKeyboardAnsiToUnicode("\xC0") == W(u"\u0410") ? 0 : 1);
      },
      ::testing::ExitedWithCode(0), "");
}

TEST(RVUniCodePageTest, OddUnicodeLengthRaises) {
  try {
    RVUnicodeToAnsi(1252, "abc");
    FAIL() << "no exception";
  } catch (const ERVError& e) {
    EXPECT_STREQ(e.what(), "Can't perform Unicode operation");
  }
  EXPECT_THROW(RVCheckUni(1), ERVError);
  EXPECT_NO_THROW(RVCheckUni(4));
}

TEST(RVUniCodePageTest, AllCapsUpperCasesEitherKindOfText) {
  AcpGuard guard(1251);
  EXPECT_EQ(RVApplyAllCaps("\xEF\xF0\xE8 ab", true, false), "\xCF\xD0\xC8 AB");
  EXPECT_EQ(RVApplyAllCaps("ab", false, false), "ab");
  EXPECT_EQ(RVApplyAllCaps(W(u"\u0451\u00E9z"), true, true), W(u"\u0401\u00C9Z"));
  EXPECT_EQ(RVApplyAllCaps(W(u"a") + "b", true, true), W(u"A") + "b");  // the odd byte stays
}

TEST(RVUniLineBreakTest, ClassesOfSampleCharacters) {
  const struct {
    char16_t ch;
    LB cls;
  } cases[] = {
      {0x00, LB::CM},   {0x09, LB::BA},   {0x0A, LB::AL},   {0x0B, LB::CM},   {0x0C, LB::AL},
      {0x0D, LB::AL},   {0x1F, LB::CM},   {u' ', LB::AL},   {u'!', LB::EX},   {u'"', LB::QU},
      {u'#', LB::AL},   {u'$', LB::PR},   {u'%', LB::PO},   {u'&', LB::AL},   {u'\'', LB::QU},
      {u'(', LB::OP},   {u')', LB::CL},   {u'*', LB::AL},   {u'+', LB::PR},   {u',', LB::IS},
      {u'-', LB::HY},   {u'.', LB::IS},   {u'/', LB::SY},   {u'7', LB::NU},   {u':', LB::IS},
      {u';', LB::IS},   {u'=', LB::AL},   {u'?', LB::EX},   {u'@', LB::AL},   {u'Q', LB::AL},
      {u'[', LB::OP},   {u'\\', LB::PR},  {u']', LB::CL},   {u'^', LB::AL},   {u'q', LB::AL},
      {u'{', LB::OP},   {u'|', LB::BA},   {u'}', LB::CL},   {u'~', LB::AL},   {0x7F, LB::CM},
      {0x85, LB::CM},   {0x9F, LB::CM},   {0xA0, LB::GL},   {0xA2, LB::PO},   {0xA3, LB::PR},
      {0xA5, LB::PR},   {0xAB, LB::QU},   {0xAD, LB::BA},   {0xB0, LB::PO},   {0xB1, LB::PR},
      {0xB4, LB::BB},   {0xBB, LB::QU},   {0x0300, LB::CM}, {0x034F, LB::CM}, {0x200B, LB::ZW},
      {0x2014, LB::B2}, {0x2026, LB::IN}, {0x2011, LB::GL}, {0x2060, LB::GL}, {0xFEFF, LB::GL},
      {0x3001, LB::CL}, {0x3002, LB::CL}, {0x3005, LB::NS}, {0x3000, LB::ID}, {0x4E00, LB::ID},
      {0xAC00, LB::ID}, {0xD800, LB::AL}, {0xDFFF, LB::AL}, {0x0410, LB::AL}, {0x0E01, LB::AL},
      {0xFFFF, LB::AL}, {0x2028, LB::AL},
  };
  for (const auto& c : cases)
    EXPECT_EQ(static_cast<int>(RVGetLineBreakClass(c.ch)), static_cast<int>(c.cls)) << std::hex << int(c.ch);
}

TEST(RVUniLineBreakTest, PairActions) {
  EXPECT_EQ(RVLineBreakAction(LB::OP, LB::AL), 2);
  EXPECT_EQ(RVLineBreakAction(LB::AL, LB::OP), 0);
  EXPECT_EQ(RVLineBreakAction(LB::AL, LB::AL), 1);
  EXPECT_EQ(RVLineBreakAction(LB::ZW, LB::CL), 0);
  EXPECT_EQ(RVLineBreakAction(LB::B2, LB::B2), 2);
  EXPECT_EQ(RVLineBreakAction(LB::CM, LB::CM), 1);
  EXPECT_EQ(RVLineBreakAction(LB::PR, LB::ID), 1);
  EXPECT_EQ(RVLineBreakAction(LB::ID, LB::PO), 1);
}

TEST(RVUniLineBreakTest, FindsTheLastBreakAtOrBeforeAPosition) {
  const struct {
    std::u16string text;
    int position;
    int expected;
  } cases[] = {
      {u"ab(cd", 3, 1},               // AL before OP allows a break, OP before AL does not
      {u"abcdef", 4, -1},             // no opportunity inside a word
      {u"ab cd", 2, 2},               // a space at the position itself
      {u"ab cd", 4, 2},               // the space stays on the line
      {u"ab   cd", 6, 4},             // all spaces up to the next word stay
      {u"ab   cd", 5, 4},             // ... but never reach past the position
      {u"ab-cd", 4, 2},               // after a hyphen
      {u"\u4E00\u4E01\u4E02", 2, 1},  // between ideographs
      {u"12,345", 5, -1},             // numbers hold together
      {u"a\u200Bb", 2, 1},            // after a zero-width space
      {u"ab", 2, -1},                 // outside the text
      {u"ab", -1, -1},
  };
  for (const auto& c : cases)
    EXPECT_EQ(RVFindLineBreakW(W(c.text), c.position), c.expected)
        << std::string(c.text.begin(), c.text.end()) << " @" << c.position;
  // A trailing odd byte is no character.
  EXPECT_EQ(RVFindLineBreakW(W(u"ab c") + "x", 4), -1);
}

TEST(RVUniLineBreakTest, ClusterContinuationsAreHalvesOfPairsAndCombiningMarks) {
  std::u16string text = u"e\u0301\U0001F600\u0007\u200Fa";
  text += static_cast<char16_t>(0xDC00);
  EXPECT_FALSE(RVIsClusterContinuation(text, 0));
  EXPECT_TRUE(RVIsClusterContinuation(text, 1)) << "combining acute";
  EXPECT_FALSE(RVIsClusterContinuation(text, 2)) << "first half of a pair";
  EXPECT_TRUE(RVIsClusterContinuation(text, 3)) << "second half";
  EXPECT_FALSE(RVIsClusterContinuation(text, 4)) << "a control character";
  EXPECT_FALSE(RVIsClusterContinuation(text, 5)) << "a direction mark";
  EXPECT_FALSE(RVIsClusterContinuation(text, 7)) << "a second half without its first";
  EXPECT_FALSE(RVIsClusterContinuation(text, text.size()));
  EXPECT_FALSE(RVIsClusterContinuation(u"\u0301", 0)) << "nothing to continue";
}

TEST(RVUniHTMLTest, SpacesAndSpecialCharacters) {
  const struct {
    std::u16string text;
    std::string html;
  } cases[] = {
      {u"a  b", "a &nbsp;b"},  // a plain space, then "&nbsp;"
      {u"a ", "a&nbsp;"},      // a space at the end
      {u" a", "&nbsp;a"},      // a space at the start
      {u"a    b", "a &nbsp; &nbsp;b"},
      {u"ab cd e f", "ab cd e f"},  // single spaces between words
      {u"a b  c d ", "a b &nbsp;c d&nbsp;"},
      {u"a\u00E9  b", "a&#233; &nbsp;b"},  // a reference clears the space state
      {u"<&>\"", "&lt;&amp;&gt;\""},
      {u"\u4E2D", "&#20013;"},
      {u"x\U0001F600y", "x&#128512;y"},  // one reference for the whole code point
      {std::u16string(u"a\xD83D"
                      u"b"),
       "a&#65533;b"},                           // lone high surrogate
      {std::u16string(u"\xDE00"), "&#65533;"},  // lone low surrogate
      {std::u16string(u"\xD83D"), "&#65533;"},  // high surrogate at the end
  };
  for (const auto& c : cases) EXPECT_EQ(RVUnicodeToHTML(W(c.text), false, false), c.html);
}

TEST(RVUniHTMLTest, EmptyOddAndSpecialCodeTexts) {
  EXPECT_EQ(RVUnicodeToHTML("", true, false), "&nbsp;");
  EXPECT_EQ(RVUnicodeToHTML("", false, false), "");
  EXPECT_EQ(RVUnicodeToHTML("a", true, false), "&nbsp;");  // one byte is no character
  EXPECT_EQ(RVUnicodeToHTML(W(u"ab") + "c", false, false), "ab");
  EXPECT_EQ(RVUnicodeToHTML(W(u"<b> \u00E9"), false, true), "<b> &#233;");
  bool spaceFlag = false;
  EXPECT_EQ(RVMakeHTMLChar(' ', spaceFlag, false, false), " ");
  EXPECT_TRUE(spaceFlag);
  EXPECT_EQ(RVMakeHTMLChar(' ', spaceFlag, false, false), "&nbsp;");
  EXPECT_FALSE(spaceFlag);
  EXPECT_EQ(RVMakeHTMLChar('&', spaceFlag, true, false), "&");

  TMemoryStream stream;
  RVWriteUnicodeHTML(stream, W(u"a\U0001F600 "), false, false);
  RVWriteUnicodeHTML(stream, "", true, false);
  EXPECT_EQ(stream.DataString(), "a&#128512;&nbsp;&nbsp;");
}

/// The HTML of a UTF-16 text one character at a time, by the rule for a single character:
/// the reference the export's run-at-a-time writing must agree with.
std::string ReferenceHTML(const std::u16string& text, bool specialCode) {
  std::string html;
  bool spaceFlag = true;
  for (size_t i = 0; i < text.size(); ++i) {
    const char16_t u = text[i];
    if (u < 128) {
      html += RVMakeHTMLChar(static_cast<char>(u), spaceFlag, specialCode, i + 1 == text.size());
      continue;
    }
    uint32_t code = u;
    if (u >= 0xD800 && u <= 0xDBFF && i + 1 < text.size() && text[i + 1] >= 0xDC00 && text[i + 1] <= 0xDFFF)
      code = 0x10000 + ((u - 0xD800u) << 10) + (text[++i] - 0xDC00u);
    else if (u >= 0xD800 && u <= 0xDFFF)
      code = 0xFFFD;
    html += "&#" + std::to_string(code) + ";";
    spaceFlag = false;
  }
  return html;
}

TEST(RVUniHTMLTest, LongTextsAgreeWithTheOneCharacterRule) {
  // Runs of letters and single blanks are copied many characters at a time; blanks in pairs,
  // markup characters and characters beyond ASCII break the runs anywhere in them.
  const char16_t alphabet[] = {u'a', u'b',      u'Z',      u'7',   u' ',   u' ',  u' ', u'&', u'<',
                               u'>', u'\u00E9', u'\u4E2D', 0xD83D, 0xDE00, u'\t', 0x7F, 0x80, 0x2020};
  std::mt19937 rng(11);
  for (int round = 0; round < 3000; ++round) {
    std::u16string text(rng() % 70, u'x');
    // Mostly plain text, so that long runs occur, with other characters sprinkled in.
    const unsigned rare = 1 + rng() % 12;
    for (char16_t& c : text) {
      if (rng() % rare == 0)
        c = alphabet[rng() % std::size(alphabet)];
      else if (rng() % 5 == 0)
        c = u' ';
      else
        c = static_cast<char16_t>(u'a' + rng() % 26);
    }
    const bool specialCode = rng() % 4 == 0;
    SCOPED_TRACE(round);
    ASSERT_EQ(RVUnicodeToHTML(W(text), false, specialCode), ReferenceHTML(text, specialCode));
  }
}

TEST(RVUniRobustnessTest, RandomTextsAndPositions) {
  // Passes by not crashing: random bytes of any length never lead to reads outside the text.
  std::mt19937 rng(7);
  for (int round = 0; round < 500; ++round) {
    std::string s(rng() % 24, '\0');
    for (char& c : s) c = static_cast<char>(rng() % 4 == 0 ? ' ' : rng());
    if (s.size() >= 2 && rng() % 2) s[1] = '\xD8';  // a high surrogate first
    const int pos = static_cast<int>(rng() % 30) - 3;
    const int count = static_cast<int>(rng() % 30) - 3;
    (void)RVFindLineBreakW(s, pos);
    (void)RVUnicodeToHTML(s, true, false);
    (void)RVCopyChars(s, pos, count, rvioTwoByteText);
    (void)RVIsSpaceAt(s, pos, rvioTwoByteText);
    (void)RVScanCharW(s, u' ', count);
    std::string t = s;
    RVDeleteChars(t, pos, count, rvioTwoByteText);
    RVInsertChars("xy", t, pos, rvioTwoByteText);
    (void)RVAnsiToUnicode(932, s);
    if (s.size() % 2 == 0) (void)RVUnicodeToAnsi(1258, s);
  }
}

}  // namespace
