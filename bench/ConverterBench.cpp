// Converting a generated .zuk exam to .zukm, against the least any conversion must do with
// the same file: read and unscramble its bytes, write as many scrambled bytes, and encode the
// same pictures to JPEG files.
//
// The program converts through its main window: the window's converter loads the exam into
// the window's exam tree (hidden, but with a window of its own, as with -c) and exports every
// part through the window's hidden viewer. The aims are that road's: its time against the
// floor (at most 1.5), the peak memory of its first conversion (at most twice the file size),
// and its time at 1,000, 2,000 and 4,000 questions, where each doubling of the exam should take
// about twice the time (at most 2.1). The shortcuts beside it (a viewer control alone, the
// document core alone) say what they leave out and carry no aim.
//
// By default the exam is a tenth of the full size (1,000 questions, 200 pictures, about
// 10 MB); --zuk_full converts the full exam of 10,000 questions and 2,000 pictures (about
// 100 MB).
#include <benchmark/benchmark.h>
#include <fcntl.h>
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
#include "converter/MainFormUnit.h"
#include "converter/ProgramStartup.h"
#include "exam/ZUKConverter.h"
#include "exam/ZUKExportView.h"
#include "exam/ZUKPartBuilder.h"
#include "exam/ZUKQuestion.h"
#include "exam/ZUKRVStyle.h"
#include "exam/ZUKStream.h"
#include "exam/ZUKViewerExportView.h"
#include "platform/core/Streams.h"
#include "platform/graphics/JPEGImage.h"
#include "platform/gui/Application.h"
#include "richtext/viewer/RVViewer.h"

namespace {

struct TBenchSize {
  int questions = 1000;
  int pictures = 200;
};
/// The exam of the Google Benchmark runs and of the summary's ratios.
TBenchSize g_size;
/// The exams of the doubling series.
constexpr TBenchSize kDoublings[] = {{1000, 200}, {2000, 400}, {4000, 800}};

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
  return PseudoWords(static_cast<uint32_t>(seed), kWordsPerPart);
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
bool HasPicture(const TBenchSize& size, int q) {
  return static_cast<int64_t>(q) * size.pictures / size.questions !=
         static_cast<int64_t>(q + 1) * size.pictures / size.questions;
}

/// Writes the file one question at a time, so that making it needs little memory.
void WriteBenchFile(const std::string& path, const TBenchSize& size) {
  const TPartPool& pool = Parts();
  TFileStream file(path, fmCreate);
  WriteBenchFileHead(file, pool.text[0]);

  WriteInt32(1, file);
  WriteByte(0, file);
  WriteInt32(size.questions, file);
  TMemoryStream record;
  for (int q = 0; q < size.questions; ++q)
    WriteBenchQuestion(file, record, 0, kChoices + 2, [&](int part) {
      const auto& variants = part == 0 && HasPicture(size, q) ? pool.withPicture : pool.text;
      return variants[static_cast<size_t>((q + part) % kVariants)];
    });
  WriteInt32(static_cast<int32_t>(file.Position()), file);
}

/// A new exam file of `size`.
std::string MakeBenchFile(const TBenchSize& size) {
  const std::string path = TempPath(("-" + std::to_string(size.questions) + ".zuk").c_str());
  WriteBenchFile(path, size);
  return path;
}

const std::string& BenchFile() {
  static const std::string path = MakeBenchFile(g_size);
  return path;
}

/// The floor: the file's bytes read, unscrambled, scrambled again and written, and the
/// pictures decoded and encoded as JPEG files (each written, then deleted, as the converter
/// does with the pictures of a part).
void CopyScrambledAndEncode(const std::string& source, const std::string& target, const TBenchSize& size) {
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
  const std::string picture = target + ".jpg";
  for (int q = 0; q < size.questions; ++q) {
    if (!HasPicture(size, q)) continue;
    TMemoryStream bmp(pool.pictures[static_cast<size_t>(q % kVariants)]);
    TBitmap bitmap;
    bitmap.LoadFromStream(bmp);
    TJPEGImage jpeg;
    jpeg.Assign(&bitmap);
    TMemoryStream out;
    jpeg.SaveToStream(out);
    out.SaveToFile(picture);
    std::remove(picture.c_str());
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

/// Standard error taken away while it lives: the main window reports each conversion in a
/// message box, which without a display prints a line.
class TQuietErrors {
 public:
  TQuietErrors() : saved_(dup(STDERR_FILENO)) {
    const int null = open("/dev/null", O_WRONLY | O_CLOEXEC);
    if (null >= 0) {
      dup2(null, STDERR_FILENO);
      close(null);
    }
  }
  ~TQuietErrors() {
    if (saved_ < 0) return;
    dup2(saved_, STDERR_FILENO);
    close(saved_);
  }
  TQuietErrors(const TQuietErrors&) = delete;
  TQuietErrors& operator=(const TQuietErrors&) = delete;

 private:
  int saved_;
};

/// The program's road: its main window, shown as for a command-line conversion, converting
/// with its own converter, exam tree and viewer.
class TProgramWindow {
 public:
  TProgramWindow() : form_(application_.CreateForm<TMainForm>()) { form_->Show(); }

  void Convert(const std::string& source, const std::string& target) {
    {
      TQuietErrors quiet;
      form_->DoConvert(source, target);
    }
    if (form_->ExitCode() != 0) {
      std::fprintf(stderr, "the main window could not convert %s\n", source.c_str());
      std::exit(1);
    }
  }

 private:
  TApplication application_;
  TMainForm* form_;
};

/// Made by main, which needs it gone before it returns.
TProgramWindow* g_window = nullptr;

TProgramWindow& ProgramWindow() {
  return *g_window;
}

void BM_CopyScrambledAndEncodePictures(benchmark::State& state) {
  const std::string target = TempPath(".copy");
  for (auto _ : state) CopyScrambledAndEncode(BenchFile(), target, g_size);
  std::remove(target.c_str());
}

void BM_ConvertDocumentCoreOnly(benchmark::State& state) {
  const std::string target = TempPath(".zukm");
  for (auto _ : state) Convert(BenchFile(), target);
  std::remove(target.c_str());
}

void BM_ConvertThroughMainWindow(benchmark::State& state) {
  const std::string target = TempPath(".zukm");
  for (auto _ : state) ProgramWindow().Convert(BenchFile(), target);
  std::remove(target.c_str());
}

BENCHMARK(BM_CopyScrambledAndEncodePictures)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ConvertDocumentCoreOnly)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ConvertThroughMainWindow)->Unit(benchmark::kMillisecond);

/// The program's road at each size of the doubling series, beside the floor, the two taking
/// turns; prints the time of each and the ratio of each size to the one before.
void PrintDoublings(const std::string& target, const std::string& copy) {
  double previous = 0;
  for (const TBenchSize& size : kDoublings) {
    const std::string path = MakeBenchFile(size);
    const auto [floor, program] = BestSecondsTakingTurns(
        3, [&] { CopyScrambledAndEncode(path, copy, size); }, [&] { ProgramWindow().Convert(path, target); });
    std::printf("%5d questions, %3d pictures: the main window %.1f ms, floor %.1f ms: ratio %.2f",
                size.questions, size.pictures, program * 1e3, floor * 1e3, program / floor);
    if (previous > 0) std::printf("; %.2f x the size before (aim <= 2.1)", program / previous);
    std::printf("\n");
    previous = program;
    std::remove(path.c_str());
  }
}

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
  MakeStartupCalls();
  ReadSizeFlag(argc, argv);
  TProgramWindow window;
  g_window = &window;
  benchmark::Initialize(&argc, argv);
  const std::string& path = BenchFile();
  const std::string target = TempPath(".zukm");
  const std::string copy = TempPath(".copy");
  const int64_t fileSize = TFileStream(path, fmOpenRead).Size();
  // The first conversion, before any other: freed memory that the allocator keeps would hide
  // the peak of later ones.
  const bool reset = ResetPeakResident();
  const int64_t before = PeakResidentBytes();
  ProgramWindow().Convert(path, target);
  const int64_t peak = PeakResidentBytes();
  const int64_t targetSize = TFileStream(target, fmOpenRead).Size();

