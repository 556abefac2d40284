// TRegex compiler: compile errors with their codes and positions, the p-code it emits and
// the optimisation data the search relies on.
#include <gtest/gtest.h>

#include <cstring>
#include <ostream>
#include <string>
#include <vector>

#include "RegexTestSupport.h"
#include "common/units/Regex.h"
#include "common/units/RegexCode.h"

using namespace regex_code;

namespace {

const RegexCode& CompileOrDie(TRegex& re, std::string_view expression, std::string_view modifiers = "") {
  if (!modifiers.empty()) re.SetModifierStr(modifiers);
  re.SetExpression(expression);
  re.Compile();
  return *re.CompiledProgram();
}

/// The nodes in program order, one word each: the opcode number, literals as "8:text",
/// tiny sets as "25:abc", counted nodes as "18{min,max}".
std::string Listing(const RegexCode& program) {
  const std::vector<uint8_t>& code = program.code;
  std::string out;
  for (int32_t n = 1; n < static_cast<int32_t>(code.size()); n += NodeSize(code.data(), n)) {
    if (!out.empty()) out += ' ';
    const int op = code[n];
    out += std::to_string(op);
    if (op == EXACTLY || op == EXACTLYCI)
      out += ":" + std::string(reinterpret_cast<const char*>(LiteralText(code.data(), n)),
                               LiteralLength(code.data(), n));
    if (op == ANYOFTINYSET || op == ANYBUTTINYSET)
      out += ":" + std::string(reinterpret_cast<const char*>(&code[n + 5]), 3);
    if (op == BRACES || op == BRACESNG || op == LOOP || op == LOOPNG)
      out += "{" + std::to_string(ReadInt(&code[n + 5])) + "," + std::to_string(ReadInt(&code[n + 9])) + "}";
  }
  return out;
}

struct ErrorCase {
  const char* expression;
  const char* modifiers;
  int code;
  int position;
};
/// Names the case in test listings instead of dumping its bytes.
void PrintTo(const ErrorCase& c, std::ostream* os) {
  *os << "/" << c.expression << "/" << c.modifiers;
}

class CompileErrorTest : public ::testing::TestWithParam<ErrorCase> {};

TEST_P(CompileErrorTest, RaisesCodeAtPosition) {
  const ErrorCase& c = GetParam();
  TRegex re;
  if (*c.modifiers) re.SetModifierStr(c.modifiers);
  re.SetExpression(c.expression);
  try {
    re.Compile();
    FAIL() << "compiled: " << c.expression;
  } catch (const ERegex& e) {
    EXPECT_EQ(e.ErrorCode(), c.code) << c.expression << ": " << e.what();
    EXPECT_EQ(e.CompilerErrorPos(), c.position) << c.expression;
    EXPECT_EQ(re.LastError(), c.code);
    EXPECT_EQ(re.CompilerErrorPos(), 0) << "the position is only valid while compiling";
    EXPECT_EQ(re.CompiledProgram(), nullptr);
  }
}

INSTANTIATE_TEST_SUITE_P(
    Regex, CompileErrorTest,
    ::testing::Values(
        ErrorCase{"(((((((((((((((x)))))))))))))))", "", 102, 15},
        ErrorCase{"(a)(b)(c)(d)(e)(f)(g)(h)(i)(j)(k)(l)(m)(n)(o)", "", 102, 43},
        ErrorCase{"(abc", "", 103, 4}, ErrorCase{"abc)", "", 104, 3}, ErrorCase{"(a*)*", "", 106, 4},
        ErrorCase{"\\b+", "", 106, 2}, ErrorCase{"((ab){0})*", "", 106, 9}, ErrorCase{"a *", "x", 106, 2},
        ErrorCase{"a**", "", 107, 2}, ErrorCase{"a{2}{3}", "", 107, 4}, ErrorCase{"a*?+", "", 107, 3},
        ErrorCase{"\\xg1", "", 108, 2}, ErrorCase{"\\x{1z}", "", 108, 4}, ErrorCase{"[z-a]", "", 109, 4},
        ErrorCase{"[\\xE0-\\xDF]", "-r", 109, 10}, ErrorCase{"[a\\", "", 110, 3},
        ErrorCase{"\\x", "", 111, 2}, ErrorCase{"\\x4", "", 111, 3}, ErrorCase{"\\x{}", "", 111, 3},
        ErrorCase{"\\x{100}", "", 112, 5}, ErrorCase{"[abc", "", 113, 4}, ErrorCase{"[", "", 113, 1},
        ErrorCase{"[^", "", 113, 2}, ErrorCase{"*a", "", 115, 1}, ErrorCase{"a|+", "", 115, 3},
        ErrorCase{"abc\\", "", 116, 4}, ErrorCase{"a{123456789}", "", 122, 2},
        ErrorCase{"a{1,123456789}", "", 122, 4}, ErrorCase{"a{3,2}", "", 124, 6},
        ErrorCase{"(?#abc", "", 125, 6}, ErrorCase{"(?q)", "", 127, 2}, ErrorCase{"(?:a)", "", 127, 2},
        ErrorCase{"(?i", "", 127, 3}));

TEST(RegexCompileTest, ErrorMessagesCarryTheTextAndPosition) {
  TRegex re;
  re.SetExpression("[abc");
  try {
    re.Compile();
    FAIL();
  } catch (const ERegex& e) {
    EXPECT_STREQ(e.what(), "TRegex(comp): Unmatched [] (pos 4)");
  }
  EXPECT_EQ(re.ErrorMsg(110), "TRegex(comp): Parse Atom Trailing \\");
  EXPECT_EQ(re.ErrorMsg(1013), "Unknown error");
  EXPECT_EQ(re.ErrorMsg(42), "Unknown error");
}

TEST(RegexCompileTest, EveryErrorCodeHasItsText) {
  const std::pair<int, const char*> texts[] = {
      {102, "TRegex(comp): ParseReg Too Many ()"},
      {103, "TRegex(comp): ParseReg Unmatched ()"},
      {104, "TRegex(comp): ParseReg Unmatched ()"},
      {105, "TRegex(comp): ParseReg Junk On End"},
      {106, "TRegex(comp): *+ Operand Could Be Empty"},
      {107, "TRegex(comp): Nested *?+"},
      {108, "TRegex(comp): Bad Hex Digit"},
      {109, "TRegex(comp): Invalid [] Range"},
      {110, "TRegex(comp): Parse Atom Trailing \\"},
      {111, "TRegex(comp): No Hex Code After \\x"},
      {112, "TRegex(comp): Hex Code After \\x Is Too Big"},
      {113, "TRegex(comp): Unmatched []"},
      {115, "TRegex(comp): ?+*{ Follows Nothing"},
      {116, "TRegex(comp): Trailing \\"},
      {122, "TRegex(comp): BRACES Argument Too Big"},
      {124, "TRegex(comp): BRACE Min Param Greater then Max"},
      {125, "TRegex(comp): Unclosed (?#Comment)"},
      {127, "TRegex(comp): Urecognized Modifier"},
      {128, "TRegex(comp): LinePairedSeparator must countain two different chars or no chars at all"},
      {1000, "TRegex(exec): RegRepeat Called Inappropriately"},
      {1001, "TRegex(exec): MatchPrim Memory Corruption"},
      {1002, "TRegex(exec): MatchPrim Corrupted Pointers"},
      {1003, "TRegex(exec): Not Assigned Expression Property"},
      {1004, "TRegex(exec): Corrupted Program"},
      {1005, "TRegex(exec): No Input String Specified"},
      {1006, "TRegex(exec): Offset Must Be Greater Then 0"},
      {1007, "TRegex(exec): ExecNext Without Exec[Pos]"},
      {1013, "Unknown error"},
      {1014, "TRegex(exec): Loop Stack Exceeded"},
      {1015, "TRegex(exec): Loop Without LoopEntry !"},
      {1016, "TRegex(exec): Backtrack Stack Exceeded"},
      {1017, "TRegex(exec): Input String Too Long"},
      {1018, "TRegex(exec): Match Step Limit Exceeded"},
      {114, "Unknown error"},
  };
  TRegex re;
  for (const auto& [code, text] : texts) {
    EXPECT_EQ(re.ErrorMsg(code), text) << code;
    try {
      re.Error(code);
      FAIL() << code;
    } catch (const ERegex& e) {
      // Compile-time codes name the parse position, run-time codes do not.
      EXPECT_EQ(e.Message(), std::string(text) + (code < 1000 ? " (pos 0)" : "")) << code;
      EXPECT_EQ(e.ErrorCode(), code);
      EXPECT_EQ(re.LastError(), code);
    }
  }
}

TEST(RegexCompileTest, EmptyExpressionRaises1003) {
  TRegex re;
  EXPECT_EQ(regex_test::Run("", "", "abc"), "error 1003");
  re.SetExpression("abc");
  EXPECT_TRUE(re.Exec("xabc"));
  re.SetExpression("");  // frees the old program: nothing stale may match
  try {
    re.Exec("abc");
    FAIL();
  } catch (const ERegex& e) {
    EXPECT_EQ(e.ErrorCode(), 1003);
    EXPECT_STREQ(e.what(), "TRegex(exec): Not Assigned Expression Property");
  }
}

struct ListingCase {
  const char* expression;
  const char* modifiers;
  const char* listing;
};
/// Names the case in test listings instead of dumping its bytes.
void PrintTo(const ListingCase& c, std::ostream* os) {
  *os << "/" << c.expression << "/" << c.modifiers;
}

class PcodeTest : public ::testing::TestWithParam<ListingCase> {};

TEST_P(PcodeTest, EmitsNodes) {
  TRegex re;
  EXPECT_EQ(Listing(CompileOrDie(re, GetParam().expression, GetParam().modifiers)), GetParam().listing)
      << GetParam().expression;
}

// 6 BRANCH, 0 END, 8 EXACTLY, 20 EXACTLYCI, 10 STAR, 30 STARNG, 18 BRACES, 23 LOOPENTRY,
// 24 LOOP, 33 LOOPNG, 7 BACK, 9 NOTHING, 40/55 OPEN/CLOSE 1, 25/26 tiny sets, 19 COMMENT.
INSTANTIATE_TEST_SUITE_P(
    Regex, PcodeTest,
    ::testing::Values(
        ListingCase{"abc", "", "6 8:abc 0"}, ListingCase{"abc", "i", "6 20:abc 0"},
        ListingCase{"abc*", "", "6 8:ab 10 8:c 0"}, ListingCase{"x*", "-g", "6 30 8:x 0"},
        ListingCase{"x*?", "", "6 30 8:x 0"}, ListingCase{"a{x}", "", "6 8:a 8:{x} 0"},
        ListingCase{"a{,3}", "", "6 8:a 8:{,3} 0"}, ListingCase{"a{2,5}", "", "6 18{2,5} 8:a 0"},
        ListingCase{"a{3,}", "", "6 18{3,2147483646} 8:a 0"}, ListingCase{"a??", "", "6 32{0,1} 8:a 0"},
        ListingCase{"(a)*", "", "6 6 40 6 8:a 55 7 6 9 0"},
        ListingCase{"(a)+", "", "6 40 6 8:a 55 6 7 6 9 0"}, ListingCase{"(a)?", "", "6 6 40 6 8:a 55 6 9 0"},
        ListingCase{"(a){2,3}", "", "6 23 40 6 8:a 55 24{2,3} 0"},
        ListingCase{"(a)*?", "", "6 23 40 6 8:a 55 33{0,2147483646} 0"},
        ListingCase{"a|b", "", "6 8:a 6 8:b 0"}, ListingCase{"()", "", "6 40 6 9 55 0"},
        ListingCase{"[]a]", "", "6 25:]aa 0"}, ListingCase{"[a-]", "", "6 25:-aa 0"},
        ListingCase{"[^abc]", "", "6 26:abc 0"}, ListingCase{"[cba]", "i", "6 27 0"},
        ListingCase{"a(?i)b", "", "6 8:a 19 20:b 0"}, ListingCase{"a(?#note)b", "", "6 8:a 19 8:b 0"},
        ListingCase{"a b # note\n c", "x", "6 8:ab 19 8:c 0"}, ListingCase{"^$.", "", "6 1 2 3 0"},
        ListingCase{"^$.", "m-s", "6 34 35 36 0"},
        ListingCase{"\\A\\Z\\b\\B\\d\\D", "", "6 1 2 37 38 12 13 0"},
        ListingCase{"(a)\\1", "i", "6 40 6 20:a 55 29 0"}));

/// Members of the set that `expression` (a single set) matches, as a string of characters.
std::string SetMembers(std::string_view expression, std::string_view modifiers = "") {
  TRegex re;
  if (!modifiers.empty()) re.SetModifierStr(modifiers);
  re.SetExpression(expression);
  std::string members;
  for (int c = 1; c < 256; ++c)
    if (re.Exec(std::string(1, static_cast<char>(c))) && re.MatchLen(0) == 1) members += static_cast<char>(c);
  return members;
}

TEST(RegexBracketTest, LiteralDashesBracketsAndClassEscapes) {
  EXPECT_EQ(SetMembers("[]a]"), "]a");
  EXPECT_EQ(SetMembers("[a-]"), "-a");
  EXPECT_EQ(SetMembers("[\\d-z]"), "-0123456789z");
  EXPECT_EQ(SetMembers("[a\\d-z]"), "0123456789abcdefghijklmnopqrstuvwxyz");
  EXPECT_EQ(SetMembers("[a-c-e]"), "abcde");
  EXPECT_EQ(SetMembers("[\\D\\S\\W]"), "DSW");
  EXPECT_EQ(SetMembers("[a-\\x63]"), "abc");
  EXPECT_EQ(SetMembers("[\\t\\n]"), "\t\n");
  EXPECT_EQ(SetMembers("[a-c]", "i"), "ABCabc");
  EXPECT_EQ(SetMembers("[^\\x01-\\x60b-\\xFF]"), "a");
  EXPECT_EQ(SetMembers("\\s"), "\t\n\f\r ");
}

TEST(RegexBracketTest, CyrillicRangesFollowModifierR) {
  const std::string lowerLetters = SetMembers("[\\xE0-\\xFF]");
  EXPECT_EQ(lowerLetters.size(), 33u);
  EXPECT_NE(lowerLetters.find('\xB8'), std::string::npos);
  EXPECT_EQ(SetMembers("[\\xE0-\\xFF]", "-r").find('\xB8'), std::string::npos);
  const std::string upperLetters = SetMembers("[\xC0-\xDF]");
  EXPECT_EQ(upperLetters.size(), 33u);
  EXPECT_NE(upperLetters.find('\xA8'), std::string::npos);
  const std::string allLetters = SetMembers("[\xE0-\xDF]");
  EXPECT_EQ(allLetters.size(), 66u);
  EXPECT_NE(allLetters.find('\xA8'), std::string::npos);
  EXPECT_NE(allLetters.find('\xB8'), std::string::npos);
}

TEST(RegexOptimisationTest, StartCharacterAnchorAndMustString) {
  TRegex re;
  EXPECT_EQ(CompileOrDie(re, "abc").start_char, 'a');
  EXPECT_FALSE(CompileOrDie(re, "abc").anchored);
  EXPECT_TRUE(CompileOrDie(re, "^abc").anchored);
  EXPECT_TRUE(CompileOrDie(re, "\\Aabc").anchored);
  EXPECT_EQ(CompileOrDie(re, "abc|abd").start_char, 0);
  EXPECT_FALSE(CompileOrDie(re, "(?m)^abc").anchored);
  EXPECT_EQ(CompileOrDie(re, "(?i)abc").start_char, 0);

  const RegexCode& p = CompileOrDie(re, "a*bcd+efgh");
  ASSERT_GE(p.must_offset, 0);
  EXPECT_EQ(std::string(reinterpret_cast<const char*>(&p.code[p.must_offset]), p.must_length), "efgh");
  const RegexCode& tie = CompileOrDie(re, "x*ab.cd");
  EXPECT_EQ(std::string(reinterpret_cast<const char*>(&tie.code[tie.must_offset]), tie.must_length), "cd");
  EXPECT_EQ(CompileOrDie(re, "abcd").must_offset, -1) << "only a program that starts with a repetition";
}

TEST(RegexOptimisationTest, FirstCharacterSets) {
  auto members = [](std::string_view expression) {
    TRegex re;
    const RegexCode& p = CompileOrDie(re, expression);
    std::string out;
    for (int c = 0; c < 256; ++c)
      if (p.first_chars.Has(static_cast<uint8_t>(c)))
        out += c == 0 ? std::string("\\0") : std::string(1, char(c));
    return out;
  };
  EXPECT_EQ(members("(a|b)c"), "ab");
  EXPECT_EQ(members("x*y"), "xy");
  EXPECT_EQ(members("x+y"), "x");
  EXPECT_EQ(members("x{0,2}y"), "xy");
  EXPECT_EQ(members("(xy){0,2}z"), "xz");
  EXPECT_EQ(members("(?i)k"), "Kk");
  EXPECT_EQ(members("\\d"), "0123456789");
  EXPECT_EQ(members("\\bq"), "q");
  EXPECT_EQ(members("$"), "\\0");
  EXPECT_EQ(members("(?m)$"), "\\0\n\r");
  EXPECT_EQ(members("(ab)*c"), "ac");
  EXPECT_EQ(members("a?b"), "ab");
  EXPECT_EQ(members("[^\\x01-\\xFF]|z"), "\\0z");
  TRegex re;
  EXPECT_EQ(CompileOrDie(re, ".").first_chars.Count(), 256);
}

TEST(RegexCompileTest, SettingTheSameExpressionKeepsTheProgram) {
  TRegex re;
  re.SetExpression("a+b");
  re.Compile();
  const RegexCode* program = re.CompiledProgram();
  re.SetExpression("a+b");
  EXPECT_EQ(re.CompiledProgram(), program);
  re.SetExpression("a+c");
  EXPECT_EQ(re.CompiledProgram(), nullptr);
}

TEST(RegexCompileTest, ExpressionEndsAtZeroByte) {
  EXPECT_EQ(regex_test::Run(std::string("ab\0c", 4), "", "xabd"), "ab");
}

}  // namespace
