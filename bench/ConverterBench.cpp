// Converting a generated .zuk exam to .zukm, against the least any conversion must do with
// the same file: read and unscramble its bytes, write as many scrambled bytes, and encode the
// same pictures to JPEG. The summary prints the ratio (aim: at most 1.5) and the peak memory
// of one conversion (aim: at most twice the file size).
//
// By default the exam is a tenth of the full size (1,000 questions, 200 pictures, about
// 10 MB); --zuk_full converts the full exam of 10,000 questions and 2,000 pictures (about
// 100 MB).
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <string>
#include <vector>

#include "BenchSupport.h"
#include "exam/ZUKConverter.h"
#include "exam/ZUKExportView.h"
#include "exam/ZUKPartBuilder.h"
#include "exam/ZUKQuestion.h"
#include "exam/ZUKRVStyle.h"
#include "exam/ZUKStream.h"
#include "exam/ZUKViewerExportView.h"
#include "platform/core/Streams.h"
#include "platform/graphics/JPEGImage.h"
#include "richtext/viewer/RVViewer.h"

namespace {

struct TBenchSize {
  int questions = 1000;
  int pictures = 200;
};
TBenchSize g_size;

constexpr int kChoices = 4;
constexpr size_t kWordsPerPart = 50;  // about 1.5 KB of RVF a part
constexpr int kPictureSide = 100;     // a 100 x 100 bitmap: 30 KB in the file
constexpr int kVariants = 16;

std::string TempPath(const char* extension) {
  const char* dir = std::getenv("TMPDIR");
  return std::string(dir && *dir ? dir : "/tmp") + "/zuk-converter-bench-" + std::to_string(getpid()) +
         extension;
}

/// A paragraph of pseudo-words.
std::u16string Words(int seed) {
  std::u16string text;
  uint32_t x = 2463534242u + static_cast<uint32_t>(seed);
  for (size_t w = 0; w < kWordsPerPart; ++w) {
    x ^= x << 13, x ^= x >> 17, x ^= x << 5;
    const int length = 2 + static_cast<int>(x % 7);
    for (int i = 0; i < length; ++i) text += static_cast<char16_t>(u'a' + (x >> (i * 3)) % 26);
    text += u' ';
  }
  return text;
}

std::unique_ptr<TBitmap> NoisyBitmap(int seed) {
  auto bitmap = htmltest::SolidBitmap(kPictureSide, kPictureSide, static_cast<TColor>(seed * 0x0F1F2F));
  for (int y = 0; y < kPictureSide; ++y)
    for (int x = 0; x < kPictureSide; ++x)
      bitmap->Canvas().SetPixel(x, y,
                                static_cast<TColor>((x * 2 + seed) | ((y * 2) << 8) | (((x ^ y) * 5) << 16)));
  return bitmap;
}

/// The RVF parts the questions draw from: text parts, and question parts with a picture.
struct TPartPool {
  TPartPool() {
    RVBuildMainStyle(sheet, nullptr);
    for (int i = 0; i < kVariants; ++i) {
      text.push_back(zukpart::TPartBuilder(sheet).Unicode(Words(i)).RVF());
      withPicture.push_back(
          zukpart::TPartBuilder(sheet).Unicode(Words(i + 100)).Picture(NoisyBitmap(i)).RVF());
      TMemoryStream bmp;
      NoisyBitmap(i)->SaveToStream(bmp);
      pictures.push_back(bmp.DataString());
    }
  }
  TRVStyle sheet;
  std::vector<std::string> text;
  std::vector<std::string> withPicture;
  std::vector<std::string> pictures;  // the BMP files of withPicture, in the same order
};

const TPartPool& Parts() {
  static const TPartPool pool;
  return pool;
}

/// Whether question q carries a picture: the pictures are spread evenly.
bool HasPicture(int q) {
  return static_cast<int64_t>(q) * g_size.pictures / g_size.questions !=
         static_cast<int64_t>(q + 1) * g_size.pictures / g_size.questions;
}

/// Writes the file one question at a time, so that making it needs little memory.
void WriteBenchFile(const std::string& path) {
  const TPartPool& pool = Parts();
  TFileStream file(path, fmCreate);
  WriteBenchFileHead(file, pool.text[0]);

  WriteInt32(1, file);
  WriteByte(0, file);
  WriteInt32(g_size.questions, file);
  TMemoryStream record;
  for (int q = 0; q < g_size.questions; ++q)
    WriteBenchQuestion(file, record, 0, kChoices + 2, [&](int part) {
      const auto& variants = part == 0 && HasPicture(q) ? pool.withPicture : pool.text;
      return variants[static_cast<size_t>((q + part) % kVariants)];
    });
  WriteInt32(static_cast<int32_t>(file.Position()), file);
}

const std::string& BenchFile() {
  static const std::string path = [] {
    const std::string p = TempPath(".zuk");
    WriteBenchFile(p);
    return p;
  }();
  return path;
}

/// The floor: the file's bytes read, unscrambled, scrambled again and written, and the
/// pictures decoded and encoded as JPEG.
void CopyScrambledAndEncode(const std::string& source, const std::string& target) {
  {
    TFileStream in(source, fmOpenRead | fmShareDenyWrite);
    TFileStream out(target, fmCreate);
    std::vector<uint8_t> buffer(static_cast<size_t>(kScrambleChunkSize));
    while (true) {
      const int64_t n = in.Read(buffer.data(), kScrambleChunkSize);
      if (n <= 0) break;
      UnscrambleBuffer(buffer.data(), static_cast<uint16_t>(n));
      ScrambleBuffer(buffer.data(), static_cast<uint16_t>(n));
      out.WriteBuffer(buffer.data(), n);
    }
  }
  const TPartPool& pool = Parts();
  for (int q = 0; q < g_size.questions; ++q) {
    if (!HasPicture(q)) continue;
    TMemoryStream bmp(pool.pictures[static_cast<size_t>(q % kVariants)]);
    TBitmap bitmap;
    bitmap.LoadFromStream(bmp);
    TJPEGImage jpeg;
    jpeg.Assign(&bitmap);
    TMemoryStream out;
    jpeg.SaveToStream(out);
    benchmark::DoNotOptimize(out.Size());
  }
}

void ConvertWith(const std::string& source, const std::string& target, TRVStyle& sheet,
                 TZUKExportView& view) {
  TZUKConverter converter(source, nullptr);
  TZUKRVStyleTarget styles(sheet);
  converter.Style = &styles;
  converter.Load();
  converter.SaveMobile(target, view);
}

/// Through the document core's data.
void Convert(const std::string& source, const std::string& target) {
  TRVStyle sheet;
  RVBuildMainStyle(sheet, nullptr);
  TZUKDocumentExportView view(sheet);
  ConvertWith(source, target, sheet, view);
}

/// Through a hidden viewer control set up as the main window sets up its own: the program's path.
void ConvertThroughViewer(const std::string& source, const std::string& target) {
  TRVStyle sheet;
  RVBuildMainStyle(sheet, nullptr);
  TRVViewer viewer;
  viewer.SetStyle(&sheet);
  viewer.SetDoInPaletteMode(rvpaCreateCopies);
  viewer.SetVisible(false);
  TZUKViewerExportView view(viewer);
  ConvertWith(source, target, sheet, view);
}

void BM_CopyScrambledAndEncodePictures(benchmark::State& state) {
  const std::string target = TempPath(".copy");
  for (auto _ : state) CopyScrambledAndEncode(BenchFile(), target);
  std::remove(target.c_str());
}

void BM_Convert(benchmark::State& state) {
  const std::string target = TempPath(".zukm");
  for (auto _ : state) Convert(BenchFile(), target);
  std::remove(target.c_str());
}

BENCHMARK(BM_CopyScrambledAndEncodePictures)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Convert)->Unit(benchmark::kMillisecond);

