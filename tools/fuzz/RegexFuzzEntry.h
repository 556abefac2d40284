// One fuzzing step over the regular-expression engine, shared by the libFuzzer target and the
// unit test that replays it over mutated expressions. The first byte picks the modifiers, the
// bytes up to the next 0 are the expression and the rest is the subject. Compiling may fail
// with a compile error and a search may stop at one of the engine's limits; nothing else may
// go wrong, and the first match must be the same with and without the optimisation data.
#pragma once

#include <cstddef>
#include <cstdint>
#include <stdexcept>
#include <string>
#include <string_view>

#include "../../tests/common/units/RegexTestSupport.h"
#include "common/units/Regex.h"
#include "platform/core/Strings.h"

/// Steps per search while fuzzing: enough for every reasonable match, small enough that one
/// input never takes long.
constexpr int64_t kRegexFuzzStepLimit = 100'000;

/// Run-time errors a well-formed program may raise: the loop nesting, backtrack-stack and
/// step limits.
inline bool IsRegexLimitError(int code) {
  return code == 1014 || code == 1016 || code == 1018;
}

/// The first match (as regex_test::Describe gives it), then the matches after it, a
/// replacement and a split. False when a search stopped at a limit.
inline bool ExerciseRegex(TRegex& re, const std::string& subject, std::string& first) {
  try {
    first = re.Exec(subject) ? regex_test::Describe(re) : "-";
    for (int i = 0; i < 16 && re.MatchPos(0) > 0 && re.ExecNext(); ++i) {
    }
    // Every match of a long subject is a search of its own: keep the subject short here.
    const std::string head = subject.substr(0, 1024);
    const std::string replaced = re.Replace(head, "<$1\\$${&}>", true);
    if (replaced.size() > head.size() * 1024 + 1024) throw std::logic_error("replacement grew without bound");
    TStringList pieces;
    re.Split(head, pieces);
    return true;
  } catch (const ERegex& e) {
    if (!IsRegexLimitError(e.ErrorCode())) throw std::logic_error(std::string("search failed: ") + e.what());
    return false;
  }
}

inline void FuzzRegexOnce(const uint8_t* data, size_t size) {
  if (size == 0) return;
  const std::string_view rest(reinterpret_cast<const char*>(data) + 1, size - 1);
  const size_t zero = rest.find('\0');
  const std::string expression(rest.substr(0, zero));
  const std::string subject(zero == std::string_view::npos ? std::string_view() : rest.substr(zero + 1));
  TRegex re;
  re.SetModifiers(data[0]);
  re.SetMatchStepLimit(kRegexFuzzStepLimit);
  re.SetExpression(expression);
  try {
    re.Compile();
  } catch (const ERegex& e) {
    if (e.ErrorCode() >= 1000 && e.ErrorCode() != 1003)
      throw std::logic_error(std::string("compile: ") + e.what());
    return;
  }
  std::string found;
  if (!ExerciseRegex(re, subject, found)) return;
  int error = 0;
  const std::string plain =
      regex_test::RunUnoptimised(expression, re.Modifiers(), subject, error, kRegexFuzzStepLimit);
  if (error != 0) {
    if (!IsRegexLimitError(error))
      throw std::logic_error("unoptimised search failed: " + std::to_string(error));
    return;
  }
  if (plain != found) throw std::logic_error("optimisation data changed the match: " + found + " / " + plain);
}
