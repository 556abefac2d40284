// Converting Windows-1251 text to UTF-16 and back through the rich-text engine's helpers,
// against calling iconv directly on the same buffer, and against the code-page conversion
// the helpers wrap, called once into a buffer made beforehand (10 MB at once, and the same
// text as paragraphs of 80 bytes). Prints the ratios after the benchmarks.
#include <benchmark/benchmark.h>
#include <iconv.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <random>
#include <stdexcept>
#include <string>
#include <vector>

#include "BenchTiming.h"
#include "platform/core/CodePages.h"
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

constexpr size_t kParagraph = 80;
constexpr uint32_t kToWideFlags = MB_PRECOMPOSED | MB_USEGLYPHCHARS;
constexpr uint32_t kToAnsiFlags = WC_COMPOSITECHECK | WC_DISCARDNS | WC_SEPCHARS | WC_DEFAULTCHAR;

/// The sample text cut into paragraphs, as the engine converts item texts one by one.
const std::vector<std::string>& Paragraphs() {
  static const std::vector<std::string> paragraphs = [] {
    std::vector<std::string> out;
    const std::string& text = SampleText();
    for (size_t at = 0; at < text.size(); at += kParagraph) out.push_back(text.substr(at, kParagraph));
    return out;
  }();
  return paragraphs;
}

const std::vector<std::u16string>& WideParagraphs() {
  static const std::vector<std::u16string> wide = [] {
    std::vector<std::u16string> out;
    for (const std::string& p : Paragraphs()) out.push_back(MultiByteToWide(1251, kToWideFlags, p));
    return out;
  }();
  return wide;
}

const std::vector<std::string>& WideParagraphBytes() {
  static const std::vector<std::string> bytes = [] {
    std::vector<std::string> out;
    for (const std::u16string& w : WideParagraphs()) out.push_back(RVWideStringToBytes(w));
    return out;
  }();
  return bytes;
}

/// Each paragraph to UTF-16 and each back, through the engine.
size_t EngineParagraphsToWide() {
  size_t total = 0;
  for (const std::string& p : Paragraphs()) total += RVAnsiToUnicode(1251, p).size();
  return total;
}
size_t EngineParagraphsToAnsi() {
  size_t total = 0;
  for (const std::string& w : WideParagraphBytes()) total += RVUnicodeToAnsi(1251, w).size();
  return total;
}

/// The same with the code-page conversion alone, into one buffer made beforehand, or (kFresh)
/// into a new string for each paragraph, as a conversion that hands back its result must make.
template <bool kFresh>
size_t DirectParagraphsToWide() {
  static std::u16string shared(kParagraph, u'\0');
  size_t total = 0;
  for (const std::string& p : Paragraphs()) {
    std::u16string fresh(kFresh ? p.size() : 0, u'\0');
    std::u16string& buffer = kFresh ? fresh : shared;
    total += static_cast<size_t>(MultiByteToWideChar(1251, kToWideFlags, p.data(), static_cast<int>(p.size()),
                                                     buffer.data(), static_cast<int>(buffer.size())));
  }
  return total;
}
template <bool kFresh>
size_t DirectParagraphsToAnsi() {
  static std::string shared(kParagraph, '\0');
  size_t total = 0;
  for (const std::u16string& w : WideParagraphs()) {
    std::string fresh(kFresh ? w.size() : 0, '\0');
    std::string& buffer = kFresh ? fresh : shared;
    total += static_cast<size_t>(WideCharToMultiByte(1251, kToAnsiFlags, w.data(), static_cast<int>(w.size()),
                                                     buffer.data(), static_cast<int>(buffer.size()), "?",
                                                     nullptr));
  }
  return total;
}