/// Takes --zuk_full out of the arguments.
void ReadSizeFlag(int& argc, char** argv) {
  int kept = 0;
  for (int i = 0; i < argc; ++i) {
    if (std::strcmp(argv[i], "--zuk_full") == 0) {
      g_size = {10000, 2000};
      continue;
    }
    argv[kept++] = argv[i];
  }
  argc = kept;
}

}  // namespace

int main(int argc, char** argv) {
  setenv("QT_QPA_PLATFORM", "offscreen", 0);
  ReadSizeFlag(argc, argv);
  benchmark::Initialize(&argc, argv);
  const std::string& path = BenchFile();
  const std::string target = TempPath(".zukm");
  const std::string copy = TempPath(".copy");
  const int64_t fileSize = TFileStream(path, fmOpenRead).Size();
  // The first conversion, before any other: freed memory that the allocator keeps would hide
  // the peak of later ones.
  const bool reset = ResetPeakResident();
  const int64_t before = PeakResidentBytes();
  Convert(path, target);
  const int64_t peak = PeakResidentBytes();
  const int64_t targetSize = TFileStream(target, fmOpenRead).Size();

  benchmark::RunSpecifiedBenchmarks();
  const double floor = BestSeconds(3, [&] { CopyScrambledAndEncode(path, copy); });
  const double convert = BestSeconds(3, [&] { Convert(path, target); });
  const double convertViewer = BestSeconds(3, [&] { ConvertThroughViewer(path, target); });
  std::printf("file %.1f MB (%d questions, %d pictures), mobile file %.1f MB\n", fileSize / 1e6,
              g_size.questions, g_size.pictures, targetSize / 1e6);
  std::printf(
      "read, unscramble, write and encode the pictures %.1f ms, convert %.1f ms: ratio %.2f (aim <= 1.5)\n",
      floor * 1e3, convert * 1e3, convert / floor);
  std::printf("through the hidden viewer control (the program's path) %.1f ms: ratio %.2f\n",
              convertViewer * 1e3, convertViewer / floor);
  std::printf("peak resident %.1f MB (%s), %.1f MB before: the conversion took %.2f x file size (aim <= 2)\n",
              peak / 1e6, reset ? "measured from just before the conversion" : "whole process", before / 1e6,
              static_cast<double>(peak - before) / static_cast<double>(fileSize));
  for (const std::string& p : {path, target, copy}) std::remove(p.c_str());
  benchmark::Shutdown();
  return 0;
}