  benchmark::RunSpecifiedBenchmarks();
  const auto [floor, program] = BestSecondsTakingTurns(
      3, [&] { CopyScrambledAndEncode(path, copy, g_size); }, [&] { ProgramWindow().Convert(path, target); });
  const double convert = BestSeconds(3, [&] { Convert(path, target); });
  const double convertViewer = BestSeconds(3, [&] { ConvertThroughViewer(path, target); });
  std::printf("file %.1f MB (%d questions, %d pictures), mobile file %.1f MB\n", fileSize / 1e6,
              g_size.questions, g_size.pictures, targetSize / 1e6);
  std::printf("read, unscramble, write and encode the pictures (the floor) %.1f ms\n", floor * 1e3);
  std::printf(
      "convert through the main window, as -c does (the program's road) %.1f ms: ratio %.2f (aim <= 1.5)\n",
      program * 1e3, program / floor);
  std::printf(
      "peak resident %.1f MB (%s), %.1f MB before: the main window's conversion took %.2f x file size "
      "(aim <= 2)\n",
      peak / 1e6, reset ? "measured from just before the conversion" : "whole process", before / 1e6,
      static_cast<double>(peak - before) / static_cast<double>(fileSize));
  std::printf(
      "shortcut, a hidden viewer control without the main window and its exam tree %.1f ms: ratio %.2f\n",
      convertViewer * 1e3, convertViewer / floor);
  std::printf(
      "shortcut, the document core alone, without the main window, exam tree or viewer control %.1f ms: "
      "ratio %.2f\n",
      convert * 1e3, convert / floor);
  PrintDoublings(target, copy);
  for (const std::string& p : {path, target, copy}) std::remove(p.c_str());
  benchmark::Shutdown();
  return 0;
}
