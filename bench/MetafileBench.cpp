// Playing enhanced metafiles whose drawings are clipped one by one, as drawing programs write
// them: each figure saves the state, narrows the clipping by a rectangle, cuts a hole, joins a
// region, fills, and restores; every sixteenth figure does it under a turned world transform;
// and each figure leaves a hole in the clipping of those after it, at one of 128 places.
// The metafile is loaded as a file and drawn, four times its size, onto a bitmap as the
// program draws pictures. Runs at 1,000 and 10,000 clip records and prints the time per
// record and its growth after the runs.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "BenchSupport.h"
#include "BenchTiming.h"
#include "platform/core/Streams.h"
#include "platform/graphics/Bitmap.h"
#include "platform/graphics/Canvas.h"
#include "platform/graphics/Metafile.h"

namespace {

constexpr uint32_t kSide = 512;  // the frame, in device units
constexpr int kTarget = 2048;    // the bitmap it is drawn onto, in pixels a side
constexpr int kClipsPerFigure = 6;

class EmfWriter {
 public:
  void Record(uint32_t type, std::initializer_list<uint32_t> params) {
    Put(type);
    Put(static_cast<uint32_t>(8 + 4 * params.size()));
    for (uint32_t p : params) Put(p);
    ++count_;
  }
  /// The header (device units are pixels of a 96-a-inch device), the records and the end.
  std::string File() {
    Record(14, {0, 16, 20});
    const uint32_t mm100 = kSide * 2540 / 96;
    EmfWriter head;
    // Type, size, bounds, frame, signature, version, bytes, records, handles, description,
    // palette, device size in pixels and in millimetres.
    const auto bytes = static_cast<uint32_t>(88 + body_.size());
    const std::vector<uint32_t> fields = {1,     88,    0,          0,       kSide,       kSide,      0, 0,
                                          mm100, mm100, 0x464D4520, 0x10000, bytes,       count_ + 1, 8, 0,
                                          0,     0,     kSide,      kSide,   mm100 / 100, mm100 / 100};
    for (uint32_t v : fields) head.Put(v);
    return head.body_ + body_;
  }

 private:
  void Put(uint32_t v) {
    for (int i = 0; i < 4; ++i) body_ += static_cast<char>(v >> (8 * i));
  }
  std::string body_;
  uint32_t count_ = 0;
};

uint32_t Float(float f) {
  uint32_t bits;
  std::memcpy(&bits, &f, sizeof bits);
  return bits;
}

std::string ClippedFigures(int clipRecords) {
  EmfWriter emf;
  emf.Record(39, {1, 0, 0x3366CC, 0});  // a brush, selected
  emf.Record(37, {1});
  for (int i = 0; i < clipRecords / kClipsPerFigure; ++i) {
    const uint32_t x = static_cast<uint32_t>(i % 64 * 8), y = static_cast<uint32_t>(i / 64 % 64 * 8);
    emf.Record(33, {});
    if (i % 16 == 0) emf.Record(35, {Float(0.96f), Float(0.28f), Float(-0.28f), Float(0.96f), Float(20), 0});
    emf.Record(30, {x, y, x + 12, y + 12});        // intersect
    emf.Record(29, {x + 3, y + 3, x + 5, y + 5});  // exclude
    // Region joined by "or": 32-byte header, then two rectangles.
    emf.Record(75, {64, 2, 32, 1, 2, 32, x, y, x + 20, y + 8, x, y, x + 10, y + 4, x + 12, y, x + 20, y + 8});
    emf.Record(75, {0, 5});                  // back to the whole picture...
    emf.Record(30, {x, y, x + 10, y + 10});  // ...and narrowed again
    emf.Record(43, {x, y, x + 10, y + 10});
    emf.Record(34, {static_cast<uint32_t>(-1)});
    const uint32_t hole = static_cast<uint32_t>(i % 128 * 4);
    emf.Record(29, {hole, hole, hole + 1, hole + 1});
  }
  return emf.File();
}

struct Picture {
  TMetafile meta;
  TBitmap target;
  explicit Picture(int clipRecords) {
    TMemoryStream in(ClippedFigures(clipRecords));
    meta.LoadFromStream(in);
    target.SetPixelFormat(pf24bit);
    target.SetSize(kTarget, kTarget);
  }
};

void BM_PlayClipRecords(benchmark::State& state) {
  Picture picture(static_cast<int>(state.range(0)));
  for (auto _ : state) {
    picture.target.Canvas().StretchDraw(Rect(0, 0, kTarget, kTarget), &picture.meta);
    benchmark::DoNotOptimize(picture.target.Canvas().Pixel(5, 5));
  }
  state.SetComplexityN(state.range(0));
}
BENCHMARK(BM_PlayClipRecords)
    ->Arg(1000)
    ->Arg(10000)
    ->Unit(benchmark::kMillisecond)
    ->Complexity(benchmark::oN);

}  // namespace

int main(int argc, char** argv) {
  setenv("QT_QPA_PLATFORM", "offscreen", 0);
  if (!RunBenchmarks(argc, argv)) return 1;
  // The shortest of many plays: other programs on the machine only ever add time.
  auto perRecord = [](int clipRecords) {
    Picture picture(clipRecords);
    return BestSeconds(
               15,
               [&] { picture.target.Canvas().StretchDraw(Rect(0, 0, kTarget, kTarget), &picture.meta); }) /
           clipRecords;
  };
  const double perSmall = perRecord(1000), perLarge = perRecord(10000);
  std::printf(
      "Metafile clip records: %.2f us a record at 1,000, %.2f us at 10,000; growth %.2f (1.0 is linear)\n",
      perSmall * 1e6, perLarge * 1e6, perLarge / perSmall);
  return 0;
}
