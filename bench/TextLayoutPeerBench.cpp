// Formatting 5 MB of mixed-style paragraphs into lines 790 pixels wide (an 800-pixel viewer
// with its margins), side by side with Qt's own text layout of the same runs, fonts and width
// in QTextDocument. The two alternate, so a busy moment of the machine hits both alike. After
// the runs the program prints our time and memory divided by Qt's and both line counts.
#include <benchmark/benchmark.h>
#include <malloc.h>

#include <QAbstractTextDocumentLayout>
#include <QFont>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextLayout>
#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "BenchScreen.h"
#include "BenchTiming.h"
#include "richtext/core/RVParaInfo.h"
#include "richtext/core/RVStyle.h"

namespace {

constexpr int64_t kDocumentBytes = 5'000'000;
// The area and margins of TScreenData.
constexpr int32_t kMargin = 5;
constexpr int32_t kAreaWidth = 800;

/// One run of text: its style number and its bytes.
struct TRun {
  int StyleNo = 0;
  std::string Text;
};
/// A paragraph: justified or left-aligned, and its runs.
struct TParagraph {
  bool Justified = false;
  std::vector<TRun> Runs;
};

/// Words of 2 to 11 letters made from a small generator, so that lines hold varied text
/// (and varied neighbouring letters) rather than a few repeated sentences.
std::vector<TParagraph> MakeText(int64_t bytes) {
  uint32_t seed = 12345;
  auto next = [&seed] {
    seed = seed * 1664525u + 1013904223u;
    return seed >> 8;
  };
  std::vector<std::string> words;
  for (int i = 0; i < 2000; ++i) {
    std::string word;
    const int length = 2 + static_cast<int>(next() % 10);
    for (int c = 0; c < length; ++c) word += static_cast<char>('a' + next() % 26);
    if (i % 7 == 0) word[0] = static_cast<char>(word[0] - 'a' + 'A');
    if (i % 11 == 0) word += ',';
    words.push_back(word);
  }
  std::vector<TParagraph> paragraphs;
  int64_t written = 0;
  while (written < bytes) {
    TParagraph para;
    para.Justified = next() % 4 == 0;
    const int runs = 2 + static_cast<int>(next() % 5);
    for (int r = 0; r < runs; ++r) {
      TRun run;
      run.StyleNo = static_cast<int>(next() % 5);
      const int count = 5 + static_cast<int>(next() % 30);
      for (int w = 0; w < count; ++w) run.Text += words[next() % words.size()] + ' ';
      written += static_cast<int64_t>(run.Text.size());
      para.Runs.push_back(std::move(run));
    }
    paragraphs.push_back(std::move(para));
  }
  return paragraphs;
}

/// Five text styles in three faces and two sizes; paragraph style 1 is justified.
void FillSheet(TRVStyle& sheet) {
  TFontInfo* normal = sheet.TextStyles().Items(0);
  normal->FontName = "Arial";
  normal->Size = 10;
  const struct {
    const char* Face;
    int Size;
    TFontStyles Style;
  } kStyles[] = {{"Arial", 10, TFontStyles{fsBold}},
                 {"Times New Roman", 12, TFontStyles{fsItalic}},
                 {"Courier New", 10, TFontStyles{}},
                 {"Times New Roman", 14, TFontStyles{fsBold}}};
  for (int i = 0; i < 4; ++i) {
    TFontInfo* font = sheet.TextStyles().Items(i + 1);
    font->FontName = kStyles[i].Face;
    font->Size = kStyles[i].Size;
    font->Style = kStyles[i].Style;
    font->Jump = false;
    font->Color = clBlack;
  }
  if (sheet.ParaStyles().Count() < 2) sheet.ParaStyles().AddStyle();
  sheet.ParaStyles().Items(1)->Alignment = rvaJustify;
}

std::unique_ptr<TScreenData> MakeOurs(TRVStyle& sheet, const std::vector<TParagraph>& text) {
  auto data = std::make_unique<TScreenData>();
  data->SetRVStyle(&sheet);
  for (const TParagraph& para : text) {
    bool first = true;
    for (const TRun& run : para.Runs) {
      data->AddTextItem(run.Text, run.StyleNo, first ? (para.Justified ? 1 : 0) : -1);
      first = false;
    }
  }
  return data;
}

/// Qt's fonts of our text styles, as our canvas makes them: the same face, pixel size,
/// weight, slant and full hinting.
std::vector<QFont> QtFonts(TRVStyle& sheet, TCanvas& canvas) {
  std::vector<QFont> fonts;
  for (int i = 0; i < 5; ++i) {
    sheet.TextStyles().Items(i)->ApplyToCanvas(canvas, rvbdUnspecified);
    const TFont& font = canvas.Font();
    QFont qfont(QString::fromStdString(font.Name()));
    qfont.setPixelSize(-font.Height());
    qfont.setBold(font.Style().Contains(fsBold));
    qfont.setItalic(font.Style().Contains(fsItalic));
    qfont.setStyleStrategy(QFont::PreferDefault);
    qfont.setHintingPreference(QFont::PreferFullHinting);
    fonts.push_back(qfont);
  }
  return fonts;
}

std::unique_ptr<QTextDocument> MakeQt(const std::vector<QFont>& fonts, const std::vector<TParagraph>& text) {
  auto doc = std::make_unique<QTextDocument>();
  doc->setDocumentMargin(0);
  doc->setUndoRedoEnabled(false);
  QTextCursor cursor(doc.get());
  QTextBlockFormat left, justified;
  justified.setAlignment(Qt::AlignJustify);
  bool firstBlock = true;
  for (const TParagraph& para : text) {
    if (!firstBlock) cursor.insertBlock();
    cursor.setBlockFormat(para.Justified ? justified : left);
    firstBlock = false;
    for (const TRun& run : para.Runs) {
      QTextCharFormat format;
      format.setFont(fonts[static_cast<size_t>(run.StyleNo)]);
      cursor.insertText(QString::fromLatin1(run.Text.data(), static_cast<qsizetype>(run.Text.size())),
                        format);
    }
  }
  return doc;
}

/// Lays the Qt document out anew at our text width.
int64_t LayOutQt(QTextDocument& doc) {
  doc.setTextWidth(-1);
  doc.markContentsDirty(0, doc.characterCount());
  doc.setTextWidth(kAreaWidth - 2 * kMargin);
  return static_cast<int64_t>(doc.documentLayout()->documentSize().height());
}

int64_t QtLineCount(QTextDocument& doc) {
  int64_t lines = 0;
  for (QTextBlock block = doc.begin(); block.isValid(); block = block.next())
    lines += block.layout()->lineCount();
  return lines;
}

int64_t OurLineCount(TScreenData& data) {
  int64_t lines = 0;
  for (int i = 0; i < data.DrawItems().Count(); ++i)
    if (data.DrawItems()[i]->FromNewLine) ++lines;
  return lines;
}

/// Heap bytes in use.
int64_t HeapInUse() {
  const struct mallinfo2 info = mallinfo2();
  return static_cast<int64_t>(info.uordblks + info.hblkhd);
}

struct TPeers {
  TPeers() : text(MakeText(kDocumentBytes)) {
    FillSheet(sheet);
    ours = MakeOurs(sheet, text);
    qt = MakeQt(QtFonts(sheet, ours->screen.Canvas()), text);
  }
  TRVStyle sheet;
  std::vector<TParagraph> text;
  std::unique_ptr<TScreenData> ours;
  std::unique_ptr<QTextDocument> qt;
};

TPeers& Peers() {
  static TPeers peers;
  return peers;
}

void BM_OurFormat5MB(benchmark::State& state) {
  TScreenData& data = *Peers().ours;
  for (auto _ : state) {
    data.Format(true);
    benchmark::DoNotOptimize(data.DocumentHeight);
  }
  state.SetBytesProcessed(state.iterations() * kDocumentBytes);
}
BENCHMARK(BM_OurFormat5MB)->Unit(benchmark::kMillisecond)->Iterations(2);

void BM_QtLayout5MB(benchmark::State& state) {
  QTextDocument& doc = *Peers().qt;
  for (auto _ : state) benchmark::DoNotOptimize(LayOutQt(doc));
  state.SetBytesProcessed(state.iterations() * kDocumentBytes);
}
BENCHMARK(BM_QtLayout5MB)->Unit(benchmark::kMillisecond)->Iterations(2);

}  // namespace

