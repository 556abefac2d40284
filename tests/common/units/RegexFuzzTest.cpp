// Runs the regex fuzz step over deterministic mutations of expressions the engine and its
// callers use, so that every build exercises it without a fuzzing compiler.
#include <gtest/gtest.h>

#include <cstdint>
#include <random>
#include <string>
#include <vector>

#include "../../../tools/fuzz/RegexFuzzEntry.h"

namespace {

/// Edits expressions by pieces of syntax rather than by bytes, so that most results still
/// compile and reach the matcher.
class ExpressionMutator {
 public:
  explicit ExpressionMutator(uint32_t seed) : rng_(seed) {}

  std::string Mutate(std::string e) {
    static const char* const kPieces[] = {
        "(",    ")",     "|",    "*",     "+",    "?",        "*?",      "{0,1}",  "{2}", "{1,}", "{0}",
        "[",    "]",     "[^a]", "^",     "$",    ".",        "\\x00",   "\\x{0}", "\\b", "\\1",  "\\2",
        "(?i)", "(?-g)", "(?m)", "(?-s)", "(?x)", "#c\n",     " ",       "a",      "b",   "\\",   "-",
        "{",    "}",     "\\d",  "\\w",   "\\s",  "(a{0,1})", "(b?){2}", "&nbsp;", "<"};
    const int edits = 1 + Below(3);
    for (int i = 0; i < edits; ++i) {
      const size_t at = static_cast<size_t>(Below(static_cast<int>(e.size()) + 1));
      switch (Below(4)) {
        case 0:
          e.erase(at, static_cast<size_t>(1 + Below(4)));
          break;
        case 1:
          e.insert(at, e.substr(static_cast<size_t>(Below(static_cast<int>(e.size()) + 1)),
                                static_cast<size_t>(Below(6))));
          break;
        default:
          e.insert(at, kPieces[Below(static_cast<int>(std::size(kPieces)))]);
          break;
      }
    }
    return e;
  }

  std::string Subject() {
    static const char kAlphabet[] = "aabbc AB\r\n<>&;0123456789.@/:\xE0\xB8";
    std::string s;
    const int len = Below(24);
    for (int i = 0; i < len; ++i) s += kAlphabet[Below(sizeof kAlphabet - 1)];
    return s;
  }

  int Below(int n) { return static_cast<int>(rng_() % static_cast<uint32_t>(n)); }

 private:
  std::mt19937 rng_;
};

TEST(RegexFuzzTest, MutatedExpressionsNeverFailOutsideTheLimits) {
  const std::vector<std::string> seeds = {
      "^<DIV>&nbsp;</DIV>$",
      "&nbsp;",
      "<FONT size=\\d",
      "<FONT>([^<]*)</FONT>",
      "^((<[^>]+>)+)( +)",
      "[A-Za-z0-9._%+-]+@[A-Za-z0-9.-]+\\.[A-Za-z]{2,}",
      "[a-z][a-z0-9+.-]*://[^ /]+(/[^ ]*)?",
      "((25[0-5]|2[0-4][0-9]|[01]?[0-9][0-9]?)\\.){3}(25[0-5]|2[0-4][0-9]|[01]?[0-9][0-9]?)",
      "(1{0,1}){2}x",
      "(b{0,}){1,2}",
      "\\x00ab\\Y",
      "(a|ab)(c|bcd)(d*)",
      "((ab)+?c){2}",
      "(a*)x(\\1)*?y",
      "(.+)+[xy]",
  };
  ExpressionMutator mutator(20261207);
  for (int i = 0; i < 20000; ++i) {
    const std::string expression = mutator.Mutate(seeds[static_cast<size_t>(i) % seeds.size()]);
    std::string input(1, static_cast<char>(mutator.Below(64)));
    input += expression;
    input += '\0';
    input += mutator.Subject();
    SCOPED_TRACE(expression);
    EXPECT_NO_THROW(FuzzRegexOnce(reinterpret_cast<const uint8_t*>(input.data()), input.size()));
  }
}

}  // namespace
