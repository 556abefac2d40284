// Small helpers shared by the TRegex tests: run an expression and describe the outcome in
// one comparable string, with or without the engine's optimisation data.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

#include "common/units/Regex.h"
#include "common/units/RegexCode.h"

namespace regex_test {

/// "-" when nothing matches; otherwise the groups 0..highest set group joined by "|", an
/// unset group written as "?". `start`/`end` are 0-based offsets, -1 when unset.
inline std::string DescribeGroups(const int32_t* start, const int32_t* end, std::string_view input) {
  if (start[0] < 0) return "-";
  int highest = 0;
  for (int i = 1; i < TRegex::NSUBEXP; ++i)
    if (start[i] >= 0 && end[i] >= start[i]) highest = i;
  std::string out;
  for (int i = 0; i <= highest; ++i) {
    if (i > 0) out += '|';
    out += start[i] < 0 || end[i] < start[i] ? std::string("?")
                                             : std::string(input.substr(start[i], end[i] - start[i]));
  }
  return out;
}

/// The same for the last match of `re`.
inline std::string Describe(TRegex& re) {
  std::array<int32_t, TRegex::NSUBEXP> start{}, end{};
  for (int i = 0; i < TRegex::NSUBEXP; ++i) {
    start[i] = re.MatchPos(i) < 0 ? -1 : re.MatchPos(i) - 1;
    end[i] = start[i] < 0 ? -1 : start[i] + re.MatchLen(i);
  }
  return DescribeGroups(start.data(), end.data(), re.InputString());
}

/// Compiles `expression` with the modifier string `modifiers` applied to the defaults and
/// runs it on `input`. Errors come back as "error <code>".
inline std::string Run(std::string_view expression, std::string_view modifiers, std::string_view input) {
  TRegex re;
  try {
    if (!modifiers.empty()) re.SetModifierStr(modifiers);
    re.SetExpression(expression);
    if (!re.Exec(input)) return "-";
    return Describe(re);
  } catch (const ERegex& e) {
    return "error " + std::to_string(e.ErrorCode());
  }
}

/// Runs `expression` as a TRegex with the default settings and `modifiers` would, but with
/// no optimisation data: every start position is tried and repetitions always give back.
/// Returns the groups as Describe does; a compile or run-time error gives "" and its code in
/// `error` (0 otherwise).
inline std::string RunUnoptimised(std::string_view expression, uint32_t modifiers, std::string_view input,
                                  int& error, int64_t stepLimit = TRegex::kDefaultMatchStepLimit) {
  error = 0;
  TRegex defaults;
  std::array<uint8_t, 256> invert{};
  for (int c = 0; c < 256; ++c) invert[c] = defaults.InvertCase()(static_cast<unsigned char>(c));
  RegexSyntax syntax;
  syntax.modifiers = modifiers;
  syntax.space_chars = defaults.SpaceChars();
  syntax.word_chars = defaults.WordChars();
  syntax.line_separators = defaults.LineSeparators();
  syntax.paired_assigned = true;
  syntax.paired_head = '\r';
  syntax.invert_case = &invert;
  syntax.optimise = false;
  RegexMatchContext context;
  for (char c : defaults.LineSeparators()) context.line_separators.Add(static_cast<uint8_t>(c));
  for (char c : defaults.WordChars()) context.word_chars.Add(static_cast<uint8_t>(c));
  context.paired_assigned = true;
  context.paired_head = '\r';
  context.paired_tail = '\n';
  context.invert_case = &invert;
  context.step_limit = stepLimit;
  const std::string text(input.substr(0, input.find('\0')));
  try {
    const RegexCode program = CompileRegex(expression, syntax);
    std::array<int32_t, TRegex::NSUBEXP> start{}, end{};
    if (!SearchRegex(program, context, reinterpret_cast<const uint8_t*>(text.c_str()),
                     static_cast<int32_t>(text.size()), 0, start.data(), end.data()))
      return "-";
    return DescribeGroups(start.data(), end.data(), text);
  } catch (const RegexFailure& failure) {
    error = failure.code;
    return std::string();
  }
}

}  // namespace regex_test
