// Scrambled copies of exam sub-streams against memcpy of the same bytes (what the memory
// allows) and a plain stream copy. The summary line at the end compares them with memcpy.
#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdio>
#include <cstring>
#include <string>

#include "exam/ZUKStream.h"

namespace {

constexpr int64_t kSize = 16 * 1024 * 1024;

TMemoryStream& Source() {
  static TMemoryStream source = [] {
    std::string bytes(static_cast<size_t>(kSize), '\0');
    for (size_t i = 0; i < bytes.size(); ++i) bytes[i] = static_cast<char>((i * 131) >> 3);
    return TMemoryStream(bytes);
  }();
  return source;
}

template <typename Copy>
void RunCopy(benchmark::State& state, Copy copy) {
  TMemoryStream dest;
  dest.SetSize(kSize);
  for (auto _ : state) {
    Source().SetPosition(0);
    dest.SetPosition(0);
    benchmark::DoNotOptimize(copy(dest, Source()));
  }
  state.SetBytesProcessed(state.iterations() * kSize);
}

void BM_PlainCopy(benchmark::State& state) {
  RunCopy(state, [](TMemoryStream& d, TMemoryStream& s) { return d.CopyFrom(s, kSize); });
}
void BM_CopyScrambled(benchmark::State& state) {
  RunCopy(state, [](TMemoryStream& d, TMemoryStream& s) { return CopyScrambled(d, s, kSize); });
}
void BM_CopyUnscrambled(benchmark::State& state) {
  RunCopy(state, [](TMemoryStream& d, TMemoryStream& s) { return CopyUnscrambled(d, s, kSize); });
}

void BM_Memcpy(benchmark::State& state) {
  RunCopy(state, [](TMemoryStream& d, TMemoryStream& s) {
    std::memcpy(d.Memory(), s.Memory(), static_cast<size_t>(kSize));
    return kSize;
  });
}

BENCHMARK(BM_Memcpy);
BENCHMARK(BM_PlainCopy);
BENCHMARK(BM_CopyScrambled);
BENCHMARK(BM_CopyUnscrambled);

// Times one kind of copy outside the framework for the summary ratio.
template <typename Copy>
double SecondsFor(Copy copy) {
  TMemoryStream dest;
  dest.SetSize(kSize);
  double best = 1e9;
  for (int round = 0; round < 20; ++round) {
    Source().SetPosition(0);
    dest.SetPosition(0);
    const auto start = std::chrono::steady_clock::now();
    copy(dest, Source());
    best = std::min(best, std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count());
  }
  return best;
}

}  // namespace

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  const double memcpySeconds = SecondsFor([](TMemoryStream& d, TMemoryStream& s) {
    std::memcpy(d.Memory(), s.Memory(), static_cast<size_t>(kSize));
    return kSize;
  });
  const double plain = SecondsFor([](TMemoryStream& d, TMemoryStream& s) { return d.CopyFrom(s, kSize); });
  const double scrambled =
      SecondsFor([](TMemoryStream& d, TMemoryStream& s) { return CopyScrambled(d, s, kSize); });
  const double unscrambled =
      SecondsFor([](TMemoryStream& d, TMemoryStream& s) { return CopyUnscrambled(d, s, kSize); });
  std::printf("speed relative to memcpy: plain stream copy %.2f, CopyScrambled %.2f, CopyUnscrambled %.2f\n",
              memcpySeconds / plain, memcpySeconds / scrambled, memcpySeconds / unscrambled);
  benchmark::Shutdown();
  return 0;
}
