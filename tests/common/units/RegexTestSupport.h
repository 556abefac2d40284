// Small helpers shared by the TRegex tests: run an expression and describe the outcome in
// one comparable string.
#pragma once

#include <string>
#include <string_view>

#include "common/units/Regex.h"

namespace regex_test {

/// "-" when nothing matches; otherwise the groups 0..SubExprMatchCount() joined by "|",
/// an unset group written as "?".
inline std::string Describe(TRegex& re) {
  std::string out;
  for (int i = 0; i <= re.SubExprMatchCount(); ++i) {
    if (i > 0) out += '|';
    out += re.MatchPos(i) < 0 ? std::string("?") : re.GetMatch(i);
  }
  return out;
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

}  // namespace regex_test
