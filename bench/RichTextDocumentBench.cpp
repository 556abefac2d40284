// Appending 1,000,000 text items to a document and reading them back (text, length, style,
// paragraph and options of every item), with 8-bit and with UTF-16 text styles. Google
// Benchmark prints the rate as items_per_second.
#include <benchmark/benchmark.h>

#include <cstdint>
#include <string>
#include <vector>

#include "richtext/core/CRVData.h"
#include "richtext/core/RVStyle.h"
#include "richtext/core/RVUni.h"

namespace {

constexpr int kItemCount = 1'000'000;

/// Item texts of 3 to 14 characters, in 8-bit or UTF-16 form.
const std::vector<std::string>& SampleTexts(bool unicode) {
  static const std::vector<std::string> texts[2] = {[] {
                                                      std::vector<std::string> v;
                                                      for (int i = 0; i < 64; ++i)
                                                        v.push_back("word " + std::to_string(i * 7919));
                                                      return v;
                                                    }(),
                                                    [] {
                                                      std::vector<std::string> v;
                                                      for (int i = 0; i < 64; ++i) {
                                                        std::u16string w = u"\u0441\u043B\u043E\u0432\u043E ";
                                                        for (char c : std::to_string(i * 7919))
                                                          w += static_cast<char16_t>(c);
                                                        v.push_back(RVWideStringToBytes(w));
                                                      }
                                                      return v;
                                                    }()};
  return texts[unicode ? 1 : 0];
}

void AppendAndReadBack(benchmark::State& state, bool unicode) {
  TRVStyle sheet;
  TFontInfo* style = sheet.TextStyles().AddStyle();
  style->Unicode = unicode;
  const int styleNo = style->Index();
  const std::vector<std::string>& texts = SampleTexts(unicode);

  for (auto _ : state) {
    TCustomRVData doc;
    doc.SetRVStyle(&sheet);
    for (int i = 0; i < kItemCount; ++i)
      doc.AddTextItem(texts[static_cast<size_t>(i) & 63], styleNo, (i & 7) == 0 ? 0 : -1);

    int64_t checksum = 0;
    for (int i = 0; i < doc.GetItemCount(); ++i) {
      checksum += static_cast<int64_t>(doc.GetItemText(i).size()) + doc.GetItemTextLength(i) +
                  doc.GetItemStyleNo(i) + doc.GetItemParaNo(i) + doc.GetItemOptions(i);
    }
    benchmark::DoNotOptimize(checksum);
    state.PauseTiming();
    doc.Clear();  // freeing is not part of the measured work
    state.ResumeTiming();
  }
  state.SetItemsProcessed(state.iterations() * kItemCount);
}

void BM_AppendAndReadBack8Bit(benchmark::State& state) {
  AppendAndReadBack(state, false);
}

void BM_AppendAndReadBackUnicode(benchmark::State& state) {
  AppendAndReadBack(state, true);
}

}  // namespace

BENCHMARK(BM_AppendAndReadBack8Bit)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_AppendAndReadBackUnicode)->Unit(benchmark::kMillisecond);

BENCHMARK_MAIN();
