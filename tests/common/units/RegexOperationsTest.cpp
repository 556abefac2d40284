// TRegex operations: substitution templates, Split, Replace (with and without "$n"),
// ReplaceWithFunction, the HTML clean-up the converter runs, and the run-time errors.
#include <gtest/gtest.h>

#include <ostream>
#include <string>
#include <string_view>

#include "common/units/Regex.h"
#include "platform/core/Strings.h"

namespace {

int ErrorCodeOf(const std::function<void()>& action) {
  try {
    action();
  } catch (const ERegex& e) {
    return e.ErrorCode();
  }
  return 0;
}

struct TemplateCase {
  const char* tmpl;
  const char* expected;
};
/// Names the case in test listings instead of dumping its bytes.
void PrintTo(const TemplateCase& c, std::ostream* os) {
  *os << "template \"" << c.tmpl << '"';  // quoted: a name must not end in a backslash
}

class RegexSubstituteTest : public ::testing::TestWithParam<TemplateCase> {};

TEST_P(RegexSubstituteTest, ExpandsTemplate) {
  TRegex re;
  re.SetExpression("(\\w+) (\\w+)(x)?");
  ASSERT_TRUE(re.Exec("> hello world <"));
  EXPECT_EQ(re.Substitute(GetParam().tmpl), GetParam().expected) << GetParam().tmpl;
}

INSTANTIATE_TEST_SUITE_P(
    Regex, RegexSubstituteTest,
    ::testing::Values(TemplateCase{"$1", "hello"}, TemplateCase{"${1}x", "hellox"},
                      TemplateCase{"$2-$1", "world-hello"}, TemplateCase{"$x", "$x"},
                      TemplateCase{"$&", "hello world"}, TemplateCase{"${&}!", "hello world!"},
                      TemplateCase{"${}", "hello world"}, TemplateCase{"$0", "hello world"},
                      TemplateCase{"$", "$"}, TemplateCase{"a$", "a$"}, TemplateCase{"\\$1", "$1"},
                      TemplateCase{"\\\\", "\\"}, TemplateCase{"a\\", "a\\"}, TemplateCase{"${1", "${1"},
                      TemplateCase{"${1x}", "${1x}"}, TemplateCase{"$3.", "."}, TemplateCase{"$15", ""},
                      TemplateCase{"$01", "hello"}, TemplateCase{"$99999999999999", ""}, TemplateCase{"", ""},
                      TemplateCase{"<$2>", "<world>"}));

TEST(RegexSubstituteTest, NeedsAnInput) {
  TRegex re;
  re.SetExpression("a");
  EXPECT_EQ(ErrorCodeOf([&] { re.Substitute("$1"); }), 1005);
}

std::string Pieces(std::string_view expression, std::string_view input) {
  TRegex re;
  re.SetExpression(expression);
  TStringList list;
  list.Add("old");
  re.Split(input, list);
  std::string out;
  for (int i = 0; i < list.Count(); ++i) out += "[" + list[i] + "]";
  return out;
}

TEST(RegexSplitTest, AppendsPiecesBetweenMatches) {
  EXPECT_EQ(Pieces(";", "a;b;"), "[old][a][b][]");
  EXPECT_EQ(Pieces(";", "name1;name2"), "[old][name1][name2]");
  EXPECT_EQ(Pieces("\\|", "one|two||three"), "[old][one][two][][three]");
  EXPECT_EQ(Pieces(";", "no separator"), "[old][no separator]");
  EXPECT_EQ(Pieces(";", ""), "[old][]");
  EXPECT_EQ(Pieces("x*", "ab"), "[old][][a][b][]");
  EXPECT_EQ(Pieces("\\s*,\\s*", "a , b,c"), "[old][a][b][c]");
}

struct ReplaceCase {
  const char* expression;
  const char* input;
  const char* with;
  bool substitute;
  const char* expected;
};
/// Names the case in test listings instead of dumping its bytes.
void PrintTo(const ReplaceCase& c, std::ostream* os) {
  *os << "/" << c.expression << "/ on \"" << c.input << "\" with \"" << c.with
      << (c.substitute ? "\" substituted" : "\"");
}

class RegexReplaceTest : public ::testing::TestWithParam<ReplaceCase> {};

TEST_P(RegexReplaceTest, ReplacesEveryMatch) {
  const ReplaceCase& c = GetParam();
  TRegex re;
  re.SetExpression(c.expression);
  EXPECT_EQ(re.Replace(c.input, c.with, c.substitute), c.expected) << c.expression;
}

INSTANTIATE_TEST_SUITE_P(Regex, RegexReplaceTest,
                         ::testing::Values(ReplaceCase{"b", "abcb", "X", false, "aXcX"},
                                           ReplaceCase{"z", "abc", "X", false, "abc"},
                                           ReplaceCase{"(\\w)(\\d)", "a1 b2", "$2$1", true, "1a 2b"},
                                           ReplaceCase{"(\\w)(\\d)", "a1 b2", "$2$1", false, "$2$1 $2$1"},
                                           ReplaceCase{"x*", "ab", "-", false, "-a-b-"},
                                           ReplaceCase{"^", "ab", ">", false, ">ab"},
                                           ReplaceCase{"$", "ab", "<", false, "ab<"},
                                           ReplaceCase{"a|", "bab", "-", false, "-b--b-"},
                                           ReplaceCase{"(a)(b)?", "aab", "[$2]", true, "[][b]"}));

TEST(RegexReplaceTest, SplitAndReplaceEndTheInputAtItsFirstZeroByte) {
  using namespace std::string_view_literals;
  EXPECT_EQ(Pieces(";", "a;b\0;c"sv), "[old][a][b]");
  EXPECT_EQ(Pieces(";", "ab\0;c"sv), "[old][ab]");
  TRegex re;
  re.SetExpression("b");
  EXPECT_EQ(re.Replace("abc\0b"sv, "X"), "aXc");
  EXPECT_EQ(re.Replace("ac\0b"sv, "X"), "ac");
  EXPECT_EQ(re.ReplaceWithFunction("ab\0b"sv, [](TRegex&) { return std::string("Y"); }), "aY");
}

TEST(RegexReplaceTest, EmptyExpressionIsAnError) {
  TRegex re;
  EXPECT_EQ(ErrorCodeOf([&] { re.Replace("ab", "x"); }), 1003);
}

TEST(RegexReplaceWithFunctionTest, CallbackReadsGroups) {
  TRegex re;
  re.SetExpression("(\\d+)");
  int calls = 0;
  const std::string out = re.ReplaceWithFunction("a1b22c", [&](TRegex& r) {
    ++calls;
    return "<" + std::to_string(r.MatchPos(1)) + ":" + r.GetMatch(1) + ">";
  });
  EXPECT_EQ(out, "a<2:1>b<4:22>c");
  EXPECT_EQ(calls, 2);
}

TEST(RegexReplaceWithFunctionTest, CallbackMayUseTheSameInputCopy) {
  TRegex re;
  re.SetExpression("b");
  const std::string out = re.ReplaceWithFunction("abab", [](TRegex& r) { return r.InputString(); });
  EXPECT_EQ(out, "aababaabab");
}

// Exec stores each new input over the old one; an input that views the stored one (or part
// of it) must still be read as it was.
TEST(RegexReplaceTest, InputMayViewTheStoredInput) {
  TRegex re;
  re.SetExpression("b");
  ASSERT_TRUE(re.Exec("xxabcab"));
  EXPECT_EQ(re.Replace(std::string_view(re.InputString()).substr(2), "B"), "aBcaB");
  ASSERT_TRUE(re.Exec("xabcx"));
  EXPECT_EQ(re.Replace(std::string_view(re.InputString()).substr(1, 3), "B"), "aBc");
  ASSERT_TRUE(re.Exec("xabcx"));
  TStringList pieces;
  re.Split(std::string_view(re.InputString()).substr(1), pieces);
  ASSERT_EQ(pieces.Count(), 2);
  EXPECT_EQ(pieces[0], "a");
  EXPECT_EQ(pieces[1], "cx");
}

/// The converter's line clean-up: one object with modifier i on and five rules in turn.
std::string CleanLine(TRegex& re, const std::string& line) {
  std::string s = line;
  re.SetExpression("^<DIV>&nbsp;</DIV>$");
  s = re.Replace(s, "<BR>", true);
  re.SetExpression("&nbsp;");
  s = re.Replace(s, " ", true);
  re.SetExpression("<FONT size=\\d");
  s = re.Replace(s, "<FONT", true);
  re.SetExpression("<FONT>([^<]*)</FONT>");
  s = re.Replace(s, "$1", true);
  re.SetExpression("^((<[^>]+>)+)( +)");
  if (re.Exec(s))
    s = re.ReplaceWithFunction(s, [](TRegex& r) {
      std::string out = r.GetMatch(1);
      for (size_t i = 0; i < r.GetMatch(3).size(); ++i) out += "&nbsp;";
      return out;
    });
  return s;
}

TEST(RegexHtmlCleanUpTest, RewritesLinesAsTheConverterDoes) {
  TRegex re;
  re.SetModifier(1, true);
  const std::pair<const char*, const char*> cases[] = {
      {"<DIV>&nbsp;</DIV>", "<BR>"},
      {"<div>&nbsp;</div>", "<BR>"},
      {"x<DIV>&nbsp;</DIV>", "x<DIV> </DIV>"},
      {"&nbsp;&nbsp;text", "  text"},
      {"<P><B>&nbsp;&nbsp;x</B></P>", "<P><B>&nbsp;&nbsp;x</B></P>"},
      {"<P>   y", "<P>&nbsp;&nbsp;&nbsp;y"},
      {"<FONT size=2 color=red>x</FONT>", "<FONT color=red>x</FONT>"},
      {"<FONT size=12>x</FONT>", "<FONT2>x</FONT>"},
      {"<font size=3>abc</font>", "abc"},
      {"<FONT>a<B>b</B></FONT>", "<FONT>a<B>b</B></FONT>"},
      {"<FONT>a</FONT> and <FONT>b</FONT>", "a and b"},
      {"plain", "plain"},
      {"", ""},
  };
  for (const auto& [line, expected] : cases) EXPECT_EQ(CleanLine(re, line), expected) << line;
}

TEST(RegexRuntimeErrorTest, CodesAndTexts) {
  TRegex re;
  EXPECT_EQ(ErrorCodeOf([&] { re.ExecNext(); }), 1007);
  re.SetExpression("a");
  EXPECT_EQ(ErrorCodeOf([&] { re.ExecPos(1); }), 1005);
  re.Exec("a");
  EXPECT_EQ(ErrorCodeOf([&] { re.ExecPos(0); }), 1006);
  try {
    re.ExecPos(-3);
  } catch (const ERegex& e) {
    EXPECT_STREQ(e.what(), "TRegex(exec): Offset Must Be Greater Then 0");
    EXPECT_EQ(re.LastError(), 1006);
  }
  EXPECT_EQ(ErrorCodeOf([&] { re.SetModifier(7, true); }), 1013);
  EXPECT_EQ(ErrorCodeOf([&] { re.GetModifier(0); }), 1013);
  EXPECT_EQ(ErrorCodeOf([&] { re.SetLinePairedSeparator("a"); }), 128);
  EXPECT_EQ(ErrorCodeOf([&] { re.SetLinePairedSeparator("aa"); }), 128);
  EXPECT_EQ(ErrorCodeOf([&] { re.SetLinePairedSeparator("abc"); }), 128);
  EXPECT_EQ(re.LinePairedSeparator(), "\r\n");
}

TEST(RegexRuntimeErrorTest, MoreThanTenNestedCountedLoops) {
  auto nested = [](int depth) {
    std::string e(depth, '(');
    e += 'a';
    for (int i = 0; i < depth; ++i) e += "){1}";
    return e;
  };
  TRegex re;
  re.SetExpression(nested(10));
  EXPECT_TRUE(re.Exec("a"));
  re.SetExpression(nested(11));
  EXPECT_EQ(ErrorCodeOf([&] { re.Exec("a"); }), 1014);
  re.SetExpression("(a){1}(b){1}(c){1}(d){1}(e){1}(f){1}(g){1}(h){1}(i){1}(j){1}(k){1}");
  EXPECT_TRUE(re.Exec("abcdefghijk")) << "loops one after another are not nested";
}

TEST(RegexModifierTest, DefaultsAndModifierStrings) {
  TRegex re;
  EXPECT_EQ(re.ModifierStr(), "rsg-imx");
  EXPECT_EQ(re.Modifiers(), TRegex::ModifierR | TRegex::ModifierS | TRegex::ModifierG);
  re.SetModifierStr("iM-sG");
  EXPECT_EQ(re.ModifierStr(), "irm-sgx");
  EXPECT_EQ(ErrorCodeOf([&] { re.SetModifierStr("i-q"); }), 1013);
  EXPECT_EQ(re.ModifierStr(), "irm-sgx") << "a bad string changes nothing";
  uint32_t mods = 0;
  EXPECT_TRUE(TRegex::ParseModifiersStr("xr", mods));
  EXPECT_EQ(mods, TRegex::ModifierX | TRegex::ModifierR);
  EXPECT_FALSE(TRegex::ParseModifiersStr("i z", mods));
  re.SetModifierStr("irsgmx");
  EXPECT_EQ(re.ModifierStr(), "irsgmx");
}

}  // namespace
