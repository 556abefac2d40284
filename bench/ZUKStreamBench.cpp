// Scrambled copies of exam sub-streams against memcpy of the same 64 MB, and against a plain
// stream copy. The ratios printed at the end are throughput relative to memcpy.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstring>
#include <string>

#include "BenchTiming.h"
#include "exam/ZUKStream.h"

namespace {

constexpr int64_t kSize = 64 * 1024 * 1024;

TMemoryStream& Source() {
  static TMemoryStream source = [] {
    std::string bytes(static_cast<size_t>(kSize), '\0');
    for (size_t i = 0; i < bytes.size(); ++i) bytes[i] = static_cast<char>((i * 131) >> 3);
    return TMemoryStream(bytes);
  }();
  return source;
}

TMemoryStream& Dest() {
  static TMemoryStream dest = [] {
    TMemoryStream d;
    d.SetSize(kSize);
    return d;
  }();
  return dest;
}

int64_t Memcpy() {
  std::memcpy(Dest().Memory(), Source().Memory(), static_cast<size_t>(kSize));
  return kSize;
}

template <int64_t (*Copy)(TStream&, TStream&, int64_t)>
int64_t StreamCopy() {
  Source().SetPosition(0);
  Dest().SetPosition(0);
  return Copy(Dest(), Source(), kSize);
}

int64_t PlainCopy(TStream& d, TStream& s, int64_t n) {
  return d.CopyFrom(s, n);
}

template <int64_t (*Copy)()>
void Run(benchmark::State& state) {
  for (auto _ : state) benchmark::DoNotOptimize(Copy());
  state.SetBytesProcessed(state.iterations() * kSize);
}

BENCHMARK(Run<Memcpy>)->Name("BM_Memcpy")->Unit(benchmark::kMillisecond);
BENCHMARK(Run<StreamCopy<PlainCopy>>)->Name("BM_PlainCopy")->Unit(benchmark::kMillisecond);
BENCHMARK(Run<StreamCopy<CopyScrambled>>)->Name("BM_CopyScrambled")->Unit(benchmark::kMillisecond);
BENCHMARK(Run<StreamCopy<CopyUnscrambled>>)->Name("BM_CopyUnscrambled")->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
  if (!RunBenchmarks(argc, argv)) return 1;
  constexpr int kRuns = 15;
  const double memcpy_time = MedianSeconds(kRuns, Memcpy);
  const double plain = MedianSeconds(kRuns, StreamCopy<PlainCopy>);
  const double scrambled = MedianSeconds(kRuns, StreamCopy<CopyScrambled>);
  const double unscrambled = MedianSeconds(kRuns, StreamCopy<CopyUnscrambled>);
  std::printf(
      "64 MB, throughput relative to memcpy (aim >= 0.8): CopyScrambled %.2f, CopyUnscrambled %.2f, "
      "plain stream copy %.2f\n",
      memcpy_time / scrambled, memcpy_time / unscrambled, memcpy_time / plain);
  return 0;
}
