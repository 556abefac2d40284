// TRegex matcher: sets, quantifiers, modifiers, anchors and line separators, back-references
// and the search driver. Each case gives the expected groups as "group0|group1|...".
#include <gtest/gtest.h>

#include <string>
#include <tuple>
#include <utility>

#include "RegexTestSupport.h"
#include "common/units/Regex.h"
#include "platform/core/Strings.h"

namespace {

struct MatchCase {
  const char* expression;
  const char* modifiers;  // applied to the defaults (r s g on)
  std::string input;
  const char* expected;  // "-" = no match
};

/// Names the case in test listings; the modifiers keep the names of cases apart that differ
/// only in them (CTest would run one of two equal names).
void PrintTo(const MatchCase& c, std::ostream* os) {
  *os << c.expression << " on \"" << c.input << "\"";
  if (*c.modifiers != '\0') *os << " with " << c.modifiers;
}

class RegexMatchTest : public ::testing::TestWithParam<MatchCase> {};

TEST_P(RegexMatchTest, FindsExpectedGroups) {
  const MatchCase& c = GetParam();
  EXPECT_EQ(regex_test::Run(c.expression, c.modifiers, c.input), c.expected);
}

INSTANTIATE_TEST_SUITE_P(
    Sets, RegexMatchTest,
    ::testing::Values(MatchCase{"[]a]+", "", "x]a]y", "]a]"}, MatchCase{"[^abc]+", "", "abxyzc", "xyz"},
                      MatchCase{"[^a-z0-9]+", "", "ab12..!x", "..!"},
                      MatchCase{"\\w+", "", "  foo_1 ", "foo_1"}, MatchCase{"\\W+", "", "ab, cd", ", "},
                      MatchCase{"\\s+", "", "a \t\r\nb", " \t\r\n"}, MatchCase{"\\S+", "", "  ab ", "ab"},
                      MatchCase{"\\d+", "", "ab123c", "123"}, MatchCase{"\\D+", "", "12ab3", "ab"},
                      MatchCase{"[\\x41-\\x43]+", "", "ZABCD", "ABC"},
                      MatchCase{"\\x{41}\\x42", "", "AB", "AB"}, MatchCase{"[A-C]+", "i", "xaBcd", "aBc"},
                      MatchCase{"[^a]", "i", "Ab", "b"},
                      MatchCase{"\\t\\n\\r\\f\\a\\e", "", "\t\n\r\f\a\x1b", "\t\n\r\f\a\x1b"},
                      MatchCase{"a\\.b", "", "axb a.b", "a.b"}, MatchCase{"\\s", "i", "S", "-"}));

INSTANTIATE_TEST_SUITE_P(
    Quantifiers, RegexMatchTest,
    ::testing::Values(
        MatchCase{"a*", "", "aaab", "aaa"}, MatchCase{"a*?", "", "aaa", ""}, MatchCase{"a+?", "", "aaa", "a"},
        MatchCase{"a{2,3}", "", "aaaa", "aaa"}, MatchCase{"a{2,3}?", "", "aaaa", "aa"},
        MatchCase{"a{2}", "", "aaaa", "aa"}, MatchCase{"a{2,}", "", "aaaaa", "aaaaa"},
        MatchCase{"a{0}b", "", "aab", "b"}, MatchCase{"xa{2,3}", "", "xa", "-"},
        MatchCase{"a*ab", "", "aaab", "aaab"}, MatchCase{"a*?b", "", "aaab", "aaab"},
        MatchCase{"(ab)*c", "", "xababc", "ababc|ab"}, MatchCase{"(ab)+?", "", "ababab", "ab|ab"},
        MatchCase{"(ab)*?c", "", "ababc", "ababc|ab"}, MatchCase{"(ab)??ab", "", "ab", "ab"},
        MatchCase{"(ab)?ab", "", "abab", "abab|ab"}, MatchCase{"(ab){2,3}", "", "abababab", "ababab|ab"},
        MatchCase{"(ab){2,3}?", "", "abababab", "abab|ab"},
        MatchCase{"(ab){2,}?(c)", "", "ababababc", "ababababc|ab|c"},
        MatchCase{"(a|ab)(c|bcd)(d*)", "", "abcd", "abcd|a|bcd|"},
        // A counted loop's level comes back when what follows it fails.
        MatchCase{"(a|ab){1}c", "", "abc", "abc|ab"},
        MatchCase{"((a|ab){1}c){2}", "", "acabc", "acabc|abc|ab"},
        // A non-greedy counted loop runs what follows it at the enclosing loop's level.
        MatchCase{"((ab)+?c){2}", "", "ababcabc", "ababcabc|abc|ab"},
        MatchCase{"((a.)*?b){2}", "", "axbaybb", "axbayb|ayb|ay"}, MatchCase{"x*", "-g", "xxx", ""},
        MatchCase{"x+", "-g", "xxx", "x"}, MatchCase{"(ab){2,3}", "-g", "ababab", "abab|ab"},
        MatchCase{"(ab)*c", "-g", "ababc", "ababc|ab"}, MatchCase{"a.*b", "", "xaxbxbx", "axbxb"},
        MatchCase{"a.*?b", "", "xaxbxbx", "axb"}, MatchCase{"<[^>]+>", "", "a<b>c<d>", "<b>"},
        MatchCase{"a{1,2}?b", "", "aab", "aab"}));

INSTANTIATE_TEST_SUITE_P(
    Modifiers, RegexMatchTest,
    ::testing::Values(MatchCase{"abc", "i", "xABC", "ABC"}, MatchCase{"(?i)abc", "", "ABC", "ABC"},
                      MatchCase{"(x(?i)a)a", "", "xAa", "xAa|xA"}, MatchCase{"(x(?i)a)a", "", "xAA", "-"},
                      MatchCase{"a(?-i)b", "i", "AB", "-"}, MatchCase{"a(?-i)b", "i", "Ab", "Ab"},
                      MatchCase{"(a)\\1", "i", "aA", "aA|a"}, MatchCase{"(a)\\1", "", "aA", "-"},
                      MatchCase{"a.b", "", "a\nb", "a\nb"}, MatchCase{"a.b", "-s", "a\nb", "-"},
                      MatchCase{"a.+", "-s", "ab\ncd", "ab"}, MatchCase{"a.c", "-s", "a\rc", "-"},
                      MatchCase{"a b c", "x", "abc", "abc"}, MatchCase{"a # note\n b", "x", "ab", "ab"},
                      MatchCase{"a[ ]b", "x", "a b", "a b"}, MatchCase{"a\\ b", "x", "a b", "a b"},
                      MatchCase{"(?x) a b", "", "ab", "ab"}, MatchCase{"(?s-s).", "", "\n", "-"}));

INSTANTIATE_TEST_SUITE_P(
    AnchorsAndSeparators, RegexMatchTest,
    ::testing::Values(MatchCase{"^abc$", "", "abc", "abc"}, MatchCase{"^abc$", "", "abc\n", "-"},
                      MatchCase{"^b", "", "a\nb", "-"}, MatchCase{"^b", "m", "a\nb", "b"},
                      MatchCase{"a$", "m", "a\nb", "a"}, MatchCase{"a$", "", "a\nb", "-"},
                      MatchCase{"(?m)^b", "", "a\r\nb", "b"}, MatchCase{"(?m)a$", "", "ba\r\n", "a"},
                      MatchCase{"^\\n", "m", "\r\n", "-"}, MatchCase{"\\r$", "m", "\r\n", "-"},
                      MatchCase{"\\Aab", "m", "x\nab", "-"}, MatchCase{"ab\\Z", "m", "ab\nx", "-"},
                      MatchCase{"ab\\Z", "", "xab", "ab"}, MatchCase{"\\bfoo\\b", "", "a foo b", "foo"},
                      MatchCase{"\\bfoo\\b", "", "afoo", "-"}, MatchCase{"\\Boo", "", "foo", "oo"},
                      MatchCase{"o\\b", "", "foo", "o"}, MatchCase{"$", "", "ab", ""}));

INSTANTIATE_TEST_SUITE_P(
    BackReferences, RegexMatchTest,
    ::testing::Values(
        MatchCase{"(a+)b\\1", "", "aabaa", "aabaa|aa"}, MatchCase{"(a)|\\1", "", "x", "-"},
        MatchCase{"(a)|b\\1", "", "b", "-"},
        // Repetitions advance by the characters the group matched.
        MatchCase{"(ab)\\1*x", "", "abababx", "abababx|ab"},
        MatchCase{"(ab)\\1{2}", "", "abababab", "ababab|ab"},
        MatchCase{"(ab)\\1*?x", "", "ababx", "ababx|ab"}, MatchCase{"(ab)\\1+", "i", "abABaB", "abABaB|ab"},
        // A back-reference to an empty group neither hangs nor takes input.
        MatchCase{"(a*)x\\1*y", "", "xy", "xy|"}, MatchCase{"(a*)x\\1{3,}y", "", "xy", "xy|"},
        MatchCase{"(a*)x(\\1)*y", "", "xy", "xy||"}, MatchCase{"(a*)x(\\1)+y", "", "xy", "xy||"},
        MatchCase{"(a*)x(\\1){2,}y", "", "xy", "xy||"}, MatchCase{"(a*)x(\\1)*?y", "", "xy", "xy|"}));

// Loops whose body can match nothing must not hide a start position from the search.
INSTANTIATE_TEST_SUITE_P(
    EmptyCapableLoops, RegexMatchTest,
    ::testing::Values(MatchCase{"(1{0,1}){2}x", "", "x", "x|"}, MatchCase{"(a{0,1}){1}", "", "", "|"},
                      MatchCase{"(b{0,1}){2}", "", "ab", "|"}, MatchCase{"(b{0,}){1,2}", "", "_bbc", "|"},
                      MatchCase{"(b{0,1}){2}?c", "", "xc", "c|"}, MatchCase{"(a{0,1}|b){3}x", "", "yx", "x|"},
                      MatchCase{"((b{0,1}){2}){2}y", "", "y", "y||"},
                      MatchCase{"(x{0,2}y{0,1}){2}z", "", "z", "z|"},
                      MatchCase{"(a{0,1}\\b){2}a", "", " a", "a|"},
                      MatchCase{"(a{0,1}c{0,1})+x", "", "x", "x|"}));

// A 0 from an escape is a character like any other in a literal: it never matches, since
// no input holds it, and it neither ends the literal nor the program.
INSTANTIATE_TEST_SUITE_P(
    ZeroEscapes, RegexMatchTest,
    ::testing::Values(MatchCase{"\\x00ab\\Y", "", "ab", "-"}, MatchCase{"\\x00aa\\a", "", "aa\a", "-"},
                      MatchCase{"\\x{0}ab\\Y", "", "", "-"}, MatchCase{"\\x{00}xy\\z", "i", "xyz", "-"},
                      MatchCase{"a\\x00*b", "", "ab", "ab"}, MatchCase{"a|\\x00b", "", "b", "-"},
                      MatchCase{"(\\x00)?b(\\x00)?", "", "b", "b"}, MatchCase{"[\\x00b]", "", "ab", "b"},
                      MatchCase{"x+\\x00", "", "xx", "-"}, MatchCase{"(a\\x00|a)b", "", "ab", "ab|a"}));

TEST(RegexSearchTest, StopsAtEmbeddedZeroByte) {
  TRegex re;
  re.SetExpression("cd");
  EXPECT_FALSE(re.Exec(std::string("ab\0cd", 5)));
  re.SetExpression("b$");
  EXPECT_TRUE(re.Exec(std::string("ab\0cd", 5)));
  EXPECT_EQ(re.InputString(), "ab");
}

TEST(RegexSearchTest, ExecNextWalksThroughMatches) {
  TRegex re;
  re.SetExpression("\\d+");
  ASSERT_TRUE(re.Exec("a1b22c333"));
  EXPECT_EQ(re.GetMatch(0), "1");
  ASSERT_TRUE(re.ExecNext());
  EXPECT_EQ(re.GetMatch(0), "22");
  EXPECT_EQ(re.MatchPos(0), 4);
  ASSERT_TRUE(re.ExecNext());
  EXPECT_EQ(re.GetMatch(0), "333");
  EXPECT_FALSE(re.ExecNext());
  EXPECT_EQ(re.MatchPos(0), -1);
}

TEST(RegexSearchTest, EmptyMatchesAdvanceOneCharacter) {
  TRegex re;
  re.SetExpression("x*");
  ASSERT_TRUE(re.Exec("ab"));
  std::string positions;
  do positions += std::to_string(re.MatchPos(0));
  while (re.ExecNext());
  EXPECT_EQ(positions, "123");
}

TEST(RegexSearchTest, ExecPosBounds) {
  TRegex re;
  re.SetExpression("b");
  ASSERT_TRUE(re.Exec("abab"));
  EXPECT_TRUE(re.ExecPos(3));
  EXPECT_EQ(re.MatchPos(0), 4);
  EXPECT_FALSE(re.ExecPos(5));
  EXPECT_FALSE(re.ExecPos(6));
  re.SetExpression("$");
  EXPECT_TRUE(re.ExecPos(5));
  EXPECT_FALSE(re.ExecPos(6));
}

TEST(RegexSearchTest, MatchAccessorsOutsideTheGroups) {
  TRegex re;
  EXPECT_EQ(re.MatchPos(0), -1) << "no input yet";
  re.SetExpression("(a)|(b)");
  ASSERT_TRUE(re.Exec("b"));
  EXPECT_EQ(re.SubExprMatchCount(), 2);
  EXPECT_EQ(re.MatchPos(1), -1);
  EXPECT_EQ(re.MatchLen(1), -1);
  EXPECT_EQ(re.GetMatch(1), "");
  EXPECT_EQ(re.MatchPos(2), 1);
  EXPECT_EQ(re.MatchPos(15), -1);
  EXPECT_EQ(re.MatchPos(-1), -1);
  EXPECT_EQ(re.GetMatch(15), "");
  EXPECT_FALSE(re.Exec("c"));
  EXPECT_EQ(re.SubExprMatchCount(), -1);
}

TEST(RegexSearchTest, ModifierChangeRecompiles) {
  TRegex re;
  re.SetExpression("abc");
  EXPECT_FALSE(re.Exec("ABC"));
  re.SetModifier(1, true);
  EXPECT_TRUE(re.GetModifier(1));
  EXPECT_TRUE(re.Exec("ABC"));
}

TEST(RegexSearchTest, CyrillicCaseFollowsTheCodePage) {
  TRegex re;
  re.SetInvertCase([](unsigned char c) { return RegexInvertCaseForCodePage(c, 1251); });
  re.SetModifier(1, true);
  re.SetExpression("\xE0\xB8[\xE0-\xE1]");  // lower-case a, yo, a..b
  EXPECT_TRUE(re.Exec("\xC0\xA8\xC1"));
  re.SetInvertCase([](unsigned char c) { return RegexInvertCaseForCodePage(c, 1252); });
  EXPECT_TRUE(re.Exec("\xC0\xB8\xC1"));
  EXPECT_FALSE(re.Exec("\xC0\xA8\xC1"));
  // "APPLE" and "apple": the lower case of the first letter is the last byte, 0xFF.
  const std::string upper = "\xDF\xC1\xCB\xCE\xCA\xCE", lower = "\xFF\xE1\xEB\xEE\xEA\xEE";
  re.SetInvertCase([](unsigned char c) { return RegexInvertCaseForCodePage(c, 1251); });
  for (const auto& [pattern, text] : {std::pair(upper, lower), std::pair(lower, upper)}) {
    re.SetExpression(pattern);
    EXPECT_TRUE(re.Exec(text)) << pattern;
  }
}

TEST(RegexSearchTest, CaseFoldsInEverySingleByteCodePage) {
  // The code page, a byte and its other case.
  const std::tuple<int, unsigned char, unsigned char> cases[] = {
      {1253, 0xC1, 0xE1}, {1253, 0xF2, 0xD3}, {1253, 0xD3, 0xF3}, {1254, 0xFD, 'I'}, {1257, 0xC0, 0xE0},
      {866, 0x80, 0xA0},  {1255, 0xE0, 0xE0}, {932, 0xC1, 0xC1},  {932, 'q', 'Q'},   {1252, 0xB5, 0xB5},
  };
  for (const auto& [codePage, c, inverted] : cases)
    EXPECT_EQ(RegexInvertCaseForCodePage(c, codePage), inverted) << codePage << " " << int{c};
}

TEST(RegexSearchTest, LineSeparatorsAndPairAreConfigurable) {
  TRegex re;
  re.SetModifier(5, true);
  re.SetLineSeparators(";");
  re.SetLinePairedSeparator("");
  re.SetExpression("^b$");
  EXPECT_TRUE(re.Exec("a;b;c"));
  EXPECT_FALSE(re.Exec("a\nb\nc"));
  re.SetLineSeparators("\r\n");
  re.SetExpression("^\\n");
  EXPECT_TRUE(re.Exec("\r\n")) << "without the pair, LF after CR starts a line";
  re.SetLinePairedSeparator("\r\n");
  EXPECT_FALSE(re.Exec("\r\n"));
  EXPECT_EQ(re.LinePairedSeparator(), "\r\n");
}

TEST(RegexSearchTest, WordCharsDefineBoundaries) {
  TRegex re;
  re.SetWordChars("ab");
  re.SetExpression("\\bb\\w*");
  ASSERT_TRUE(re.Exec("cbab"));
  EXPECT_EQ(re.GetMatch(0), "bab");
  re.SetSpaceChars("_");
  re.SetExpression("\\s+");
  ASSERT_TRUE(re.Exec("a _ b"));
  EXPECT_EQ(re.GetMatch(0), "_");
}

// The backtracking state lives on the heap: long inputs neither overflow the native stack nor
// take memory without bound.
TEST(RegexDeepInputTest, MatchesOneMegabyteLine) {
  const std::string line(1 << 20, 'a');
  TRegex re;
  re.SetExpression("^(a|b)*$");
  ASSERT_TRUE(re.Exec(line));
  EXPECT_EQ(re.MatchLen(0), 1 << 20);
  EXPECT_EQ(re.GetMatch(1), "a");
  re.SetExpression("^(a|b)*c");
  EXPECT_FALSE(re.Exec(line));
  re.SetExpression("(a.)*?$");
  ASSERT_TRUE(re.Exec(line));
  EXPECT_EQ(re.MatchLen(0), 1 << 20);
}

TEST(RegexDeepInputTest, RefusesMatchThatOutgrowsTheBacktrackStack) {
  const std::string line(1 << 20, 'a');
  TRegex re;
  re.SetMatchStepLimit(int64_t{1} << 40);     // let the stack run out first
  re.SetExpression("^((((((a|ab)))))|b)*$");  // every iteration leaves a choice
  try {
    re.Exec(line);
    FAIL() << "matched";
  } catch (const ERegex& e) {
    EXPECT_EQ(e.ErrorCode(), 1016);
  }
  EXPECT_EQ(re.MatchPos(0), -1);
  re.SetExpression("a+");
  EXPECT_TRUE(re.Exec(line)) << "the object stays usable";
}

}  // namespace

