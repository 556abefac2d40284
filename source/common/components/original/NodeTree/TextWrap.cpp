#include "common/components/original/NodeTree/TextWrap.h"

namespace {

/// Greedy fill of one paragraph (no line breaks inside).
void WrapParagraph(TCanvas& canvas, std::u16string_view paragraph, int32_t width,
                   std::vector<std::u16string>& lines) {
  size_t pos = 0;
  do {
    size_t fitEnd = pos;
    for (size_t scan = pos; scan <= paragraph.size();) {
      size_t wordEnd = paragraph.find(u' ', scan);
      if (wordEnd == std::u16string_view::npos) wordEnd = paragraph.size();
      const bool fits = canvas.TextExtentW(paragraph.substr(pos, wordEnd - pos)).cx <= width;
      if (!fits && fitEnd > pos) break;
      fitEnd = wordEnd;
      if (!fits || wordEnd == paragraph.size()) break;
      scan = wordEnd + 1;
    }
    lines.emplace_back(paragraph.substr(pos, fitEnd - pos));
    pos = fitEnd;
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
