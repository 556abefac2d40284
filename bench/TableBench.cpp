// Tables on the converter's road: a document of 1,000 tables of 10 x 10 cells (some merged,
// every cell holding text) is read from RVF and written as HTML. After the benchmarks the
// program times the same for a document twice that size and prints the ratio of the two
// times: work in proportion to the document keeps it at most 2.2.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <memory>
#include <string>

#include "platform/core/Streams.h"
#include "richtext/core/CRVData.h"
#include "richtext/core/RVStyle.h"
#include "richtext/table/RVTable.h"
#include "richtext/table/RVTableCell.h"

namespace {

constexpr int kTables = 1000;
constexpr int kSize = 10;

/// The RVF of a document of `tables` tables, each after a paragraph of text.
std::string MakeRVF(TRVStyle& sheet, int tables) {
  RVRegisterTableItemClass();
  TCustomRVData doc;
  doc.SetRVStyle(&sheet);
  for (int t = 0; t < tables; ++t) {
    doc.AddTextItem("Table " + std::to_string(t), 0, 0);
    auto table = TRVTableItemInfo::CreateWithSize(kSize, kSize, &doc);
    for (int r = 0; r < kSize; ++r)
      for (int c = 0; c < kSize; ++c) {
        TRVTableCellData* cell = table->GetCell(r, c);
        cell->Clear();
        cell->AddTextItem("cell " + std::to_string(r) + "," + std::to_string(c) + " & <text>", (r + c) % 3,
                          0);
      }
    table->Rows().MergeCells(t % kSize, 0, 2, 2, false, false);
    doc.AddItem("", std::move(table));
  }
  TMemoryStream out;
  if (!doc.SaveRVFToStream(out, false, clNone, nullptr, nullptr)) std::abort();
  return out.DataString();
}

/// Reads the RVF and writes the HTML; answers the size of the HTML.
int64_t LoadAndExport(TRVStyle& sheet, const std::string& rvf) {
  TCustomRVData doc;
  doc.SetRVStyle(&sheet);
  TMemoryStream in(rvf);
  TColor color = clNone;
  if (!doc.LoadRVFFromStream(in, color, nullptr, nullptr)) std::abort();
  TMemoryStream html;
  int counter = 0;
  if (!doc.SaveHTMLToStream(html, "/tmp/", "Bench", "img", 0, clWhite, counter, 0, 0, 0, 0, nullptr, nullptr))
    std::abort();
  return html.Size();
}

void BM_LoadAndExportTables(benchmark::State& state) {
  TRVStyle sheet;
  const std::string rvf = MakeRVF(sheet, kTables);
  int64_t bytes = 0;
  for (auto _ : state) bytes += LoadAndExport(sheet, rvf);
  state.SetBytesProcessed(static_cast<int64_t>(rvf.size()) * state.iterations());
  state.counters["HTML_MB"] = static_cast<double>(bytes) / static_cast<double>(state.iterations()) / 1e6;
}

/// The best of five times of reading and writing a document of `tables` tables, in seconds.
struct TTimedDocument {
  explicit TTimedDocument(int tables) : rvf(MakeRVF(sheet, tables)) {}
  void Run() {
    const auto start = std::chrono::steady_clock::now();
    LoadAndExport(sheet, rvf);
    best = std::min(best, std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count());
  }
  TRVStyle sheet;
  std::string rvf;
  double best = 1e9;
};

}  // namespace

BENCHMARK(BM_LoadAndExportTables)->Unit(benchmark::kMillisecond);

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();

  // Runs of the two sizes alternate, so that a busy moment of the machine hits both alike.
  TTimedDocument single(kTables), twice(2 * kTables);
  for (int run = 0; run < 5; ++run) {
    single.Run();
    twice.Run();
  }
  const double ratio = twice.best / single.best;
  std::printf(
      "%d tables of %d x %d, %.1f MB of RVF: load and export %.3f s; twice as many: %.3f s; ratio %.2f "
      "(at most 2.20: %s)\n",
      kTables, kSize, kSize, static_cast<double>(single.rvf.size()) / 1e6, single.best, twice.best, ratio,
      ratio <= 2.2 ? "yes" : "NO");
  return 0;
}
