// TJPEGImage encoding a 2000 x 2000 bitmap (assigned, compressed and saved) against libjpeg
// alone compressing the same pixels with the same settings (quality 90, smoothing 10,
// baseline), its rows handed over as they lie in memory. Prints the time ratio.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <random>
#include <vector>

// clang-format off
#include <jpeglib.h>
// clang-format on

#include "BenchTiming.h"
#include "platform/core/Streams.h"
#include "platform/graphics/Bitmap.h"
#include "platform/graphics/JPEGImage.h"

namespace {

constexpr int32_t kSide = 2000;

/// Smooth colour gradients with a little noise, as a photograph has.
std::unique_ptr<TBitmap> MakePhoto(TPixelFormat format) {
  auto bitmap = std::make_unique<TBitmap>();
  bitmap->SetPixelFormat(format);
  bitmap->SetSize(kSide, kSide);
  const int bytes = format == pf32bit ? 4 : 3;
  std::mt19937 rng(90);
  for (int32_t y = 0; y < kSide; ++y) {
    uint8_t* row = bitmap->ScanLine(y);
    for (int32_t x = 0; x < kSide; ++x) {
      const int noise = static_cast<int>(rng() % 9) - 4;
      const auto clamp = [](int v) { return static_cast<uint8_t>(v < 0 ? 0 : v > 255 ? 255 : v); };
      row[bytes * x] = clamp((x * 255 / kSide) + noise);
      row[bytes * x + 1] = clamp(((x + y) * 255 / (2 * kSide)) + noise);
      row[bytes * x + 2] = clamp((y * 255 / kSide) + noise);
      if (bytes == 4) row[bytes * x + 3] = 255;
    }
  }
  return bitmap;
}

TBitmap& Photo(TPixelFormat format) {
  static const std::unique_ptr<TBitmap> photo24 = MakePhoto(pf24bit);
  static const std::unique_ptr<TBitmap> photo32 = MakePhoto(pf32bit);
  return format == pf32bit ? *photo32 : *photo24;
}

size_t EngineEncode(TPixelFormat format) {
  TJPEGImage jpeg;
  jpeg.Assign(&Photo(format));
  TMemoryStream out;
  jpeg.SaveToStream(out);
  return static_cast<size_t>(out.Size());
}

/// One libjpeg compression into memory, freed with the object.
struct LibjpegCompression {
  jpeg_compress_struct cinfo;
  jpeg_error_mgr err;
  unsigned char* output = nullptr;
  unsigned long size = 0;

  LibjpegCompression() {
    cinfo.err = jpeg_std_error(&err);
    jpeg_create_compress(&cinfo);
    jpeg_mem_dest(&cinfo, &output, &size);
  }
  ~LibjpegCompression() {
    jpeg_destroy_compress(&cinfo);
    std::free(output);
  }
};

/// libjpeg on the bitmap's own rows (blue, green, red order, as libjpeg-turbo reads them).
size_t LibjpegEncode(TPixelFormat format) {
  TBitmap& photo = Photo(format);
  std::vector<JSAMPROW> rows;
  for (int32_t y = 0; y < kSide; ++y) rows.push_back(photo.ScanLine(y));
  LibjpegCompression job;
  jpeg_compress_struct& cinfo = job.cinfo;
  cinfo.image_width = kSide;
  cinfo.image_height = kSide;
  cinfo.input_components = format == pf32bit ? 4 : 3;
  cinfo.in_color_space = format == pf32bit ? JCS_EXT_BGRX : JCS_EXT_BGR;
  jpeg_set_defaults(&cinfo);
  jpeg_set_quality(&cinfo, 90, TRUE);
  cinfo.smoothing_factor = 10;
  jpeg_start_compress(&cinfo, TRUE);
  while (cinfo.next_scanline < cinfo.image_height)
    jpeg_write_scanlines(&cinfo, rows.data() + cinfo.next_scanline, cinfo.image_height - cinfo.next_scanline);
  jpeg_finish_compress(&cinfo);
  return job.size;
}

void BM_TJPEGImage24(benchmark::State& state) {
  for (auto _ : state) benchmark::DoNotOptimize(EngineEncode(pf24bit));
}
void BM_Libjpeg24(benchmark::State& state) {
  for (auto _ : state) benchmark::DoNotOptimize(LibjpegEncode(pf24bit));
}
void BM_TJPEGImage32(benchmark::State& state) {
  for (auto _ : state) benchmark::DoNotOptimize(EngineEncode(pf32bit));
}
void BM_Libjpeg32(benchmark::State& state) {
  for (auto _ : state) benchmark::DoNotOptimize(LibjpegEncode(pf32bit));
}
BENCHMARK(BM_TJPEGImage24)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Libjpeg24)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_TJPEGImage32)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Libjpeg32)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
  if (!RunBenchmarks(argc, argv)) return 1;
  constexpr int kRuns = 9;
  const auto ratio = [](TPixelFormat format) {
    return MedianSeconds(kRuns, [&] { return EngineEncode(format); }) /
           MedianSeconds(kRuns, [&] { return LibjpegEncode(format); });
  };
  std::printf(
      "2000 x 2000, TJPEGImage time relative to libjpeg alone (aim <= 1.15): 24-bit %.2f, 32-bit %.2f\n",
      ratio(pf24bit), ratio(pf32bit));
  return 0;
}
