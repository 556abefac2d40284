#include "exam/ZUKRoutine.h"

#include <algorithm>
#include <array>

#include "common/units/Regex.h"

namespace {

/// The clean-up rules share one expression object; it keeps each compiled expression, so the
/// rules compile once however many lines and blocks there are. Each rule goes through the
/// engine only on lines that hold the literal text it cannot match without: most lines hold
/// none, and running five expressions over them would cost more than writing the HTML.
class THTMLCleaner {
 public:
  THTMLCleaner() {
    regex_.SetModifier(1, true);
    // The same case pairs as the expression object's, so that a line the check passes over
    // is one the rule could not have matched.
    for (int c = 0; c < 256; ++c)
      invert_[static_cast<size_t>(c)] = regex_.InvertCase()(static_cast<unsigned char>(c));
  }

  /// Appends the cleaned `line` to `out`.
  void CleanLine(std::string_view line, std::string& out) {
    std::string s;
    std::string_view current = line;
    auto apply = [&](std::string replaced) {
      s = std::move(replaced);
      current = s;
    };
    if (Contains(current, "&nbsp;")) {
      apply(ReplaceAll(current, "^<DIV>&nbsp;</DIV>$", "<BR>"));
      apply(ReplaceAll(current, "&nbsp;", " "));
    }
    if (Contains(current, "<FONT size=")) apply(ReplaceAll(current, "<FONT size=\\d", "<FONT"));
    if (Contains(current, "<FONT>")) apply(ReplaceAll(current, "<FONT>([^<]*)</FONT>", "$1"));
    if (MayStartWithTagsAndBlanks(current)) {
      regex_.SetExpression("^((<[^>]+>)+)( +)");
      apply(regex_.ReplaceWithFunction(current, [](TRegex& match) {
        std::string kept = match.GetMatch(1);
        const size_t blanks = static_cast<size_t>(std::max(match.MatchLen(3), 0));
        kept.reserve(kept.size() + blanks * 6);
        for (size_t i = 0; i < blanks; ++i) kept += "&nbsp;";
        return kept;
      }));
    }
    out += current;
  }

 private:
  std::string ReplaceAll(std::string_view input, std::string_view expression, std::string_view with) {
    regex_.SetExpression(expression);
    return regex_.Replace(input, with, true);
  }

  /// Whether the text character `c` matches the expression character `e`.
  bool Same(char c, char e) const {
    return c == e || static_cast<unsigned char>(c) == invert_[static_cast<unsigned char>(e)];
  }

  bool Contains(std::string_view text, std::string_view literal) const {
    const char first = literal[0];
    const char other = static_cast<char>(invert_[static_cast<unsigned char>(first)]);
    for (size_t i = 0; i + literal.size() <= text.size(); ++i) {
      // The first character is looked for with the library's fast search.
      i = first == other ? text.find(first, i) : std::min(text.find(first, i), text.find(other, i));
      if (i == std::string_view::npos || i + literal.size() > text.size()) return false;
      size_t k = 1;
      while (k < literal.size() && Same(text[i + k], literal[k])) ++k;
      if (k == literal.size()) return true;
    }
    return false;
  }

  /// False when the line cannot begin with tags followed by a blank: it must open with "<"
  /// and hold a ">" followed by a blank.
  bool MayStartWithTagsAndBlanks(std::string_view text) const {
    return !text.empty() && Same(text[0], '<') && Contains(text, "> ");
  }

  TRegex regex_;
  std::array<unsigned char, 256> invert_{};
};

/// The cleaner of the calling thread, made on first use.
THTMLCleaner& Cleaner() {
  thread_local THTMLCleaner cleaner;
  return cleaner;
}

/// Calls `line` with each line of `text`, as SplitHTMLLines divides it. The line ends are
/// looked for with the library's search: a block's HTML is long, and most of it is text.
template <typename Line>
void ForEachHTMLLine(std::string_view text, Line line) {
  size_t start = 0;
  size_t nextCR = text.find('\r');
  size_t nextLF = text.find('\n');
  while (start < text.size()) {
    if (nextCR < start) nextCR = text.find('\r', start);
    if (nextLF < start) nextLF = text.find('\n', start);
    const size_t end = std::min(nextCR, nextLF);
    if (end == std::string_view::npos) break;
    line(text.substr(start, end - start));
    start = end + (end == nextCR && end + 1 == nextLF ? 2 : 1);
  }
  if (start < text.size()) line(text.substr(start));
}

}  // namespace

std::vector<std::string> SplitHTMLLines(std::string_view text) {
  std::vector<std::string> lines;
  ForEachHTMLLine(text, [&](std::string_view line) { lines.emplace_back(line); });
  return lines;
}

std::string CleanUpHTMLLine(std::string_view line) {
  std::string out;
  Cleaner().CleanLine(line, out);
  return out;
}

void CleanUpHTML(TStream& html) {
  html.SetPosition(0);
  std::string storage;
  const std::string_view text = ReadRest(html, storage);
  THTMLCleaner& cleaner = Cleaner();
  std::string out;
  out.reserve(text.size() + text.size() / 8);
  ForEachHTMLLine(text, [&](std::string_view line) {
    cleaner.CleanLine(line, out);
    out += "\r\n";
  });
  html.SetSize(0);
  html.SetPosition(0);
  html.WriteBuffer(out.data(), static_cast<int64_t>(out.size()));
}
