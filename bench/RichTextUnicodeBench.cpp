// Converting 10 MB of Windows-1251 text to UTF-16 and back through the rich-text engine's
// helpers, against calling iconv directly on the same buffer. Prints the ratio of the two
// (engine time / iconv time) after the benchmarks.
#include <benchmark/benchmark.h>
#include <iconv.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <random>
#include <stdexcept>
#include <string>

#include "richtext/core/RVUni.h"

namespace {

constexpr size_t kTextSize = 10 * 1024 * 1024;

/// Russian-looking CP1251 text: words of Cyrillic letters with some Latin, digits and
/// punctuation, separated by spaces and line breaks.
const std::string& SampleText() {
  static const std::string text = [] {
    std::mt19937 rng(1251);
    std::string s;
    s.reserve(kTextSize);
    while (s.size() < kTextSize) {
      const int length = 1 + static_cast<int>(rng() % 10);
      for (int i = 0; i < length; ++i) {
        const unsigned r = rng() % 100;
        if (r < 85)
          s += static_cast<char>(0xC0 + rng() % 64);  // А..я
        else if (r < 95)
          s += static_cast<char>('a' + rng() % 26);
        else
          s += static_cast<char>('0' + rng() % 10);
      }
      const unsigned sep = rng() % 20;
      s += sep == 0 ? ", " : sep == 1 ? ".\r\n" : sep == 2 ? " \xAB" : " ";
    }
    s.resize(kTextSize);
    return s;
  }();
  return text;
}

/// One conversion with iconv into a buffer large enough for it.
size_t IconvOnce(iconv_t cd, const std::string& in, std::string& out) {
  iconv(cd, nullptr, nullptr, nullptr, nullptr);
  char* inPtr = const_cast<char*>(in.data());
  size_t inLeft = in.size();
  char* outPtr = out.data();
  size_t outLeft = out.size();
  if (iconv(cd, &inPtr, &inLeft, &outPtr, &outLeft) == static_cast<size_t>(-1))
    throw std::runtime_error("iconv");
  return out.size() - outLeft;
}

struct IconvPair {
  IconvPair() : toWide(iconv_open("UTF-16LE", "CP1251")), toAnsi(iconv_open("CP1251", "UTF-16LE")) {}
  ~IconvPair() {
    iconv_close(toWide);
    iconv_close(toAnsi);
  }
  iconv_t toWide, toAnsi;
};

/// The iconv round trip; returns the size of the text that came back.
size_t IconvRoundTrip(IconvPair& cds, std::string& wide, std::string& back) {
  const std::string& text = SampleText();
  wide.resize(text.size() * 2);
  wide.resize(IconvOnce(cds.toWide, text, wide));
  back.resize(text.size());
  back.resize(IconvOnce(cds.toAnsi, wide, back));
  return back.size();
}

size_t EngineRoundTrip() {
  const std::string wide = RVAnsiToUnicode(1251, SampleText());
  return RVUnicodeToAnsi(1251, wide).size();
}

void BM_EngineRoundTrip1251(benchmark::State& state) {
  for (auto _ : state) benchmark::DoNotOptimize(EngineRoundTrip());
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * kTextSize));
}
BENCHMARK(BM_EngineRoundTrip1251)->Unit(benchmark::kMillisecond);

void BM_IconvRoundTrip1251(benchmark::State& state) {
  IconvPair cds;
  std::string wide, back;
  for (auto _ : state) benchmark::DoNotOptimize(IconvRoundTrip(cds, wide, back));
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * kTextSize));
}
BENCHMARK(BM_IconvRoundTrip1251)->Unit(benchmark::kMillisecond);

/// Best of `runs` timings of `f`, in seconds.
template <typename F>
double BestTime(int runs, F&& f) {
  double best = 1e9;
  for (int i = 0; i < runs; ++i) {
    const auto start = std::chrono::steady_clock::now();
    benchmark::DoNotOptimize(f());
    const std::chrono::duration<double> elapsed = std::chrono::steady_clock::now() - start;
    best = std::min(best, elapsed.count());
  }
  return best;
}

}  // namespace

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();

  // The engine must give back exactly what iconv gives back, then the timings are compared.
  IconvPair cds;
  std::string wide, back;
  IconvRoundTrip(cds, wide, back);
  if (RVAnsiToUnicode(1251, SampleText()) != wide || RVUnicodeToAnsi(1251, wide) != back) {
    std::fprintf(stderr, "engine and iconv disagree\n");
    return 1;
  }
  const double engine = BestTime(5, EngineRoundTrip);
  const double direct = BestTime(5, [&] { return IconvRoundTrip(cds, wide, back); });
  std::printf("CP1251 <-> UTF-16, 10 MB: engine %.1f ms, iconv %.1f ms, ratio %.2f (aim: at most 1.5)\n",
              engine * 1e3, direct * 1e3, engine / direct);
  return 0;
}
