// RVF load and save speed on a generated document of about 10 MB (100,000 paragraphs in mixed
// styles with some pictures), reported in MB/s, and a check that doubling the document at most
// doubles the time (plus 10%).
#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <memory>
#include <string>

#include "platform/core/Streams.h"
#include "platform/graphics/Bitmap.h"
#include "richtext/core/CRVData.h"
#include "richtext/core/RVStyle.h"

namespace {

constexpr int kParagraphs = 100000;

/// A document of `paragraphs` paragraphs: two or three text items each in rotating text and
/// paragraph styles, a picture every 500 paragraphs.
void FillDocument(TCustomRVData& doc, int paragraphs) {
  const std::string words = "The quick brown fox jumps over the lazy dog while the exam clock ticks on ";
  for (int i = 0; i < paragraphs; ++i) {
    doc.AddTextItem(words.substr(0, 40 + i % 30), i % 4, i % 2);
    doc.AddTextItem(words.substr(i % 20, 30), (i + 1) % 6, -1);
    if (i % 3 == 0) doc.AddTextItem("and " + std::to_string(i), 2, -1);
    if (i % 500 == 0) {
      auto bitmap = std::make_unique<TBitmap>();
      bitmap->SetSize(32, 32);
      doc.AddPictureItem("picture", std::move(bitmap), -1, 0, TRVTag());
    }
  }
}

/// Writes into `stream`, reusing its memory, so that the time is the writer's.
int64_t SaveDocument(TCustomRVData& doc, TMemoryStream& stream) {
  stream.SetSize(0);
  doc.SaveRVFToStream(stream, false, clNone, nullptr, nullptr);
  return stream.Size();
}

struct TBenchDocument {
  explicit TBenchDocument(int paragraphs) {
    doc.SetRVStyle(&style);
    FillDocument(doc, paragraphs);
    TMemoryStream stream;
    SaveDocument(doc, stream);
    bytes = stream.DataString();
  }
  TRVStyle style;
  TCustomRVData doc;
  std::string bytes;
};

TBenchDocument& Document(int scale) {
  static TBenchDocument single(kParagraphs);
  static TBenchDocument twice(2 * kParagraphs);
  return scale == 1 ? single : twice;
}

void BM_RVFSave(benchmark::State& state) {
  TBenchDocument& d = Document(static_cast<int>(state.range(0)));
  TMemoryStream stream;
  for (auto _ : state) benchmark::DoNotOptimize(SaveDocument(d.doc, stream));
  state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(d.bytes.size()));
}
BENCHMARK(BM_RVFSave)->Arg(1)->Arg(2)->Unit(benchmark::kMillisecond);

/// Loads the document's bytes into a fresh document: the time is the reader's, not that of
/// clearing what an earlier load left.
bool LoadFresh(TBenchDocument& d, std::unique_ptr<TCustomRVData>& target) {
  target = std::make_unique<TCustomRVData>();
  target->SetRVStyle(&d.style);
  TMemoryStream stream(d.bytes);
  TColor color = clNone;
  return target->LoadRVFFromStream(stream, color, nullptr, nullptr);
}

void BM_RVFLoad(benchmark::State& state) {
  TBenchDocument& d = Document(static_cast<int>(state.range(0)));
  for (auto _ : state) {
    std::unique_ptr<TCustomRVData> target;
    if (!LoadFresh(d, target)) state.SkipWithError("load failed");
    state.PauseTiming();
    target.reset();
    state.ResumeTiming();
  }
  state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(d.bytes.size()));
}
BENCHMARK(BM_RVFLoad)->Arg(1)->Arg(2)->Unit(benchmark::kMillisecond);

/// Seconds of one run of `run`.
template <typename F>
double Seconds(F&& run) {
  const auto start = std::chrono::steady_clock::now();
  run();
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

/// Prints MB/s and the time ratio of the doubled document; false when it is above 2.2. The
/// two sizes take turns, so that a slower or faster phase of the machine touches both.
bool CheckScaling() {
  double best[2][2] = {{1e30, 1e30}, {1e30, 1e30}};  // [scale][load, save]
  for (int round = 0; round < 5; ++round) {
    for (int scale = 1; scale <= 2; ++scale) {
      TBenchDocument& d = Document(scale);
      std::unique_ptr<TCustomRVData> target;
      double& load = best[scale - 1][0];
      load = std::min(load, Seconds([&] { LoadFresh(d, target); }));
      target.reset();
      TMemoryStream out;
      double& save = best[scale - 1][1];
      save = std::min(save, Seconds([&] { SaveDocument(d.doc, out); }));
    }
  }
  for (int scale = 1; scale <= 2; ++scale) {
    const TBenchDocument& d = Document(scale);
    const double mb = static_cast<double>(d.bytes.size()) / (1024.0 * 1024.0);
    std::printf("RVF %.1f MB (%d items): load %.1f MB/s, save %.1f MB/s\n", mb, d.doc.GetItemCount(),
                mb / best[scale - 1][0], mb / best[scale - 1][1]);
  }
  bool linear = true;
  const char* names[2] = {"load", "save"};
  for (int k = 0; k < 2; ++k) {
    const double ratio = best[1][k] / best[0][k];
    const bool ok = ratio <= 2.2;
    linear = linear && ok;
    std::printf("RVF %s time ratio for the doubled document: %.2f (%s)\n", names[k], ratio,
                ok ? "at most 2.2" : "ABOVE 2.2");
  }
  return linear;
}

}  // namespace

int main(int argc, char** argv) {
  const bool linear = CheckScaling();
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return linear ? 0 : 1;
}
