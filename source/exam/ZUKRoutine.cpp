#include "exam/ZUKRoutine.h"

#include <algorithm>
#include <array>

#include "common/units/Regex.h"

namespace {

constexpr std::string_view kNbsp = "&nbsp;";

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
    // The first two rules are a whole line and a literal: compared here as the expression
    // object compares them, they need no trip through the engine.
    if (Find(current, kNbsp, 0) != std::string_view::npos) {
      if (SameIgnoringCase(current, "<DIV>&nbsp;</DIV>"))
        apply("<BR>");
      else
        current = BlanksForNbsp(current);
    }
    // Most lines hold no FONT tag at all: one look for it spares the two rules theirs.
    if (Contains(current, "<FONT")) {
      if (Contains(current, "<FONT size=")) apply(ReplaceAll(current, "<FONT size=\\d", "<FONT"));
      if (Contains(current, "<FONT>")) apply(ReplaceAll(current, "<FONT>([^<]*)</FONT>", "$1"));
    }
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

  /// Whether `text` is `literal` as a case-insensitive expression matches it.
  bool SameIgnoringCase(std::string_view text, std::string_view literal) const {
    if (text.size() != literal.size()) return false;
    for (size_t k = 0; k < text.size(); ++k)
      if (!Same(text[k], literal[k])) return false;
    return true;
  }

  /// Where `literal` first occurs in `text` at or after `from`, as a case-insensitive
  /// expression finds it; npos when it does not.
  size_t Find(std::string_view text, std::string_view literal, size_t from) const {
    const char first = literal[0];
    const char other = static_cast<char>(invert_[static_cast<unsigned char>(first)]);
    for (size_t i = from; i + literal.size() <= text.size(); ++i) {
      // The first character is looked for with the library's fast search.
      i = first == other ? text.find(first, i) : std::min(text.find(first, i), text.find(other, i));
      if (i == std::string_view::npos || i + literal.size() > text.size()) return std::string_view::npos;
      if (SameIgnoringCase(text.substr(i, literal.size()), literal)) return i;
    }
    return std::string_view::npos;
  }

  bool Contains(std::string_view text, std::string_view literal) const {
    return Find(text, literal, 0) != std::string_view::npos;
  }

  /// Every "&nbsp;" replaced by a blank, from left to right as replace-all goes. The result
  /// lives in a buffer of the cleaner's, which keeps its memory from line to line; it stays
  /// valid until the next call.
  std::string_view BlanksForNbsp(std::string_view text) {
    std::string& r = blanks_;
    r.clear();
    r.reserve(text.size());
    size_t from = 0;
    for (size_t at = Find(text, kNbsp, 0); at != std::string_view::npos; at = Find(text, kNbsp, from)) {
      r.append(text.substr(from, at - from));
      r += ' ';
      from = at + kNbsp.size();
    }
    r.append(text.substr(from));
    return r;
  }

  /// False when the line cannot begin with tags followed by a blank: it must open with "<"
  /// and hold a ">" followed by a blank.
  bool MayStartWithTagsAndBlanks(std::string_view text) const {
    return !text.empty() && Same(text[0], '<') && Contains(text, "> ");
  }

  TRegex regex_;
  std::array<unsigned char, 256> invert_{};
  std::string blanks_;
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

std::string CleanUpHTMLText(std::string_view text) {
  std::string out;
  CleanUpHTMLText(text, out);
  return out;
}

void CleanUpHTMLText(std::string_view text, std::string& out) {
  THTMLCleaner& cleaner = Cleaner();
  out.clear();
  out.reserve(text.size() + text.size() / 8);
  ForEachHTMLLine(text, [&](std::string_view line) {
    cleaner.CleanLine(line, out);
    out += "\r\n";
  });
}

void CleanUpHTML(TStream& html) {
  html.SetPosition(0);
  std::string storage;
  const std::string out = CleanUpHTMLText(ReadRest(html, storage));
  html.SetSize(0);
  html.SetPosition(0);
  html.WriteBuffer(out.data(), static_cast<int64_t>(out.size()));
}