int main(int argc, char** argv) {
  if (!RunBenchmarks(argc, argv)) return 1;
  TPeers& peers = Peers();
  // Memory: what a laid-out document holds, from building it to the end of its first layout,
  // once both sides have laid out text in these fonts (their font caches live on).
  peers.ours->Format(true);
  LayOutQt(*peers.qt);
  int64_t ourMemory = 0, qtMemory = 0;
  {
    const int64_t before = HeapInUse();
    auto fresh = MakeOurs(peers.sheet, peers.text);
    fresh->Format(true);
    ourMemory = HeapInUse() - before;
  }
  {
    const std::vector<QFont> fonts = QtFonts(peers.sheet, peers.ours->screen.Canvas());
    const int64_t before = HeapInUse();
    auto fresh = MakeQt(fonts, peers.text);
    LayOutQt(*fresh);
    qtMemory = HeapInUse() - before;
  }
  std::vector<double> ours, qt;
  for (int run = 0; run < 3; ++run) {
    ours.push_back(MedianSeconds(1, [&] {
      peers.ours->Format(true);
      return peers.ours->DocumentHeight;
    }));
    qt.push_back(MedianSeconds(1, [&] { return LayOutQt(*peers.qt); }));
  }
  std::sort(ours.begin(), ours.end());
  std::sort(qt.begin(), qt.end());
  const int64_t ourLines = OurLineCount(*peers.ours), qtLines = QtLineCount(*peers.qt);
  std::printf(
      "5 MB at %d px: ours %.3f s, Qt %.3f s, time ours/Qt %.2f; memory %.1f MB / %.1f MB = %.2f; "
      "lines %lld / %lld (%+.2f %%)\n",
      kAreaWidth, ours[1], qt[1], ours[1] / qt[1], static_cast<double>(ourMemory) / 1e6,
      static_cast<double>(qtMemory) / 1e6, static_cast<double>(ourMemory) / static_cast<double>(qtMemory),
      static_cast<long long>(ourLines), static_cast<long long>(qtLines),
      100.0 * static_cast<double>(ourLines - qtLines) / static_cast<double>(qtLines));
  return 0;
}
