// RTF import of a large generated file (20 MB of text with formatted runs, lists and tables):
// the read is timed in MB/s. After the benchmarks the program times a file twice that size
// and prints the ratio of the two times: work in proportion to the file keeps it at most 2.2.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "platform/core/Streams.h"
#include "richtext/core/CRVData.h"
#include "richtext/core/RVStyle.h"
#include "richtext/rtf/RVRTFProps.h"
#include "richtext/table/RVTable.h"

namespace {

constexpr size_t kMegabytes = 20;

/// One block of content: a paragraph of runs, a list of three items and a table of 3 x 3.
std::string Block(int n) {
  const std::string num = std::to_string(n);
  std::string s = "\\pard\\plain\\f0\\fs20 Paragraph " + num +
                  " with \\b bold\\b0 , \\i italic\\i0 and \\cf1 red\\cf0 "
                  "text that goes on for a while so that runs are of a usual length.\\par\n";
  for (int i = 1; i <= 3; ++i)
    s += "\\pard\\ls1\\ilvl" + std::to_string(i % 2) + "\\li720\\fi-360 List item " + std::to_string(i) +
         " of " + num + "\\par\n";
  for (int r = 0; r < 3; ++r) {
    s += "\\trowd\\trgaph108\\cellx2000\\clcbpat2\\cellx4000\\cellx6000\\pard\\intbl ";
    for (int c = 0; c < 3; ++c) s += "Cell " + std::to_string(r) + "." + std::to_string(c) + "\\cell ";
    s += "\\row\n";
  }
  return s;
}

/// An RTF file of about `bytes` bytes.
std::string MakeRTF(size_t bytes) {
  std::string s =
      "{\\rtf1\\ansi\\ansicpg1252\\deff0{\\fonttbl{\\f0\\fswiss Arial;}{\\f1\\fnil\\fcharset2 Symbol;}}"
      "{\\colortbl;\\red255\\green0\\blue0;\\red200\\green220\\blue255;}"
      "{\\*\\listtable{\\list\\listid5{\\listlevel\\levelnfc0\\levelstartat1{\\leveltext\\'02\\'00.;}"
      "{\\levelnumbers\\'01;}\\fi-360\\li720}{\\listlevel\\levelnfc23{\\leveltext\\'01\\'b7;}\\f1\\fi-"
      "360\\li1440}}}"
      "{\\*\\listoverridetable{\\listoverride\\listid5\\listoverridecount0\\ls1}}\n";
  s.reserve(bytes + 4096);
  for (int n = 0; s.size() < bytes; ++n) s += Block(n);
  return s + "}";
}

/// Reads the file into a new document; answers its item count.
int Read(TRVStyle& sheet, const std::string& rtf) {
  TCustomRVData doc;
  doc.SetRVStyle(&sheet);
  TRVRTFReaderProperties props;
  props.TextStyleMode = props.ParaStyleMode = rvrsAddIfNeeded;
  TMemoryStream in(rtf);
  int index = 0;
  if (props.ReadFromStream(in, &doc, index) != rtf_ec_OK) std::abort();
  return doc.GetItemCount();
}

void BM_ReadRTF(benchmark::State& state) {
  RVRegisterTableItemClass();
  TRVStyle sheet;
  const std::string rtf = MakeRTF(kMegabytes << 20);
  for (auto _ : state) benchmark::DoNotOptimize(Read(sheet, rtf));
  state.SetBytesProcessed(static_cast<int64_t>(rtf.size()) * state.iterations());
}

/// The best of `runs` times of reading, in seconds.
double BestSeconds(TRVStyle& sheet, const std::string& rtf, int runs) {
  double best = 1e9;
  for (int i = 0; i < runs; ++i) {
    const auto start = std::chrono::steady_clock::now();
    benchmark::DoNotOptimize(Read(sheet, rtf));
    best = std::min(best, std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count());
  }
  return best;
}

}  // namespace

BENCHMARK(BM_ReadRTF)->Unit(benchmark::kMillisecond)->Iterations(2);

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();

  TRVStyle sheet;
  const std::string single = MakeRTF(kMegabytes << 20), twice = MakeRTF(2 * (kMegabytes << 20));
  const double t1 = BestSeconds(sheet, single, 3), t2 = BestSeconds(sheet, twice, 3);
  const double ratio = t2 / t1;
  std::printf(
      "%.1f MB of RTF: read in %.3f s (%.1f MB/s); twice the size: %.3f s; ratio %.2f (at most 2.20: %s)\n",
      static_cast<double>(single.size()) / 1e6, t1, static_cast<double>(single.size()) / 1e6 / t1, t2, ratio,
      ratio <= 2.2 ? "yes" : "NO");
  return 0;
}
