#include "common/components/original/NodeTree/TextWrap.h"

namespace {

/// Greedy fill of one paragraph (no line breaks inside).
void WrapParagraph(TCanvas& canvas, std::u16string_view paragraph, int32_t width,
                   std::vector<std::u16string>& lines) {
  size_t pos = 0;
  do {
    size_t fit_end = pos;
    for (size_t scan = pos; scan <= paragraph.size();) {
      size_t word_end = paragraph.find(u' ', scan);
      if (word_end == std::u16string_view::npos) word_end = paragraph.size();
      const bool fits = canvas.TextExtentW(paragraph.substr(pos, word_end - pos)).cx <= width;
      if (!fits && fit_end > pos) break;
      fit_end = word_end;
      if (!fits || word_end == paragraph.size()) break;
      scan = word_end + 1;
    }
    lines.emplace_back(paragraph.substr(pos, fit_end - pos));
    pos = fit_end;
    while (pos < paragraph.size() && paragraph[pos] == u' ') ++pos;
  } while (pos < paragraph.size());
}

}  // namespace

std::vector<std::u16string> WrapTextLines(TCanvas& canvas, const std::u16string& text, int32_t width) {
  std::vector<std::u16string> lines;
  size_t start = 0;
  for (;;) {
    size_t end = text.find_first_of(u"\r\n", start);
    if (end == std::u16string::npos) end = text.size();
    WrapParagraph(canvas, std::u16string_view(text).substr(start, end - start), width, lines);
    if (end >= text.size()) break;
    start = end + ((text[end] == u'\r' && end + 1 < text.size() && text[end + 1] == u'\n') ? 2 : 1);
  }
  return lines;
}
