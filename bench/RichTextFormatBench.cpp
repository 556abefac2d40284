// Laying out a 10 MB rich-text document (time and drawn pieces per second), painting one
// screen of it, laying out only an appended paragraph or one edited paragraph of it, and how
// formatting scales: twice the document should take at most 2.2 times
// as long.
#include <benchmark/benchmark.h>

#include <cstdint>
#include <cstdio>
#include <memory>
#include <string>

#include "BenchScreen.h"
#include "BenchTiming.h"
#include "richtext/core/RVStyle.h"

namespace {

constexpr int64_t kDocumentBytes = 10'000'000;

/// Paragraphs of a few items in two text styles, `bytes` of text in all.
std::unique_ptr<TScreenData> MakeDocument(TRVStyle& sheet, int64_t bytes) {
  auto data = std::make_unique<TScreenData>();
  data->SetRVStyle(&sheet);
  static const char* const kWords[] = {"layout ", "of ",      "rich ",   "text ", "documents ",
                                       "with ",   "several ", "styles ", "and ",  "paragraphs "};
  int64_t written = 0;
  for (int i = 0; written < bytes; ++i) {
    std::string text;
    for (int w = 0; w < 12; ++w) text += kWords[(i * 7 + w * 3) % 10];
    written += static_cast<int64_t>(text.size());
    data->AddTextItem(std::move(text), i % 3 == 0 ? 1 : 0, i % 4 == 0 ? 0 : -1);
  }
  return data;
}

void BM_Format10MB(benchmark::State& state) {
  TRVStyle sheet;
  auto data = MakeDocument(sheet, kDocumentBytes);
  int64_t pieces = 0;
  for (auto _ : state) {
    data->Format(true);
    pieces += data->DrawItems().Count();
  }
  state.counters["draw_items_per_second"] =
      benchmark::Counter(static_cast<double>(pieces), benchmark::Counter::kIsRate);
  state.SetBytesProcessed(state.iterations() * kDocumentBytes);
}
BENCHMARK(BM_Format10MB)->Unit(benchmark::kMillisecond)->Iterations(1);

void BM_RepaintOneScreen(benchmark::State& state) {
  TRVStyle sheet;
  auto data = MakeDocument(sheet, kDocumentBytes);
  data->Format(true);
  data->vOffs = data->DocumentHeight / 2;
  for (auto _ : state) data->Paint(data->screen.Canvas(), Rect(0, 0, 800, 600));
}
BENCHMARK(BM_RepaintOneScreen)->Unit(benchmark::kMillisecond);

void BM_AppendParagraphAndFormatTail(benchmark::State& state) {
  TRVStyle sheet;
  auto data = MakeDocument(sheet, kDocumentBytes);
  data->Format(true);
  for (auto _ : state) {
    data->AddTextItem("one more paragraph appended at the end of the document", 0, 0);
    data->FormatLines(false, true, false, 0, nullptr, true, false);
  }
}
BENCHMARK(BM_AppendParagraphAndFormatTail)->Unit(benchmark::kMillisecond);

void BM_ReformatOneParagraph(benchmark::State& state) {
  TRVStyle sheet;
  auto data = MakeDocument(sheet, kDocumentBytes);
  data->Format(true);
  const int itemNo = data->GetItemCount() / 2;
  for (auto _ : state) {
    int first = 0, last = 0;
    const int piece = data->GetFirstDrawItemOfItem(itemNo);
    data->ExpandToParaDrawItems(piece, piece, first, last);
    data->ReformatItemParas(first, last, 0);
  }
}
BENCHMARK(BM_ReformatOneParagraph)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
  if (!RunBenchmarks(argc, argv)) return 1;
  TRVStyle sheet;
  auto once = MakeDocument(sheet, kDocumentBytes / 4);
  auto twice = MakeDocument(sheet, kDocumentBytes / 2);
  const double ratio = MedianSeconds(3,
                                     [&] {
                                       twice->Format(true);
                                       return twice->DrawItems().Count();
                                     }) /
                       MedianSeconds(3, [&] {
                         once->Format(true);
                         return once->DrawItems().Count();
                       });
  std::printf("formatting twice the document takes %.2f times as long (aim <= 2.2)\n", ratio);
  return 0;
}