size_t EngineWholeToWide() {
  return RVAnsiToUnicode(1251, SampleText()).size();
}
size_t DirectWholeToWide() {
  static std::u16string buffer(kTextSize, u'\0');
  return static_cast<size_t>(MultiByteToWideChar(1251, kToWideFlags, SampleText().data(),
                                                 static_cast<int>(kTextSize), buffer.data(),
                                                 static_cast<int>(kTextSize)));
}
const std::u16string& WholeWide() {
  static const std::u16string wide = MultiByteToWide(1251, kToWideFlags, SampleText());
  return wide;
}
size_t EngineWholeToAnsi() {
  static const std::string bytes = RVWideStringToBytes(WholeWide());
  return RVUnicodeToAnsi(1251, bytes).size();
}
size_t DirectWholeToAnsi() {
  static std::string buffer(kTextSize, '\0');
  return static_cast<size_t>(WideCharToMultiByte(1251, kToAnsiFlags, WholeWide().data(),
                                                 static_cast<int>(WholeWide().size()), buffer.data(),
                                                 static_cast<int>(buffer.size()), "?", nullptr));
}

template <size_t (*F)()>
void Run(benchmark::State& state) {
  for (auto _ : state) benchmark::DoNotOptimize(F());
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * kTextSize));
}
BENCHMARK(Run<EngineWholeToWide>)->Name("BM_RVAnsiToUnicode10MB")->Unit(benchmark::kMillisecond);
BENCHMARK(Run<DirectWholeToWide>)->Name("BM_MultiByteToWideChar10MB")->Unit(benchmark::kMillisecond);
BENCHMARK(Run<EngineWholeToAnsi>)->Name("BM_RVUnicodeToAnsi10MB")->Unit(benchmark::kMillisecond);
BENCHMARK(Run<DirectWholeToAnsi>)->Name("BM_WideCharToMultiByte10MB")->Unit(benchmark::kMillisecond);
BENCHMARK(Run<EngineParagraphsToWide>)->Name("BM_RVAnsiToUnicodeParagraphs")->Unit(benchmark::kMillisecond);
BENCHMARK(Run<DirectParagraphsToWide<false>>)
    ->Name("BM_MultiByteToWideCharParagraphs")
    ->Unit(benchmark::kMillisecond);
BENCHMARK(Run<EngineParagraphsToAnsi>)->Name("BM_RVUnicodeToAnsiParagraphs")->Unit(benchmark::kMillisecond);
BENCHMARK(Run<DirectParagraphsToAnsi<false>>)
    ->Name("BM_WideCharToMultiByteParagraphs")
    ->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
  if (!RunBenchmarks(argc, argv)) return 1;

  // The engine must give back exactly what iconv gives back, then the timings are compared.
  IconvPair cds;
  std::string wide, back;
  IconvRoundTrip(cds, wide, back);
  if (RVAnsiToUnicode(1251, SampleText()) != wide || RVUnicodeToAnsi(1251, wide) != back) {
    std::fprintf(stderr, "engine and iconv disagree\n");
    return 1;
  }
  const double engine = MedianSeconds(7, EngineRoundTrip);
  const double direct = MedianSeconds(7, [&] { return IconvRoundTrip(cds, wide, back); });
  std::printf("CP1251 <-> UTF-16, 10 MB: engine %.1f ms, iconv %.1f ms, ratio %.2f (aim: at most 1.5)\n",
              engine * 1e3, direct * 1e3, engine / direct);
  const auto ratio = [](size_t (*engine_side)(), size_t (*direct_side)()) {
    return MedianSeconds(9, engine_side) / MedianSeconds(9, direct_side);
  };
  std::printf(
      "time relative to the code-page conversion alone (aim <= 1.2): RVAnsiToUnicode 10 MB %.2f, "
      "paragraphs %.2f; RVUnicodeToAnsi 10 MB %.2f, paragraphs %.2f\n",
      ratio(EngineWholeToWide, DirectWholeToWide),
      ratio(EngineParagraphsToWide, DirectParagraphsToWide<false>),
      ratio(EngineWholeToAnsi, DirectWholeToAnsi),
      ratio(EngineParagraphsToAnsi, DirectParagraphsToAnsi<false>));
  std::printf(
      "paragraphs, relative to the conversion into a new string each: RVAnsiToUnicode %.2f, RVUnicodeToAnsi "
      "%.2f\n",
      ratio(EngineParagraphsToWide, DirectParagraphsToWide<true>),
      ratio(EngineParagraphsToAnsi, DirectParagraphsToAnsi<true>));
  return 0;
}
