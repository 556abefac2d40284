#include "exam/ZUKRoutine.h"

#include <algorithm>

#include "common/units/Regex.h"

namespace {

/// The clean-up rules share one expression object; it keeps each compiled expression, so the
/// rules compile once however many lines and blocks there are.
class THTMLCleaner {
 public:
  THTMLCleaner() { regex_.SetModifier(1, true); }

  std::string CleanLine(std::string_view line) {
    std::string s = ReplaceAll(line, "^<DIV>&nbsp;</DIV>$", "<BR>");
    s = ReplaceAll(s, "&nbsp;", " ");
    s = ReplaceAll(s, "<FONT size=\\d", "<FONT");
    s = ReplaceAll(s, "<FONT>([^<]*)</FONT>", "$1");
    regex_.SetExpression("^((<[^>]+>)+)( +)");
    return regex_.ReplaceWithFunction(s, [](TRegex& match) {
      std::string kept = match.GetMatch(1);
      const size_t blanks = static_cast<size_t>(std::max(match.MatchLen(3), 0));
      kept.reserve(kept.size() + blanks * 6);
      for (size_t i = 0; i < blanks; ++i) kept += "&nbsp;";
      return kept;
    });
  }

 private:
  std::string ReplaceAll(std::string_view input, std::string_view expression, std::string_view with) {
    regex_.SetExpression(expression);
    return regex_.Replace(input, with, true);
  }

  TRegex regex_;
};

/// The cleaner of the calling thread, made on first use.
THTMLCleaner& Cleaner() {
  thread_local THTMLCleaner cleaner;
  return cleaner;
}

}  // namespace

std::vector<std::string> SplitHTMLLines(std::string_view text) {
  std::vector<std::string> lines;
  size_t start = 0;
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] != '\r' && text[i] != '\n') continue;
    lines.emplace_back(text.substr(start, i - start));
    if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ++i;
    start = i + 1;
  }
  if (start < text.size()) lines.emplace_back(text.substr(start));
  return lines;
}

std::string CleanUpHTMLLine(std::string_view line) {
  return Cleaner().CleanLine(line);
}

void CleanUpHTML(TStream& html) {
  html.SetPosition(0);
  std::string text(static_cast<size_t>(html.Size()), '\0');
  html.ReadBuffer(text.data(), static_cast<int64_t>(text.size()));
  THTMLCleaner& cleaner = Cleaner();
  std::string out;
  out.reserve(text.size() + text.size() / 8);
  for (const std::string& line : SplitHTMLLines(text)) {
    out += cleaner.CleanLine(line);
    out += "\r\n";
  }
  html.SetSize(0);
  html.SetPosition(0);
  html.WriteBuffer(out.data(), static_cast<int64_t>(out.size()));
}