namespace {

/// Runs `expression` on `input` with the default step limit; the error code, or 0.
int SearchError(std::string_view expression, const std::string& input) {
  TRegex re;
  re.SetExpression(expression);
  try {
    re.Exec(input);
  } catch (const ERegex& e) {
    EXPECT_EQ(re.MatchPos(0), -1);
    return e.ErrorCode();
  }
  return 0;
}

}  // namespace

// Patterns that backtrack without end stop with the step-limit error instead of hanging.
TEST(RegexStepLimitTest, RunawayBacktrackingEndsWithAnError) {
  EXPECT_EQ(SearchError(R"("([^\\"]+|\\.)*")", "\"" + std::string(28, 'a')), 1018);
  EXPECT_EQ(SearchError("(.+)+[xy]", std::string(30, 'a')), 1018);
  EXPECT_EQ(SearchError("(a|aa)+[bc]", std::string(60, 'a')), 1018);
  // Iterations that take nothing count too; this one may outgrow the backtrack stack first.
  const int emptyLoops = SearchError("((a{0,1}){99999999}){99999999}", "b");
  EXPECT_TRUE(emptyLoops == 1018 || emptyLoops == 1016) << emptyLoops;
  TRegex re;
  re.SetExpression("(.+)+[xy]");
  try {
    re.Exec(std::string(30, 'a'));
  } catch (const ERegex& e) {
    EXPECT_STREQ(e.what(), "TRegex(exec): Match Step Limit Exceeded");
    EXPECT_EQ(re.LastError(), 1018);
  }
  EXPECT_TRUE(re.Exec(std::string(30, 'a') + "x")) << "the object stays usable";
}

TEST(RegexStepLimitTest, LimitIsSettableAndHoldsPerSearch) {
  TRegex re;
  EXPECT_EQ(re.MatchStepLimit(), TRegex::kDefaultMatchStepLimit);
  re.SetExpression("(a|aa)+[cd]");
  const std::string input = std::string(20, 'a') + "b";
  EXPECT_FALSE(re.Exec(input));
  re.SetMatchStepLimit(100);
  try {
    re.Exec(input);
    ADD_FAILURE() << "no step-limit error";
  } catch (const ERegex& e) {
    EXPECT_EQ(e.ErrorCode(), 1018);
  }
  re.SetMatchStepLimit(0);
  EXPECT_EQ(re.MatchStepLimit(), 1);
  // Every search has the whole budget: many small matches in one long input all succeed.
  re.SetMatchStepLimit(1000);
  re.SetExpression("(a|b)+c");
  const std::string many = [] {
    std::string s;
    for (int i = 0; i < 500; ++i) s += "abc ";
    return s;
  }();
  TStringList pieces;
  re.Split(many, pieces);
  EXPECT_EQ(pieces.Count(), 501);
}

// A long input with many start positions that fail is not a runaway: each character searched
// adds to the steps a search may take.
TEST(RegexStepLimitTest, LongInputsWithManyFailingStartsDoNotRunOut) {
  std::string numbers;
  while (numbers.size() < (1u << 20)) numbers += "12345 2.5.1 ";
  TRegex re;
  re.SetMatchStepLimit(1000);
  re.SetExpression("((25[0-5]|2[0-4][0-9]|[01]?[0-9][0-9]?)\\.){3}(25[0-5]|2[0-4][0-9]|[01]?[0-9][0-9]?)");
  EXPECT_FALSE(re.Exec(numbers));
  re.SetExpression("(\\w+\\s*)+=");
  EXPECT_FALSE(re.Exec(numbers));
}

// A greedy repetition that what follows cannot extend gives nothing back, and a failed start
// inside a run lets the search skip the run: these inputs take linear time.
TEST(RegexStepLimitTest, RunsOfOneClassNeedNoBacktracking) {
  const std::string letters(1 << 16, 'q');
  TRegex re;
  re.SetMatchStepLimit(1'000'000);
  re.SetExpression("[a-z]+\\d");
  EXPECT_FALSE(re.Exec(letters));
  re.SetExpression("[a-z][a-z0-9]*://");
  EXPECT_FALSE(re.Exec(letters));
  re.SetExpression("q*r");
  EXPECT_FALSE(re.Exec(letters));
  re.SetExpression("[a-z]+\\d");
  ASSERT_TRUE(re.Exec(letters + "7"));
  EXPECT_EQ(re.MatchPos(0), 1);
  re.SetExpression("x?q+\\d");
  ASSERT_TRUE(re.Exec("xq qq xqq7"));
  EXPECT_EQ(re.GetMatch(0), "xqq7");
  re.SetExpression("[ab]c*d");  // the run ends where the next start may begin
  ASSERT_TRUE(re.Exec("acbcd"));
  EXPECT_EQ(re.GetMatch(0), "bcd");
  re.SetExpression("[ab]*ab");  // what follows may begin with a character taken: gives back
  ASSERT_TRUE(re.Exec("aabab"));
  EXPECT_EQ(re.GetMatch(0), "aabab");
}
